#ifndef QUENCHBOX_HOST_CLAPPRESETINDEX_H
#define QUENCHBOX_HOST_CLAPPRESETINDEX_H

#include "formats/clap/ClapInterface.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quenchbox::host {

struct DiscoveredLocation {
    std::string provider;  // the id of the provider that declared it
    std::uint32_t flags;
    std::string name;
    std::uint32_t kind;
    bool hasPath;
    std::string path;
};

struct DiscoveredPreset {
    std::string name;
    std::string loadKey;
    std::vector<std::string> pluginIds;  // "abi:id"
    std::uint32_t flags;
    bool flagsSet;
};

// What a host's preset browser learns from a CLAP library: every provider of
// its preset-discovery factory created, initialised, asked for the metadata
// of each location it declared, and destroyed.
struct PresetIndex {
    std::vector<DiscoveredLocation> locations;
    std::vector<DiscoveredPreset> presets;
    std::vector<std::string> errors;  // what providers reported or refused
};

// An entry without the factory gives an empty index. presetLimit is where
// the receiver stops accepting presets, as a host with a full browser would.
PresetIndex indexPresets(const clap_plugin_entry_t& entry, std::size_t presetLimit = SIZE_MAX);

// The indexer record such a host hands to create; declarations go to index.
class ClapIndexer {
public:
    explicit ClapIndexer(PresetIndex& index);
    const clap_preset_discovery_indexer_t* record() const { return &indexer; }
    void setProvider(const std::string& id) { provider = id; }

private:
    PresetIndex& index;
    std::string provider;
    clap_preset_discovery_indexer_t indexer;
};

}  // namespace quenchbox::host

#endif
