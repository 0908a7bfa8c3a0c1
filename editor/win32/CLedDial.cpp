#include "editor/win32/CLedDial.h"

#include "editor/win32/CBufferedPaintDC.h"
#include "editor/win32/SkinLoader.h"
#include "resources/SkinIds.h"

#include <cfloat>
#include <cmath>
#include <windowsx.h>

namespace quenchbox::editor {

LiveWindowCounter CLedDial::liveWindows;

namespace {

constexpr float kHalfPi = 1.5707964f;

}  // namespace

CLedDial::CLedDial()
{
    // 29 segments of 10 degrees from -235 to 55 degrees: a gap of 70 degrees
    // at the bottom, symmetric about the vertical, between radius 38 and 47.
    LedRing& led = rings[0];
    led.fillsFromStart = true;
    led.startAngle = -4.101524f;
    led.endAngle = 0.95993114f;
    led.segments = 29;
    led.innerRadiusSquared = 38 * 38;
    led.outerRadiusSquared = 47 * 47;

    // The second ring covers only the centre pixel and never lights.
    LedRing& hidden = rings[1];
    hidden.segments = 1;
}

CLedDial::~CLedDial() { destroy(); }

void CLedDial::LedRing::buildBoundaries()
{
    boundaries.clear();
    if (segments < 1)
        return;
    // A boundary in the left half is stored as the slope dy/dx of its ray;
    // right-half boundaries (past the top) as the largest float, since the
    // right half is tested against the mirror image of the boundary.
    boundaries.resize(segments + 1);
    for (int k = 0; k <= segments; ++k) {
        const float t = static_cast<float>(k) / static_cast<float>(segments);
        const float angle = (1.0f - t) * startAngle + t * endAngle;
        boundaries[k] = angle <= -kHalfPi ? std::tan(angle) : FLT_MAX;
    }
}

bool CLedDial::LedRing::contains(float distanceSquared) const
{
    return static_cast<float>(innerRadiusSquared) <= distanceSquared &&
           distanceSquared <= static_cast<float>(outerRadiusSquared);
}

bool CLedDial::LedRing::withinBoundary(float dx, float dy, int boundary) const
{
    if (dx == 0.0f)
        dx = 0.1f;  // the vertical through the centre counts as the right half
    const float slope = dy / dx;
    if (dx > 0.0f)
        // The sweep is symmetric about the vertical (start = -pi - end), so
        // the right half is tested against the mirror of the boundary.
        return slope <= -boundaries[segments - boundary];
    if (dy >= 0.0f)
        return boundaries[0] <= slope && slope <= boundaries[boundary];
    return slope <= boundaries[boundary];
}

bool CLedDial::LedRing::lightsPixel(float dx, float dy) const
{
    if (boundaries.empty())
        return false;
    if (fillsFromStart) {
        // Percent to lit segments: value x (segments + 1) / 100, at most all.
        int lit = channel.value * (segments + 1) / 100;
        lit = lit > segments ? segments : (lit < 0 ? 0 : lit);
        return withinBoundary(dx, dy, lit);
    }
    int segment = channel.value * segments / 100;
    segment = segment >= segments ? segments - 1 : (segment < 0 ? 0 : segment);
    return withinBoundary(dx, dy, segment + 1) && !withinBoundary(dx, dy, segment);
}

void CLedDial::create(HINSTANCE moduleInstance, HWND parentWindow, HBITMAP panel, int x, int litSkinId)
{
    if (hwnd != nullptr)
        return;
    attach(moduleInstance, parentWindow);
    for (LedRing& ring : rings)
        ring.buildBoundaries();
    if (!buildImages(panel, x, litSkinId) || !createWindow(x, kTop))
        destroy();
}

bool CLedDial::buildImages(HBITMAP panel, int x, int litSkinId)
{
    HBITMAP frame = loadPngResource(module, SKIN_DIAL_FRAME);
    HBITMAP lit = loadPngResource(module, litSkinId);
    bool built = false;
    if (frame != nullptr && lit != nullptr) {
        BITMAP size = {};
        GetObjectA(frame, sizeof(size), &size);
        widgetWidth = size.bmWidth;
        widgetHeight = size.bmHeight;

        // Unlit: the panel itself (it carries the dark LEDs). Lit: the panel
        // with every LED of the ring lit.
        HDC parentDC = GetDC(parent);
        unlitImage.create(parentDC, CreateCompatibleBitmap(parentDC, widgetWidth, widgetHeight));
        rings[0].litImage.create(parentDC, CreateCompatibleBitmap(parentDC, widgetWidth, widgetHeight));
        HDC source = CreateCompatibleDC(parentDC);
        ReleaseDC(parent, parentDC);

        built = unlitImage && rings[0].litImage && source != nullptr && widgetWidth > 0 && widgetHeight > 0;
        if (built) {
            const BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
            HGDIOBJ stock = SelectObject(source, panel);
            BitBlt(unlitImage.dc(), 0, 0, widgetWidth, widgetHeight, source, x, kTop, SRCCOPY);
            BitBlt(rings[0].litImage.dc(), 0, 0, widgetWidth, widgetHeight, source, x, kTop, SRCCOPY);
            SelectObject(source, frame);
            AlphaBlend(unlitImage.dc(), 0, 0, widgetWidth, widgetHeight, source, 0, 0, widgetWidth, widgetHeight,
                       blend);
            SelectObject(source, lit);
            AlphaBlend(rings[0].litImage.dc(), 0, 0, widgetWidth, widgetHeight, source, 0, 0, widgetWidth,
                       widgetHeight, blend);
            SelectObject(source, stock);
        }
        if (source != nullptr)
            DeleteDC(source);
    }
    if (frame != nullptr)
        DeleteObject(frame);
    if (lit != nullptr)
        DeleteObject(lit);
    return built;
}

void CLedDial::destroy()
{
    destroyWindow();
    for (LedRing& ring : rings) {
        ring.boundaries.clear();
        ring.litImage.reset();
    }
    unlitImage.reset();
}

LRESULT CLedDial::handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Modifiers come from wParam, as the message carried them.
    const bool control = (wParam & MK_CONTROL) != 0;
    const int y = GET_Y_LPARAM(lParam);
    switch (message) {
    case WM_PAINT:
        paint(window);
        return 0;
    case WM_MOUSEMOVE:
        for (int r = 0; r < 2; ++r) {
            if (rings[r].dragAnchor == kNotDragging)
                continue;
            const int candidate = rings[r].dragAnchor - (y >> kDragShift);
            if ((wParam & MK_SHIFT) && candidate % 10 != 0)
                continue;  // Shift drags step through multiples of 10
            setValue(r, candidate);
        }
        return 1;  // the editor's next poll repaints
    case WM_LBUTTONDOWN:
        if (control)
            setValue(0, 50);
        else
            beginDrag(window, 0, 1, y);
        return 1;
    case WM_RBUTTONDOWN:
        if (control)
            setValue(1, 50);
        beginDrag(window, 1, 0, y);
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

void CLedDial::beginDrag(HWND window, int ring, int other, int y)
{
    // While the other button drags, both rings follow the mouse together.
    if (rings[other].dragAnchor != kNotDragging) {
        rings[ring].dragAnchor = rings[other].dragAnchor;
        return;
    }
    SetCapture(window);
    rings[ring].dragAnchor = (y >> kDragShift) + rings[ring].channel.value;
}

void CLedDial::endDrag(int ring, int other)
{
    rings[ring].dragAnchor = kNotDragging;
    if (rings[other].dragAnchor == kNotDragging)
        ReleaseCapture();
}

void CLedDial::paint(HWND window)
{
    PAINTSTRUCT ps;
    HDC target = BeginPaint(window, &ps);
    if (target != nullptr) {
        CBufferedPaintDC buffer(target);
        if (unlitImage) {
            BitBlt(buffer.dc(), 0, 0, widgetWidth, widgetHeight, unlitImage.dc(), 0, 0, SRCCOPY);
            paintLitPixels(buffer.dc());
        }
    }
    EndPaint(window, &ps);
    catchUpPainted();
}

void CLedDial::paintLitPixels(HDC buffer) const
{
    for (int y = 0; y < widgetHeight; ++y) {
        for (int x = 0; x < widgetWidth; ++x) {
            const float dx = static_cast<float>(x) - centreX;
            const float dy = static_cast<float>(y) - centreY;
            const float distanceSquared = dx * dx + dy * dy;
            for (const LedRing& ring : rings) {
                if (!ring.contains(distanceSquared))
                    continue;
                if (ring.litImage && ring.lightsPixel(dx, dy))
                    SetPixelV(buffer, x, y, GetPixel(ring.litImage.dc(), x, y));
                break;  // a pixel belongs to the first ring that contains it
            }
        }
    }
}

void CLedDial::catchUpPainted()
{
    for (LedRing& ring : rings)
        ring.channel.painted = ring.channel.value;
}

}  // namespace quenchbox::editor
