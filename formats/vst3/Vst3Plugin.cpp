#include "formats/vst3/Vst3Plugin.h"

#include "effect/ParameterMapping.h"
#include "effect/Parameters.h"
#include "effect/Programs.h"
#include "formats/shared/HostMenuBuilder.h"
#include "formats/shared/ParameterDescriptions.h"
#include "formats/shared/StateCodec.h"
#include "formats/vst3/Vst3Streams.h"
#include "formats/vst3/Vst3Strings.h"
#include "formats/vst3/Vst3View.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <string>

namespace quenchbox::vst3 {

namespace {

// Rates a circuit model of this kind makes sense at, as in the CLAP build.
constexpr int32 kParameterCount = effect::kParameterCount;
constexpr int32 kProgramSteps = effect::kProgramCount - 1;
// How often the plug-in looks for what waits for the host when no view
// drives it: often enough for a host's display, rarely enough to cost
// nothing.
constexpr unsigned kTickMs = 50;

bool isEffectParameter(ParamID id) { return id < static_cast<ParamID>(kParameterCount); }

int indexOf(ParamID id) { return static_cast<int>(id); }

bool isSupportedArrangement(SpeakerArrangement arrangement)
{
    return arrangement == SpeakerArr::kStereo || arrangement == SpeakerArr::kMono;
}

int32 channelsOf(SpeakerArrangement arrangement) { return arrangement == SpeakerArr::kMono ? 1 : 2; }

bool isAudioBus(MediaType type, BusDirection dir, int32 index)
{
    return type == kAudio && (dir == kInput || dir == kOutput) && index == 0;
}

template <typename Sample>
Sample** channelsOf(const AudioBusBuffers& bus);

template <>
float** channelsOf<float>(const AudioBusBuffers& bus)
{
    return bus.channelBuffers32;
}

template <>
double** channelsOf<double>(const AudioBusBuffers& bus)
{
    return bus.channelBuffers64;
}

// The name a VST2 host shows: eight characters at most.
std::string shortTitleOf(int index)
{
    constexpr std::size_t kShortLength = 8;
    return std::string(effect::parameterName(index)).substr(0, kShortLength);
}


}  // namespace

Vst3Plugin::~Vst3Plugin() { dropHostMenu(); }

// ---- FUnknown ----

tresult Vst3Plugin::queryInterface(const TUID iid, void** object)
{
    if (object == nullptr)
        return kInvalidArgument;
    *object = nullptr;
    if (FUnknown::iid.matches(iid) || IPluginBase::iid.matches(iid) || IComponent::iid.matches(iid))
        *object = static_cast<IComponent*>(this);
    else if (IAudioProcessor::iid.matches(iid))
        *object = static_cast<IAudioProcessor*>(this);
    else if (IEditController::iid.matches(iid))
        *object = static_cast<IEditController*>(this);
    else if (IUnitInfo::iid.matches(iid))
        *object = static_cast<IUnitInfo*>(this);
    else if (IProcessContextRequirements::iid.matches(iid))
        *object = static_cast<IProcessContextRequirements*>(this);
#if !defined(_WIN32)
    else if (ITimerHandler::iid.matches(iid))
        *object = static_cast<ITimerHandler*>(this);
#endif
    else
        return kNoInterface;
    addRef();
    return kResultOk;
}

uint32 Vst3Plugin::addRef() { return references.fetch_add(1, std::memory_order_relaxed) + 1; }

uint32 Vst3Plugin::release()
{
    const uint32 left = references.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0)
        delete this;
    return left;
}

// ---- IPluginBase ----

// Hosts initialize the component and, finding it is its own controller,
// may initialize it again as the controller: the second call finds it ready.
tresult Vst3Plugin::initialize(FUnknown* context)
{
    if (initialized)
        return kResultOk;
    if (!adapter.create())
        return kOutOfMemory;
    initialized = true;
    hostContext = context;
    if (hostContext != nullptr)
        hostContext->addRef();
    offerHostMenus();
    return kResultOk;
}

