#include "editor/x11/PanelMessage.h"

#include "editor/EditorLayout.h"
#include "editor/x11/TextPainter.h"

namespace quenchbox::editor {

namespace {

constexpr int kButtonWidth = 72;
constexpr int kButtonHeight = 26;
constexpr int kButtonGap = 24;
constexpr int kMargin = 14;
constexpr std::uint32_t kButtonFill = 0x34373D;

}  // namespace

void PanelMessage::show(UpdateAnswer shownAnswer)
{
    current = shownAnswer;
    shown = true;
}

WidgetBox PanelMessage::buttonBox(Choice choice) const
{
    const int top = frame.y + frame.height - kMargin - kButtonHeight;
    const int centre = frame.x + frame.width / 2;
    switch (choice) {
    case Choice::kOk:
        return asksYesNo() ? WidgetBox{} : WidgetBox{centre - kButtonWidth / 2, top, kButtonWidth, kButtonHeight};
    case Choice::kYes:
        return asksYesNo() ? WidgetBox{centre - kButtonGap / 2 - kButtonWidth, top, kButtonWidth, kButtonHeight}
                           : WidgetBox{};
    case Choice::kNo:
        return asksYesNo() ? WidgetBox{centre + kButtonGap / 2, top, kButtonWidth, kButtonHeight} : WidgetBox{};
    default:
        return WidgetBox{};
    }
}

PanelMessage::Choice PanelMessage::choiceAt(int x, int y) const
{
    if (!shown)
        return Choice::kNone;
    for (Choice choice : {Choice::kOk, Choice::kYes, Choice::kNo}) {
        const WidgetBox button = buttonBox(choice);
        if (button.width > 0 && button.contains(x, y))
            return choice;
    }
    return Choice::kNone;
}

void PanelMessage::paint(cairo_t* cr, const TextPainter& text) const
{
    if (!shown)
        return;
    cairo_save(cr);
    paintFramedBox(cr, frame, kMenuFill, kPreCurveColour);
    const WidgetBox caption{frame.x, frame.y + 8, frame.width, 20};
    text.drawCentredLine(cr, kUpdateCaption, caption, kPreCurveColour, kSmallTextPixels);
    const WidgetBox message{frame.x + kMargin, frame.y + 34, frame.width - 2 * kMargin, 40};
    text.drawBlock(cr, answerText(current), message, kLabelTextColour, kSmallTextPixels, true, true);
    const struct {
        Choice choice;
        const char* label;
    } buttons[] = {{Choice::kOk, "OK"}, {Choice::kYes, "Yes"}, {Choice::kNo, "No"}};
    for (const auto& button : buttons) {
        const WidgetBox place = buttonBox(button.choice);
        if (place.width == 0)
            continue;
        paintFramedBox(cr, place, kButtonFill, kLabelTextColour);
        text.drawCentredLine(cr, button.label, place, kLabelTextColour, kSmallTextPixels);
    }
    cairo_restore(cr);
}

}  // namespace quenchbox::editor
