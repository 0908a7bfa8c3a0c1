#include "ClapEditorHost.h"

#include <dlfcn.h>
#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <string_view>

namespace editortest {

namespace {

constexpr std::uint32_t kWidth = 677;
constexpr std::uint32_t kHeight = 480;

std::uint32_t eventCount(const clap_input_events_t*) { return 0; }
const clap_event_header_t* noEvent(const clap_input_events_t*, std::uint32_t) { return nullptr; }

bool collect(const clap_output_events_t* list, const clap_event_header_t* event)
{
    auto* events = static_cast<std::vector<ClapEvent>*>(list->ctx);
    if (event->type == CLAP_EVENT_PARAM_VALUE) {
        const auto* value = reinterpret_cast<const clap_event_param_value_t*>(event);
        events->push_back({event->type, value->param_id, value->value});
    } else if (event->type == CLAP_EVENT_PARAM_GESTURE_BEGIN || event->type == CLAP_EVENT_PARAM_GESTURE_END) {
        const auto* gesture = reinterpret_cast<const clap_event_param_gesture_t*>(event);
        events->push_back({event->type, gesture->param_id, 0.0});
    }
    return true;
}

}  // namespace

ClapEditorHost::ClapEditorHost(const char* path, Support offered) : display(XOpenDisplay(nullptr)), support(offered)
{
    library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (library != nullptr)
        entry = static_cast<const clap_plugin_entry_t*>(dlsym(library, "clap_entry"));
    if (entry == nullptr || !entry->init(path))
        return;
    const auto* factory = static_cast<const clap_plugin_factory_t*>(entry->get_factory(CLAP_PLUGIN_FACTORY_ID));
    host.clap_version = CLAP_VERSION_INIT;
    host.host_data = this;
    host.name = "Quenchbox editor test host";
    host.vendor = "ZUK";
    host.url = "";
    host.version = "1";
    host.get_extension = hostExtension;
    host.request_restart = [](const clap_host_t*) {};
    host.request_process = [](const clap_host_t*) {};
    host.request_callback = [](const clap_host_t*) {};
    if (factory == nullptr || factory->get_plugin_count(factory) == 0)
        return;
    const clap_plugin_descriptor_t* descriptor = factory->get_plugin_descriptor(factory, 0);
    plugin = factory->create_plugin(factory, &host, descriptor->id);
    if (plugin != nullptr && !plugin->init(plugin)) {
        plugin->destroy(plugin);
        plugin = nullptr;
    }
}

ClapEditorHost::~ClapEditorHost()
{
    if (plugin != nullptr)
        plugin->destroy(plugin);
    if (entry != nullptr)
        entry->deinit();
    if (library != nullptr)
        dlclose(library);
    if (display != nullptr) {
        if (parent != 0)
            XDestroyWindow(display, parent);
        XCloseDisplay(display);
    }
}

ClapEditorHost& ClapEditorHost::of(const clap_host_t* host) { return *static_cast<ClapEditorHost*>(host->host_data); }

const void* ClapEditorHost::hostExtension(const clap_host_t* host, const char* id)
{
    static const clap_host_timer_support_t timerSupport = {
        [](const clap_host_t* h, std::uint32_t period, clap_id* timer) {
            ClapEditorHost& self = of(h);
            *timer = self.nextTimer++;
            self.timerPeriods.push_back({*timer, period});
            return true;
        },
        [](const clap_host_t* h, clap_id timer) {
            auto& periods = of(h).timerPeriods;
            const auto found = std::find_if(periods.begin(), periods.end(), [&](auto& p) { return p.first == timer; });
            if (found == periods.end())
                return false;
            periods.erase(found);
            return true;
        },
    };
    static const clap_host_posix_fd_support_t descriptorSupport = {
        [](const clap_host_t* h, int fd, std::uint32_t) {
            of(h).watched.push_back(fd);
            return true;
        },
        [](const clap_host_t*, int, std::uint32_t) { return true; },
        [](const clap_host_t* h, int fd) {
            auto& watched = of(h).watched;
            const auto found = std::find(watched.begin(), watched.end(), fd);
            if (found == watched.end())
                return false;
            watched.erase(found);
            return true;
        },
    };
    static const clap_host_gui_t guiSupport = {
        [](const clap_host_t*) {},
        [](const clap_host_t* h, std::uint32_t width, std::uint32_t height) {
            ClapEditorHost& self = of(h);
            self.requestedSizes.push_back({width, height});
            if (self.parent != 0)
                XResizeWindow(self.display, self.parent, width, height);
            return true;
        },
        [](const clap_host_t*) { return false; },
        [](const clap_host_t*) { return false; },
        [](const clap_host_t*, bool) {},
    };
    static const clap_host_context_menu_t contextMenu = {
        [](const clap_host_t*, const clap_context_menu_target_t* target, const clap_context_menu_builder_t* builder) {
            const clap_context_menu_entry_t automate{"Automate", true, kAutomateAction};
            return target == nullptr || target->kind != CLAP_CONTEXT_MENU_TARGET_KIND_PARAM ||
                   builder->add_item(builder, CLAP_CONTEXT_MENU_ITEM_ENTRY, &automate);
        },
        [](const clap_host_t* h, const clap_context_menu_target_t* target, clap_id action) {
            of(h).performedMenuActions.push_back({target != nullptr ? target->id : CLAP_INVALID_ID, action});
            return true;
        },
        [](const clap_host_t*) { return false; },
        [](const clap_host_t*, const clap_context_menu_target_t*, std::int32_t, std::int32_t, std::int32_t) {
            return false;
        },
    };
    if (std::string_view(id) == CLAP_EXT_GUI)
        return &guiSupport;
    if (std::string_view(id) == CLAP_EXT_CONTEXT_MENU)
        return &contextMenu;
    const Support offered = of(host).support;
    if (std::string_view(id) == CLAP_EXT_TIMER_SUPPORT && offered == Support::timerAndDescriptor)
        return &timerSupport;
    if (std::string_view(id) == CLAP_EXT_POSIX_FD_SUPPORT && offered != Support::none)
        return &descriptorSupport;
    return nullptr;
}

const clap_plugin_gui_t* ClapEditorHost::gui() const
{
    return static_cast<const clap_plugin_gui_t*>(plugin->get_extension(plugin, CLAP_EXT_GUI));
}

bool ClapEditorHost::embed(double scale)
{
    const clap_plugin_gui_t* extension = gui();
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    if (extension == nullptr || !extension->create(plugin, CLAP_WINDOW_API_X11, false)
        || (scale > 0.0 && !extension->set_scale(plugin, scale)) || !extension->get_size(plugin, &width, &height))
        return false;
    const double shown = scale > 0.0 ? scale : 1.0;
    const int screen = DefaultScreen(display);
    parent = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, width, height, 0,
                                 BlackPixel(display, screen), BlackPixel(display, screen));
    XMapWindow(display, parent);
    XSync(display, False);
    clap_window_t window{};
    window.api = CLAP_WINDOW_API_X11;
    window.x11 = parent;
    return width == std::lround(kWidth * shown) && height == std::lround(kHeight * shown) &&
           extension->set_parent(plugin, &window) &&
           extension->show(plugin);
}

