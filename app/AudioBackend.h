#ifndef QUENCHBOX_APP_AUDIOBACKEND_H
#define QUENCHBOX_APP_AUDIOBACKEND_H

#include <cstdint>
#include <string>

namespace quenchbox::app {

// What the application's main loop asks of the audio back-end it plays
// through (JACK, ALSA, WASAPI), on the application's own thread.
class AudioBackend {
public:
    virtual ~AudioBackend() = default;

    // Opens the device or joins the server and starts the engine; on
    // failure `error` says why in one line.
    virtual bool open(std::string& error) = 0;
    virtual void close() = 0;
    // "JACK, 48 kHz, 128 frames, in 1 to out 1+2, 2.7 ms"
    virtual std::string route() const = 0;
    // What the audio comes through: "JACK server", "ALSA device".
    virtual std::string name() const = 0;
    // A period has been processed since the last open, and what the
    // application says when the first one has: "first period", with the
    // back-end's clock where it has one.
    virtual bool playing() const = 0;
    virtual std::string firstPeriodLine() const { return "first period"; }
    // The server or the device went away while playing.
    virtual bool lost() const = 0;
    // Dropouts (xruns) since the application started.
    virtual int dropouts() const = 0;
    // Tells the back-end the effect's latency again when it changed.
    virtual void followLatency() {}
};

// The line every back-end's route() answers with: "JACK, 48 kHz, 128 frames,
// in 1 to out 1+2, 2.7 ms", `what` first, the round trip from input to
// output last (0 ms while the rate is not known).
std::string routeLine(const std::string& what, unsigned rate, unsigned frames, bool stereoInput,
                      unsigned roundTripFrames);

}  // namespace quenchbox::app

#endif