tresult Vst3Plugin::terminate()
{
    if (active)
        setActive(false);
    setComponentHandler(nullptr);
    if (hostContext != nullptr)
        hostContext->release();
    hostContext = nullptr;
    return kResultOk;
}

// ---- IComponent ----

// No separate controller class: the host asks this object for its
// IEditController.
tresult Vst3Plugin::getControllerClassId(TUID /*classId*/) { return kNotImplemented; }

tresult Vst3Plugin::setIoMode(IoMode /*mode*/) { return kNotImplemented; }

int32 Vst3Plugin::getBusCount(MediaType type, BusDirection dir)
{
    return type == kAudio && (dir == kInput || dir == kOutput) ? 1 : 0;
}

tresult Vst3Plugin::getBusInfo(MediaType type, BusDirection dir, int32 index, BusInfo& bus)
{
    if (!isAudioBus(type, dir, index))
        return kInvalidArgument;
    std::memset(&bus, 0, sizeof(bus));
    bus.mediaType = kAudio;
    bus.direction = dir;
    bus.channelCount = channelsOf(dir == kInput ? inputArrangement : outputArrangement);
    toUtf16(dir == kInput ? "Input" : "Output", bus.name, 128);
    bus.busType = kMain;
    bus.flags = BusInfo::kDefaultActive;
    return kResultOk;
}

tresult Vst3Plugin::getRoutingInfo(RoutingInfo& /*inInfo*/, RoutingInfo& /*outInfo*/) { return kNotImplemented; }

tresult Vst3Plugin::activateBus(MediaType type, BusDirection dir, int32 index, TBool /*state*/)
{
    return isAudioBus(type, dir, index) ? kResultOk : kInvalidArgument;
}

// Activation after a deactivation starts from an empty circuit, as a fresh
// instance with the same settings does.
tresult Vst3Plugin::setActive(TBool state)
{
    if (!initialized)
        return kNotInitialized;
    if (state != 0 && !active) {
        adapter.activate(setup.sampleRate, static_cast<std::uint32_t>(setup.maxSamplesPerBlock));
        adapter.clearProcessingState();
        activeLatency = adapter.latency();
        active = true;
    } else if (state == 0 && active) {
        adapter.deactivate();
        active = false;
    }
    return kResultOk;
}

tresult Vst3Plugin::setState(IBStream* state)
{
    // One byte more than a record holds tells a longer stream from a record.
    std::uint8_t bytes[formats::kStateSize + 1];
    const std::int64_t size = readUpTo(state, bytes, sizeof(bytes));
    if (!initialized || size < 0 || !adapter.loadState(bytes, static_cast<std::size_t>(size)))
        return kResultFalse;
    return kResultOk;
}

tresult Vst3Plugin::getState(IBStream* state)
{
    if (!initialized || state == nullptr)
        return kResultFalse;
    const formats::EncodedState bytes = adapter.saveState();
    return writeAll(state, bytes.data(), bytes.size()) ? kResultOk : kResultFalse;
}

// ---- IAudioProcessor ----

// One main bus each way, stereo or mono, set while inactive; anything else
// is refused and the current arrangement stays.
tresult Vst3Plugin::setBusArrangements(SpeakerArrangement* inputs, int32 numIns, SpeakerArrangement* outputs,
                                       int32 numOuts)
{
    if (active || numIns != 1 || numOuts != 1 || inputs == nullptr || outputs == nullptr
        || !isSupportedArrangement(inputs[0]) || !isSupportedArrangement(outputs[0]))
        return kResultFalse;
    inputArrangement = inputs[0];
    outputArrangement = outputs[0];
    return kResultTrue;
}

tresult Vst3Plugin::getBusArrangement(BusDirection dir, int32 index, SpeakerArrangement& arrangement)
{
    if (!isAudioBus(kAudio, dir, index))
        return kInvalidArgument;
    arrangement = dir == kInput ? inputArrangement : outputArrangement;
    return kResultOk;
}

