#ifndef QUENCHBOX_EDITOR_X11_TEXTPAINTER_H
#define QUENCHBOX_EDITOR_X11_TEXTPAINTER_H

#include "editor/x11/CairoWidgets.h"

#include <cairo.h>

#include <cstdint>

namespace quenchbox::editor {

// The editor's texts with cairo in DejaVu Sans Bold, the heavy sans serif
// that fontconfig finds (any bold sans when that family is missing; without
// any font cairo draws nothing and nothing fails). Sizes are character
// heights in pixels, as the Windows build asks GDI for them. A text that
// would not fit its box is drawn smaller until it does, so none is cut.
class TextPainter {
public:
    TextPainter();
    ~TextPainter();
    TextPainter(const TextPainter&) = delete;
    TextPainter& operator=(const TextPainter&) = delete;

    // One line centred in `box`, vertically as GDI centres a cell: (box
    // height - font height) / 2 from the top.
    void drawCentredLine(cairo_t* cr, const char* text, const WidgetBox& box, std::uint32_t colour, int pixels) const;
    // A block of text in `box`: lines broken at "\n" (a "\r" is ignored)
    // and, when `wrapped`, between words to fit the width; each line
    // centred or from the left edge.
    void drawBlock(cairo_t* cr, const char* text, const WidgetBox& box, std::uint32_t colour, int pixels,
                   bool centred, bool wrapped) const;
    // The advance width of `text` at `pixels`.
    double width(cairo_t* cr, const char* text, int pixels) const;
    // The pixel size at which `text` fits `maximumWidth`, at most `pixels`.
    double fittingSize(cairo_t* cr, const char* text, int pixels, double maximumWidth) const;

private:
    void select(cairo_t* cr, double pixels, std::uint32_t colour) const;

    cairo_font_face_t* face = nullptr;
};

}  // namespace quenchbox::editor

#endif
