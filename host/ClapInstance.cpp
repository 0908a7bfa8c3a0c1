#include "host/ClapInstance.h"

#include "formats/clap/ClapRecords.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace quenchbox::host {

// ---- Event lists ----

ClapInputEvents::ClapInputEvents()
{
    record.ctx = this;
    record.size = [](const clap_input_events_t* list) {
        return static_cast<std::uint32_t>(static_cast<const ClapInputEvents*>(list->ctx)->events.size());
    };
    record.get = [](const clap_input_events_t* list, std::uint32_t index) -> const clap_event_header_t* {
        const auto& events = static_cast<const ClapInputEvents*>(list->ctx)->events;
        return index < events.size() ? &events[index].event.header : nullptr;
    };
}

void ClapInputEvents::addValue(std::uint32_t time, clap_id parameter, double value)
{
    const clap_event_param_value_t event = clap::parameterValueEvent(time, parameter, value);
    const auto later = std::upper_bound(events.begin(), events.end(), time,
                                        [](std::uint32_t t, const Stored& s) { return t < s.event.header.time; });
    events.insert(later, Stored{event});
}

void ClapInputEvents::addHeader(const clap_event_header_t& header)
{
    Stored stored{};
    stored.event.header = header;
    events.push_back(stored);
}

ClapOutputEvents::ClapOutputEvents()
{
    record.ctx = this;
    record.try_push = [](const clap_output_events_t* list, const clap_event_header_t* header) {
        auto& events = static_cast<ClapOutputEvents*>(list->ctx)->events;
        if (header->type == CLAP_EVENT_PARAM_VALUE) {
            const auto* change = reinterpret_cast<const clap_event_param_value_t*>(header);
            events.push_back({header->type, change->param_id, change->value});
        } else if (header->type == CLAP_EVENT_PARAM_GESTURE_BEGIN || header->type == CLAP_EVENT_PARAM_GESTURE_END) {
            const auto* gesture = reinterpret_cast<const clap_event_param_gesture_t*>(header);
            events.push_back({header->type, gesture->param_id, 0.0});
        }
        return true;
    };
}

// ---- The host record ----

namespace {

struct ByteStream {
    std::vector<std::uint8_t>* bytes;
    std::size_t position;
    std::size_t bytesPerCall;
};

std::uint64_t chunk(const ByteStream& stream, std::uint64_t asked)
{
    return std::min<std::uint64_t>(asked, stream.bytesPerCall);
}

}  // namespace

ClapInstance& ClapInstance::of(const clap_host_t* host) { return *static_cast<ClapInstance*>(host->host_data); }

const void* ClapInstance::hostExtension(const clap_host_t* host, const char* id)
{
    static const clap_host_params_t params = {
        [](const clap_host_t* h, std::uint32_t) { ++of(h).calls.rescans; },
        [](const clap_host_t*, clap_id, std::uint32_t) {},
        [](const clap_host_t* h) { ++of(h).calls.flushRequests; },
    };
    static const clap_host_latency_t latency = {
        [](const clap_host_t* h) { ++of(h).calls.latencyChanges; },
    };
    static const clap_host_thread_check_t threadCheck = {
        [](const clap_host_t* h) { return std::this_thread::get_id() == of(h).mainThread; },
        [](const clap_host_t* h) { return std::this_thread::get_id() != of(h).mainThread; },
    };
    static const clap_host_context_menu_t contextMenu = {
        [](const clap_host_t*, const clap_context_menu_target_t* target, const clap_context_menu_builder_t* builder) {
            return populateHostMenu(target, builder);
        },
        [](const clap_host_t* h, const clap_context_menu_target_t* target, clap_id action) {
            const bool global = target == nullptr;
            of(h).performed.push_back({global ? std::uint32_t(CLAP_CONTEXT_MENU_TARGET_KIND_GLOBAL) : target->kind,
                                       global ? CLAP_INVALID_ID : target->id, action});
            return true;
        },
        [](const clap_host_t*) { return false; },
        [](const clap_host_t*, const clap_context_menu_target_t*, std::int32_t, std::int32_t, std::int32_t) {
            return false;
        },
    };
    if (of(host).extensions == HostExtensions::none)
        return nullptr;
    return clap::findExtension(id, {{CLAP_EXT_PARAMS, &params},
                                    {CLAP_EXT_LATENCY, &latency},
                                    {CLAP_EXT_THREAD_CHECK, &threadCheck},
                                    {CLAP_EXT_CONTEXT_MENU, &contextMenu}});
}

