#ifndef QUENCHBOX_HOST_VST3INSTANCE_H
#define QUENCHBOX_HOST_VST3INSTANCE_H

#include "host/Vst3HostObjects.h"

#include <memory>
#include <string>
#include <vector>

namespace quenchbox::host {

// A VST3 bundle's module loaded the way a host does it: the library in
// Contents/x86_64-linux/ (x86_64-win/ on Windows), its entry (ModuleEntry
// with its handle, or InitDll), GetPluginFactory; the module's exit and the
// library's unloading when it goes.
class Vst3Module {
public:
    // Throws std::runtime_error with a message a user can act on.
    explicit Vst3Module(const std::string& bundlePath);
    ~Vst3Module();

    Vst3Module(const Vst3Module&) = delete;
    Vst3Module& operator=(const Vst3Module&) = delete;

    IPluginFactory& factory() const { return *pluginFactory; }
    // The first class of the "Audio Module Class" category.
    PClassInfo2 audioClass() const;

private:
    void* handle = nullptr;
    IPluginFactory* pluginFactory = nullptr;
};

// Is the path a VST3 bundle (a folder whose name ends in ".vst3")?
bool isVst3Bundle(const std::string& path);

// One instance created from a factory the way a host does it: the
// component, initialize with the host's context, its processor, its
// controller (the component itself when it names no controller class), the
// component handler; then setup, activation and blocks of stereo audio.
class Vst3Instance {
public:
    // Throws std::runtime_error.
    Vst3Instance(IPluginFactory& factory, const char* classId);
    ~Vst3Instance();

    Vst3Instance(const Vst3Instance&) = delete;
    Vst3Instance& operator=(const Vst3Instance&) = delete;

    IComponent& component() const { return *componentPart; }
    IAudioProcessor& processor() const { return *processorPart; }
    IEditController& controller() const { return *controllerPart; }
    IUnitInfo* unitInfo() const { return units; }
    HostContext& host() { return context; }

    // The program-change parameter's id and its step count, if any.
    bool programParameter(ParamID& id, int32& steps) const;
    std::string parameterText(ParamID id, ParamValue value) const;

    bool saveState(std::vector<std::uint8_t>& bytes, std::size_t bytesPerCall = SIZE_MAX) const;
    tresult loadState(const std::vector<std::uint8_t>& bytes, std::size_t bytesPerCall = SIZE_MAX) const;

    // setupProcessing, then setActive and setProcessing.
    bool start(double sampleRate, int32 maxFrames, int32 sampleSize);
    void stop();
    bool isActive() const { return active; }

    // One block of two-channel audio (in place allowed) with the block's
    // parameter changes.
    tresult process(float** inputs, float** outputs, int32 frames, HostParameterChanges* changes = nullptr);
    tresult process(double** inputs, double** outputs, int32 frames, HostParameterChanges* changes = nullptr);

private:
    template <typename Sample>
    tresult run(Sample** inputs, Sample** outputs, int32 frames, HostParameterChanges* changes);

    mutable HostContext context;  // records what the plug-in calls back, even from const calls
    IComponent* componentPart = nullptr;
    IAudioProcessor* processorPart = nullptr;
    IEditController* controllerPart = nullptr;
    IUnitInfo* units = nullptr;
    bool active = false;
    int32 sampleSize = kSample32;
};

}  // namespace quenchbox::host

#endif
