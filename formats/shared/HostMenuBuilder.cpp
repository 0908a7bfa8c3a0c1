#include "formats/shared/HostMenuBuilder.h"

#include <cstring>

namespace quenchbox::formats {

namespace {

bool isContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

void copyLabel(char* label, const char* text, int size)
{
    if (size <= 0)
        return;
    const char* source = text != nullptr ? text : "";
    int length = 0;
    while (length < size && source[length] != '\0')
        ++length;
    if (length == size) {
        // Back to the first byte of the character that would be cut.
        length = size - 1;
        while (length > 0 && isContinuationByte(source[length]))
            --length;
    }
    std::memcpy(label, source, static_cast<std::size_t>(length));
    label[length] = '\0';
}

HostMenuBuilder::HostMenuBuilder(effect::HostMenu& target) : menu(target) { menu.count = 0; }

effect::HostMenuItem* HostMenuBuilder::append(const char* label)
{
    const int needed = separatorPending ? 2 : 1;
    if (menu.count + needed > effect::kMaxHostMenuItems)
        return nullptr;
    if (separatorPending) {
        menu.items[menu.count++] = effect::HostMenuItem{"", false, false, true};
        separatorPending = false;
    }
    effect::HostMenuItem& item = menu.items[menu.count++];
    item = effect::HostMenuItem{};
    copyLabel(item.label, label, effect::HostMenuItem::kLabelSize);
    return &item;
}

int HostMenuBuilder::addItem(const char* label, bool enabled, bool checked)
{
    effect::HostMenuItem* item = append(label);
    if (item == nullptr)
        return -1;
    item->enabled = enabled && !insideDisabledSubmenu();
    item->checked = checked;
    return menu.count - 1;
}

void HostMenuBuilder::addHeading(const char* label) { append(label); }

void HostMenuBuilder::addSeparator() { separatorPending = menu.count > 0; }

void HostMenuBuilder::beginSubmenu(const char* label, bool enabled)
{
    ++depth;
    if (!enabled && disabledDepth == 0)
        disabledDepth = depth;
    addHeading(label);
}

void HostMenuBuilder::endSubmenu()
{
    if (depth == 0)
        return;  // an end without its begin
    if (disabledDepth == depth)
        disabledDepth = 0;
    --depth;
    addSeparator();
}

}  // namespace quenchbox::formats
