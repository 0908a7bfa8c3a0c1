#include "formats/clap/ClapPlugin.h"

#include "effect/ParameterMapping.h"
#include "effect/Parameters.h"

#include "formats/clap/ClapStreams.h"
#include "formats/clap/ClapRecords.h"
#include "formats/shared/HostMenuBuilder.h"
#include "formats/shared/ParameterDescriptions.h"
#include "formats/shared/StateCodec.h"
#include "shell/StringCopy.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <new>
#include <string>

namespace quenchbox::clap {

namespace {

constexpr std::uint32_t kChannelCount = 2;
constexpr clap_id kMainPort = 0;
using formats::EditorEvent;

// Rates a circuit model of this kind makes sense at, and the processing
// entry keeps its period inside.

template <typename Extension>
const Extension* hostExtension(const clap_host_t* host, const char* id)
{
    if (host->get_extension == nullptr)
        return nullptr;
    return static_cast<const Extension*>(host->get_extension(host, id));
}

bool isParameterId(clap_id id) { return id < static_cast<clap_id>(effect::kParameterCount); }

int indexOf(clap_id id) { return static_cast<int>(id); }

clap_event_param_gesture_t gestureEvent(std::uint32_t parameter, bool begins)
{
    clap_event_param_gesture_t event{};
    const std::uint16_t type = begins ? CLAP_EVENT_PARAM_GESTURE_BEGIN : CLAP_EVENT_PARAM_GESTURE_END;
    event.header = {sizeof(event), 0, CLAP_CORE_EVENT_SPACE_ID, type, 0};
    event.param_id = parameter;
    return event;
}

const clap_event_param_value_t* asParameterValue(const clap_event_header_t* event)
{
    if (event == nullptr || event->space_id != CLAP_CORE_EVENT_SPACE_ID || event->type != CLAP_EVENT_PARAM_VALUE
        || event->size < sizeof(clap_event_param_value_t))
        return nullptr;
    return reinterpret_cast<const clap_event_param_value_t*>(event);
}

std::uint32_t eventCount(const clap_input_events_t* events)
{
    return events != nullptr && events->size != nullptr && events->get != nullptr ? events->size(events) : 0;
}

// Our one item in a host's menu on a parameter.
constexpr clap_id kResetToProgramValueAction = 1;

// One populate call of the host's: the editor's menu and, per item, the
// host's action.
struct HostMenuCollector {
    formats::HostMenuBuilder builder;
    const effect::HostMenu& menu;
    bool* choosable;
    clap_id* actions;
};

void collectEntry(HostMenuCollector& collector, const char* label, bool enabled, bool checked, clap_id action)
{
    const int index = collector.builder.addItem(label, enabled, checked);
    if (index < 0)
        return;
    collector.choosable[index] = collector.menu.items[index].enabled;
    collector.actions[index] = action;
}

bool collectHostMenuItem(const clap_context_menu_builder_t* record, clap_context_menu_item_kind_t kind,
                         const void* data)
{
    if (record == nullptr)
        return false;
    HostMenuCollector& collector = *static_cast<HostMenuCollector*>(record->ctx);
    const bool needsData = kind != CLAP_CONTEXT_MENU_ITEM_SEPARATOR && kind != CLAP_CONTEXT_MENU_ITEM_END_SUBMENU;
    if (needsData && data == nullptr)
        return false;
    switch (kind) {
    case CLAP_CONTEXT_MENU_ITEM_ENTRY: {
        const auto& entry = *static_cast<const clap_context_menu_entry_t*>(data);
        collectEntry(collector, entry.label, entry.is_enabled, false, entry.action_id);
        return true;
    }
    case CLAP_CONTEXT_MENU_ITEM_CHECK_ENTRY: {
        const auto& entry = *static_cast<const clap_context_menu_check_entry_t*>(data);
        collectEntry(collector, entry.label, entry.is_enabled, entry.is_checked, entry.action_id);
        return true;
    }
    case CLAP_CONTEXT_MENU_ITEM_SEPARATOR:
        collector.builder.addSeparator();
        return true;
    case CLAP_CONTEXT_MENU_ITEM_BEGIN_SUBMENU: {
        const auto& submenu = *static_cast<const clap_context_menu_submenu_t*>(data);
        collector.builder.beginSubmenu(submenu.label, submenu.is_enabled);
        return true;
    }
    case CLAP_CONTEXT_MENU_ITEM_END_SUBMENU:
        collector.builder.endSubmenu();
        return true;
    case CLAP_CONTEXT_MENU_ITEM_TITLE:
        collector.builder.addHeading(static_cast<const clap_context_menu_item_title_t*>(data)->title);
        return true;
    default:
        return false;
    }
}

bool supportsHostMenuItem(const clap_context_menu_builder_t*, clap_context_menu_item_kind_t kind)
{
    return kind <= CLAP_CONTEXT_MENU_ITEM_TITLE;
}

// The parameter a menu target names, -1 for any other target.
int parameterOfTarget(const clap_context_menu_target_t* target)
{
    if (target == nullptr || target->kind != CLAP_CONTEXT_MENU_TARGET_KIND_PARAM || !isParameterId(target->id))
        return -1;
    return indexOf(target->id);
}

}  // namespace

ClapPlugin::ClapPlugin(const clap_host_t* clapHost, const clap_plugin_descriptor_t* descriptor) : host(clapHost)
{
    plugin.desc = descriptor;
    plugin.plugin_data = this;
    plugin.init = [](const clap_plugin_t* p) { return self(p)->init(); };
    plugin.destroy = [](const clap_plugin_t* p) { self(p)->destroy(); };
    plugin.activate = [](const clap_plugin_t* p, double rate, std::uint32_t minFrames, std::uint32_t maxFrames) {
        return self(p)->activate(rate, minFrames, maxFrames);
    };
    plugin.deactivate = [](const clap_plugin_t* p) { self(p)->deactivate(); };
    plugin.start_processing = [](const clap_plugin_t* p) { return self(p)->startProcessing(); };
    plugin.stop_processing = [](const clap_plugin_t* p) { self(p)->stopProcessing(); };
    plugin.reset = [](const clap_plugin_t* p) { self(p)->reset(); };
    plugin.process = [](const clap_plugin_t* p, const clap_process_t* block) { return self(p)->process(block); };
    plugin.get_extension = [](const clap_plugin_t* p, const char* id) { return self(p)->extension(id); };
    plugin.on_main_thread = [](const clap_plugin_t* p) { self(p)->onMainThread(); };
}

ClapPlugin* ClapPlugin::self(const clap_plugin_t* p) { return static_cast<ClapPlugin*>(p->plugin_data); }

// ---- Life cycle ----

bool ClapPlugin::init()
{
    if (stage != Stage::created)
        return false;
    hostParams = hostExtension<clap_host_params_t>(host, CLAP_EXT_PARAMS);
    hostLatency = hostExtension<clap_host_latency_t>(host, CLAP_EXT_LATENCY);
    hostThreadCheck = hostExtension<clap_host_thread_check_t>(host, CLAP_EXT_THREAD_CHECK);
    const auto* menus = hostExtension<clap_host_context_menu_t>(host, CLAP_EXT_CONTEXT_MENU);
    if (menus != nullptr && menus->populate != nullptr && menus->perform != nullptr)
        hostContextMenu = menus;
    if (!adapter.create())
        return false;
    if (hostContextMenu != nullptr)
        adapter.quenchboxEffect()->setHostMenus(this);
    if (AEffEditor* editor = adapter.editor(); editor != nullptr && ClapGui::windowApi() != nullptr) {
        editorGui.reset(new (std::nothrow) ClapGui(
            *editor, host,
            ClapGui::drivenByHost() ? hostExtension<clap_host_timer_support_t>(host, CLAP_EXT_TIMER_SUPPORT) : nullptr,
            ClapGui::drivenByHost() ? hostExtension<clap_host_posix_fd_support_t>(host, CLAP_EXT_POSIX_FD_SUPPORT)
                                    : nullptr));
    }
    stage = Stage::initialized;
    return true;
}

void ClapPlugin::destroy()
{
    // The editor closes before the effect that owns it goes.
    editorGui.reset();
    delete this;
}

bool ClapPlugin::activate(double sampleRate, std::uint32_t minFrames, std::uint32_t maxFrames)
{
    if (stage != Stage::initialized || !effect::isSupportedSampleRate(sampleRate) || maxFrames == 0
        || minFrames > maxFrames || maxFrames > static_cast<std::uint32_t>(INT32_MAX))
        return false;
    adapter.activate(sampleRate, maxFrames);
    activeLatency = latency();
    restartRequested = false;
    if (hostLatency != nullptr && activeLatency != reportedLatency)
        hostLatency->changed(host);
    reportedLatency = activeLatency;
    stage = Stage::active;
    return true;
}

void ClapPlugin::deactivate()
{
    if (stage != Stage::active)
        return;
    adapter.deactivate();
    stage = Stage::initialized;
}

bool ClapPlugin::startProcessing()
{
    Stage expected = Stage::active;
    return stage.compare_exchange_strong(expected, Stage::processing);
}

void ClapPlugin::stopProcessing()
{
    Stage expected = Stage::processing;
    stage.compare_exchange_strong(expected, Stage::active);
}

// Every processing state goes: the next block sounds as from a fresh
// instance with the same settings.
void ClapPlugin::reset()
{
    if (stage == Stage::active || stage == Stage::processing)
        adapter.clearProcessingState();
}

const void* ClapPlugin::extension(const char* id) const
{
    return findExtension(id, {
                                 {CLAP_EXT_AUDIO_PORTS, &audioPortsExtension},
                                 {CLAP_EXT_PARAMS, &paramsExtension},
                                 {CLAP_EXT_STATE, &stateExtension},
                                 {CLAP_EXT_LATENCY, &latencyExtension},
                                 {CLAP_EXT_PRESET_LOAD, &presetLoadExtension},
                                 {CLAP_EXT_PRESET_LOAD_COMPAT, &presetLoadExtension},
                                 {CLAP_EXT_PRESET_LOAD_EARLIER, &presetLoadExtension},
                                 {CLAP_EXT_GUI, gui() != nullptr ? &guiExtension : nullptr},
                                 {CLAP_EXT_TIMER_SUPPORT, drivesEditor() ? &timerExtension : nullptr},
                                 {CLAP_EXT_POSIX_FD_SUPPORT, drivesEditor() ? &descriptorExtension : nullptr},
                                 {CLAP_EXT_CONTEXT_MENU, &contextMenuExtension},
                             });
}

// ---- Processing ----

clap_process_status ClapPlugin::process(const clap_process_t* block)
{
    if (stage != Stage::processing || block == nullptr)
        return CLAP_PROCESS_ERROR;
    sendEditorEvents(block->out_events);

    // An empty block needs no buffers; its parameter changes still count.
    bool played = false;
    if (block->frames_count > 0 && block->audio_outputs_count >= 1 && block->audio_outputs != nullptr) {
        const clap_audio_buffer_t& out = block->audio_outputs[0];
        const clap_audio_buffer_t* in = block->audio_inputs_count >= 1 ? block->audio_inputs : nullptr;
        const std::uint32_t outChannels = out.channel_count;
        if (out.data32 != nullptr)
            played = processAudio<float>(*block, in ? in->data32 : nullptr, out.data32, in ? in->channel_count : 0,
                                         outChannels);
        else if (out.data64 != nullptr)
            played = processAudio<double>(*block, in ? in->data64 : nullptr, out.data64,
                                          in ? in->channel_count : 0, outChannels);
    }
    if (!played) {
        const std::uint32_t count = eventCount(block->in_events);
        for (std::uint32_t i = 0; i < count; ++i)
            applyEvent(block->in_events->get(block->in_events, i));
    }
    requestRestartIfLatencyMoved();
    return played || block->frames_count == 0 ? CLAP_PROCESS_CONTINUE : CLAP_PROCESS_ERROR;
}

template <typename Sample>
bool ClapPlugin::processAudio(const clap_process_t& block, Sample* const* inputs, Sample* const* outputs,
                              std::uint32_t inputChannels, std::uint32_t outputChannels)
{
    if (outputChannels == 0 || outputs == nullptr)
        return false;
    for (std::uint32_t c = 0; c < outputChannels; ++c)
        if (outputs[c] == nullptr)
            return false;

    const std::uint32_t frames = block.frames_count;
    const std::uint32_t count = eventCount(block.in_events);
    std::uint32_t position = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        const clap_event_header_t* event = block.in_events->get(block.in_events, i);
        if (asParameterValue(event) == nullptr)
            continue;
        // Events come in time order; a late or early one is held at the edges.
        const std::uint32_t at = std::clamp(event->time, position, frames);
        adapter.run(inputs, inputChannels, outputs, outputChannels, position, at);
        position = at;
        applyEvent(event);
    }
    adapter.run(inputs, inputChannels, outputs, outputChannels, position, frames);
    return true;
}

