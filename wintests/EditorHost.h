#ifndef QUENCHBOX_WINTESTS_EDITORHOST_H
#define QUENCHBOX_WINTESTS_EDITORHOST_H

// A host that behaves like a DAW towards the plug-in's editor: it loads the
// library with LoadLibraryA, creates instances through VSTPluginMain, opens
// the editor inside a window of its own, pumps messages, and runs audio
// blocks on a second thread while the editor is open.

#include "Pixels.h"
#include "shell/Vst2.h"
#include "tests/common/HostAudio.h"

#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace wintest {

// The library the editor tests load: the plug-in built with its update
// server on loopback.
constexpr const char* kEditorTestLibrary = "QuenchboxRZ-loopback.dll";
constexpr unsigned short kUpdateServerPort = 18731;
// The class of the editor's own window inside the host's.
constexpr const char* kEditorWindowClass = "ZUKVelamorRZWndClass";

// A visible top-level window of the editor's size, as a DAW gives the editor.
HWND createHostWindow();

// Everything the plug-in told its host through audioMasterAutomate, and
// the gestures around it ("B1 A1 E1 ": begin, automate, end of parameter 1).
struct AutomationLog {
    std::mutex lock;
    std::vector<std::pair<int, float>> entries;
    std::string gestures;

    std::vector<std::pair<int, float>> take();
    std::string takeGestures();
};
AutomationLog& automationLog();

// The WM_KEYDOWN and WM_CHAR codes the host's windows received.
std::vector<int>& hostKeys();

// Runs the window messages of this thread for the given time.
void pumpMessages(int milliseconds);
// Runs them until `done` holds; answers false only when it never does,
// after a deadline no loaded machine comes near.
bool pumpUntil(const std::function<bool()>& done);

class EditorSession {
public:
    explicit EditorSession(const std::string& library = kEditorTestLibrary);
    ~EditorSession();
    EditorSession(const EditorSession&) = delete;
    EditorSession& operator=(const EditorSession&) = delete;

    AEffect* effect() const { return record; }
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f);
    void setParameter(int index, float value) { record->setParameter(record, index, value); }
    float parameter(int index) { return record->getParameter(record, index); }

    bool open();
    void close();
    // The instance goes (effClose) with its editor; the session keeps the
    // host window and the library.
    void destroyInstance();
    HWND hostWindow() const { return host; }
    HWND editorWindow() const;
    // The widget whose window sits at (x, y) in the editor, or null.
    HWND widgetAt(int x, int y) const;

    // Audio blocks on a second thread: a sine of the given amplitude (0 is silence).
    void startAudio(float amplitude);
    void setAmplitude(float amplitude) { audio.setLevel(amplitude); }
    void stopAudio();
    // Pumps messages until the audio thread has played `blocks` blocks more,
    // then for two editor ticks, so that the editor shows what those blocks
    // published: about 0.6 s of audio settles the meters and the curves.
    static constexpr long kSettlingBlocks = 100;
    bool pumpWhileAudioPlays(long blocks = kSettlingBlocks);

private:

    HMODULE library = nullptr;
    AEffect* record = nullptr;
    HWND host = nullptr;
    hostaudio::HostAudio audio;
};

// Answers every message box of the plug-in's update check ("ZUK Quenchbox
// RZ") as soon as it appears, with No where it asks, otherwise OK, and keeps
// their texts.
class MessageBoxAnswerer {
public:
    MessageBoxAnswerer();
    ~MessageBoxAnswerer();
    MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
    MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;

    // Waits (pumping this thread's messages) for the next box and answers
    // its text, or "" when none ever comes.
    std::string nextText();
    int answered();

private:
    void watch();

    std::mutex lock;
    std::vector<std::string> texts;
    std::size_t consumed = 0;
    std::atomic<bool> stopping{false};
    std::thread watcher;
};

// The VST2 DLL's editor as it first shows in a host window: what the newer
// formats' editors must look like. Empty when it does not open.
Image vst2EditorPicture();

}  // namespace wintest

#endif