bool ClapInstance::populateHostMenu(const clap_context_menu_target_t* target,
                                    const clap_context_menu_builder_t* builder)
{
    if (target == nullptr || target->kind != CLAP_CONTEXT_MENU_TARGET_KIND_PARAM)
        return true;
    const clap_context_menu_entry_t automation{"Automation lane", true, kAutomationLaneAction};
    const clap_context_menu_check_entry_t learn{"MIDI Learn", true, true, kMidiLearnAction};
    const clap_context_menu_submenu_t modulate{"Modulate", true};
    const clap_context_menu_entry_t lfo{"LFO 1", true, kLfoAction};
    return builder->add_item(builder, CLAP_CONTEXT_MENU_ITEM_ENTRY, &automation)
           && builder->add_item(builder, CLAP_CONTEXT_MENU_ITEM_SEPARATOR, nullptr)
           && builder->add_item(builder, CLAP_CONTEXT_MENU_ITEM_CHECK_ENTRY, &learn)
           && builder->add_item(builder, CLAP_CONTEXT_MENU_ITEM_BEGIN_SUBMENU, &modulate)
           && builder->add_item(builder, CLAP_CONTEXT_MENU_ITEM_ENTRY, &lfo)
           && builder->add_item(builder, CLAP_CONTEXT_MENU_ITEM_END_SUBMENU, nullptr);
}

ClapInstance::ClapInstance(HostExtensions hostExtensions)
    : extensions(hostExtensions), mainThread(std::this_thread::get_id())
{
    nameThisHost(host);
    host.host_data = this;
    host.get_extension = hostExtension;
    host.request_restart = [](const clap_host_t* h) { ++of(h).calls.restartRequests; };
    host.request_process = [](const clap_host_t*) {};
    host.request_callback = [](const clap_host_t* h) { ++of(h).calls.callbackRequests; };
}

std::unique_ptr<ClapInstance> ClapInstance::create(const clap_plugin_entry_t& entry, HostExtensions extensions)
{
    if (!clap_version_is_compatible(entry.clap_version))
        throw std::runtime_error("the plug-in was built for an incompatible CLAP version");
    const auto* factory = static_cast<const clap_plugin_factory_t*>(entry.get_factory(CLAP_PLUGIN_FACTORY_ID));
    if (factory == nullptr || factory->get_plugin_count(factory) == 0)
        throw std::runtime_error("the CLAP library offers no plug-in");
    const clap_plugin_descriptor_t* descriptor = factory->get_plugin_descriptor(factory, 0);
    std::unique_ptr<ClapInstance> created(new ClapInstance(extensions));
    created->instance = factory->create_plugin(factory, &created->host, descriptor->id);
    if (created->instance == nullptr)
        throw std::runtime_error(std::string("the CLAP library did not create ") + descriptor->id);
    if (!created->instance->init(created->instance)) {
        created->instance->destroy(created->instance);
        created->instance = nullptr;
        throw std::runtime_error(std::string("the plug-in ") + descriptor->id + " did not initialise");
    }
    return created;
}

ClapInstance::~ClapInstance()
{
    if (instance == nullptr)
        return;
    stopProcessing();
    deactivate();
    instance->destroy(instance);
}

// ---- The plug-in's context menu ----