void ClapPlugin::applyEvent(const clap_event_header_t* event)
{
    if (const clap_event_param_value_t* change = asParameterValue(event))
        if (isParameterId(change->param_id))
            adapter.setParameter(indexOf(change->param_id), change->value);
}

// ---- The editor's changes, on their way to the host ----

void ClapPlugin::editorChanged()
{
    const bool onAudioThread = hostThreadCheck != nullptr && hostThreadCheck->is_audio_thread != nullptr
                               && hostThreadCheck->is_audio_thread(host);
    if (stage != Stage::processing && !onAudioThread && hostParams != nullptr && hostParams->request_flush)
        hostParams->request_flush(host);
}

void ClapPlugin::sendEditorEvents(const clap_output_events_t* out)
{
    const bool canSend = out != nullptr && out->try_push != nullptr;
    EditorEvent event;
    while (adapter.takeEditorEvent(event)) {
        if (!canSend)
            continue;
        if (event.kind == EditorEvent::Kind::value) {
            const clap_event_param_value_t change = parameterValueEvent(0, event.parameter, event.value);
            out->try_push(out, &change.header);
        } else {
            const clap_event_param_gesture_t gesture =
                gestureEvent(event.parameter, event.kind == EditorEvent::Kind::gestureBegin);
            out->try_push(out, &gesture.header);
        }
    }
}

