#ifndef QUENCHBOX_TESTS_COMMON_HOSTAUDIO_H
#define QUENCHBOX_TESTS_COMMON_HOSTAUDIO_H

// Audio as the DAW-like test hosts (Windows and Linux) play it into the
// plug-in while its editor is open: a 441 Hz sine at 44.1 kHz in blocks of
// 256 frames, a block about every 5.8 ms, from a thread of its own as a
// real-time host would call.

#include "shell/Vst2.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

namespace hostaudio {

class HostAudio {
public:
    static constexpr int kBlock = 256;

    HostAudio() = default;
    ~HostAudio() { stop(); }
    HostAudio(const HostAudio&) = delete;
    HostAudio& operator=(const HostAudio&) = delete;

    // Starts the blocks at `amplitude`, or only changes the amplitude when they run.
    void start(AEffect* effect, float amplitude)
    {
        level = amplitude;
        if (running.exchange(true))
            return;
        audio = std::thread([this, effect] { play(effect); });
    }
    void setLevel(float amplitude) { level = amplitude; }
    // Blocks processed since the start.
    long blocksPlayed() const { return played.load(); }
    void stop()
    {
        running = false;
        if (audio.joinable())
            audio.join();
    }

private:
    void play(AEffect* effect)
    {
        std::vector<float> in(kBlock);
        std::vector<float> left(kBlock);
        std::vector<float> right(kBlock);
        long phase = 0;
        while (running) {
            for (float& x : in)
                x = level * static_cast<float>(std::sin(2.0 * 3.14159265358979 * 441.0 * static_cast<double>(phase++) / 44100.0));
            float* inputs[2] = {in.data(), in.data()};
            float* outputs[2] = {left.data(), right.data()};
            effect->processReplacing(effect, inputs, outputs, kBlock);
            ++played;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    std::atomic<bool> running{false};
    std::atomic<float> level{0.0f};
    std::atomic<long> played{0};
    std::thread audio;
};

}  // namespace hostaudio

#endif
