#include "win32/ThreadTimer.h"

#include <windows.h>

#include <algorithm>
#include <mutex>
#include <vector>

namespace quenchbox::win32 {

// A timer without a window reaches its procedure with its id alone; the
// registry finds the timer of that id. Timers of several threads share it.
struct ThreadTimerRegistry {
    static std::mutex lock;
    static std::vector<ThreadTimer*> timers;

    static void CALLBACK fire(HWND, UINT, UINT_PTR id, DWORD)
    {
        ThreadTimer* timer = nullptr;
        {
            std::lock_guard<std::mutex> guard(lock);
            const auto found = std::find_if(timers.begin(), timers.end(),
                                            [id](const ThreadTimer* t) { return t->id == id; });
            if (found != timers.end())
                timer = *found;
        }
        // Only the owning thread destroys its timer, and this is that thread.
        if (timer != nullptr)
            timer->callback(timer->context);
    }
};

std::mutex ThreadTimerRegistry::lock;
std::vector<ThreadTimer*> ThreadTimerRegistry::timers;

ThreadTimer::ThreadTimer(unsigned intervalMs, Callback onTick, void* tickContext)
    : callback(onTick), context(tickContext)
{
    std::lock_guard<std::mutex> guard(ThreadTimerRegistry::lock);
    id = SetTimer(nullptr, 0, intervalMs, &ThreadTimerRegistry::fire);
    if (id != 0)
        ThreadTimerRegistry::timers.push_back(this);
}

ThreadTimer::~ThreadTimer()
{
    if (id == 0)
        return;
    KillTimer(nullptr, static_cast<UINT_PTR>(id));
    std::lock_guard<std::mutex> guard(ThreadTimerRegistry::lock);
    auto& timers = ThreadTimerRegistry::timers;
    timers.erase(std::remove(timers.begin(), timers.end(), this), timers.end());
}

}  // namespace quenchbox::win32
