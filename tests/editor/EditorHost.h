#ifndef QUENCHBOX_TESTS_EDITOR_EDITORHOST_H
#define QUENCHBOX_TESTS_EDITOR_EDITORHOST_H

// A DAW-like host for the built plug-in library: it loads the .so with
// dlopen, enters it through its exports only, gives the editor an X11 window
// of its own as parent, drives it with effEditIdle as Linux hosts do (about
// 30 times a second, on this thread), sends it mouse input and reads the
// window's pixels back. It runs audio on a thread of its own when asked.

#include "shell/Vst2.h"
#include "tests/common/HostAudio.h"

#include <X11/Xlib.h>

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace editortest {

struct HostCall {
    VstInt32 opcode;
    VstInt32 index;
    float value;
};

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // 0x00RRGGBB

    std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
};

// The calls the host saw for one parameter, as "B" (begin edit), "A"
// (automate) and "E" (end edit).
std::string gestureOf(const std::vector<HostCall>& calls, int parameter);
// "B", one or more "A", "E".
bool isOneGesture(const std::string& sequence);

// The share of pixels whose red, green and blue each differ by at most
// `levels` between two pictures of one size (0 when the sizes differ).
double matchingShare(const Picture& a, const Picture& b, int levels);
// Differing pixels inside a rectangle.
int differingPixels(const Picture& a, const Picture& b, int x, int y, int width, int height, int levels);
// A PNG file (the committed screenshots), or an empty picture.
Picture loadPng(const std::string& path);
bool savePng(const Picture& picture, const std::string& path);

// Sets Xft.dpi in the server's resource database, as `xrdb` would: what
// connections opened from then on read.
void setScreenDpi(Display* display, int dpi);
// A picture at half its size, each pixel the mean of the four under it; at
// twice its size with bilinear filtering; and its edge energy, the mean
// squared difference of neighbouring pixels' luma (larger is sharper).
Picture halved(const Picture& picture);
Picture doubledSmoothly(const Picture& picture);
double edgeEnergy(const Picture& picture);

// The X side of the test hosts: the editor's window inside the host's, its
// pixels, and mouse input sent to it as the server would deliver it.
Window childOf(Display* display, Window parent);
Picture windowPicture(Display* display, Window window);
void sendButton(Display* display, Window target, int type, int x, int y, unsigned button, unsigned state,
                unsigned long time);
void sendMotion(Display* display, Window target, int x, int y, unsigned state, unsigned long time);
// A key press as the server would deliver it to the focused window.
void sendKey(Display* display, Window target, KeySym symbol, unsigned state, unsigned long time);
// A part of a picture.
Picture cropped(const Picture& picture, int x, int y, int width, int height);

// The X resources of every client of the server, summed (XRes), and this
// process's resident memory in KiB.
long resourcesOfAllClients(Display* display);
long residentKiB();

class PluginLibrary {
public:
    explicit PluginLibrary(const char* path);
    ~PluginLibrary();
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    AEffect* instantiate(audioMasterCallback host) const;
    bool loaded() const { return handle != nullptr; }

private:
    void* handle = nullptr;
};

class EditorHost {
public:
    static constexpr int kIdleMs = 33;
    // Blocks of audio after which the meters, the glides and the published
    // curves have settled: about 0.6 s at 44.1 kHz.
    static constexpr long kSettlingBlocks = 100;

    // One instance of the plug-in; the host's own X connection.
    explicit EditorHost(const PluginLibrary& library);
    ~EditorHost();
    EditorHost(const EditorHost&) = delete;
    EditorHost& operator=(const EditorHost&) = delete;

    bool ready() const { return effect != nullptr && display != nullptr; }
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f);

    // Makes the host's window (mapped, top level) and asks the editor to
    // open in it; answers the editor's answer.
    bool openEditor();
    void closeEditor();
    void destroyParent();
    // Calls effEditIdle every kIdleMs for `ms` milliseconds, as hosts do.
    void idleFor(int ms);
    // Idles as hosts do until `done` holds; answers false only when it never
    // does, after a deadline no loaded machine comes near.
    bool idleUntil(const std::function<bool()>& done);
    // Idles until the audio thread has played `blocks` blocks more, then for
    // two editor ticks, so that the editor shows what those blocks published.
    bool idleWhileAudioPlays(long blocks);
    Window parent() const { return parentWindow; }
    Window editorWindow() const;
    std::string editorWindowName() const;

    Picture screenshot() const;
    // Mouse input to the editor window at panel coordinates.
    void press(int x, int y, unsigned button = Button1, unsigned state = 0);
    void move(int x, int y, unsigned state = Button1Mask);
    void release(int x, int y, unsigned button = Button1, unsigned state = 0);
    void click(int x, int y, unsigned state = 0);
    // Two clicks close enough in time and place to be a double click.
    void doubleClick(int x, int y, unsigned state = 0);
    void drag(int fromX, int fromY, int toX, int toY, unsigned state = 0);
    // One notch of the wheel, up or down.
    void wheel(int x, int y, bool up, unsigned state = 0);
    void rightClick(int x, int y);
    void key(KeySym symbol, unsigned state = 0);

    std::vector<HostCall> takeCalls();
    void startAudio(float level);
    void stopAudio();

    float parameter(int index) const { return effect->getParameter(effect, index); }

    Display* display = nullptr;
    AEffect* effect = nullptr;
    // A host that closes the editor from inside its begin-edit callback.
    bool closeOnBeginEdit = false;

private:
    static VstIntPtr VSTCALLBACK hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                              void* ptr, float opt);

    Window parentWindow = 0;
    unsigned long eventTime = 1000;  // the server time the synthetic events carry
    mutable std::mutex callLock;
    std::vector<HostCall> calls;
    hostaudio::HostAudio audio;
};

// The share of a newer format's editor picture within `levels` of the VST2
// editor's as it first shows in a host (the VST2 library at vst2Path),
// printed with the format's name.
double shareLikeVst2Editor(const char* vst2Path, const Picture& picture, const char* format, int levels);
// The VST2 editor's picture showing program `program`, selected after a
// first block and its glides landed, with the response display drawn from
// what the effect published; silence in, so no stage icon lit.
Picture vst2EditorPicture(const char* vst2Path, int program);

}  // namespace editortest

#endif
