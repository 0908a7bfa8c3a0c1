// libFuzzer target: turns its input into a sequence of host calls on one
// plug-in instance of each door. The VST2 door is entered through
// VSTPluginMain as a host enters it:
// dispatcher opcodes of every kind with valid buffers or null pointers,
// parameter writes of any float, program changes and renames, sample-rate
// changes, speaker arrangements, and process calls of 0 to 8192 frames of any
// samples in both formats. Every output sample must be finite, and normal
// audio afterwards must give normal output. The same bytes then drive the
// CLAP and the VST3 doors (ClapDoor.cpp, Vst3Door.cpp).

#include "shell/Vst2.h"
#include "tests/fuzz/Doors.h"
#include "tests/fuzz/FuzzInputs.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

extern "C" AEffect* VSTPluginMain(audioMasterCallback audioMaster);

namespace {

using fuzz::fail;
using fuzz::fillFromPattern;
using fuzz::Reader;

constexpr int kMaxFrames = 8192;
constexpr int kMaxCalls = 64;
constexpr int kBufferBytes = 4096;
constexpr int kParameterCount = 16;

// The default program's values, written one by one before the normal-audio
// check so that nothing the sequence left in the shared program table
// matters.
constexpr float kDefaultValues[kParameterCount] = {1.0f, 0.33f, 0.5f, 0.5f, 0.5f, 0.5f, 0.0f, 0.5f,
                                                   1.0f, 1.0f,  0.5f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f};

VstIntPtr VSTCALLBACK host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

// The buffers a host hands over: large enough for every structure an opcode
// may fill or read, strings terminated.
struct HostBuffers {
    alignas(16) char text[kBufferBytes];
    alignas(16) char arrangementIn[kBufferBytes];
    alignas(16) char arrangementOut[kBufferBytes];
    std::vector<float> floats[4];
    std::vector<double> doubles[4];

    HostBuffers()
    {
        for (int c = 0; c < 4; ++c) {
            floats[c].resize(kMaxFrames);
            doubles[c].resize(kMaxFrames);
        }
    }
};

class Session {
public:
    Session(AEffect* instance, Reader& input) : effect(instance), in(input) {}

    void run()
    {
        for (int call = 0; call < kMaxCalls && !in.empty(); ++call)
            step(in.byte() % 8);
    }

    // Plain audio at a plain rate with every parameter set: the output must
    // be finite, bounded and as loud as a fresh instance's.
    void checkNormalAudio(double referenceRms)
    {
        for (int i = 0; i < kParameterCount; ++i)
            effect->setParameter(effect, i, kDefaultValues[i]);
        dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
        const double rms = normalAudioRms(effect);
        if (!(rms > 0.5 * referenceRms && rms < 2.0 * referenceRms))
            fail("normal audio after the sequence does not sound normal");
    }

    // A 220 Hz sine at -6 dBFS for a quarter of a second; the RMS of its
    // last 2048 frames.
    static double normalAudioRms(AEffect* effect)
    {
        constexpr int kBlock = 256;
        constexpr int kBlocks = 44;
        std::vector<float> in(kBlock);
        std::vector<float> out[2] = {std::vector<float>(kBlock), std::vector<float>(kBlock)};
        float* inputs[2] = {in.data(), in.data()};
        float* outputs[2] = {out[0].data(), out[1].data()};
        double sum = 0.0;
        for (int b = 0; b < kBlocks; ++b) {
            for (int n = 0; n < kBlock; ++n)
                in[n] = static_cast<float>(0.5 * std::sin(2.0 * 3.14159265358979 * 220.0 * (b * kBlock + n) / 44100.0));
            effect->processReplacing(effect, inputs, outputs, kBlock);
            for (int n = 0; n < kBlock; ++n) {
                if (!std::isfinite(out[0][n]) || std::fabs(out[0][n]) > 20.0f)
                    fail("normal audio after the sequence gives non-finite or unbounded output");
                if (b >= kBlocks - 8)
                    sum += static_cast<double>(out[0][n]) * out[0][n];
            }
        }
        return std::sqrt(sum / (8 * kBlock));
    }

private:
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
    {
        return effect->dispatcher(effect, opcode, index, value, ptr, opt);
    }

    void step(int kind)
    {
        switch (kind) {
        case 0: return anyOpcode();
        case 1: return effect->setParameter(effect, in.byte() % 20 - 2, in.anyFloat());
        case 2: return readParameter();
        case 3: return changeProgram();
        case 4: return dispatch(effSetSampleRate, 0, 0, nullptr, in.anyFloat()), void();
        case 5: return arrange(in.take<std::int32_t>());
        case 6: return process();
        default: return dispatch(effMainsChanged, 0, in.byte() % 2, nullptr, 0.0f), void();
        }
    }