void ClapPlugin::flush(const clap_input_events_t* in, const clap_output_events_t* out)
{
    if (!adapter.created())
        return;
    const std::uint32_t count = eventCount(in);
    for (std::uint32_t i = 0; i < count; ++i)
        applyEvent(in->get(in, i));
    sendEditorEvents(out);
    requestRestartIfLatencyMoved();
}

// A latency that moved while active asks the host, once, to restart the
// plug-in so that it reads the new figure.
void ClapPlugin::requestRestartIfLatencyMoved()
{
    const Stage now = stage;
    if ((now == Stage::active || now == Stage::processing) && adapter.latency() != activeLatency
        && !restartRequested.exchange(true) && host->request_restart != nullptr)
        host->request_restart(host);
}

// ---- Audio ports ----

bool ClapPlugin::audioPortInfo(std::uint32_t index, bool isInput, clap_audio_port_info_t* info) const
{
    if (index != 0 || info == nullptr)
        return false;
    info->id = kMainPort;
    copyBounded(info->name, isInput ? "Input" : "Output", CLAP_NAME_SIZE - 1);
    info->flags = CLAP_AUDIO_PORT_IS_MAIN | CLAP_AUDIO_PORT_SUPPORTS_64BITS
                  | CLAP_AUDIO_PORT_REQUIRES_COMMON_SAMPLE_SIZE;
    info->channel_count = kChannelCount;
    info->port_type = CLAP_PORT_STEREO;
    info->in_place_pair = kMainPort;
    return true;
}

