#include "EffectHarness.h"
#include "effect/ParameterMapping.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

using quenchbox::testing::EffectHarness;
namespace fx = quenchbox::effect;

std::string display(EffectHarness& h, int index, float value)
{
    h.set(index, value);
    return h.text(effGetParamDisplay, index);
}

TEST(ParameterStore, ConstructionLoadsTheDefaultProgram)
{
    EffectHarness h;
    const float defaults[16] = {1, 0.33f, 0.5f, 0.5f, 0.5f, 0.5f, 0, 0.5f, 1, 1, 0.5f, 0, 0, 0, 0, 1};
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(h.get(i), defaults[i]) << "parameter " << i;
}

TEST(ParameterStore, KeepsWhatTheHostWroteAndIgnoresUnknownIndices)
{
    EffectHarness h;
    h.set(3, 0.5f);
    EXPECT_EQ(h.get(3), 0.5f);
    h.set(1, 7.5f);
    EXPECT_EQ(h.get(1), 7.5f);
    h.set(2, std::numeric_limits<float>::quiet_NaN());
    EXPECT_TRUE(std::isnan(h.get(2)));

    h.set(16, 0.9f);
    h.set(-1, 0.9f);
    EXPECT_EQ(h.get(16), 0.0f);
    EXPECT_EQ(h.get(-1), 0.0f);
    EXPECT_EQ(h.get(15), 1.0f);
}

TEST(ParameterText, NamesAreCutToEightCharacters)
{
    EffectHarness h;
    EXPECT_EQ(h.text(effGetParamName, 0), "Enable");
    EXPECT_EQ(h.text(effGetParamName, 12), "Channels");
    EXPECT_EQ(h.text(effGetParamName, 13), "Oversamp");
    EXPECT_EQ(h.text(effGetParamName, 16), "Unknown");
    EXPECT_EQ(h.text(effGetParamName, -5), "Unknown");
    EXPECT_EQ(h.text(effGetParamLabel, 1), "");
}

TEST(ParameterText, DisplaysAtTheBoundaries)
{
    EffectHarness h;
    EXPECT_EQ(display(h, fx::kEnable, 0.49f), "OFF");
    EXPECT_EQ(display(h, fx::kEnable, 0.5f), "ON");
    EXPECT_EQ(display(h, fx::kEnable, 1.0f), "ON");
    EXPECT_EQ(display(h, fx::kOversample, 0.0f), "OFF");
    EXPECT_EQ(display(h, fx::kDrive, 0.0f), "0.00");
    EXPECT_EQ(display(h, fx::kDrive, 1.0f), "1.00");
    EXPECT_EQ(display(h, fx::kTreble, 0.333f), "0.33");
    EXPECT_EQ(display(h, fx::kVoltage, 0.0f), "4.5");
    EXPECT_EQ(display(h, fx::kVoltage, 0.5f), "9.0");
    EXPECT_EQ(display(h, fx::kVoltage, 1.0f), "30.0");
    EXPECT_EQ(display(h, fx::kOpAmpGain, 0.0f), "100");
    EXPECT_EQ(display(h, fx::kOpAmpGain, 0.5f), "200");
    EXPECT_EQ(display(h, fx::kOpAmpGain, 0.999f), "299");
    EXPECT_EQ(display(h, fx::kOpAmpGain, 1.0f), "200000");
    EXPECT_EQ(display(h, fx::kScale, 0.0f), "-0.50");
    EXPECT_EQ(display(h, fx::kScale, 0.5f), "0.00");
    EXPECT_EQ(display(h, fx::kScale, 1.0f), "0.50");
    EXPECT_EQ(display(h, fx::kRzMode, 0.49f), "RZ1");
    EXPECT_EQ(display(h, fx::kRzMode, 0.5f), "RZ2");
    EXPECT_EQ(display(h, fx::kRzMode, 1.0f), "RZ2");
    EXPECT_EQ(display(h, fx::kChannels, 0.0f), "1");
    EXPECT_EQ(display(h, fx::kChannels, 1.0f), "2");
    EXPECT_EQ(display(h, fx::kMix, 0.0f), "0%");
    EXPECT_EQ(display(h, fx::kMix, 0.755f), "76%");
    EXPECT_EQ(display(h, fx::kMix, 1.0f), "100%");
}

