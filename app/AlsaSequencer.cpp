#include "app/AlsaSequencer.h"

#include <alsa/asoundlib.h>
#include <poll.h>
#include <unistd.h>

#include <vector>

namespace quenchbox::app {

namespace {

// The engine's view of a sequencer event; false for events it has no use for.
bool midiMessageOf(const snd_seq_event_t& event, MidiMessage& message)
{
    if (event.type == SND_SEQ_EVENT_PGMCHANGE) {
        message = {static_cast<std::uint8_t>(0xC0 | (event.data.control.channel & 0x0F)),
                   static_cast<std::uint8_t>(event.data.control.value & 0x7F), 0};
        return true;
    }
    if (event.type == SND_SEQ_EVENT_CONTROLLER) {
        message = {static_cast<std::uint8_t>(0xB0 | (event.data.control.channel & 0x0F)),
                   static_cast<std::uint8_t>(event.data.control.param & 0x7F),
                   static_cast<std::uint8_t>(event.data.control.value & 0x7F)};
        return true;
    }
    return false;
}

}  // namespace

bool AlsaSequencer::open(std::string& error)
{
    close();
    int code = snd_seq_open(&sequencer, "default", SND_SEQ_OPEN_INPUT, SND_SEQ_NONBLOCK);
    if (code < 0) {
        sequencer = nullptr;
        error = std::string("no ALSA sequencer (") + snd_strerror(code) + "): MIDI is off";
        return false;
    }
    snd_seq_set_client_name(sequencer, "quenchbox-rz");
    code = snd_seq_create_simple_port(sequencer, "midi_in", SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE,
                                      SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
    if (code < 0 || pipe(wakeFds) != 0) {
        error = std::string("cannot make the ALSA sequencer's port (") + snd_strerror(code) + "): MIDI is off";
        close();
        return false;
    }
    reader = std::thread([this] { run(); });
    return true;
}

void AlsaSequencer::close()
{
    if (reader.joinable()) {
        const char wake = 1;
        [[maybe_unused]] const ssize_t written = write(wakeFds[1], &wake, 1);  // a full pipe wakes it as well
        reader.join();
    }
    for (int& fd : wakeFds)
        if (fd >= 0) {
            ::close(fd);
            fd = -1;
        }
    if (sequencer != nullptr)
        snd_seq_close(sequencer);
    sequencer = nullptr;
}

// Waits on the sequencer's descriptors and the wake pipe; reads every event
// that is there each time.
void AlsaSequencer::run()
{
    const int count = snd_seq_poll_descriptors_count(sequencer, POLLIN);
    std::vector<pollfd> watched(static_cast<std::size_t>(count) + 1);
    snd_seq_poll_descriptors(sequencer, watched.data(), static_cast<unsigned>(count), POLLIN);
    watched.back() = {wakeFds[0], POLLIN, 0};
    while (poll(watched.data(), watched.size(), -1) >= 0 && (watched.back().revents & POLLIN) == 0) {
        snd_seq_event_t* event = nullptr;
        while (snd_seq_event_input(sequencer, &event) >= 0 && event != nullptr) {
            MidiMessage message;
            if (midiMessageOf(*event, message))
                engine.queueMidi(message);
        }
    }
}

}  // namespace quenchbox::app
