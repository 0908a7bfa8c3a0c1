#ifndef QUENCHBOX_EFFECT_EFFECTLOCK_H
#define QUENCHBOX_EFFECT_EFFECTLOCK_H

#include <mutex>

#if defined(_WIN32)
#include "win32/CriticalSectionLock.h"
#endif

namespace quenchbox::effect {

// A mutual-exclusion lock with a blocking acquire for the user-interface side
// and a non-blocking try for the audio thread, which never waits. It meets
// the standard Lockable requirements, so std::lock_guard and
// std::unique_lock(..., std::try_to_lock) work with it.
#if defined(_WIN32)
using EffectLock = win32::CriticalSectionLock;
#else
class EffectLock {
public:
    void lock() { mutex.lock(); }
    bool try_lock() { return mutex.try_lock(); }
    void unlock() { mutex.unlock(); }

private:
    std::mutex mutex;
};
#endif

}  // namespace quenchbox::effect

#endif
