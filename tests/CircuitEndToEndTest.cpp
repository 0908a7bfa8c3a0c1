// The whole plug-in as a guitarist hears it: clean input in, the circuit's
// distortion out, for every factory program.

#include "EffectHarness.h"
#include "host/DemoPhrase.h"
#include "host/SignalAnalysis.h"

#include <gtest/gtest.h>

namespace {

using quenchbox::host::demoPhrase;
using quenchbox::host::dftAt;
using quenchbox::testing::EffectHarness;
using quenchbox::testing::sine;
namespace fx = quenchbox::effect;

constexpr double kRate = 44100.0;

// Harmonic distortion of a steady 200 Hz tone over its last half second: the
// energy of harmonics 2 to 50 relative to the fundamental, in dB.
double harmonicDistortionDb(const std::vector<double>& y)
{
    const std::vector<double> tail(y.end() - 22050, y.end());
    const double fundamental = std::norm(dftAt(tail, 0, 22050, 200.0, kRate));
    double harmonics = 0.0;
    for (int k = 2; k <= 50; ++k)
        harmonics += std::norm(dftAt(tail, 0, 22050, 200.0 * k, kRate));
    return 10.0 * std::log10(harmonics / fundamental);
}

TEST(CircuitEndToEnd, TheDefaultProgramDistortsACleanSine)
{
    const auto x = sine<double>(200.0, 0.3, 44100);
    EffectHarness clean;
    clean.set(fx::kEnable, 0.0f);
    EXPECT_LT(harmonicDistortionDb(clean.run(x, x)[0]), -200.0);

    EffectHarness driven;
    EXPECT_GT(harmonicDistortionDb(driven.run(x, x)[0]), -20.0);  // measured -15 dB

    // More Drive, more distortion; the LEDs add their share.
    EffectHarness moreDrive;
    moreDrive.set(fx::kDrive, 1.0f);
    EXPECT_GT(harmonicDistortionDb(moreDrive.run(x, x)[0]), harmonicDistortionDb(driven.run(x, x)[0]));
}

TEST(CircuitEndToEnd, TheLedPairClipsOnlyWhenSwitchedIn)
{
    const auto x = sine<double>(200.0, 0.5, 8192);
    EffectHarness leds;
    leds.set(fx::kDrive, 1.0f);
    leds.run(x, x);
    EXPECT_GT(leds.effect->stageMeters().solver, 1e-6);  // amperes through the pair

    EffectHarness noLeds;
    noLeds.set(fx::kDrive, 1.0f);
    noLeds.set(fx::kLeds, 0.0f);
    noLeds.run(x, x);
    EXPECT_EQ(noLeds.effect->stageMeters().solver, 0.0);
    EXPECT_GT(noLeds.effect->stageMeters().stageA, 0.0);  // the op-amps still compress
}

class EveryFactoryProgram : public ::testing::TestWithParam<int> {};

template <typename Sample>
void expectFiniteAndBounded(int program, float oversample)
{
    const auto phrase = demoPhrase(kRate);
    std::vector<Sample> hot;
    for (double x : phrase.channels[0])
        hot.push_back(static_cast<Sample>(4.0 * x));  // +12 dB: the hottest pickup into the pedal
    EffectHarness h;
    h.dispatch(effSetProgram, 0, program);
    h.set(fx::kOversample, oversample);
    h.set(fx::kChannels, 1.0f);
    const auto out = h.run(hot, hot);
    for (const auto& channel : out)
        for (Sample y : channel)
            ASSERT_TRUE(std::isfinite(y) && std::fabs(y) < 2.0) << program << " " << y;  // measured below 0.2
}

TEST_P(EveryFactoryProgram, GivesFiniteBoundedOutputForAHotGuitar)
{
    expectFiniteAndBounded<float>(GetParam(), 0.0f);
    expectFiniteAndBounded<double>(GetParam(), 1.0f);
}

INSTANTIATE_TEST_SUITE_P(Programs, EveryFactoryProgram, ::testing::Range(0, 10));

}  // namespace
