#include "formats/lv2/Lv2Ui.h"

#include <lv2/instance-access/instance-access.h>

#include <cstring>
#include <new>

namespace quenchbox::lv2 {

namespace {

const void* featureData(const LV2_Feature* const* features, const char* uri)
{
    for (const LV2_Feature* const* f = features; f != nullptr && *f != nullptr; ++f)
        if ((*f)->URI != nullptr && std::strcmp((*f)->URI, uri) == 0)
            return (*f)->data;
    return nullptr;
}

// The instance, when it is one of ours.
const Lv2EditorAccess* accessOf(const void* handle)
{
    const auto* access = static_cast<const Lv2EditorAccess*>(handle);
    return access != nullptr && access->magic == Lv2EditorAccess::kMagic ? access : nullptr;
}

// The editor's own size requests (the user zoomed) reach the host this way.
bool resizeHost(void* context, int width, int height)
{
    const auto* resize = static_cast<const LV2UI_Resize*>(context);
    return resize->ui_resize(resize->handle, width, height) == 0;
}

}  // namespace

Lv2Ui* Lv2Ui::create(const char* pluginUri, LV2UI_Write_Function write, LV2UI_Controller controller,
                     LV2UI_Widget* widget, const LV2_Feature* const* features)
{
    const Lv2EditorAccess* access = accessOf(featureData(features, LV2_INSTANCE_ACCESS_URI));
    const auto parent = reinterpret_cast<std::uintptr_t>(featureData(features, LV2_UI__parent));
    if (pluginUri == nullptr || std::strcmp(pluginUri, kPluginUri) != 0 || access == nullptr || parent == 0
        || write == nullptr || widget == nullptr)
        return nullptr;
    const auto* touch = static_cast<const LV2UI_Touch*>(featureData(features, LV2_UI__touch));
    const auto* resize = static_cast<const LV2UI_Resize*>(featureData(features, LV2_UI__resize));
    const bool canResize = resize != nullptr && resize->ui_resize != nullptr;
    auto* ui = new (std::nothrow) Lv2Ui(*access, write, controller, touch);
    const std::uintptr_t window =
        ui != nullptr ? access->open(access->instance, parent, canResize ? resizeHost : nullptr,
                                     const_cast<LV2UI_Resize*>(resize))
                      : 0;
    if (window == 0) {
        delete ui;
        return nullptr;
    }
    *widget = reinterpret_cast<LV2UI_Widget>(window);
    int width = 0;
    int height = 0;
    if (canResize && access->size(access->instance, &width, &height))
        resize->ui_resize(resize->handle, width, height);
    return ui;
}

Lv2Ui::Lv2Ui(const Lv2EditorAccess& access, LV2UI_Write_Function writeFunction, LV2UI_Controller hostController,
             const LV2UI_Touch* hostTouch)
    : editor(access), write(writeFunction), controller(hostController), touch(hostTouch)
{
}

Lv2Ui::~Lv2Ui() { editor.close(editor.instance); }

void Lv2Ui::portEvent(std::uint32_t port, std::uint32_t size, std::uint32_t format, const void* buffer)
{
    if (!isControlPort(port) || format != 0 || size != sizeof(float) || buffer == nullptr)
        return;
    const int parameter = parameterOfPort(port);
    float value;
    std::memcpy(&value, buffer, sizeof(value));
    if (held[parameter])
        return;
    if (echoPending[parameter] && value == written[parameter]) {
        echoPending[parameter] = false;
        return;
    }
    echoPending[parameter] = false;
    editor.showValue(editor.instance, parameter, value);
}

int Lv2Ui::idle()
{
    editor.idle(editor.instance);
    formats::EditorEvent event;
    while (editor.takeEditorEvent(editor.instance, &event))
        forward(event);
    return 0;
}

void Lv2Ui::forward(const formats::EditorEvent& event)
{
    if (!effect::isParameterIndex(static_cast<int>(event.parameter)))
        return;
    const int parameter = static_cast<int>(event.parameter);
    const std::uint32_t port = portOfParameter(parameter);
    const bool grabs = event.kind == formats::EditorEvent::Kind::gestureBegin;
    switch (event.kind) {
    case formats::EditorEvent::Kind::value:
        written[parameter] = event.value;
        echoPending[parameter] = true;
        write(controller, port, sizeof(float), 0, &event.value);
        break;
    case formats::EditorEvent::Kind::gestureBegin:
    case formats::EditorEvent::Kind::gestureEnd:
        held[parameter] = grabs;
        if (touch != nullptr && touch->touch != nullptr)
            touch->touch(touch->handle, port, grabs);
        break;
    }
}

}  // namespace quenchbox::lv2