namespace {

bool receiveMenuItem(const clap_context_menu_builder_t* builder, clap_context_menu_item_kind_t kind, const void* data)
{
    auto& entries = *static_cast<std::vector<ClapMenuEntry>*>(builder->ctx);
    switch (kind) {
    case CLAP_CONTEXT_MENU_ITEM_ENTRY: {
        const auto* entry = static_cast<const clap_context_menu_entry_t*>(data);
        entries.push_back({kind, entry->label, entry->is_enabled, false, entry->action_id});
        return true;
    }
    case CLAP_CONTEXT_MENU_ITEM_CHECK_ENTRY: {
        const auto* entry = static_cast<const clap_context_menu_check_entry_t*>(data);
        entries.push_back({kind, entry->label, entry->is_enabled, entry->is_checked, entry->action_id});
        return true;
    }
    case CLAP_CONTEXT_MENU_ITEM_SEPARATOR:
    case CLAP_CONTEXT_MENU_ITEM_END_SUBMENU:
        entries.push_back({kind, "", false, false, CLAP_INVALID_ID});
        return true;
    case CLAP_CONTEXT_MENU_ITEM_BEGIN_SUBMENU: {
        const auto* submenu = static_cast<const clap_context_menu_submenu_t*>(data);
        entries.push_back({kind, submenu->label, submenu->is_enabled, false, CLAP_INVALID_ID});
        return true;
    }
    case CLAP_CONTEXT_MENU_ITEM_TITLE: {
        const auto* title = static_cast<const clap_context_menu_item_title_t*>(data);
        entries.push_back({kind, title->title, title->is_enabled, false, CLAP_INVALID_ID});
        return true;
    }
    default:
        return false;
    }
}

}  // namespace

bool ClapInstance::pluginMenu(const clap_context_menu_target_t* target, std::vector<ClapMenuEntry>& entries) const
{
    entries.clear();
    const auto* menu = extension<clap_plugin_context_menu_t>(CLAP_EXT_CONTEXT_MENU);
    const clap_context_menu_builder_t builder{
        &entries, receiveMenuItem,
        [](const clap_context_menu_builder_t*, clap_context_menu_item_kind_t kind) {
            return kind <= CLAP_CONTEXT_MENU_ITEM_TITLE;
        }};
    return menu != nullptr && menu->populate(instance, target, &builder);
}

bool ClapInstance::performPluginMenuAction(const clap_context_menu_target_t* target, clap_id action) const
{
    const auto* menu = extension<clap_plugin_context_menu_t>(CLAP_EXT_CONTEXT_MENU);
    return menu != nullptr && menu->perform(instance, target, action);
}

// ---- Parameters, state, latency ----

std::uint32_t ClapInstance::parameterCount() const
{
    const auto* params = extension<clap_plugin_params_t>(CLAP_EXT_PARAMS);
    return params ? params->count(instance) : 0;
}

clap_param_info_t ClapInstance::parameterInfo(std::uint32_t index) const
{
    clap_param_info_t info{};
    const auto* params = extension<clap_plugin_params_t>(CLAP_EXT_PARAMS);
    if (params == nullptr || !params->get_info(instance, index, &info))
        info.id = CLAP_INVALID_ID;
    return info;
}

double ClapInstance::value(clap_id parameter) const
{
    double result = 0.0;
    const auto* params = extension<clap_plugin_params_t>(CLAP_EXT_PARAMS);
    if (params)
        params->get_value(instance, parameter, &result);
    return result;
}

std::string ClapInstance::text(clap_id parameter, double v) const
{
    char buffer[CLAP_NAME_SIZE] = "";
    const auto* params = extension<clap_plugin_params_t>(CLAP_EXT_PARAMS);
    if (params == nullptr || !params->value_to_text(instance, parameter, v, buffer, sizeof(buffer)))
        return std::string();
    buffer[sizeof(buffer) - 1] = '\0';
    return buffer;
}

bool ClapInstance::fromText(clap_id parameter, const std::string& text, double& v) const
{
    const auto* params = extension<clap_plugin_params_t>(CLAP_EXT_PARAMS);
    return params != nullptr && params->text_to_value(instance, parameter, text.c_str(), &v);
}

void ClapInstance::flush(const ClapInputEvents& in, ClapOutputEvents* out) const
{
    ClapOutputEvents ignored;
    const auto* params = extension<clap_plugin_params_t>(CLAP_EXT_PARAMS);
    if (params)
        params->flush(instance, in.list(), out ? out->list() : ignored.list());
}

