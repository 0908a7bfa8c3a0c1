#ifndef QUENCHBOX_TESTS_COMMON_FORMATRENDER_H
#define QUENCHBOX_TESTS_COMMON_FORMATRENDER_H

// What the tests of every newer format compare against: the guitar phrase
// rendered through the VST2 build with given settings, and bit-for-bit
// comparison of stereo renders.

#include "host/DemoPhrase.h"
#include "host/VstPlugin.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <utility>
#include <vector>

namespace formatrender {

using quenchbox::host::VstPlugin;

constexpr double kRate = 44100.0;
constexpr std::size_t kFrames = 12288;

// The guitar phrase, a little louder on the right so the channels differ.
inline const std::vector<double>& phrase(int channel)
{
    static const std::array<std::vector<double>, 2> channels = [] {
        const std::vector<double> mono = quenchbox::host::demoPhrase(kRate).channels[0];
        std::vector<double> left(mono.begin(), mono.begin() + kFrames);
        std::vector<double> right(left);
        for (double& x : right)
            x *= 1.5;
        return std::array<std::vector<double>, 2>{left, right};
    }();
    return channels[channel];
}

struct Settings {
    int program = 0;
    std::vector<std::pair<int, float>> values;
    int blockSize = 256;
};

template <typename Sample>
using Stereo = std::array<std::vector<Sample>, 2>;

template <typename Sample>
Stereo<Sample> input()
{
    Stereo<Sample> in;
    for (int c = 0; c < 2; ++c)
        in[c].assign(phrase(c).begin(), phrase(c).end());
    return in;
}

// The VST2 build, as a host plays a project: rate, block size, program,
// values, resume, blocks.
template <typename Sample>
Stereo<Sample> renderVst(const Settings& s)
{
    const auto plugin = VstPlugin::load(QUENCHBOX_PLUGIN_PATH);
    plugin->setSampleRate(kRate);
    plugin->setBlockSize(s.blockSize);
    plugin->setProgram(s.program);
    for (const auto& [index, value] : s.values)
        plugin->setParameter(index, value);
    plugin->resume();
    const Stereo<Sample> in = input<Sample>();
    Stereo<Sample> out = {std::vector<Sample>(kFrames), std::vector<Sample>(kFrames)};
    for (std::size_t at = 0; at < kFrames; at += s.blockSize) {
        const int frames = static_cast<int>(std::min<std::size_t>(s.blockSize, kFrames - at));
        Sample* inputs[2] = {const_cast<Sample*>(in[0].data()) + at, const_cast<Sample*>(in[1].data()) + at};
        Sample* outputs[2] = {out[0].data() + at, out[1].data() + at};
        plugin->process(inputs, outputs, frames);
    }
    return out;
}

// A parameter change at a frame of the whole run.
struct TimedChange {
    std::size_t frame;
    int index;
    double value;
};

// The VST2 build with the values set, the run split where the changes fall
// (in time order) and each applied there.
template <typename Sample>
Stereo<Sample> renderVstWithChanges(const std::vector<std::pair<int, float>>& values,
                                    const std::vector<TimedChange>& changes)
{
    const auto vst = VstPlugin::load(QUENCHBOX_PLUGIN_PATH);
    vst->setSampleRate(kRate);
    for (const auto& [index, value] : values)
        vst->setParameter(index, value);
    vst->resume();
    Stereo<Sample> io = input<Sample>();
    std::size_t position = 0;
    // Changes at one frame reach the same block: no empty block between them.
    auto runTo = [&](std::size_t to) {
        if (to == position)
            return;
        Sample* channels[2] = {io[0].data() + position, io[1].data() + position};
        vst->process(channels, channels, static_cast<int>(to - position));
        position = to;
    };
    for (const TimedChange& change : changes) {
        runTo(change.frame);
        vst->setParameter(change.index, static_cast<float>(change.value));
    }
    runTo(kFrames);
    return io;
}

// The settings every format's output is compared on, with each block size.
struct OutputCase {
    int program;
    bool oversample;
    bool stereo;
};
constexpr OutputCase kOutputCases[] = {{0, false, false}, {4, true, false}, {8, false, true}, {1, true, true}};
constexpr int kBlockSizes[] = {1, 7, 256, 4096};
constexpr int kChannelsIndex = 12;
constexpr int kOversampleIndex = 13;

inline Settings outputSettings(const OutputCase& c, int blockSize)
{
    Settings s;
    s.program = c.program;
    s.values = {{kOversampleIndex, c.oversample ? 1.0f : 0.0f}, {kChannelsIndex, c.stereo ? 1.0f : 0.0f}};
    s.blockSize = blockSize;
    return s;
}

template <typename Sample>
bool bitIdentical(const Stereo<Sample>& a, const Stereo<Sample>& b)
{
    for (int c = 0; c < 2; ++c)
        if (a[c].size() != b[c].size() || std::memcmp(a[c].data(), b[c].data(), a[c].size() * sizeof(Sample)) != 0)
            return false;
    return true;
}

}  // namespace formatrender

#endif
