#include "engine/DriveEngine.h"
#include "engine/NoiseGenerator.h"
#include "engine/Resampler8x.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace quenchbox::engine;

TEST(NoiseGenerator, StartsFromTheIncrementAndStaysTinyAndPositive)
{
    NoiseGenerator noise;
    const double first = noise.next();
    EXPECT_EQ(noise.state, 1013904223u);
    EXPECT_EQ(first, static_cast<double>(static_cast<float>(1013904223u) * 1.1754943508222875e-38f) * 1e10);
    for (int n = 0; n < 100000; ++n) {
        const double value = noise.next();
        ASSERT_GE(value, 0.0);
        ASSERT_LT(value, 5.05e-19);
    }
}

TEST(Oversampling, BypassLeavesOnlyTheResamplersAndTheNoise)
{
    DriveEngine engine;
    engine.oversample = true;
    engine.enabled = 0;
    engine.update(UpdateBits::kAll);

    Resampler8x up;
    Resampler8x down;
    NoiseGenerator noise;
    for (int n = 0; n < 2000; ++n) {
        const double x = std::sin(0.05 * n) * (n % 7 == 0 ? 2.0 : 0.5);
        EngineSample sample;
        sample.input = x;
        engine.processSample(sample);

        double circuitRate[8];
        up.upsample(x + noise.next(), circuitRate);
        ASSERT_EQ(sample.output, down.downsample(circuitRate)) << n;
    }
}

TEST(Oversampling, SwitchingOffAndOnResumesTheResamplers)
{
    // Two engines see the same oversampled input; one spends a sample with
    // oversampling off. Its resamplers keep their history meanwhile, so once
    // both are oversampled again they produce the same output.
    DriveEngine steady;
    DriveEngine toggled;
    for (DriveEngine* e : {&steady, &toggled}) {
        e->oversample = true;
        e->enabled = 0;
        e->update(UpdateBits::kAll);
    }
    auto feed = [](DriveEngine& e, double x) {
        EngineSample s;
        s.input = x;
        e.processSample(s);
        return s.output;
    };
    for (int n = 0; n < 500; ++n) {
        feed(steady, std::sin(0.01 * n));
        feed(toggled, std::sin(0.01 * n));
    }
    toggled.oversample = false;
    feed(toggled, 0.3);
    toggled.oversample = true;
    for (int n = 0; n < 50; ++n)
        ASSERT_EQ(feed(steady, 0.25), feed(toggled, 0.25)) << n;
}

TEST(Oversampling, DividesTheCircuitPeriodByEight)
{
    DriveEngine engine;
    engine.samplePeriod = 1.0 / 48000.0;
    engine.scale = -0.5;
    EXPECT_DOUBLE_EQ(engine.effectivePeriod(), 0.5 / 48000.0);
    engine.oversample = true;
    EXPECT_DOUBLE_EQ(engine.effectivePeriod(), 0.5 / 48000.0 / 8.0);
}

}  // namespace
