#ifndef QUENCHBOX_EDITOR_WIN32_CLEDBUTTON_H
#define QUENCHBOX_EDITOR_WIN32_CLEDBUTTON_H

#include "editor/win32/CSkinWindow.h"

namespace quenchbox::editor {

// Two-state toggle button drawn from a two-frame skin (off on top, on below).
// A press toggles it and tells the parent at once with the widget
// notification, carrying the new state; the release changes nothing. A
// button with control id 0 ignores the mouse.
class CLedButton : public CSkinWindow {
public:
    CLedButton() = default;
    ~CLedButton() override;

    void create(HINSTANCE module, HWND parent, HBITMAP panel, int x, int y, int skinId, unsigned controlId,
                double scale = 1.0);
    // Shows state v (0 or 1) without notifying anyone.
    void setState(unsigned v);
    unsigned state() const { return currentState; }

    void destroy() override;
    const char* className() const override { return "CLedButtonWindowClass"; }
    LiveWindowCounter& liveWindowCount() const override { return liveWindows; }
    WNDPROC windowProcedure() const override { return &routeMessage<CLedButton>; }

private:
    friend class CSkinWindow;
    static constexpr int kFrames = 2;

    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void paint(HWND window);
    void press(HWND window);

    static LiveWindowCounter liveWindows;

    unsigned controlId = 0;
    unsigned currentState = 0;
    HBITMAP strip = nullptr;
};

}  // namespace quenchbox::editor

#endif
