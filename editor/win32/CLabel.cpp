#include "editor/win32/CLabel.h"

#include "editor/win32/CBufferedPaintDC.h"
#include "shell/StringCopy.h"

#include <cstring>

namespace quenchbox::editor {

LiveWindowCounter CLabel::liveWindows;

namespace {

constexpr COLORREF kTextColour = RGB(212, 212, 212);

}  // namespace

HFONT createLabelFont(double scale)
{
    LOGFONTA description = {};
    description.lfHeight = -scaledLength(12, scale);  // character height 12 pixels at 1x
    description.lfWeight = FW_HEAVY;
    description.lfCharSet = ANSI_CHARSET;
    description.lfOutPrecision = OUT_DEFAULT_PRECIS;
    description.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    description.lfQuality = CLEARTYPE_QUALITY;
    description.lfPitchAndFamily = DEFAULT_PITCH | FF_SWISS;
    return CreateFontIndirectA(&description);
}

CLabel::~CLabel() { destroy(); }

void CLabel::create(HINSTANCE moduleInstance, HWND parentWindow, HBITMAP panel, int y, double scale)
{
    if (hwnd != nullptr)
        return;
    attach(moduleInstance, parentWindow, scale);
    place(kLeft, y, kWidth, kHeight);
    background = buildFrameStrip(panel, nullptr, 1, 0);
    font = createLabelFont(scale);
    if (background == nullptr || !createWindow()) {
        destroy();
        return;
    }
    InvalidateRect(hwnd, nullptr, TRUE);
    UpdateWindow(hwnd);
}

void CLabel::destroy()
{
    destroyWindow();
    if (font != nullptr) {
        DeleteObject(font);
        font = nullptr;
    }
    if (background != nullptr) {
        DeleteObject(background);
        background = nullptr;
    }
}

void CLabel::setText(const char* newText) { copyBounded(label, newText, sizeof(label) - 1); }

LRESULT CLabel::handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        paint(window);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void CLabel::paint(HWND window)
{
    PAINTSTRUCT ps;
    HDC target = BeginPaint(window, &ps);
    if (target != nullptr) {
        CBufferedPaintDC buffer(target);
        HDC source = CreateCompatibleDC(target);
        HGDIOBJ stock = SelectObject(source, background);
        BitBlt(buffer.dc(), 0, 0, widgetWidth, widgetHeight, source, 0, 0, SRCCOPY);
        SelectObject(source, stock);
        DeleteDC(source);
        if (font != nullptr)
            drawText(buffer.dc());
    }
    EndPaint(window, &ps);
}

void CLabel::drawText(HDC target) const
{
    SetTextAlign(target, TA_CENTER | TA_TOP);
    SetTextColor(target, kTextColour);
    SetBkMode(target, TRANSPARENT);
    HGDIOBJ previousFont = SelectObject(target, font);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(target, &metrics);
    const RECT clip = {0, 0, widgetWidth, widgetHeight};
    ExtTextOutA(target, widgetWidth / 2, (widgetHeight - metrics.tmHeight) / 2, ETO_CLIPPED, &clip, label,
                static_cast<UINT>(std::strlen(label)), nullptr);
    SelectObject(target, previousFont);
}

}  // namespace quenchbox::editor
