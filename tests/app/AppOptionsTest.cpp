// quenchbox-rz's command line: every option, and one-line errors for the
// mistakes a user makes.

#include "app/AppOptions.h"

#include "effect/Programs.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <stdexcept>
#include <string>
#include <vector>

using namespace quenchbox;

namespace {

app::AppOptions parse(std::initializer_list<const char*> args)
{
    std::vector<const char*> argv{"quenchbox-rz"};
    argv.insert(argv.end(), args.begin(), args.end());
    return app::parseAppOptions(static_cast<int>(argv.size()), argv.data());
}

std::string factoryName(int program)
{
    char name[effect::kProgramNameLength + 1] = "";
    effect::programs::copyFactoryName(program, name);
    return name;
}

}  // namespace

TEST(AppOptions, NothingGivenKeepsTheSavedSettings)
{
    const app::AppOptions options = parse({});
    EXPECT_FALSE(options.device || options.sampleRate || options.bufferFrames || options.input || options.program
                 || options.monitor);
    EXPECT_TRUE(options.parameterSettings.empty());
    EXPECT_FALSE(options.listDevices || options.noGui || options.forceAlsa || options.exclusive || options.help
                 || options.version);
}

TEST(AppOptions, ReadsEveryOption)
{
    const app::AppOptions options =
        parse({"--device", "hw:1", "--rate", "96000", "--buffer", "128", "--input", "stereo", "--program", "3",
               "--preset", "my.qbxpreset", "--set", "drive=0.7", "--set", "OA Gain=1", "--monitor", "on",
               "--no-gui", "--server", "test", "--alsa", "--exclusive", "--list-devices", "--help", "--version"});
    EXPECT_EQ(options.device, "hw:1");
    EXPECT_EQ(options.sampleRate, 96000);
    EXPECT_EQ(options.bufferFrames, 128);
    EXPECT_EQ(options.input, app::InputChoice::stereo);
    EXPECT_EQ(options.program, 3);
    EXPECT_EQ(options.presetPath, "my.qbxpreset");
    const std::vector<std::pair<int, float>> settings{{effect::kDrive, 0.7f}, {effect::kOpAmpGain, 1.0f}};
    EXPECT_EQ(options.parameterSettings, settings);
    EXPECT_EQ(options.monitor, true);
    EXPECT_EQ(options.serverName, "test");
    EXPECT_TRUE(options.noGui && options.forceAlsa && options.exclusive && options.listDevices && options.help
                && options.version);
    EXPECT_EQ(parse({"--input", "2", "--monitor", "off"}).input, app::InputChoice::second);
}

TEST(AppOptions, FindsAProgramByItsNameInAnyCase)
{
    std::string name = factoryName(5);
    for (char& c : name)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(parse({"--program", name.c_str()}).program, 5);
}

TEST(AppOptions, MistakesAreRefusedWithOneLine)
{
    const std::vector<std::vector<const char*>> mistakes{
        {"--bogus"},         {"stray"},          {"--rate"},           {"--rate", "44101"},
        {"--rate", "48k"},   {"--buffer", "16"}, {"--buffer", "5000"}, {"--buffer", "12x"},
        {"--input", "3"},    {"--monitor", "1"}, {"--program", "16"},  {"--program", "-1"},
        {"--program", "No Such Program"},        {"--set", "Drive=2"}, {"--set", "Foo=0.5"},
        {"--set", "=1"},     {"--set", "Drive"}, {"--device"},
    };
    for (const auto& args : mistakes) {
        std::vector<const char*> argv{"quenchbox-rz"};
        argv.insert(argv.end(), args.begin(), args.end());
        try {
            app::parseAppOptions(static_cast<int>(argv.size()), argv.data());
            ADD_FAILURE() << "accepted " << args.front();
        } catch (const std::invalid_argument& error) {
            const std::string message = error.what();
            EXPECT_FALSE(message.empty());
            EXPECT_EQ(message.find('\n'), std::string::npos) << message;
        }
    }
}
