#include "formats/shared/EffectAdapter.h"

#include "formats/shared/Latency.h"
#include "formats/shared/ParameterDescriptions.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace quenchbox::formats {

namespace {

constexpr std::uint32_t kChannelCount = 2;

void runEffect(effect::QuenchboxEffect& effect, float** inputs, float** outputs, VstInt32 frames)
{
    effect.processReplacing(inputs, outputs, frames);
}

void runEffect(effect::QuenchboxEffect& effect, double** inputs, double** outputs, VstInt32 frames)
{
    effect.processDoubleReplacing(inputs, outputs, frames);
}

}  // namespace

EffectAdapter::~EffectAdapter() = default;

bool EffectAdapter::create()
{
    if (effect)
        return true;
    try {
        effect = std::make_unique<effect::QuenchboxEffect>(effectCallback);
    } catch (const std::bad_alloc&) {
        return false;
    }
    // The record's user field belongs to whoever hosts the effect: here, us.
    effect->getAeffect()->user = this;
    noteOversample(effect->getParameter(effect::kOversample));
    return true;
}

AEffEditor* EffectAdapter::editor() const { return effect ? effect->getEditor() : nullptr; }

// ---- Life cycle ----

void EffectAdapter::activate(double sampleRate, std::uint32_t maxFrames)
{
    effect->setSampleRate(static_cast<float>(sampleRate));
    effect->setBlockSize(static_cast<VstInt32>(std::min<std::uint32_t>(maxFrames, INT32_MAX)));
    effect->resume();
}

void EffectAdapter::deactivate() { effect->suspend(); }

void EffectAdapter::clearProcessingState() { effect->clearProcessingState(); }

// ---- Parameters ----

void EffectAdapter::setParameter(int index, double value)
{
    if (!effect::isParameterIndex(index))
        return;
    const float v = sanitizeValue(index, value);
    effect->setParameter(index, v);
    if (index == effect::kOversample)
        noteOversample(v);
}

double EffectAdapter::parameter(int index) const
{
    return effect::isParameterIndex(index) ? effect->getParameter(index) : 0.0;
}

void EffectAdapter::noteOversample(float value)
{
    oversampleLatency.store(latencyFrames(value), std::memory_order_relaxed);
}

// ---- Programs ----

int EffectAdapter::program() const { return effect->getProgram(); }

void EffectAdapter::selectProgram(int program)
{
    if (!effect::programs::isProgramIndex(program))
        return;
    effect->setProgram(program);
    noteOversample(effect->getParameter(effect::kOversample));
}

std::string EffectAdapter::programName() const
{
    char name[effect::kProgramNameLength + 1] = {};
    effect->getProgramName(name);
    return name;
}

// ---- State ----

EncodedState EffectAdapter::saveState() const
{
    EffectState state;
    state.program = effect->getProgram();
    char name[effect::kProgramNameLength + 1];
    effect->getProgramName(name);
    std::memcpy(state.programName, name, effect::kProgramNameLength);
    for (int i = 0; i < effect::kParameterCount; ++i)
        state.values[i] = effect->getParameter(i);
    return encodeState(state);
}

bool EffectAdapter::loadState(const std::uint8_t* bytes, std::size_t size)
{
    EffectState state;
    if (bytes == nullptr || !decodeState(bytes, size, state))
        return false;
    // What a VST2 host does to restore a project: select the program, give it
    // its name, set every parameter.
    effect->setProgram(state.program);
    char name[effect::kProgramNameLength + 1];
    std::memcpy(name, state.programName, effect::kProgramNameLength);
    name[effect::kProgramNameLength] = '\0';
    effect->setProgramName(name);
    for (int i = 0; i < effect::kParameterCount; ++i)
        setParameter(i, state.values[i]);
    return true;
}

// ---- Audio ----

template <typename Sample>
void EffectAdapter::run(Sample* const* inputs, std::uint32_t inputChannels, Sample* const* outputs,
                        std::uint32_t outputChannels, std::uint32_t from, std::uint32_t to)
{
    if (to <= from || outputChannels == 0)
        return;
    const std::uint32_t frames = to - from;
    Sample* out[kChannelCount] = {outputs[0] + from, outputChannels >= 2 ? outputs[1] + from : nullptr};
    Sample* in[kChannelCount] = {};
    const bool silentInput = inputChannels == 0 || inputs == nullptr || inputs[0] == nullptr;
    if (silentInput) {
        for (Sample* channel : out)
            if (channel != nullptr)
                std::fill(channel, channel + frames, Sample(0));
        in[0] = out[0];
        in[1] = out[1] ? out[1] : out[0];
    } else {
        in[0] = inputs[0] + from;
        in[1] = inputChannels >= 2 && inputs[1] != nullptr ? inputs[1] + from : nullptr;
    }
    for (std::uint32_t c = kChannelCount; c < outputChannels; ++c)
        std::fill(outputs[c] + from, outputs[c] + to, Sample(0));
    runEffect(*effect, in, out, static_cast<VstInt32>(frames));
    if (in[1] == nullptr && out[1] != nullptr)
        std::copy(out[0], out[0] + frames, out[1]);
}

template void EffectAdapter::run<float>(float* const*, std::uint32_t, float* const*, std::uint32_t, std::uint32_t,
                                        std::uint32_t);
template void EffectAdapter::run<double>(double* const*, std::uint32_t, double* const*, std::uint32_t,
                                         std::uint32_t, std::uint32_t);

// ---- The editor's changes ----

VstIntPtr VSTCALLBACK EffectAdapter::effectCallback(AEffect* record, VstInt32 opcode, VstInt32 index,
                                                    VstIntPtr /*value*/, void* /*ptr*/, float opt)
{
    if (opcode == audioMasterVersion)
        return kVstVersion;
    auto* adapter = record ? static_cast<EffectAdapter*>(record->user) : nullptr;
    if (adapter == nullptr || !effect::isParameterIndex(index))
        return 0;
    const auto parameter = static_cast<std::uint32_t>(index);
    switch (opcode) {
    case audioMasterAutomate:
        if (parameter == effect::kOversample)
            adapter->noteOversample(opt);
        adapter->editorChanged({EditorEvent::Kind::value, parameter, opt});
        return 0;
    case audioMasterBeginEdit:
        adapter->editorChanged({EditorEvent::Kind::gestureBegin, parameter, 0.0f});
        return 1;
    case audioMasterEndEdit:
        adapter->editorChanged({EditorEvent::Kind::gestureEnd, parameter, 0.0f});
        return 1;
    default:
        return 0;
    }
}

void EffectAdapter::editorChanged(const EditorEvent& event)
{
    editorEvents.push(event);
    if (editorListener != nullptr)
        editorListener->editorChanged();
}

}  // namespace quenchbox::formats
