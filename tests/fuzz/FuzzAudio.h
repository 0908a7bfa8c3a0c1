#ifndef QUENCHBOX_TESTS_FUZZ_FUZZAUDIO_H
#define QUENCHBOX_TESTS_FUZZ_FUZZAUDIO_H

#include "tests/fuzz/FuzzReader.h"

#include <cmath>
#include <vector>

namespace fuzz {

// Two channels of a short repeating pattern of the fuzzer's choice, so that
// long blocks cost few input bytes, processed in place.
template <typename Sample>
class StereoBlock {
public:
    explicit StereoBlock(int maxFrames) : channels{std::vector<Sample>(maxFrames), std::vector<Sample>(maxFrames)} {}

    Sample** fill(Reader& in, int frames)
    {
        Sample pattern[16];
        for (Sample& s : pattern)
            s = static_cast<Sample>(in.anySample());
        const int period = 1 + in.byte() % 16;
        for (int c = 0; c < 2; ++c)
            for (int n = 0; n < frames; ++n)
                channels[c][n] = pattern[(n + c) % period];
        pointers[0] = channels[0].data();
        pointers[1] = channels[1].data();
        return pointers;
    }

    void requireFinite(int frames, const char* door) const
    {
        for (const std::vector<Sample>& channel : channels)
            for (int n = 0; n < frames; ++n)
                if (!std::isfinite(channel[n]))
                    fail(door);
    }

private:
    std::vector<Sample> channels[2];
    Sample* pointers[2] = {};
};

}  // namespace fuzz

#endif
