// quenchbox-bench: times the built plug-in through its process entry, the
// way a host's audio thread drives it, and prints ns per sample frame and the
// real-time factor for a set of representative cases.

#include "host/BuiltInPlugin.h"
#include "host/DemoPhrase.h"
#include "host/Renderer.h"
#include "host/SignalAnalysis.h"
#include "host/VstPlugin.h"

#include <algorithm>
#include <cmath>
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

enum Parameter { kEnable = 0, kDrive = 1, kVoltage = 7, kOpAmpGain = 8, kChannels = 12, kOversample = 13 };
constexpr int kGrunge = 3;
constexpr double kPi = 3.14159265358979323846;

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

struct Passes {
    double mean;
    int most;
};

std::vector<BenchCase> benchCases()
{
    const std::vector<std::pair<int, float>> worst = {{kVoltage, 1.0f}, {kDrive, 1.0f}, {kOpAmpGain, 1.0f}};
    std::vector<std::pair<int, float>> worstOversampled = worst;
    worstOversampled.push_back({kOversample, 1.0f});
    const std::vector<std::pair<int, float>> oversampled = {{kOversample, 1.0f}};
    return {
        {"default, mono", 0, {}, false, 1.0},
        {"default, stereo", 0, {}, true, 1.0},
        {"Grunge (high gain), mono", kGrunge, {}, false, 1.0},
        {"worst: 30 V, Drive 1, OA Gain 1, +12 dB, mono", 0, worst, false, 4.0},
        {"oversampled: default, mono", 0, oversampled, false, 1.0},
        {"oversampled: default, stereo", 0, oversampled, true, 1.0},
        {"oversampled: worst, mono", 0, worstOversampled, false, 4.0},
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

// Newton passes of the LED solve per circuit-rate sample, counted by the
// same effect linked into this program on the same signal.
Passes countPasses(const BenchCase& c)
{
    const auto plugin = createBuiltInPlugin();
    configure(*plugin, c);
    secondsToProcess(*plugin, testSignal(c.inputGain));
    const auto& counts = builtInEffect(*plugin).driveEngine().solveCounts();
    return {static_cast<double>(counts.passes) / static_cast<double>(counts.samples), counts.mostPasses};
}

std::vector<double> toneAt(double frequency, double amplitude, double seconds)
{
    std::vector<double> x(static_cast<std::size_t>(seconds * kSampleRate));
    for (std::size_t n = 0; n < x.size(); ++n)
        x[n] = amplitude * std::sin(2.0 * kPi * frequency * static_cast<double>(n) / kSampleRate);
    return x;
}

// The mono output of a fresh instance of the case for the given input.
std::vector<double> renderCase(const std::string& pluginPath, const BenchCase& c, const std::vector<double>& x)
{
    const auto plugin = VstPlugin::load(pluginPath);
    configure(*plugin, c);
    AudioData input;
    input.sampleRate = kSampleRate;
    input.channels.push_back(x);
    RenderSettings settings;
    settings.blockSize = kBlockSize;
    return renderThrough(*plugin, input, settings, nullptr).channels[0];
}

std::vector<double> lastSecond(const std::vector<double>& x)
{
    return {x.end() - static_cast<long>(kSampleRate), x.end()};
}

// Energy of the components that are no harmonics of a 5 kHz tone through the
// high-gain program: what the clipping folds back below the host's Nyquist
// frequency.
void printAliasing(const std::string& pluginPath)
{
    constexpr double kTone = 5000.0;
    const std::vector<double> tone = toneAt(kTone, 0.5, 2.0);
    std::printf("\naliasing: 5 kHz sine at -6 dBFS through Grunge, non-harmonic energy re the fundamental\n");
    for (float oversample : {0.0f, 1.0f}) {
        const BenchCase c{"", kGrunge, {{kOversample, oversample}}, false, 1.0};
        const double db = nonHarmonicDb(lastSecond(renderCase(pluginPath, c, tone)), kTone, kSampleRate);
        std::printf("  oversampling %-3s %8.1f dB\n", oversample > 0.5f ? "on" : "off", db);
    }
}

// The delay the resamplers add: bypassed with oversampling on, only they remain.
void printResamplerLatency(const std::string& pluginPath)
{
    std::printf("\nresampler latency (bypassed, oversampling on):\n");
    for (double frequency : {100.0, 1000.0}) {
        const std::vector<double> tone = toneAt(frequency, 0.5, 2.0);
        const BenchCase c{"", 0, {{kEnable, 0.0f}, {kOversample, 1.0f}}, false, 1.0};
        const double delay = phaseDelay(lastSecond(tone), lastSecond(renderCase(pluginPath, c, tone)), frequency,
                                        kSampleRate);
        std::printf("  at %5.0f Hz %6.2f samples (%.3f ms at 44.1 kHz)\n", frequency, delay,
                    delay / kSampleRate * 1e3);
    }
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
    std::printf("%-48s %10s %12s %12s %12s\n", "case (44.1 kHz, blocks of 256)", "ns/frame", "x real time",
                "mean passes", "most passes");
    try {
        for (const BenchCase& c : benchCases()) {
            const Timing t = timeCase(pluginPath, c);
            const Passes p = countPasses(c);
            std::printf("%-48s %10.1f %12.1f %12.2f %12d\n", c.name.c_str(), t.nsPerFrame, t.realTimeFactor,
                        p.mean, p.most);
        }
        printAliasing(pluginPath);
        printResamplerLatency(pluginPath);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "quenchbox-bench: %s\n", error.what());
        return 1;
    }
    return 0;
}
