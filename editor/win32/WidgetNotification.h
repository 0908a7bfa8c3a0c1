#ifndef QUENCHBOX_EDITOR_WIN32_WIDGETNOTIFICATION_H
#define QUENCHBOX_EDITOR_WIN32_WIDGETNOTIFICATION_H

#include <windows.h>

namespace quenchbox::editor {

// Sent (synchronously) by a toggle button to its parent when a press changes
// its state: wParam is the button's control id, lParam its new state.
constexpr UINT kWidgetNotification = WM_USER + 1;

}  // namespace quenchbox::editor

#endif
