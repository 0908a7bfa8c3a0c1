#ifndef QUENCHBOX_APP_JACKAUDIO_H
#define QUENCHBOX_APP_JACKAUDIO_H

#include "app/AppEngine.h"
#include "app/AudioBackend.h"

#include <jack/types.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

namespace quenchbox::app {

// The application as a JACK client (JACK itself, or PipeWire's JACK): ports
// "in_1", "in_2", "out_1", "out_2" and "midi_in", connected at start to the
// first capture port and the first two playback ports. The rate and the
// period are the server's; the engine follows a change of either.
class JackAudio final : public AudioBackend {
public:
    struct Options {
        std::string server;                 // empty: the default server
        std::string clientName = "quenchbox-rz";
        bool connectToSystem = true;
        // The ports in_1, in_2, out_1 and out_2 connect to; empty: the
        // system's of the same number.
        std::array<std::string, kJackPortCount> connections;
    };

    JackAudio(AppEngine& engine, const Options& options) : engine(engine), options(options) {}
    ~JackAudio() override { close(); }
    JackAudio(const JackAudio&) = delete;
    JackAudio& operator=(const JackAudio&) = delete;

    // Connects to a running server (never starts one); kNoServer when none
    // answers.
    bool open(std::string& error) override;
    static constexpr const char* kNoServer = "no JACK server is running";
    std::string name() const override { return "JACK server"; }
    bool usesDeviceChoices() const override { return false; }
    void close() override;
    std::string route() const override;
    bool playing() const override { return processed.load(); }
    // The server stopped, or threw the client out.
    bool lost() const override { return gone.load(); }
    int dropouts() const override { return xruns.load(); }
    // Tells JACK the effect's latency again when "Oversample" changed it.
    void followLatency() override;

    // With the JACK frame time of the first period since the last open: a
    // test lines the application's output up with its input by it.
    std::string firstPeriodLine() const override
    {
        return "first period at JACK frame " + std::to_string(first.load());
    }

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
    // The latency JACK reports from the system's capture port to ours and
    // from ours to its playback port, in frames; the effect's own comes on
    // top.
    std::uint32_t serverLatency() const;

    AppEngine& engine;
    const Options options;
    jack_client_t* client = nullptr;
    jack_port_t* inputs[2] = {};
    jack_port_t* outputs[2] = {};
    jack_port_t* midiInput = nullptr;
    std::atomic<std::uint32_t> rate{0};
    std::atomic<std::uint32_t> period{0};
    std::atomic<int> xruns{0};
    std::atomic<bool> gone{false};
    std::atomic<bool> processed{false};
    std::atomic<std::uint32_t> first{0};
    std::uint32_t reportedLatency = 0;
};

}  // namespace quenchbox::app

#endif
