#include "formats/shared/ParameterDescriptions.h"

#include "effect/ParameterMapping.h"
#include "effect/Parameters.h"
#include "effect/Programs.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>

namespace quenchbox::formats {

namespace {

using effect::ParameterIndex;

constexpr const char* kFullNames[effect::kParameterCount] = {
    "Enable", "Drive", "Level", "Bass",     "Middle",     "Treble", "Deep", "Voltage",
    "OA Gain", "LEDs", "Scale", "RZ Mode", "Channels", "Oversample", "Bright", "Mix"};

ParameterKind kindOf(int index)
{
    switch (index) {
    case effect::kEnable:
    case effect::kLeds:
    case effect::kOversample:
    case effect::kBright:
        return ParameterKind::toggle;
    case effect::kRzMode:
    case effect::kChannels:
        return ParameterKind::choice;
    default:
        return ParameterKind::continuous;
    }
}

// The gain text truncates, so a value read back sits in the middle of its
// whole number; the top of the range is the ideal op-amp.
constexpr float kIdealOpAmpGain = 200000.0f;
constexpr double kHighestFiniteGainValue = (299.5 - 100.0) / 200.0;

double fromDisplayedQuantity(int index, double x)
{
    switch (index) {
    case effect::kVoltage:
        // The inverse of 1071/121 / (14/11 - v) - 27/11.
        return 1.2727273 - 8.851239 / (x + 2.4545455);
    case effect::kOpAmpGain:
        return x >= kIdealOpAmpGain ? 1.0 : std::min((x - 100.0 + 0.5) / 200.0, kHighestFiniteGainValue);
    case effect::kScale:
        // "-0.00" is what a value just below the centre prints.
        return x == 0.0 && std::signbit(x) ? static_cast<double>(std::nextafter(0.5f, 0.0f)) : x + 0.5;
    case effect::kMix:
        return x / 100.0;
    case effect::kRzMode:
    case effect::kChannels:
        return x - 1.0;  // "1" or "2"
    default:
        return x;
    }
}

bool equalsIgnoringCase(const char* a, const char* b)
{
    for (; *a && *b; ++a, ++b)
        if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b)))
            return false;
    return *a == *b;
}

// A word the text shows for a stepped parameter, or -1.
double fromWord(int index, const char* word)
{
    const ParameterKind kind = kindOf(index);
    if (kind == ParameterKind::toggle) {
        if (equalsIgnoringCase(word, "ON"))
            return 1.0;
        if (equalsIgnoringCase(word, "OFF"))
            return 0.0;
    }
    if (index == effect::kRzMode) {
        if (equalsIgnoringCase(word, "RZ1"))
            return 0.0;
        if (equalsIgnoringCase(word, "RZ2"))
            return 1.0;
    }
    return -1.0;
}

// The text without surrounding blanks and without the unit (or a percent
// sign) at its end.
std::string numberPart(int index, const char* text)
{
    std::string s(text);
    auto blank = [](unsigned char c) { return std::isspace(c) != 0; };
    while (!s.empty() && blank(s.back()))
        s.pop_back();
    const std::string unit = describeParameter(index).unit;
    if (!unit.empty() && s.size() >= unit.size() && equalsIgnoringCase(s.c_str() + s.size() - unit.size(), unit.c_str()))
        s.erase(s.size() - unit.size());
    else if (!s.empty() && s.back() == '%')
        s.pop_back();
    std::size_t start = 0;
    while (start < s.size() && blank(s[start]))
        ++start;
    while (!s.empty() && blank(s.back()))
        s.pop_back();
    return s.substr(start);
}

}  // namespace

ParameterDescription describeParameter(int index)
{
    float defaults[effect::kParameterCount];
    effect::programs::readFactoryDefaults(defaults);
    const char* unit = index == effect::kVoltage ? " V" : "";
    return {kFullNames[index], unit, kindOf(index), defaults[index]};
}

float sanitizeValue(int index, double value)
{
    const float v = effect::clampUnit(std::isnan(value) ? 0.0f : static_cast<float>(value));
    // A stepped value is an integer; the published rule truncates others.
    return isStepped(kindOf(index)) ? std::trunc(v) : v;
}

std::string parameterText(int index, double value)
{
    char display[16] = "";  // the display writes at most 7 characters and a terminator
    effect::formatParameterDisplay(index, sanitizeValue(index, value), display);
    return std::string(display) + describeParameter(index).unit;
}

bool parameterFromText(int index, const char* text, double& value)
{
    if (text == nullptr || !effect::isParameterIndex(index))
        return false;
    const std::string number = numberPart(index, text);
    const double word = fromWord(index, number.c_str());
    if (word >= 0.0) {
        value = word;
        return true;
    }
    const char* first = number.c_str();
    if (*first == '+')
        ++first;
    const char* last = number.c_str() + number.size();
    double x = 0.0;
    const auto [end, error] = std::from_chars(first, last, x);
    if (error != std::errc() || end != last || !std::isfinite(x) || first == last)
        return false;
    value = sanitizeValue(index, fromDisplayedQuantity(index, x));
    return true;
}

}  // namespace quenchbox::formats
