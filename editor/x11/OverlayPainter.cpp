#include "editor/x11/OverlayPainter.h"

#include "editor/OverlayStyle.h"
#include "editor/x11/TextPainter.h"

#include <cmath>
#include <string>

namespace quenchbox::editor {

namespace {

void roundedBox(cairo_t* cr, double x, double y, double width, double height, double radius)
{
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + width - radius, y + radius, radius, -M_PI / 2, 0);
    cairo_arc(cr, x + width - radius, y + height - radius, radius, 0, M_PI / 2);
    cairo_arc(cr, x + radius, y + height - radius, radius, M_PI / 2, M_PI);
    cairo_arc(cr, x + radius, y + radius, radius, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

WidgetBox boxOf(const PanelArea& area) { return {area.x, area.y, area.width, area.height, true}; }

void paintFocusRing(cairo_t* cr, const PanelArea& box)
{
    roundedBox(cr, box.x + 0.75, box.y + 0.75, box.width - 1.5, box.height - 1.5, kOverlayRadius);
    setSourceColour(cr, kFocusRingColour);
    cairo_set_line_width(cr, kFocusRingWidth);
    cairo_stroke(cr);
}

void paintLabel(cairo_t* cr, const TextPainter& text, const PanelArea& box, const char* label)
{
    roundedBox(cr, box.x + 0.5, box.y + 0.5, box.width - 1, box.height - 1, kOverlayRadius);
    setSourceColour(cr, kOverlayFill);
    cairo_fill_preserve(cr);
    setSourceColour(cr, kOverlayBorder);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    text.drawCentredLine(cr, label, boxOf(box), kLabelTextColour, kSmallTextPixels);
}

void paintField(cairo_t* cr, const TextPainter& text, const PanelArea& box, const TextEntry& entry)
{
    paintFramedBox(cr, boxOf(box), kFieldFill, kLabelTextColour);
    const WidgetBox inner{box.x + kFieldInset, box.y + 2, box.width - 2 * kFieldInset, box.height - 2, true};
    const std::string before(entry.text(), entry.caretByte());
    const double caretX = inner.x + text.width(cr, before.c_str(), kSmallTextPixels);
    if (entry.selected()) {
        cairo_rectangle(cr, inner.x - 1, box.y + 3, text.width(cr, entry.text(), kSmallTextPixels) + 2,
                        box.height - 6);
        setSourceColour(cr, kSelectionFill);
        cairo_fill(cr);
    }
    cairo_save(cr);
    cairo_rectangle(cr, box.x + 1, box.y + 1, box.width - 2, box.height - 2);
    cairo_clip(cr);
    text.drawBlock(cr, entry.text(), inner, kLabelTextColour, kSmallTextPixels, false, false);
    if (!entry.selected()) {
        cairo_rectangle(cr, std::floor(caretX), box.y + 3, 1, box.height - 6);
        setSourceColour(cr, kLabelTextColour);
        cairo_fill(cr);
    }
    cairo_restore(cr);
}

}  // namespace

void paintOverlay(cairo_t* cr, const TextPainter& text, const PanelOverlay& overlay)
{
    cairo_save(cr);
    if (overlay.focusShown)
        paintFocusRing(cr, overlay.focusBox);
    if (overlay.fieldShown)
        paintField(cr, text, overlay.fieldBox, overlay.field);
    if (overlay.labelShown)
        paintLabel(cr, text, overlay.labelBox, overlay.labelText);
    cairo_restore(cr);
}

}  // namespace quenchbox::editor
