#include "host/Vst3Instance.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include "host/PluginLibrary.h"

#include <dlfcn.h>
#endif

#include <cstring>
#include <stdexcept>

namespace quenchbox::host {

namespace {

#if defined(_WIN32)
constexpr const char* kArchitecture = "x86_64-win";
constexpr const char* kModuleSuffix = ".vst3";
constexpr const char* kExitName = "ExitDll";
void* openLibrary(const std::string& path) { return reinterpret_cast<void*>(LoadLibraryA(path.c_str())); }
void* symbol(void* library, const char* name)
{
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}
void closeLibrary(void* library) { FreeLibrary(static_cast<HMODULE>(library)); }
std::string loadError() { return "error " + std::to_string(GetLastError()); }
bool enterModule(void* library)
{
    const auto entry = reinterpret_cast<bool (*)()>(symbol(library, "InitDll"));
    return entry == nullptr || entry();  // a DLL may go without it
}
#else
constexpr const char* kArchitecture = "x86_64-linux";
constexpr const char* kModuleSuffix = ".so";
constexpr const char* kExitName = "ModuleExit";
void* openLibrary(const std::string& path) { return openPluginLibrary(path); }
void* symbol(void* library, const char* name) { return dlsym(library, name); }
void closeLibrary(void* library) { dlclose(library); }
std::string loadError() { return dlerror(); }
bool enterModule(void* library)
{
    const auto entry = reinterpret_cast<ModuleEntryProc>(symbol(library, "ModuleEntry"));
    return entry != nullptr && entry(library);
}
#endif

std::string bundleStem(std::string path)
{
    while (!path.empty() && (path.back() == '/' || path.back() == '\\'))
        path.pop_back();
    const std::size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return name.substr(0, name.size() - std::strlen(".vst3"));
}

template <typename Interface>
Interface* queried(FUnknown& object)
{
    void* found = nullptr;
    return object.queryInterface(Interface::iid.bytes, &found) == kResultOk ? static_cast<Interface*>(found)
                                                                              : nullptr;
}

template <typename Interface>
void releaseIf(Interface*& object)
{
    if (object != nullptr)
        object->release();
    object = nullptr;
}

}  // namespace

bool isVst3Bundle(const std::string& path)
{
    std::string trimmed = path;
    while (!trimmed.empty() && (trimmed.back() == '/' || trimmed.back() == '\\'))
        trimmed.pop_back();
    const std::string suffix = ".vst3";
    return trimmed.size() > suffix.size() && trimmed.compare(trimmed.size() - suffix.size(), suffix.size(), suffix) == 0;
}

Vst3Module::Vst3Module(const std::string& bundlePath)
{
    const std::string library =
        bundlePath + "/Contents/" + kArchitecture + "/" + bundleStem(bundlePath) + kModuleSuffix;
    handle = openLibrary(library);
    if (handle == nullptr)
        throw std::runtime_error("cannot load VST3 module " + library + ": " + loadError());
    const auto getFactory = reinterpret_cast<GetFactoryProc>(symbol(handle, "GetPluginFactory"));
    if (!enterModule(handle) || getFactory == nullptr || (pluginFactory = getFactory()) == nullptr) {
        closeLibrary(handle);
        throw std::runtime_error(library + " is not a VST3 module (its entry or GetPluginFactory failed)");
    }
}

Vst3Module::~Vst3Module()
{
    if (const auto exit = reinterpret_cast<ModuleExitProc>(symbol(handle, kExitName)))
        exit();
    closeLibrary(handle);
}

PClassInfo2 Vst3Module::audioClass() const
{
    auto* second = queried<IPluginFactory2>(*pluginFactory);
    for (int32 i = 0; i < pluginFactory->countClasses(); ++i) {
        PClassInfo2 info{};
        PClassInfo plain{};
        if (second != nullptr && second->getClassInfo2(i, &info) == kResultOk) {
            if (std::strcmp(info.category, "Audio Module Class") == 0)
                return info;
        } else if (pluginFactory->getClassInfo(i, &plain) == kResultOk
                   && std::strcmp(plain.category, "Audio Module Class") == 0) {
            std::memcpy(info.cid, plain.cid, sizeof(info.cid));
            std::memcpy(info.category, plain.category, sizeof(plain.category));
            std::memcpy(info.name, plain.name, sizeof(plain.name));
            return info;
        }
    }
    throw std::runtime_error("the VST3 module has no audio effect class");
}

Vst3Instance::Vst3Instance(IPluginFactory& factory, const char* classId)
{
    void* created = nullptr;
    if (factory.createInstance(classId, IComponent::iid.bytes, &created) != kResultOk || created == nullptr)
        throw std::runtime_error("the VST3 factory did not create its component");
    componentPart = static_cast<IComponent*>(created);
    if (componentPart->initialize(static_cast<IHostApplication*>(&context)) != kResultOk) {
        releaseIf(componentPart);
        throw std::runtime_error("the VST3 component did not initialise");
    }
    processorPart = queried<IAudioProcessor>(*componentPart);
    TUID controllerClass{};
    if (componentPart->getControllerClassId(controllerClass) != kResultOk)
        controllerPart = queried<IEditController>(*componentPart);
    if (processorPart == nullptr || controllerPart == nullptr) {
        releaseIf(processorPart);
        releaseIf(controllerPart);
        componentPart->terminate();
        releaseIf(componentPart);
        throw std::runtime_error("the VST3 component is no single-component audio effect this host can run");
    }
    // A single component: its controller is initialized already.
    controllerPart->initialize(static_cast<IHostApplication*>(&context));
    controllerPart->setComponentHandler(&context);
    units = queried<IUnitInfo>(*controllerPart);
}

Vst3Instance::~Vst3Instance()
{
    stop();
    releaseIf(units);
    controllerPart->setComponentHandler(nullptr);
    controllerPart->terminate();
    componentPart->terminate();
    releaseIf(controllerPart);
    releaseIf(processorPart);
    releaseIf(componentPart);
}

bool Vst3Instance::programParameter(ParamID& id, int32& steps) const
{
    for (int32 i = 0; i < controllerPart->getParameterCount(); ++i) {
        ParameterInfo info{};
        if (controllerPart->getParameterInfo(i, info) == kResultOk && (info.flags & ParameterInfo::kIsProgramChange)) {
            id = info.id;
            steps = info.stepCount;
            return true;
        }
    }
    return false;
}

std::string Vst3Instance::parameterText(ParamID id, ParamValue value) const
{
    String128 text{};
    return controllerPart->getParamStringByValue(id, value, text) == kResultOk ? utf8(text) : std::string();
}

bool Vst3Instance::saveState(std::vector<std::uint8_t>& bytes, std::size_t bytesPerCall) const
{
    MemoryStream stream({}, bytesPerCall);
    const HostContext::Calling calling(context, "getState");
    if (componentPart->getState(&stream) != kResultOk)
        return false;
    bytes = stream.content();
    return true;
}

// As a host restores a project: the component's state, then the
// controller's copy of it.
tresult Vst3Instance::loadState(const std::vector<std::uint8_t>& bytes, std::size_t bytesPerCall) const
{
    MemoryStream stream(bytes, bytesPerCall);
    const HostContext::Calling calling(context, "setState");
    const tresult result = componentPart->setState(&stream);
    if (result == kResultOk) {
        stream.rewind();
        controllerPart->setComponentState(&stream);
    }
    return result;
}

bool Vst3Instance::start(double sampleRate, int32 maxFrames, int32 size)
{
    ProcessSetup setup{kRealtime, size, maxFrames, sampleRate};
    const HostContext::Calling calling(context, "setActive");
    if (processorPart->setupProcessing(setup) != kResultOk || componentPart->setActive(1) != kResultOk)
        return false;
    processorPart->setProcessing(1);
    sampleSize = size;
    active = true;
    return true;
}

void Vst3Instance::stop()
{
    if (!active)
        return;
    const HostContext::Calling calling(context, "setActive");
    processorPart->setProcessing(0);
    componentPart->setActive(0);
    active = false;
}

template <typename Sample>
tresult Vst3Instance::run(Sample** inputs, Sample** outputs, int32 frames, HostParameterChanges* changes)
{
    AudioBusBuffers in{};
    AudioBusBuffers out{};
    in.numChannels = 2;
    out.numChannels = 2;
    if constexpr (sizeof(Sample) == sizeof(float)) {
        in.channelBuffers32 = inputs;
        out.channelBuffers32 = outputs;
    } else {
        in.channelBuffers64 = inputs;
        out.channelBuffers64 = outputs;
    }
    ProcessData data{};
    data.processMode = kRealtime;
    data.symbolicSampleSize = sizeof(Sample) == sizeof(float) ? kSample32 : kSample64;
    data.numSamples = frames;
    data.numInputs = 1;
    data.numOutputs = 1;
    data.inputs = &in;
    data.outputs = &out;
    data.inputParameterChanges = changes;
    const HostContext::Calling calling(context, "process");
    return processorPart->process(data);
}

tresult Vst3Instance::process(float** inputs, float** outputs, int32 frames, HostParameterChanges* changes)
{
    return run(inputs, outputs, frames, changes);
}

tresult Vst3Instance::process(double** inputs, double** outputs, int32 frames, HostParameterChanges* changes)
{
    return run(inputs, outputs, frames, changes);
}

}  // namespace quenchbox::host
