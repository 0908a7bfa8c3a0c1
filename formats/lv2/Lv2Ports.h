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

// The three stage meters behind the editor's icons, reported to the UI:
// the clipping LEDs' current in amperes, and the drive of op-amp stages A
// and B (1 is full strength), as the effect follows them.
constexpr int kMeterCount = 3;

// Audio first, then the sixteen parameters in their index order (their
// symbols are the parameter table's), then the latency the plug-in
// reports, then the meters (added last, so that saved sessions keep the
// indices before them).
enum PortIndex : std::uint32_t {
    kInputLeft,
    kInputRight,
    kOutputLeft,
    kOutputRight,
    kFirstControl,
    kLatencyPort = kFirstControl + effect::kParameterCount,
    kClipMeterPort,
    kStageAMeterPort,
    kStageBMeterPort,
    kPortCount
};
static_assert(kPortCount - kClipMeterPort == kMeterCount);

constexpr bool isControlPort(std::uint32_t port) { return port >= kFirstControl && port < kLatencyPort; }
constexpr bool isMeterPort(std::uint32_t port) { return port >= kClipMeterPort && port < kPortCount; }
constexpr int parameterOfPort(std::uint32_t port) { return static_cast<int>(port - kFirstControl); }
constexpr std::uint32_t portOfParameter(int parameter) { return kFirstControl + static_cast<std::uint32_t>(parameter); }

// The meters' symbols and names, in port order: stable, like the controls'.
constexpr const char* kMeterSymbols[kMeterCount] = {"clip_meter", "stage_a_meter", "stage_b_meter"};
constexpr const char* kMeterNames[kMeterCount] = {"Clipping meter", "Stage A meter", "Stage B meter"};

}  // namespace quenchbox::lv2

#endif
