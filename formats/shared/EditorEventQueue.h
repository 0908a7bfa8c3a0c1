#ifndef QUENCHBOX_FORMATS_SHARED_EDITOREVENTQUEUE_H
#define QUENCHBOX_FORMATS_SHARED_EDITOREVENTQUEUE_H

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

namespace quenchbox::formats {

// A change the user made in the editor, on its way to the host.
struct EditorEvent {
    enum class Kind : std::uint8_t { value, gestureBegin, gestureEnd };
    Kind kind = Kind::value;
    std::uint32_t parameter = 0;
    float value = 0.0f;
};

// Bounded single-producer single-consumer queue without locks: the editor's
// thread pushes, and one consumer pops: the audio thread or a flush that
// never runs beside it (CLAP), or the editor's own thread (VST3). A
// full queue drops the new event rather than wait.
class EditorEventQueue {
public:
    static constexpr std::size_t kCapacity = 1024;

    bool push(const EditorEvent& event)
    {
        const std::size_t tail = writeIndex.load(std::memory_order_relaxed);
        const std::size_t next = (tail + 1) % kCapacity;
        if (next == readIndex.load(std::memory_order_acquire))
            return false;
        slots[tail] = event;
        writeIndex.store(next, std::memory_order_release);
        return true;
    }

    bool pop(EditorEvent& event)
    {
        const std::size_t head = readIndex.load(std::memory_order_relaxed);
        if (head == writeIndex.load(std::memory_order_acquire))
            return false;
        event = slots[head];
        readIndex.store((head + 1) % kCapacity, std::memory_order_release);
        return true;
    }

private:
    std::array<EditorEvent, kCapacity> slots{};
    std::atomic<std::size_t> readIndex{0};
    std::atomic<std::size_t> writeIndex{0};
};

}  // namespace quenchbox::formats

#endif
