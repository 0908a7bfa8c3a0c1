#ifndef QUENCHBOX_TESTS_FUZZ_FUZZREADER_H
#define QUENCHBOX_TESTS_FUZZ_FUZZREADER_H

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace fuzz {

// A broken invariant ends the run, so that the fuzzer keeps the input.
inline void fail(const char* what)
{
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

// Reads the fuzzer's bytes in order; zeros once they run out.
class Reader {
public:
    Reader(const std::uint8_t* bytes, std::size_t count) : data(bytes), size(count) {}

    bool empty() const { return position >= size; }

    template <typename T>
    T take()
    {
        T value{};
        const std::size_t n = std::min(sizeof(T), size - std::min(size, position));
        std::memcpy(&value, data + position, n);
        position += sizeof(T);
        return value;
    }

    std::uint8_t byte() { return take<std::uint8_t>(); }

    // Mostly values a host might send, sometimes any bit pattern.
    float anyFloat()
    {
        static const float kSpecial[] = {0.0f, 1.0f, 0.5f, -0.0f, -1.0f, 2.0f, 1e30f, -1e30f,
                                         std::numeric_limits<float>::quiet_NaN(),
                                         std::numeric_limits<float>::infinity(),
                                         -std::numeric_limits<float>::infinity(),
                                         std::numeric_limits<float>::denorm_min(),
                                         std::numeric_limits<float>::max(), 44100.0f, 96000.0f, 1e7f};
        const std::uint8_t pick = byte();
        if (pick < 128)
            return kSpecial[pick % (sizeof kSpecial / sizeof kSpecial[0])];
        if (pick < 192)
            return static_cast<float>(byte()) / 255.0f;
        return take<float>();
    }

    double anySample()
    {
        static const double kSpecial[] = {0.0, 0.5, -0.5, 1.0, -1.0, 1e30, -1e30, 1e300,
                                          std::numeric_limits<double>::quiet_NaN(),
                                          std::numeric_limits<double>::infinity(),
                                          -std::numeric_limits<double>::infinity(),
                                          std::numeric_limits<double>::denorm_min(), 1e-310, 1e-40};
        const std::uint8_t pick = byte();
        if (pick < 96)
            return kSpecial[pick % (sizeof kSpecial / sizeof kSpecial[0])];
        if (pick < 224)
            return (static_cast<double>(byte()) - 127.5) / 64.0;
        return take<double>();
    }

private:
    const std::uint8_t* data;
    std::size_t size;
    std::size_t position = 0;
};

}  // namespace fuzz

#endif
