#include "formats/shared/ParameterDescriptions.h"

#include "effect/ParameterMapping.h"
#include "effect/Parameters.h"

#include <cctype>
#include <cmath>
#include <cstring>

namespace quenchbox::formats {

namespace {

bool endsWithIgnoringCase(const std::string& text, const char* end)
{
    const std::size_t n = std::strlen(end);
    if (n == 0 || text.size() < n)
        return false;
    for (std::size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(text[text.size() - n + i]))
            != std::tolower(static_cast<unsigned char>(end[i])))
            return false;
    return true;
}

// The text without trailing blanks and without the unit at its end.
std::string withoutUnit(int index, const char* text)
{
    std::string s(text);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.pop_back();
    const char* unit = effect::kParameters[index].unit;
    if (endsWithIgnoringCase(s, unit))
        s.erase(s.size() - std::strlen(unit));
    return s;
}

}  // namespace

float sanitizeValue(int index, double value)
{
    const float v = effect::clampUnit(std::isnan(value) ? 0.0f : static_cast<float>(value));
    // A stepped value is an integer; the published rule truncates others.
    return effect::isStepped(effect::kParameters[index].kind) ? std::trunc(v) : v;
}

std::string parameterText(int index, double value)
{
    char display[16] = "";  // the display writes at most 7 characters and a terminator
    effect::formatParameterDisplay(index, sanitizeValue(index, value), display);
    const std::string unit = effect::kParameters[index].unit;
    return unit.empty() ? display : std::string(display) + " " + unit;
}

bool parameterFromText(int index, const char* text, double& value)
{
    if (text == nullptr || !effect::isParameterIndex(index))
        return false;
    double read = 0.0;
    if (!effect::readParameterDisplay(index, withoutUnit(index, text).c_str(), read))
        return false;
    value = sanitizeValue(index, read);
    return true;
}

}  // namespace quenchbox::formats
