#ifndef QUENCHBOX_WIN32_CRITICALSECTIONLOCK_H
#define QUENCHBOX_WIN32_CRITICALSECTIONLOCK_H

namespace quenchbox::win32 {

// The effect's lock on Windows: a critical section, which spins briefly
// before it sleeps and whose TryEnterCriticalSection never waits, so the
// audio thread can try it once per block. Unlike std::mutex, the thread that
// holds a critical section may enter it again; no thread of the plug-in
// takes a lock it already holds. The section is held in opaque storage so
// that windows.h and its macros stay out of the platform-neutral headers
// that include the lock.
class CriticalSectionLock {
public:
    CriticalSectionLock();
    ~CriticalSectionLock();

    CriticalSectionLock(const CriticalSectionLock&) = delete;
    CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;

    void lock();
    bool try_lock();
    void unlock();

private:
    // Size and alignment of CRITICAL_SECTION in 64-bit Windows; the source
    // file checks both against the real declaration.
    alignas(8) unsigned char section[40];
};

}  // namespace quenchbox::win32

#endif
