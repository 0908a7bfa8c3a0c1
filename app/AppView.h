#ifndef QUENCHBOX_APP_APPVIEW_H
#define QUENCHBOX_APP_APPVIEW_H

#include <string>

namespace quenchbox::app {

// The application's window in panel units: the bar on top, the panel (677 x
// 480) below it; a page (the program list, the settings) takes the panel's
// place while it is shown. Each window layer scales the units with the
// panel's zoom.
constexpr int kWindowWidth = 677;
constexpr int kBarHeight = 100;
constexpr int kPageHeight = 480;

// What a click on an item runs (AppController::press); `argument` says which
// entry, choice or step.
enum class Command {
    none,
    previousEntry,
    nextEntry,
    showPrograms,
    chooseEntry,
    save,
    saveAs,
    rename,
    remove,
    importFile,
    monitor,
    showSettings,
    closePage,
    retryAudio,
    clearClip,  // argument 0: the input meter, 1: the output meter
    chooseInput,  // argument: InputChoice
    stepDevice,   // argument: -1 or +1, and for the next two
    stepRate,
    stepBuffer,
    applyAudio,
    forgetControllers,
    confirmField,
    cancelField,
};

enum class ItemKind {
    label,   // text, from the left edge
    title,   // text, heavier and in the panel's red
    button,  // a framed box with its text centred; lit: pressed in
    meter,   // a bar with a peak mark and a clip light
    field,   // a text field with a caret at its end
};

struct ItemBox {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool contains(int px, int py) const { return px >= x && py >= y && px < x + width && py < y + height; }
    bool operator==(const ItemBox& other) const
    {
        return x == other.x && y == other.y && width == other.width && height == other.height;
    }
};

// One thing the window shows, listed by AppController::view each time it
// paints.
struct ViewItem {
    ItemKind kind = ItemKind::label;
    ItemBox box;
    std::string text;
    Command command = Command::none;
    int argument = 0;
    bool lit = false;      // a button switched on; a meter's clip light
    bool enabled = true;   // false: drawn dimmed and not clickable
    bool wrapped = true;   // a text broken into lines; else one line, drawn smaller when it must
    double level = 0.0;    // a meter's bar, 0..1
    double hold = 0.0;     // a meter's peak mark, 0..1

    // Whether a window that shows `other` looks the same (the layers repaint
    // only when the list changed).
    bool operator==(const ViewItem& other) const
    {
        return kind == other.kind && box == other.box && text == other.text && command == other.command &&
               argument == other.argument && lit == other.lit && enabled == other.enabled && wrapped == other.wrapped &&
               level == other.level && hold == other.hold;
    }
};

}  // namespace quenchbox::app

#endif
