#ifndef QUENCHBOX_FORMATS_SHARED_HOSTMENUBUILDER_H
#define QUENCHBOX_FORMATS_SHARED_HOSTMENUBUILDER_H

#include "effect/HostMenu.h"

namespace quenchbox::formats {

// Writes a host's menu, item by item as the format hands it over, into the
// editor's flat HostMenu. A submenu becomes a heading (an item that cannot
// be chosen, with the submenu's name) followed by its items, disabled where
// the submenu is, and a separator after it. Separators never open or close
// the menu and never come twice in a row; labels are cut at a character;
// what does not fit is left off. The format keeps, by the index addItem
// answers, what its host needs to run the item.
class HostMenuBuilder {
public:
    // Empties the menu.
    explicit HostMenuBuilder(effect::HostMenu& menu);

    // The index of the item, or -1 when the menu is full.
    int addItem(const char* label, bool enabled, bool checked);
    // A heading or a title: shown, never chosen.
    void addHeading(const char* label);
    void addSeparator();
    void beginSubmenu(const char* label, bool enabled);
    void endSubmenu();

private:
    // A new entry after the separator waiting for it, or null when the two
    // do not fit.
    effect::HostMenuItem* append(const char* label);
    bool insideDisabledSubmenu() const { return disabledDepth > 0; }

    effect::HostMenu& menu;
    int depth = 0;
    int disabledDepth = 0;  // the depth of the outermost disabled submenu, 0 when none
    // A separator is written only once an item follows it.
    bool separatorPending = false;
};

// Copies UTF-8 text into a label field of `size` bytes, terminated, cut
// before a character that would not fit whole.
void copyLabel(char* label, const char* text, int size);

}  // namespace quenchbox::formats

#endif
