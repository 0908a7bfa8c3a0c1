// The about view's texts, drawn once onto the about panel when the editor is
// constructed.

#include "editor/AboutTexts.h"
#include "editor/win32/QuenchboxEditor.h"

#include <cstring>

namespace quenchbox::editor {

namespace {

HFONT aboutFont(int height)
{
    return CreateFontA(height, 0, 0, 0, 900, FALSE, FALSE, FALSE, 0, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                       CLEARTYPE_QUALITY, FF_SWISS, "");
}

COLORREF colourRef(std::uint32_t rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

void drawText(HDC dc, const char* text, std::uint32_t colour, UINT format, int left, int top, int right, int bottom)
{
    RECT box = {left, top, right, bottom};
    SetTextColor(dc, colourRef(colour));
    DrawTextExA(dc, const_cast<char*>(text), -1, &box, format, nullptr);
}

void drawBlock(HDC dc, const AboutBlock& block)
{
    const UINT format = DT_NOPREFIX | (block.centred ? DT_CENTER : 0u) | (block.wrapped ? DT_WORDBREAK : 0u);
    drawText(dc, aboutBlockText(block, "Win64").c_str(), block.colour, format, block.left, block.top, block.right,
             block.bottom);
}

// A caption in grey followed by its content in light grey, the content
// pushed right when the font draws the caption wider than planned.
void drawCredit(HDC dc, const AboutCredit& credit)
{
    SIZE caption = {};
    GetTextExtentPoint32A(dc, credit.caption, static_cast<int>(std::strlen(credit.caption)), &caption);
    const int contentLeft = creditContentLeft(credit, caption.cx);
    drawText(dc, credit.caption, kAboutGrey, DT_NOPREFIX | DT_WORDBREAK, credit.captionLeft, credit.top, kCreditRight,
             kCreditBottom);
    drawText(dc, credit.content, kAboutLightGrey, DT_NOPREFIX | DT_WORDBREAK, contentLeft, credit.top, kCreditRight,
             kCreditBottom);
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

    HFONT small = aboutFont(-kSmallTextPixels);
    HFONT large = aboutFont(-kLargeTextPixels);
    if (small != nullptr && large != nullptr) {
        SetTextAlign(dc, TA_LEFT | TA_TOP);
        SetBkMode(dc, TRANSPARENT);
        HGDIOBJ previousFont = SelectObject(dc, small);
        for (int i = 0; i < kAboutBlockCount; ++i) {
            SelectObject(dc, kAboutBlocks[i].large ? large : small);
            drawBlock(dc, kAboutBlocks[i]);
        }
        SelectObject(dc, small);
        for (int i = 0; i < kAboutCreditCount; ++i)
            drawCredit(dc, kAboutCredits[i]);
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
