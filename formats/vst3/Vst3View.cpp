#include "formats/vst3/Vst3View.h"

#include "formats/vst3/Vst3Plugin.h"
#include "shell/AEffEditor.h"
#if !defined(_WIN32)
#include "editor/x11/QuenchboxEditor.h"
#endif

#include <cstring>

namespace quenchbox::vst3 {

namespace {

constexpr TimerInterval kRefreshMs = 33;  // the editor's refresh period

#if defined(_WIN32)
constexpr FIDString kPlatformType = kPlatformTypeHWND;
#else
constexpr FIDString kPlatformType = kPlatformTypeX11EmbedWindowID;
#endif

}  // namespace

Vst3View::Vst3View(Vst3Plugin& owner) : plugin(owner), editor(owner.editor()) { plugin.addRef(); }

Vst3View::~Vst3View()
{
    removed();
    plugin.release();
}

tresult Vst3View::queryInterface(const TUID iid, void** object)
{
    if (object == nullptr)
        return kInvalidArgument;
    *object = nullptr;
    if (FUnknown::iid.matches(iid) || IPlugView::iid.matches(iid))
        *object = static_cast<IPlugView*>(this);
    else if (IPlugViewContentScaleSupport::iid.matches(iid))
        *object = static_cast<IPlugViewContentScaleSupport*>(this);
#if !defined(_WIN32)
    else if (ITimerHandler::iid.matches(iid))
        *object = static_cast<ITimerHandler*>(this);
    else if (IEventHandler::iid.matches(iid))
        *object = static_cast<IEventHandler*>(this);
#endif
    else
        return kNoInterface;
    addRef();
    return kResultOk;
}

uint32 Vst3View::addRef() { return references.fetch_add(1, std::memory_order_relaxed) + 1; }

uint32 Vst3View::release()
{
    const uint32 left = references.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0)
        delete this;
    return left;
}

tresult Vst3View::isPlatformTypeSupported(FIDString type)
{
    return type != nullptr && std::strcmp(type, kPlatformType) == 0 ? kResultTrue : kResultFalse;
}

tresult Vst3View::attached(void* parent, FIDString type)
{
    if (open || parent == nullptr || isPlatformTypeSupported(type) != kResultTrue || editor == nullptr)
        return kResultFalse;
    if (!plugin.claimEditor())
        return kResultFalse;  // another view of this instance shows the editor
    if (!startDriving() || !editor->open(parent)) {
        stopDriving();
        plugin.releaseEditor();
        return kResultFalse;
    }
    open = true;
#if !defined(_WIN32)
    // The X connection exists once the editor is open.
    const int connection = static_cast<editor::QuenchboxEditor*>(editor)->connectionFd();
    if (connection >= 0)
        runLoop->registerEventHandler(this, connection);
#endif
    return kResultOk;
}

// The window and every resource of the editor go with removed.
tresult Vst3View::removed()
{
    if (!open)
        return kResultFalse;
    stopDriving();
    editor->close();
    open = false;
    plugin.releaseEditor();
    return kResultOk;
}

tresult Vst3View::onWheel(float) { return kResultFalse; }

tresult Vst3View::onKeyDown(char16, int16, int16) { return kResultFalse; }

tresult Vst3View::onKeyUp(char16, int16, int16) { return kResultFalse; }

bool Vst3View::fixedSize(ViewRect& rect) const
{
    ERect* area = nullptr;
    if (editor == nullptr || !editor->getRect(&area) || area == nullptr)
        return false;
    rect = {0, 0, area->right - area->left, area->bottom - area->top};
    return true;
}

tresult Vst3View::getSize(ViewRect* size)
{
    if (size == nullptr)
        return kInvalidArgument;
    return fixedSize(*size) ? kResultOk : kResultFalse;
}

tresult Vst3View::onSize(ViewRect* newSize)
{
    ViewRect fixed{};
    if (newSize == nullptr)
        return kInvalidArgument;
    return fixedSize(fixed) && newSize->right - newSize->left == fixed.right
                   && newSize->bottom - newSize->top == fixed.bottom
               ? kResultOk
               : kResultFalse;
}

tresult Vst3View::onFocus(TBool) { return kResultOk; }

tresult Vst3View::setFrame(IPlugFrame* newFrame)
{
    frame = newFrame;
    return kResultOk;
}

tresult Vst3View::canResize() { return kResultFalse; }

tresult Vst3View::checkSizeConstraint(ViewRect* rect)
{
    ViewRect fixed{};
    if (rect == nullptr || !fixedSize(fixed))
        return kInvalidArgument;
    rect->right = rect->left + fixed.right;
    rect->bottom = rect->top + fixed.bottom;
    return kResultTrue;
}

// The panel's pixels are fixed for now: only the unscaled size is taken.
tresult Vst3View::setContentScaleFactor(float factor) { return factor == 1.0f ? kResultOk : kResultFalse; }

#if defined(_WIN32)

bool Vst3View::startDriving() { return true; }

void Vst3View::stopDriving() {}

#else

// The host's run loop, asked of the frame, drives the editor.
bool Vst3View::startDriving()
{
    if (frame == nullptr)
        return false;
    void* found = nullptr;
    if (frame->queryInterface(IRunLoop::iid.bytes, &found) != kResultOk || found == nullptr)
        return false;
    runLoop = static_cast<IRunLoop*>(found);
    if (runLoop->registerTimer(this, kRefreshMs) != kResultOk) {
        runLoop->release();
        runLoop = nullptr;
        return false;
    }
    return true;
}

void Vst3View::stopDriving()
{
    if (runLoop == nullptr)
        return;
    runLoop->unregisterTimer(this);
    runLoop->unregisterEventHandler(this);
    runLoop->release();
    runLoop = nullptr;
}

void Vst3View::onTimer()
{
    if (open)
        editor->idle();
}

void Vst3View::onFDIsSet(FileDescriptor)
{
    if (open)
        editor->idle();
}

#endif

}  // namespace quenchbox::vst3
