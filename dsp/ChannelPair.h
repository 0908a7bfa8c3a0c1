#ifndef QUENCHBOX_DSP_CHANNELPAIR_H
#define QUENCHBOX_DSP_CHANNELPAIR_H

#include <cmath>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define QUENCHBOX_CHANNELPAIR_SSE2 1
#endif

namespace quenchbox::dsp {

// The same sample of the two stereo channels, processed in lock-step: every
// arithmetic operation acts on both at once (one SSE2 instruction on x86-64,
// two plain ones elsewhere) and rounds exactly as the same operation on one
// double, so a channel gives the same bits whether it runs alone or in a
// pair. Kernels templated on their sample type run on double or on this.
//
// Comparisons give a PairMask; select() and the all/any tests read it.
class ChannelPair;

#if QUENCHBOX_CHANNELPAIR_SSE2

struct PairMask {
    __m128d bits;
};

class ChannelPair {
public:
    ChannelPair() : v(_mm_setzero_pd()) {}
    ChannelPair(double both) : v(_mm_set1_pd(both)) {}  // NOLINT: a constant in a kernel means both channels
    ChannelPair(double first, double second) : v(_mm_set_pd(second, first)) {}
    explicit ChannelPair(__m128d value) : v(value) {}

    // Two adjacent doubles: the first is channel 0.
    static ChannelPair load(const double* p) { return ChannelPair(_mm_loadu_pd(p)); }
    void store(double* p) const { _mm_storeu_pd(p, v); }

    double first() const { return _mm_cvtsd_f64(v); }
    double second() const { return _mm_cvtsd_f64(_mm_unpackhi_pd(v, v)); }

    // The raw bits of each channel's double.
    std::uint64_t firstBits() const { return static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_castpd_si128(v))); }
    std::uint64_t secondBits() const
    {
        const __m128i bits = _mm_castpd_si128(v);
        return static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(bits, bits)));
    }
    static ChannelPair fromBits(std::uint64_t first, std::uint64_t second)
    {
        return ChannelPair(_mm_castsi128_pd(_mm_set_epi64x(static_cast<long long>(second), static_cast<long long>(first))));
    }

    __m128d v;
};

inline ChannelPair operator+(ChannelPair a, ChannelPair b) { return ChannelPair(_mm_add_pd(a.v, b.v)); }
inline ChannelPair operator-(ChannelPair a, ChannelPair b) { return ChannelPair(_mm_sub_pd(a.v, b.v)); }
inline ChannelPair operator*(ChannelPair a, ChannelPair b) { return ChannelPair(_mm_mul_pd(a.v, b.v)); }
inline ChannelPair operator/(ChannelPair a, ChannelPair b) { return ChannelPair(_mm_div_pd(a.v, b.v)); }
inline PairMask operator>=(ChannelPair a, ChannelPair b) { return {_mm_cmpge_pd(a.v, b.v)}; }
inline PairMask operator<=(ChannelPair a, ChannelPair b) { return {_mm_cmple_pd(a.v, b.v)}; }
inline PairMask operator&&(PairMask a, PairMask b) { return {_mm_and_pd(a.bits, b.bits)}; }
inline PairMask operator||(PairMask a, PairMask b) { return {_mm_or_pd(a.bits, b.bits)}; }
inline PairMask operator!(PairMask a) { return {_mm_xor_pd(a.bits, _mm_castsi128_pd(_mm_set1_epi32(-1)))}; }
// Per channel: a where the mask is set, b elsewhere.
inline ChannelPair select(PairMask m, ChannelPair a, ChannelPair b)
{
    return ChannelPair(_mm_or_pd(_mm_and_pd(m.bits, a.v), _mm_andnot_pd(m.bits, b.v)));
}
inline bool allOf(PairMask m) { return _mm_movemask_pd(m.bits) == 3; }
inline bool firstOf(PairMask m) { return (_mm_movemask_pd(m.bits) & 1) != 0; }
inline bool secondOf(PairMask m) { return (_mm_movemask_pd(m.bits) & 2) != 0; }
// std::clamp's result for a number in each channel: lo if x < lo, hi if hi < x.
inline ChannelPair clamp(ChannelPair x, ChannelPair lo, ChannelPair hi)
{
    return ChannelPair(_mm_min_pd(_mm_max_pd(lo.v, x.v), hi.v));
}
// 1 with the sign of x.
inline ChannelPair signOf(ChannelPair x)
{
    return ChannelPair(_mm_or_pd(_mm_and_pd(_mm_set1_pd(-0.0), x.v), _mm_set1_pd(1.0)));
}

