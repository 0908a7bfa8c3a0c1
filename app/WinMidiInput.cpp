#include "app/WinMidiInput.h"

namespace quenchbox::app {

WinMidiInput::WinMidiInput(AppEngine& engine) : engine(engine) { InitializeCriticalSection(&writer); }

WinMidiInput::~WinMidiInput()
{
    close();
    DeleteCriticalSection(&writer);
}

bool WinMidiInput::unpack(DWORD_PTR packed, MidiMessage& message)
{
    const auto status = static_cast<std::uint8_t>(packed & 0xff);
    if (status < 0x80 || status >= 0xf0)
        return false;
    message.status = status;
    message.data1 = static_cast<std::uint8_t>((packed >> 8) & 0x7f);
    message.data2 = static_cast<std::uint8_t>((packed >> 16) & 0x7f);
    return true;
}

void CALLBACK WinMidiInput::received(HMIDIIN, UINT what, DWORD_PTR self, DWORD_PTR packed, DWORD_PTR)
{
    MidiMessage message;
    if (what != MIM_DATA || !unpack(packed, message))
        return;
    auto* midi = reinterpret_cast<WinMidiInput*>(self);
    EnterCriticalSection(&midi->writer);
    midi->engine.queueMidi(message);  // a full queue drops the message, as a busy cable would
    LeaveCriticalSection(&midi->writer);
}

std::vector<std::string> WinMidiInput::openAll()
{
    close();
    std::vector<std::string> failed;
    const UINT count = midiInGetNumDevs();
    for (UINT id = 0; id < count; ++id) {
        HMIDIIN input = nullptr;
        if (midiInOpen(&input, id, reinterpret_cast<DWORD_PTR>(&received), reinterpret_cast<DWORD_PTR>(this),
                       CALLBACK_FUNCTION) == MMSYSERR_NOERROR
            && midiInStart(input) == MMSYSERR_NOERROR) {
            inputs.push_back(input);
            continue;
        }
        if (input != nullptr)
            midiInClose(input);
        MIDIINCAPSA caps{};
        midiInGetDevCapsA(id, &caps, sizeof(caps));
        failed.emplace_back(caps.szPname);
    }
    return failed;
}

void WinMidiInput::close()
{
    for (HMIDIIN input : inputs) {
        midiInStop(input);
        midiInReset(input);
        midiInClose(input);
    }
    inputs.clear();
}

}  // namespace quenchbox::app
