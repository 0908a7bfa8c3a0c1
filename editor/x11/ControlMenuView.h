#ifndef QUENCHBOX_EDITOR_X11_CONTROLMENUVIEW_H
#define QUENCHBOX_EDITOR_X11_CONTROLMENUVIEW_H

#include "editor/PanelInput.h"
#include "editor/x11/CairoWidgets.h"

#include <cairo.h>

namespace quenchbox::editor {

class TextPainter;

// A control's menu (EditorModel::openMenu) as the X11 child window draws
// it, in the zoom menu's style: a list inside the panel at the pointer,
// kept within the panel, separators as thin lines, checked items marked.
// Boxes are in panel units.
class ControlMenuView {
public:
    // Lays the menu out for `menu`; an empty box when it is not shown.
    void layOut(const ControlMenu& menu);
    const WidgetBox& box() const { return frame; }
    // The item under (x, y): -1 for none, a separator or a disabled item.
    int itemAt(const ControlMenu& menu, int x, int y) const;
    void paint(cairo_t* cr, const TextPainter& text, const ControlMenu& menu) const;

private:
    WidgetBox itemBox(const ControlMenu& menu, int item) const;

    WidgetBox frame{0, 0, 0, 0, false};
};

}  // namespace quenchbox::editor

#endif
