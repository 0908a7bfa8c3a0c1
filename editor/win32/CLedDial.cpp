#include "editor/win32/CLedDial.h"

#include "editor/win32/CBufferedPaintDC.h"
#include "editor/win32/SkinLoader.h"
#include "resources/SkinIds.h"

#include <windowsx.h>

namespace quenchbox::editor {

LiveWindowCounter CLedDial::liveWindows;

CLedDial::~CLedDial() { destroy(); }

void CLedDial::create(HINSTANCE moduleInstance, HWND parentWindow, HBITMAP panel, int x, int litSkinId,
                      double scale)
{
    if (hwnd != nullptr)
        return;
    attach(moduleInstance, parentWindow, scale);
    place(x, kTop, DialModel::kSize, DialModel::kSize);
    dial.buildBoundaries();
    if (!buildImages(panel, litSkinId) || !createWindow())
        destroy();
}

bool CLedDial::buildImages(HBITMAP panel, int litSkinId)
{
    HBITMAP frame = loadSkin(SKIN_DIAL_FRAME);
    HBITMAP lit = loadSkin(litSkinId);
    bool built = false;
    if (frame != nullptr && lit != nullptr) {

        // Unlit: the panel itself (it carries the dark LEDs). Lit: the panel
        // with every LED of the ring lit.
        HDC parentDC = GetDC(parent);
        unlitImage.create(parentDC, CreateCompatibleBitmap(parentDC, widgetWidth, widgetHeight));
        litImage.create(parentDC, CreateCompatibleBitmap(parentDC, widgetWidth, widgetHeight));
        HDC source = CreateCompatibleDC(parentDC);
        ReleaseDC(parent, parentDC);

        built = unlitImage && litImage && source != nullptr && widgetWidth > 0 && widgetHeight > 0;
        if (built) {
            const BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
            HGDIOBJ stock = SelectObject(source, panel);
            BitBlt(unlitImage.dc(), 0, 0, widgetWidth, widgetHeight, source, pixelLeft, pixelTop, SRCCOPY);
            BitBlt(litImage.dc(), 0, 0, widgetWidth, widgetHeight, source, pixelLeft, pixelTop, SRCCOPY);
            SelectObject(source, frame);
            AlphaBlend(unlitImage.dc(), 0, 0, widgetWidth, widgetHeight, source, 0, 0, widgetWidth, widgetHeight,
                       blend);
            SelectObject(source, lit);
            AlphaBlend(litImage.dc(), 0, 0, widgetWidth, widgetHeight, source, 0, 0, widgetWidth,
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
    dial.clearBoundaries();
    litImage.reset();
    unlitImage.reset();
}

LRESULT CLedDial::handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Modifiers come from wParam, as the message carried them.
    const bool control = (wParam & MK_CONTROL) != 0;
    const int y = panelY(lParam);
    switch (message) {
    case WM_PAINT:
        paint(window);
        return 0;
    case WM_MOUSEMOVE:
        dial.drag(y, (wParam & MK_SHIFT) != 0);
        return 1;  // the editor's next poll repaints
    case WM_LBUTTONDOWN:
        pressed(pressControl(dial, control, y));
        return 1;
    case WM_LBUTTONUP:
        released(releaseControl(dial));
        return 1;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
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
    dial.catchUpPainted();
}

void CLedDial::paintLitPixels(HDC buffer) const
{
    if (!litImage)
        return;
    // Each pixel's centre in the dial's own units decides.
    const float units = static_cast<float>(drawnScale);
    for (int y = 0; y < widgetHeight; ++y) {
        const float unitY = (static_cast<float>(y) + 0.5f) / units - 0.5f;
        for (int x = 0; x < widgetWidth; ++x)
            if (dial.lightsAt((static_cast<float>(x) + 0.5f) / units - 0.5f, unitY))
                SetPixelV(buffer, x, y, GetPixel(litImage.dc(), x, y));
    }
}

}  // namespace quenchbox::editor
