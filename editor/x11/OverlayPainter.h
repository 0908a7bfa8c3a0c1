#ifndef QUENCHBOX_EDITOR_X11_OVERLAYPAINTER_H
#define QUENCHBOX_EDITOR_X11_OVERLAYPAINTER_H

#include "editor/PanelInput.h"

#include <cairo.h>

namespace quenchbox::editor {

class TextPainter;

// Draws the panel's overlay (EditorModel::overlay) with cairo in panel
// units: the focus ring, the value label, the text field with its caret.
void paintOverlay(cairo_t* cr, const TextPainter& text, const PanelOverlay& overlay);

}  // namespace quenchbox::editor

#endif