tresult Vst3Plugin::canProcessSampleSize(int32 symbolicSampleSize)
{
    return symbolicSampleSize == kSample32 || symbolicSampleSize == kSample64 ? kResultTrue : kResultFalse;
}

uint32 Vst3Plugin::getLatencySamples() { return initialized ? adapter.latency() : 0; }

tresult Vst3Plugin::setupProcessing(ProcessSetup& newSetup)
{
    if (active || !effect::isSupportedSampleRate(newSetup.sampleRate)
        || newSetup.maxSamplesPerBlock <= 0 || canProcessSampleSize(newSetup.symbolicSampleSize) != kResultTrue)
        return kResultFalse;
    setup = newSetup;
    return kResultOk;
}

// Processing starts only on an active component; stopping is always fine.
tresult Vst3Plugin::setProcessing(TBool state) { return active || state == 0 ? kResultOk : kResultFalse; }

// Changes take effect at their sample: the block is split at each point.
// With no samples the changes still count.
tresult Vst3Plugin::process(ProcessData& data)
{
    if (!active)
        return kResultFalse;
    queueCount = 0;
    if (data.inputParameterChanges != nullptr) {
        queueCount = std::min(std::max(data.inputParameterChanges->getParameterCount(), 0), kMaxQueues);
        std::fill(nextPoint, nextPoint + queueCount, 0);
    }
    tresult result = kResultOk;
    if (data.numSamples < 0)
        result = kInvalidArgument;
    else if (data.numSamples > 0)
        result = data.symbolicSampleSize == kSample64 ? processAudio<double>(data) : processAudio<float>(data);
    if (result != kResultOk || data.numSamples == 0)
        applyAllChanges(data.inputParameterChanges);
    return result;
}

template <typename Sample>
tresult Vst3Plugin::processAudio(ProcessData& data)
{
    if (data.symbolicSampleSize != kSample32 && data.symbolicSampleSize != kSample64)
        return kInvalidArgument;
    if (data.numOutputs < 1 || data.outputs == nullptr)
        return kInvalidArgument;
    AudioBusBuffers& out = data.outputs[0];
    Sample** outputs = channelsOf<Sample>(out);
    if (out.numChannels < 1 || outputs == nullptr)
        return kInvalidArgument;
    for (int32 c = 0; c < out.numChannels; ++c)
        if (outputs[c] == nullptr)
            return kInvalidArgument;
    const AudioBusBuffers* in = data.numInputs >= 1 ? data.inputs : nullptr;
    Sample** inputs = in != nullptr ? channelsOf<Sample>(*in) : nullptr;
    const auto inputChannels = static_cast<std::uint32_t>(in != nullptr && inputs != nullptr ? std::max(in->numChannels, 0) : 0);
    const auto outputChannels = static_cast<std::uint32_t>(out.numChannels);

    const auto frames = static_cast<std::uint32_t>(data.numSamples);
    std::uint32_t position = 0;
    while (position < frames) {
        // The earliest point still to apply across every queue.
        int32 next = static_cast<int32>(frames);
        for (int32 q = 0; q < queueCount; ++q) {
            IParamValueQueue* queue = data.inputParameterChanges->getParameterData(q);
            int32 offset = 0;
            ParamValue value = 0.0;
            if (queue != nullptr && nextPoint[q] < queue->getPointCount()
                && queue->getPoint(nextPoint[q], offset, value) == kResultOk)
                next = std::min(next, std::max(offset, static_cast<int32>(position)));
        }
        const auto at = static_cast<std::uint32_t>(next);
        adapter.run(inputs, inputChannels, outputs, outputChannels, position, at);
        position = at;
        if (position < frames)
            applyChangesUpTo(data.inputParameterChanges, next);
    }
    // Points past the block's end count at its end.
    applyAllChanges(data.inputParameterChanges);
    out.silenceFlags = 0;
    return kResultOk;
}

