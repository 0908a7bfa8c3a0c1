#ifndef QUENCHBOX_EDITOR_X11_XERRORTRAP_H
#define QUENCHBOX_EDITOR_X11_XERRORTRAP_H

#include <X11/Xlib.h>

namespace quenchbox::editor {

// Catches the X errors of the requests made on `display` while it lives:
// Xlib's default handler ends the whole process on an error, and a host may
// destroy the window we were given (and with it ours) at any moment. The
// handler is process-wide, so it is installed only while the editor works on
// the host's thread (open, close, each idle), and errors of other
// connections go on to the handler that was there before.
class XErrorTrap {
public:
    explicit XErrorTrap(Display* display);
    ~XErrorTrap();
    XErrorTrap(const XErrorTrap&) = delete;
    XErrorTrap& operator=(const XErrorTrap&) = delete;

    // Waits for the server to answer every request so far; whether any of
    // them failed.
    bool failed();

private:
    Display* trapped;
    XErrorHandler previous;
};

}  // namespace quenchbox::editor

#endif
