#ifndef QUENCHBOX_APP_ALSASEQUENCER_H
#define QUENCHBOX_APP_ALSASEQUENCER_H

#include "app/AppEngine.h"

#include <atomic>
#include <string>
#include <thread>

struct _snd_seq;

namespace quenchbox::app {

// MIDI on ALSA's sequencer while the application plays straight on an ALSA
// device (on JACK, the JACK MIDI port serves): the client "quenchbox-rz"
// with the writable port "midi_in" that any keyboard or pedal is connected
// to (aconnect, a patchbay). A thread of its own waits for events and hands
// program changes and controllers to the engine's MIDI queue, whose only
// writer it is while it runs.
class AlsaSequencer {
public:
    explicit AlsaSequencer(AppEngine& engine) : engine(engine) {}
    ~AlsaSequencer() { close(); }
    AlsaSequencer(const AlsaSequencer&) = delete;
    AlsaSequencer& operator=(const AlsaSequencer&) = delete;

    // False, with the reason in `error`, where the system has no sequencer;
    // the audio plays on without MIDI.
    bool open(std::string& error);
    void close();

private:
    void run();

    AppEngine& engine;
    _snd_seq* sequencer = nullptr;
    int wakeFds[2] = {-1, -1};  // written to stop the thread's wait
    std::thread reader;
};

}  // namespace quenchbox::app

#endif
