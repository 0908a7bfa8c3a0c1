#ifndef QUENCHBOX_EDITOR_WIN32_CLEDDIAL_H
#define QUENCHBOX_EDITOR_WIN32_CLEDDIAL_H

#include "editor/win32/COffscreenDC.h"
#include "editor/win32/CSkinWindow.h"
#include "editor/ValueChannel.h"

#include <climits>
#include <vector>

namespace quenchbox::editor {

// A knob shown as an LED ring around a knob body printed on the panel,
// dragged vertically: one percent per two pixels, relative to where the drag
// began. The ring lights segment by segment from its start angle; each pixel
// of the ring is lit or not by its angle, tested against a table of segment
// boundaries (one division per pixel, no trigonometry while painting).
//
// A dial has two rings with a value each: ring 0 is the visible LED ring
// (left button); ring 1 (right button) is a degenerate ring at the centre
// pixel that never lights. The editor polls both value/painted pairs.
class CLedDial : public CSkinWindow {
public:
    // The dial row's top edge on the panel.
    static constexpr int kTop = 171;

    CLedDial();
    ~CLedDial() override;

    // Window at (x, kTop), lit ring from skin `litSkinId`.
    void create(HINSTANCE module, HWND parent, HBITMAP panel, int x, int litSkinId);
    void setValue(int ring, int v) { rings[ring].channel.setClamped(v); }
    int value(int ring) const { return rings[ring].channel.value; }
    int painted(int ring) const { return rings[ring].channel.painted; }

    void destroy() override;
    const char* className() const override { return "CLedDialWindowClass"; }
    LiveWindowCounter& liveWindowCount() const override { return liveWindows; }
    WNDPROC windowProcedure() const override { return &routeMessage<CLedDial>; }

private:
    friend class CSkinWindow;
    static constexpr int kNotDragging = INT_MIN;
    static constexpr int kDragShift = 1;  // vertical pixels are halved: 1 % per 2 px

    struct LedRing {
        bool fillsFromStart = false;  // false: only the segment holding the value lights
        float startAngle = 0.0f;      // radians, screen angles (y down, -pi/2 up)
        float endAngle = 0.0f;
        int segments = 0;
        int innerRadiusSquared = 0;
        int outerRadiusSquared = 0;
        std::vector<float> boundaries;  // segments + 1 entries
        ValueChannel channel;
        int dragAnchor = kNotDragging;
        COffscreenDC litImage;

        void buildBoundaries();
        bool contains(float distanceSquared) const;
        // Whether the pixel at (dx, dy) from the centre lies between the
        // start angle and boundary `boundary`.
        bool withinBoundary(float dx, float dy, int boundary) const;
        bool lightsPixel(float dx, float dy) const;
    };

    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool buildImages(HBITMAP panel, int x, int litSkinId);
    void paint(HWND window);
    void paintLitPixels(HDC buffer) const;
    void catchUpPainted();
    void beginDrag(HWND window, int ring, int other, int y);
    void endDrag(int ring, int other);

    static LiveWindowCounter liveWindows;

    LedRing rings[2];
    COffscreenDC unlitImage;
    float centreX = 47.0f;
    float centreY = 47.0f;
};

}  // namespace quenchbox::editor

#endif
