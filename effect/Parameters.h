#ifndef QUENCHBOX_EFFECT_PARAMETERS_H
#define QUENCHBOX_EFFECT_PARAMETERS_H

#include "engine/EngineSample.h"

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

enum class ParameterKind {
    continuous,  // a knob or slider
    toggle,      // a switch: 0 off, 1 on
    choice,      // one of two: 0 the first, 1 the second
};

// Stepped parameters have two positions, 0 and 1; hosts count one step.
constexpr bool isStepped(ParameterKind kind) { return kind != ParameterKind::continuous; }
constexpr int stepCount(ParameterKind kind) { return isStepped(kind) ? 1 : 0; }

// What the display text shows of a value (formatParameterDisplay), and what
// a text is read back as (readParameterDisplay).
enum class DisplayStyle {
    onOff,         // "ON" from 0.5 up, else "OFF"
    fraction,      // the value, "%.2f"
    supplyVolts,   // the supply voltage, "%.1f"
    opAmpGain,     // the open-loop gain, whole numbers
    centred,       // value - 0.5, "%.2f"
    rzMode,        // "RZ1" or "RZ2"
    channelCount,  // "1" or "2"
    percent,       // the value in whole percent, "%d%%"
};

// How a change reaches the sound.
enum class Glide {
    none,   // at once, at the start of the next block
    knob,   // in equal steps over about 20 ms, as a hand turns a knob
    fade,   // a raised-cosine crossover with the bypassed signal ("Enable")
};

// The editor control a parameter drives; the editor's layout places them.
enum class EditorControl {
    driveDial,
    levelDial,
    deepDial,
    bassDial,
    middleDial,
    trebleDial,
    voltageSlider,
    gainSlider,
    scaleSlider,
    mixSlider,
    oversampleButton,
    channelsButton,
    modeButton,
    ledsButton,
    brightButton,
    powerButton,
};

struct ParameterInfo {
    ParameterIndex index;
    const char* name;       // VST 2.4's stored name, which hosts cut to 8 characters
    const char* fullName;   // what the newer formats show
    const char* lv2Symbol;  // the LV2 port's symbol: saved sessions name it, so it never changes
    const char* unit;       // empty when it has none; the newer formats' texts append it after a space
    ParameterKind kind;
    float defaultValue;  // also the factory program 0's value
    DisplayStyle display;
    Glide glide;
    int updateGroups;  // the engine's coefficient groups (engine::UpdateBits) a change recomputes
    EditorControl control;
};

namespace groups = engine::UpdateBits;

// Every fact about a parameter that more than one place needs, in index order.
inline constexpr ParameterInfo kParameters[kParameterCount] = {
    {kEnable, "Enable", "Enable", "enable", "", ParameterKind::toggle, 1.0f, DisplayStyle::onOff, Glide::fade, 0,
     EditorControl::powerButton},
    {kDrive, "Drive", "Drive", "drive", "", ParameterKind::continuous, 0.33f, DisplayStyle::fraction, Glide::knob,
     groups::kStages, EditorControl::driveDial},
    {kLevel, "Level", "Level", "level", "", ParameterKind::continuous, 0.5f, DisplayStyle::fraction, Glide::knob,
     groups::kOutputFilter, EditorControl::levelDial},
    {kBass, "Bass", "Bass", "bass", "", ParameterKind::continuous, 0.5f, DisplayStyle::fraction, Glide::knob,
     groups::kToneNetwork, EditorControl::bassDial},
    {kMiddle, "Middle", "Middle", "middle", "", ParameterKind::continuous, 0.5f, DisplayStyle::fraction, Glide::knob,
     groups::kToneNetwork, EditorControl::middleDial},
    {kTreble, "Treble", "Treble", "treble", "", ParameterKind::continuous, 0.5f, DisplayStyle::fraction, Glide::knob,
     groups::kToneNetwork, EditorControl::trebleDial},
    {kDeep, "Deep", "Deep", "deep", "", ParameterKind::continuous, 0.0f, DisplayStyle::fraction, Glide::knob,
     groups::kDeepNetwork, EditorControl::deepDial},
    {kVoltage, "Voltage", "Voltage", "voltage", "V", ParameterKind::continuous, 0.5f, DisplayStyle::supplyVolts,
     Glide::knob, groups::kSupplyVoltage, EditorControl::voltageSlider},
    {kOpAmpGain, "OA Gain", "OA Gain", "oa_gain", "", ParameterKind::continuous, 1.0f, DisplayStyle::opAmpGain,
     Glide::knob, groups::kOpAmpGain, EditorControl::gainSlider},
    // The LED pair is switched inside the solver, outside every group.
    {kLeds, "LEDs", "LEDs", "leds", "", ParameterKind::toggle, 1.0f, DisplayStyle::onOff, Glide::none, 0,
     EditorControl::ledsButton},
    {kScale, "Scale", "Scale", "scale", "", ParameterKind::continuous, 0.5f, DisplayStyle::centred, Glide::knob,
     groups::kTimeScale, EditorControl::scaleSlider},
    {kRzMode, "RZ Mode", "RZ Mode", "rz_mode", "", ParameterKind::choice, 0.0f, DisplayStyle::rzMode, Glide::none,
     groups::kToneNetwork | groups::kOutputFilter, EditorControl::modeButton},
    {kChannels, "Channels", "Channels", "channels", "", ParameterKind::choice, 0.0f, DisplayStyle::channelCount,
     Glide::none, 0, EditorControl::channelsButton},
    // A new rate of the circuit recomputes everything.
    {kOversample, "Oversample", "Oversample", "oversample", "", ParameterKind::toggle, 0.0f, DisplayStyle::onOff,
     Glide::none, groups::kAll, EditorControl::oversampleButton},
    {kBright, "Bright", "Bright", "bright", "", ParameterKind::toggle, 0.0f, DisplayStyle::onOff, Glide::none,
     groups::kOutputFilter, EditorControl::brightButton},
    // The dry/wet balance changes gains only.
    {kMix, "Mix", "Mix", "mix", "", ParameterKind::continuous, 1.0f, DisplayStyle::percent, Glide::knob, 0,
     EditorControl::mixSlider},
};

constexpr bool listedInIndexOrder()
{
    for (int i = 0; i < kParameterCount; ++i)
        if (kParameters[i].index != i)
            return false;
    return true;
}
static_assert(listedInIndexOrder(), "the parameter table is indexed by ParameterIndex");

// The parameter an editor control drives.
constexpr ParameterIndex parameterDriving(EditorControl control)
{
    for (const ParameterInfo& p : kParameters)
        if (p.control == control)
            return p.index;
    return kParameterCount;
}

// The stored name, or "Unknown" outside 0..15.
const char* parameterName(int index);

// The host's display text of a value, at most 7 characters and a terminator
// in the 8-byte buffer `text`. Indices outside 0..15 leave `text` untouched.
void formatParameterDisplay(int index, float value, char* text);

// Reads a display text back into a normalized value, the inverse of
// formatParameterDisplay: its words ("ON", "RZ2", any case) and numbers in
// the quantity it shows (volts, gain, offset, percent, 0..1, 1 or 2
// channels). The value is not yet clamped. Answers false and leaves value
// untouched when the text means nothing.
bool readParameterDisplay(int index, const char* text, double& value);

}  // namespace quenchbox::effect

#endif
