#ifndef QUENCHBOX_TESTS_EFFECTHARNESS_H
#define QUENCHBOX_TESTS_EFFECTHARNESS_H

// A minimal host around one effect instance, driven through the record's
// entries exactly as a DAW would.

#include "effect/QuenchboxEffect.h"
#include "shell/AEffEditor.h"

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace quenchbox::testing {

inline VstIntPtr VSTCALLBACK quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

// Stands in for the real editor: lets the effect publish display copies.
class StubEditor : public AEffEditor {
public:
    explicit StubEditor(AudioEffect* owner) : AEffEditor(owner) {}
    bool onKeyDown(VstKeyCode& key) override
    {
        lastKey = key;
        return false;
    }
    VstKeyCode lastKey{};
};

class EffectHarness {
public:
    explicit EffectHarness(audioMasterCallback host = quietHost)
        : effect(new effect::QuenchboxEffect(host)), record(effect->getAeffect())
    {
    }
    ~EffectHarness()
    {
        if (record)
            record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f);
    }

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0)
    {
        return record->dispatcher(record, opcode, index, value, ptr, opt);
    }
    void set(int index, float value) { record->setParameter(record, index, value); }
    float get(int index) { return record->getParameter(record, index); }
    std::string text(VstInt32 opcode, VstInt32 index = 0)
    {
        char buffer[128] = {};
        dispatch(opcode, index, 0, buffer);
        return buffer;
    }
    // The effect without its editor, as a build without one would be.
    void removeEditor()
    {
        delete effect->getEditor();  // detaches itself and clears the has-editor flag
        effect->attachMeterHandoff(nullptr);
    }
    StubEditor* attachStubEditor()
    {
        removeEditor();
        auto* editor = new StubEditor(effect);
        effect->setEditor(editor);
        return editor;
    }
    void announceChannels(int channels)
    {
        VstSpeakerArrangement arrangement{};
        arrangement.numChannels = channels;
        dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&arrangement), &arrangement);
    }

    // One block, out of place, both channels; returns the outputs.
    template <typename Sample>
    std::vector<std::vector<Sample>> run(const std::vector<Sample>& left, const std::vector<Sample>& right)
    {
        std::vector<std::vector<Sample>> in{left, right};
        std::vector<std::vector<Sample>> out(2, std::vector<Sample>(left.size(), Sample(-7)));
        Sample* inputs[2] = {in[0].data(), in[1].data()};
        Sample* outputs[2] = {out[0].data(), out[1].data()};
        process(inputs, outputs, static_cast<VstInt32>(left.size()));
        return out;
    }
    void process(float** inputs, float** outputs, VstInt32 frames)
    {
        record->processReplacing(record, inputs, outputs, frames);
    }
    void process(double** inputs, double** outputs, VstInt32 frames)
    {
        record->processDoubleReplacing(record, inputs, outputs, frames);
    }

    effect::QuenchboxEffect* effect;
    AEffect* record;
};

template <typename Sample = double>
std::vector<Sample> sine(double frequency, double amplitude, int frames, double rate = 44100.0)
{
    std::vector<Sample> x(frames);
    for (int n = 0; n < frames; ++n)
        x[n] = static_cast<Sample>(amplitude * std::sin(2.0 * 3.14159265358979323846 * frequency * n / rate));
    return x;
}

template <typename Sample>
double rms(const std::vector<Sample>& x, std::size_t from = 0)
{
    double sum = 0.0;
    for (std::size_t n = from; n < x.size(); ++n)
        sum += static_cast<double>(x[n]) * x[n];
    return std::sqrt(sum / static_cast<double>(x.size() - from));
}

}  // namespace quenchbox::testing

#endif