// Applies every point at or before frame that is still to apply.
void Vst3Plugin::applyChangesUpTo(IParameterChanges* changes, int32 frame)
{
    for (int32 q = 0; q < queueCount; ++q) {
        IParamValueQueue* queue = changes->getParameterData(q);
        if (queue == nullptr)
            continue;
        const ParamID id = queue->getParameterId();
        const int32 points = queue->getPointCount();
        for (; nextPoint[q] < points; ++nextPoint[q]) {
            int32 offset = 0;
            ParamValue value = 0.0;
            if (queue->getPoint(nextPoint[q], offset, value) != kResultOk)
                continue;
            if (offset > frame)
                break;
            // The program change belongs to the UI thread (see the class).
            if (isEffectParameter(id))
                adapter.setParameter(indexOf(id), value);
        }
    }
}

void Vst3Plugin::applyAllChanges(IParameterChanges* changes)
{
    if (changes != nullptr)
        applyChangesUpTo(changes, INT32_MAX);
}

// How long the circuit rings after its input stops: an impulse through the
// slowest settings (Scale at its end, the second variant with Deep full up)
// falls 100 dB within 77 ms; 100 ms covers it at any rate.
uint32 Vst3Plugin::getTailSamples()
{
    return static_cast<uint32>(std::ceil(setup.sampleRate * 0.1));
}

// ---- IEditController ----

tresult Vst3Plugin::setComponentState(IBStream* state) { return setState(state); }

int32 Vst3Plugin::getParameterCount() { return kParameterCount + 1; }

tresult Vst3Plugin::getParameterInfo(int32 paramIndex, ParameterInfo& info)
{
    if (paramIndex < 0 || paramIndex > kParameterCount)
        return kInvalidArgument;
    std::memset(&info, 0, sizeof(info));
    info.unitId = kRootUnitId;
    if (paramIndex == kParameterCount) {
        info.id = kProgramParameterId;
        toUtf16("Program", info.title, 128);
        toUtf16("Program", info.shortTitle, 128);
        info.stepCount = kProgramSteps;
        info.flags = ParameterInfo::kIsProgramChange | ParameterInfo::kIsList;
        return kResultOk;
    }
    const effect::ParameterInfo& parameter = effect::kParameters[paramIndex];
    info.id = static_cast<ParamID>(paramIndex);
    toUtf16(parameter.fullName, info.title, 128);
    toUtf16(shortTitleOf(paramIndex).c_str(), info.shortTitle, 128);
    toUtf16(parameter.unit, info.units, 128);
    info.stepCount = effect::stepCount(parameter.kind);
    info.defaultNormalizedValue = parameter.defaultValue;
    info.flags = ParameterInfo::kCanAutomate;
    if (parameter.kind == effect::ParameterKind::choice)
        info.flags |= ParameterInfo::kIsList;
    return kResultOk;
}

int Vst3Plugin::programOf(ParamValue value)
{
    const double v = std::isfinite(value) ? std::clamp(value, 0.0, 1.0) : 0.0;
    return std::min(kProgramSteps, static_cast<int>(v * (kProgramSteps + 1)));
}

tresult Vst3Plugin::getParamStringByValue(ParamID id, ParamValue valueNormalized, String128 string)
{
    if (string == nullptr)
        return kInvalidArgument;
    if (id == kProgramParameterId) {
        char name[effect::kProgramNameLength + 1];
        effect::programs::copyName(programOf(valueNormalized), name);
        toUtf16(name, string, 128);
        return kResultOk;
    }
    if (!isEffectParameter(id))
        return kInvalidArgument;
    toUtf16(formats::parameterText(indexOf(id), valueNormalized).c_str(), string, 128);
    return kResultOk;
}

tresult Vst3Plugin::getParamValueByString(ParamID id, char16* string, ParamValue& valueNormalized)
{
    if (string == nullptr)
        return kInvalidArgument;
    const std::string text = fromUtf16(string, 128);
    if (id == kProgramParameterId) {
        for (int program = 0; program < effect::kProgramCount; ++program) {
            char name[effect::kProgramNameLength + 1];
            effect::programs::copyName(program, name);
            if (text == name) {
                valueNormalized = static_cast<double>(program) / kProgramSteps;
                return kResultOk;
            }
        }
        return kResultFalse;
    }
    if (!isEffectParameter(id))
        return kInvalidArgument;
    return formats::parameterFromText(indexOf(id), text.c_str(), valueNormalized) ? kResultOk : kResultFalse;
}

