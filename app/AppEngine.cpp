#include "app/AppEngine.h"

#include "effect/Programs.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

#if defined(__SSE__) || defined(_M_X64)
#include <xmmintrin.h>
#define QUENCHBOX_HAS_SSE 1
#endif

namespace quenchbox::app {

namespace {

// Flush-to-zero and denormals-are-zero on this thread while it processes,
// and back to what the back-end had afterwards.
class DenormalsFlushed {
public:
    DenormalsFlushed()
    {
#ifdef QUENCHBOX_HAS_SSE
        saved = _mm_getcsr();
        _mm_setcsr(saved | 0x8040);  // FTZ and DAZ
#endif
    }
    ~DenormalsFlushed()
    {
#ifdef QUENCHBOX_HAS_SSE
        _mm_setcsr(saved);
#endif
    }
    DenormalsFlushed(const DenormalsFlushed&) = delete;
    DenormalsFlushed& operator=(const DenormalsFlushed&) = delete;

private:
    unsigned saved = 0;
};

constexpr std::uint8_t kProgramChange = 0xC0;
constexpr std::uint8_t kControlChange = 0xB0;
constexpr std::uint8_t kFootswitchOn = 64;
constexpr std::uint8_t kBankSelect = 0;

// The largest magnitude of `frames` samples; a sample that is not a number
// counts as twice full scale, so that it lights the clip light.
float peakOf(const float* samples, std::uint32_t frames)
{
    float peak = 0.0f;
    if (samples != nullptr)
        for (std::uint32_t i = 0; i < frames; ++i) {
            const float magnitude = std::isnan(samples[i]) ? 2.0f : std::fabs(samples[i]);
            peak = std::max(peak, magnitude);
        }
    return peak;
}

// Raises `held` to `peak` unless the reader took a larger one meanwhile.
void holdPeak(std::atomic<float>& held, float peak)
{
    float seen = held.load(std::memory_order_relaxed);
    while (peak > seen && !held.compare_exchange_weak(seen, peak, std::memory_order_relaxed)) {
    }
}

}  // namespace

AppEngine::AppEngine()
{
    adapter.create();
    midiMap.fill(kUnmapped);
}

void AppEngine::start(double sampleRate)
{
    started.store(false, std::memory_order_release);
    if (!adapter.created())
        return;
    adapter.activate(sampleRate, kMaxFrames);
    started.store(true, std::memory_order_release);
}

void AppEngine::stop()
{
    started.store(false, std::memory_order_release);
    if (adapter.created())
        adapter.deactivate();
}

void AppEngine::process(const float* firstIn, const float* secondIn, float* firstOut, float* secondOut,
                        std::uint32_t frames)
{
    if (!started.load(std::memory_order_acquire)) {
        std::fill(firstOut, firstOut + frames, 0.0f);
        std::fill(secondOut, secondOut + frames, 0.0f);
        return;
    }
    DenormalsFlushed flushed;
    const auto choice = static_cast<InputChoice>(input.load(std::memory_order_relaxed));
    const bool listening = monitor.load(std::memory_order_relaxed);
    float* inputs[2] = {const_cast<float*>(choice == InputChoice::second ? secondIn : firstIn),
                        const_cast<float*>(choice == InputChoice::stereo ? secondIn : nullptr)};
    const std::uint32_t inputCount = !listening || inputs[0] == nullptr ? 0 : (inputs[1] != nullptr ? 2 : 1);
    float* outputs[2] = {firstOut, secondOut};
    holdPeak(inputPeak, std::max(peakOf(inputs[0], frames), peakOf(inputs[1], frames)));
    for (std::uint32_t from = 0; from < frames; from += kMaxFrames)
        adapter.run(inputs, inputCount, outputs, 2, from, std::min(frames, from + kMaxFrames));
    holdPeak(outputPeak, std::max(peakOf(firstOut, frames), peakOf(secondOut, frames)));
}

AppEngine::Peaks AppEngine::takePeaks()
{
    return {inputPeak.exchange(0.0f, std::memory_order_relaxed), outputPeak.exchange(0.0f, std::memory_order_relaxed)};
}

std::string AppEngine::route(const std::string& backEnd, unsigned rate, unsigned period, unsigned backEndLatency) const
{
    static constexpr const char* kInputs[] = {"1", "2", "1+2"};
    const unsigned frames = backEndLatency + adapter.latency();
    char text[256];
    std::snprintf(text, sizeof text, "%s, %g kHz, %u frames, in %s to out 1+2, %.1f ms", backEnd.c_str(), rate / 1000.0,
                  period, kInputs[static_cast<int>(inputChoice())], rate > 0 ? 1000.0 * frames / rate : 0.0);
    return text;
}

bool AppEngine::queueMidi(const MidiMessage& message)
{
    const std::uint32_t written = midiWritten.load(std::memory_order_relaxed);
    if (written - midiRead.load(std::memory_order_acquire) >= kMidiCapacity)
        return false;
    midi[written % kMidiCapacity] = message;
    midiWritten.store(written + 1, std::memory_order_release);
    return true;
}

int AppEngine::applyMidi()
{
    int applied = 0;
    std::uint32_t read = midiRead.load(std::memory_order_relaxed);
    while (read != midiWritten.load(std::memory_order_acquire)) {
        apply(midi[read % kMidiCapacity]);
        midiRead.store(++read, std::memory_order_release);
        ++applied;
    }
    return applied;
}

void AppEngine::apply(const MidiMessage& message)
{
    const std::uint8_t kind = message.status & 0xF0;
    if (kind == kProgramChange && effect::programs::isProgramIndex(message.data1)) {
        if (bank == 0)
            adapter.selectProgram(message.data1);
        else
            userPresetRequest = (bank - 1) * effect::kProgramCount + message.data1;
        return;
    }
    if (kind == kControlChange && message.data1 < kMidiControllerCount)
        applyController(message.data1, message.data2 & 0x7F);
}

void AppEngine::applyController(std::uint8_t controller, std::uint8_t value)
{
    if (controller == kBankSelect) {
        bank = value;
        return;
    }
    if (effect::isParameterIndex(learning)) {
        forgetController(learning);
        midiMap[controller] = learning;
        learning = kUnmapped;
    }
    const int parameter = midiMap[controller];
    if (parameter == effect::kEnable)
        adapter.setParameter(parameter, value >= kFootswitchOn ? 1.0 : 0.0);
    else if (effect::isParameterIndex(parameter))
        adapter.setParameter(parameter, value / 127.0);
}

int AppEngine::controllerOf(int parameter) const
{
    const auto bound = std::find(midiMap.begin(), midiMap.end(), parameter);
    return bound == midiMap.end() ? kUnmapped : static_cast<int>(bound - midiMap.begin());
}

void AppEngine::forgetController(int parameter)
{
    std::replace(midiMap.begin(), midiMap.end(), parameter, kUnmapped);
}

int AppEngine::takeUserPresetRequest()
{
    return std::exchange(userPresetRequest, -1);
}

}  // namespace quenchbox::app
