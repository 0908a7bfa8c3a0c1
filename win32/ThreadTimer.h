#ifndef QUENCHBOX_WIN32_THREADTIMER_H
#define QUENCHBOX_WIN32_THREADTIMER_H

namespace quenchbox::win32 {

// A timer of the creating thread's message loop, with no window of its own:
// its callback runs on that thread, between the messages the loop
// dispatches, so never inside a call that thread is making. A plug-in
// whose host offers no timer of its own (a VST3 host on Windows) gets its
// moments on the host's UI thread this way. Create and destroy it on the
// thread whose loop runs it.
class ThreadTimer {
public:
    using Callback = void (*)(void* context);

    ThreadTimer(unsigned intervalMs, Callback callback, void* context);
    ~ThreadTimer();

    ThreadTimer(const ThreadTimer&) = delete;
    ThreadTimer& operator=(const ThreadTimer&) = delete;

    // False when the system had no timer left.
    bool running() const { return id != 0; }

private:
    Callback callback;
    void* context;
    unsigned long long id = 0;

    friend struct ThreadTimerRegistry;
};

}  // namespace quenchbox::win32

#endif
