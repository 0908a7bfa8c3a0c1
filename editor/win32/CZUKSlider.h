#ifndef QUENCHBOX_EDITOR_WIN32_CZUKSLIDER_H
#define QUENCHBOX_EDITOR_WIN32_CZUKSLIDER_H

#include "editor/win32/COffscreenDC.h"
#include "editor/win32/CSkinWindow.h"
#include "editor/ValueChannel.h"

#include <climits>

namespace quenchbox::editor {

// Horizontal slider: a thumb image moving along the groove printed on the
// panel. While the left button drags, the thumb's centre follows the
// pointer. Like the dial it has two value channels; channel 0 is the
// visible thumb, channel 1 (right button) is disabled and never drawn.
class CZUKSlider : public CSkinWindow {
public:
    // The sliders' column on the panel.
    static constexpr int kLeft = 350;

    CZUKSlider();
    ~CZUKSlider() override;

    // Window at (kLeft, y): the panel's groove with the thumb over it.
    void create(HINSTANCE module, HWND parent, HBITMAP panel, int y);
    void setValue(int channel, int v) { channels[channel].value.setClamped(v); }
    int value(int channel) const { return channels[channel].value.value; }
    int painted(int channel) const { return channels[channel].value.painted; }

    void destroy() override;
    const char* className() const override { return "CZUKSliderClass"; }
    LiveWindowCounter& liveWindowCount() const override { return liveWindows; }
    WNDPROC windowProcedure() const override { return &routeMessage<CZUKSlider>; }

private:
    friend class CSkinWindow;
    static constexpr int kNotDragging = INT_MIN;
    static constexpr int kDragShift = 1;

    struct Channel {
        bool enabled = false;
        int minimumX = 0;  // the thumb's left edge travels from minimumX to maximumX
        int maximumX = 0;
        int steps = 0;     // thumb positions over the travel
        ValueChannel value;
        int dragAnchor = kNotDragging;

        int thumbX() const;
    };

    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool loadSkins(HBITMAP panel, int trackSkinId, int thumbSkinId, int x, int y);
    void paint(HWND window);
    void catchUpPainted();
    void followPointer(WPARAM wParam, int x);
    void beginDrag(HWND window, int channel, int other, int x);
    void endDrag(int channel, int other);

    static LiveWindowCounter liveWindows;

    COffscreenDC trackImage;
    COffscreenDC thumbImage;
    int thumbWidth = 0;
    int thumbHeight = 0;
    Channel channels[2];
};

}  // namespace quenchbox::editor

#endif
