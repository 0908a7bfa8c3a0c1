#include "formats/clap/ClapGui.h"

#include "editor/EditorScale.h"
#include "shell/AEffEditor.h"
#if !defined(_WIN32)
#include "editor/x11/QuenchboxEditor.h"
#endif

#include <algorithm>
#include <cstring>

namespace quenchbox::clap {

namespace {

constexpr std::uint32_t kRefreshMs = 33;  // the editor's refresh period

// The editor's X connection, to be watched by the host; -1 on Windows,
// where the editor needs no help.
int connectionOf(AEffEditor& editor)
{
#if defined(_WIN32)
    (void)editor;
    return -1;
#else
    auto* x11 = dynamic_cast<editor::QuenchboxEditor*>(&editor);
    return x11 != nullptr ? x11->connectionFd() : -1;
#endif
}

void* parentOf(const clap_window_t& window)
{
#if defined(_WIN32)
    return window.win32;
#else
    return reinterpret_cast<void*>(static_cast<std::uintptr_t>(window.x11));
#endif
}

}  // namespace

ClapGui::ClapGui(AEffEditor& owned, const clap_host_t* clapHost, const clap_host_timer_support_t* timers,
                 const clap_host_posix_fd_support_t* descriptors)
    : editor(owned), scalable(dynamic_cast<editor::ScalableEditor*>(&owned)), host(clapHost), hostTimers(timers),
      hostDescriptors(descriptors)
{
    if (host != nullptr && host->get_extension != nullptr)
        hostGui = static_cast<const clap_host_gui_t*>(host->get_extension(host, CLAP_EXT_GUI));
    if (scalable != nullptr)
        scalable->setSizeRequests(this);
}

ClapGui::~ClapGui()
{
    destroy();
    if (scalable != nullptr)
        scalable->setSizeRequests(nullptr);
}

const char* ClapGui::windowApi()
{
#if defined(_WIN32)
    return CLAP_WINDOW_API_WIN32;
#else
    return CLAP_WINDOW_API_X11;
#endif
}

bool ClapGui::drivenByHost()
{
#if defined(_WIN32)
    return false;
#else
    return true;
#endif
}

bool ClapGui::isApiSupported(const char* api, bool isFloating) const
{
    return !isFloating && api != nullptr && windowApi() != nullptr && std::strcmp(api, windowApi()) == 0;
}

bool ClapGui::create(const char* api, bool isFloating)
{
    if (created || !isApiSupported(api, isFloating))
        return false;
    created = true;
    return true;
}

void ClapGui::destroy()
{
    hide();
    parent = nullptr;
    created = false;
}

bool ClapGui::getSize(std::uint32_t* width, std::uint32_t* height)
{
    ERect* rect = nullptr;
    if (width == nullptr || height == nullptr || !editor.getRect(&rect) || rect == nullptr)
        return false;
    *width = static_cast<std::uint32_t>(rect->right - rect->left);
    *height = static_cast<std::uint32_t>(rect->bottom - rect->top);
    return true;
}

bool ClapGui::setScale(double scale) { return scalable != nullptr && scalable->setHostScale(scale); }

bool ClapGui::getResizeHints(clap_gui_resize_hints_t* hints) const
{
    if (scalable == nullptr || hints == nullptr)
        return false;
    hints->can_resize_horizontally = true;
    hints->can_resize_vertically = true;
    hints->preserve_aspect_ratio = true;
    hints->aspect_ratio_width = editor::kPanelWidth;
    hints->aspect_ratio_height = editor::kPanelHeight;
    return true;
}

bool ClapGui::adjustSize(std::uint32_t* width, std::uint32_t* height) const
{
    if (scalable == nullptr || width == nullptr || height == nullptr)
        return false;
    const double scale = editor::scaleFittingSize(static_cast<int>(std::min<std::uint32_t>(*width, 1u << 20)),
                                                  static_cast<int>(std::min<std::uint32_t>(*height, 1u << 20)));
    *width = static_cast<std::uint32_t>(editor::scaledLength(editor::kPanelWidth, scale));
    *height = static_cast<std::uint32_t>(editor::scaledLength(editor::kPanelHeight, scale));
    return true;
}

// Only the sizes adjustSize answers are taken as they are.
bool ClapGui::setSize(std::uint32_t width, std::uint32_t height)
{
    std::uint32_t adjustedWidth = width;
    std::uint32_t adjustedHeight = height;
    if (!adjustSize(&adjustedWidth, &adjustedHeight) || adjustedWidth != width || adjustedHeight != height)
        return false;
    int w = static_cast<int>(width);
    int h = static_cast<int>(height);
    scalable->resizeToFit(w, h);
    return true;
}

bool ClapGui::requestEditorSize(int width, int height)
{
    return hostGui != nullptr && hostGui->request_resize != nullptr
           && hostGui->request_resize(host, static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height));
}

bool ClapGui::setParent(const clap_window_t* window)
{
    if (!created || window == nullptr || !isApiSupported(window->api, false) || parentOf(*window) == nullptr)
        return false;
    hide();
    parent = parentOf(*window);
    // Hosts that embed may never call show: the editor appears at once.
    return show();
}

bool ClapGui::show()
{
    if (parent == nullptr)
        return false;
    if (!open) {
        open = editor.open(parent);
        if (open)
            startDriving();
    }
    return open;
}

bool ClapGui::hide()
{
    if (open) {
        stopDriving();
        editor.close();
    }
    open = false;
    return created;
}

void ClapGui::startDriving()
{
    if (hostTimers != nullptr && hostTimers->register_timer != nullptr
        && !hostTimers->register_timer(host, kRefreshMs, &timer))
        timer = CLAP_INVALID_ID;
    const int connection = connectionOf(editor);
    if (connection >= 0 && hostDescriptors != nullptr && hostDescriptors->register_fd != nullptr
        && hostDescriptors->register_fd(host, connection, CLAP_POSIX_FD_READ))
        descriptor = connection;
}

void ClapGui::stopDriving()
{
    if (timer != CLAP_INVALID_ID && hostTimers->unregister_timer != nullptr)
        hostTimers->unregister_timer(host, timer);
    timer = CLAP_INVALID_ID;
    if (descriptor >= 0 && hostDescriptors->unregister_fd != nullptr)
        hostDescriptors->unregister_fd(host, descriptor);
    descriptor = -1;
}

void ClapGui::onTimer(clap_id id)
{
    if (open && id == timer)
        editor.idle();
}

void ClapGui::onDescriptor(int fd)
{
    if (open && fd == descriptor)
        editor.idle();
}

}  // namespace quenchbox::clap
