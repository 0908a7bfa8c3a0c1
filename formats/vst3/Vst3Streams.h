#ifndef QUENCHBOX_FORMATS_VST3_VST3STREAMS_H
#define QUENCHBOX_FORMATS_VST3_VST3STREAMS_H

#include "formats/vst3/Vst3Interface.h"

#include <cstddef>
#include <cstdint>

namespace quenchbox::vst3 {

// A host's stream may move fewer bytes per call than asked for; these loop
// until everything is moved, the stream ends or it reports an error.

// True when all size bytes were written.
bool writeAll(IBStream* stream, const std::uint8_t* bytes, std::size_t size);

// Reads until the end of the stream or until capacity bytes are in; answers
// the count, or -1 on an error or without a stream.
std::int64_t readUpTo(IBStream* stream, std::uint8_t* bytes, std::size_t capacity);

}  // namespace quenchbox::vst3

#endif