std::uint32_t ClapInstance::latency() const
{
    const auto* ext = extension<clap_plugin_latency_t>(CLAP_EXT_LATENCY);
    return ext ? ext->get(instance) : 0;
}

bool ClapInstance::saveState(std::vector<std::uint8_t>& bytes, std::size_t bytesPerCall) const
{
    const auto* state = extension<clap_plugin_state_t>(CLAP_EXT_STATE);
    if (state == nullptr)
        return false;
    bytes.clear();
    ByteStream stream{&bytes, 0, bytesPerCall};
    clap_ostream_t out{&stream, [](const clap_ostream_t* s, const void* buffer, std::uint64_t size) -> std::int64_t {
                           auto& target = *static_cast<ByteStream*>(s->ctx);
                           const std::uint64_t n = chunk(target, size);
                           const auto* from = static_cast<const std::uint8_t*>(buffer);
                           target.bytes->insert(target.bytes->end(), from, from + n);
                           return static_cast<std::int64_t>(n);
                       }};
    return state->save(instance, &out);
}

bool ClapInstance::loadState(const std::vector<std::uint8_t>& bytes, std::size_t bytesPerCall) const
{
    const auto* state = extension<clap_plugin_state_t>(CLAP_EXT_STATE);
    if (state == nullptr)
        return false;
    std::vector<std::uint8_t> copy = bytes;
    ByteStream stream{&copy, 0, bytesPerCall};
    clap_istream_t in{&stream, [](const clap_istream_t* s, void* buffer, std::uint64_t size) -> std::int64_t {
                          auto& source = *static_cast<ByteStream*>(s->ctx);
                          const std::uint64_t n = std::min<std::uint64_t>(chunk(source, size),
                                                                          source.bytes->size() - source.position);
                          if (n > 0)  // an empty state has no data to copy from
                              std::memcpy(buffer, source.bytes->data() + source.position, n);
                          source.position += n;
                          return static_cast<std::int64_t>(n);
                      }};
    return state->load(instance, &in);
}

// ---- Activation and processing ----

bool ClapInstance::activate(double sampleRate, std::uint32_t minFrames, std::uint32_t maxFrames)
{
    active = instance->activate(instance, sampleRate, minFrames, maxFrames);
    return active;
}

void ClapInstance::deactivate()
{
    if (active)
        instance->deactivate(instance);
    active = false;
}

bool ClapInstance::startProcessing()
{
    processing = active && instance->start_processing(instance);
    return processing;
}

void ClapInstance::stopProcessing()
{
    if (processing)
        instance->stop_processing(instance);
    processing = false;
}

clap_process_status ClapInstance::run(clap_audio_buffer_t& input, clap_audio_buffer_t& output, std::uint32_t frames,
                                      const ClapInputEvents* in, ClapOutputEvents* out)
{
    const ClapInputEvents none;
    ClapOutputEvents ignored;
    clap_process_t block{};
    block.steady_time = steadyTime;
    block.frames_count = frames;
    block.audio_inputs = &input;
    block.audio_outputs = &output;
    block.audio_inputs_count = 1;
    block.audio_outputs_count = 1;
    block.in_events = (in ? in : &none)->list();
    block.out_events = (out ? out : &ignored)->list();
    steadyTime += frames;
    return instance->process(instance, &block);
}

clap_process_status ClapInstance::process(float** inputs, float** outputs, std::uint32_t frames,
                                          const ClapInputEvents* in, ClapOutputEvents* out)
{
    clap_audio_buffer_t input{inputs, nullptr, 2, 0, 0};
    clap_audio_buffer_t output{outputs, nullptr, 2, 0, 0};
    return run(input, output, frames, in, out);
}

clap_process_status ClapInstance::process(double** inputs, double** outputs, std::uint32_t frames,
                                          const ClapInputEvents* in, ClapOutputEvents* out)
{
    clap_audio_buffer_t input{nullptr, inputs, 2, 0, 0};
    clap_audio_buffer_t output{nullptr, outputs, 2, 0, 0};
    return run(input, output, frames, in, out);
}

}  // namespace quenchbox::host
