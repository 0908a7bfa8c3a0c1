#ifndef QUENCHBOX_FORMATS_SHARED_STATECODEC_H
#define QUENCHBOX_FORMATS_SHARED_STATECODEC_H

#include "effect/Parameters.h"
#include "effect/Programs.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace quenchbox::formats {

// What a saved project keeps of an instance.
struct EffectState {
    std::int32_t program = 0;
    char programName[effect::kProgramNameLength] = {};  // zero-padded, no terminator when full
    float values[effect::kParameterCount] = {};
};

// The saved state, version 1, 104 bytes, every number little-endian:
//
//   offset  size  content
//        0     4  "QBRZ"
//        4     4  format version (u32), 1
//        8     4  program number (i32), 0..15
//       12    24  program name, zero-padded
//       36    64  the sixteen parameter values (f32), each finite and in 0..1
//      100     4  CRC-32 (the zlib polynomial) of bytes 0..99
//
// A later version may only grow the record; a reader refuses versions it
// does not know.
constexpr std::size_t kStateSize = 104;
constexpr std::uint32_t kStateVersion = 1;
using EncodedState = std::array<std::uint8_t, kStateSize>;

EncodedState encodeState(const EffectState& state);

// Refuses (answers false, leaves state untouched) anything that is not
// exactly one intact version-1 record: wrong size, magic, version or
// checksum, a program number outside 0..15, a value that is not finite or
// lies outside 0..1, or bytes after the name's terminator that are not zero.
bool decodeState(const std::uint8_t* bytes, std::size_t size, EffectState& state);

}  // namespace quenchbox::formats

#endif
