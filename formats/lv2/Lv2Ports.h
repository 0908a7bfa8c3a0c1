#ifndef QUENCHBOX_FORMATS_LV2_LV2PORTS_H
#define QUENCHBOX_FORMATS_LV2_LV2PORTS_H

#include "effect/Parameters.h"

#include <cstdint>

namespace quenchbox::lv2 {

// What the bundle's description, the plug-in and its UI agree on: the URIs
// and the port numbers. Hosts save projects by these, so none may change.
constexpr const char* kPluginUri = "http://zuk.example/plugins/quenchbox-rz";
constexpr const char* kUiUri = "http://zuk.example/plugins/quenchbox-rz#ui";
constexpr const char* kProgramKeyUri = "http://zuk.example/plugins/quenchbox-rz#program";
constexpr const char* kProgramNameKeyUri = "http://zuk.example/plugins/quenchbox-rz#programName";

// Audio first, then the sixteen parameters in their index order (their
// symbols are the parameter table's), then the latency the plug-in reports.
enum PortIndex : std::uint32_t {
    kInputLeft,
    kInputRight,
    kOutputLeft,
    kOutputRight,
    kFirstControl,
    kLatencyPort = kFirstControl + effect::kParameterCount,
    kPortCount
};

constexpr bool isControlPort(std::uint32_t port) { return port >= kFirstControl && port < kLatencyPort; }
constexpr int parameterOfPort(std::uint32_t port) { return static_cast<int>(port - kFirstControl); }
constexpr std::uint32_t portOfParameter(int parameter) { return kFirstControl + static_cast<std::uint32_t>(parameter); }

}  // namespace quenchbox::lv2

#endif
