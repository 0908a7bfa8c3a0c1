#ifndef QUENCHBOX_EDITOR_WIN32_WIDGETNOTIFICATION_H
#define QUENCHBOX_EDITOR_WIN32_WIDGETNOTIFICATION_H

#include <windows.h>

namespace quenchbox::editor {

// Sent (synchronously) by a toggle button to its parent when a press changes
// its state: wParam is the button's control id, lParam its new state.
constexpr UINT kWidgetNotification = WM_USER + 1;

// Sent by a dial or slider to its parent when the left button starts or ends
// a drag on it (the host hears of it as one gesture): wParam is
// kGestureBegins or kGestureEnds, lParam the control's window.
constexpr UINT kGestureNotification = WM_USER + 2;
constexpr WPARAM kGestureEnds = 0;
constexpr WPARAM kGestureBegins = 1;

// Sent by every widget to its parent when the left button goes down on it,
// before the widget acts on the press: lParam is the widget's window.
constexpr UINT kPressNotification = WM_USER + 3;

}  // namespace quenchbox::editor

#endif
