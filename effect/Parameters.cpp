#include "effect/Parameters.h"

#include "effect/ParameterMapping.h"
#include "shell/StringCopy.h"

#include <cmath>
#include <cstdio>

namespace quenchbox::effect {

namespace {

constexpr const char* kParameterNames[kParameterCount] = {
    "Enable", "Drive", "Level", "Bass",     "Middle",     "Treble", "Deep", "Voltage",
    "OA Gain", "LEDs", "Scale", "RZ Mode", "Channels", "Oversample", "Bright", "Mix"};

// Texts are formatted in a roomy buffer and then cut to the host's 7
// characters and terminator.
constexpr int kFormatSize = 32;
constexpr int kDisplayChars = 7;

const char* onOff(float value) { return twoWayChoice(value) == 1 ? "ON" : "OFF"; }

}  // namespace

const char* parameterName(int index) { return isParameterIndex(index) ? kParameterNames[index] : "Unknown"; }

void formatParameterDisplay(int index, float value, char* text)
{
    if (!isParameterIndex(index))
        return;
    const float v = clampUnit(value);
    char formatted[kFormatSize] = "";
    switch (index) {
    case kEnable:
    case kLeds:
    case kOversample:
    case kBright:
        std::snprintf(formatted, kFormatSize, "%s", onOff(v));
        break;
    case kDrive:
    case kLevel:
    case kBass:
    case kMiddle:
    case kTreble:
    case kDeep:
        std::snprintf(formatted, kFormatSize, "%.2f", v);
        break;
    case kVoltage:
        std::snprintf(formatted, kFormatSize, "%.1f", supplyVoltage(v));
        break;
    case kOpAmpGain:
        std::snprintf(formatted, kFormatSize, "%d", static_cast<int>(opAmpGain(v)));
        break;
    case kScale:
        std::snprintf(formatted, kFormatSize, "%.2f", v - 0.5f);
        break;
    case kRzMode:
        std::snprintf(formatted, kFormatSize, "%s", twoWayChoice(v) == 1 ? "RZ2" : "RZ1");
        break;
    case kChannels:
        std::snprintf(formatted, kFormatSize, "%d", twoWayChoice(v) + 1);
        break;
    case kMix:
        // The dry/wet balance is continuous; the host sees it in percent wet.
        std::snprintf(formatted, kFormatSize, "%d%%", static_cast<int>(std::lround(v * 100.0f)));
        break;
    default:
        break;
    }
    copyBounded(text, formatted, kDisplayChars);
}

}  // namespace quenchbox::effect
