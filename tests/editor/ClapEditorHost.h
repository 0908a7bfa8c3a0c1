#ifndef QUENCHBOX_TESTS_EDITOR_CLAPEDITORHOST_H
#define QUENCHBOX_TESTS_EDITOR_CLAPEDITORHOST_H

// A CLAP host of our own for the built .clap: it loads the library with
// dlopen, creates one instance through the factory, offers timer-support
// and posix-fd-support (or not, as asked), embeds the gui into an X11
// window of its own and drives it as a host's main loop does: the
// registered timers at their period, the registered descriptors when they
// are readable. It collects the parameter events the plug-in sends on flush.

#include "formats/clap/ClapInterface.h"

#include <X11/Xlib.h>

#include <cstdint>
#include <vector>

namespace editortest {

struct ClapEvent {
    std::uint16_t type;
    clap_id parameter;
    double value;
};

class ClapEditorHost {
public:
    enum class Support { timerAndDescriptor, descriptorOnly, none };

    ClapEditorHost(const char* path, Support support);
    ~ClapEditorHost();
    ClapEditorHost(const ClapEditorHost&) = delete;
    ClapEditorHost& operator=(const ClapEditorHost&) = delete;

    bool ready() const { return plugin != nullptr && display != nullptr; }
    const clap_plugin_t* instance() const { return plugin; }
    const clap_plugin_gui_t* gui() const;
    // create, set_scale when `scale` is given, set_parent with a new window
    // of ours at the size get_size answers, show.
    bool embed(double scale = 0.0);
    // hide and destroy.
    void unembed();
    // Runs the main loop for `ms` milliseconds.
    void runFor(int ms);
    double value(clap_id parameter) const;
    // The events of a flush while not processing.
    std::vector<ClapEvent> flush();

    int timers() const { return static_cast<int>(timerPeriods.size()); }
    int descriptors() const { return static_cast<int>(watched.size()); }

    Display* display = nullptr;
    Window parent = 0;
    // What the plug-in asked for with the gui's request_resize.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> requestedSizes;
    // The host's context menu offers one entry, "Automate", on a parameter
    // (action kAutomateAction); what it performed: (parameter, action).
    static constexpr clap_id kAutomateAction = 7;
    std::vector<std::pair<clap_id, clap_id>> performedMenuActions;

private:
    static const void* hostExtension(const clap_host_t* host, const char* id);
    static ClapEditorHost& of(const clap_host_t* host);

    void* library = nullptr;
    const clap_plugin_entry_t* entry = nullptr;
    const clap_plugin_t* plugin = nullptr;
    clap_host_t host{};
    Support support;
    std::vector<std::pair<clap_id, std::uint32_t>> timerPeriods;
    std::vector<int> watched;
    clap_id nextTimer = 1;
};

}  // namespace editortest

#endif
