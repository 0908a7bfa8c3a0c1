#include "editor/win32/CSkinWindow.h"

#include "editor/win32/SkinLoader.h"
#include "editor/win32/WidgetNotification.h"

#include <windowsx.h>

#include <algorithm>
#include <cstring>

namespace quenchbox::editor {

void composeWindowClassName(const char* modulePath, const char* literal, char (&name)[kClassNameSize])
{
    const std::size_t literalLength = std::min(std::strlen(literal), kClassNameSize - 1);
    const char* lastBackslash = std::strrchr(modulePath, '\\');
    const char* fileName = lastBackslash ? lastBackslash + 1 : "";
    const std::size_t fileNameLength = std::min(std::strlen(fileName), kClassNameSize - 1 - literalLength);

    std::memcpy(name, fileName, fileNameLength);
    std::memcpy(name + fileNameLength, literal, literalLength);
    name[fileNameLength + literalLength] = '\0';
}

void CSkinWindow::attach(HINSTANCE moduleInstance, HWND parentWindow, double scale)
{
    module = moduleInstance;
    parent = parentWindow;
    drawnScale = scale;
}

void CSkinWindow::place(int x, int y, int width, int height)
{
    const PixelBox pixels = scaledBox(x, y, width, height, drawnScale);
    panelLeft = x;
    panelTop = y;
    panelWidth = width;
    panelHeight = height;
    pixelLeft = pixels.x;
    pixelTop = pixels.y;
    widgetWidth = pixels.width;
    widgetHeight = pixels.height;
}

HBITMAP CSkinWindow::loadSkin(int skinId, int frames) const
{
    return loadScaledPngResource(module, skinId, drawnScale, widgetWidth, widgetHeight * frames);
}

int CSkinWindow::panelX(LPARAM lParam) const
{
    return panelCoordinate(pixelLeft + GET_X_LPARAM(lParam), drawnScale) - panelLeft;
}

int CSkinWindow::panelY(LPARAM lParam) const
{
    return panelCoordinate(pixelTop + GET_Y_LPARAM(lParam), drawnScale) - panelTop;
}

void CSkinWindow::registerWindowClass()
{
    char modulePath[MAX_PATH] = {};
    GetModuleFileNameA(module, modulePath, MAX_PATH);
    modulePath[MAX_PATH - 1] = '\0';
    composeWindowClassName(modulePath, className(), classNameBuffer);

    WNDCLASSEXA existing = {};
    existing.cbSize = sizeof(existing);
    if (GetClassInfoExA(module, classNameBuffer, &existing))
        return;

    liveWindowCount().of(module) = 0;
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = windowProcedure();
    windowClass.hInstance = module;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = classNameBuffer;
    RegisterClassExA(&windowClass);
}

bool CSkinWindow::createWindow()
{
    registerWindowClass();
    HWND created = CreateWindowExA(0, classNameBuffer, classNameBuffer, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                                   pixelLeft, pixelTop, widgetWidth, widgetHeight, parent, nullptr, module, nullptr);
    int& live = liveWindowCount().of(module);
    if (created == nullptr) {
        // A class with no window left must not outlive the library whose
        // window procedure it names.
        if (live == 0)
            UnregisterClassA(classNameBuffer, module);
        return false;
    }
    SetWindowLongPtrA(created, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ++live;
    hwnd = created;
    return true;
}

void CSkinWindow::destroyWindow()
{
    if (hwnd == nullptr)
        return;
    // The window may already be gone with its parent; then its handle must
    // not reach DestroyWindow, where it could name a newer window.
    if (IsWindow(hwnd) && GetWindowLongPtrA(hwnd, GWLP_USERDATA) == reinterpret_cast<LONG_PTR>(this))
        DestroyWindow(hwnd);
    hwnd = nullptr;

    int& live = liveWindowCount().of(module);
    if (live > 0)
        --live;
    if (live == 0)
        UnregisterClassA(classNameBuffer, module);
}

void CSkinWindow::forgetWindow(HWND window)
{
    // Destroyed from outside, with the parent: later messages (none should
    // come) go to DefWindowProcA; destroyWindow still does the counting.
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
}

void CSkinWindow::tellGesture(WPARAM phase) const
{
    SendMessageA(parent, kGestureNotification, phase, reinterpret_cast<LPARAM>(hwnd));
}

void CSkinWindow::pressed(const PressOutcome& outcome) const
{
    if (outcome.gestureBegins)
        tellGesture(kGestureBegins);
    if (outcome.grab && hwnd != nullptr)
        SetCapture(hwnd);
    if (outcome.gestureEnds)
        tellGesture(kGestureEnds);
}

void CSkinWindow::released(bool letGo) const
{
    if (letGo)
        ReleaseCapture();
    tellGesture(kGestureEnds);
}

bool CSkinWindow::handledByEditor(UINT message, WPARAM wParam, LPARAM lParam)
{
    POINT at = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
    case WM_LBUTTONDOWN:
        SendMessageA(parent, kPressNotification, 0, reinterpret_cast<LPARAM>(hwnd));
        return false;
    case WM_MOUSEMOVE: {
        TRACKMOUSEEVENT leave = {sizeof(leave), TME_LEAVE, hwnd, 0};
        TrackMouseEvent(&leave);
        MapWindowPoints(hwnd, parent, &at, 1);
        SendMessageA(parent, message, wParam, MAKELPARAM(at.x, at.y));
        return false;  // a drag goes on in the widget
    }
    case WM_MOUSELEAVE:
        SendMessageA(parent, message, wParam, lParam);
        return true;
    case WM_MOUSEWHEEL:  // in screen coordinates already
        SendMessageA(parent, message, wParam, lParam);
        return true;
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
        MapWindowPoints(hwnd, parent, &at, 1);
        SendMessageA(parent, message, wParam, MAKELPARAM(at.x, at.y));
        return true;
    default:
        return false;
    }
}

HBITMAP CSkinWindow::buildFrameStrip(HBITMAP panel, HBITMAP overlay, int frames, BYTE constantAlpha) const
{
    HDC parentDC = GetDC(parent);
    HDC source = CreateCompatibleDC(parentDC);
    HDC strip = CreateCompatibleDC(parentDC);
    HBITMAP bitmap = CreateCompatibleBitmap(parentDC, widgetWidth, widgetHeight * frames);
    ReleaseDC(parent, parentDC);

    if (source && strip && bitmap) {
        HGDIOBJ stripStock = SelectObject(strip, bitmap);
        HGDIOBJ sourceStock = SelectObject(source, panel);
        for (int frame = 0; frame < frames; ++frame)
            BitBlt(strip, 0, frame * widgetHeight, widgetWidth, widgetHeight, source, pixelLeft, pixelTop, SRCCOPY);
        if (overlay != nullptr) {
            SelectObject(source, overlay);
            const BLENDFUNCTION blend = {AC_SRC_OVER, 0, constantAlpha, AC_SRC_ALPHA};
            AlphaBlend(strip, 0, 0, widgetWidth, widgetHeight * frames, source, 0, 0, widgetWidth,
                       widgetHeight * frames, blend);
        }
        SelectObject(source, sourceStock);
        SelectObject(strip, stripStock);
    } else if (bitmap) {
        DeleteObject(bitmap);
        bitmap = nullptr;
    }
    if (source)
        DeleteDC(source);
    if (strip)
        DeleteDC(strip);
    return bitmap;
}

}  // namespace quenchbox::editor
