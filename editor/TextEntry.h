#ifndef QUENCHBOX_EDITOR_TEXTENTRY_H
#define QUENCHBOX_EDITOR_TEXTENTRY_H

#include <cstddef>

namespace quenchbox::editor {

// Whether `text` is well-formed UTF-8 without control characters: what
// the text painters can draw (a host's menu labels are checked with it).
bool isPrintableUtf8(const char* text);

// What X11's XLookupString types is Latin-1; the text fields take UTF-8.
// `utf8` holds twice `count` bytes and a terminator.
void latin1ToUtf8(const char* latin1, int count, char* utf8);

// One line of typed UTF-8 text with a caret, as the "Type a value..." field
// holds it: a fixed buffer (no allocation while typing), at most
// kMaxCharacters characters, control characters and broken UTF-8 refused,
// the caret always on a character boundary.
class TextEntry {
public:
    static constexpr int kMaxCharacters = 32;

    // Replaces the text; with `selected` the whole text is selected, as a
    // field opened on a value is: the first key typed replaces it.
    void assign(const char* text, bool selected = false);
    void clear() { assign(""); }
    // Inserts what a key typed at the caret; answers false (and changes
    // nothing) for text that is not printable UTF-8 or would not fit.
    bool insert(const char* utf8);
    void backspace();
    void deleteForward();
    void caretLeft();
    void caretRight();
    void caretHome()
    {
        caret = 0;
        allSelected = false;
    }
    void caretEnd()
    {
        caret = length;
        allSelected = false;
    }

    const char* text() const { return buffer; }
    std::size_t caretByte() const { return caret; }
    int characters() const;
    bool selected() const { return allSelected; }

private:
    static constexpr std::size_t kBytes = kMaxCharacters * 4 + 1;

    char buffer[kBytes] = "";
    std::size_t length = 0;
    std::size_t caret = 0;
    bool allSelected = false;
};

}  // namespace quenchbox::editor

#endif
