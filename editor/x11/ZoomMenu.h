#ifndef QUENCHBOX_EDITOR_X11_ZOOMMENU_H
#define QUENCHBOX_EDITOR_X11_ZOOMMENU_H

#include "editor/x11/CairoWidgets.h"

#include <cairo.h>

namespace quenchbox::editor {

class TextPainter;

// The zoom choice a click on the maker's badge (kZoomBadge) opens: a
// small list inside the panel under the badge, "Auto" and the five steps,
// the current choice marked. Where Windows shows a popup menu, a plug-in's
// X11 child window draws its own. Boxes are in panel units.
class ZoomMenu {
public:
    void show(int currentChoice);
    void hide() { shown = false; }
    bool visible() const { return shown; }
    const WidgetBox& box() const { return frame; }

    // The entry under (x, y), -1 for none.
    int choiceAt(int x, int y) const;
    WidgetBox entryBox(int choice) const;
    void paint(cairo_t* cr, const TextPainter& text) const;

private:
    bool shown = false;
    int current = 0;
    WidgetBox frame{565, 34, 100, 128, true};
};

}  // namespace quenchbox::editor

#endif
