#ifndef QUENCHBOX_APP_JACKAUDIO_H
#define QUENCHBOX_APP_JACKAUDIO_H

#include "app/AppEngine.h"

#include <jack/types.h>

#include <atomic>
#include <cstdint>
#include <string>

namespace quenchbox::app {

// The application as a JACK client (JACK itself, or PipeWire's JACK): ports
// "in_1", "in_2", "out_1", "out_2" and "midi_in", connected at start to the
// first capture port and the first two playback ports. The rate and the
// period are the server's; the engine follows a change of either.
class JackAudio {
public:
    struct Options {
        std::string server;                 // empty: the default server
        std::string clientName = "quenchbox-rz";
        bool connectToSystem = true;
    };

    explicit JackAudio(AppEngine& engine) : engine(engine) {}
    ~JackAudio() { close(); }
    JackAudio(const JackAudio&) = delete;
    JackAudio& operator=(const JackAudio&) = delete;

    // Connects to a running server (never starts one); on failure `error`
    // says why in one line.
    bool open(const Options& options, std::string& error);
    void close();

    // "JACK, 48 kHz, 128 frames, in 1 to out 1+2, 2.7 ms"
    std::string route() const;
    std::uint32_t sampleRate() const { return rate.load(); }
    std::uint32_t periodFrames() const { return period.load(); }
    int xruns() const { return dropouts.load(); }
    // The server went away (stopped, or threw the client out).
    bool serverGone() const { return gone.load(); }
    // Tells JACK the effect's latency again when "Oversample" changed it;
    // on the application's thread.
    void followLatency();

    // Whether a period has been processed, and the JACK frame time of the
    // first: a test lines the application's output up with its input by it.
    bool playing() const { return processed.load(); }
    std::uint32_t firstFrame() const { return first.load(); }

private:
    static int processCallback(std::uint32_t frames, void* self);
    static int rateCallback(std::uint32_t rate, void* self);
    static int periodCallback(std::uint32_t frames, void* self);
    static int xrunCallback(void* self);
    static void shutdownCallback(void* self);
    static void latencyCallback(jack_latency_callback_mode_t mode, void* self);
    void process(std::uint32_t frames);
    void readMidi(std::uint32_t frames);
    void connectToSystem();
    // The latency JACK reports from the capture port to the playback port
    // through this client, in frames.
    std::uint32_t roundTripFrames() const;

    AppEngine& engine;
    jack_client_t* client = nullptr;
    jack_port_t* inputs[2] = {};
    jack_port_t* outputs[2] = {};
    jack_port_t* midiInput = nullptr;
    std::atomic<std::uint32_t> rate{0};
    std::atomic<std::uint32_t> period{0};
    std::atomic<int> dropouts{0};
    std::atomic<bool> gone{false};
    std::atomic<bool> processed{false};
    std::atomic<std::uint32_t> first{0};
    std::uint32_t reportedLatency = 0;
};

}  // namespace quenchbox::app

#endif
