#include "app/AppOptions.h"

#include "app/PresetFile.h"
#include "effect/Programs.h"
#include "host/RenderOptions.h"

#include <cstdlib>
#include <stdexcept>

namespace quenchbox::app {

const char* const kAppUsage =
    "usage: quenchbox-rz [options]\n"
    "Plays the guitar on an audio interface's input through Quenchbox RZ, with its panel.\n"
    "Options not given keep the values of the last run.\n"
    "  --list-devices       print the audio devices and exit\n"
    "  --device NAME        the audio device to play on (ALSA; on Windows a WASAPI device)\n"
    "  --rate HZ            sample rate: 44100, 48000, 88200, 96000, 176400 or 192000\n"
    "                       (WASAPI shared mode plays at Windows' own mixing rate)\n"
    "  --buffer FRAMES      frames per buffer, 32 to 4096\n"
    "  --input 1|2|stereo   the input the guitar is on, or both as a stereo pair\n"
    "  --program N|NAME     start with a factory program, by number (0 to 15) or name\n"
    "  --preset FILE        start with a preset file\n"
    "  --set NAME=VALUE     set a parameter (normalized 0..1) by name; repeatable\n"
    "  --monitor on|off     hear the input at once, or start muted\n"
    "  --no-gui             run without the panel\n"
    "  --server NAME        the JACK server to connect to\n"
    "  --alsa               use ALSA even when a JACK server runs\n"
    "  --exclusive          Windows: WASAPI exclusive mode, the device to this program alone\n"
    "  -h, --help           this text\n"
    "  --version            the version, then exit\n";

namespace {

std::invalid_argument usageError(const std::string& message) { return std::invalid_argument(message); }

long wholeNumber(const std::string& option, const std::string& text, const char* expected)
{
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0')
        throw usageError(option + " needs " + expected + ", not '" + text + "'");
    return value;
}

int sampleRate(const std::string& text)
{
    constexpr const char* expected = "44100, 48000, 88200, 96000, 176400 or 192000";
    const long rate = wholeNumber("--rate", text, expected);
    if (!isDeviceSampleRate(rate))
        throw usageError(std::string("--rate needs ") + expected + ", not '" + text + "'");
    return static_cast<int>(rate);
}

int bufferFrames(const std::string& text)
{
    constexpr const char* expected = "a whole number from 32 to 4096";
    const long frames = wholeNumber("--buffer", text, expected);
    if (!isBufferFrames(frames))
        throw usageError(std::string("--buffer needs ") + expected + ", not '" + text + "'");
    return static_cast<int>(frames);
}

InputChoice inputChoice(const std::string& text)
{
    InputChoice input = InputChoice::first;
    if (!readInputChoice(text, input))
        throw usageError("--input needs 1, 2 or stereo, not '" + text + "'");
    return input;
}

bool onOff(const std::string& option, const std::string& text)
{
    if (text != "on" && text != "off")
        throw usageError(option + " needs on or off, not '" + text + "'");
    return text == "on";
}

int programNumber(const std::string& text)
{
    std::vector<std::string> names;
    for (int p = 0; p < effect::kProgramCount; ++p) {
        char name[effect::kProgramNameLength + 1] = "";
        effect::programs::copyFactoryName(p, name);
        names.emplace_back(name);
    }
    return host::findProgramNumber(text, names);
}

std::pair<int, float> parameterSetting(const std::string& text)
{
    const auto [name, value] = host::parseParameterSetting(text);
    const int index = parameterNamed(name);
    if (index == effect::kParameterCount)
        throw usageError("--set: there is no parameter named '" + name + "'");
    return {index, value};
}

}  // namespace

AppOptions parseAppOptions(int argc, const char* const* argv)
{
    AppOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc)
                throw usageError(arg + " needs a value");
            return argv[++i];
        };
        if (arg == "--list-devices")
            options.listDevices = true;
        else if (arg == "--device")
            options.device = value();
        else if (arg == "--rate")
            options.sampleRate = sampleRate(value());
        else if (arg == "--buffer")
            options.bufferFrames = bufferFrames(value());
        else if (arg == "--input")
            options.input = inputChoice(value());
        else if (arg == "--program")
            options.program = programNumber(value());
        else if (arg == "--preset")
            options.presetPath = value();
        else if (arg == "--set")
            options.parameterSettings.push_back(parameterSetting(value()));
        else if (arg == "--monitor")
            options.monitor = onOff(arg, value());
        else if (arg == "--no-gui")
            options.noGui = true;
        else if (arg == "--server")
            options.serverName = value();
        else if (arg == "--alsa")
            options.forceAlsa = true;
        else if (arg == "--exclusive")
            options.exclusive = true;
        else if (arg == "-h" || arg == "--help")
            options.help = true;
        else if (arg == "--version")
            options.version = true;
        else if (!arg.empty() && arg[0] == '-')
            throw usageError("unknown option " + arg);
        else
            throw usageError("quenchbox-rz opens no file named on its own: '" + arg + "' (see --preset)");
    }
    return options;
}

}  // namespace quenchbox::app
