#include "effect/ResponsePreview.h"

#include "effect/EngineSettings.h"
#include "effect/ParameterMapping.h"

#include <algorithm>

namespace quenchbox::effect {

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