// ---- Parameters ----

bool ClapPlugin::parameterInfo(std::uint32_t index, clap_param_info_t* info) const
{
    if (!isParameterId(index) || info == nullptr)
        return false;
    const effect::ParameterInfo& parameter = effect::kParameters[indexOf(index)];
    std::memset(info, 0, sizeof(*info));
    info->id = index;
    info->flags = CLAP_PARAM_IS_AUTOMATABLE;
    if (effect::isStepped(parameter.kind))
        info->flags |= CLAP_PARAM_IS_STEPPED;
    if (parameter.kind == effect::ParameterKind::choice)
        info->flags |= CLAP_PARAM_IS_ENUM;
    copyBounded(info->name, parameter.fullName, CLAP_NAME_SIZE - 1);
    info->min_value = 0.0;
    info->max_value = 1.0;
    info->default_value = parameter.defaultValue;
    return true;
}

bool ClapPlugin::parameterValue(clap_id id, double* value) const
{
    if (!adapter.created() || !isParameterId(id) || value == nullptr)
        return false;
    *value = adapter.parameter(indexOf(id));
    return true;
}

bool ClapPlugin::valueToText(clap_id id, double value, char* buffer, std::uint32_t capacity) const
{
    if (!isParameterId(id) || buffer == nullptr || capacity == 0)
        return false;
    copyBounded(buffer, formats::parameterText(indexOf(id), value).c_str(), capacity - 1);
    return true;
}

