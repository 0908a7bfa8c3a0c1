#ifndef QUENCHBOX_HOST_VSTPLUGIN_H
#define QUENCHBOX_HOST_VSTPLUGIN_H

#include "shell/Vst2.h"

#include <memory>
#include <string>

namespace quenchbox::host {

// One instance of a VST 2.4 plug-in loaded from its shared library, the way
// a DAW does it: dlopen, the entry point VSTPluginMain (or "main" in older
// plug-ins), then only the record's dispatcher and entries. Closing the
// instance and unloading the library happen in the destructor.
class VstPlugin {
public:
    using EntryPoint = AEffect* (*)(audioMasterCallback);

    // Throws std::runtime_error with a message a user can act on.
    static std::unique_ptr<VstPlugin> load(const std::string& path);
    // An instance of a plug-in linked into this program, entered the same way.
    static std::unique_ptr<VstPlugin> create(EntryPoint entry);

    AEffect* record() const { return effect; }
    ~VstPlugin();

    VstPlugin(const VstPlugin&) = delete;
    VstPlugin& operator=(const VstPlugin&) = delete;

    std::string effectName();
    std::string vendorString();
    std::string productString();

    int parameterCount() const { return effect->numParams; }
    int programCount() const { return effect->numPrograms; }
    int inputCount() const { return effect->numInputs; }
    int outputCount() const { return effect->numOutputs; }
    bool canProcessDouble() const { return (effect->flags & effFlagsCanDoubleReplacing) != 0; }

    std::string parameterName(int index);
    std::string parameterDisplay(int index);
    float parameter(int index);
    void setParameter(int index, float value);

    int program();
    void setProgram(int program);
    std::string programName();

    void setSampleRate(double rate);
    void setBlockSize(int frames);
    void announceChannels(int channels);
    void resume();
    void suspend();

    void process(float** inputs, float** outputs, int frames);
    void process(double** inputs, double** outputs, int frames);

private:
    VstPlugin(void* library, AEffect* effect);
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f);
    std::string readString(VstInt32 opcode, VstInt32 index, std::size_t bufferSize);

    void* library;
    AEffect* effect;
};

}  // namespace quenchbox::host

#endif
