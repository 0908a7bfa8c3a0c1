// The UI binary's one export: the descriptor of the X11 UI.

#include "formats/lv2/Lv2Ui.h"

#include <cstring>

namespace {

using quenchbox::lv2::Lv2Ui;

const LV2UI_Idle_Interface idleInterface = {
    [](LV2UI_Handle h) { return static_cast<Lv2Ui*>(h)->idle(); },
};

const LV2UI_Descriptor descriptor = {
    quenchbox::lv2::kUiUri,
    [](const LV2UI_Descriptor*, const char* pluginUri, const char*, LV2UI_Write_Function write,
       LV2UI_Controller controller, LV2UI_Widget* widget, const LV2_Feature* const* features) -> LV2UI_Handle {
        return Lv2Ui::create(pluginUri, write, controller, widget, features);
    },
    [](LV2UI_Handle h) { delete static_cast<Lv2Ui*>(h); },
    [](LV2UI_Handle h, std::uint32_t port, std::uint32_t size, std::uint32_t format, const void* buffer) {
        static_cast<Lv2Ui*>(h)->portEvent(port, size, format, buffer);
    },
    [](const char* uri) -> const void* {
        return uri != nullptr && std::strcmp(uri, LV2_UI__idleInterface) == 0 ? &idleInterface : nullptr;
    },
};

}  // namespace

extern "C" LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(std::uint32_t index)
{
    return index == 0 ? &descriptor : nullptr;
}
