// The library's one export, clap_entry, and the factories behind it: the
// plug-in factory, which describes the plug-in and creates its instances,
// and the preset-discovery factory.

#include "formats/clap/ClapInterface.h"
#include "formats/clap/ClapPlugin.h"
#include "formats/clap/ClapPresetDiscovery.h"

#include "QuenchboxVersion.h"

#include <cstring>
#include <new>

#if defined(_WIN32)
#define QUENCHBOX_CLAP_EXPORT __declspec(dllexport)
#else
#define QUENCHBOX_CLAP_EXPORT __attribute__((visibility("default")))
#endif

namespace {

using quenchbox::clap::ClapPlugin;
using quenchbox::clap::kPluginId;

constexpr const char* kFeatures[] = {"audio-effect", "distortion", "stereo", "mono", nullptr};

const clap_plugin_descriptor_t kDescriptor = {
    CLAP_VERSION_INIT,
    kPluginId,
    "Quenchbox RZ",
    "ZUK",
    "",
    "",
    "",
    QUENCHBOX_VERSION,
    "Virtual-analog guitar distortion: a circuit model of a drive pedal with an LED clipper",
    kFeatures,
};

std::uint32_t pluginCount(const clap_plugin_factory_t*) { return 1; }

const clap_plugin_descriptor_t* pluginDescriptor(const clap_plugin_factory_t*, std::uint32_t index)
{
    return index == 0 ? &kDescriptor : nullptr;
}

const clap_plugin_t* createPlugin(const clap_plugin_factory_t*, const clap_host_t* host, const char* pluginId)
{
    if (host == nullptr || !clap_version_is_compatible(host->clap_version) || pluginId == nullptr
        || std::strcmp(pluginId, kDescriptor.id) != 0)
        return nullptr;
    ClapPlugin* plugin = new (std::nothrow) ClapPlugin(host, &kDescriptor);
    return plugin ? plugin->record() : nullptr;
}

const clap_plugin_factory_t kFactory = {pluginCount, pluginDescriptor, createPlugin};

bool entryInit(const char* /*pluginPath*/) { return true; }

void entryDeinit() {}

const void* entryFactory(const char* factoryId)
{
    if (factoryId == nullptr)
        return nullptr;
    if (std::strcmp(factoryId, CLAP_PLUGIN_FACTORY_ID) == 0)
        return &kFactory;
    if (std::strcmp(factoryId, CLAP_PRESET_DISCOVERY_FACTORY_ID) == 0
        || std::strcmp(factoryId, CLAP_PRESET_DISCOVERY_FACTORY_ID_COMPAT) == 0)
        return quenchbox::clap::presetDiscoveryFactory();
    return nullptr;
}

}  // namespace

extern "C" QUENCHBOX_CLAP_EXPORT const clap_plugin_entry_t clap_entry = {
    CLAP_VERSION_INIT,
    entryInit,
    entryDeinit,
    entryFactory,
};
