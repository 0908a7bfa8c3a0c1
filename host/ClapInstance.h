#ifndef QUENCHBOX_HOST_CLAPINSTANCE_H
#define QUENCHBOX_HOST_CLAPINSTANCE_H

#include "formats/clap/ClapInterface.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace quenchbox::host {

// Parameter events a host hands to a plug-in: kept in time order, offered
// through the published input list.
class ClapInputEvents {
public:
    ClapInputEvents();
    void addValue(std::uint32_t time, clap_id parameter, double value);
    void addHeader(const clap_event_header_t& header);  // any other event, as given
    void clear() { events.clear(); }
    const clap_input_events_t* list() const { return &record; }

private:
    struct Stored {
        clap_event_param_value_t event;
    };
    std::vector<Stored> events;
    clap_input_events_t record;
};

// What a plug-in sends its host: the parameter values and gestures.
struct ClapOutputEvent {
    std::uint16_t type;
    clap_id parameter;
    double value;
};

class ClapOutputEvents {
public:
    ClapOutputEvents();
    const std::vector<ClapOutputEvent>& received() const { return events; }
    void clear() { events.clear(); }
    const clap_output_events_t* list() const { return &record; }

private:
    std::vector<ClapOutputEvent> events;
    clap_output_events_t record;
};

// What the host side notices of its plug-in: requests and notifications.
// Plug-ins call from any thread, so the counts are atomic.
struct ClapHostCalls {
    std::atomic<int> restartRequests{0};
    std::atomic<int> flushRequests{0};
    std::atomic<int> latencyChanges{0};
    std::atomic<int> rescans{0};
    std::atomic<int> callbackRequests{0};
};

// A context-menu action a host or plug-in performed: the target's kind and
// id (none for the global menu) and the action.
struct ClapMenuAction {
    std::uint32_t kind;
    clap_id id;
    clap_id action;
};

// An item of a context menu as a builder received it; submenus and titles
// by their kind, with their label.
struct ClapMenuEntry {
    clap_context_menu_item_kind_t kind;
    std::string label;
    bool enabled;
    bool checked;
    clap_id action;
};

// How this host names itself in the records it hands a plug-in: the host
// record and a preset-discovery indexer.
template <typename HostRecord>
void nameThisHost(HostRecord& record)
{
    record.clap_version = CLAP_VERSION_INIT;
    record.name = "quenchbox-render";
    record.vendor = "ZUK";
    record.url = "";
    record.version = "1";
}

// One plug-in instance created from a CLAP entry the way a host does it:
// the factory, create_plugin, init; then the plug-in record and its
// extensions. The caller has initialised the entry and keeps it alive.
class ClapInstance {
public:
    enum class HostExtensions { all, none };

    // Throws std::runtime_error with a message a user can act on.
    static std::unique_ptr<ClapInstance> create(const clap_plugin_entry_t& entry,
                                                HostExtensions extensions = HostExtensions::all);
    ~ClapInstance();

    ClapInstance(const ClapInstance&) = delete;
    ClapInstance& operator=(const ClapInstance&) = delete;

    const clap_plugin_t* plugin() const { return instance; }
    const clap_plugin_descriptor_t& descriptor() const { return *instance->desc; }
    const ClapHostCalls& hostCalls() const { return calls; }

    // The host's context menu on a parameter: "Automation lane" (action
    // 1), a separator, "MIDI Learn" checked (2), a submenu "Modulate" with
    // "LFO 1" (3); nothing for the global menu. What the plug-in had the
    // host perform, in order (main thread).
    static constexpr clap_id kAutomationLaneAction = 1;
    static constexpr clap_id kMidiLearnAction = 2;
    static constexpr clap_id kLfoAction = 3;
    const std::vector<ClapMenuAction>& hostMenuActions() const { return performed; }
    // The plug-in's items in a host's menu for the target (null: global),
    // false when its populate refused; and performing one of its actions.
    bool pluginMenu(const clap_context_menu_target_t* target, std::vector<ClapMenuEntry>& entries) const;
    bool performPluginMenuAction(const clap_context_menu_target_t* target, clap_id action) const;

    template <typename Extension>
    const Extension* extension(const char* id) const
    {
        return static_cast<const Extension*>(instance->get_extension(instance, id));
    }

    std::uint32_t parameterCount() const;
    clap_param_info_t parameterInfo(std::uint32_t index) const;
    double value(clap_id parameter) const;
    std::string text(clap_id parameter, double value) const;
    bool fromText(clap_id parameter, const std::string& text, double& value) const;
    void flush(const ClapInputEvents& in, ClapOutputEvents* out = nullptr) const;
    std::uint32_t latency() const;

    // Save answers false when the plug-in refuses; both move at most
    // bytesPerCall bytes in each call of the stream.
    bool saveState(std::vector<std::uint8_t>& bytes, std::size_t bytesPerCall = SIZE_MAX) const;
    bool loadState(const std::vector<std::uint8_t>& bytes, std::size_t bytesPerCall = SIZE_MAX) const;

    bool activate(double sampleRate, std::uint32_t minFrames, std::uint32_t maxFrames);
    void deactivate();
    bool startProcessing();
    void stopProcessing();
    bool isActive() const { return active; }
    bool isProcessing() const { return processing; }

    // One block of two-channel audio; inputs may equal outputs (in place).
    clap_process_status process(float** inputs, float** outputs, std::uint32_t frames,
                                const ClapInputEvents* in = nullptr, ClapOutputEvents* out = nullptr);
    clap_process_status process(double** inputs, double** outputs, std::uint32_t frames,
                                const ClapInputEvents* in = nullptr, ClapOutputEvents* out = nullptr);

private:
    ClapInstance(HostExtensions extensions);
    static const void* hostExtension(const clap_host_t* host, const char* id);
    static ClapInstance& of(const clap_host_t* host);
    static bool populateHostMenu(const clap_context_menu_target_t* target, const clap_context_menu_builder_t* builder);
    clap_process_status run(clap_audio_buffer_t& input, clap_audio_buffer_t& output, std::uint32_t frames,
                            const ClapInputEvents* in, ClapOutputEvents* out);

    clap_host_t host;
    HostExtensions extensions;
    std::thread::id mainThread;
    ClapHostCalls calls;
    std::vector<ClapMenuAction> performed;
    const clap_plugin_t* instance = nullptr;
    bool active = false;
    bool processing = false;
    std::int64_t steadyTime = 0;
};

}  // namespace quenchbox::host

#endif
