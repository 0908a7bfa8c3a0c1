#ifndef QUENCHBOX_FORMATS_CLAP_CLAPPLUGIN_H
#define QUENCHBOX_FORMATS_CLAP_CLAPPLUGIN_H

#include "formats/clap/ClapGui.h"
#include "formats/clap/ClapInterface.h"
#include "formats/shared/EffectAdapter.h"

#include <atomic>
#include <cstdint>
#include <memory>

namespace quenchbox::clap {

// One CLAP instance: translates the host's calls into the shared adapter's,
// which owns the effect. The editor's automation and gestures become
// parameter events for the host.
//
// Context menus, both ways and on the main thread: the editor's menu on a
// control shows the host's items for its parameter (collected through the
// host's context-menu extension, submenus flattened), and a host's own menu
// on a parameter offers "Reset to program value", which moves the parameter
// as one gesture, as an edit in the editor does.
class ClapPlugin final : private formats::EditorListener, private effect::HostMenus {
public:
    ClapPlugin(const clap_host_t* host, const clap_plugin_descriptor_t* descriptor);

    ClapPlugin(const ClapPlugin&) = delete;
    ClapPlugin& operator=(const ClapPlugin&) = delete;

    const clap_plugin_t* record() const { return &plugin; }
    // The effect this instance drives, null before init; tests reach the
    // editor's side of it here.
    effect::QuenchboxEffect* quenchboxEffect() const { return adapter.quenchboxEffect(); }

private:
    enum class Stage { created, initialized, active, processing };

    static ClapPlugin* self(const clap_plugin_t* plugin);
    static const clap_plugin_audio_ports_t audioPortsExtension;
    static const clap_plugin_params_t paramsExtension;
    static const clap_plugin_state_t stateExtension;
    static const clap_plugin_latency_t latencyExtension;
    static const clap_plugin_preset_load_t presetLoadExtension;
    static const clap_plugin_gui_t guiExtension;
    static const clap_plugin_timer_support_t timerExtension;
    static const clap_plugin_posix_fd_support_t descriptorExtension;
    static const clap_plugin_context_menu_t contextMenuExtension;

    bool init();
    void destroy();
    bool activate(double sampleRate, std::uint32_t minFrames, std::uint32_t maxFrames);
    void deactivate();
    bool startProcessing();
    void stopProcessing();
    void reset();
    clap_process_status process(const clap_process_t* process);
    const void* extension(const char* id) const;

    bool audioPortInfo(std::uint32_t index, bool isInput, clap_audio_port_info_t* info) const;
    bool parameterInfo(std::uint32_t index, clap_param_info_t* info) const;
    bool parameterValue(clap_id id, double* value) const;
    bool valueToText(clap_id id, double value, char* buffer, std::uint32_t capacity) const;
    bool textToValue(clap_id id, const char* text, double* value) const;
    void flush(const clap_input_events_t* in, const clap_output_events_t* out);
    bool saveState(const clap_ostream_t* stream) const;
    bool loadState(const clap_istream_t* stream);
    std::uint32_t latency() const;
    bool loadProgram(std::uint32_t locationKind, const char* location, const char* loadKey);
    ClapGui* gui() const { return editorGui.get(); }
    // Whether the editor wants the host's timer and descriptor (X11).
    bool drivesEditor() const { return gui() != nullptr && ClapGui::drivenByHost(); }

    // The audio side: events split the block at their sample.
    void applyEvent(const clap_event_header_t* event);
    template <typename Sample>
    bool processAudio(const clap_process_t& process, Sample* const* inputs, Sample* const* outputs,
                      std::uint32_t inputChannels, std::uint32_t outputChannels);
    void sendEditorEvents(const clap_output_events_t* out);
    void editorChanged() override;
    void requestRestartIfLatencyMoved();
    void onMainThread();
    bool onMainThreadByHostCheck() const;

    // The host's items in the editor's menu (effect::HostMenus).
    bool hostMenu(int index, effect::HostMenu& menu) override;
    void chooseHostMenuItem(int index, int item) override;
    // Our items in the host's menu.
    bool populateContextMenu(const clap_context_menu_target_t* target, const clap_context_menu_builder_t* builder);
    bool performContextMenuAction(const clap_context_menu_target_t* target, clap_id action);
    void resetToProgramValue(int index);

    clap_plugin_t plugin;
    const clap_host_t* host;
    const clap_host_params_t* hostParams = nullptr;
    const clap_host_latency_t* hostLatency = nullptr;
    const clap_host_thread_check_t* hostThreadCheck = nullptr;
    const clap_host_context_menu_t* hostContextMenu = nullptr;
    formats::EffectAdapter adapter{this};
    std::unique_ptr<ClapGui> editorGui;
    std::atomic<Stage> stage{Stage::created};
    std::uint32_t activeLatency = 0;
    std::uint32_t reportedLatency = 0;
    std::atomic<bool> restartRequested{false};
    // The host is told that every value changed from on_main_thread, after
    // the call that changed them returned (see loadProgram).
    std::atomic<bool> rescanPending{false};

    // The host's menu last collected for the editor: its parameter, and per
    // item the host's action (none for headings and separators).
    struct HostMenuActions {
        clap_id parameter = CLAP_INVALID_ID;
        bool choosable[effect::kMaxHostMenuItems] = {};
        clap_id action[effect::kMaxHostMenuItems] = {};
    };
    HostMenuActions hostMenuActions;
};

}  // namespace quenchbox::clap

#endif
