#ifndef QUENCHBOX_EFFECT_HOSTMENU_H
#define QUENCHBOX_EFFECT_HOSTMENU_H

namespace quenchbox::effect {

// The items a host offers for one parameter in the menu a right click opens
// on its control (automation, MIDI learn, ...), where the plug-in format has
// them (CLAP's context menu, VST3's IComponentHandler3). The editor draws
// them below its own items; choosing one runs the host's action.
struct HostMenuItem {
    static constexpr int kLabelSize = 96;  // UTF-8, terminated, cut at a character
    char label[kLabelSize];
    bool enabled;
    bool checked;
    bool separator;  // a line between groups; not choosable
};

constexpr int kMaxHostMenuItems = 24;

// The item that puts a control back to the selected program's value: in
// the editor's own menu, and offered to a host's menu where it asks.
constexpr const char* kResetToProgramLabel = "Reset to program value";  // the rest of a longer menu is left off

struct HostMenu {
    int count = 0;
    HostMenuItem items[kMaxHostMenuItems] = {};
};

// What a format that has host menus gives the effect (QuenchboxEffect::
// setHostMenus). Called on the editor's thread, outside any call of the
// host's into the plug-in.
class HostMenus {
public:
    // Fills `menu` with the host's items for parameter `index`; false (and
    // an empty menu) when the host offers none.
    virtual bool hostMenu(int index, HostMenu& menu) = 0;
    // Runs item `item` of the menu hostMenu last gave for `index`.
    virtual void chooseHostMenuItem(int index, int item) = 0;

protected:
    ~HostMenus() = default;
};

}  // namespace quenchbox::effect

#endif
