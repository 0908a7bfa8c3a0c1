// The built DLL as a Windows host sees it: loaded with LoadLibraryA, entered
// only through its exports, driven through the record's entries.

#include "TestPaths.h"
#include "WinTest.h"

#include "shell/Vst2.h"

#include <windows.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

using EntryPoint = AEffect* (*)(audioMasterCallback);

VstIntPtr VSTCALLBACK modernHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

VstIntPtr VSTCALLBACK ancientHost(AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float) { return 0; }

class LoadedPlugin {
public:
    LoadedPlugin() : library(LoadLibraryA(wintest::besideThisProgram("QuenchboxRZ.dll").c_str())) {}
    ~LoadedPlugin()
    {
        if (library)
            FreeLibrary(library);
    }
    LoadedPlugin(const LoadedPlugin&) = delete;
    LoadedPlugin& operator=(const LoadedPlugin&) = delete;

    bool loaded() const { return library != nullptr; }
    EntryPoint entry(const char* name) const
    {
        // Through the generic function pointer type, which any function
        // pointer converts to and back without a warning.
        return reinterpret_cast<EntryPoint>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
    }

private:
    HMODULE library;
};

VstIntPtr dispatch(AEffect* effect, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr)
{
    return effect->dispatcher(effect, opcode, index, value, ptr, 0.0f);
}

template <typename Sample>
std::vector<Sample> sine(double frequency, int frames)
{
    std::vector<Sample> x(frames);
    for (int n = 0; n < frames; ++n)
        x[n] = static_cast<Sample>(0.5 * std::sin(2.0 * 3.14159265358979323846 * frequency * n / 44100.0));
    return x;
}

// One block through the given process entry; answers whether every output
// sample is finite and the output carries signal.
template <typename Sample, typename Process>
bool processesABlock(AEffect* effect, Process process)
{
    constexpr int kFrames = 512;
    std::vector<Sample> left = sine<Sample>(220.0, kFrames);
    std::vector<Sample> right = left;
    std::vector<Sample> outLeft(kFrames, Sample(-7));
    std::vector<Sample> outRight(kFrames, Sample(-7));
    Sample* inputs[2] = {left.data(), right.data()};
    Sample* outputs[2] = {outLeft.data(), outRight.data()};
    process(effect, inputs, outputs, kFrames);

    double energy = 0.0;
    for (int n = 0; n < kFrames; ++n) {
        if (!std::isfinite(outLeft[n]) || !std::isfinite(outRight[n]) || outLeft[n] == Sample(-7))
            return false;
        energy += static_cast<double>(outLeft[n]) * outLeft[n];
    }
    return energy > 1e-6;
}

WINTEST(ExportsTheEntryPointUnderBothNamesAtOneAddress)
{
    LoadedPlugin plugin;
    REQUIRE(plugin.loaded());
    CHECK(plugin.entry("VSTPluginMain") != nullptr);
    CHECK(plugin.entry("VSTPluginMain") == plugin.entry("main"));
    CHECK(plugin.entry("createEffectInstance") == nullptr);
}

WINTEST(RefusesHostsThatDoNotAnswerTheVersionQuery)
{
    LoadedPlugin plugin;
    REQUIRE(plugin.loaded());
    CHECK(plugin.entry("VSTPluginMain")(ancientHost) == nullptr);
    CHECK(plugin.entry("main")(nullptr) == nullptr);
}

WINTEST(AnInstanceDescribesItselfAndItsEditor)
{
    LoadedPlugin plugin;
    REQUIRE(plugin.loaded());
    AEffect* effect = plugin.entry("VSTPluginMain")(modernHost);
    REQUIRE(effect != nullptr);
    CHECK_EQ(effect->magic, kEffectMagic);
    CHECK_EQ(effect->uniqueID, vstFourCharacters('T', 'P', 'L', 'Y'));
    CHECK_EQ(effect->numInputs, 2);
    CHECK_EQ(effect->numOutputs, 2);
    CHECK_EQ(effect->numParams, 16);
    CHECK_EQ(effect->flags, effFlagsHasEditor | effFlagsCanReplacing | effFlagsCanDoubleReplacing);
    ERect* rect = nullptr;
    CHECK_EQ(dispatch(effect, effEditGetRect, 0, 0, &rect), 1);
    REQUIRE(rect != nullptr);
    CHECK_EQ(rect->right - rect->left, 677);
    CHECK_EQ(rect->bottom - rect->top, 480);
    CHECK_EQ(dispatch(effect, effEditOpen, 0, 0, nullptr), 0);

    char name[kVstMaxEffectNameLen + 1] = {};
    CHECK_EQ(dispatch(effect, effGetEffectName, 0, 0, name), 1);
    CHECK_EQ(std::string(name), std::string("Quenchbox RZ"));
    CHECK_EQ(dispatch(effect, effGetVstVersion), 2400);
    CHECK_EQ(dispatch(effect, effClose), 1);
}

WINTEST(DisplayTextsFormatAsOnEveryPlatform)
{
    LoadedPlugin plugin;
    REQUIRE(plugin.loaded());
    AEffect* effect = plugin.entry("main")(modernHost);
    REQUIRE(effect != nullptr);
    const struct {
        int index;
        float value;
        const char* text;
    } expected[] = {{7, 0.5f, "9.0"}, {7, 1.0f, "30.0"}, {8, 1.0f, "200000"}, {10, 0.0f, "-0.50"}, {13, 0.5f, "ON"}};
    for (const auto& e : expected) {
        effect->setParameter(effect, e.index, e.value);
        char text[kVstMaxParamStrLen + 1] = {};
        dispatch(effect, effGetParamDisplay, e.index, 0, text);
        CHECK_EQ(std::string(text), std::string(e.text));
    }
    char name[kVstMaxParamStrLen + 1] = {};
    dispatch(effect, effGetParamName, 13, 0, name);
    CHECK_EQ(std::string(name), std::string("Oversamp"));
    dispatch(effect, effClose);
}

WINTEST(InstancesProcessBothSampleFormatsAndCloseIndependently)
{
    LoadedPlugin plugin;
    REQUIRE(plugin.loaded());
    AEffect* first = plugin.entry("VSTPluginMain")(modernHost);
    AEffect* second = plugin.entry("main")(modernHost);
    REQUIRE(first != nullptr && second != nullptr);
    CHECK(first != second);

    first->dispatcher(first, effSetSampleRate, 0, 0, nullptr, 48000.0f);
    dispatch(first, effMainsChanged, 0, 1);
    CHECK(processesABlock<float>(first, [](AEffect* e, float** in, float** out, VstInt32 frames) {
        e->processReplacing(e, in, out, frames);
    }));
    CHECK(processesABlock<double>(first, [](AEffect* e, double** in, double** out, VstInt32 frames) {
        e->processDoubleReplacing(e, in, out, frames);
    }));
    CHECK_EQ(dispatch(first, effClose), 1);

    second->setParameter(second, 13, 1.0f);  // oversampled
    CHECK(processesABlock<float>(second, [](AEffect* e, float** in, float** out, VstInt32 frames) {
        e->processReplacing(e, in, out, frames);
    }));
    CHECK_EQ(dispatch(second, effClose), 1);
}

}  // namespace