    // Any opcode but effClose (which ends the instance), with a text buffer
    // or a null pointer; opcodes that take a pointer in value get one.
    void anyOpcode()
    {
        const std::uint8_t pick = in.byte();
        VstInt32 opcode = pick < 240 ? pick % (effGetNumMidiOutputChannels + 2) : in.take<VstInt32>();
        if (opcode == effClose)
            opcode = effOpen;
        const VstInt32 index = in.byte() < 200 ? in.byte() % 20 - 2 : in.take<VstInt32>();
        VstIntPtr value = in.byte() < 200 ? in.byte() % 20 - 2 : in.take<VstIntPtr>();
        const bool pointerValue = opcode == effSetSpeakerArrangement || opcode == effGetSpeakerArrangement;
        if (pointerValue)
            value = in.byte() % 4 ? reinterpret_cast<VstIntPtr>(buffers.arrangementIn) : 0;
        fillText();
        void* ptr = in.byte() % 4 ? static_cast<void*>(pointerValue ? buffers.arrangementOut : buffers.text) : nullptr;
        dispatch(opcode, index, value, ptr, in.anyFloat());
    }

    void fillText()
    {
        const int length = in.byte() % 40;
        for (int i = 0; i < length; ++i)
            buffers.text[i] = static_cast<char>(in.byte());
        buffers.text[length] = '\0';
        buffers.text[kBufferBytes - 1] = '\0';
    }

    void readParameter()
    {
        const VstInt32 index = in.byte() % 20 - 2;
        effect->getParameter(effect, index);
        for (VstInt32 opcode : {effGetParamDisplay, effGetParamName, effGetParamLabel}) {
            std::memset(buffers.text, 0x7f, sizeof buffers.text);
            dispatch(opcode, index, 0, buffers.text, 0.0f);
            if (std::memchr(buffers.text, '\0', 64) == nullptr && buffers.text[0] != 0x7f)
                fail("parameter text is not terminated within 64 bytes");
        }
    }

    void changeProgram()
    {
        dispatch(effSetProgram, 0, in.byte() % 20 - 2, nullptr, 0.0f);
        if (in.byte() % 2) {
            fillText();
            dispatch(effSetProgramName, 0, 0, buffers.text, 0.0f);
        }
        std::memset(buffers.text, 0x7f, sizeof buffers.text);
        dispatch(effGetProgramName, 0, 0, buffers.text, 0.0f);
        if (std::memchr(buffers.text, '\0', 25) == nullptr)
            fail("program name is not terminated within 25 bytes");
    }

    void arrange(std::int32_t channels)
    {
        VstSpeakerArrangement arrangement{};
        arrangement.numChannels = channels;
        std::memcpy(buffers.arrangementIn, &arrangement, sizeof arrangement);
        std::memcpy(buffers.arrangementOut, &arrangement, sizeof arrangement);
        dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(buffers.arrangementIn),
                 buffers.arrangementOut, 0.0f);
    }

    void process()
    {
        const int frames = in.take<std::uint16_t>() % (kMaxFrames + 1);
        const std::uint8_t layout = in.byte();
        if (layout & 1)
            processBlock(buffers.doubles, frames, layout);
        else
            processBlock(buffers.floats, frames, layout);
    }

    template <typename Sample>
    void processBlock(std::vector<Sample>* channelBuffers, int frames, std::uint8_t layout)
    {
        fillFromPattern(in, channelBuffers[0].data(), channelBuffers[1].data(), frames);
        for (int c = 2; c < 4; ++c)
            std::fill_n(channelBuffers[c].begin(), frames, Sample(0));

        const bool inPlace = layout & 2;
        const bool secondMissing = layout & 4;
        Sample* inputs[2] = {channelBuffers[0].data(), secondMissing ? nullptr : channelBuffers[1].data()};
        Sample* outputs[2] = {inPlace ? inputs[0] : channelBuffers[2].data(),
                              secondMissing ? nullptr : (inPlace ? inputs[1] : channelBuffers[3].data())};
        processWith(inputs, outputs, frames);
        for (int c = 0; c < 2; ++c)
            if (outputs[c] != nullptr)
                for (int n = 0; n < frames; ++n)
                    if (!std::isfinite(outputs[c][n]))
                        fail("non-finite output sample");
    }

    void processWith(float** inputs, float** outputs, int frames)
    {
        effect->processReplacing(effect, inputs, outputs, frames);
    }
    void processWith(double** inputs, double** outputs, int frames)
    {
        effect->processDoubleReplacing(effect, inputs, outputs, frames);
    }

    AEffect* effect;
    Reader& in;
    HostBuffers buffers;
};

double referenceRms()
{
    AEffect* effect = VSTPluginMain(host);
    for (int i = 0; i < kParameterCount; ++i)
        effect->setParameter(effect, i, kDefaultValues[i]);
    const double rms = Session::normalAudioRms(effect);
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    return rms;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const double reference = referenceRms();
    AEffect* effect = VSTPluginMain(host);
    if (effect == nullptr)
        fail("no instance");
    effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.0f);
    Reader input(data, size);
    {
        Session session(effect, input);
        session.run();
        session.checkNormalAudio(reference);
    }
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    fuzz::throughClap(data, size);
    fuzz::throughVst3(data, size);
    return 0;
}
