// quenchbox-bench: times the built plug-in through its process entry, the
// way a host's audio thread drives it, and prints ns per sample frame and the
// real-time factor for a set of representative cases.

#include "host/DemoPhrase.h"
#include "host/VstPlugin.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

using namespace quenchbox::host;

namespace {

constexpr double kSampleRate = 44100.0;
constexpr int kBlockSize = 256;
constexpr double kSecondsPerRun = 4.0;
constexpr int kRuns = 3;

enum Parameter { kDrive = 1, kVoltage = 7, kOpAmpGain = 8, kChannels = 12, kOversample = 13 };

struct BenchCase {
    std::string name;
    int program = 0;
    std::vector<std::pair<int, float>> settings;
    bool stereo = false;
    double inputGain = 1.0;
};

struct Timing {
    double nsPerFrame;
    double realTimeFactor;
};

std::vector<BenchCase> benchCases()
{
    const std::vector<std::pair<int, float>> worst = {{kVoltage, 1.0f}, {kDrive, 1.0f}, {kOpAmpGain, 1.0f}};
    return {
        {"default, mono", 0, {}, false, 1.0},
        {"default, stereo", 0, {}, true, 1.0},
        {"Grunge (high gain), mono", 3, {}, false, 1.0},
        {"worst: 30 V, Drive 1, OA Gain 1, +12 dB, mono", 0, worst, false, 4.0},
    };
}

// The demo phrase, looped to the run length and scaled, as planar blocks.
std::vector<float> testSignal(double gain)
{
    const AudioData phrase = demoPhrase(kSampleRate);
    const auto frames = static_cast<std::size_t>(kSecondsPerRun * kSampleRate);
    std::vector<float> signal(frames);
    for (std::size_t n = 0; n < frames; ++n)
        signal[n] = static_cast<float>(gain * phrase.channels[0][n % phrase.channels[0].size()]);
    return signal;
}

void configure(VstPlugin& plugin, const BenchCase& c)
{
    plugin.setSampleRate(kSampleRate);
    plugin.setBlockSize(kBlockSize);
    plugin.setProgram(c.program);
    for (const auto& [index, value] : c.settings)
        plugin.setParameter(index, value);
    plugin.setParameter(kChannels, c.stereo ? 1.0f : 0.0f);
    plugin.announceChannels(c.stereo ? 2 : 1);
    plugin.resume();
}

double secondsToProcess(VstPlugin& plugin, const std::vector<float>& signal)
{
    std::vector<float> left(kBlockSize);
    std::vector<float> right(kBlockSize);
    std::vector<float> outLeft(kBlockSize);
    std::vector<float> outRight(kBlockSize);
    float* inputs[2] = {left.data(), right.data()};
    float* outputs[2] = {outLeft.data(), outRight.data()};

    const auto start = std::chrono::steady_clock::now();
    for (std::size_t offset = 0; offset + kBlockSize <= signal.size(); offset += kBlockSize) {
        std::copy_n(signal.begin() + offset, kBlockSize, left.begin());
        std::copy_n(signal.begin() + offset, kBlockSize, right.begin());
        plugin.process(inputs, outputs, kBlockSize);
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The best of a few runs: the least disturbed by the rest of the machine.
Timing timeCase(const std::string& pluginPath, const BenchCase& c)
{
    const auto plugin = VstPlugin::load(pluginPath);
    configure(*plugin, c);
    const std::vector<float> signal = testSignal(c.inputGain);
    secondsToProcess(*plugin, signal);  // warm-up: first-block coefficients, caches
    double best = 1e30;
    for (int run = 0; run < kRuns; ++run)
        best = std::min(best, secondsToProcess(*plugin, signal));
    const double frames = static_cast<double>(signal.size() / kBlockSize * kBlockSize);
    return {best / frames * 1e9, frames / kSampleRate / best};
}

std::string pluginBesideExecutable()
{
    std::error_code error;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    return (error ? std::filesystem::path(".") : executable.parent_path()) / "QuenchboxRZ.so";
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string pluginPath = argc > 1 ? argv[1] : pluginBesideExecutable();
    std::printf("%-48s %12s %12s\n", "case (44.1 kHz, blocks of 256)", "ns/frame", "x real time");
    try {
        for (const BenchCase& c : benchCases()) {
            const Timing t = timeCase(pluginPath, c);
            std::printf("%-48s %12.1f %12.1f\n", c.name.c_str(), t.nsPerFrame, t.realTimeFactor);
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "quenchbox-bench: %s\n", error.what());
        return 1;
    }
    return 0;
}
