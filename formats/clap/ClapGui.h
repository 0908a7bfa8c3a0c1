#ifndef QUENCHBOX_FORMATS_CLAP_CLAPGUI_H
#define QUENCHBOX_FORMATS_CLAP_CLAPGUI_H

#include "formats/clap/ClapInterface.h"

class AEffEditor;

namespace quenchbox::clap {

// The gui extension over the editor the effect owns, through nothing but
// the AEffEditor interface: the editor's window is a child of the host's,
// fixed in size. Showing opens the editor in the host's window, hiding
// closes it again (its widgets keep their values), so show, hide and destroy
// work in any order.
//
// Windows' editor runs its own 33 ms timer. An editor for X11 would open in
// the window id handed over as its parent and be driven by idle() from the
// host's timer support, with the connection's descriptor watched through
// posix-fd support.
class ClapGui {
public:
    explicit ClapGui(AEffEditor& editor) : editor(editor) {}
    ~ClapGui() { destroy(); }

    ClapGui(const ClapGui&) = delete;
    ClapGui& operator=(const ClapGui&) = delete;

    // The window system the editor embeds into on this platform; null where
    // there is no editor.
    static const char* windowApi();

    bool isApiSupported(const char* api, bool isFloating) const;
    bool create(const char* api, bool isFloating);
    void destroy();
    bool getSize(std::uint32_t* width, std::uint32_t* height);
    bool setParent(const clap_window_t* window);
    bool show();
    bool hide();

private:
    AEffEditor& editor;
    bool created = false;
    void* parent = nullptr;
    bool open = false;
};

}  // namespace quenchbox::clap

#endif
