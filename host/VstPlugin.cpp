#include "host/VstPlugin.h"

#include "host/PluginLibrary.h"

#include <dlfcn.h>

#include <cstring>
#include <stdexcept>
#include <vector>

namespace quenchbox::host {

namespace {

// What this host tells a plug-in about itself. Plug-ins ask for a few host
// facts; everything else is answered 0 (not supported).
VstIntPtr VSTCALLBACK hostCallback(AEffect* /*effect*/, VstInt32 opcode, VstInt32 /*index*/, VstIntPtr /*value*/,
                                   void* ptr, float /*opt*/)
{
    switch (opcode) {
    case audioMasterVersion:
        return kVstVersion;
    case audioMasterGetVendorString:
        return ptr ? (std::strcpy(static_cast<char*>(ptr), "ZUK"), 1) : 0;
    case audioMasterGetProductString:
        return ptr ? (std::strcpy(static_cast<char*>(ptr), "quenchbox-render"), 1) : 0;
    case audioMasterGetVendorVersion:
        return 1;
    case audioMasterGetCurrentProcessLevel:
        return 4;  // offline rendering
    default:
        return 0;
    }
}

VstPlugin::EntryPoint findEntryPoint(void* library)
{
    for (const char* name : {"VSTPluginMain", "main"}) {
        if (void* symbol = dlsym(library, name))
            return reinterpret_cast<VstPlugin::EntryPoint>(symbol);
    }
    return nullptr;
}

}  // namespace

std::unique_ptr<VstPlugin> VstPlugin::load(const std::string& path)
{
    void* library = openPluginLibrary(path);
    if (library == nullptr)
        throw std::runtime_error("cannot load plug-in " + path + ": " + dlerror());
    EntryPoint entry = findEntryPoint(library);
    AEffect* effect = entry ? entry(hostCallback) : nullptr;
    if (effect == nullptr || effect->magic != kEffectMagic) {
        dlclose(library);
        throw std::runtime_error(entry ? "plug-in " + path + " did not create an instance"
                                       : path + " is not a VST 2.4 plug-in (no VSTPluginMain or main)");
    }
    return std::unique_ptr<VstPlugin>(new VstPlugin(library, effect));
}

std::unique_ptr<VstPlugin> VstPlugin::create(EntryPoint entry)
{
    AEffect* effect = entry(hostCallback);
    if (effect == nullptr)
        throw std::runtime_error("the built-in plug-in did not create an instance");
    return std::unique_ptr<VstPlugin>(new VstPlugin(nullptr, effect));
}

VstPlugin::VstPlugin(void* lib, AEffect* instance) : library(lib), effect(instance) { dispatch(effOpen); }

VstPlugin::~VstPlugin()
{
    dispatch(effClose);
    if (library)
        dlclose(library);
}

VstIntPtr VstPlugin::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

std::string VstPlugin::readString(VstInt32 opcode, VstInt32 index, std::size_t bufferSize)
{
    // Generous and zeroed: some plug-ins write more than the interface allows.
    std::vector<char> buffer(bufferSize * 4 + 1, '\0');
    dispatch(opcode, index, 0, buffer.data());
    buffer.back() = '\0';
    return std::string(buffer.data(), strnlen(buffer.data(), bufferSize));
}

std::string VstPlugin::description()
{
    return "format:  VST 2.4\neffect:  " + effectName() + "\nvendor:  " + vendorString() + "\nproduct: " + productString()
           + "\n";
}

std::string VstPlugin::effectName() { return readString(effGetEffectName, 0, kVstMaxEffectNameLen); }
std::string VstPlugin::vendorString() { return readString(effGetVendorString, 0, kVstMaxVendorStrLen); }
std::string VstPlugin::productString() { return readString(effGetProductString, 0, kVstMaxProductStrLen); }
std::string VstPlugin::parameterName(int index) { return readString(effGetParamName, index, kVstMaxParamStrLen); }

// VST 2.4 lists names alone: no defaults or steps, and labels that the
// plug-ins we host leave empty.
ParameterListing VstPlugin::parameterListing(int index) { return {parameterName(index), {}, {}, {}, {}}; }
std::string VstPlugin::parameterDisplay(int index)
{
    return readString(effGetParamDisplay, index, kVstMaxParamStrLen);
}
std::string VstPlugin::programName() { return readString(effGetProgramName, 0, kVstMaxProgNameLen); }

float VstPlugin::parameter(int index) { return effect->getParameter(effect, index); }
void VstPlugin::setParameter(int index, float value) { effect->setParameter(effect, index, value); }

int VstPlugin::program() { return static_cast<int>(dispatch(effGetProgram)); }
void VstPlugin::setProgram(int program) { dispatch(effSetProgram, 0, program); }

void VstPlugin::setSampleRate(double rate) { dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(rate)); }
void VstPlugin::setBlockSize(int frames) { dispatch(effSetBlockSize, 0, frames); }

void VstPlugin::announceChannels(int channels)
{
    VstSpeakerArrangement input{};
    input.type = channels == 1 ? kSpeakerArrMono : kSpeakerArrStereo;
    input.numChannels = channels;
    VstSpeakerArrangement output = input;
    dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&input), &output);
}

void VstPlugin::resume() { dispatch(effMainsChanged, 0, 1); }
void VstPlugin::suspend() { dispatch(effMainsChanged, 0, 0); }

void VstPlugin::process(float** inputs, float** outputs, int frames)
{
    effect->processReplacing(effect, inputs, outputs, frames);
}

void VstPlugin::process(double** inputs, double** outputs, int frames)
{
    effect->processDoubleReplacing(effect, inputs, outputs, frames);
}

}  // namespace quenchbox::host
