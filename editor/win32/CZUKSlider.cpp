#include "editor/win32/CZUKSlider.h"

#include "editor/win32/CBufferedPaintDC.h"
#include "editor/win32/SkinLoader.h"
#include "resources/SkinIds.h"

#include <windowsx.h>

namespace quenchbox::editor {

LiveWindowCounter CZUKSlider::liveWindows;

CZUKSlider::CZUKSlider()
{
    // -1 is no percentage, so the editor's first poll takes the parameter.
    channels[0].value = {-1, -1};
}

CZUKSlider::~CZUKSlider() { destroy(); }

int CZUKSlider::Channel::thumbX() const
{
    // Percent to a thumb position: value x (steps + 1) / 100, within 0..steps.
    int position = value.value * (steps + 1) / 100;
    position = position > steps ? steps : (position < 0 ? 0 : position);
    return minimumX + position * (maximumX - minimumX) / steps;
}

void CZUKSlider::create(HINSTANCE moduleInstance, HWND parentWindow, HBITMAP panel, int y)
{
    if (hwnd != nullptr)
        return;
    attach(moduleInstance, parentWindow);
    // 165 one-pixel steps: the 28-pixel thumb's left edge from 0 to 165.
    channels[0].enabled = true;
    channels[0].minimumX = 0;
    channels[0].maximumX = 165;
    channels[0].steps = 165;
    channels[1].enabled = false;

    if (!loadSkins(panel, SKIN_SLIDER_TRACK, SKIN_SLIDER_THUMB, kLeft, y) || !createWindow(kLeft, y))
        destroy();
}

bool CZUKSlider::loadSkins(HBITMAP panel, int trackSkinId, int thumbSkinId, int x, int y)
{
    HBITMAP track = loadPngResource(module, trackSkinId);
    HBITMAP thumb = loadPngResource(module, thumbSkinId);
    if (track == nullptr || thumb == nullptr) {
        if (track != nullptr)
            DeleteObject(track);
        if (thumb != nullptr)
            DeleteObject(thumb);
        return false;
    }
    BITMAP size = {};
    GetObjectA(track, sizeof(size), &size);
    widgetWidth = size.bmWidth;
    widgetHeight = size.bmHeight;
    GetObjectA(thumb, sizeof(size), &size);
    thumbWidth = size.bmWidth;
    thumbHeight = size.bmHeight;

    // The track skin is transparent, so the track image is the panel's
    // printed groove (with whatever the skin adds).
    HBITMAP strip = buildFrameStrip(panel, track, x, y, 1, 255);
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
    const int x = GET_X_LPARAM(lParam);
    switch (message) {
    case WM_PAINT:
        paint(window);
        return 0;
    case WM_MOUSEMOVE:
        followPointer(wParam, x);
        return 1;
    case WM_LBUTTONDOWN:
        if (control)
            setValue(0, 50);
        else
            beginDrag(window, 0, 1, x);
        return 1;
    case WM_LBUTTONDBLCLK:
        // A double click puts the thumb under the pointer at once.
        if (control)
            setValue(0, 50);
        else
            channels[0].dragAnchor = 0;
        followPointer(wParam, x);
        return 1;
    case WM_RBUTTONDOWN:
        if (control)
            setValue(1, 50);
        beginDrag(window, 1, 0, x);
        return 1;
    case WM_LBUTTONUP:
        endDrag(0, 1);
        return 1;
    case WM_RBUTTONUP:
        endDrag(1, 0);
        return 1;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

void CZUKSlider::followPointer(WPARAM wParam, int x)
{
    for (Channel& channel : channels) {
        if (!channel.enabled || channel.dragAnchor == kNotDragging)
            continue;
        // The thumb's centre under the pointer.
        const int v = (x - thumbWidth / 2) * 100 / (channel.maximumX - channel.minimumX);
        if ((wParam & MK_SHIFT) && v % 10 != 0)
            continue;  // Shift drags step through multiples of 10
        channel.value.setClamped(v);
    }
}

void CZUKSlider::beginDrag(HWND window, int channel, int other, int x)
{
    if (channels[other].dragAnchor != kNotDragging) {
        channels[channel].dragAnchor = channels[other].dragAnchor;
        return;
    }
    SetCapture(window);
    // Marks the drag; the value changes with the first movement.
    channels[channel].dragAnchor = channels[channel].value.value - (x >> kDragShift);
}

void CZUKSlider::endDrag(int channel, int other)
{
    channels[channel].dragAnchor = kNotDragging;
    if (channels[other].dragAnchor == kNotDragging)
        ReleaseCapture();
}

void CZUKSlider::paint(HWND window)
{
    PAINTSTRUCT ps;
    HDC target = BeginPaint(window, &ps);
    if (target != nullptr && trackImage && thumbImage) {
        CBufferedPaintDC buffer(target);
        BitBlt(buffer.dc(), 0, 0, widgetWidth, widgetHeight, trackImage.dc(), 0, 0, SRCCOPY);
        const BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        for (const Channel& channel : channels) {
            if (!channel.enabled)
                continue;
            AlphaBlend(buffer.dc(), channel.thumbX(), 0, thumbWidth, thumbHeight, thumbImage.dc(), 0, 0, thumbWidth,
                       thumbHeight, blend);
        }
    }
    EndPaint(window, &ps);
    catchUpPainted();
}

void CZUKSlider::catchUpPainted()
{
    for (Channel& channel : channels)
        channel.value.painted = channel.value.value;
}

}  // namespace quenchbox::editor
