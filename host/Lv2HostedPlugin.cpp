#include "host/Lv2HostedPlugin.h"

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/presets/presets.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace quenchbox::host {

namespace {

constexpr const char* kCoreBundle = "/usr/lib/lv2/core.lv2/";

// A lilv node that frees itself.
struct Node {
    explicit Node(LilvNode* n) : node(n) {}
    ~Node() { lilv_node_free(node); }
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;
    LilvNode* node;
};

std::string text(const LilvNode* node) { return node != nullptr ? lilv_node_as_string(node) : ""; }

std::string bundleUriPath(const std::string& path)
{
    std::string absolute = std::filesystem::absolute(path).lexically_normal().string();
    if (absolute.empty() || absolute.back() != '/')
        absolute += '/';
    return absolute;
}

}  // namespace

// ---- URIDs ----

UridMap::UridMap()
    : mapRecord{this, [](LV2_URID_Map_Handle h, const char* uri) { return static_cast<UridMap*>(h)->map(uri); }},
      unmapRecord{this, [](LV2_URID_Unmap_Handle h, LV2_URID urid) { return static_cast<UridMap*>(h)->unmap(urid); }},
      mapFeatureRecord{LV2_URID__map, &mapRecord}, unmapFeatureRecord{LV2_URID__unmap, &unmapRecord}
{
}

LV2_URID UridMap::map(const char* uri)
{
    if (uri == nullptr)
        return 0;
    const auto found = std::find(uris.begin(), uris.end(), uri);
    if (found != uris.end())
        return static_cast<LV2_URID>(found - uris.begin() + 1);
    uris.emplace_back(uri);
    return static_cast<LV2_URID>(uris.size());
}

const char* UridMap::unmap(LV2_URID urid) const
{
    return urid >= 1 && urid <= uris.size() ? uris[urid - 1].c_str() : nullptr;
}

// ---- The plug-in ----

bool Lv2HostedPlugin::isBundlePath(const std::string& path)
{
    std::string p = path;
    while (p.size() > 1 && p.back() == '/')
        p.pop_back();
    return p.size() >= 4 && p.compare(p.size() - 4, 4, ".lv2") == 0;
}

Lv2HostedPlugin::Lv2HostedPlugin(const std::string& bundlePath) : lilvWorld(lilv_world_new())
{
    if (!std::filesystem::is_directory(bundlePath)) {
        lilv_world_free(lilvWorld);
        throw std::runtime_error("cannot load plug-in " + bundlePath + ": no such bundle folder");
    }
    // LV2's core bundle and the vocabulary its files describe name the
    // plug-in classes. Loading them alone, not every installed bundle, keeps
    // an installed copy of the same plug-in from hiding the bundle asked for.
    if (std::filesystem::is_directory(kCoreBundle)) {
        const Node core(lilv_new_file_uri(lilvWorld, nullptr, kCoreBundle));
        lilv_world_load_bundle(lilvWorld, core.node);
        const Node vocabulary(lilv_new_uri(lilvWorld, LV2_CORE_URI));
        lilv_world_load_resource(lilvWorld, vocabulary.node);
    }
    lilv_world_load_plugin_classes(lilvWorld);
    const Node bundle(lilv_new_file_uri(lilvWorld, nullptr, bundleUriPath(bundlePath).c_str()));
    lilv_world_load_bundle(lilvWorld, bundle.node);
    const LilvPlugins* plugins = lilv_world_get_all_plugins(lilvWorld);
    LILV_FOREACH (plugins, i, plugins) {
        const LilvPlugin* candidate = lilv_plugins_get(plugins, i);
        if (lilv_node_equals(lilv_plugin_get_bundle_uri(candidate), bundle.node)) {
            lilvPlugin = candidate;
            break;
        }
    }
    if (lilvPlugin == nullptr) {
        lilv_world_free(lilvWorld);
        throw std::runtime_error(bundlePath + " holds no LV2 plug-in");
    }
    findPorts();
    findPresets();
}

Lv2HostedPlugin::~Lv2HostedPlugin()
{
    suspend();
    if (lilvInstance != nullptr)
        lilv_instance_free(lilvInstance);
    lilv_world_free(lilvWorld);
}

void Lv2HostedPlugin::findPorts()
{
    const Node input(lilv_new_uri(lilvWorld, LV2_CORE__InputPort));
    const Node audio(lilv_new_uri(lilvWorld, LV2_CORE__AudioPort));
    const Node control(lilv_new_uri(lilvWorld, LV2_CORE__ControlPort));
    const Node latency(lilv_new_uri(lilvWorld, LV2_CORE__reportsLatency));
    const std::uint32_t count = lilv_plugin_get_num_ports(lilvPlugin);
    std::vector<float> defaults(count);
    lilv_plugin_get_port_ranges_float(lilvPlugin, nullptr, nullptr, defaults.data());
    for (std::uint32_t p = 0; p < count; ++p) {
        const LilvPort* port = lilv_plugin_get_port_by_index(lilvPlugin, p);
        const bool isInput = lilv_port_is_a(lilvPlugin, port, input.node);
        if (lilv_port_is_a(lilvPlugin, port, audio.node)) {
            (isInput ? audioInputs : audioOutputs).push_back(p);
        } else if (lilv_port_is_a(lilvPlugin, port, control.node)) {
            if (isInput) {
                controlPorts.push_back(p);
                controlValues.push_back(std::isnan(defaults[p]) ? 0.0f : defaults[p]);
            } else {
                if (lilv_port_has_property(lilvPlugin, port, latency.node))
                    latencyOutput = static_cast<long>(controlOutputs.size());
                controlOutputs.push_back(p);
            }
        }
    }
    controlOutputValues.assign(controlOutputs.size(), 0.0f);
}

void Lv2HostedPlugin::findPresets()
{
    const Node presetClass(lilv_new_uri(lilvWorld, LV2_PRESETS__Preset));
    LilvNodes* related = lilv_plugin_get_related(lilvPlugin, presetClass.node);
    LILV_FOREACH (nodes, i, related)
        presets.push_back(text(lilv_nodes_get(related, i)));
    lilv_nodes_free(related);
    std::sort(presets.begin(), presets.end());
}

std::string Lv2HostedPlugin::description()
{
    const Node name(lilv_plugin_get_name(lilvPlugin));
    const Node author(lilv_plugin_get_author_name(lilvPlugin));
    const Node minor(lilv_new_uri(lilvWorld, LV2_CORE__minorVersion));
    const Node micro(lilv_new_uri(lilvWorld, LV2_CORE__microVersion));
    LilvNodes* minors = lilv_plugin_get_value(lilvPlugin, minor.node);
    LilvNodes* micros = lilv_plugin_get_value(lilvPlugin, micro.node);
    const std::string version = text(lilv_nodes_get_first(minors)) + "." + text(lilv_nodes_get_first(micros));
    lilv_nodes_free(minors);
    lilv_nodes_free(micros);
    const LilvPluginClass* pluginClass = lilv_plugin_get_class(lilvPlugin);
    std::string latency = "none reported";
    if (latencyOutput >= 0) {
        if (lilvInstance == nullptr)
            instantiate();
        if (!active) {
            lilv_instance_activate(lilvInstance);
            lilv_instance_run(lilvInstance, 0);
            lilv_instance_deactivate(lilvInstance);
        }
        latency = std::to_string(static_cast<int>(reportedLatency())) + " samples";
    }
    return "format:  LV2\nuri:     " + text(lilv_plugin_get_uri(lilvPlugin)) + "\nname:    " + text(name.node)
           + "\nmaker:   " + text(author.node) + "\nversion: " + version + " (minor.micro)\nclass:   "
           + text(lilv_plugin_class_get_label(pluginClass)) + "\nlatency: " + latency + "\n";
}

std::string Lv2HostedPlugin::parameterName(int index)
{
    const LilvPort* port = lilv_plugin_get_port_by_index(lilvPlugin, controlPorts[static_cast<std::size_t>(index)]);
    const Node name(lilv_port_get_name(lilvPlugin, port));
    return text(name.node);
}

// A toggled or integer port of range 0..1 has two positions. The values are
// normalized, so no unit of the quantity shown applies to them.
ParameterListing Lv2HostedPlugin::parameterListing(int index)
{
    const std::uint32_t p = controlPorts[static_cast<std::size_t>(index)];
    const LilvPort* port = lilv_plugin_get_port_by_index(lilvPlugin, p);
    const Node toggled(lilv_new_uri(lilvWorld, LV2_CORE__toggled));
    const Node integer(lilv_new_uri(lilvWorld, LV2_CORE__integer));
    const bool stepped = lilv_port_has_property(lilvPlugin, port, toggled.node)
                         || lilv_port_has_property(lilvPlugin, port, integer.node);
    std::vector<float> minimums(lilv_plugin_get_num_ports(lilvPlugin));
    std::vector<float> maximums(minimums.size());
    std::vector<float> defaults(minimums.size());
    lilv_plugin_get_port_ranges_float(lilvPlugin, minimums.data(), maximums.data(), defaults.data());
    return {parameterName(index), {}, stepped ? static_cast<int>(maximums[p] - minimums[p]) : 0, defaults[p],
            text(lilv_port_get_symbol(lilvPlugin, port))};
}

// The scale point's label where the value has one, else the number.
std::string Lv2HostedPlugin::parameterDisplay(int index)
{
    const float value = parameter(index);
    const LilvPort* port = lilv_plugin_get_port_by_index(lilvPlugin, controlPorts[static_cast<std::size_t>(index)]);
    std::string display;
    LilvScalePoints* points = lilv_port_get_scale_points(lilvPlugin, port);
    LILV_FOREACH (scale_points, i, points) {
        const LilvScalePoint* point = lilv_scale_points_get(points, i);
        if (lilv_node_as_float(lilv_scale_point_get_value(point)) == value)
            display = text(lilv_scale_point_get_label(point));
    }
    lilv_scale_points_free(points);
    if (display.empty()) {
        char number[32];
        std::snprintf(number, sizeof(number), "%.3f", static_cast<double>(value));
        display = number;
    }
    return display;
}

// ---- Programs: the presets ----

LilvState* Lv2HostedPlugin::presetState(int program)
{
    if (program < 0 || program >= programCount())
        return nullptr;
    const Node preset(lilv_new_uri(lilvWorld, presets[static_cast<std::size_t>(program)].c_str()));
    lilv_world_load_resource(lilvWorld, preset.node);
    LV2_URID_Map* map = static_cast<LV2_URID_Map*>(uridMap.mapFeature()->data);
    return lilv_state_new_from_world(lilvWorld, map, preset.node);
}

void Lv2HostedPlugin::setProgram(int program)
{
    LilvState* state = presetState(program);
    if (state == nullptr)
        return;
    const auto setValue = [](const char* symbol, void* user, const void* value, std::uint32_t size, std::uint32_t) {
        auto& self = *static_cast<Lv2HostedPlugin*>(user);
        for (std::size_t i = 0; i < self.controlPorts.size(); ++i) {
            const LilvPort* port = lilv_plugin_get_port_by_index(self.lilvPlugin, self.controlPorts[i]);
            const char* portSymbol = lilv_node_as_string(lilv_port_get_symbol(self.lilvPlugin, port));
            if (size == sizeof(float) && std::strcmp(portSymbol, symbol) == 0)
                std::memcpy(&self.controlValues[i], value, sizeof(float));
        }
    };
    const LV2_Feature* features[] = {uridMap.mapFeature(), nullptr};
    lilv_state_restore(state, lilvInstance, setValue, this, 0, features);
    lilv_state_free(state);
    currentProgram = program;
}

std::string Lv2HostedPlugin::programName()
{
    if (presets.empty())
        return std::string();
    const Node preset(lilv_new_uri(lilvWorld, presets[static_cast<std::size_t>(currentProgram)].c_str()));
    lilv_world_load_resource(lilvWorld, preset.node);
    const Node label(lilv_new_uri(lilvWorld, LILV_NS_RDFS "label"));
    LilvNode* name = lilv_world_get(lilvWorld, preset.node, label.node, nullptr);
    const std::string result = text(name);
    lilv_node_free(name);
    return result;
}

// ---- Life cycle and audio ----

void Lv2HostedPlugin::instantiate()
{
    if (lilvInstance != nullptr)
        lilv_instance_free(lilvInstance);
    const LV2_Feature* features[] = {uridMap.mapFeature(), uridMap.unmapFeature(), nullptr};
    lilvInstance = lilv_plugin_instantiate(lilvPlugin, sampleRate, features);
    if (lilvInstance == nullptr)
        throw std::runtime_error("the LV2 plug-in did not instantiate at " + std::to_string(sampleRate) + " Hz");
    instanceRate = sampleRate;
    for (std::size_t i = 0; i < controlPorts.size(); ++i)
        lilv_instance_connect_port(lilvInstance, controlPorts[i], &controlValues[i]);
    for (std::size_t i = 0; i < controlOutputs.size(); ++i)
        lilv_instance_connect_port(lilvInstance, controlOutputs[i], &controlOutputValues[i]);
    // The selected program's state (its number and name) goes into the new
    // instance; the ports keep the host's values.
    if (LilvState* state = presetState(currentProgram)) {
        const LV2_Feature* restoreFeatures[] = {uridMap.mapFeature(), nullptr};
        lilv_state_restore(state, lilvInstance, nullptr, nullptr, 0, restoreFeatures);
        lilv_state_free(state);
    }
}

float Lv2HostedPlugin::reportedLatency() const
{
    return latencyOutput >= 0 ? controlOutputValues[static_cast<std::size_t>(latencyOutput)] : 0.0f;
}

void Lv2HostedPlugin::resume()
{
    if (lilvInstance == nullptr || instanceRate != sampleRate)
        instantiate();
    if (!active)
        lilv_instance_activate(lilvInstance);
    active = true;
}

void Lv2HostedPlugin::suspend()
{
    if (active)
        lilv_instance_deactivate(lilvInstance);
    active = false;
}

void Lv2HostedPlugin::process(float** inputs, float** outputs, int frames)
{
    for (std::size_t c = 0; c < audioInputs.size(); ++c)
        lilv_instance_connect_port(lilvInstance, audioInputs[c], inputs[std::min<std::size_t>(c, 1)]);
    for (std::size_t c = 0; c < audioOutputs.size(); ++c)
        lilv_instance_connect_port(lilvInstance, audioOutputs[c], outputs[std::min<std::size_t>(c, 1)]);
    lilv_instance_run(lilvInstance, static_cast<std::uint32_t>(frames));
}

// LV2 audio is 32-bit: 64-bit samples pass through floats.
void Lv2HostedPlugin::process(double** inputs, double** outputs, int frames)
{
    const auto n = static_cast<std::size_t>(frames);
    scratch.resize(4 * n);
    float* in[2] = {scratch.data(), scratch.data() + n};
    float* out[2] = {scratch.data() + 2 * n, scratch.data() + 3 * n};
    for (std::size_t c = 0; c < 2; ++c)
        std::transform(inputs[c], inputs[c] + n, in[c], [](double x) { return static_cast<float>(x); });
    process(in, out, frames);
    for (std::size_t c = 0; c < 2; ++c)
        std::copy(out[c], out[c] + n, outputs[c]);
}

}  // namespace quenchbox::host
