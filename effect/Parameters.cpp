#include "effect/Parameters.h"

#include "effect/ParameterMapping.h"
#include "shell/StringCopy.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>

namespace quenchbox::effect {

namespace {

// Texts are formatted in a roomy buffer and then cut to the host's 7
// characters and terminator.
constexpr int kFormatSize = 32;
constexpr int kDisplayChars = 7;

// The two words of a two-position display, for positions 0 and 1.
struct Words {
    const char* off;
    const char* on;
};

constexpr Words wordsOf(DisplayStyle style)
{
    return style == DisplayStyle::onOff ? Words{"OFF", "ON"} : style == DisplayStyle::rzMode ? Words{"RZ1", "RZ2"} : Words{};
}

void format(DisplayStyle style, float v, char (&formatted)[kFormatSize])
{
    switch (style) {
    case DisplayStyle::onOff:
    case DisplayStyle::rzMode:
        std::snprintf(formatted, kFormatSize, "%s", twoWayChoice(v) == 1 ? wordsOf(style).on : wordsOf(style).off);
        break;
    case DisplayStyle::fraction:
        std::snprintf(formatted, kFormatSize, "%.2f", v);
        break;
    case DisplayStyle::supplyVolts:
        std::snprintf(formatted, kFormatSize, "%.1f", supplyVoltage(v));
        break;
    case DisplayStyle::opAmpGain:
        std::snprintf(formatted, kFormatSize, "%d", static_cast<int>(opAmpGain(v)));
        break;
    case DisplayStyle::centred:
        std::snprintf(formatted, kFormatSize, "%.2f", v - 0.5f);
        break;
    case DisplayStyle::channelCount:
        std::snprintf(formatted, kFormatSize, "%d", twoWayChoice(v) + 1);
        break;
    case DisplayStyle::percent:
        std::snprintf(formatted, kFormatSize, "%d%%", static_cast<int>(std::lround(v * 100.0f)));
        break;
    }
}

// The gain text truncates, so a value read back sits in the middle of its
// whole number. Just below the top the gain rounds to 300 in single
// precision; the top itself is the ideal op-amp.
double fromDisplayedGain(double x)
{
    if (x >= kIdealOpAmpGain)
        return 1.0;
    return std::min((x - kLowestOpAmpGain + 0.5) / kOpAmpGainSpan, static_cast<double>(std::nextafter(1.0f, 0.0f)));
}

// The normalized value whose display shows the quantity x.
double fromDisplayedQuantity(DisplayStyle style, double x)
{
    switch (style) {
    case DisplayStyle::supplyVolts:
        return supplyVoltageSetting(x);
    case DisplayStyle::opAmpGain:
        return fromDisplayedGain(x);
    case DisplayStyle::centred:
        // "-0.00" is what a value just below the centre prints.
        return x == 0.0 && std::signbit(x) ? static_cast<double>(std::nextafter(0.5f, 0.0f)) : x + 0.5;
    case DisplayStyle::percent:
        return x / 100.0;
    case DisplayStyle::rzMode:
    case DisplayStyle::channelCount:
        return x - 1.0;  // "1" or "2"
    case DisplayStyle::onOff:
    case DisplayStyle::fraction:
        break;
    }
    return x;
}

bool equalsIgnoringCase(const std::string& a, const char* b)
{
    std::size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return i == a.size() && b[i] == '\0';
}

std::string trimmed(const std::string& text)
{
    auto blank = [](unsigned char c) { return std::isspace(c) != 0; };
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && blank(text[first]))
        ++first;
    while (last > first && blank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

bool readNumber(const std::string& text, double& x)
{
    const char* first = text.c_str();
    const char* last = first + text.size();
    if (first != last && *first == '+')
        ++first;
    const auto [end, error] = std::from_chars(first, last, x);
    return first != last && error == std::errc() && end == last && std::isfinite(x);
}

}  // namespace

const char* parameterName(int index) { return isParameterIndex(index) ? kParameters[index].name : "Unknown"; }

void formatParameterDisplay(int index, float value, char* text)
{
    if (!isParameterIndex(index))
        return;
    char formatted[kFormatSize] = "";
    format(kParameters[index].display, clampUnit(value), formatted);
    copyBounded(text, formatted, kDisplayChars);
}

bool readParameterDisplay(int index, const char* text, double& value)
{
    if (text == nullptr || !isParameterIndex(index))
        return false;
    const DisplayStyle style = kParameters[index].display;
    // Surrounding blanks and a percent sign at the end are read past.
    std::string s = trimmed(text);
    if (!s.empty() && s.back() == '%')
        s = trimmed(s.substr(0, s.size() - 1));
    const Words words = wordsOf(style);
    if (words.on != nullptr && (equalsIgnoringCase(s, words.off) || equalsIgnoringCase(s, words.on))) {
        value = equalsIgnoringCase(s, words.on) ? 1.0 : 0.0;
        return true;
    }
    double x = 0.0;
    if (!readNumber(s, x))
        return false;
    value = fromDisplayedQuantity(style, x);
    return true;
}

}  // namespace quenchbox::effect