// Plain values: the step number of a switch, a choice or the program; the
// normalized value itself for a knob.
ParamValue Vst3Plugin::normalizedParamToPlain(ParamID id, ParamValue valueNormalized)
{
    if (id == kProgramParameterId)
        return programOf(valueNormalized);
    if (!isEffectParameter(id))
        return 0.0;
    return formats::sanitizeValue(indexOf(id), valueNormalized);
}

ParamValue Vst3Plugin::plainParamToNormalized(ParamID id, ParamValue plainValue)
{
    if (id == kProgramParameterId)
        return std::isfinite(plainValue) ? std::clamp(std::floor(plainValue), 0.0, double(kProgramSteps)) / kProgramSteps
                                         : 0.0;
    if (!isEffectParameter(id))
        return 0.0;
    return formats::sanitizeValue(indexOf(id), plainValue);
}

ParamValue Vst3Plugin::getParamNormalized(ParamID id)
{
    if (!initialized)
        return 0.0;
    if (id == kProgramParameterId)
        return static_cast<double>(adapter.program()) / kProgramSteps;
    return isEffectParameter(id) ? adapter.parameter(indexOf(id)) : 0.0;
}

tresult Vst3Plugin::setParamNormalized(ParamID id, ParamValue value)
{
    if (!initialized)
        return kNotInitialized;
    if (id == kProgramParameterId) {
        selectProgram(programOf(value));
        return kResultOk;
    }
    if (!isEffectParameter(id))
        return kInvalidArgument;
    if (!active)
        adapter.setParameter(indexOf(id), value);
    return kResultOk;
}

// The handler comes on the UI thread, where the ticks then run.
tresult Vst3Plugin::setComponentHandler(IComponentHandler* handler)
{
    if (handler == componentHandler)
        return kResultOk;
    stopTicks();
    dropHostMenu();  // the old handler's
    if (handler != nullptr)
        handler->addRef();
    if (componentHandler != nullptr)
        componentHandler->release();
    componentHandler = handler;
    if (componentHandler != nullptr)
        startTicks();
    offerHostMenus();
    return kResultOk;
}

IPlugView* Vst3Plugin::createView(FIDString name)
{
    if (name == nullptr || std::strcmp(name, "editor") != 0 || editor() == nullptr)
        return nullptr;
    Vst3View* view = new (std::nothrow) Vst3View(*this);
    if (view != nullptr)
        newestView = view;
    return view;
}

bool Vst3Plugin::claimEditor(Vst3View& view)
{
    if (editorView != nullptr)
        return false;
    editorView = &view;
    return true;
}

void Vst3Plugin::releaseEditor(Vst3View& view)
{
    if (editorView == &view)
        editorView = nullptr;
    if (hostMenuItems.view == &view)
        dropHostMenu();
}

void Vst3Plugin::forgetView(Vst3View& view)
{
    releaseEditor(view);
    if (newestView == &view)
        newestView = nullptr;
}

// ---- The host's context menu ----

void Vst3Plugin::offerHostMenus()
{
    if (effect::QuenchboxEffect* quenchbox = adapter.quenchboxEffect())
        quenchbox->setHostMenus(componentHandler != nullptr ? this : nullptr);
}

// The editor asks from its own event handling, on the UI thread, never
// inside a call of the host's.
bool Vst3Plugin::hostMenu(int index, effect::HostMenu& menu)
{
    dropHostMenu();
    menu.count = 0;
    Vst3View* view = menuView();
    if (componentHandler == nullptr || view == nullptr || index < 0 || !isEffectParameter(static_cast<ParamID>(index)))
        return false;
    hostMenuItems.menu = createHostMenu(*view, static_cast<ParamID>(index));
    if (hostMenuItems.menu == nullptr)
        return false;
    hostMenuItems.view = view;
    hostMenuItems.parameter = index;
    copyHostMenu(menu);
    return menu.count > 0;
}

