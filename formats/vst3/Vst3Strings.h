#ifndef QUENCHBOX_FORMATS_VST3_VST3STRINGS_H
#define QUENCHBOX_FORMATS_VST3_VST3STRINGS_H

#include "formats/vst3/Vst3Interface.h"

#include <cstddef>
#include <string>

namespace quenchbox::vst3 {

// UTF-8 into a UTF-16 field of capacity units, terminated and cut to fit
// (never inside a surrogate pair); bytes that are no UTF-8 become U+FFFD.
void toUtf16(const char* text, char16* field, std::size_t capacity);

// A terminated UTF-16 text of at most maxUnits units as UTF-8 (unpaired
// surrogates become U+FFFD).
std::string fromUtf16(const char16* text, std::size_t maxUnits);

// Copies a text into a fixed char field, cut to fit and zero-padded.
void copyToField(const char* text, char* field, std::size_t capacity);

}  // namespace quenchbox::vst3

#endif
