#ifndef QUENCHBOX_EFFECT_PARAMETERS_H
#define QUENCHBOX_EFFECT_PARAMETERS_H

namespace quenchbox::effect {

// The sixteen automatable parameters, in the order the host sees them. Every
// value is a normalized float; the interpretation happens when it is shown
// (formatParameterDisplay) or applied to the engine (the processing entry).
enum ParameterIndex : int {
    kEnable,
    kDrive,
    kLevel,
    kBass,
    kMiddle,
    kTreble,
    kDeep,
    kVoltage,
    kOpAmpGain,
    kLeds,
    kScale,
    kRzMode,
    kChannels,
    kOversample,
    kBright,
    kMix,
    kParameterCount
};

constexpr bool isParameterIndex(int index) { return static_cast<unsigned>(index) < kParameterCount; }

// The stored name, or "Unknown" outside 0..15.
const char* parameterName(int index);

// The host's display text of a value, at most 7 characters and a terminator
// in the 8-byte buffer `text`. Indices outside 0..15 leave `text` untouched.
void formatParameterDisplay(int index, float value, char* text);

}  // namespace quenchbox::effect

#endif
