#ifndef QUENCHBOX_SHELL_STRINGCOPY_H
#define QUENCHBOX_SHELL_STRINGCOPY_H

#include <cstddef>
#include <cstring>

// Copies at most fieldSize characters into a fixed field and fills the rest
// with zero bytes. A text of exactly fieldSize characters has no terminator
// inside the field.
inline void copyPadded(char* field, const char* source, std::size_t fieldSize)
{
    std::size_t length = 0;
    for (; length < fieldSize && source[length] != '\0'; ++length)
        field[length] = source[length];
    std::memset(field + length, 0, fieldSize - length);
}

// Every text handed to the host goes through this copy: at most maxChars
// characters, zero-padded, and a terminator at position maxChars, so the
// host's buffer must hold maxChars + 1 bytes and is never overrun.
inline void copyBounded(char* destination, const char* source, std::size_t maxChars)
{
    copyPadded(destination, source, maxChars);
    destination[maxChars] = '\0';
}

#endif