void ClapEditorHost::unembed()
{
    gui()->hide(plugin);
    gui()->destroy(plugin);
}

void ClapEditorHost::runFor(int ms)
{
    const auto* timer = static_cast<const clap_plugin_timer_support_t*>(plugin->get_extension(plugin, CLAP_EXT_TIMER_SUPPORT));
    const auto* descriptor =
        static_cast<const clap_plugin_posix_fd_support_t*>(plugin->get_extension(plugin, CLAP_EXT_POSIX_FD_SUPPORT));
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    do {
        // One pass of the loop: readable descriptors, then the timers (all at
        // 33 ms here, so one wait serves them all).
        std::vector<pollfd> entries;
        for (int fd : watched)
            entries.push_back({fd, POLLIN, 0});
        const int waitMs = timerPeriods.empty() ? 10 : static_cast<int>(timerPeriods.front().second);
        if (poll(entries.data(), entries.size(), waitMs) > 0)
            for (const pollfd& entry : entries)
                if (entry.revents & POLLIN)
                    descriptor->on_fd(plugin, entry.fd, CLAP_POSIX_FD_READ);
        const auto due = timerPeriods;
        for (const auto& [id, period] : due)
            timer->on_timer(plugin, id);
    } while (std::chrono::steady_clock::now() < end);
}

double ClapEditorHost::value(clap_id parameter) const
{
    double result = -1.0;
    const auto* params = static_cast<const clap_plugin_params_t*>(plugin->get_extension(plugin, CLAP_EXT_PARAMS));
    params->get_value(plugin, parameter, &result);
    return result;
}

std::vector<ClapEvent> ClapEditorHost::flush()
{
    std::vector<ClapEvent> events;
    const clap_input_events_t in = {nullptr, eventCount, noEvent};
    const clap_output_events_t out = {&events, collect};
    const auto* params = static_cast<const clap_plugin_params_t*>(plugin->get_extension(plugin, CLAP_EXT_PARAMS));
    params->flush(plugin, &in, &out);
    return events;
}

}  // namespace editortest
