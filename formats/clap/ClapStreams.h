#ifndef QUENCHBOX_FORMATS_CLAP_CLAPSTREAMS_H
#define QUENCHBOX_FORMATS_CLAP_CLAPSTREAMS_H

#include "formats/clap/ClapInterface.h"

#include <cstddef>
#include <cstdint>

namespace quenchbox::clap {

// A host's stream may move fewer bytes per call than asked for; these loop
// until everything is moved, the stream ends or it reports an error.

// True when all size bytes were written.
bool writeAll(const clap_ostream_t* stream, const std::uint8_t* bytes, std::size_t size);

// Reads until the end of the stream or until capacity bytes are in; answers
// the count, or -1 on an error.
std::int64_t readUpTo(const clap_istream_t* stream, std::uint8_t* bytes, std::size_t capacity);

}  // namespace quenchbox::clap

#endif
