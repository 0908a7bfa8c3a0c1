#include "formats/lv2/Lv2Plugin.h"

#include "effect/ParameterMapping.h"
#include "formats/shared/StateCodec.h"

#include <lv2/atom/atom.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace quenchbox::lv2 {

namespace {

// Rates a circuit model of this kind makes sense at (as the CLAP build).
// LV2 names no largest block; the effect sizes nothing by it.
constexpr std::uint32_t kNominalBlock = 4096;

std::uint32_t bitsOf(float value)
{
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof(bits));
    return bits;
}

const LV2_URID_Map* findMap(const LV2_Feature* const* features)
{
    for (const LV2_Feature* const* f = features; f != nullptr && *f != nullptr; ++f)
        if ((*f)->URI != nullptr && std::strcmp((*f)->URI, LV2_URID__map) == 0 && (*f)->data != nullptr)
            return static_cast<const LV2_URID_Map*>((*f)->data);
    return nullptr;
}

}  // namespace

Lv2Plugin* Lv2Plugin::create(double sampleRate, const LV2_Feature* const* features)
{
    if (!effect::isSupportedSampleRate(sampleRate))
        return nullptr;
    auto* plugin = new (std::nothrow) Lv2Plugin(sampleRate, findMap(features));
    if (plugin != nullptr && !plugin->created()) {
        delete plugin;
        return nullptr;
    }
    for (int i = 0; plugin != nullptr && i < effect::kParameterCount; ++i)
        plugin->applied[i] = bitsOf(static_cast<float>(plugin->adapter.parameter(i)));
    return plugin;
}

Lv2Plugin::Lv2Plugin(double sampleRate, const LV2_URID_Map* map) : rate(sampleRate)
{
    if (map != nullptr && map->map != nullptr) {
        programKey = map->map(map->handle, kProgramKeyUri);
        programNameKey = map->map(map->handle, kProgramNameKeyUri);
        intType = map->map(map->handle, LV2_ATOM__Int);
        stringType = map->map(map->handle, LV2_ATOM__String);
    }
}

Lv2Plugin* Lv2Plugin::of(LV2_Handle handle) { return static_cast<Lv2Plugin*>(handle); }

void Lv2Plugin::destroy(LV2_Handle handle) { delete of(handle); }

// ---- Ports ----

void Lv2Plugin::connect(std::uint32_t port, void* data)
{
    if (port <= kOutputRight)
        audio[port] = static_cast<float*>(data);
    else if (isControlPort(port))
        controls[parameterOfPort(port)] = static_cast<const float*>(data);
    else if (port == kLatencyPort)
        latencyOutput = static_cast<float*>(data);
    else if (isMeterPort(port))
        meterOutputs[port - kClipMeterPort] = static_cast<float*>(data);
}

// ---- Life cycle ----

void Lv2Plugin::activate()
{
    adapter.activate(rate, kNominalBlock);
    // The first block after activation starts from an empty circuit and
    // applies every value at once, as after a VST2 host's resume.
    adapter.clearProcessingState();
    active = true;
}

void Lv2Plugin::deactivate()
{
    if (active)
        adapter.deactivate();
    active = false;
}

// ---- Processing ----

void Lv2Plugin::run(std::uint32_t frames)
{
    applyControls();
    reportLatency();
    float* const inputs[2] = {audio[kInputLeft], audio[kInputRight]};
    float* const outputs[2] = {audio[kOutputLeft], audio[kOutputRight]};
    if (frames > 0 && (!active || outputs[0] == nullptr || outputs[1] == nullptr))
        silenceOutputs(frames);
    else if (frames > 0)
        adapter.run(inputs, 2, outputs, 2, 0, frames);
    reportMeters();
}

void Lv2Plugin::applyControls()
{
    const std::uint32_t again = reapply.exchange(0, std::memory_order_acquire);
    for (int i = 0; i < effect::kParameterCount; ++i) {
        if (controls[i] == nullptr)
            continue;
        const float value = *controls[i];
        if ((again & (1u << i)) == 0 && bitsOf(value) == applied[i])
            continue;
        applied[i] = bitsOf(value);
        adapter.setParameter(i, value);
    }
}

