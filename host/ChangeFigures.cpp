#include "host/ChangeFigures.h"

#include "effect/Parameters.h"
#include "host/DemoPhrase.h"
#include "host/VstPlugin.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <numeric>
#include <vector>

namespace quenchbox::host {

namespace {

constexpr double kSampleRate = 44100.0;
constexpr int kChangeEvery = 10;  // blocks
constexpr int kChanges = 200;
constexpr int kWarmUpBlocks = 50;
using namespace effect;  // the parameters' names
constexpr int kSwitchProgram = -1;

// A control a user turns, between two settings; kSwitchProgram alternates
// between two programs instead.
struct Knob {
    int index;
    float first;
    float second;

    const char* name() const { return index == kSwitchProgram ? "program 0 / 3" : parameterName(index); }
};

constexpr Knob kKnobs[] = {
    {kDrive, 0.3f, 0.7f},   {kLevel, 0.3f, 0.7f},     {kBass, 0.3f, 0.7f},    {kMiddle, 0.3f, 0.7f},
    {kTreble, 0.3f, 0.7f},  {kDeep, 0.3f, 0.7f},      {kVoltage, 0.3f, 0.7f}, {kOpAmpGain, 0.3f, 0.7f},
    {kScale, 0.3f, 0.7f},   {kMix, 0.3f, 0.7f},       {kRzMode, 0.0f, 1.0f},  {kEnable, 0.0f, 1.0f},
    {kOversample, 0.0f, 1.0f}, {kSwitchProgram, 0.0f, 3.0f}};

// The left channel of the demo phrase, as long as asked, looping.
std::vector<float> phrase(std::size_t frames)
{
    const std::vector<double> source = demoPhrase(kSampleRate).channels[0];
    std::vector<float> x(frames);
    for (std::size_t n = 0; n < frames; ++n)
        x[n] = static_cast<float>(source[n % source.size()]);
    return x;
}

std::unique_ptr<VstPlugin> prepared(const std::string& path, int block, bool oversample)
{
    auto plugin = VstPlugin::load(path);
    plugin->setSampleRate(kSampleRate);
    plugin->setBlockSize(block);
    plugin->setProgram(0);
    plugin->setParameter(kOversample, oversample ? 1.0f : 0.0f);
    plugin->resume();
    return plugin;
}

void apply(VstPlugin& plugin, const Knob& knob, bool second)
{
    const float value = second ? knob.second : knob.first;
    if (knob.index == kSwitchProgram)
        plugin.setProgram(static_cast<int>(value));
    else
        plugin.setParameter(knob.index, value);
}

// Microseconds of every block of the run; with a knob, it turns at every
// tenth block, to the other of its two settings each time.
std::vector<double> blockTimes(const std::string& path, int block, bool oversample, const Knob* knob)
{
    const auto plugin = prepared(path, block, oversample);
    const int blocks = kWarmUpBlocks + kChanges * kChangeEvery;
    const std::vector<float> x = phrase(static_cast<std::size_t>(blocks) * block);
    std::vector<float> in[2] = {std::vector<float>(block), std::vector<float>(block)};
    std::vector<float> out[2] = {std::vector<float>(block), std::vector<float>(block)};
    float* inputs[2] = {in[0].data(), in[1].data()};
    float* outputs[2] = {out[0].data(), out[1].data()};
    std::vector<double> times;
    for (int b = 0; b < blocks; ++b) {
        const bool timed = b >= kWarmUpBlocks;
        const int k = b - kWarmUpBlocks;
        if (timed && knob != nullptr && k % kChangeEvery == 0)
            apply(*plugin, *knob, (k / kChangeEvery) % 2 == 0);
        std::copy_n(x.begin() + static_cast<long>(b) * block, block, in[0].begin());
        in[1] = in[0];
        const auto start = std::chrono::steady_clock::now();
        plugin->process(inputs, outputs, block);
        const double us = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
        if (timed)
            times.push_back(us);
    }
    return times;
}

double median(std::vector<double> x)
{
    std::nth_element(x.begin(), x.begin() + static_cast<long>(x.size() / 2), x.end());
    return x[x.size() / 2];
}

double mean(const std::vector<double>& x) { return std::accumulate(x.begin(), x.end(), 0.0) / static_cast<double>(x.size()); }

void printKnobTurnTable(const std::string& path, bool oversample)
{
    constexpr int kBlocks[] = {32, 64, 128};
    std::printf("\nknob turns, oversampling %s: one change every %d blocks, %d changes, 44.1 kHz, mono\n",
                oversample ? "on" : "off", kChangeEvery, kChanges);
    std::printf("%-14s", "change");
    for (int block : kBlocks)
        std::printf(" | %3d frames (%6.0f us): longest  over  per change", block, block / kSampleRate * 1e6);
    std::printf("\n");
    double staticMedian[3];
    for (int i = 0; i < 3; ++i)
        staticMedian[i] = median(blockTimes(path, kBlocks[i], oversample, nullptr));
    std::printf("%-14s", "(none)");
    for (int i = 0; i < 3; ++i)
        std::printf(" | median block %8.1f us                        ", staticMedian[i]);
    std::printf("\n");
    for (const Knob& knob : kKnobs) {
        std::printf("%-14s", knob.name());
        for (int i = 0; i < 3; ++i) {
            const std::vector<double> times = blockTimes(path, kBlocks[i], oversample, &knob);
            const double budget = kBlocks[i] / kSampleRate * 1e6;
            const long over = std::count_if(times.begin(), times.end(), [&](double t) { return t > budget; });
            // Everything a change adds, wherever in the next blocks it lands.
            const double perChange = (mean(times) - staticMedian[i]) * kChangeEvery;
            std::printf(" |                       %8.1f %5ld %8.1f us", *std::max_element(times.begin(), times.end()),
                        over, perChange);
        }
        std::printf("\n");
    }
}

// --- Zipper ---------------------------------------------------------------------

constexpr int kZipperBlock = 256;
// A tone of exactly 44 samples a period (1002.3 Hz) at -10 dBFS: at a fixed
// setting the output repeats itself every period to the last bit of noise.
constexpr int kTonePeriod = 44;
constexpr double kToneAmplitude = 0.316;
constexpr std::size_t kSettleFrames = 22050;

double largestSecondDifference(const std::vector<double>& y, std::size_t from)
{
    double most = 0.0;
    for (std::size_t n = std::max<std::size_t>(from, 1); n + 1 < y.size(); ++n)
        most = std::max(most, std::fabs(y[n + 1] - 2.0 * y[n] + y[n - 1]));
    return most;
}

// The tone through the plug-in; after the settling time at `from` the knob
// moves to `to` in a straight line over `rampSeconds`, one new value per
// block (0: in one block; below 0: it stays at `from`).
std::vector<double> toneThrough(const std::string& path, int index, float from, float to, double rampSeconds)
{
    const auto plugin = prepared(path, kZipperBlock, false);
    plugin->setParameter(index, from);
    plugin->resume();
    std::size_t frames = kSettleFrames + static_cast<std::size_t>(std::max(rampSeconds, 0.5) * kSampleRate);
    frames -= frames % kZipperBlock;
    std::vector<float> in(frames);
    for (std::size_t n = 0; n < frames; ++n)
        in[n] = static_cast<float>(kToneAmplitude * std::sin(2.0 * 3.14159265358979323846 * static_cast<double>(n % kTonePeriod) / kTonePeriod));
    std::vector<float> out(frames);
    for (std::size_t start = 0; start + kZipperBlock <= frames; start += kZipperBlock) {
        if (rampSeconds >= 0.0 && start >= kSettleFrames) {
            const double t = rampSeconds == 0.0 ? 1.0
                                                : std::min(1.0, static_cast<double>(start - kSettleFrames)
                                                                    / (rampSeconds * kSampleRate));
            plugin->setParameter(index, static_cast<float>(from + (to - from) * t));
        }
        float* inputs[2] = {in.data() + start, in.data() + start};
        float* outputs[2] = {out.data() + start, nullptr};
        plugin->process(inputs, outputs, kZipperBlock);
    }
    return {out.begin(), out.end()};
}

// What a move adds to the tone beyond its repetition: the output less the
// output one period earlier. A smooth move changes it slowly; a step of a
// gain or a coefficient makes it jump, and its second difference shows the
// jump free of the tone's own curvature.
std::vector<double> periodChange(const std::vector<double>& y)
{
    std::vector<double> change(y.size(), 0.0);
    for (std::size_t n = kTonePeriod; n < y.size(); ++n)
        change[n] = y[n] - y[n - kTonePeriod];
    return change;
}

// The zipper figure of a move from 0.2 to 0.8: the largest second
// difference of what the move adds, over the largest second difference of
// the static signal at either end, in percent.
double zipperPercent(const std::string& path, int index, double rampSeconds)
{
    const double moving =
        largestSecondDifference(periodChange(toneThrough(path, index, 0.2f, 0.8f, rampSeconds)), kSettleFrames);
    const double still = std::max(largestSecondDifference(toneThrough(path, index, 0.2f, 0.2f, -1.0), kSettleFrames),
                                  largestSecondDifference(toneThrough(path, index, 0.8f, 0.8f, -1.0), kSettleFrames));
    return 100.0 * moving / still;
}

}  // namespace

void printKnobTurnFigures(const std::string& pluginPath)
{
    for (bool oversample : {false, true})
        printKnobTurnTable(pluginPath, oversample);
    std::printf("(longest: the longest block in us; over: blocks that took longer than they last; per change:\n"
                " the extra time of all blocks after a change, over the median block without changes)\n");
}

void printZipperFigures(const std::string& pluginPath)
{
    std::printf("\nzipper: a knob moves 0.2 -> 0.8 under a 1002 Hz tone at -10 dBFS (44 samples a period, blocks\n"
                "of 256); the largest second difference of the output less the output one period earlier, in %%\n"
                "of the largest second difference of the static signal at 0.2 or 0.8 (steps show, the tone not)\n");
    std::printf("  %-8s %14s %14s\n", "knob", "ramp over 4 s", "in one block");
    for (const Knob& knob : {kKnobs[1], kKnobs[0]})
        std::printf("  %-8s %12.2f %% %12.2f %%\n", knob.name(), zipperPercent(pluginPath, knob.index, 4.0),
                    zipperPercent(pluginPath, knob.index, 0.0));
}

}  // namespace quenchbox::host
