// The about view's texts, drawn onto the about panel whenever it is made
// (for each scale): laid out in panel units, drawn in pixels with the font
// at the scaled size.

#include "editor/AboutTexts.h"
#include "editor/EditorScale.h"
#include "editor/win32/QuenchboxEditor.h"

#include <cmath>
#include <cstring>

namespace quenchbox::editor {

namespace {

HFONT aboutFont(int height)
{
    return CreateFontA(height, 0, 0, 0, 900, FALSE, FALSE, FALSE, 0, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                       CLEARTYPE_QUALITY, FF_SWISS, "");
}

COLORREF colourRef(std::uint32_t rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

void drawText(HDC dc, const char* text, std::uint32_t colour, UINT format, int left, int top, int right, int bottom,
              double scale)
{
    const PixelBox pixels = scaledBox(left, top, right - left, bottom - top, scale);
    RECT box = {pixels.x, pixels.y, pixels.x + pixels.width, pixels.y + pixels.height};
    SetTextColor(dc, colourRef(colour));
    DrawTextExA(dc, const_cast<char*>(text), -1, &box, format, nullptr);
}

void drawBlock(HDC dc, const AboutBlock& block, double scale)
{
    const UINT format = DT_NOPREFIX | (block.centred ? DT_CENTER : 0u) | (block.wrapped ? DT_WORDBREAK : 0u);
    drawText(dc, aboutBlockText(block, "Win64").c_str(), block.colour, format, block.left, block.top, block.right,
             block.bottom, scale);
}

// A caption in grey followed by its content in light grey, the content
// pushed right when the font draws the caption wider than planned.
void drawCredit(HDC dc, const AboutCredit& credit, double scale)
{
    SIZE caption = {};
    GetTextExtentPoint32A(dc, credit.caption, static_cast<int>(std::strlen(credit.caption)), &caption);
    const int captionUnits = static_cast<int>(std::ceil(caption.cx / scale));
    const int contentLeft = creditContentLeft(credit, captionUnits);
    drawText(dc, credit.caption, kAboutGrey, DT_NOPREFIX | DT_WORDBREAK, credit.captionLeft, credit.top, kCreditRight,
             kCreditBottom, scale);
    drawText(dc, credit.content, kAboutLightGrey, DT_NOPREFIX | DT_WORDBREAK, contentLeft, credit.top, kCreditRight,
             kCreditBottom, scale);
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

    const double scale = panelScale;
    HFONT small = aboutFont(-scaledLength(kSmallTextPixels, scale));
    HFONT large = aboutFont(-scaledLength(kLargeTextPixels, scale));
    if (small != nullptr && large != nullptr) {
        SetTextAlign(dc, TA_LEFT | TA_TOP);
        SetBkMode(dc, TRANSPARENT);
        HGDIOBJ previousFont = SelectObject(dc, small);
        for (int i = 0; i < kAboutBlockCount; ++i) {
            SelectObject(dc, kAboutBlocks[i].large ? large : small);
            drawBlock(dc, kAboutBlocks[i], scale);
        }
        SelectObject(dc, small);
        for (int i = 0; i < kAboutCreditCount; ++i)
            drawCredit(dc, kAboutCredits[i], scale);
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