#else

struct PairMask {
    bool first;
    bool second;
};

class ChannelPair {
public:
    ChannelPair() = default;
    ChannelPair(double both) : a(both), b(both) {}  // NOLINT: a constant in a kernel means both channels
    ChannelPair(double first, double second) : a(first), b(second) {}

    static ChannelPair load(const double* p) { return {p[0], p[1]}; }
    void store(double* p) const { p[0] = a, p[1] = b; }
    double first() const { return a; }
    double second() const { return b; }
    std::uint64_t firstBits() const { return bitsOf(a); }
    std::uint64_t secondBits() const { return bitsOf(b); }
    static ChannelPair fromBits(std::uint64_t first, std::uint64_t second) { return {fromBitsOf(first), fromBitsOf(second)}; }

    double a = 0.0;
    double b = 0.0;

private:
    static std::uint64_t bitsOf(double x)
    {
        std::uint64_t bits;
        std::memcpy(&bits, &x, sizeof bits);
        return bits;
    }
    static double fromBitsOf(std::uint64_t bits)
    {
        double x;
        std::memcpy(&x, &bits, sizeof x);
        return x;
    }
};

inline ChannelPair operator+(ChannelPair x, ChannelPair y) { return {x.a + y.a, x.b + y.b}; }
inline ChannelPair operator-(ChannelPair x, ChannelPair y) { return {x.a - y.a, x.b - y.b}; }
inline ChannelPair operator*(ChannelPair x, ChannelPair y) { return {x.a * y.a, x.b * y.b}; }
inline ChannelPair operator/(ChannelPair x, ChannelPair y) { return {x.a / y.a, x.b / y.b}; }
inline PairMask operator>=(ChannelPair x, ChannelPair y) { return {x.a >= y.a, x.b >= y.b}; }
inline PairMask operator<=(ChannelPair x, ChannelPair y) { return {x.a <= y.a, x.b <= y.b}; }
inline PairMask operator&&(PairMask x, PairMask y) { return {x.first && y.first, x.second && y.second}; }
inline PairMask operator||(PairMask x, PairMask y) { return {x.first || y.first, x.second || y.second}; }
inline PairMask operator!(PairMask x) { return {!x.first, !x.second}; }
inline ChannelPair select(PairMask m, ChannelPair x, ChannelPair y)
{
    return {m.first ? x.a : y.a, m.second ? x.b : y.b};
}
inline bool allOf(PairMask m) { return m.first && m.second; }
inline bool firstOf(PairMask m) { return m.first; }
inline bool secondOf(PairMask m) { return m.second; }
inline ChannelPair clamp(ChannelPair x, ChannelPair lo, ChannelPair hi)
{
    auto one = [](double v, double l, double h) { return v < l ? l : (h < v ? h : v); };
    return {one(x.a, lo.a, hi.a), one(x.b, lo.b, hi.b)};
}
inline ChannelPair signOf(ChannelPair x) { return {std::copysign(1.0, x.a), std::copysign(1.0, x.b)}; }

#endif

// The same operations on one channel, so that a kernel reads alike for both.
inline double clamp(double x, double lo, double hi) { return x < lo ? lo : (hi < x ? hi : x); }
inline double signOf(double x) { return std::copysign(1.0, x); }

}  // namespace quenchbox::dsp

#endif
