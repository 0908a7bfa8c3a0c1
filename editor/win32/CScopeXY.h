#ifndef QUENCHBOX_EDITOR_WIN32_CSCOPEXY_H
#define QUENCHBOX_EDITOR_WIN32_CSCOPEXY_H

#include "editor/ScopePixels.h"
#include "editor/win32/COffscreenDC.h"
#include "editor/win32/CSkinWindow.h"

#include <cstdint>

namespace quenchbox::editor {

// A pixel display into which the editor plots points, x and y from -1 to 1
// (y = -1 at the top), then commits them: the response curves of the
// filtering stages over the display background (skin 117). The plotting is
// the shared ScopePixels'; this window shows its commits with GDI.
class CScopeXY : public CSkinWindow {
public:
    static constexpr int kLeft = 464;
    static constexpr int kTop = 82;

    CScopeXY() = default;
    ~CScopeXY() override;

    void create(HINSTANCE module, HWND parent, HBITMAP panel, double scale = 1.0);
    // colour is 0x00RRGGBB.
    void plot(float x, float y, std::uint32_t colour);
    void commit();

    void destroy() override;
    const char* className() const override { return "CScopeXYWindowClass"; }
    LiveWindowCounter& liveWindowCount() const override { return liveWindows; }
    WNDPROC windowProcedure() const override { return &routeMessage<CScopeXY>; }

private:
    friend class CSkinWindow;

    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool buildDisplay(HBITMAP panel);
    void paint(HWND window);

    static LiveWindowCounter liveWindows;

    // The shown pixels: a 32-bit DIB section, so the buffers below are
    // copied in as they are, whatever the screen's colour depth.
    COffscreenDC display;
    std::uint32_t* displayPixels = nullptr;
    ScopePixels pixels;
};

}  // namespace quenchbox::editor

#endif
