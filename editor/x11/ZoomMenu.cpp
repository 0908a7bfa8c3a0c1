#include "editor/x11/ZoomMenu.h"

#include "editor/EditorLayout.h"
#include "editor/EditorScale.h"
#include "editor/x11/TextPainter.h"

namespace quenchbox::editor {

namespace {

constexpr int kPadding = 4;
constexpr int kEntryHeight = 20;
constexpr std::uint32_t kHighlight = 0x34373D;

}  // namespace

void ZoomMenu::show(int currentChoice)
{
    current = currentChoice;
    shown = true;
}

WidgetBox ZoomMenu::entryBox(int choice) const
{
    return {frame.x + kPadding, frame.y + kPadding + choice * kEntryHeight, frame.width - 2 * kPadding, kEntryHeight,
            true};
}

int ZoomMenu::choiceAt(int x, int y) const
{
    if (!shown)
        return -1;
    for (int choice = 0; choice < kZoomChoiceCount; ++choice)
        if (entryBox(choice).contains(x, y))
            return choice;
    return -1;
}

void ZoomMenu::paint(cairo_t* cr, const TextPainter& text) const
{
    if (!shown)
        return;
    cairo_save(cr);
    paintFramedBox(cr, frame, kMenuFill, kPreCurveColour);
    for (int choice = 0; choice < kZoomChoiceCount; ++choice) {
        const WidgetBox entry = entryBox(choice);
        if (choice == current) {
            cairo_rectangle(cr, entry.x, entry.y, entry.width, entry.height);
            setSourceColour(cr, kHighlight);
            cairo_fill(cr);
        }
        text.drawCentredLine(cr, zoomChoiceLabel(choice), entry, choice == current ? kPreCurveColour : kLabelTextColour,
                             kSmallTextPixels);
    }
    cairo_restore(cr);
}

}  // namespace quenchbox::editor
