#ifndef QUENCHBOX_TESTS_EDITOR_HOSTDRAG_H
#define QUENCHBOX_TESTS_EDITOR_HOSTDRAG_H

#include "EditorHost.h"

namespace editortest {

// The Drive dial's centre on the panel.
constexpr int kDriveX = 74;
constexpr int kDriveY = 218;

// Press on the Drive dial, move up and release, on the editor window inside
// a host's parent, the host's main loop running between.
template <typename Host>
void dragDrive(Host& host, int pixelsUp)
{
    const Window editor = childOf(host.display, host.parent);
    sendButton(host.display, editor, ButtonPress, kDriveX, kDriveY, Button1, 0, 1000);
    host.runFor(40);
    sendMotion(host.display, editor, kDriveX, kDriveY - pixelsUp, Button1Mask, 1010);
    host.runFor(100);
    sendButton(host.display, editor, ButtonRelease, kDriveX, kDriveY - pixelsUp, Button1, 0, 1020);
    host.runFor(100);
}

}  // namespace editortest

#endif
