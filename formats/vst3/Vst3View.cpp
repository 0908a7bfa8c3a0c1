#include "formats/vst3/Vst3View.h"

#include "editor/EditorScale.h"
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

Vst3View::Vst3View(Vst3Plugin& owner)
    : plugin(owner), editor(owner.editor()), scalable(dynamic_cast<editor::ScalableEditor*>(editor))
{
    plugin.addRef();
}

Vst3View::~Vst3View()
{
    removed();
    plugin.forgetView(*this);
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
    if (!plugin.claimEditor(*this))
        return kResultFalse;  // another view of this instance shows the editor
    if (!startDriving() || !editor->open(parent)) {
        stopDriving();
        plugin.releaseEditor(*this);
        return kResultFalse;
    }
    open = true;
    if (scalable != nullptr)
        scalable->setSizeRequests(this);
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
    if (scalable != nullptr)
        scalable->setSizeRequests(nullptr);
    editor->close();
    open = false;
    sizePending = false;
    plugin.releaseEditor(*this);
    return kResultOk;
}

tresult Vst3View::onWheel(float) { return kResultFalse; }

// The host hands over a key while the view has its attention: the panel
// answers whether it used it. The key codes and modifier bits are VST 2.4's.
tresult Vst3View::onKeyDown(char16 key, int16 keyCode, int16 modifiers)
{
    if (editor == nullptr || !open)
        return kResultFalse;
    VstKeyCode code{key, static_cast<unsigned char>(keyCode), static_cast<unsigned char>(modifiers)};
    return editor->onKeyDown(code) ? kResultTrue : kResultFalse;
}

tresult Vst3View::onKeyUp(char16, int16, int16) { return kResultFalse; }

bool Vst3View::currentSize(ViewRect& rect) const
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
    return currentSize(*size) ? kResultOk : kResultFalse;
}

// The host resized its frame: the panel takes the largest step that fits.
tresult Vst3View::onSize(ViewRect* newSize)
{
    if (newSize == nullptr)
        return kInvalidArgument;
    if (scalable == nullptr)
        return kResultFalse;
    int width = newSize->right - newSize->left;
    int height = newSize->bottom - newSize->top;
    scalable->resizeToFit(width, height);
    return kResultOk;
}

tresult Vst3View::onFocus(TBool) { return kResultOk; }

tresult Vst3View::setFrame(IPlugFrame* newFrame)
{
    frame = newFrame;
    return kResultOk;
}

tresult Vst3View::canResize() { return scalable != nullptr ? kResultTrue : kResultFalse; }

// A size the host proposes becomes the largest step's that fits in it.
tresult Vst3View::checkSizeConstraint(ViewRect* rect)
{
    if (rect == nullptr || scalable == nullptr)
        return kInvalidArgument;
    const double scale = editor::scaleFittingSize(rect->right - rect->left, rect->bottom - rect->top);
    rect->right = rect->left + editor::scaledLength(editor::kPanelWidth, scale);
    rect->bottom = rect->top + editor::scaledLength(editor::kPanelHeight, scale);
    return kResultTrue;
}

// The host's content scale (its windows on a high-density screen) sets the
// step; an open view asks the frame for the size that follows, but not from
// inside this call: the host may hold its locks while it makes it.
tresult Vst3View::setContentScaleFactor(float factor)
{
    ViewRect before{};
    currentSize(before);
    if (scalable == nullptr || !scalable->setHostScale(factor))
        return kResultFalse;
    ViewRect after{};
    if (open && currentSize(after) && (after.right != before.right || after.bottom != before.bottom))
        sizePending = true;
    return kResultOk;
}

void Vst3View::sendPendingSize()
{
    ViewRect size{};
    if (!sizePending || !open || !currentSize(size))
        return;
    sizePending = false;
    requestEditorSize(size.right, size.bottom);
}

// The user zoomed in the panel, or the screen's density changed.
bool Vst3View::requestEditorSize(int width, int height)
{
    ViewRect size{0, 0, width, height};
    return frame != nullptr && frame->resizeView(this, &size) == kResultTrue;
}

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

// The run loop's callbacks are the UI thread's own moments: the editor
// reads its events and refreshes, then what waits for the host goes out.
void Vst3View::onTimer()
{
    if (!open)
        return;
    editor->idle();
    plugin.sendToHost();
}

void Vst3View::onFDIsSet(FileDescriptor)
{
    onTimer();
}

#endif

}  // namespace quenchbox::vst3
