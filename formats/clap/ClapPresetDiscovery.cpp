#include "formats/clap/ClapPresetDiscovery.h"

#include "effect/Programs.h"

#include <charconv>
#include <cstring>
#include <new>

namespace quenchbox::clap {

namespace {

const clap_preset_discovery_provider_descriptor_t kProviderDescriptor = {
    CLAP_VERSION_INIT,
    "example.zuk.quenchbox-rz.factory-presets",
    "Quenchbox RZ factory programs",
    "ZUK",
};

// One provider record and the indexer it was created for.
struct FactoryProgramsProvider {
    clap_preset_discovery_provider_t record;
    const clap_preset_discovery_indexer_t* indexer;
};

const FactoryProgramsProvider& providerOf(const clap_preset_discovery_provider_t* provider)
{
    return *static_cast<const FactoryProgramsProvider*>(provider->provider_data);
}

bool declareLocation(const clap_preset_discovery_provider_t* provider)
{
    const clap_preset_discovery_location_t location = {
        CLAP_PRESET_DISCOVERY_IS_FACTORY_CONTENT,
        "Quenchbox RZ factory programs",
        CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN,
        nullptr,
    };
    const clap_preset_discovery_indexer_t* indexer = providerOf(provider).indexer;
    return indexer->declare_location != nullptr && indexer->declare_location(indexer, &location);
}

// Each program with the name it ships with, never a rename made in some
// instance: the index is the same whichever process builds it. Nothing here
// allocates or throws, as nothing may cross the interface.
bool reportPrograms(const clap_preset_discovery_metadata_receiver_t* receiver)
{
    const clap_universal_plugin_id_t plugin = {"clap", kPluginId};
    for (int program = 0; program < effect::kProgramCount; ++program) {
        char name[effect::kProgramNameLength + 1];
        effect::programs::copyFactoryName(program, name);
        char loadKey[4] = {};
        std::to_chars(loadKey, loadKey + sizeof(loadKey) - 1, program);
        if (!receiver->begin_preset(receiver, name, loadKey))
            break;
        receiver->add_plugin_id(receiver, &plugin);
        receiver->set_flags(receiver, CLAP_PRESET_DISCOVERY_IS_FACTORY_CONTENT);
    }
    return true;
}

bool metadata(const clap_preset_discovery_provider_t*, std::uint32_t locationKind, const char* location,
              const clap_preset_discovery_metadata_receiver_t* receiver)
{
    if (locationKind != CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN || location != nullptr || receiver == nullptr
        || receiver->begin_preset == nullptr || receiver->add_plugin_id == nullptr || receiver->set_flags == nullptr)
        return false;
    return reportPrograms(receiver);
}

void destroyProvider(const clap_preset_discovery_provider_t* provider)
{
    delete static_cast<const FactoryProgramsProvider*>(provider->provider_data);
}

const void* providerExtension(const clap_preset_discovery_provider_t*, const char*) { return nullptr; }

std::uint32_t providerCount(const clap_preset_discovery_factory_t*) { return 1; }

const clap_preset_discovery_provider_descriptor_t* providerDescriptor(const clap_preset_discovery_factory_t*,
                                                                      std::uint32_t index)
{
    return index == 0 ? &kProviderDescriptor : nullptr;
}

const clap_preset_discovery_provider_t* createProvider(const clap_preset_discovery_factory_t*,
                                                       const clap_preset_discovery_indexer_t* indexer,
                                                       const char* providerId)
{
    if (indexer == nullptr || !clap_version_is_compatible(indexer->clap_version) || providerId == nullptr
        || std::strcmp(providerId, kProviderDescriptor.id) != 0)
        return nullptr;
    auto* provider = new (std::nothrow) FactoryProgramsProvider{};
    if (provider == nullptr)
        return nullptr;
    provider->record = {&kProviderDescriptor, provider, declareLocation, destroyProvider, metadata, providerExtension};
    provider->indexer = indexer;
    return &provider->record;
}

const clap_preset_discovery_factory_t kFactory = {providerCount, providerDescriptor, createProvider};

}  // namespace

const clap_preset_discovery_factory_t* presetDiscoveryFactory() { return &kFactory; }

}  // namespace quenchbox::clap
