#ifndef QUENCHBOX_EFFECT_ENGINESETTINGS_H
#define QUENCHBOX_EFFECT_ENGINESETTINGS_H

#include "effect/Parameters.h"
#include "engine/DriveEngine.h"

namespace quenchbox::effect {

// Writes the engine field of a continuous parameter (Drive, Level, Bass,
// Middle, Treble, Deep, Voltage, OA Gain, Scale, Mix) for `value`; other
// parameters leave the engine as it is. The effect's one way from a value to
// the circuit.
void writeContinuousSetting(engine::DriveEngine& engine, int parameter, float value);

}  // namespace quenchbox::effect

#endif
