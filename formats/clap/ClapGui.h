#ifndef QUENCHBOX_FORMATS_CLAP_CLAPGUI_H
#define QUENCHBOX_FORMATS_CLAP_CLAPGUI_H

#include "editor/ScalableEditor.h"
#include "formats/clap/ClapInterface.h"

class AEffEditor;

namespace quenchbox::clap {

// The gui extension over the editor the effect owns, through nothing but
// the AEffEditor and ScalableEditor interfaces: the editor's window is a
// child of the host's, at one of the editor's five sizes with the panel's
// aspect ratio. The host's scale (set_scale) picks the size, and a resize
// of the frame snaps to the largest size that fits; a zoom the user picks
// in the panel reaches the host as request_resize. Showing opens the editor in the host's window, hiding
// closes it again (its widgets keep their values), so show, hide and destroy
// work in any order.
//
// Windows' editor runs its own 33 ms timer. On X11 the editor opens in the
// window id handed over as its parent and is driven by idle() on the host's
// main thread: from a 33 ms timer of the host's timer-support, and whenever
// its X connection's descriptor, registered with the host's
// posix-fd-support, is readable. A host without timer-support shows the
// panel as drawn when it opened; its input then still arrives through the
// descriptor (the refresh runs with it). A host with neither gets a still
// panel: no thread of ours may touch the connection in its place.
class ClapGui final : private editor::EditorSizeRequests {
public:
    // The host's timer and descriptor support may be null (and are, where
    // the editor is not driven by the host).
    ClapGui(AEffEditor& editor, const clap_host_t* host, const clap_host_timer_support_t* timers,
            const clap_host_posix_fd_support_t* descriptors);
    ~ClapGui();

    ClapGui(const ClapGui&) = delete;
    ClapGui& operator=(const ClapGui&) = delete;

    // The window system the editor embeds into on this platform; null where
    // there is no editor.
    static const char* windowApi();
    // Whether the editor needs the host's timer and descriptor (X11).
    static bool drivenByHost();

    bool isApiSupported(const char* api, bool isFloating) const;
    bool create(const char* api, bool isFloating);
    void destroy();
    bool getSize(std::uint32_t* width, std::uint32_t* height);
    bool setScale(double scale);
    bool canResize() const { return scalable != nullptr; }
    bool getResizeHints(clap_gui_resize_hints_t* hints) const;
    bool adjustSize(std::uint32_t* width, std::uint32_t* height) const;
    bool setSize(std::uint32_t width, std::uint32_t height);
    bool setParent(const clap_window_t* window);
    bool show();
    bool hide();
    // The host's timer and the X connection's descriptor (X11 only).
    void onTimer(clap_id timer);
    void onDescriptor(int descriptor);

private:
    bool requestEditorSize(int width, int height) override;
    void startDriving();
    void stopDriving();

    AEffEditor& editor;
    editor::ScalableEditor* scalable;
    const clap_host_t* host;
    const clap_host_gui_t* hostGui = nullptr;
    const clap_host_timer_support_t* hostTimers = nullptr;
    const clap_host_posix_fd_support_t* hostDescriptors = nullptr;
    clap_id timer = CLAP_INVALID_ID;
    int descriptor = -1;
    bool created = false;
    void* parent = nullptr;
    bool open = false;
};

}  // namespace quenchbox::clap

#endif
