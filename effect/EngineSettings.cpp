#include "effect/EngineSettings.h"

#include "effect/ParameterMapping.h"
#include "engine/MixLaw.h"

#include <algorithm>

namespace quenchbox::effect {

void writeContinuousSetting(engine::DriveEngine& engine, int parameter, float value)
{
    switch (parameter) {
    case kDrive:
        engine.drive = driveFraction(value);
        break;
    case kLevel:
        engine.level = levelFraction(value);
        break;
    case kVoltage:
        engine.supplyVoltage = supplyVoltage(value);
        break;
    case kOpAmpGain:
        engine.opAmpGain = opAmpGain(value);
        break;
    case kDeep:
        engine.deepAmount = deepFraction(value);
        break;
    case kBass:
        engine.bass = clampUnit(value);
        break;
    case kMiddle:
        engine.middle = clampUnit(value);
        break;
    case kTreble:
        engine.treble = clampUnit(value);
        break;
    case kScale:
        engine.scale = clampUnit(value) - 0.5f;
        break;
    case kMix: {
        const engine::MixGains mix = engine::equalPowerMix(clampUnit(value));
        engine.dryGain = mix.dry;
        engine.wetGain = mix.wet;
        break;
    }
    default:
        break;
    }
}


ResponsePreview::ResponsePreview() : engine(std::make_unique<engine::DriveEngine>()) {}

bool ResponsePreview::update(const float values[kParameterCount], float sampleRate, engine::ResponseCurves& curves)
{
    if (computed && sampleRate == computedRate && std::equal(values, values + kParameterCount, computedValues))
        return false;
    computed = true;
    computedRate = sampleRate;
    std::copy(values, values + kParameterCount, computedValues);

    engine::DriveEngine& e = *engine;
    e.samplePeriod = samplePeriodFor(sampleRate, e.samplePeriod);
    e.oversample = switchActsOn(values[kOversample]);
    e.mode = twoWayChoice(values[kRzMode]);
    e.bright = switchActsOn(values[kBright]);
    for (int parameter = 0; parameter < kParameterCount; ++parameter)
        writeContinuousSetting(e, parameter, clampUnit(values[parameter]));
    e.update(engine::UpdateBits::kAll);
    e.publish(engine::UpdateBits::kAll);

    // The editor's own test for the grid: the stored value above one half.
    curves.computeGrid(sampleRate, values[kOversample] > 0.5f);
    curves.computePre(e);
    curves.computePost(e);
    return true;
}

}  // namespace quenchbox::effect