bool ClapPlugin::textToValue(clap_id id, const char* text, double* value) const
{
    return isParameterId(id) && value != nullptr && formats::parameterFromText(indexOf(id), text, *value);
}

// ---- State ----

bool ClapPlugin::saveState(const clap_ostream_t* stream) const
{
    if (!adapter.created())
        return false;
    const formats::EncodedState bytes = adapter.saveState();
    return writeAll(stream, bytes.data(), bytes.size());
}

bool ClapPlugin::loadState(const clap_istream_t* stream)
{
    // One byte more than a state holds tells a longer stream from a state.
    std::uint8_t bytes[formats::kStateSize + 1];
    const std::int64_t size = readUpTo(stream, bytes, sizeof(bytes));
    if (!adapter.created() || size < 0 || !adapter.loadState(bytes, static_cast<std::size_t>(size)))
        return false;
    requestRestartIfLatencyMoved();
    return true;
}

// ---- Latency and programs ----

std::uint32_t ClapPlugin::latency() const { return adapter.latency(); }

// The sixteen programs are presets inside the plug-in: load key "0" to "15".
bool ClapPlugin::loadProgram(std::uint32_t locationKind, const char* location, const char* loadKey)
{
    if (!adapter.created() || locationKind != CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN || location != nullptr || loadKey == nullptr)
        return false;
    const char* end = loadKey + std::strlen(loadKey);
    int program = -1;
    const auto [stop, error] = std::from_chars(loadKey, end, program);
    if (error != std::errc() || stop != end || !effect::programs::isProgramIndex(program))
        return false;
    adapter.selectProgram(program);
    // The host may hold its own locks while it loads a preset: it hears of
    // the new values from on_main_thread, which request_callback (callable
    // from anywhere) asks for.
    rescanPending = true;
    if (host->request_callback != nullptr)
        host->request_callback(host);
    requestRestartIfLatencyMoved();
    return true;
}

void ClapPlugin::onMainThread()
{
    if (rescanPending.exchange(false) && hostParams != nullptr && hostParams->rescan != nullptr)
        hostParams->rescan(host, CLAP_PARAM_RESCAN_VALUES);
}

// ---- Context menus ----

