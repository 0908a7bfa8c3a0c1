#include "Lv2TestInstance.h"

#include <cmath>

namespace lv2test {

Stereo testSignal(std::size_t frames)
{
    Stereo s{std::vector<float>(frames), std::vector<float>(frames)};
    for (std::size_t i = 0; i < frames; ++i) {
        const auto at = [](std::size_t n) {
            const double t = static_cast<double>(n) / 44100.0;
            const double envelope = std::exp(-3.0 * std::fmod(t, 0.5));
            const double partials = std::sin(2 * M_PI * 110.0 * t) + 0.5 * std::sin(2 * M_PI * 331.0 * t);
            return static_cast<float>(0.5 * envelope * partials);
        };
        s.left[i] = at(i);
        s.right[i] = at(i + 9000);
    }
    return s;
}

Lv2TestInstance::Lv2TestInstance(const LilvPlugin* plugin, double rate, const LV2_Feature* const* features)
    : instance(lilv_plugin_instantiate(plugin, rate, features))
{
    if (instance == nullptr)
        return;
    const std::uint32_t ports = lilv_plugin_get_num_ports(plugin);
    std::vector<float> defaults(ports);
    lilv_plugin_get_port_ranges_float(plugin, nullptr, nullptr, defaults.data());
    for (int i = 0; i < quenchbox::effect::kParameterCount; ++i) {
        const std::uint32_t port = kFirstControl + static_cast<std::uint32_t>(i);
        float& value = controls[static_cast<std::size_t>(i)];
        value = defaults[port];
        lilv_instance_connect_port(instance, port, &value);
    }
    lilv_instance_connect_port(instance, kLatencyPort, &latencyValue);
    for (std::uint32_t m = 0; m < quenchbox::lv2::kMeterCount; ++m)
        lilv_instance_connect_port(instance, quenchbox::lv2::kClipMeterPort + m, &meters[m]);
}

Lv2TestInstance::~Lv2TestInstance()
{
    if (instance == nullptr)
        return;
    deactivate();
    lilv_instance_free(instance);
}

void Lv2TestInstance::activate()
{
    lilv_instance_activate(instance);
    active = true;
}

void Lv2TestInstance::deactivate()
{
    if (active)
        lilv_instance_deactivate(instance);
    active = false;
}

void Lv2TestInstance::run(const float* left, const float* right, float* outLeft, float* outRight, std::uint32_t frames)
{
    lilv_instance_connect_port(instance, quenchbox::lv2::kInputLeft, const_cast<float*>(left));
    lilv_instance_connect_port(instance, quenchbox::lv2::kInputRight, const_cast<float*>(right));
    lilv_instance_connect_port(instance, quenchbox::lv2::kOutputLeft, outLeft);
    lilv_instance_connect_port(instance, quenchbox::lv2::kOutputRight, outRight);
    lilv_instance_run(instance, frames);
}

}  // namespace lv2test
