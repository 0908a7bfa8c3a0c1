#ifndef QUENCHBOX_EFFECT_METERHANDOFF_H
#define QUENCHBOX_EFFECT_METERHANDOFF_H

#include "effect/EffectLock.h"

namespace quenchbox::effect {

// The editor's copy of the three meters. The audio thread fills it once per
// block when the lock is free; the editor's timer reads it under the lock.
struct MeterHandoff {
    EffectLock lock;
    double solver = 0.0;
    double stageA = 0.0;
    double stageB = 0.0;
};

}  // namespace quenchbox::effect

#endif
