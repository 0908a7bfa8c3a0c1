#ifndef QUENCHBOX_APP_WINMIDIINPUT_H
#define QUENCHBOX_APP_WINMIDIINPUT_H

#include "app/AppEngine.h"

#include <windows.h>

#include <mmsystem.h>

#include <string>
#include <vector>

namespace quenchbox::app {

// Every MIDI input Windows has (WinMM), open while this lives: channel
// messages go to the engine's MIDI queue as they come.
class WinMidiInput {
public:
    explicit WinMidiInput(AppEngine& engine);
    ~WinMidiInput();
    WinMidiInput(const WinMidiInput&) = delete;
    WinMidiInput& operator=(const WinMidiInput&) = delete;

    // Opens every input there is now (any open before are closed first);
    // answers the names of those that would not open.
    std::vector<std::string> openAll();
    void close();
    int openCount() const { return static_cast<int>(inputs.size()); }

    // A short message as WinMM packs it (status in the low byte): false for
    // what the effect has no use for (system messages, a stray data byte).
    static bool unpack(DWORD_PTR packed, MidiMessage& message);

private:
    static void CALLBACK received(HMIDIIN input, UINT what, DWORD_PTR self, DWORD_PTR packed, DWORD_PTR time);

    AppEngine& engine;
    std::vector<HMIDIIN> inputs;
    // WinMM may call back for each input on a thread of its own, and the
    // engine's queue takes one writer at a time. Never the audio thread.
    CRITICAL_SECTION writer;
};

}  // namespace quenchbox::app

#endif
