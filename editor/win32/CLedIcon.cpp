#include "editor/win32/CLedIcon.h"

#include "editor/win32/SkinLoader.h"

namespace quenchbox::editor {

LiveWindowCounter CLedIcon::liveWindows;

CLedIcon::~CLedIcon() { destroy(); }

void CLedIcon::create(HINSTANCE moduleInstance, HWND parentWindow, HBITMAP panel, int skinId, int x, int y,
                      double scale)
{
    if (hwnd != nullptr)
        return;
    attach(moduleInstance, parentWindow, scale);
    int width = 0;
    int height = 0;
    if (!pngResourceSize(module, skinId, width, height))
        return;
    place(x, y, width, height);
    icon = loadSkin(skinId);
    if (icon == nullptr)
        return;
    background = buildFrameStrip(panel, nullptr, 1, 0);
    if (background == nullptr || !createWindow()) {
        destroy();
        return;
    }
    InvalidateRect(hwnd, nullptr, TRUE);
    UpdateWindow(hwnd);
}

void CLedIcon::destroy()
{
    destroyWindow();
    for (HBITMAP* owned : {&icon, &background}) {
        if (*owned != nullptr) {
            DeleteObject(*owned);
            *owned = nullptr;
        }
    }
}

void CLedIcon::setOpacity(int opacity)
{
    constantAlpha = static_cast<BYTE>(opacity >= 255 ? 255 : (opacity > 0 ? opacity : 0));
}

LRESULT CLedIcon::handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        paint(window);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void CLedIcon::paint(HWND window)
{
    // Two steps straight to the window: the background is opaque and the
    // blend only adds to it, so nothing flickers through.
    PAINTSTRUCT ps;
    HDC target = BeginPaint(window, &ps);
    HDC source = CreateCompatibleDC(target);
    HGDIOBJ stock = SelectObject(source, background);
    BitBlt(target, 0, 0, widgetWidth, widgetHeight, source, 0, 0, SRCCOPY);
    SelectObject(source, icon);
    const BLENDFUNCTION blend = {AC_SRC_OVER, 0, constantAlpha, AC_SRC_ALPHA};
    AlphaBlend(target, 0, 0, widgetWidth, widgetHeight, source, 0, 0, widgetWidth, widgetHeight, blend);
    SelectObject(source, stock);
    DeleteDC(source);
    EndPaint(window, &ps);
}

}  // namespace quenchbox::editor
