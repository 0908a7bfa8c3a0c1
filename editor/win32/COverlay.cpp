#include "editor/win32/COverlay.h"

#include "editor/OverlayStyle.h"
#include "editor/win32/CBufferedPaintDC.h"
#include "editor/win32/CLabel.h"

#include <algorithm>
#include <cmath>

namespace quenchbox::editor {

LiveWindowCounter COverlay::liveWindows;

namespace {

COLORREF colourOf(std::uint32_t rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

// UTF-8 to the window system's UTF-16, cut to fit; invalid text shows "?".
void widen(const char* utf8, wchar_t* wide, int capacity)
{
    const int written = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, wide, capacity);
    if (written == 0)
        lstrcpynW(wide, GetLastError() == ERROR_INSUFFICIENT_BUFFER ? L"" : L"?", capacity);
    wide[capacity - 1] = L'\0';
}

void fillRect(HDC target, const RECT& area, std::uint32_t rgb)
{
    HBRUSH brush = CreateSolidBrush(colourOf(rgb));
    FillRect(target, &area, brush);
    DeleteObject(brush);
}

void frameRect(HDC target, const RECT& area, std::uint32_t rgb)
{
    HBRUSH brush = CreateSolidBrush(colourOf(rgb));
    FrameRect(target, &area, brush);
    DeleteObject(brush);
}

}  // namespace

COverlay::~COverlay() { destroy(); }

void COverlay::create(HINSTANCE moduleInstance, HWND parentWindow, Kind pieceKind, double scale)
{
    if (hwnd != nullptr)
        return;
    attach(moduleInstance, parentWindow, scale);
    kind = pieceKind;
    place(kPanelWidth, kPanelHeight, 1, 1);  // out of sight, and on no widget's corner
    font = createLabelFont(scale);
    if (!createWindow()) {
        destroy();
        return;
    }
    ShowWindow(hwnd, SW_HIDE);
}

void COverlay::destroy()
{
    destroyWindow();
    if (font != nullptr) {
        DeleteObject(font);
        font = nullptr;
    }
}

void COverlay::show(const PanelArea& area, const char* newText, const TextEntry* newEntry)
{
    if (hwnd == nullptr)
        return;
    place(area.x, area.y, area.width, area.height);
    widen(newText != nullptr ? newText : "", text, static_cast<int>(std::size(text)));
    entry = newEntry;
    SetWindowPos(hwnd, HWND_TOP, pixelLeft, pixelTop, widgetWidth, widgetHeight, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    if (kind == Kind::focusRing)
        cutToFrame();
    InvalidateRect(hwnd, nullptr, FALSE);
}

void COverlay::hide()
{
    if (hwnd != nullptr && IsWindowVisible(hwnd))
        ShowWindow(hwnd, SW_HIDE);
}

// The ring is the window's edge: its region leaves out the inside.
void COverlay::cutToFrame()
{
    const int thickness = std::max(1, static_cast<int>(std::lround(kFocusRingWidth * drawnScale)));
    HRGN outer = CreateRectRgn(0, 0, widgetWidth, widgetHeight);
    HRGN inner = CreateRectRgn(thickness, thickness, widgetWidth - thickness, widgetHeight - thickness);
    CombineRgn(outer, outer, inner, RGN_DIFF);
    DeleteObject(inner);
    SetWindowRgn(hwnd, outer, TRUE);  // the window owns the region from here
}

LRESULT COverlay::handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        paint(window);
        return 0;
    case WM_NCHITTEST:
        return HTTRANSPARENT;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

void COverlay::paint(HWND window)
{
    PAINTSTRUCT ps;
    HDC target = BeginPaint(window, &ps);
    if (target != nullptr) {
        CBufferedPaintDC buffer(target);
        const RECT whole = {0, 0, widgetWidth, widgetHeight};
        if (kind == Kind::focusRing)
            fillRect(buffer.dc(), whole, kFocusRingColour);
        else if (kind == Kind::field)
            paintField(buffer.dc());
        else
            paintLabel(buffer.dc());
    }
    EndPaint(window, &ps);
}

void COverlay::paintLabel(HDC target) const
{
    RECT whole = {0, 0, widgetWidth, widgetHeight};
    fillRect(target, whole, kOverlayFill);
    frameRect(target, whole, kOverlayBorder);
    SetTextColor(target, colourOf(kLabelTextColour));
    SetBkMode(target, TRANSPARENT);
    HGDIOBJ previous = SelectObject(target, font);
    DrawTextW(target, text, -1, &whole, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(target, previous);
}

void COverlay::paintField(HDC target) const
{
    RECT whole = {0, 0, widgetWidth, widgetHeight};
    fillRect(target, whole, kFieldFill);
    frameRect(target, whole, kLabelTextColour);
    if (entry == nullptr)
        return;
    wchar_t typed[TextEntry::kMaxCharacters * 2 + 1];
    widen(entry->text(), typed, static_cast<int>(std::size(typed)));
    wchar_t before[TextEntry::kMaxCharacters * 2 + 1];
    const int beforeLength =
        MultiByteToWideChar(CP_UTF8, 0, entry->text(), static_cast<int>(entry->caretByte()), before,
                            static_cast<int>(std::size(before)) - 1);
    HGDIOBJ previous = SelectObject(target, font);
    const int inset = static_cast<int>(std::lround(kFieldInset * drawnScale));
    SIZE typedSize = {};
    GetTextExtentPoint32W(target, typed, lstrlenW(typed), &typedSize);
    SIZE beforeSize = {};
    GetTextExtentPoint32W(target, before, std::max(beforeLength, 0), &beforeSize);
    const int margin = std::max(1, widgetHeight / 6);
    if (entry->selected())
        fillRect(target, {inset - 1, margin, inset + typedSize.cx + 1, widgetHeight - margin}, kSelectionFill);
    RECT textArea = {inset, 0, widgetWidth - 1, widgetHeight};
    SetTextColor(target, colourOf(kLabelTextColour));
    SetBkMode(target, TRANSPARENT);
    DrawTextW(target, typed, -1, &textArea, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    if (!entry->selected())
        fillRect(target, {inset + beforeSize.cx, margin, inset + beforeSize.cx + 1, widgetHeight - margin},
                 kLabelTextColour);
    SelectObject(target, previous);
}

}  // namespace quenchbox::editor
