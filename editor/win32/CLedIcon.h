#ifndef QUENCHBOX_EDITOR_WIN32_CLEDICON_H
#define QUENCHBOX_EDITOR_WIN32_CLEDICON_H

#include "editor/win32/CSkinWindow.h"

namespace quenchbox::editor {

// A picture faded in over the panel with an opacity the editor sets: the
// stage-activity indicators. Opacity 0 shows the panel alone.
class CLedIcon : public CSkinWindow {
public:
    CLedIcon() = default;
    ~CLedIcon() override;

    void create(HINSTANCE module, HWND parent, HBITMAP panel, int skinId, int x, int y, double scale = 1.0);
    // 0 (invisible) to 255 (full strength); values outside are held at the
    // nearer end rather than wrapped. Takes effect with the next paint.
    void setOpacity(int opacity);
    int opacity() const { return constantAlpha; }

    void destroy() override;
    const char* className() const override { return "CLedIconWindowClass"; }
    LiveWindowCounter& liveWindowCount() const override { return liveWindows; }
    WNDPROC windowProcedure() const override { return &routeMessage<CLedIcon>; }

private:
    friend class CSkinWindow;

    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void paint(HWND window);

    static LiveWindowCounter liveWindows;

    HBITMAP icon = nullptr;
    HBITMAP background = nullptr;
    BYTE constantAlpha = 0;
};

}  // namespace quenchbox::editor

#endif
