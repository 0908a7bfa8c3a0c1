#include "host/ClapHostedPlugin.h"

#include "effect/Programs.h"
#include "formats/shared/StateCodec.h"
#include "host/ClapPresetIndex.h"
#include "host/PluginLibrary.h"
#include "host/Lv2HostedPlugin.h"
#include "host/Vst3HostedPlugin.h"
#include "host/VstPlugin.h"

#include <dlfcn.h>

#include <cstring>
#include <stdexcept>
#include <vector>

namespace quenchbox::host {

ClapLibrary::ClapLibrary(const std::string& path) : handle(openPluginLibrary(path))
{
    if (handle == nullptr)
        throw std::runtime_error("cannot load plug-in " + path + ": " + dlerror());
    entryRecord = static_cast<const clap_plugin_entry_t*>(dlsym(handle, "clap_entry"));
    if (entryRecord == nullptr || !entryRecord->init(path.c_str())) {
        dlclose(handle);
        throw std::runtime_error(path + (entryRecord ? ": the CLAP entry did not initialise"
                                                     : " is not a CLAP plug-in (no clap_entry)"));
    }
}

ClapLibrary::~ClapLibrary()
{
    entryRecord->deinit();
    dlclose(handle);
}

namespace {

// The state of a plug-in of ours tells its program; another's reads as none.
bool readState(ClapInstance& clap, formats::EffectState& state)
{
    std::vector<std::uint8_t> bytes;
    return clap.saveState(bytes) && formats::decodeState(bytes.data(), bytes.size(), state);
}

}  // namespace

ClapHostedPlugin::ClapHostedPlugin(const std::string& path)
    : library(path), clap(ClapInstance::create(library.entry()))
{
}

// The instance goes before its library.
ClapHostedPlugin::~ClapHostedPlugin() { clap.reset(); }

std::string ClapHostedPlugin::description()
{
    const clap_plugin_descriptor_t& d = clap->descriptor();
    std::string features;
    for (const char* const* f = d.features; f && *f; ++f)
        features += std::string(features.empty() ? "" : ", ") + *f;
    return std::string("format:  CLAP\nid:      ") + d.id + "\nname:    " + d.name + "\nvendor:  " + d.vendor
           + "\nversion: " + d.version + "\nabout:   " + d.description + "\nfeatures: " + features
           + "\nlatency: " + std::to_string(clap->latency()) + " samples\n";
}

int ClapHostedPlugin::parameterCount() { return static_cast<int>(clap->parameterCount()); }

std::string ClapHostedPlugin::parameterName(int index) { return clap->parameterInfo(index).name; }

// CLAP has no unit field: a unit is part of the text.
ParameterListing ClapHostedPlugin::parameterListing(int index)
{
    const clap_param_info_t info = clap->parameterInfo(index);
    const bool stepped = (info.flags & CLAP_PARAM_IS_STEPPED) != 0;
    return {info.name, {}, stepped ? static_cast<int>(info.max_value - info.min_value) : 0,
            static_cast<float>(info.default_value), {}};
}

std::string ClapHostedPlugin::parameterDisplay(int index)
{
    const clap_id id = clap->parameterInfo(index).id;
    return clap->text(id, clap->value(id));
}

float ClapHostedPlugin::parameter(int index)
{
    return static_cast<float>(clap->value(clap->parameterInfo(index).id));
}

void ClapHostedPlugin::setParameter(int index, float value)
{
    pending.addValue(0, clap->parameterInfo(index).id, value);
    if (!clap->isProcessing()) {
        clap->flush(pending);
        pending.clear();
    }
}

int ClapHostedPlugin::programCount()
{
    formats::EffectState state;
    const bool hasPrograms = clap->extension<clap_plugin_preset_load_t>(CLAP_EXT_PRESET_LOAD) != nullptr;
    return hasPrograms && readState(*clap, state) ? effect::kProgramCount : 0;
}

int ClapHostedPlugin::program()
{
    formats::EffectState state;
    return readState(*clap, state) ? state.program : 0;
}

void ClapHostedPlugin::setProgram(int program)
{
    if (const auto* presets = clap->extension<clap_plugin_preset_load_t>(CLAP_EXT_PRESET_LOAD))
        presets->from_location(clap->plugin(), CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr,
                               std::to_string(program).c_str());
}

std::string ClapHostedPlugin::programName()
{
    formats::EffectState state;
    if (!readState(*clap, state))
        return std::string();
    return std::string(state.programName, strnlen(state.programName, sizeof(state.programName)));
}

void ClapHostedPlugin::resume()
{
    if (!clap->activate(sampleRate, 1, static_cast<std::uint32_t>(blockSize)) || !clap->startProcessing())
        throw std::runtime_error("the CLAP plug-in did not start at " + std::to_string(sampleRate) + " Hz");
}

void ClapHostedPlugin::suspend()
{
    clap->stopProcessing();
    clap->deactivate();
}

template <typename Sample>
void ClapHostedPlugin::processBlock(Sample** inputs, Sample** outputs, int frames)
{
    clap->process(inputs, outputs, static_cast<std::uint32_t>(frames), &pending);
    pending.clear();
}

void ClapHostedPlugin::process(float** inputs, float** outputs, int frames) { processBlock(inputs, outputs, frames); }

void ClapHostedPlugin::process(double** inputs, double** outputs, int frames)
{
    processBlock(inputs, outputs, frames);
}

std::unique_ptr<Plugin> loadPlugin(const std::string& path)
{
    if (Lv2HostedPlugin::isBundlePath(path))
        return std::make_unique<Lv2HostedPlugin>(path);
    const std::string suffix = ".clap";
    if (path.size() >= suffix.size() && path.compare(path.size() - suffix.size(), suffix.size(), suffix) == 0)
        return std::make_unique<ClapHostedPlugin>(path);
    if (isVst3Bundle(path))
        return std::make_unique<Vst3HostedPlugin>(path);
    return VstPlugin::load(path);
}

std::string ClapHostedPlugin::discoveredPresets()
{
    const PresetIndex index = indexPresets(library.entry());
    std::string lines;
    for (const DiscoveredLocation& location : index.locations)
        lines += "  location: " + location.name + (location.hasPath ? " (" + location.path + ")" : " (in the plug-in)")
                 + "\n";
    for (const DiscoveredPreset& preset : index.presets)
        lines += "  " + std::string(preset.loadKey.size() < 2 ? " " : "") + preset.loadKey + "  " + preset.name + "\n";
    for (const std::string& error : index.errors)
        lines += "  error: " + error + "\n";
    return lines;
}

}  // namespace quenchbox::host
