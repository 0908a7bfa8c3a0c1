#include "effect/EngineSettings.h"

#include "effect/ParameterMapping.h"
#include "engine/MixLaw.h"

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

}  // namespace quenchbox::effect
