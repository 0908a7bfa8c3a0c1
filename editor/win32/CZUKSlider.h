#ifndef QUENCHBOX_EDITOR_WIN32_CZUKSLIDER_H
#define QUENCHBOX_EDITOR_WIN32_CZUKSLIDER_H

#include "editor/SliderModel.h"
#include "editor/win32/COffscreenDC.h"
#include "editor/win32/CSkinWindow.h"

namespace quenchbox::editor {

// Horizontal slider: a thumb image moving along the groove printed on the
// panel; the travel and the drag are the shared SliderModel's, this window
// paints it with GDI. Like the dial it tells the parent where a left-button
// drag begins and ends.
class CZUKSlider : public CSkinWindow {
public:
    // The sliders' column on the panel.
    static constexpr int kLeft = 350;

    CZUKSlider() = default;
    ~CZUKSlider() override;

    // Window at (kLeft, y): the panel's groove with the thumb over it.
    void create(HINSTANCE module, HWND parent, HBITMAP panel, int y, double scale = 1.0);
    void setValue(int channel, int v) { slider.setValue(channel, v); }
    int value(int channel) const { return slider.value(channel); }
    int painted(int channel) const { return slider.painted(channel); }
    SliderModel& model() { return slider; }

    void destroy() override;
    const char* className() const override { return "CZUKSliderClass"; }
    LiveWindowCounter& liveWindowCount() const override { return liveWindows; }
    WNDPROC windowProcedure() const override { return &routeMessage<CZUKSlider>; }

private:
    friend class CSkinWindow;

    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool loadSkins(HBITMAP panel, int trackSkinId, int thumbSkinId, int x, int y);
    void paint(HWND window);

    static LiveWindowCounter liveWindows;

    SliderModel slider;
    COffscreenDC trackImage;
    COffscreenDC thumbImage;
    int thumbWidth = 0;
    int thumbHeight = 0;
};

}  // namespace quenchbox::editor

#endif
