// A real host from Debian: Ardour's headless session tool loads the VST3
// build, picks a factory program through its preset API (the path of its
// preset menu, which once hung Ardour for good), exports, saves the session
// and loads it again. Each export must sound as the VST2 build does after
// effSetProgram with the same program, and every stage must finish.

#include "effect/Parameters.h"
#include "host/AudioFile.h"
#include "host/Plugin.h"
#include "host/Renderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using namespace quenchbox::host;

constexpr int kProgram = 2;
// Ardour runs the session in blocks of 1024 frames.
constexpr int kBlockSize = 1024;
// Ardour compensates a latency it knew when the export started (a reloaded
// session with "Oversample" on), not one that "Oversample" switched on just
// before: the export may lead the reference by the 8 frames or not.
constexpr long kLargestShift = 8;
// Ardour's circuit starts the export settled after silent blocks, the VST2
// reference from an empty one: their first moments differ by the charging
// of the coupling capacitors (-55 dB at most), gone within 100 ms. From
// there on they must agree to the bit, or nearly (-120 dB).
constexpr long kSettledFrame = 9600;
constexpr double kTolerance = 1e-6;

struct Comparison {
    long shift = 0;
    double largestDifference = INFINITY;
};

std::string exported(const std::string& folder) { return folder + "/export.wav"; }

double largestDifference(const AudioData& expected, const AudioData& actual, long shift)
{
    double largest = 0.0;
    for (std::size_t c = 0; c < 2; ++c)
        for (long n = kSettledFrame; n + kLargestShift < actual.frames(); ++n)
            largest = std::max(largest, std::abs(actual.channels[c][n] - expected.channels[c][n + shift]));
    return largest;
}

// The largest difference of the settled part, at the shift that fits best.
Comparison compare(const AudioData& expected, const AudioData& actual)
{
    Comparison best;
    for (long shift = -kLargestShift; shift <= kLargestShift; ++shift)
        if (const double largest = largestDifference(expected, actual, shift); largest < best.largestDifference)
            best = {shift, largest};
    return best;
}

AudioData vst2Render(const AudioData& dry, bool oversample)
{
    std::unique_ptr<Plugin> plugin = loadPlugin(QUENCHBOX_PLUGIN_PATH);
    plugin->setSampleRate(dry.sampleRate);
    plugin->setBlockSize(kBlockSize);
    plugin->setProgram(kProgram);
    if (oversample)
        plugin->setParameter(quenchbox::effect::kOversample, 1.0f);
    plugin->resume();
    return renderThrough(*plugin, dry, {kBlockSize, false, 2}, nullptr);
}

void expectSameSound(const AudioData& expected, const std::string& folder)
{
    const AudioData actual = readAudioFile(exported(folder));
    ASSERT_EQ(actual.channels.size(), 2u);
    ASSERT_EQ(actual.frames(), expected.frames());
    const Comparison found = compare(expected, actual);
    std::printf("%s: shifted %ld frames, largest difference %.3g\n", folder.c_str(), found.shift,
                found.largestDifference);
    EXPECT_LT(found.largestDifference, kTolerance) << folder;
}

void runArdour(const std::string& folder, bool oversample)
{
    const std::string command = std::string(QUENCHBOX_ARDOUR_SESSION_SCRIPT) + " '" + QUENCHBOX_VST3_PATH + "' '"
                                + folder + "' " + std::to_string(kProgram) + " " + (oversample ? "1" : "0") + " "
                                + QUENCHBOX_VST3_CLASS_ID + " " + std::to_string(quenchbox::effect::kOversample);
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

class ArdourSession : public ::testing::TestWithParam<bool> {};

TEST_P(ArdourSession, AFactoryProgramFromThePresetMenuSoundsAsInTheVst2Build)
{
    const bool oversample = GetParam();
    const std::string folder = std::string(QUENCHBOX_TEST_OUTPUT) + (oversample ? "/oversampled" : "/plain");
    runArdour(folder, oversample);
    const AudioData dry = readAudioFile(exported(folder + "/dry"));
    ASSERT_EQ(dry.sampleRate, 48000.0);
    const AudioData expected = vst2Render(dry, oversample);
    expectSameSound(expected, folder + "/wet");
    expectSameSound(expected, folder + "/reloaded");
}

INSTANTIATE_TEST_SUITE_P(Oversample, ArdourSession, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "On" : "Off"; });

}  // namespace