IContextMenu* Vst3Plugin::createHostMenu(Vst3View& view, ParamID id)
{
    void* found = nullptr;
    if (componentHandler->queryInterface(IComponentHandler3::iid.bytes, &found) != kResultOk || found == nullptr)
        return nullptr;
    auto* handler = static_cast<IComponentHandler3*>(found);
    IContextMenu* menu = handler->createContextMenu(&view, &id);
    handler->release();
    return menu;
}

// Groups become headings with their items after them (HostMenuBuilder).
void Vst3Plugin::copyHostMenu(effect::HostMenu& menu)
{
    formats::HostMenuBuilder builder(menu);
    IContextMenu& host = *hostMenuItems.menu;
    const int32 count = host.getItemCount();
    for (int32 i = 0; i < count; ++i) {
        IContextMenuItem item{};
        IContextMenuTarget* target = nullptr;
        if (host.getItem(i, item, &target) != kResultOk)
            continue;
        const std::string name = fromUtf16(item.name, 128);
        const auto has = [&item](int32 flags) { return (item.flags & flags) == flags; };
        if (has(IContextMenuItem::kIsGroupEnd)) {
            builder.endSubmenu();
        } else if (has(IContextMenuItem::kIsGroupStart)) {
            builder.beginSubmenu(name.c_str(), true);
        } else if (has(IContextMenuItem::kIsSeparator)) {
            builder.addSeparator();
        } else {
            const int at = builder.addItem(name.c_str(), !has(IContextMenuItem::kIsDisabled),
                                           has(IContextMenuItem::kIsChecked));
            if (at >= 0 && menu.items[at].enabled) {
                hostMenuItems.target[at] = target;
                hostMenuItems.tag[at] = item.tag;
            }
        }
    }
}

void Vst3Plugin::chooseHostMenuItem(int index, int item)
{
    if (hostMenuItems.menu == nullptr || index != hostMenuItems.parameter || item < 0
        || item >= effect::kMaxHostMenuItems || hostMenuItems.target[item] == nullptr)
        return;
    // The host may let go of the view, and so of the menu, while it runs the
    // item: the target lives as long as the menu.
    IContextMenu* menu = hostMenuItems.menu;
    menu->addRef();
    hostMenuItems.target[item]->executeMenuItem(hostMenuItems.tag[item]);
    menu->release();
}

void Vst3Plugin::dropHostMenu()
{
    if (hostMenuItems.menu != nullptr)
        hostMenuItems.menu->release();
    hostMenuItems = HostMenuItems{};
}

// ---- Programs ----

// What the VST2 build's effSetProgram does, glides included; the host reads
// every value again after the next tick.
void Vst3Plugin::selectProgram(int program)
{
    if (program == adapter.program())
        return;
    adapter.selectProgram(program);
    pendingRestart.fetch_or(kParamValuesChanged);
}

// ---- Calls back into the host, on the UI thread's own moments ----

void Vst3Plugin::sendToHost()
{
    sendEditorEdits();
    if (editorView != nullptr)
        editorView->sendPendingSize();
    const int32 flags = takeRestartFlags();
    if (flags != 0 && componentHandler != nullptr)
        componentHandler->restartComponent(flags);
}

// The editor's gestures and values, in the order the user made them.
void Vst3Plugin::sendEditorEdits()
{
    formats::EditorEvent event;
    while (adapter.takeEditorEvent(event)) {
        if (componentHandler == nullptr)
            continue;
        switch (event.kind) {
        case formats::EditorEvent::Kind::value:
            componentHandler->performEdit(event.parameter, event.value);
            break;
        case formats::EditorEvent::Kind::gestureBegin:
            componentHandler->beginEdit(event.parameter);
            break;
        case formats::EditorEvent::Kind::gestureEnd:
            componentHandler->endEdit(event.parameter);
            break;
        }
    }
}

