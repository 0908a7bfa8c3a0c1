#ifndef QUENCHBOX_EDITOR_PANELINPUT_H
#define QUENCHBOX_EDITOR_PANELINPUT_H

#include "editor/EditorLayout.h"
#include "editor/TextEntry.h"
#include "effect/HostMenu.h"

namespace quenchbox::editor {

// The keys the panel answers, whatever window system or host delivered
// them. A layer translates its own key codes into these; everything else is
// `other`, which the panel hands back to the host.
enum class PanelKey {
    other,
    tab,
    enter,
    escape,
    space,
    left,
    right,
    up,
    down,
    pageUp,
    pageDown,
    home,
    end,
    backspace,
    deleteKey,
};

struct KeyStroke {
    PanelKey key = PanelKey::other;
    bool shift = false;
    bool control = false;  // Ctrl or Alt: a shortcut of the host's, never text
    const char* text = "";  // the characters the key types (UTF-8), for the text field
};

// The virtual key codes VST 2.4's effEditKeyDown and VST3's onKeyDown share
// (1 backspace, 2 tab, ...), and their modifier bits: Shift, and the three
// that make a key a shortcut (Alt, Ctrl - "command" off the Mac - and the
// Mac's Control).
PanelKey panelKeyFromVirtual(int virtualKey);
constexpr int kVirtualShift = 1;
constexpr int kVirtualShortcut = 2 | 4 | 8;
// A key as those hosts hand it over: its character (typed into `typed`
// when printable ASCII), virtual key and modifiers.
KeyStroke strokeFromVirtual(int character, int virtualKey, int modifiers, char (&typed)[2]);

// What the panel shows over its controls, in panel units; each layer draws
// it in the panel's style at its scale.
struct PanelOverlay {
    // The value of the control being moved, or the name and value of the
    // control under a resting pointer, in place of the control's caption.
    bool labelShown = false;
    PanelArea labelBox{};
    char labelText[96] = "";
    // The frame around the control that has the keyboard's attention.
    bool focusShown = false;
    PanelArea focusBox{};
    // The "Type a value..." field, over the caption.
    bool fieldShown = false;
    PanelArea fieldBox{};
    TextEntry field;
};

// The menu a right click opens on a control: the panel's own items, then,
// after a separator, the host's where the format has them.
struct ControlMenuItem {
    enum class Action { typeValue, resetToProgram, host, none };
    Action action = Action::none;
    int hostItem = -1;  // for Action::host
    const char* label = "";
    bool enabled = true;
    bool checked = false;
    bool separator = false;
};

struct ControlMenu {
    static constexpr int kCapacity = 3 + effect::kMaxHostMenuItems;
    bool shown = false;
    int widget = -1;
    int x = 0;  // where it opens, in panel units
    int y = 0;
    int count = 0;
    ControlMenuItem items[kCapacity];
    effect::HostMenu host;  // owns the host items' labels
};

constexpr const char* kTypeValueLabel = "Type a value...";
constexpr const char* kResetLabel = effect::kResetToProgramLabel;

}  // namespace quenchbox::editor

#endif
