#include "effect/ParameterMapping.h"

#include "engine/TableLookup.h"

#include <algorithm>
#include <cmath>

namespace quenchbox::effect {

namespace {

constexpr double kDriveTaper[21] = {
    0.035962963, 0.05,        0.069515962, 0.094874002, 0.125097375, 0.162334447, 0.20667568,
    0.258123653, 0.316524826, 0.38154378,  0.452168649, 0.524183949, 0.598553855, 0.668716663,
    0.736032199, 0.798445227, 0.852457427, 0.900024899, 0.937306372, 0.968111092, 1.0};

constexpr double kLevelTaper[21] = {
    0.0,         0.05,        0.058544271, 0.068547869, 0.080259512, 0.09397152,  0.110029887,
    0.128835078, 0.150852112, 0.176640444, 0.206835722, 0.242198042, 0.283607521, 0.332096271,
    0.388867915, 0.455325314, 0.53309426,  0.624065638, 0.730425556, 0.854727254, 1.0};

constexpr double kDeepTaper[11] = {0.0,        0.175241903, 0.314862433, 0.427382496, 0.52233126, 0.604975743,
                                   0.67509678, 0.739909845, 0.802693067, 0.866697708, 1.0};

}  // namespace

float clampUnit(float value) { return static_cast<float>(engine::clampKnob(value)); }

double driveFraction(float value) { return engine::interpolateTable(kDriveTaper, 20, value); }

double levelFraction(float value) { return engine::interpolateTable(kLevelTaper, 20, value); }

double deepFraction(float value) { return engine::interpolateTable(kDeepTaper, 10, value); }

float supplyVoltage(float value) { return kSupplyScale / (kSupplyPole - clampUnit(value)) - kSupplyOffset; }

double supplyVoltageSetting(double volts)
{
    return double{kSupplyPole} - double{kSupplyScale} / (volts + double{kSupplyOffset});
}

float opAmpGain(float value)
{
    const float v = clampUnit(value);
    return v >= 1.0f ? kIdealOpAmpGain : kOpAmpGainSpan * v + kLowestOpAmpGain;
}

int twoWayChoice(float value)
{
    const int choice = static_cast<int>(2.0f * clampUnit(value));
    return choice < 1 ? choice : 1;
}

double samplePeriodFor(float rate, double previousPeriod)
{
    if (!(rate > 0.0f) || !std::isfinite(rate))
        return previousPeriod;
    return 1.0 / std::clamp(static_cast<double>(rate), kLowestSampleRate, kHighestSampleRate);
}

bool switchActsOn(float value) { return clampUnit(value) > 0.5f; }

}  // namespace quenchbox::effect
