#include "editor/win32/CLedButton.h"

#include "editor/win32/SkinLoader.h"
#include "editor/win32/WidgetNotification.h"

namespace quenchbox::editor {

LiveWindowCounter CLedButton::liveWindows;

CLedButton::~CLedButton() { destroy(); }

void CLedButton::create(HINSTANCE moduleInstance, HWND parentWindow, HBITMAP panel, int x, int y, int skinId,
                        unsigned id, double scale)
{
    if (hwnd != nullptr)
        return;
    attach(moduleInstance, parentWindow, scale);
    controlId = id;

    int width = 0;
    int height = 0;
    if (!pngResourceSize(module, skinId, width, height))
        return;
    place(x, y, width, height / kFrames);
    HBITMAP skin = loadSkin(skinId, kFrames);
    if (skin == nullptr)
        return;
    strip = buildFrameStrip(panel, skin, kFrames, 255);
    DeleteObject(skin);

    if (strip == nullptr || widgetWidth < 1 || widgetHeight < 1 || !createWindow()) {
        destroy();
        return;
    }
    InvalidateRect(hwnd, nullptr, TRUE);
    UpdateWindow(hwnd);
}

void CLedButton::destroy()
{
    destroyWindow();
    if (strip != nullptr) {
        DeleteObject(strip);
        strip = nullptr;
    }
}

void CLedButton::setState(unsigned v)
{
    currentState = v & 1;
    if (hwnd != nullptr) {
        InvalidateRect(hwnd, nullptr, FALSE);
        UpdateWindow(hwnd);
    }
}

LRESULT CLedButton::handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        paint(window);
        return 0;
    case WM_LBUTTONDOWN:
        if (controlId != 0)
            press(window);
        return 1;
    case WM_LBUTTONUP:
        if (controlId != 0) {
            ReleaseCapture();
            InvalidateRect(window, nullptr, FALSE);
        }
        return 1;
    default:
        // Double clicks are not handled, so a quick second click does not
        // toggle the button back.
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

void CLedButton::press(HWND window)
{
    currentState ^= 1;
    // Synchronous, so the parent may set the state again before the repaint
    // (a button that springs back).
    SendMessageA(parent, kWidgetNotification, controlId, currentState);
    SetCapture(window);
    InvalidateRect(window, nullptr, FALSE);
}

void CLedButton::paint(HWND window)
{
    PAINTSTRUCT ps;
    HDC target = BeginPaint(window, &ps);
    HDC frames = CreateCompatibleDC(target);
    HGDIOBJ stock = SelectObject(frames, strip);
    BitBlt(target, 0, 0, widgetWidth, widgetHeight, frames, 0, static_cast<int>(currentState) * widgetHeight,
           SRCCOPY);
    SelectObject(frames, stock);
    DeleteDC(frames);
    EndPaint(window, &ps);
}

}  // namespace quenchbox::editor
