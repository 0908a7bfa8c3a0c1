// quenchbox-render end to end: the real executable, loading the real plug-in
// binary, on small files written here.

#include "host/AudioFile.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;
using quenchbox::host::AudioData;
using quenchbox::host::readAudioFile;

class RenderHost : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("quenchbox-render-test-" + std::to_string(::getpid()) + "-"
                                           + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    // Runs the host; returns its exit status, with stdout and stderr captured.
    int render(const std::string& arguments)
    {
        const std::string command = std::string(QUENCHBOX_RENDER_PATH) + " " + arguments + " > "
                                    + (dir / "stdout").string() + " 2> " + (dir / "stderr").string();
        const int status = std::system(command.c_str());
        out = slurp(dir / "stdout");
        err = slurp(dir / "stderr");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string writeSine(const std::string& name, int format, int channels, int rate, int frames)
    {
        const std::string path = (dir / name).string();
        SF_INFO info{};
        info.samplerate = rate;
        info.channels = channels;
        info.format = format;
        SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
        EXPECT_NE(file, nullptr) << sf_strerror(nullptr);
        for (int n = 0; n < frames; ++n) {
            double frame[3];
            for (int c = 0; c < channels; ++c)
                frame[c] = 0.3 * std::sin(2.0 * 3.14159265358979 * 220.0 * (c + 1) * n / rate);
            sf_writef_double(file, frame, 1);
        }
        sf_close(file);
        return path;
    }

    static std::string slurp(const fs::path& path)
    {
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::string at(const std::string& name) const { return (dir / name).string(); }

    fs::path dir;
    std::string out;
    std::string err;
};

bool allFinite(const AudioData& audio)
{
    for (const auto& channel : audio.channels)
        for (double x : channel)
            if (!std::isfinite(x))
                return false;
    return true;
}

TEST_F(RenderHost, RendersWavAiffAndFlacKeepingRateAndLength)
{
    const std::string inputs[] = {writeSine("in.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 48000, 4800),
                                  writeSine("in.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_24, 2, 22050, 3000),
                                  writeSine("in.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 1, 96000, 5000)};
    for (const std::string& input : inputs) {
        const std::string output = input + ".out.wav";
        ASSERT_EQ(render("--plugin " QUENCHBOX_PLUGIN_PATH " -o " + output + " " + input), 0) << err;
        const AudioData in = readAudioFile(input);
        const AudioData rendered = readAudioFile(output);
        EXPECT_EQ(rendered.sampleRate, in.sampleRate);
        EXPECT_EQ(rendered.frames(), in.frames());
        EXPECT_EQ(rendered.channels.size(), in.channels.size());
        EXPECT_TRUE(allFinite(rendered));
        EXPECT_NE(out.find("x real time"), std::string::npos) << out;
    }
}

TEST_F(RenderHost, WritesThirtyTwoBitFloatWav)
{
    const std::string input = writeSine("in.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 44100, 1000);
    ASSERT_EQ(render("-o " + at("out.wav") + " " + input), 0) << err;
    SF_INFO info{};
    SNDFILE* file = sf_open(at("out.wav").c_str(), SFM_READ, &info);
    ASSERT_NE(file, nullptr);
    sf_close(file);
    EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
}

TEST_F(RenderHost, BypassThroughTheBinaryReturnsTheInput)
{
    const std::string input = writeSine("in.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, 44100, 2000);
    for (const char* precision : {"", "--double"}) {
        ASSERT_EQ(render(std::string(precision) + " --stereo --set Enable=0 --block 37 -o " + at("out.wav") + " "
                         + input),
                  0)
            << err;
        EXPECT_EQ(readAudioFile(at("out.wav")).channels, readAudioFile(input).channels) << precision;
    }
}

TEST_F(RenderHost, RendersTheDemoPhraseThroughAProgramChosenByName)
{
    ASSERT_EQ(render("--program 'fat blues' --set Oversample=1 -o " + at("demo.wav")), 0) << err;
    EXPECT_NE(out.find("program: Fat Blues"), std::string::npos) << out;
    EXPECT_NE(out.find("built-in demo phrase"), std::string::npos) << out;
    const AudioData demo = readAudioFile(at("demo.wav"));
    EXPECT_GT(demo.frames(), 44100 * 8);
    EXPECT_TRUE(allFinite(demo));
}

TEST_F(RenderHost, ListsNamesParametersAndPrograms)
{
    ASSERT_EQ(render("--list"), 0) << err;
    for (const char* expected : {"Quenchbox RZ", "ZUK Quenchbox RZ", "Oversamp", "9.0", "200000", "Screaming Solo", "Smooth LED"})
        EXPECT_NE(out.find(expected), std::string::npos) << expected;
}

TEST_F(RenderHost, RendersThroughTheClapBuildWhatTheVst2BuildRenders)
{
    const std::string input = writeSine("in.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, 48000, 6000);
    const std::string options = " --program 'screaming solo' --set Oversample=1 --set Drive=0.8 --stereo --block 100 ";
    for (const char* precision : {"", "--double"}) {
        ASSERT_EQ(render("--plugin " QUENCHBOX_CLAP_PATH + options + precision + " -o " + at("clap.wav") + " " + input), 0)
            << err;
        EXPECT_NE(out.find("program: Screaming Solo"), std::string::npos) << out;
        ASSERT_EQ(render("--plugin " QUENCHBOX_PLUGIN_PATH + options + precision + " -o " + at("vst.wav") + " " + input),
                  0)
            << err;
        EXPECT_EQ(readAudioFile(at("clap.wav")).channels, readAudioFile(at("vst.wav")).channels) << precision;
    }
}

TEST_F(RenderHost, ListsTheClapDescriptorAndParameters)
{
    ASSERT_EQ(render("--plugin " QUENCHBOX_CLAP_PATH " --list"), 0) << err;
    for (const char* expected : {"CLAP", "example.zuk.quenchbox-rz", "Quenchbox RZ", "audio-effect, distortion, stereo, mono",
                                 "Oversample", "9.0 V", "100%", "Smooth LED", "latency: 0 samples"})
        EXPECT_NE(out.find(expected), std::string::npos) << expected;
    const std::size_t discovered = out.find("presets found by discovery");
    ASSERT_NE(discovered, std::string::npos) << out;
    for (const char* expected : {"location: Quenchbox RZ factory programs (in the plug-in)", " 0  Default",
                                 " 3  Grunge", "15  Default"})
        EXPECT_NE(out.find(expected, discovered), std::string::npos) << expected;
    EXPECT_EQ(out.find("error:"), std::string::npos) << out;
}

TEST_F(RenderHost, BadCommandLinesFailWithOneClearLine)
{
    const char* cases[] = {"--block 0", "--block x", "--set Drive=2", "--set Drive", "--set Nothing=0.5",
                           "--program 99", "--program Nonesuch", "--frobnicate", "a.wav b.wav"};
    for (const char* arguments : cases) {
        EXPECT_EQ(render(std::string(arguments) + " -o " + at("never.wav")), 2) << arguments;
        EXPECT_EQ(err.rfind("quenchbox-render: ", 0), 0u) << arguments << ": " << err;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_FALSE(fs::exists(at("never.wav"))) << arguments;
    }
    EXPECT_EQ(render("--block"), 2);
    EXPECT_NE(err.find("--block needs a value"), std::string::npos) << err;
}

TEST_F(RenderHost, UnreadableInputsAndPluginsFailWithoutOutput)
{
    std::ofstream(at("garbage.wav")) << "this is not audio";
    const std::string threeChannels = writeSine("three.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 3, 44100, 100);
    const std::string cases[] = {at("missing.wav"), at("garbage.wav"), threeChannels,
                                 "--plugin " + at("garbage.wav"), "--plugin /nonexistent/plugin.so"};
    for (const std::string& arguments : cases) {
        EXPECT_EQ(render(arguments + " -o " + at("never.wav")), 1) << arguments;
        EXPECT_EQ(err.rfind("quenchbox-render: ", 0), 0u) << err;
        EXPECT_FALSE(fs::exists(at("never.wav"))) << arguments;
    }
}

TEST_F(RenderHost, LoadsAnotherVendorsPluginThroughItsMainEntry)
{
    const char* zamTube = "/usr/lib/vst/ZamTube-vst.so";  // Debian's zam-plugins
    if (!fs::exists(zamTube))
        GTEST_SKIP() << zamTube << " is not installed";
    const std::string input = writeSine("in.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 44100, 4410);
    ASSERT_EQ(render(std::string("--plugin ") + zamTube + " -o " + at("zam.wav") + " " + input), 0) << err;
    EXPECT_EQ(readAudioFile(at("zam.wav")).frames(), 4410);
    ASSERT_EQ(render(std::string("--plugin ") + zamTube + " --list"), 0) << err;
    EXPECT_NE(out.find("ZamTube"), std::string::npos) << out;
}

TEST_F(RenderHost, AnUnwritableOutputLeavesNoPartialFile)
{
    EXPECT_EQ(render("-o " + at("no/such/dir/out.wav")), 1);
    EXPECT_NE(err.find("cannot write"), std::string::npos) << err;
    EXPECT_FALSE(fs::exists(at("no")));
}

}  // namespace
