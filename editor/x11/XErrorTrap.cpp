#include "editor/x11/XErrorTrap.h"

namespace quenchbox::editor {

namespace {

Display* trappedDisplay = nullptr;
XErrorHandler handlerBefore = nullptr;
bool errorSeen = false;

int recordError(Display* display, XErrorEvent* error)
{
    if (display == trappedDisplay) {
        errorSeen = true;
        return 0;
    }
    return handlerBefore != nullptr ? handlerBefore(display, error) : 0;
}

}  // namespace

XErrorTrap::XErrorTrap(Display* display) : trapped(display)
{
    previous = XSetErrorHandler(recordError);
    handlerBefore = previous;
    trappedDisplay = display;
    XSync(display, False);  // errors of earlier requests end here too
    errorSeen = false;
}

XErrorTrap::~XErrorTrap()
{
    XSync(trapped, False);
    XSetErrorHandler(previous);
    trappedDisplay = nullptr;
}

bool XErrorTrap::failed()
{
    XSync(trapped, False);
    return errorSeen;
}

}  // namespace quenchbox::editor