bool ClapPlugin::onMainThreadByHostCheck() const
{
    return hostThreadCheck == nullptr || hostThreadCheck->is_main_thread == nullptr
           || hostThreadCheck->is_main_thread(host);
}

// The editor asks from its own event handling, on the main thread, never
// inside a call of the host's.
bool ClapPlugin::hostMenu(int index, effect::HostMenu& menu)
{
    hostMenuActions = HostMenuActions{};
    HostMenuCollector collector{formats::HostMenuBuilder(menu), menu, hostMenuActions.choosable,
                                hostMenuActions.action};
    if (hostContextMenu == nullptr || !isParameterId(static_cast<clap_id>(index)) || !onMainThreadByHostCheck())
        return false;
    const clap_context_menu_target_t target{CLAP_CONTEXT_MENU_TARGET_KIND_PARAM, static_cast<clap_id>(index)};
    const clap_context_menu_builder_t builder{&collector, collectHostMenuItem, supportsHostMenuItem};
    if (!hostContextMenu->populate(host, &target, &builder)) {
        menu.count = 0;
        return false;
    }
    hostMenuActions.parameter = target.id;
    return menu.count > 0;
}

void ClapPlugin::chooseHostMenuItem(int index, int item)
{
    if (hostContextMenu == nullptr || index < 0 || hostMenuActions.parameter != static_cast<clap_id>(index)
        || item < 0 || item >= effect::kMaxHostMenuItems || !hostMenuActions.choosable[item]
        || !onMainThreadByHostCheck())
        return;
    const clap_context_menu_target_t target{CLAP_CONTEXT_MENU_TARGET_KIND_PARAM, hostMenuActions.parameter};
    hostContextMenu->perform(host, &target, hostMenuActions.action[item]);
}

// A parameter's menu gets our item; the global menu has none of ours.
bool ClapPlugin::populateContextMenu(const clap_context_menu_target_t* target,
                                     const clap_context_menu_builder_t* builder)
{
    if (builder == nullptr || builder->add_item == nullptr)
        return false;
    if (target == nullptr || target->kind == CLAP_CONTEXT_MENU_TARGET_KIND_GLOBAL)
        return true;
    if (parameterOfTarget(target) < 0)
        return false;
    const clap_context_menu_entry_t reset{effect::kResetToProgramLabel, true, kResetToProgramValueAction};
    return builder->add_item(builder, CLAP_CONTEXT_MENU_ITEM_ENTRY, &reset);
}

bool ClapPlugin::performContextMenuAction(const clap_context_menu_target_t* target, clap_id action)
{
    const int index = parameterOfTarget(target);
    if (!adapter.created() || index < 0 || action != kResetToProgramValueAction)
        return false;
    resetToProgramValue(index);
    return true;
}

// As an edit in the editor: one gesture, which reaches the host as output
// events with the next flush or block. The only call into the host on the
// way is request_flush, a request any thread may make at any time.
void ClapPlugin::resetToProgramValue(int index)
{
    effect::QuenchboxEffect& quenchbox = *adapter.quenchboxEffect();
    const float value = quenchbox.programValue(index);
    quenchbox.beginEdit(index);
    quenchbox.setParameterAutomated(index, value);
    quenchbox.endEdit(index);
}

// ---- Extension tables ----

const clap_plugin_audio_ports_t ClapPlugin::audioPortsExtension = {
    [](const clap_plugin_t*, bool) -> std::uint32_t { return 1; },
    [](const clap_plugin_t* p, std::uint32_t index, bool isInput, clap_audio_port_info_t* info) {
        return self(p)->audioPortInfo(index, isInput, info);
    },
};

