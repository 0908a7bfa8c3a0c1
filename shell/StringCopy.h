#ifndef QUENCHBOX_SHELL_STRINGCOPY_H
#define QUENCHBOX_SHELL_STRINGCOPY_H

#include <cstddef>
#include <cstring>

// Every text handed to the host goes through this copy: at most maxChars
// characters, zero-padded, and a terminator at position maxChars, so the
// host's buffer must hold maxChars + 1 bytes and is never overrun.
inline void copyBounded(char* destination, const char* source, std::size_t maxChars)
{
    std::strncpy(destination, source, maxChars);
    destination[maxChars] = '\0';
}

#endif
