#ifndef QUENCHBOX_APP_APPENGINE_H
#define QUENCHBOX_APP_APPENGINE_H

#include "app/AppSettings.h"
#include "formats/shared/EffectAdapter.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

namespace quenchbox::app {

// A MIDI message for the effect, as a back-end read it on its audio thread.
struct MidiMessage {
    std::uint8_t status = 0;
    std::uint8_t data1 = 0;
    std::uint8_t data2 = 0;
};

// The effect as the application plays it: hosted through the shared adapter
// exactly as a VST 2.4 host would host it, fed by whatever back-end runs the
// audio. The back-end calls `process` on its audio thread once per period:
// no lock, no allocation, denormals flushed on that thread. Everything else
// happens on the application's own thread.
//
// Two safeguards against howl and clicks at the first start: the input is
// silent until the monitor is switched on, and the output is silent until
// the engine has been started for the back-end's rate.
class AppEngine {
public:
    // The longest period any back-end hands over; longer ones are processed
    // in pieces of this size.
    static constexpr std::uint32_t kMaxFrames = 8192;

    AppEngine();
    bool created() const { return adapter.created(); }
    formats::EffectAdapter& effect() { return adapter; }

    // Before the back-end's first period and whenever its rate changes; not
    // on the audio thread.
    void start(double sampleRate);
    void stop();

    // The line every back-end shows for its route: "JACK, 48 kHz, 128
    // frames, in 1 to out 1+2, 2.7 ms", the inputs as chosen and the time
    // through the back-end's own latency and the effect's.
    std::string route(const std::string& backEnd, unsigned rate, unsigned period, unsigned backEndLatency) const;

    void setMonitor(bool on) { monitor.store(on, std::memory_order_relaxed); }
    bool monitoring() const { return monitor.load(std::memory_order_relaxed); }
    void setInput(InputChoice choice) { input.store(static_cast<int>(choice), std::memory_order_relaxed); }
    InputChoice inputChoice() const { return static_cast<InputChoice>(input.load(std::memory_order_relaxed)); }

    // The audio thread: `frames` frames from the two inputs (either may be
    // null) to the two outputs, which must hold `frames` samples each.
    void process(const float* firstIn, const float* secondIn, float* firstOut, float* secondOut,
                 std::uint32_t frames);

    // The audio thread hands MIDI over here; the application's thread applies
    // it with `applyMidi`, where changing a program may wait for a lock.
    // Answers false when the queue is full and the message is dropped.
    bool queueMidi(const MidiMessage& message);
    // Program change 0-15 selects the factory program; a controller bound
    // in the map sets its parameter (0..127 over the range; on "Enable" a
    // footswitch, on from 64). Answers how many messages it applied.
    int applyMidi();
    // The controllers' parameters (kUnmapped: none); on the application's thread.
    void setMidiMap(const std::array<int, kMidiControllerCount>& map) { midiMap = map; }
    const std::array<int, kMidiControllerCount>& midiMapping() const { return midiMap; }
    // The next controller that moves binds to `parameter` (instead of any
    // other controller it had); kUnmapped stops listening.
    void learnController(int parameter) { learning = parameter; }
    int learningParameter() const { return learning; }
    // The controller bound to `parameter`, or kUnmapped.
    int controllerOf(int parameter) const;
    void forgetController(int parameter);
    // A program change while bank select (controller 0) names bank 1 or
    // later asks for user preset (bank - 1) * 16 + program, which the
    // application loads; -1 when none was asked for since the last call.
    int takeUserPresetRequest();

    // The largest input and output magnitudes since the last call, for the
    // meters; the input is measured before the monitor's mute, so the player
    // sees the guitar arrive before turning the monitor on.
    struct Peaks {
        float input = 0.0f;
        float output = 0.0f;
    };
    Peaks takePeaks();

private:
    void apply(const MidiMessage& message);
    void applyController(std::uint8_t controller, std::uint8_t value);

    formats::EffectAdapter adapter;
    std::atomic<bool> started{false};
    std::atomic<bool> monitor{false};
    std::atomic<int> input{static_cast<int>(InputChoice::first)};

    // A single-producer, single-consumer ring: the audio thread writes, the
    // application's thread reads.
    static constexpr std::uint32_t kMidiCapacity = 256;
    std::array<MidiMessage, kMidiCapacity> midi{};
    std::atomic<std::uint32_t> midiWritten{0};
    std::atomic<std::uint32_t> midiRead{0};
    std::array<int, kMidiControllerCount> midiMap{};
    int learning = kUnmapped;
    int bank = 0;
    int userPresetRequest = -1;

    std::atomic<float> inputPeak{0.0f};
    std::atomic<float> outputPeak{0.0f};
};

}  // namespace quenchbox::app

#endif
