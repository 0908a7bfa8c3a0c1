#ifndef QUENCHBOX_SOLVER_EXPONENTIALPAIR_H
#define QUENCHBOX_SOLVER_EXPONENTIALPAIR_H

#include "dsp/ChannelPair.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace quenchbox::solver {

// e^x and e^-x of one argument, computed together: the LED pair's current
// needs both (one LED conducts each way), and sharing the range reduction
// makes the second exponential nearly free where the library would take a
// second call or a division. Accurate to about one unit in the last place
// for |x| up to 708, the range the clamped LED voltage keeps it in. Works on
// one channel (double) or on both in lock-step (dsp::ChannelPair), with the
// same bits either way.
//
// x = m ln2 / 64 + r with |r| <= ln2 / 128; e^x = 2^(m/64) e^r and
// e^-x = 2^(-m/64) e^-r, where the even and odd parts of the Taylor series of
// e^r serve both signs and 2^(j/64) comes from a table.
class ExponentialPair {
public:
    template <typename T>
    struct Result {
        T rising;   // e^x
        T falling;  // e^-x
    };

    // Steps of ln2/64 per unit of x.
    static constexpr double stepsPerUnit = 92.33248261689366;  // 64 / ln2

    ExponentialPair();

    template <typename T>
    Result<T> of(T x) const
    {
        return of(x, x * stepsPerUnit);
    }

    // The same with x in steps of ln2/64 already at hand (steps close to
    // x stepsPerUnit; it only picks the range reduction, so a caller that
    // can form it earlier than x shortens the chain).
    template <typename T>
    Result<T> of(T x, T steps) const
    {
        // Rounded to the nearest whole step by the shift; the whole number
        // sits in the low bits of shifted.
        const T shifted = steps + kRoundingShift;
        const T m = shifted - kRoundingShift;
        // Two-part ln2/64: m times the high part is exact.
        const T r = (x - m * kLn2High) - m * kLn2Low;

        // Even part less 1 and odd part, grouped for a short chain.
        const T r2 = r * r;
        const T r3 = r2 * r;
        const T r4 = r2 * r2;
        const T evenMinusOne = r2 * 0.5 + r4 * (1.0 / 24.0 + r2 * (1.0 / 720.0));
        const T odd = r + r3 * (1.0 / 6.0 + r2 * (1.0 / 120.0));
        const auto [up, down] = scales(shifted);
        return {up + up * (evenMinusOne + odd), down + down * (evenMinusOne - odd)};
    }

private:
    static constexpr int kTableBits = 6;
    static constexpr std::uint64_t kTableMask = (1u << kTableBits) - 1;
    static constexpr double kRoundingShift = 6755399441055744.0;  // 1.5 * 2^52
    static constexpr double kLn2High = 0.010830424696223417;      // ln2/64, 36 significant bits
    static constexpr double kLn2Low = 2.572804622327669e-14;      // ln2/64 - kLn2High

    // The bits of 2^(m/64) from the table entry of m mod 64 and the exponent
    // field, m being the whole steps in the low bits of the shifted value.
    std::uint64_t scaleBits(std::uint64_t wholeSteps) const
    {
        return table[wholeSteps & kTableMask] + (wholeSteps << (52 - kTableBits));
    }

    // 2^(m/64) and 2^(-m/64).
    Result<double> scales(double shifted) const
    {
        std::uint64_t wholeSteps;
        std::memcpy(&wholeSteps, &shifted, sizeof wholeSteps);
        const std::uint64_t bits[2] = {scaleBits(wholeSteps), scaleBits(0 - wholeSteps)};
        double result[2];
        std::memcpy(result, bits, sizeof result);
        return {result[0], result[1]};
    }

    Result<dsp::ChannelPair> scales(dsp::ChannelPair shifted) const
    {
        const std::uint64_t first = shifted.firstBits();
        const std::uint64_t second = shifted.secondBits();
        return {dsp::ChannelPair::fromBits(scaleBits(first), scaleBits(second)),
                dsp::ChannelPair::fromBits(scaleBits(0 - first), scaleBits(0 - second))};
    }

    // Entry j: the bits of 2^(j/64) less j in the exponent's fraction
    // position, so that adding m << 46 for any m with m mod 64 = j yields
    // 2^(m/64).
    std::array<std::uint64_t, 1u << kTableBits> table{};
};

}  // namespace quenchbox::solver

#endif