// The flags collected since the last time, and kLatencyChanged when the
// latency moved while active ("Oversample" from the host, the editor, a
// program or a state), so that the host reads the new figure and
// compensates.
int32 Vst3Plugin::takeRestartFlags()
{
    int32 flags = pendingRestart.exchange(0);
    if (active && adapter.latency() != activeLatency) {
        activeLatency = adapter.latency();
        flags |= kLatencyChanged;
    }
    return flags;
}

#if defined(_WIN32)

void Vst3Plugin::startTicks()
{
    ticks.reset(new (std::nothrow) win32::ThreadTimer(
        kTickMs, [](void* self) { static_cast<Vst3Plugin*>(self)->sendToHost(); }, this));
}

void Vst3Plugin::stopTicks() { ticks.reset(); }

#else

// A run loop the host offers the plug-in itself (not only a view's frame),
// through its component handler or the context it initialized us with.
void Vst3Plugin::startTicks()
{
    for (FUnknown* offer : {static_cast<FUnknown*>(componentHandler), hostContext}) {
        void* found = nullptr;
        if (offer == nullptr || offer->queryInterface(IRunLoop::iid.bytes, &found) != kResultOk || found == nullptr)
            continue;
        tickLoop = static_cast<IRunLoop*>(found);
        if (tickLoop->registerTimer(this, kTickMs) == kResultOk)
            return;
        tickLoop->release();
        tickLoop = nullptr;
    }
}

void Vst3Plugin::stopTicks()
{
    if (tickLoop == nullptr)
        return;
    tickLoop->unregisterTimer(this);
    tickLoop->release();
    tickLoop = nullptr;
}

#endif

// ---- IUnitInfo: one unit holding the sixteen factory programs ----

int32 Vst3Plugin::getUnitCount() { return 1; }

tresult Vst3Plugin::getUnitInfo(int32 unitIndex, UnitInfo& info)
{
    if (unitIndex != 0)
        return kInvalidArgument;
    std::memset(&info, 0, sizeof(info));
    info.id = kRootUnitId;
    info.parentUnitId = kNoParentUnitId;
    toUtf16("Root", info.name, 128);
    info.programListId = kProgramListId;
    return kResultOk;
}

int32 Vst3Plugin::getProgramListCount() { return 1; }

tresult Vst3Plugin::getProgramListInfo(int32 listIndex, ProgramListInfo& info)
{
    if (listIndex != 0)
        return kInvalidArgument;
    std::memset(&info, 0, sizeof(info));
    info.id = kProgramListId;
    toUtf16("Programs", info.name, 128);
    info.programCount = effect::kProgramCount;
    return kResultOk;
}

tresult Vst3Plugin::getProgramName(ProgramListID listId, int32 programIndex, String128 name)
{
    if (listId != kProgramListId || !effect::programs::isProgramIndex(programIndex) || name == nullptr)
        return kInvalidArgument;
    char text[effect::kProgramNameLength + 1];
    effect::programs::copyName(programIndex, text);
    toUtf16(text, name, 128);
    return kResultOk;
}

tresult Vst3Plugin::getProgramInfo(ProgramListID, int32, const char*, String128) { return kResultFalse; }

tresult Vst3Plugin::hasProgramPitchNames(ProgramListID, int32) { return kResultFalse; }

tresult Vst3Plugin::getProgramPitchName(ProgramListID, int32, int16, String128) { return kResultFalse; }

UnitID Vst3Plugin::getSelectedUnit() { return kRootUnitId; }

tresult Vst3Plugin::selectUnit(UnitID unitId) { return unitId == kRootUnitId ? kResultOk : kInvalidArgument; }

tresult Vst3Plugin::getUnitByBus(MediaType type, BusDirection dir, int32 busIndex, int32 /*channel*/, UnitID& unitId)
{
    if (!isAudioBus(type, dir, busIndex))
        return kInvalidArgument;
    unitId = kRootUnitId;
    return kResultOk;
}

tresult Vst3Plugin::setUnitProgramData(int32, int32, IBStream*) { return kNotImplemented; }

}  // namespace quenchbox::vst3
