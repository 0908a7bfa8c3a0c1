#ifndef QUENCHBOX_TESTS_FUZZ_FUZZINPUTS_H
#define QUENCHBOX_TESTS_FUZZ_FUZZINPUTS_H

#include "tests/fuzz/FuzzReader.h"

#include <cmath>
#include <cstdint>
#include <vector>

// What the doors build from the fuzzer's bytes: blocks of samples and
// saved states.
namespace fuzz {

// Two channels of a short repeating pattern of the fuzzer's choice, so that
// long blocks cost few input bytes; the second channel runs one sample ahead.
template <typename Sample>
void fillFromPattern(Reader& in, Sample* left, Sample* right, int frames)
{
    Sample pattern[16];
    for (Sample& s : pattern)
        s = static_cast<Sample>(in.anySample());
    const int period = 1 + in.byte() % 16;
    for (int n = 0; n < frames; ++n) {
        left[n] = pattern[n % period];
        right[n] = pattern[(n + 1) % period];
    }
}

// What every door's session is bounded by: calls and frames per block.
constexpr int kDoorCalls = 48;
constexpr int kDoorFrames = 4096;

// A sample rate a host might ask for, plain or absurd.
inline double anyRate(Reader& in)
{
    static constexpr double kRates[] = {44100.0, 48000.0, 8000.0, 1000.0, 192000.0, 1536000.0, 0.0, -1.0, 1e9};
    return kRates[in.byte() % (sizeof kRates / sizeof kRates[0])];
}

// A real saved state with some bytes changed and perhaps cut or lengthened,
// or plain bytes of about a state's size: what a stranger's project holds.
inline std::vector<std::uint8_t> untrustedState(Reader& in, std::vector<std::uint8_t> real, std::size_t stateSize)
{
    std::vector<std::uint8_t> bytes;
    if (in.byte() & 1) {
        bytes = std::move(real);
        for (int flips = in.byte() % 4; flips > 0 && !bytes.empty(); --flips)
            bytes[in.byte() % bytes.size()] ^= in.byte();
        if (in.byte() % 4 == 0)
            bytes.resize(in.byte() % (stateSize + 8));
    } else {
        bytes.resize(in.byte() % (stateSize + 8));
        for (std::uint8_t& b : bytes)
            b = in.byte();
    }
    return bytes;
}

// Two channels of samples from the bytes, processed in place.
template <typename Sample>
class StereoBlock {
public:
    explicit StereoBlock(int maxFrames) : channels{std::vector<Sample>(maxFrames), std::vector<Sample>(maxFrames)} {}

    Sample** fill(Reader& in, int frames)
    {
        fillFromPattern(in, channels[0].data(), channels[1].data(), frames);
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
