#include "editor/TextEntry.h"

#include <cstring>

namespace quenchbox::editor {

namespace {

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The length of the UTF-8 character starting with `lead`, 0 when `lead`
// cannot start one.
std::size_t sequenceLength(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

// The second byte's range after `lead`: it rules out overlong forms,
// UTF-16 surrogates and code points past U+10FFFF.
bool secondByteFits(unsigned char lead, unsigned char second)
{
    switch (lead) {
    case 0xE0: return second >= 0xA0;
    case 0xED: return second <= 0x9F;
    case 0xF0: return second >= 0x90;
    case 0xF4: return second <= 0x8F;
    default: return true;
    }
}

// Counts the characters of `text` if it is printable UTF-8 (no control
// characters); -1 otherwise.
int printableCharacters(const char* text)
{
    int count = 0;
    for (std::size_t i = 0; text[i] != '\0'; ++count) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t n = sequenceLength(lead);
        if (n == 0 || (n == 1 && (lead < 0x20 || lead == 0x7F)))
            return -1;
        for (std::size_t k = 1; k < n; ++k)
            if (!isContinuation(static_cast<unsigned char>(text[i + k])))
                return -1;
        if (n > 1 && !secondByteFits(lead, static_cast<unsigned char>(text[i + 1])))
            return -1;
        i += n;
    }
    return count;
}

}  // namespace

bool isPrintableUtf8(const char* text) { return text != nullptr && printableCharacters(text) >= 0; }

void TextEntry::assign(const char* text, bool selected)
{
    buffer[0] = '\0';
    length = 0;
    caret = 0;
    allSelected = false;
    if (text != nullptr)
        insert(text);
    allSelected = selected && length > 0;
}

bool TextEntry::insert(const char* utf8)
{
    if (utf8 == nullptr || (allSelected && printableCharacters(utf8) < 0))
        return false;
    if (allSelected)
        assign("");
    const int added = printableCharacters(utf8);
    const std::size_t bytes = std::strlen(utf8);
    if (added < 0 || characters() + added > kMaxCharacters || length + bytes >= kBytes)
        return false;
    std::memmove(buffer + caret + bytes, buffer + caret, length - caret + 1);
    std::memcpy(buffer + caret, utf8, bytes);
    length += bytes;
    caret += bytes;
    return true;
}

void TextEntry::caretLeft()
{
    allSelected = false;
    while (caret > 0) {
        --caret;
        if (!isContinuation(static_cast<unsigned char>(buffer[caret])))
            break;
    }
}

void TextEntry::caretRight()
{
    allSelected = false;
    while (caret < length) {
        ++caret;
        if (caret == length || !isContinuation(static_cast<unsigned char>(buffer[caret])))
            break;
    }
}

void TextEntry::backspace()
{
    if (allSelected) {
        assign("");
        return;
    }
    const std::size_t end = caret;
    caretLeft();
    std::memmove(buffer + caret, buffer + end, length - end + 1);
    length -= end - caret;
}

void TextEntry::deleteForward()
{
    if (allSelected) {
        assign("");
        return;
    }
    const std::size_t start = caret;
    caretRight();
    const std::size_t end = caret;
    std::memmove(buffer + start, buffer + end, length - end + 1);
    length -= end - start;
    caret = start;
}

int TextEntry::characters() const
{
    int count = 0;
    for (std::size_t i = 0; i < length; ++i)
        if (!isContinuation(static_cast<unsigned char>(buffer[i])))
            ++count;
    return count;
}

void latin1ToUtf8(const char* latin1, int count, char* utf8)
{
    for (int i = 0; i < count; ++i) {
        const auto c = static_cast<unsigned char>(latin1[i]);
        if (c < 0x80) {
            *utf8++ = static_cast<char>(c);
        } else {
            *utf8++ = static_cast<char>(0xC0 | (c >> 6));
            *utf8++ = static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    *utf8 = '\0';
}

}  // namespace quenchbox::editor
