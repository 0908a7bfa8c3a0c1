#ifndef QUENCHBOX_EDITOR_X11_PANELMESSAGE_H
#define QUENCHBOX_EDITOR_X11_PANELMESSAGE_H

#include "editor/VersionFile.h"
#include "editor/x11/CairoWidgets.h"

#include <cairo.h>

namespace quenchbox::editor {

class TextPainter;

// The update check's answer inside the panel, where the Windows build shows
// a message box: the text in a framed box over the middle of the panel with
// an OK button, or Yes and No for the offer to open the download page.
// While it is shown the panel's controls take no clicks.
class PanelMessage {
public:
    enum class Choice { kNone, kOk, kYes, kNo };

    void show(UpdateAnswer shownAnswer);
    void hide() { shown = false; }
    bool visible() const { return shown; }
    UpdateAnswer answer() const { return current; }
    const WidgetBox& box() const { return frame; }

    // The button under (x, y), in editor pixels.
    Choice choiceAt(int x, int y) const;
    void paint(cairo_t* cr, const TextPainter& text) const;

    // Where the buttons sit, for hosts and tests that click them.
    WidgetBox buttonBox(Choice choice) const;

private:
    bool asksYesNo() const { return current == UpdateAnswer::kNewer; }

    bool shown = false;
    UpdateAnswer current = UpdateAnswer::kNoInformation;
    WidgetBox frame{158, 180, 361, 120, true};
};

}  // namespace quenchbox::editor

#endif
