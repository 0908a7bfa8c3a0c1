#include "engine/Resampler8x.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <vector>

namespace {

using quenchbox::engine::Resampler8x;

constexpr double kPi = 3.14159265358979323846;
constexpr double kHostRate = 44100.0;
constexpr double kCircuitRate = 8.0 * kHostRate;
// Long enough for the slowest allpass pole (0.927 per host sample) to decay
// below double precision.
constexpr int kSettleSamples = 1000;
// 0.1 s: every tone at a multiple of 10 Hz completes whole cycles in it, so
// the single-bin DFTs below see no leakage.
constexpr int kMeasureSamples = 4410;

struct Chain {
    Resampler8x up;
    Resampler8x down;

    double process(double x)
    {
        double circuit[8];
        up.upsample(x, circuit);
        return down.downsample(circuit);
    }
};

double dB(double ratio) { return 20.0 * std::log10(ratio); }

std::complex<double> phasor(double frequency, double time) { return std::polar(1.0, -2.0 * kPi * frequency * time); }

// Sum of the FIR taps h[4k + phase]: the DC gain of one interpolation phase.
double subsetSum(int phase)
{
    double sum = 0.0;
    for (int k = phase; k < Resampler8x::tapCount; k += 4) sum += Resampler8x::firCoefs[k];
    return sum;
}

// Complex response of the chain up and down at one frequency.
std::complex<double> chainResponse(double frequency)
{
    Chain chain;
    std::complex<double> output = 0.0;
    std::complex<double> input = 0.0;
    for (int n = 0; n < kSettleSamples + kMeasureSamples; ++n) {
        const double x = std::sin(2.0 * kPi * frequency * n / kHostRate);
        const double y = chain.process(x);
        if (n < kSettleSamples) continue;
        output += y * phasor(frequency, n / kHostRate);
        input += x * phasor(frequency, n / kHostRate);
    }
    return output / input;
}

// ---------------------------------------------------------------------------
// Constants

TEST(Resampler8xConstant, InterpolatesToFourTimesEachPolyphaseSubsetSum)
{
    const double c = 0.3;
    Resampler8x up;
    double out[8];
    for (int n = 0; n < kSettleSamples; ++n) up.upsample(c, out);
    for (int i = 0; i < 8; ++i) {
        EXPECT_NEAR(out[i], 4.0 * c * subsetSum(i % 4), 1e-13) << i;
        EXPECT_NEAR(out[i], c, 1e-4) << i;
    }
}

// The interpolated constant repeats with period 4 at the 8x rate, phase p
// holding 4c S_p. The decimator's FIR, taken at phase 3, weighs phase p with
// S_(3-p), and the half-band passes DC unchanged: the chain gain is
// 8 (S0 S3 + S1 S2), just below 1.
TEST(Resampler8xConstant, ChainReturnsConstantScaledByProductOfSubsetSums)
{
    const double c = 0.3;
    Chain chain;
    double y = 0.0;
    for (int n = 0; n < kSettleSamples; ++n) y = chain.process(c);
    const double gain = 8.0 * (subsetSum(0) * subsetSum(3) + subsetSum(1) * subsetSum(2));
    EXPECT_NEAR(y, c * gain, 1e-13);
    EXPECT_NEAR(y, 0.29987, 1e-5);
}

// ---------------------------------------------------------------------------
// Doubled ring

TEST(Resampler8xRing, PositionStepsDownByTwoWhenInterpolating)
{
    Resampler8x up;
    double out[8];
    for (int n = 0; n < 1000; ++n) {
        const std::uint32_t before = up.position();
        up.upsample(std::sin(0.1 * n), out);
        ASSERT_EQ(up.position(), (before + 62) % 64) << n;
        ASSERT_EQ(up.position() % 2, 0u) << n;
    }
}

TEST(Resampler8xRing, PositionStepsUpByEightWhenDecimating)
{
    Resampler8x down;
    const double in[8] = {0.1, -0.2, 0.3, -0.4, 0.5, -0.6, 0.7, -0.8};
    for (int n = 0; n < 1000; ++n) {
        const std::uint32_t before = down.position();
        down.downsample(in);
        ASSERT_EQ(down.position(), (before + 8) % 64) << n;
        ASSERT_EQ(down.position() % 8, 0u) << n;
    }
}

// A history read from the wrong copy of the ring, or across an unmirrored
// entry, shows up as a response that depends on the ring position at which
// the impulse arrived. The arithmetic is the same at every position, so the
// responses must agree to the bit.
TEST(Resampler8xRing, InterpolatorImpulseResponseIsTheSameAtEveryRingPosition)
{
    constexpr int responseLength = 80;
    std::vector<double> reference;
    for (int delay = 0; delay < 64; ++delay) {
        Resampler8x up;
        std::vector<double> response;
        double out[8];
        for (int n = 0; n < delay + responseLength; ++n) {
            up.upsample(n == delay ? 1.0 : 0.0, out);
            if (n >= delay) response.insert(response.end(), out, out + 8);
        }
        if (delay == 0) reference = response;
        ASSERT_EQ(response, reference) << "impulse after " << delay << " samples";
    }
}

TEST(Resampler8xRing, DecimatorImpulseResponseIsTheSameAtEveryRingPosition)
{
    constexpr int responseLength = 80;
    for (int slot = 0; slot < 8; ++slot) {
        std::vector<double> reference;
        for (int delay = 0; delay < 16; ++delay) {
            Resampler8x down;
            std::vector<double> response;
            for (int n = 0; n < delay + responseLength; ++n) {
                double in[8] = {};
                if (n == delay) in[slot] = 1.0;
                const double y = down.downsample(in);
                if (n >= delay) response.push_back(y);
            }
            if (delay == 0) reference = response;
            ASSERT_EQ(response, reference) << "slot " << slot << ", impulse after " << delay << " samples";
        }
    }
}

// ---------------------------------------------------------------------------
// Frequency response at 44.1 kHz

// Measured: -0.0052 dB (12.2 kHz) to +0.0046 dB (16 kHz); -0.048 dB at 20 kHz.
TEST(Resampler8xResponse, ChainIsFlatWithinHundredthOfDecibelFrom20HzTo16kHz)
{
    std::vector<double> frequencies = {20.0, 50.0, 100.0};
    for (double f = 200.0; f <= 16000.0; f += 200.0) frequencies.push_back(f);
    for (double f : frequencies) EXPECT_NEAR(dB(std::abs(chainResponse(f))), 0.0, 0.01) << f << " Hz";
}

// Everything the interpolator puts out besides the tone is image energy.
// Measured: -77.3 dB (100 Hz) to -78.1 dB (5 kHz), the FIR's images near 88 kHz
// being the largest.
TEST(Resampler8xResponse, InterpolationImagesAreAtLeast77dBBelowTheTone)
{
    for (double f : {100.0, 1000.0, 5000.0, 10000.0, 16000.0}) {
        Resampler8x up;
        double out[8];
        double energy = 0.0;
        std::complex<double> toneSum = 0.0;
        int count = 0;
        for (int n = 0; n < kSettleSamples + kMeasureSamples; ++n) {
            up.upsample(std::sin(2.0 * kPi * f * n / kHostRate), out);
            if (n < kSettleSamples) continue;
            for (int i = 0; i < 8; ++i, ++count) {
                energy += out[i] * out[i];
                toneSum += out[i] * phasor(f, (8.0 * n + i) / kCircuitRate);
            }
        }
        const double tonePower = 2.0 * std::norm(toneSum) / count / count;
        const double totalPower = energy / count;
        EXPECT_LT(10.0 * std::log10((totalPower - tonePower) / tonePower), -77.0) << f << " Hz";
    }
}

// Tones near multiples of the host rate fold onto 1 kHz. Measured: -81.5 dB
// from 87.2 kHz, -84.1 dB from 175.4 kHz, below -137 dB from the others.
TEST(Resampler8xResponse, DecimationAliasesOntoOneKilohertzAreAtLeast80dBDown)
{
    const double alias = 1000.0;
    for (int k = 1; k <= 4; ++k) {
        for (double f : {k * kHostRate - alias, k * kHostRate + alias}) {
            if (f > kCircuitRate / 2.0) continue;
            Resampler8x down;
            std::complex<double> aliasSum = 0.0;
            for (int n = 0; n < kSettleSamples + kMeasureSamples; ++n) {
                double in[8];
                for (int i = 0; i < 8; ++i) in[i] = std::sin(2.0 * kPi * f * (8.0 * n + i) / kCircuitRate);
                const double y = down.downsample(in);
                if (n >= kSettleSamples) aliasSum += y * phasor(alias, n / kHostRate);
            }
            EXPECT_LT(dB(2.0 * std::abs(aliasSum) / kMeasureSamples), -80.0) << f << " Hz";
        }
    }
}

// Phase delay -arg(H)/w of the chain. Measured: 8.141 host samples at 100 Hz,
// 8.145 at 1 kHz; the impulse response peaks at its tenth sample.
TEST(Resampler8xResponse, ChainDelaysLowFrequenciesByAboutEightHostSamples)
{
    for (double f : {100.0, 1000.0}) {
        const double omega = 2.0 * kPi * f / kHostRate;
        const double delay = -std::arg(chainResponse(f)) / omega;
        EXPECT_GT(delay, 8.12) << f << " Hz";
        EXPECT_LT(delay, 8.17) << f << " Hz";
    }

    Chain chain;
    int peak = 0;
    double peakValue = 0.0;
    for (int n = 0; n < 64; ++n) {
        const double y = std::fabs(chain.process(n == 0 ? 1.0 : 0.0));
        if (y > peakValue) {
            peakValue = y;
            peak = n;
        }
    }
    EXPECT_EQ(peak, 9);
}

}  // namespace
