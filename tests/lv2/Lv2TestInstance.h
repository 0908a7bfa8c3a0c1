#ifndef QUENCHBOX_TESTS_LV2_LV2TESTINSTANCE_H
#define QUENCHBOX_TESTS_LV2_LV2TESTINSTANCE_H

// One instance of the built LV2 plug-in as a host of ours drives it through
// lilv: the sixteen controls, the latency and the meter outputs held here
// and connected once, the audio connected at each run.

#include "formats/lv2/Lv2Ports.h"

#include <lilv/lilv.h>

#include <array>
#include <cstdint>
#include <vector>

namespace lv2test {

using quenchbox::lv2::kFirstControl;
using quenchbox::lv2::kLatencyPort;

struct Stereo {
    std::vector<float> left;
    std::vector<float> right;
};

// A guitar-like test signal: two detuned partials with a decaying envelope,
// the right channel a little later, so that both channels differ.
Stereo testSignal(std::size_t frames);

class Lv2TestInstance {
public:
    // Features may be null: the plug-in needs none.
    Lv2TestInstance(const LilvPlugin* plugin, double rate, const LV2_Feature* const* features);
    ~Lv2TestInstance();
    Lv2TestInstance(const Lv2TestInstance&) = delete;
    Lv2TestInstance& operator=(const Lv2TestInstance&) = delete;

    bool created() const { return instance != nullptr; }
    LilvInstance* lilv() const { return instance; }
    float& control(int parameter) { return controls[static_cast<std::size_t>(parameter)]; }
    float latency() const { return latencyValue; }
    // Meter `meter` in the order of the meter ports.
    float meter(int meter) const { return meters[static_cast<std::size_t>(meter)]; }

    void activate();
    void deactivate();
    void run(const float* left, const float* right, float* outLeft, float* outRight, std::uint32_t frames);
    // The signal through the plug-in in blocks of `block` frames; `change`
    // runs before the block that starts at frame `changeAt`.
    template <typename Change>
    Stereo render(const Stereo& in, std::size_t block, std::size_t changeAt, Change change)
    {
        Stereo out{std::vector<float>(in.left.size()), std::vector<float>(in.left.size())};
        for (std::size_t start = 0; start < in.left.size(); start += block) {
            if (start == changeAt)
                change(*this);
            const std::size_t n = std::min(block, in.left.size() - start);
            run(&in.left[start], &in.right[start], &out.left[start], &out.right[start], static_cast<std::uint32_t>(n));
        }
        return out;
    }
    Stereo render(const Stereo& in, std::size_t block)
    {
        return render(in, block, in.left.size(), [](Lv2TestInstance&) {});
    }

private:
    LilvInstance* instance = nullptr;
    std::array<float, quenchbox::effect::kParameterCount> controls{};
    float latencyValue = -1.0f;
    std::array<float, quenchbox::lv2::kMeterCount> meters{};
    bool active = false;
};

}  // namespace lv2test

#endif
