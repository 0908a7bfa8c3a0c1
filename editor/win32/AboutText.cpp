// The about view's texts, drawn once onto the about panel when the editor is
// constructed.

#include "editor/win32/QuenchboxEditor.h"
#include "editor/UpdateServer.h"

#include <cstdio>

namespace quenchbox::editor {

namespace {

constexpr COLORREF kGrey = 0xA4A4A4;
constexpr COLORREF kLightGrey = 0xD4D4D4;
constexpr COLORREF kRed = 0x5224BB;  // red 187, green 36, blue 82: the panel's accent
constexpr UINT kCentred = DT_NOPREFIX | DT_CENTER;
constexpr UINT kWrapped = DT_NOPREFIX | DT_WORDBREAK;
constexpr UINT kCentredWrapped = DT_NOPREFIX | DT_CENTER | DT_WORDBREAK;

constexpr const char* kDescription =
    "Virtual-analog guitar distortion\n\r\nop-amp overdrive";
constexpr const char* kTerms =
    "This plug-in may be used free of charge in any music production, commercial or not, and passed on "
    "unchanged. It comes as it is, without warranty of any kind. Tell us how it sounds to you and what you "
    "would like to see next: your feedback shapes the next version.";

HFONT aboutFont(int height)
{
    return CreateFontA(height, 0, 0, 0, 900, FALSE, FALSE, FALSE, 0, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                       CLEARTYPE_QUALITY, FF_SWISS, "");
}

void drawText(HDC dc, const char* text, COLORREF colour, UINT format, int left, int top, int right, int bottom)
{
    RECT box = {left, top, right, bottom};
    SetTextColor(dc, colour);
    DrawTextExA(dc, const_cast<char*>(text), -1, &box, format, nullptr);
}

// A caption in grey followed by its content in light grey, each from its own left edge.
void drawCredit(HDC dc, int top, int captionLeft, const char* caption, int contentLeft, const char* content)
{
    drawText(dc, caption, kGrey, kWrapped, captionLeft, top, 650, 500);
    drawText(dc, content, kLightGrey, kWrapped, contentLeft, top, 650, 500);
}

void drawSmallTexts(HDC dc)
{
    char version[128];
    std::snprintf(version, sizeof(version), "ver. %d.%d.%02d / %s\n\r\n%s", 1, 0, 1, "Win64", __DATE__);
    drawText(dc, version, kGrey, kCentred, 450, 80, 650, 140);
    drawText(dc, kDescription, kGrey, kCentred, 20, 80, 220, 140);
    drawText(dc, kTerms, kLightGrey, kCentredWrapped, 20, 200, 657, 300);
    drawCredit(dc, 400, 180, "Programming:", 330, "ZUK");
    drawCredit(dc, 420, 105, "All product names and trademarks belong to", 422, "their respective owners.");
    drawCredit(dc, 440, 235, "VST Plug-In Technology by", 385, "Steinberg");
}

void drawLargeTexts(HDC dc)
{
    char web[96];
    std::snprintf(web, sizeof(web), "%s", updateServer());
    drawText(dc, web, kRed, kCentredWrapped, 20, 327, 338, 400);
    drawText(dc, "feedback@zuk.example", kRed, kCentredWrapped, 339, 327, 657, 400);
}

}  // namespace

void QuenchboxEditor::paintAboutText()
{
    if (aboutPanel == nullptr)
        return;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    HGDIOBJ previousBitmap = SelectObject(dc, aboutPanel);

    HFONT small = aboutFont(-12);
    HFONT large = aboutFont(-20);
    if (small != nullptr && large != nullptr) {
        SetTextAlign(dc, TA_LEFT | TA_TOP);
        SetBkMode(dc, TRANSPARENT);
        HGDIOBJ previousFont = SelectObject(dc, small);
        drawSmallTexts(dc);
        SelectObject(dc, large);
        drawLargeTexts(dc);
        SelectObject(dc, previousFont);
    }
    if (small != nullptr)
        DeleteObject(small);
    if (large != nullptr)
        DeleteObject(large);
    SelectObject(dc, previousBitmap);
    DeleteDC(dc);
}

}  // namespace quenchbox::editor
