#ifndef QUENCHBOX_FORMATS_VST3_VST3VIEW_H
#define QUENCHBOX_FORMATS_VST3_VST3VIEW_H

#include "editor/ScalableEditor.h"
#include "formats/vst3/Vst3Interface.h"

#include <atomic>

class AEffEditor;

namespace quenchbox::vst3 {

class Vst3Plugin;

// The editor's view: the effect's skinned panel as a child of the host's
// window, 677 x 480 at 100 % and round(677 s) x round(480 s) at the scale
// steps s from 1 to 2, keeping its aspect ratio. The host's content scale
// sets the step; a resize of the host's frame takes the largest step that
// fits; a zoom the user picks in the panel asks the frame to resize (a
// content scale asks it after the host's call returned). It keeps
// its plug-in alive while it exists and holds the editor only between
// attached and removed.
//
// Windows: the panel runs its own 33 ms timer. Linux: the panel is driven
// only by the host's run loop, asked of the frame: a timer for the refresh
// and an event handler on the editor's X connection. A host whose frame has
// no run loop gets no view: attached refuses.
class Vst3View final : public IPlugView,
                       public IPlugViewContentScaleSupport,
#if !defined(_WIN32)
                       public ITimerHandler,
                       public IEventHandler,
#endif
                       private editor::EditorSizeRequests {
public:
    explicit Vst3View(Vst3Plugin& plugin);

    tresult queryInterface(const TUID iid, void** object) override;
    uint32 addRef() override;
    uint32 release() override;

    tresult isPlatformTypeSupported(FIDString type) override;
    tresult attached(void* parent, FIDString type) override;
    tresult removed() override;
    tresult onWheel(float distance) override;
    tresult onKeyDown(char16 key, int16 keyCode, int16 modifiers) override;
    tresult onKeyUp(char16 key, int16 keyCode, int16 modifiers) override;
    tresult getSize(ViewRect* size) override;
    tresult onSize(ViewRect* newSize) override;
    tresult onFocus(TBool state) override;
    tresult setFrame(IPlugFrame* frame) override;
    tresult canResize() override;
    tresult checkSizeConstraint(ViewRect* rect) override;

    tresult setContentScaleFactor(float factor) override;

    // Asks the frame for the size a content scale gave the panel, once the
    // host's call that set the scale has returned; the plug-in calls it on
    // the UI thread's own moments.
    void sendPendingSize();

#if !defined(_WIN32)
    void onTimer() override;
    void onFDIsSet(FileDescriptor fd) override;
#endif

private:
    ~Vst3View();

    bool currentSize(ViewRect& rect) const;
    bool requestEditorSize(int width, int height) override;
    bool startDriving();
    void stopDriving();

    std::atomic<uint32> references{1};
    Vst3Plugin& plugin;
    AEffEditor* editor;
    editor::ScalableEditor* scalable;
    IPlugFrame* frame = nullptr;
    bool open = false;
    bool sizePending = false;
#if !defined(_WIN32)
    IRunLoop* runLoop = nullptr;
#endif
};

}  // namespace quenchbox::vst3

#endif
