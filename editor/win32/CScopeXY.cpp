#include "editor/win32/CScopeXY.h"

#include "editor/win32/SkinLoader.h"
#include "editor/win32/TopDownDib.h"
#include "resources/SkinIds.h"

namespace quenchbox::editor {

LiveWindowCounter CScopeXY::liveWindows;

namespace {

HBITMAP createTopDownDib(HDC reference, int width, int height, std::uint32_t*& pixels)
{
    const BITMAPINFO info = topDownDibInfo(width, height);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(reference, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    pixels = static_cast<std::uint32_t*>(bits);
    return bitmap;
}

}  // namespace

CScopeXY::~CScopeXY() { destroy(); }

void CScopeXY::create(HINSTANCE moduleInstance, HWND parentWindow, HBITMAP panel, double scale)
{
    if (hwnd != nullptr)
        return;
    attach(moduleInstance, parentWindow, scale);
    if (!buildDisplay(panel) || !createWindow()) {
        destroy();
        return;
    }
    commit();
}

bool CScopeXY::buildDisplay(HBITMAP panel)
{
    int width = 0;
    int height = 0;
    if (!pngResourceSize(module, SKIN_SCOPE_BACKGROUND, width, height))
        return false;
    place(kLeft, kTop, width, height);
    HBITMAP skin = loadSkin(SKIN_SCOPE_BACKGROUND);
    if (skin == nullptr)
        return false;
    HBITMAP strip = buildFrameStrip(panel, skin, 1, 255);
    DeleteObject(skin);
    if (strip == nullptr)
        return false;

    HDC parentDC = GetDC(parent);
    display.create(parentDC, createTopDownDib(parentDC, widgetWidth, widgetHeight, displayPixels));
    HDC source = CreateCompatibleDC(parentDC);
    ReleaseDC(parent, parentDC);
    const bool built = display && source != nullptr;
    if (built) {
        HGDIOBJ stock = SelectObject(source, strip);
        BitBlt(display.dc(), 0, 0, widgetWidth, widgetHeight, source, 0, 0, SRCCOPY);
        SelectObject(source, stock);
        GdiFlush();  // the DIB's pixels are read directly below
        pixels.reset(displayPixels, widgetWidth, widgetHeight, static_cast<float>(drawnScale));
    }
    if (source != nullptr)
        DeleteDC(source);
    DeleteObject(strip);
    return built;
}

void CScopeXY::destroy()
{
    destroyWindow();
    display.reset();
    displayPixels = nullptr;
    pixels.clear();
}

void CScopeXY::plot(float x, float y, std::uint32_t colour) { pixels.plot(x, y, colour); }

void CScopeXY::commit()
{
    if (displayPixels == nullptr)
        return;
    GdiFlush();
    pixels.commitInto(displayPixels);
    if (hwnd != nullptr) {
        InvalidateRect(hwnd, nullptr, FALSE);
        UpdateWindow(hwnd);
    }
}

LRESULT CScopeXY::handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        paint(window);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void CScopeXY::paint(HWND window)
{
    PAINTSTRUCT ps;
    HDC target = BeginPaint(window, &ps);
    if (target != nullptr)
        BitBlt(target, 0, 0, widgetWidth, widgetHeight, display.dc(), 0, 0, SRCCOPY);
    EndPaint(window, &ps);
}

}  // namespace quenchbox::editor
