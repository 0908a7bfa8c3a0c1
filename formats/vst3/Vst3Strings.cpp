#include "formats/vst3/Vst3Strings.h"

#include <algorithm>
#include <cstring>

namespace quenchbox::vst3 {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// The code point starting at text[at], and the bytes it takes.
char32_t decodeUtf8(const unsigned char* text, std::size_t& length)
{
    const unsigned char lead = text[0];
    int continuation = 0;
    char32_t point = 0;
    if (lead < 0x80) {
        length = 1;
        return lead;
    }
    if ((lead & 0xE0) == 0xC0) {
        continuation = 1;
        point = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        continuation = 2;
        point = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        continuation = 3;
        point = lead & 0x07;
    } else {
        length = 1;
        return kReplacement;
    }
    for (int i = 1; i <= continuation; ++i) {
        if ((text[i] & 0xC0) != 0x80) {
            length = static_cast<std::size_t>(i);
            return kReplacement;
        }
        point = (point << 6) | (text[i] & 0x3F);
    }
    length = static_cast<std::size_t>(continuation) + 1;
    static constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    if (point < kSmallest[continuation] || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF))
        return kReplacement;
    return point;
}

void appendUtf8(std::string& out, char32_t point)
{
    if (point < 0x80) {
        out += static_cast<char>(point);
    } else if (point < 0x800) {
        out += static_cast<char>(0xC0 | (point >> 6));
        out += static_cast<char>(0x80 | (point & 0x3F));
    } else if (point < 0x10000) {
        out += static_cast<char>(0xE0 | (point >> 12));
        out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (point & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (point >> 18));
        out += static_cast<char>(0x80 | ((point >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (point & 0x3F));
    }
}

}  // namespace

void toUtf16(const char* text, char16* field, std::size_t capacity)
{
    if (field == nullptr || capacity == 0)
        return;
    std::size_t used = 0;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text != nullptr ? text : "");
    while (*bytes != 0) {
        std::size_t length = 0;
        const char32_t point = decodeUtf8(bytes, length);
        bytes += length;
        const std::size_t units = point >= 0x10000 ? 2 : 1;
        if (used + units >= capacity)
            break;
        if (units == 2) {
            field[used++] = static_cast<char16>(0xD800 + ((point - 0x10000) >> 10));
            field[used++] = static_cast<char16>(0xDC00 + ((point - 0x10000) & 0x3FF));
        } else {
            field[used++] = static_cast<char16>(point);
        }
    }
    field[used] = 0;
}

std::string fromUtf16(const char16* text, std::size_t maxUnits)
{
    std::string out;
    if (text == nullptr)
        return out;
    for (std::size_t i = 0; i < maxUnits && text[i] != 0; ++i) {
        const char32_t unit = text[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < maxUnits && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (static_cast<char32_t>(text[i + 1]) - 0xDC00));
            ++i;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            appendUtf8(out, kReplacement);
        } else {
            appendUtf8(out, unit);
        }
    }
    return out;
}

void copyToField(const char* text, char* field, std::size_t capacity)
{
    if (field == nullptr || capacity == 0)
        return;
    const std::size_t length = text != nullptr ? std::min(std::strlen(text), capacity - 1) : 0;
    std::memset(field, 0, capacity);
    if (length > 0)
        std::memcpy(field, text, length);
}

}  // namespace quenchbox::vst3
