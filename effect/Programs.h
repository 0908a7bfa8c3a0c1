#ifndef QUENCHBOX_EFFECT_PROGRAMS_H
#define QUENCHBOX_EFFECT_PROGRAMS_H

#include "effect/Parameters.h"

namespace quenchbox::effect {

constexpr int kProgramCount = 16;
constexpr int kProgramNameLength = 24;

// The process-wide program table: sixteen names and parameter sets, shared by
// every instance in the process, initialised with the factory programs when
// the library loads and never reset. Renames and saved edits last until the
// library is unloaded.
//
// Two instances may run program operations on different host threads, so
// each access copies a whole record under a short process-wide lock. No other
// lock is ever taken while it is held, and the audio thread never touches it.
namespace programs {

constexpr bool isProgramIndex(int program) { return static_cast<unsigned>(program) < kProgramCount; }

void readValues(int program, float values[kParameterCount]);
void storeValues(int program, const float values[kParameterCount]);

// Copies at most 24 characters into the zero-padded name field.
void rename(int program, const char* name);

// Writes the 24-byte zero-padded name and a terminator at position 24.
void copyName(int program, char* text);
// The same for the name the program ships with, whatever renames it has seen.
void copyFactoryName(int program, char* text);

}  // namespace programs

}  // namespace quenchbox::effect

#endif
