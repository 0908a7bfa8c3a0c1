#ifndef QUENCHBOX_FORMATS_SHARED_PARAMETERDESCRIPTIONS_H
#define QUENCHBOX_FORMATS_SHARED_PARAMETERDESCRIPTIONS_H

#include <string>

namespace quenchbox::formats {

// What the newer plug-in formats tell their hosts about the sixteen
// parameters beyond the VST2 build's eight-character names: full names,
// units, which ones are stepped, and texts that read back into values.
// Every value stays the VST2 build's normalized 0..1 float.

enum class ParameterKind {
    continuous,  // a knob or slider
    toggle,      // a switch: 0 off, 1 on
    choice,      // one of two: 0 the first, 1 the second
};

struct ParameterDescription {
    const char* name;  // full name ("Oversample")
    const char* unit;  // appended to the display text; empty when it has none
    ParameterKind kind;
    float defaultValue;  // program 0 of the factory table
};

// Index 0..15 (callers check with effect::isParameterIndex).
ParameterDescription describeParameter(int index);

// Stepped parameters have two positions, 0 and 1.
constexpr bool isStepped(ParameterKind kind) { return kind != ParameterKind::continuous; }

// Clamps into 0..1 as the VST2 build's mappings do (NaN counts as 0); stepped
// parameters are truncated to 0 or 1, as the published rule for stepped
// values says.
float sanitizeValue(int index, double value);

// The VST2 build's display text of the value, followed by the unit.
std::string parameterText(int index, double value);

// Reads what parameterText prints, and plain numbers in the quantity the
// text shows (volts, gain, offset, percent, 0..1, 1 or 2 channels); a
// switch also takes "ON" and "OFF", "RZ Mode" "RZ1" and "RZ2". Answers false
// and leaves value untouched when the text means nothing.
bool parameterFromText(int index, const char* text, double& value);

}  // namespace quenchbox::formats

#endif
