#ifndef QUENCHBOX_FORMATS_LV2_LV2PLUGIN_H
#define QUENCHBOX_FORMATS_LV2_LV2PLUGIN_H

#include "formats/lv2/Lv2Ports.h"
#include "formats/shared/EffectAdapter.h"

#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <atomic>
#include <cstdint>

namespace quenchbox::lv2 {

// One LV2 instance: translates the host's calls into the shared adapter's,
// which owns the effect. The ports are read at every run; a control whose
// value differs from the one last applied reaches the effect as a parameter
// change, so glides and the change mask behave as in the other builds. The
// effect carries no editor here: the UI is a binary of its own and meets
// the instance only through the ports, the meters among them.
class Lv2Plugin {
public:
    // Null when the rate is no rate or memory ran out. Every feature is optional.
    static Lv2Plugin* create(double sampleRate, const LV2_Feature* const* features);

    Lv2Plugin(const Lv2Plugin&) = delete;
    Lv2Plugin& operator=(const Lv2Plugin&) = delete;

    LV2_Handle handle() { return this; }
    static Lv2Plugin* of(LV2_Handle handle);
    static void destroy(LV2_Handle handle);

    void connect(std::uint32_t port, void* data);
    void activate();
    void run(std::uint32_t frames);
    void deactivate();

    LV2_State_Status save(LV2_State_Store_Function store, LV2_State_Handle state);
    LV2_State_Status restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle state);

    // The extension data a host may ask of any instance.
    static const void* extension(const char* uri);

private:
    Lv2Plugin(double sampleRate, const LV2_URID_Map* map);
    bool created() { return adapter.create(); }

    void applyControls();
    void reportLatency();
    void reportMeters();
    void silenceOutputs(std::uint32_t frames);

    formats::EffectAdapter adapter;
    double rate;
    bool active = false;

    float* audio[4] = {};  // in left, in right, out left, out right
    const float* controls[effect::kParameterCount] = {};
    float* latencyOutput = nullptr;
    float* meterOutputs[kMeterCount] = {};
    // The bits of each control's value as last applied, and the controls
    // to apply at the next run whatever their value: all after a restored
    // state, so that the ports stay what the effect plays.
    std::uint32_t applied[effect::kParameterCount] = {};
    std::atomic<std::uint32_t> reapply{0};

    LV2_URID programKey = 0;
    LV2_URID programNameKey = 0;
    LV2_URID intType = 0;
    LV2_URID stringType = 0;
};

}  // namespace quenchbox::lv2

#endif
