#include "editor/win32/CZUKSlider.h"

#include "editor/win32/CBufferedPaintDC.h"
#include "editor/win32/SkinLoader.h"
#include "editor/win32/WidgetNotification.h"
#include "resources/SkinIds.h"

#include <windowsx.h>

namespace quenchbox::editor {

LiveWindowCounter CZUKSlider::liveWindows;

CZUKSlider::~CZUKSlider() { destroy(); }

void CZUKSlider::create(HINSTANCE moduleInstance, HWND parentWindow, HBITMAP panel, int y, double scale)
{
    if (hwnd != nullptr)
        return;
    attach(moduleInstance, parentWindow, scale);
    if (!loadSkins(panel, SKIN_SLIDER_TRACK, SKIN_SLIDER_THUMB, kLeft, y) || !createWindow())
        destroy();
}

bool CZUKSlider::loadSkins(HBITMAP panel, int trackSkinId, int thumbSkinId, int x, int y)
{
    int trackWidth = 0;
    int trackHeight = 0;
    int panelThumbWidth = 0;
    int panelThumbHeight = 0;
    if (!pngResourceSize(module, trackSkinId, trackWidth, trackHeight) ||
        !pngResourceSize(module, thumbSkinId, panelThumbWidth, panelThumbHeight))
        return false;
    place(x, y, trackWidth, trackHeight);
    thumbWidth = scaledLength(panelThumbWidth, drawnScale);
    thumbHeight = scaledLength(panelThumbHeight, drawnScale);
    HBITMAP track = loadSkin(trackSkinId);
    HBITMAP thumb = loadScaledPngResource(module, thumbSkinId, drawnScale, thumbWidth, thumbHeight);
    if (track == nullptr || thumb == nullptr) {
        if (track != nullptr)
            DeleteObject(track);
        if (thumb != nullptr)
            DeleteObject(thumb);
        return false;
    }
    slider.setThumbWidth(panelThumbWidth);

    // The track skin is transparent, so the track image is the panel's
    // printed groove (with whatever the skin adds).
    HBITMAP strip = buildFrameStrip(panel, track, 1, 255);
    DeleteObject(track);
    HDC parentDC = GetDC(parent);
    trackImage.create(parentDC, strip);
    thumbImage.create(parentDC, thumb);
    ReleaseDC(parent, parentDC);
    return trackImage && thumbImage && widgetWidth > 0 && widgetHeight > 0;
}

void CZUKSlider::destroy()
{
    destroyWindow();
    trackImage.reset();
    thumbImage.reset();
}

LRESULT CZUKSlider::handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const bool control = (wParam & MK_CONTROL) != 0;
    const bool shift = (wParam & MK_SHIFT) != 0;
    const int x = panelX(lParam);
    switch (message) {
    case WM_PAINT:
        paint(window);
        return 0;
    case WM_MOUSEMOVE:
        slider.drag(x, shift);
        return 1;
    case WM_LBUTTONDOWN:
        pressed(pressControl(slider, control, x));
        return 1;
    case WM_LBUTTONUP:
        released(releaseControl(slider));
        return 1;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

void CZUKSlider::paint(HWND window)
{
    PAINTSTRUCT ps;
    HDC target = BeginPaint(window, &ps);
    if (target != nullptr && trackImage && thumbImage) {
        CBufferedPaintDC buffer(target);
        BitBlt(buffer.dc(), 0, 0, widgetWidth, widgetHeight, trackImage.dc(), 0, 0, SRCCOPY);
        const BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        for (int channel = 0; channel < 2; ++channel) {
            const int thumbX = slider.thumbX(channel);
            if (thumbX < 0)
                continue;
            const int left = scaledLength(panelLeft + thumbX, drawnScale) - pixelLeft;
            AlphaBlend(buffer.dc(), left, 0, thumbWidth, thumbHeight, thumbImage.dc(), 0, 0, thumbWidth,
                       thumbHeight, blend);
        }
    }
    EndPaint(window, &ps);
    slider.catchUpPainted();
}

}  // namespace quenchbox::editor
