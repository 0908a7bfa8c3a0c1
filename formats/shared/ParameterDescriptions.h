#ifndef QUENCHBOX_FORMATS_SHARED_PARAMETERDESCRIPTIONS_H
#define QUENCHBOX_FORMATS_SHARED_PARAMETERDESCRIPTIONS_H

#include <string>

namespace quenchbox::formats {

// The texts the newer plug-in formats show beyond the VST2 build's display:
// the display followed by the unit, and texts that read back into values.
// Names, units, kinds and defaults come from the parameter table
// (effect::kParameters). Every value stays the VST2 build's normalized 0..1
// float; indices are 0..15 (callers check with effect::isParameterIndex).

// Clamps into 0..1 as the VST2 build's mappings do (NaN counts as 0); stepped
// parameters are truncated to 0 or 1, as the published rule for stepped
// values says.
float sanitizeValue(int index, double value);

// The VST2 build's display text of the value, followed by the unit.
std::string parameterText(int index, double value);

// Reads what parameterText prints, with or without the unit, and what the
// VST2 display reads back (effect::readParameterDisplay). Answers false and
// leaves value untouched when the text means nothing.
bool parameterFromText(int index, const char* text, double& value);

}  // namespace quenchbox::formats

#endif
