#ifndef QUENCHBOX_HOST_VSTPLUGIN_H
#define QUENCHBOX_HOST_VSTPLUGIN_H

#include "host/Plugin.h"
#include "shell/Vst2.h"

#include <memory>
#include <string>

namespace quenchbox::host {

// One instance of a VST 2.4 plug-in loaded from its shared library, the way
// a DAW does it: dlopen, the entry point VSTPluginMain (or "main" in older
// plug-ins), then only the record's dispatcher and entries. Closing the
// instance and unloading the library happen in the destructor.
class VstPlugin : public Plugin {
public:
    using EntryPoint = AEffect* (*)(audioMasterCallback);

    // Throws std::runtime_error with a message a user can act on.
    static std::unique_ptr<VstPlugin> load(const std::string& path);
    // An instance of a plug-in linked into this program, entered the same way.
    static std::unique_ptr<VstPlugin> create(EntryPoint entry);

    AEffect* record() const { return effect; }
    ~VstPlugin() override;

    VstPlugin(const VstPlugin&) = delete;
    VstPlugin& operator=(const VstPlugin&) = delete;

    std::string description() override;
    std::string effectName();
    std::string vendorString();
    std::string productString();

    int parameterCount() override { return effect->numParams; }
    int programCount() override { return effect->numPrograms; }
    int inputCount() const { return effect->numInputs; }
    int outputCount() const { return effect->numOutputs; }
    bool canProcessDouble() override { return (effect->flags & effFlagsCanDoubleReplacing) != 0; }

    std::string parameterName(int index) override;
    std::string parameterDisplay(int index) override;
    ParameterListing parameterListing(int index) override;
    float parameter(int index) override;
    void setParameter(int index, float value) override;

    int program() override;
    void setProgram(int program) override;
    std::string programName() override;

    void setSampleRate(double rate) override;
    void setBlockSize(int frames) override;
    void announceChannels(int channels) override;
    void resume() override;
    void suspend() override;

    void process(float** inputs, float** outputs, int frames) override;
    void process(double** inputs, double** outputs, int frames) override;

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
