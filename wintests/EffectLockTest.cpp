// The effect's lock on Windows is a critical section: the audio thread's try
// must fail while another thread holds it, and processing must go on with
// the old settings instead of waiting.

#include "WinTest.h"

#include "effect/EffectLock.h"
#include "effect/Parameters.h"
#include "effect/QuenchboxEffect.h"

#include <windows.h>

#include <atomic>
#include <cmath>
#include <memory>
#include <vector>

namespace {

namespace fx = quenchbox::effect;

VstIntPtr VSTCALLBACK modernHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

// Holds a lock on a thread of its own until destroyed.
class HolderThread {
public:
    explicit HolderThread(fx::EffectLock& lock) : lock(lock)
    {
        thread = CreateThread(nullptr, 0, &HolderThread::hold, this, 0, nullptr);
        while (!held.load())
            Sleep(0);
    }
    ~HolderThread()
    {
        release.store(true);
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
    }
    HolderThread(const HolderThread&) = delete;
    HolderThread& operator=(const HolderThread&) = delete;

private:
    static DWORD WINAPI hold(void* self)
    {
        auto* holder = static_cast<HolderThread*>(self);
        holder->lock.lock();
        holder->held.store(true);
        while (!holder->release.load())
            Sleep(0);
        holder->lock.unlock();
        return 0;
    }

    fx::EffectLock& lock;
    HANDLE thread = nullptr;
    std::atomic<bool> held{false};
    std::atomic<bool> release{false};
};

std::vector<float> runBlock(fx::QuenchboxEffect& effect, const std::vector<float>& input)
{
    std::vector<float> left = input;
    std::vector<float> right = input;
    std::vector<float> outLeft(input.size());
    std::vector<float> outRight(input.size());
    float* inputs[2] = {left.data(), right.data()};
    float* outputs[2] = {outLeft.data(), outRight.data()};
    effect.processReplacing(inputs, outputs, static_cast<VstInt32>(input.size()));
    return outLeft;
}

WINTEST(TheLockRefusesATryWhileAnotherThreadHoldsIt)
{
    fx::EffectLock lock;
    {
        HolderThread holder(lock);
        CHECK(!lock.try_lock());
    }
    REQUIRE(lock.try_lock());
    lock.unlock();
}

WINTEST(ABusyParameterLockPostponesChangesWithoutWaiting)
{
    auto effect = std::make_unique<fx::QuenchboxEffect>(modernHost);
    std::vector<float> x(512);
    for (std::size_t n = 0; n < x.size(); ++n)
        x[n] = 0.5f * static_cast<float>(std::sin(0.0627 * static_cast<double>(n)));
    runBlock(*effect, x);
    effect->setParameter(fx::kEnable, 0.0f);

    std::vector<float> whileBusy;
    {
        HolderThread holder(effect->parameterLock());
        whileBusy = runBlock(*effect, x);
    }
    CHECK(whileBusy != x);              // still processed with the old settings
    CHECK(runBlock(*effect, x) != x);   // the next block crosses over to the bypassed signal
    CHECK(runBlock(*effect, x) == x);   // and the one after it is bypassed
}

}  // namespace
