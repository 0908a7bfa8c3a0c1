// The DSP binary's one export: the descriptor of the plug-in, entered by
// the host through nothing else.

#include "formats/lv2/Lv2Plugin.h"

namespace {

using quenchbox::lv2::Lv2Plugin;

const LV2_Descriptor descriptor = {
    quenchbox::lv2::kPluginUri,
    [](const LV2_Descriptor*, double rate, const char*, const LV2_Feature* const* features) -> LV2_Handle {
        Lv2Plugin* plugin = Lv2Plugin::create(rate, features);
        return plugin != nullptr ? plugin->handle() : nullptr;
    },
    [](LV2_Handle h, std::uint32_t port, void* data) { Lv2Plugin::of(h)->connect(port, data); },
    [](LV2_Handle h) { Lv2Plugin::of(h)->activate(); },
    [](LV2_Handle h, std::uint32_t frames) { Lv2Plugin::of(h)->run(frames); },
    [](LV2_Handle h) { Lv2Plugin::of(h)->deactivate(); },
    [](LV2_Handle h) { Lv2Plugin::destroy(h); },
    [](const char* uri) { return Lv2Plugin::extension(uri); },
};

}  // namespace

extern "C" LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(std::uint32_t index)
{
    return index == 0 ? &descriptor : nullptr;
}
