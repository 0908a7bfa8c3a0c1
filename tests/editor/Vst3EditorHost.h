#ifndef QUENCHBOX_TESTS_EDITOR_VST3EDITORHOST_H
#define QUENCHBOX_TESTS_EDITOR_VST3EDITORHOST_H

// A VST3 host of our own for the built bundle: one instance of its audio
// class, its view attached to an X11 window of ours through a frame that
// offers the host's run loop (or not, as asked), driven as a host's main
// loop does: the registered timers at their period, the registered event
// handlers when their descriptors are readable. The edits the plug-in makes
// reach the host context of the instance.

#include "host/Vst3Instance.h"

#include <X11/Xlib.h>

#include <memory>
#include <vector>

namespace editortest {

using namespace quenchbox::vst3;

class Vst3EditorHost final : public IPlugFrame, public IRunLoop {
public:
    enum class Support { runLoop, none };

    Vst3EditorHost(const char* bundlePath, Support support);
    ~Vst3EditorHost();
    Vst3EditorHost(const Vst3EditorHost&) = delete;
    Vst3EditorHost& operator=(const Vst3EditorHost&) = delete;

    quenchbox::host::Vst3Instance& instance() { return *vst3; }
    // createView, setFrame and attached to a new window of ours.
    tresult attach();
    // removed and release of the view.
    void detach();
    void runFor(int ms);

    int timers() const { return static_cast<int>(timerHandlers.size()); }
    // The sizes the view asked its frame for, latest last, and the host call
    // each came inside (HostContext::kRunLoop when from the run loop).
    const std::vector<ViewRect>& resizeRequests() const { return resizes; }
    const std::vector<const char*>& resizeRequestsDuring() const { return resizesDuring; }
    int eventHandlers() const { return static_cast<int>(watched.size()); }

    Display* display = nullptr;
    Window parent = 0;
    IPlugView* view = nullptr;

    tresult queryInterface(const TUID iid, void** object) override;
    uint32 addRef() override { return 1; }
    uint32 release() override { return 1; }
    tresult resizeView(IPlugView* resized, ViewRect* newSize) override;
    tresult registerEventHandler(IEventHandler* handler, FileDescriptor fd) override;
    tresult unregisterEventHandler(IEventHandler* handler) override;
    tresult registerTimer(ITimerHandler* handler, TimerInterval milliseconds) override;
    tresult unregisterTimer(ITimerHandler* handler) override;

private:
    quenchbox::host::Vst3Module module;
    std::unique_ptr<quenchbox::host::Vst3Instance> vst3;
    Support support;
    std::vector<std::pair<ITimerHandler*, TimerInterval>> timerHandlers;
    std::vector<std::pair<IEventHandler*, FileDescriptor>> watched;
    std::vector<ViewRect> resizes;
    std::vector<const char*> resizesDuring;
};

}  // namespace editortest

#endif