TEST(ParameterText, ValuesOutsideTheRangeDisplayWhatPlays)
{
    EffectHarness h;
    EXPECT_EQ(display(h, fx::kVoltage, 1.2727273f), "30.0");  // the formula's pole is never reached
    EXPECT_EQ(display(h, fx::kOpAmpGain, std::numeric_limits<float>::quiet_NaN()), "100");
    EXPECT_EQ(display(h, fx::kDrive, -3.0f), "0.00");
    EXPECT_EQ(display(h, fx::kMix, std::numeric_limits<float>::infinity()), "100%");

    char untouched[8] = "keep";
    h.dispatch(effGetParamDisplay, 16, 0, untouched);
    EXPECT_STREQ(untouched, "keep");
}

TEST(ParameterMapping, TapersInterpolateBetweenTheirEntries)
{
    EXPECT_DOUBLE_EQ(fx::driveFraction(0.0f), 0.035962963);
    EXPECT_DOUBLE_EQ(fx::driveFraction(0.5f), 0.452168649);
    EXPECT_DOUBLE_EQ(fx::driveFraction(1.0f), 1.0);
    EXPECT_DOUBLE_EQ(fx::driveFraction(0.125f), 0.5 * (0.069515962 + 0.094874002));
    EXPECT_DOUBLE_EQ(fx::levelFraction(0.0f), 0.0);
    EXPECT_DOUBLE_EQ(fx::levelFraction(0.5f), 0.206835722);
    EXPECT_NEAR(fx::deepFraction(0.05f), 0.5 * 0.175241903, 1e-8);
    EXPECT_DOUBLE_EQ(fx::deepFraction(0.5f), 0.604975743);
}

TEST(ParameterMapping, EveryMappingStaysInsideItsTable)
{
    for (float v : {-1.0f, 1.5f, 1e30f, -std::numeric_limits<float>::infinity(),
                    std::numeric_limits<float>::quiet_NaN()}) {
        const double drive = fx::driveFraction(v);
        EXPECT_TRUE(drive == 0.035962963 || drive == 1.0) << v;
        EXPECT_TRUE(std::isfinite(fx::levelFraction(v)));
        EXPECT_TRUE(std::isfinite(fx::deepFraction(v)));
        EXPECT_GE(fx::supplyVoltage(v), 4.49f);
        EXPECT_LE(fx::supplyVoltage(v), 30.01f);
        EXPECT_TRUE(fx::opAmpGain(v) == 100.0f || fx::opAmpGain(v) == 200000.0f) << v;
    }
}

TEST(ParameterMapping, SampleRatesNoHostUsesKeepASanePeriod)
{
    const double previous = 1.0 / 44100.0;
    EXPECT_DOUBLE_EQ(fx::samplePeriodFor(48000.0f, previous), 1.0 / 48000.0);
    EXPECT_DOUBLE_EQ(fx::samplePeriodFor(1.0f, previous), 1.0 / 1000.0);
    EXPECT_DOUBLE_EQ(fx::samplePeriodFor(1e7f, previous), 1.0 / 1536000.0);
    for (float broken : {0.0f, -48000.0f, std::numeric_limits<float>::infinity(),
                         std::numeric_limits<float>::quiet_NaN()})
        EXPECT_EQ(fx::samplePeriodFor(broken, previous), previous) << broken;
}

TEST(ParameterMapping, SwitchesActOnlyAboveOneHalf)
{
    EXPECT_FALSE(fx::switchActsOn(0.5f));
    EXPECT_TRUE(fx::switchActsOn(0.5001f));
    EXPECT_EQ(fx::twoWayChoice(0.5f), 1);
    EXPECT_EQ(fx::twoWayChoice(0.4999f), 0);
    EXPECT_EQ(fx::twoWayChoice(1.0f), 1);
}

}  // namespace
