#ifndef QUENCHBOX_FORMATS_CLAP_CLAPPRESETDISCOVERY_H
#define QUENCHBOX_FORMATS_CLAP_CLAPPRESETDISCOVERY_H

#include "formats/clap/ClapInterface.h"

// The preset-discovery factory: one provider that tells a host's preset
// browser about the sixteen factory programs, presets inside the plug-in
// loaded by their number ("0" to "15") through preset-load. It needs no
// plug-in instance, and each provider it creates is independent of the others.
namespace quenchbox::clap {

constexpr const char kPluginId[] = "example.zuk.quenchbox-rz";

const clap_preset_discovery_factory_t* presetDiscoveryFactory();

}  // namespace quenchbox::clap

#endif
