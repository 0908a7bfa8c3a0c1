#include "host/ClapPresetIndex.h"

#include "host/ClapInstance.h"


namespace quenchbox::host {

namespace {

std::string text(const char* maybeNull) { return maybeNull != nullptr ? maybeNull : ""; }

// The receiver of one get_metadata call: presets go to the index until the limit.
class MetadataReceiver {
public:
    MetadataReceiver(PresetIndex& index, std::size_t limit);
    const clap_preset_discovery_metadata_receiver_t* record() const { return &receiver; }

private:
    static MetadataReceiver& of(const clap_preset_discovery_metadata_receiver_t* r)
    {
        return *static_cast<MetadataReceiver*>(r->receiver_data);
    }
    // Metadata before any begin_preset has no preset to belong to.
    DiscoveredPreset* current() { return began ? &index.presets.back() : nullptr; }

    PresetIndex& index;
    std::size_t limit;
    bool began = false;
    clap_preset_discovery_metadata_receiver_t receiver;
};

MetadataReceiver::MetadataReceiver(PresetIndex& presetIndex, std::size_t presetLimit)
    : index(presetIndex), limit(presetLimit), receiver{}
{
    receiver.receiver_data = this;
    receiver.on_error = [](const clap_preset_discovery_metadata_receiver_t* r, std::int32_t, const char* message) {
        of(r).index.errors.push_back(text(message));
    };
    receiver.begin_preset = [](const clap_preset_discovery_metadata_receiver_t* r, const char* name,
                               const char* loadKey) {
        MetadataReceiver& self = of(r);
        if (self.index.presets.size() >= self.limit)
            return false;
        self.index.presets.push_back({text(name), text(loadKey), {}, 0, false});
        self.began = true;
        return true;
    };
    receiver.add_plugin_id = [](const clap_preset_discovery_metadata_receiver_t* r,
                                const clap_universal_plugin_id_t* id) {
        if (DiscoveredPreset* preset = of(r).current(); preset != nullptr && id != nullptr)
            preset->pluginIds.push_back(text(id->abi) + ":" + text(id->id));
    };
    receiver.set_soundpack_id = [](const clap_preset_discovery_metadata_receiver_t*, const char*) {};
    receiver.set_flags = [](const clap_preset_discovery_metadata_receiver_t* r, std::uint32_t flags) {
        if (DiscoveredPreset* preset = of(r).current()) {
            preset->flags = flags;
            preset->flagsSet = true;
        }
    };
    receiver.add_creator = [](const clap_preset_discovery_metadata_receiver_t*, const char*) {};
    receiver.set_description = [](const clap_preset_discovery_metadata_receiver_t*, const char*) {};
    receiver.set_timestamps = [](const clap_preset_discovery_metadata_receiver_t*, clap_timestamp_t,
                                 clap_timestamp_t) {};
    receiver.add_feature = [](const clap_preset_discovery_metadata_receiver_t*, const char*) {};
    receiver.add_extra_info = [](const clap_preset_discovery_metadata_receiver_t*, const char*, const char*) {};
}

void indexProvider(const clap_preset_discovery_factory_t& factory, const char* providerId, PresetIndex& index,
                   std::size_t presetLimit)
{
    ClapIndexer indexer(index);
    indexer.setProvider(providerId);
    const clap_preset_discovery_provider_t* provider = factory.create(&factory, indexer.record(), providerId);
    if (provider == nullptr) {
        index.errors.push_back(std::string("the provider ") + providerId + " was not created");
        return;
    }
    const std::size_t firstLocation = index.locations.size();
    if (!provider->init(provider))
        index.errors.push_back(std::string("the provider ") + providerId + " did not initialise");
    else
        for (std::size_t l = firstLocation; l < index.locations.size(); ++l) {
            const DiscoveredLocation& location = index.locations[l];
            MetadataReceiver receiver(index, presetLimit);
            if (!provider->get_metadata(provider, location.kind, location.hasPath ? location.path.c_str() : nullptr,
                                        receiver.record()))
                index.errors.push_back("no metadata for the location " + location.name);
        }
    provider->destroy(provider);
}

}  // namespace

ClapIndexer::ClapIndexer(PresetIndex& presetIndex) : index(presetIndex), indexer{}
{
    nameThisHost(indexer);
    indexer.indexer_data = this;
    indexer.declare_filetype = [](const clap_preset_discovery_indexer_t*, const clap_preset_discovery_filetype_t*) {
        return true;
    };
    indexer.declare_location = [](const clap_preset_discovery_indexer_t* i,
                                  const clap_preset_discovery_location_t* location) {
        if (location == nullptr)
            return false;
        auto& self = *static_cast<ClapIndexer*>(i->indexer_data);
        self.index.locations.push_back({self.provider, location->flags, text(location->name), location->kind,
                                        location->location != nullptr, text(location->location)});
        return true;
    };
    indexer.declare_soundpack = [](const clap_preset_discovery_indexer_t*,
                                   const clap_preset_discovery_soundpack_t*) { return true; };
    indexer.get_extension = [](const clap_preset_discovery_indexer_t*, const char*) -> const void* {
        return nullptr;
    };
}

PresetIndex indexPresets(const clap_plugin_entry_t& entry, std::size_t presetLimit)
{
    PresetIndex index;
    const auto* factory =
        static_cast<const clap_preset_discovery_factory_t*>(entry.get_factory(CLAP_PRESET_DISCOVERY_FACTORY_ID));
    if (factory == nullptr)
        return index;
    for (std::uint32_t p = 0; p < factory->count(factory); ++p)
        if (const clap_preset_discovery_provider_descriptor_t* descriptor = factory->get_descriptor(factory, p))
            indexProvider(*factory, descriptor->id, index, presetLimit);
    return index;
}

}  // namespace quenchbox::host
