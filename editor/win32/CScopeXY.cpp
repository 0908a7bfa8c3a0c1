#include "editor/win32/CScopeXY.h"

#include "editor/win32/SkinLoader.h"
#include "editor/win32/TopDownDib.h"
#include "resources/SkinIds.h"

#include <cmath>
#include <cstring>

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

// One colour channel (at bit `shift`) of p moved toward c by weight / 256.
std::uint32_t blendChannel(std::uint32_t p, std::uint32_t c, int weight, int shift)
{
    const int from = static_cast<int>((p >> shift) & 0xFF);
    const int to = static_cast<int>((c >> shift) & 0xFF);
    const int moved = from + (((to - from) * weight) >> 8);  // arithmetic shift: floor
    return static_cast<std::uint32_t>(moved) << shift;
}

}  // namespace

CScopeXY::~CScopeXY() { destroy(); }

void CScopeXY::create(HINSTANCE moduleInstance, HWND parentWindow, HBITMAP panel)
{
    if (hwnd != nullptr)
        return;
    attach(moduleInstance, parentWindow);
    if (!buildDisplay(panel) || !createWindow(kLeft, kTop)) {
        destroy();
        return;
    }
    commit();

    // Where x and y from -1 to 1 land when the plot area is centred.
    minimumX = (widgetWidth - kPlotWidth) / 2;
    maximumX = (widgetWidth + kPlotWidth) / 2 - 1;
    minimumY = (widgetHeight - kPlotHeight) / 2;
    maximumY = (widgetHeight + kPlotHeight) / 2 - 1;
}

bool CScopeXY::buildDisplay(HBITMAP panel)
{
    HBITMAP skin = loadPngResource(module, SKIN_SCOPE_BACKGROUND);
    if (skin == nullptr)
        return false;
    BITMAP size = {};
    GetObjectA(skin, sizeof(size), &size);
    widgetWidth = size.bmWidth;
    widgetHeight = size.bmHeight;
    HBITMAP strip = buildFrameStrip(panel, skin, kLeft, kTop, 1, 255);
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
        background.assign(displayPixels, displayPixels + widgetWidth * widgetHeight);
        work = background;
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
    work.clear();
    background.clear();
}

void CScopeXY::plot(float x, float y, std::uint32_t colour)
{
    if (work.empty())
        return;
    const int px = static_cast<int>(std::nearbyint((x * kPlotWidth + widgetWidth) * 0.5f));
    const float py = (y * kPlotHeight + widgetHeight) * 0.5f;
    // A stroke reaches two pixels up and down; points whose stroke would
    // leave the plot area are not drawn at all.
    if (px < minimumX || px > maximumX || py < minimumY + 1.001f || py > maximumY - 1.999f)
        return;
    for (int row = static_cast<int>(py - 1.001f); row <= static_cast<int>(py + 1.999f); ++row) {
        int weight = static_cast<int>(std::nearbyint((1.0f - std::fabs(py - row) * 0.5f) * 256.0f));
        weight = weight < 0 ? 0 : weight;
        std::uint32_t& pixel = work[row * widgetWidth + px];
        pixel = blendChannel(pixel, colour, weight, 16) | blendChannel(pixel, colour, weight, 8) |
                blendChannel(pixel, colour, weight, 0);
    }
}

void CScopeXY::commit()
{
    if (displayPixels == nullptr)
        return;
    GdiFlush();
    std::memcpy(displayPixels, work.data(), work.size() * sizeof(std::uint32_t));
    work = background;
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
