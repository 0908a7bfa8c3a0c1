#ifndef QUENCHBOX_EDITOR_WIN32_CLABEL_H
#define QUENCHBOX_EDITOR_WIN32_CLABEL_H

#include "editor/win32/CSkinWindow.h"

namespace quenchbox::editor {

// The panel's small heavy font: 12-pixel characters at 1x.
HFONT createLabelFont(double scale);

// One line of centred light-grey text over the panel: the value texts beside
// the sliders, in the value boxes printed on the panel.
class CLabel : public CSkinWindow {
public:
    // The labels' column and size on the panel.
    static constexpr int kLeft = 562;
    static constexpr int kWidth = 58;
    static constexpr int kHeight = 28;

    CLabel() = default;
    ~CLabel() override;

    void create(HINSTANCE module, HWND parent, HBITMAP panel, int y, double scale = 1.0);
    // Copies at most 63 characters; takes effect with the next paint.
    void setText(const char* newText);
    const char* text() const { return label; }

    void destroy() override;
    const char* className() const override { return "CLabelWindowClass"; }
    LiveWindowCounter& liveWindowCount() const override { return liveWindows; }
    WNDPROC windowProcedure() const override { return &routeMessage<CLabel>; }

private:
    friend class CSkinWindow;

    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void paint(HWND window);
    void drawText(HDC target) const;

    static LiveWindowCounter liveWindows;

    HFONT font = nullptr;
    HBITMAP background = nullptr;
    char label[64] = {};
};

}  // namespace quenchbox::editor

#endif
