#ifndef QUENCHBOX_EFFECT_RESPONSEPREVIEW_H
#define QUENCHBOX_EFFECT_RESPONSEPREVIEW_H

#include "effect/Parameters.h"
#include "engine/DriveEngine.h"
#include "engine/ResponseCurves.h"

#include <memory>

namespace quenchbox::effect {

// The response display's curves for a set of parameter values, computed
// apart from any running effect (an LV2 UI in a process of its own) with the
// engine's own code: an engine of its own takes every value at once, as the
// effect takes them after a resume, and the curves are read from its display
// copies as the editor reads the effect's. The curves depend on the settings
// alone, so they are the ones the running effect shows.
class ResponsePreview {
public:
    ResponsePreview();

    // Recomputes `curves` when the values or the rate differ from the last
    // call's; answers whether it did.
    bool update(const float values[kParameterCount], float sampleRate, engine::ResponseCurves& curves);

private:
    std::unique_ptr<engine::DriveEngine> engine;
    bool computed = false;
    float computedValues[kParameterCount] = {};
    float computedRate = 0.0f;
};

}  // namespace quenchbox::effect

#endif