void Lv2Plugin::reportLatency()
{
    if (latencyOutput != nullptr)
        *latencyOutput = static_cast<float>(adapter.latency());
}

void Lv2Plugin::reportMeters()
{
    const effect::StageMeters meters = adapter.stageMeters();
    const double readings[kMeterCount] = {meters.solver, meters.stageA, meters.stageB};
    for (int i = 0; i < kMeterCount; ++i)
        if (meterOutputs[i] != nullptr)
            *meterOutputs[i] = static_cast<float>(readings[i]);
}

void Lv2Plugin::silenceOutputs(std::uint32_t frames)
{
    for (std::uint32_t port : {kOutputLeft, kOutputRight})
        if (audio[port] != nullptr)
            std::fill(audio[port], audio[port] + frames, 0.0f);
}

// ---- State: the program and its name; the ports carry the values ----

LV2_State_Status Lv2Plugin::save(LV2_State_Store_Function store, LV2_State_Handle state)
{
    if (programKey == 0)
        return LV2_STATE_ERR_NO_FEATURE;
    if (store == nullptr)
        return LV2_STATE_ERR_UNKNOWN;
    const std::int32_t program = adapter.program();
    const std::string name = adapter.programName();
    const std::uint32_t flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
    const LV2_State_Status stored = store(state, programKey, &program, sizeof(program), intType, flags);
    if (stored != LV2_STATE_SUCCESS)
        return stored;
    return store(state, programNameKey, name.c_str(), name.size() + 1, stringType, flags);
}

LV2_State_Status Lv2Plugin::restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle state)
{
    if (programKey == 0)
        return LV2_STATE_ERR_NO_FEATURE;
    if (retrieve == nullptr)
        return LV2_STATE_ERR_UNKNOWN;
    std::size_t programSize = 0;
    std::size_t nameSize = 0;
    std::uint32_t programType = 0;
    std::uint32_t nameType = 0;
    std::uint32_t flags = 0;
    const void* program = retrieve(state, programKey, &programSize, &programType, &flags);
    const void* name = retrieve(state, programNameKey, &nameSize, &nameType, &flags);
    if (program == nullptr || name == nullptr)
        return LV2_STATE_ERR_NO_PROPERTY;
    if (programType != intType || programSize != sizeof(std::int32_t) || nameType != stringType)
        return LV2_STATE_ERR_BAD_TYPE;
    // The name: at most the program name's length, then its terminator.
    const auto* nameBytes = static_cast<const char*>(name);
    if (nameSize == 0 || nameSize > effect::kProgramNameLength + 1 || nameBytes[nameSize - 1] != '\0'
        || std::strlen(nameBytes) != nameSize - 1)
        return LV2_STATE_ERR_UNKNOWN;

    // The record the adapter restores: the program, its name and the values
    // the instance holds now (the ports bring theirs at the next run). The
    // codec refuses a program number outside the table.
    formats::EffectState restored;
    std::memcpy(&restored.program, program, sizeof(restored.program));
    std::memcpy(restored.programName, nameBytes, nameSize - 1);
    for (int i = 0; i < effect::kParameterCount; ++i)
        restored.values[i] = static_cast<float>(adapter.parameter(i));
    const formats::EncodedState bytes = formats::encodeState(restored);
    if (!adapter.loadState(bytes.data(), bytes.size()))
        return LV2_STATE_ERR_UNKNOWN;
    reapply.store((1u << effect::kParameterCount) - 1, std::memory_order_release);
    return LV2_STATE_SUCCESS;
}

const void* Lv2Plugin::extension(const char* uri)
{
    static const LV2_State_Interface stateInterface = {
        [](LV2_Handle h, LV2_State_Store_Function store, LV2_State_Handle state, std::uint32_t,
           const LV2_Feature* const*) { return of(h)->save(store, state); },
        [](LV2_Handle h, LV2_State_Retrieve_Function retrieve, LV2_State_Handle state, std::uint32_t,
           const LV2_Feature* const*) { return of(h)->restore(retrieve, state); },
    };
    return uri != nullptr && std::strcmp(uri, LV2_STATE__interface) == 0 ? &stateInterface : nullptr;
}

}  // namespace quenchbox::lv2
