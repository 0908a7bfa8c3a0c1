#include "formats/lv2/Lv2Ui.h"

#include "editor/x11/QuenchboxEditor.h"
#include "effect/Programs.h"
#include "formats/shared/ParameterDescriptions.h"

#include <lv2/atom/atom.h>
#include <lv2/options/options.h>
#include <lv2/parameters/parameters.h>
#include <lv2/urid/urid.h>

#include <cstring>
#include <new>

namespace quenchbox::lv2 {

namespace {

// The rate the response display assumes while the host names none: the
// effect's own before a host sets one.
constexpr float kAssumedRate = 44100.0f;

const void* featureData(const LV2_Feature* const* features, const char* uri)
{
    for (const LV2_Feature* const* f = features; f != nullptr && *f != nullptr; ++f)
        if ((*f)->URI != nullptr && std::strcmp((*f)->URI, uri) == 0)
            return (*f)->data;
    return nullptr;
}

// A number option of the host's, whatever atom type it comes in; 0 when it
// gives none or cannot be read.
double numberOption(const LV2_Options_Option* options, const LV2_URID_Map& map, const char* key)
{
    const LV2_URID wanted = map.map(map.handle, key);
    const LV2_URID floatType = map.map(map.handle, LV2_ATOM__Float);
    const LV2_URID doubleType = map.map(map.handle, LV2_ATOM__Double);
    const LV2_URID intType = map.map(map.handle, LV2_ATOM__Int);
    for (const LV2_Options_Option* o = options; o->key != 0 || o->value != nullptr; ++o) {
        if (o->key != wanted || o->value == nullptr)
            continue;
        if (o->type == floatType && o->size == sizeof(float))
            return *static_cast<const float*>(o->value);
        if (o->type == doubleType && o->size == sizeof(double))
            return *static_cast<const double*>(o->value);
        if (o->type == intType && o->size == sizeof(std::int32_t))
            return *static_cast<const std::int32_t*>(o->value);
    }
    return 0.0;
}

}  // namespace

// What the host offers beside the write function; only the parent window is
// needed. Instance-access is not looked at: the UI reaches the plug-in
// through the ports alone.
struct Lv2Ui::HostFeatures {
    explicit HostFeatures(const LV2_Feature* const* features)
        : parent(reinterpret_cast<std::uintptr_t>(featureData(features, LV2_UI__parent))),
          touch(static_cast<const LV2UI_Touch*>(featureData(features, LV2_UI__touch))),
          resize(static_cast<const LV2UI_Resize*>(featureData(features, LV2_UI__resize)))
    {
        const auto* map = static_cast<const LV2_URID_Map*>(featureData(features, LV2_URID__map));
        const auto* options = static_cast<const LV2_Options_Option*>(featureData(features, LV2_OPTIONS__options));
        if (map == nullptr || map->map == nullptr || options == nullptr)
            return;
        scale = numberOption(options, *map, LV2_UI__scaleFactor);
        rate = numberOption(options, *map, LV2_PARAMETERS__sampleRate);
    }

    std::uintptr_t parent;
    const LV2UI_Touch* touch;
    const LV2UI_Resize* resize;
    double scale = 0.0;  // ui:scaleFactor, 0 where not given
    double rate = 0.0;   // param:sampleRate, 0 where not given
};

Lv2Ui* Lv2Ui::create(const char* pluginUri, LV2UI_Write_Function write, LV2UI_Controller controller,
                     LV2UI_Widget* widget, const LV2_Feature* const* features)
{
    const HostFeatures host(features);
    if (pluginUri == nullptr || std::strcmp(pluginUri, kPluginUri) != 0 || host.parent == 0 || write == nullptr
        || widget == nullptr)
        return nullptr;
    auto* ui = new (std::nothrow) Lv2Ui(write, controller, host);
    if (ui != nullptr && !ui->open(host.parent, host.scale, widget)) {
        delete ui;
        return nullptr;
    }
    return ui;
}

Lv2Ui::Lv2Ui(LV2UI_Write_Function writeFunction, LV2UI_Controller hostController, const HostFeatures& host)
    : write(writeFunction), controller(hostController), touch(host.touch),
      resize(host.resize != nullptr && host.resize->ui_resize != nullptr ? host.resize : nullptr),
      rate(host.rate >= 1.0 ? static_cast<float>(host.rate) : kAssumedRate)
{
    // Until the host sends the ports' values: the defaults.
    effect::programs::readValues(0, values);
}

// The editor closes its window as it goes.
Lv2Ui::~Lv2Ui() = default;

// The host's scale wins over the user's remembered zoom and the screen's
// density, as in the other formats; the host learns the size at once.
bool Lv2Ui::open(std::uintptr_t parent, double hostScale, LV2UI_Widget* widget)
{
    editor.reset(new (std::nothrow) editor::QuenchboxEditor(nullptr, *this));
    if (!editor)
        return false;
    if (hostScale > 0.0)
        editor->setHostScale(hostScale);
    if (!editor->open(reinterpret_cast<void*>(parent)))
        return false;
    *widget = reinterpret_cast<LV2UI_Widget>(editor->windowId());
    ERect* rect = nullptr;
    if (editor->getRect(&rect) && rect != nullptr)
        requestResize(rect->right - rect->left, rect->bottom - rect->top);
    return true;
}

void Lv2Ui::portEvent(std::uint32_t port, std::uint32_t size, std::uint32_t format, const void* buffer)
{
    if (format != 0 || size != sizeof(float) || buffer == nullptr)
        return;
    float value;
    std::memcpy(&value, buffer, sizeof(value));
    if (isMeterPort(port)) {
        double* readings[kMeterCount] = {&meters.solver, &meters.stageA, &meters.stageB};
        *readings[port - kClipMeterPort] = value;
        return;
    }
    // While the user holds a control, the host's echoes of earlier values
    // would pull it back.
    if (isControlPort(port) && !held[parameterOfPort(port)])
        values[parameterOfPort(port)] = formats::sanitizeValue(parameterOfPort(port), value);
}

int Lv2Ui::idle()
{
    editor->idle();
    return 0;
}

float Lv2Ui::parameter(int index) { return effect::isParameterIndex(index) ? values[index] : 0.0f; }

void Lv2Ui::beginEdit(int index)
{
    if (!effect::isParameterIndex(index))
        return;
    held[index] = true;
    if (touch != nullptr && touch->touch != nullptr)
        touch->touch(touch->handle, portOfParameter(index), true);
}

void Lv2Ui::performEdit(int index, float value)
{
    if (!effect::isParameterIndex(index))
        return;
    values[index] = formats::sanitizeValue(index, value);
    write(controller, portOfParameter(index), sizeof(float), 0, &values[index]);
}

void Lv2Ui::endEdit(int index)
{
    if (!effect::isParameterIndex(index))
        return;
    held[index] = false;
    if (touch != nullptr && touch->touch != nullptr)
        touch->touch(touch->handle, portOfParameter(index), false);
}

float Lv2Ui::programValue(int index)
{
    float defaults[effect::kParameterCount];
    effect::programs::readValues(0, defaults);
    return effect::isParameterIndex(index) ? defaults[index] : 0.0f;
}

bool Lv2Ui::updateResponse(engine::ResponseCurves& curves) { return response.update(values, rate, curves); }

void Lv2Ui::requestResize(int width, int height)
{
    if (resize != nullptr)
        resize->ui_resize(resize->handle, width, height);
}

}  // namespace quenchbox::lv2
