#include "formats/clap/ClapStreams.h"

namespace quenchbox::clap {

bool writeAll(const clap_ostream_t* stream, const std::uint8_t* bytes, std::size_t size)
{
    if (stream == nullptr || stream->write == nullptr)
        return false;
    std::size_t done = 0;
    while (done < size) {
        const std::int64_t moved = stream->write(stream, bytes + done, size - done);
        if (moved <= 0 || static_cast<std::uint64_t>(moved) > size - done)
            return false;
        done += static_cast<std::size_t>(moved);
    }
    return true;
}

std::int64_t readUpTo(const clap_istream_t* stream, std::uint8_t* bytes, std::size_t capacity)
{
    if (stream == nullptr || stream->read == nullptr)
        return -1;
    std::size_t done = 0;
    while (done < capacity) {
        const std::int64_t moved = stream->read(stream, bytes + done, capacity - done);
        if (moved == 0)
            break;
        if (moved < 0 || static_cast<std::uint64_t>(moved) > capacity - done)
            return -1;
        done += static_cast<std::size_t>(moved);
    }
    return static_cast<std::int64_t>(done);
}

}  // namespace quenchbox::clap
