#include "formats/vst3/Vst3Streams.h"

#include <algorithm>

namespace quenchbox::vst3 {

namespace {

// Calls that move nothing without saying the stream ended: after this many
// in a row the stream counts as broken rather than slow.
constexpr int kIdleCallLimit = 64;

}  // namespace

bool writeAll(IBStream* stream, const std::uint8_t* bytes, std::size_t size)
{
    if (stream == nullptr)
        return false;
    std::size_t done = 0;
    for (int idle = 0; done < size && idle < kIdleCallLimit;) {
        int32 written = 0;
        const auto ask = static_cast<int32>(std::min<std::size_t>(size - done, INT32_MAX));
        if (stream->write(const_cast<std::uint8_t*>(bytes + done), ask, &written) != kResultOk || written < 0
            || written > ask)
            return false;
        done += static_cast<std::size_t>(written);
        idle = written == 0 ? idle + 1 : 0;
    }
    return done == size;
}

std::int64_t readUpTo(IBStream* stream, std::uint8_t* bytes, std::size_t capacity)
{
    if (stream == nullptr)
        return -1;
    std::size_t done = 0;
    while (done < capacity) {
        int32 read = 0;
        const auto ask = static_cast<int32>(std::min<std::size_t>(capacity - done, INT32_MAX));
        const tresult result = stream->read(bytes + done, ask, &read);
        if (read < 0 || read > ask)
            return -1;
        done += static_cast<std::size_t>(read);
        // Hosts end a stream with a short read, with no bytes, or with a
        // failure: what came before is the content, and the codec judges it.
        if (result != kResultOk || read == 0)
            break;
    }
    return static_cast<std::int64_t>(done);
}

}  // namespace quenchbox::vst3
