#include "editor/x11/ControlMenuView.h"

#include "editor/x11/TextPainter.h"

#include <algorithm>

namespace quenchbox::editor {

namespace {

constexpr int kPadding = 4;
constexpr int kEntryHeight = 20;
constexpr int kSeparatorHeight = 7;
constexpr int kMenuWidth = 200;
constexpr int kTextInset = 18;  // room for the check mark
constexpr std::uint32_t kDisabledText = 0x6E7078;
constexpr std::uint32_t kSeparatorColour = 0x3C3F46;

int heightOf(const ControlMenuItem& item) { return item.separator ? kSeparatorHeight : kEntryHeight; }

}  // namespace

void ControlMenuView::layOut(const ControlMenu& menu)
{
    if (!menu.shown) {
        frame = {0, 0, 0, 0, false};
        return;
    }
    int height = 2 * kPadding;
    for (int i = 0; i < menu.count; ++i)
        height += heightOf(menu.items[i]);
    const int x = std::clamp(menu.x, 0, std::max(0, kPanelWidth - kMenuWidth));
    const int y = std::clamp(menu.y, 0, std::max(0, kPanelHeight - height));
    frame = {x, y, kMenuWidth, height, true};
}

WidgetBox ControlMenuView::itemBox(const ControlMenu& menu, int item) const
{
    int y = frame.y + kPadding;
    for (int i = 0; i < item; ++i)
        y += heightOf(menu.items[i]);
    return {frame.x + kPadding, y, frame.width - 2 * kPadding, heightOf(menu.items[item]), true};
}

int ControlMenuView::itemAt(const ControlMenu& menu, int x, int y) const
{
    if (!menu.shown)
        return -1;
    for (int i = 0; i < menu.count; ++i)
        if (itemBox(menu, i).contains(x, y))
            return menu.items[i].enabled ? i : -1;
    return -1;
}

void ControlMenuView::paint(cairo_t* cr, const TextPainter& text, const ControlMenu& menu) const
{
    if (!menu.shown)
        return;
    cairo_save(cr);
    paintFramedBox(cr, frame, kMenuFill, kPreCurveColour);
    for (int i = 0; i < menu.count; ++i) {
        const ControlMenuItem& item = menu.items[i];
        const WidgetBox entry = itemBox(menu, i);
        if (item.separator) {
            cairo_rectangle(cr, entry.x + 2, entry.y + entry.height / 2, entry.width - 4, 1);
            setSourceColour(cr, kSeparatorColour);
            cairo_fill(cr);
            continue;
        }
        const std::uint32_t colour = item.enabled ? kLabelTextColour : kDisabledText;
        if (item.checked)
            text.drawBlock(cr, "\xE2\x9C\x93", {entry.x + 3, entry.y + 3, kTextInset, entry.height - 3, true},
                           kPreCurveColour, kSmallTextPixels, false, false);
        text.drawBlock(cr, isPrintableUtf8(item.label) ? item.label : "?",
                       {entry.x + kTextInset, entry.y + 3, entry.width - kTextInset, entry.height - 3, true}, colour,
                       kSmallTextPixels, false, false);
    }
    cairo_restore(cr);
}

}  // namespace quenchbox::editor
