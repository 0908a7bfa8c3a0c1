#ifndef QUENCHBOX_EDITOR_WIN32_CLEDDIAL_H
#define QUENCHBOX_EDITOR_WIN32_CLEDDIAL_H

#include "editor/DialModel.h"
#include "editor/win32/COffscreenDC.h"
#include "editor/win32/CSkinWindow.h"

namespace quenchbox::editor {

// A knob shown as an LED ring around a knob body printed on the panel,
// dragged vertically; the ring's arithmetic and the drag are the shared
// DialModel's, this window paints it with GDI. The editor polls both
// value/painted pairs; a press and release with the left button tell the
// parent with the gesture notification.
class CLedDial : public CSkinWindow {
public:
    // The dial row's top edge on the panel.
    static constexpr int kTop = 171;

    CLedDial() = default;
    ~CLedDial() override;

    // Window at (x, kTop), lit ring from skin `litSkinId`.
    void create(HINSTANCE module, HWND parent, HBITMAP panel, int x, int litSkinId, double scale = 1.0);
    void setValue(int ring, int v) { dial.setValue(ring, v); }
    int value(int ring) const { return dial.value(ring); }
    int painted(int ring) const { return dial.painted(ring); }
    DialModel& model() { return dial; }

    void destroy() override;
    const char* className() const override { return "CLedDialWindowClass"; }
    LiveWindowCounter& liveWindowCount() const override { return liveWindows; }
    WNDPROC windowProcedure() const override { return &routeMessage<CLedDial>; }

private:
    friend class CSkinWindow;

    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool buildImages(HBITMAP panel, int litSkinId);
    void paint(HWND window);
    void paintLitPixels(HDC buffer) const;

    static LiveWindowCounter liveWindows;

    DialModel dial;
    COffscreenDC unlitImage;
    COffscreenDC litImage;
};

}  // namespace quenchbox::editor

#endif
