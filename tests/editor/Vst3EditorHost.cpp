#include "Vst3EditorHost.h"

#include <poll.h>

#include <algorithm>
#include <chrono>

namespace editortest {

Vst3EditorHost::Vst3EditorHost(const char* bundlePath, Support offered)
    : display(XOpenDisplay(nullptr)), module(bundlePath), support(offered)
{
    const PClassInfo2 info = module.audioClass();
    vst3 = std::make_unique<quenchbox::host::Vst3Instance>(module.factory(), info.cid);
}

Vst3EditorHost::~Vst3EditorHost()
{
    detach();
    vst3.reset();
    if (display != nullptr) {
        if (parent != 0)
            XDestroyWindow(display, parent);
        XCloseDisplay(display);
    }
}

tresult Vst3EditorHost::queryInterface(const TUID iid, void** object)
{
    *object = nullptr;
    if (FUnknown::iid.matches(iid) || IPlugFrame::iid.matches(iid))
        *object = static_cast<IPlugFrame*>(this);
    else if (IRunLoop::iid.matches(iid) && support == Support::runLoop)
        *object = static_cast<IRunLoop*>(this);
    else
        return kNoInterface;
    return kResultOk;
}

tresult Vst3EditorHost::attach()
{
    if (view == nullptr)
        view = vst3->controller().createView("editor");
    ViewRect size{};
    if (view == nullptr || view->getSize(&size) != kResultOk)
        return kResultFalse;
    if (parent == 0) {
        const int screen = DefaultScreen(display);
        parent = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0,
                                     static_cast<unsigned>(size.right - size.left),
                                     static_cast<unsigned>(size.bottom - size.top), 0, BlackPixel(display, screen),
                                     BlackPixel(display, screen));
        XMapWindow(display, parent);
        XSync(display, False);
    }
    view->setFrame(this);
    return view->attached(reinterpret_cast<void*>(parent), kPlatformTypeX11EmbedWindowID);
}

void Vst3EditorHost::detach()
{
    if (view == nullptr)
        return;
    view->removed();
    view->setFrame(nullptr);
    view->release();
    view = nullptr;
}

// As a host does: the frame takes the size, then tells the view.
tresult Vst3EditorHost::resizeView(IPlugView* resized, ViewRect* newSize)
{
    if (resized == nullptr || newSize == nullptr)
        return kInvalidArgument;
    resizes.push_back(*newSize);
    resizesDuring.push_back(vst3->host().currentCall());
    XResizeWindow(display, parent, static_cast<unsigned>(newSize->right - newSize->left),
                  static_cast<unsigned>(newSize->bottom - newSize->top));
    resized->onSize(newSize);
    return kResultTrue;
}

tresult Vst3EditorHost::registerEventHandler(IEventHandler* handler, FileDescriptor fd)
{
    watched.push_back({handler, fd});
    return kResultOk;
}

tresult Vst3EditorHost::unregisterEventHandler(IEventHandler* handler)
{
    watched.erase(std::remove_if(watched.begin(), watched.end(), [&](auto& w) { return w.first == handler; }),
                  watched.end());
    return kResultOk;
}

tresult Vst3EditorHost::registerTimer(ITimerHandler* handler, TimerInterval milliseconds)
{
    timerHandlers.push_back({handler, milliseconds});
    return kResultOk;
}

tresult Vst3EditorHost::unregisterTimer(ITimerHandler* handler)
{
    timerHandlers.erase(std::remove_if(timerHandlers.begin(), timerHandlers.end(),
                                       [&](auto& t) { return t.first == handler; }),
                        timerHandlers.end());
    return kResultOk;
}

void Vst3EditorHost::runFor(int ms)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    const quenchbox::host::HostContext::Calling loop(vst3->host(), quenchbox::host::HostContext::kRunLoop);
    do {
        // One pass of the loop: readable descriptors, then the timers (all at
        // 33 ms here, so one wait serves them all).
        std::vector<pollfd> entries;
        for (const auto& [handler, fd] : watched)
            entries.push_back({fd, POLLIN, 0});
        const int waitMs = timerHandlers.empty() ? 10 : static_cast<int>(timerHandlers.front().second);
        if (poll(entries.data(), entries.size(), waitMs) > 0) {
            const auto handlers = watched;
            for (std::size_t i = 0; i < entries.size(); ++i)
                if (entries[i].revents & POLLIN)
                    handlers[i].first->onFDIsSet(entries[i].fd);
        }
        const auto due = timerHandlers;
        for (const auto& [handler, period] : due)
            handler->onTimer();
    } while (std::chrono::steady_clock::now() < end);
}

}  // namespace editortest