const clap_plugin_params_t ClapPlugin::paramsExtension = {
    [](const clap_plugin_t*) -> std::uint32_t { return effect::kParameterCount; },
    [](const clap_plugin_t* p, std::uint32_t index, clap_param_info_t* info) {
        return self(p)->parameterInfo(index, info);
    },
    [](const clap_plugin_t* p, clap_id id, double* value) { return self(p)->parameterValue(id, value); },
    [](const clap_plugin_t* p, clap_id id, double value, char* buffer, std::uint32_t capacity) {
        return self(p)->valueToText(id, value, buffer, capacity);
    },
    [](const clap_plugin_t* p, clap_id id, const char* text, double* value) {
        return self(p)->textToValue(id, text, value);
    },
    [](const clap_plugin_t* p, const clap_input_events_t* in, const clap_output_events_t* out) {
        self(p)->flush(in, out);
    },
};

const clap_plugin_state_t ClapPlugin::stateExtension = {
    [](const clap_plugin_t* p, const clap_ostream_t* stream) { return self(p)->saveState(stream); },
    [](const clap_plugin_t* p, const clap_istream_t* stream) { return self(p)->loadState(stream); },
};

const clap_plugin_latency_t ClapPlugin::latencyExtension = {
    [](const clap_plugin_t* p) { return self(p)->latency(); },
};

const clap_plugin_preset_load_t ClapPlugin::presetLoadExtension = {
    [](const clap_plugin_t* p, std::uint32_t kind, const char* location, const char* key) {
        return self(p)->loadProgram(kind, location, key);
    },
};

const clap_plugin_gui_t ClapPlugin::guiExtension = {
    [](const clap_plugin_t* p, const char* api, bool floating) { return self(p)->gui()->isApiSupported(api, floating); },
    [](const clap_plugin_t*, const char** api, bool* floating) {
        if (api == nullptr || floating == nullptr)
            return false;
        *api = ClapGui::windowApi();
        *floating = false;
        return true;
    },
    [](const clap_plugin_t* p, const char* api, bool floating) { return self(p)->gui()->create(api, floating); },
    [](const clap_plugin_t* p) { self(p)->gui()->destroy(); },
    [](const clap_plugin_t* p, double scale) { return self(p)->gui()->setScale(scale); },
    [](const clap_plugin_t* p, std::uint32_t* width, std::uint32_t* height) {
        return self(p)->gui()->getSize(width, height);
    },
    [](const clap_plugin_t* p) { return self(p)->gui()->canResize(); },
    [](const clap_plugin_t* p, clap_gui_resize_hints_t* hints) { return self(p)->gui()->getResizeHints(hints); },
    [](const clap_plugin_t* p, std::uint32_t* width, std::uint32_t* height) {
        return self(p)->gui()->adjustSize(width, height);
    },
    [](const clap_plugin_t* p, std::uint32_t width, std::uint32_t height) {
        return self(p)->gui()->setSize(width, height);
    },
    [](const clap_plugin_t* p, const clap_window_t* window) { return self(p)->gui()->setParent(window); },
    [](const clap_plugin_t*, const clap_window_t*) { return false; },  // embedded only
    [](const clap_plugin_t*, const char*) {},
    [](const clap_plugin_t* p) { return self(p)->gui()->show(); },
    [](const clap_plugin_t* p) { return self(p)->gui()->hide(); },
};

// The X11 editor is driven from the host's main thread through these two.
const clap_plugin_timer_support_t ClapPlugin::timerExtension = {
    [](const clap_plugin_t* p, clap_id timer) { self(p)->gui()->onTimer(timer); },
};

const clap_plugin_posix_fd_support_t ClapPlugin::descriptorExtension = {
    [](const clap_plugin_t* p, int fd, std::uint32_t) { self(p)->gui()->onDescriptor(fd); },
};

const clap_plugin_context_menu_t ClapPlugin::contextMenuExtension = {
    [](const clap_plugin_t* p, const clap_context_menu_target_t* target, const clap_context_menu_builder_t* builder) {
        return self(p)->populateContextMenu(target, builder);
    },
    [](const clap_plugin_t* p, const clap_context_menu_target_t* target, clap_id action) {
        return self(p)->performContextMenuAction(target, action);
    },
};

}  // namespace quenchbox::clap
