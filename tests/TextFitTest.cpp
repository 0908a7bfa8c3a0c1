// Every text of the Linux editor fits its box at the size it is asked for,
// in the font fontconfig finds (DejaVu Sans Bold): nothing needs shrinking
// and nothing is cut, at every scale (the texts are laid out in panel units
// and rendered, hinted, at the window's pixels).

#include "editor/AboutTexts.h"
#include "editor/EditorLayout.h"
#include "editor/EditorModel.h"
#include "editor/EditorScale.h"
#include "editor/x11/TextPainter.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace quenchbox::editor {
namespace {

class TextFitTest : public ::testing::TestWithParam<double> {
protected:
    void SetUp() override
    {
        surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 10, 10);
        cr = cairo_create(surface);
        cairo_scale(cr, GetParam(), GetParam());
    }
    void TearDown() override
    {
        cairo_destroy(cr);
        cairo_surface_destroy(surface);
    }
    double width(const std::string& text, int pixels) const { return painter.width(cr, text.c_str(), pixels); }

    TextPainter painter;
    cairo_surface_t* surface = nullptr;
    cairo_t* cr = nullptr;
};

TEST_P(TextFitTest, TheWidestValueTextsFitTheirLabels)
{
    char text[64];
    for (int slider = 0; slider < kSliderCount; ++slider)
        for (int percent = 0; percent <= 100; ++percent) {
            EditorModel::formatValueText(slider, percent, text);
            EXPECT_LE(width(text, kSmallTextPixels), kLabelWidth) << text;
        }
}

TEST_P(TextFitTest, EveryLineOfTheAboutViewFitsItsBox)
{
    for (int i = 0; i < kAboutBlockCount; ++i) {
        const AboutBlock& block = kAboutBlocks[i];
        if (block.wrapped && block.kind == AboutBlock::kFixed && block.right - block.left > 600)
            continue;  // the paragraph is made to wrap
        std::istringstream lines(aboutBlockText(block, "Linux64"));
        std::string line;
        while (std::getline(lines, line))
            EXPECT_LE(width(line, block.large ? kLargeTextPixels : kSmallTextPixels), block.right - block.left)
                << line;
    }
    for (int i = 0; i < kAboutCreditCount; ++i) {
        const AboutCredit& credit = kAboutCredits[i];
        const int captionWidth = static_cast<int>(width(credit.caption, kSmallTextPixels) + 0.999);
        const int contentLeft = creditContentLeft(credit, captionWidth);
        EXPECT_LE(credit.captionLeft + captionWidth + kCreditGap, contentLeft) << credit.caption;
        EXPECT_LE(contentLeft + width(credit.content, kSmallTextPixels), kCreditRight) << credit.content;
        // The planned place holds on Linux: nothing had to move.
        EXPECT_EQ(contentLeft, credit.contentLeft) << credit.caption;
    }
}

INSTANTIATE_TEST_SUITE_P(EveryScale, TextFitTest, ::testing::ValuesIn(kScaleSteps));

}  // namespace
}  // namespace quenchbox::editor
