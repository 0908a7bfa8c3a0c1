#ifndef QUENCHBOX_FORMATS_CLAP_CLAPINTERFACE_H
#define QUENCHBOX_FORMATS_CLAP_CLAPINTERFACE_H

// Declarations of the CLAP binary interface between a host and a plug-in:
// the entry, the plug-in factory, the plug-in and host records, events and
// process, the extensions this plug-in offers or asks its host for (the
// context menu both ways), and the preset-discovery factory.
// Written from the published interface; it is a plain C ABI, so layout,
// names of the extension ids and constant values must match it exactly.

#include <cstddef>
#include <cstdint>

extern "C" {

using clap_id = std::uint32_t;
constexpr clap_id CLAP_INVALID_ID = UINT32_MAX;

constexpr std::size_t CLAP_NAME_SIZE = 256;
constexpr std::size_t CLAP_PATH_SIZE = 1024;

struct clap_version_t {
    std::uint32_t major;
    std::uint32_t minor;
    std::uint32_t revision;
};

// The interface version this plug-in is written against.
constexpr clap_version_t CLAP_VERSION_INIT = {1, 2, 0};

// A host loads a plug-in of any 1.x version.
constexpr bool clap_version_is_compatible(clap_version_t version) { return version.major >= 1; }

// ---- Events ----

struct clap_event_header_t {
    std::uint32_t size;  // of the whole event, header included
    std::uint32_t time;  // sample offset inside the block
    std::uint16_t space_id;
    std::uint16_t type;
    std::uint32_t flags;
};

constexpr std::uint16_t CLAP_CORE_EVENT_SPACE_ID = 0;

enum : std::uint32_t {
    CLAP_EVENT_IS_LIVE = 1 << 0,
    CLAP_EVENT_DONT_RECORD = 1 << 1,
};

enum : std::uint16_t {
    CLAP_EVENT_NOTE_ON = 0,
    CLAP_EVENT_NOTE_OFF = 1,
    CLAP_EVENT_NOTE_CHOKE = 2,
    CLAP_EVENT_NOTE_END = 3,
    CLAP_EVENT_NOTE_EXPRESSION = 4,
    CLAP_EVENT_PARAM_VALUE = 5,
    CLAP_EVENT_PARAM_MOD = 6,
    CLAP_EVENT_PARAM_GESTURE_BEGIN = 7,
    CLAP_EVENT_PARAM_GESTURE_END = 8,
    CLAP_EVENT_TRANSPORT = 9,
    CLAP_EVENT_MIDI = 10,
    CLAP_EVENT_MIDI_SYSEX = 11,
    CLAP_EVENT_MIDI2 = 12,
};

struct clap_event_param_value_t {
    clap_event_header_t header;
    clap_id param_id;
    void* cookie;
    std::int32_t note_id;  // -1: not tied to a note
    std::int16_t port_index;
    std::int16_t channel;
    std::int16_t key;
    double value;
};

struct clap_event_param_gesture_t {
    clap_event_header_t header;
    clap_id param_id;
};

// The transport record; this plug-in never reads it.
struct clap_event_transport_t;

struct clap_input_events_t {
    void* ctx;
    std::uint32_t (*size)(const clap_input_events_t* list);
    const clap_event_header_t* (*get)(const clap_input_events_t* list, std::uint32_t index);
};

struct clap_output_events_t {
    void* ctx;
    bool (*try_push)(const clap_output_events_t* list, const clap_event_header_t* event);
};

// ---- Process ----

struct clap_audio_buffer_t {
    float** data32;
    double** data64;
    std::uint32_t channel_count;
    std::uint32_t latency;
    std::uint64_t constant_mask;
};

struct clap_process_t {
    std::int64_t steady_time;
    std::uint32_t frames_count;
    const clap_event_transport_t* transport;
    const clap_audio_buffer_t* audio_inputs;
    clap_audio_buffer_t* audio_outputs;
    std::uint32_t audio_inputs_count;
    std::uint32_t audio_outputs_count;
    const clap_input_events_t* in_events;
    const clap_output_events_t* out_events;
};

using clap_process_status = std::int32_t;
enum : clap_process_status {
    CLAP_PROCESS_ERROR = 0,
    CLAP_PROCESS_CONTINUE = 1,
    CLAP_PROCESS_CONTINUE_IF_NOT_QUIET = 2,
    CLAP_PROCESS_TAIL = 3,
    CLAP_PROCESS_SLEEP = 4,
};

// ---- Host and plug-in ----

struct clap_host_t {
    clap_version_t clap_version;
    void* host_data;
    const char* name;
    const char* vendor;
    const char* url;
    const char* version;
    const void* (*get_extension)(const clap_host_t* host, const char* extension_id);
    void (*request_restart)(const clap_host_t* host);
    void (*request_process)(const clap_host_t* host);
    void (*request_callback)(const clap_host_t* host);
};

struct clap_plugin_descriptor_t {
    clap_version_t clap_version;
    const char* id;
    const char* name;
    const char* vendor;
    const char* url;
    const char* manual_url;
    const char* support_url;
    const char* version;
    const char* description;
    const char* const* features;  // ends with a null pointer
};

struct clap_plugin_t {
    const clap_plugin_descriptor_t* desc;
    void* plugin_data;
    bool (*init)(const clap_plugin_t* plugin);
    void (*destroy)(const clap_plugin_t* plugin);
    bool (*activate)(const clap_plugin_t* plugin, double sample_rate, std::uint32_t min_frames_count,
                     std::uint32_t max_frames_count);
    void (*deactivate)(const clap_plugin_t* plugin);
    bool (*start_processing)(const clap_plugin_t* plugin);
    void (*stop_processing)(const clap_plugin_t* plugin);
    void (*reset)(const clap_plugin_t* plugin);
    clap_process_status (*process)(const clap_plugin_t* plugin, const clap_process_t* process);
    const void* (*get_extension)(const clap_plugin_t* plugin, const char* id);
    void (*on_main_thread)(const clap_plugin_t* plugin);
};

// ---- Entry and factory ----

struct clap_plugin_entry_t {
    clap_version_t clap_version;
    bool (*init)(const char* plugin_path);
    void (*deinit)();
    const void* (*get_factory)(const char* factory_id);
};

constexpr const char CLAP_PLUGIN_FACTORY_ID[] = "clap.plugin-factory";

struct clap_plugin_factory_t {
    std::uint32_t (*get_plugin_count)(const clap_plugin_factory_t* factory);
    const clap_plugin_descriptor_t* (*get_plugin_descriptor)(const clap_plugin_factory_t* factory,
                                                             std::uint32_t index);
    const clap_plugin_t* (*create_plugin)(const clap_plugin_factory_t* factory, const clap_host_t* host,
                                          const char* plugin_id);
};

// ---- Extension: audio ports ----

constexpr const char CLAP_EXT_AUDIO_PORTS[] = "clap.audio-ports";
constexpr const char CLAP_PORT_MONO[] = "mono";
constexpr const char CLAP_PORT_STEREO[] = "stereo";

enum : std::uint32_t {
    CLAP_AUDIO_PORT_IS_MAIN = 1 << 0,
    CLAP_AUDIO_PORT_SUPPORTS_64BITS = 1 << 1,
    CLAP_AUDIO_PORT_PREFERS_64BITS = 1 << 2,
    CLAP_AUDIO_PORT_REQUIRES_COMMON_SAMPLE_SIZE = 1 << 3,
};

struct clap_audio_port_info_t {
    clap_id id;
    char name[CLAP_NAME_SIZE];
    std::uint32_t flags;
    std::uint32_t channel_count;
    const char* port_type;
    clap_id in_place_pair;
};

struct clap_plugin_audio_ports_t {
    std::uint32_t (*count)(const clap_plugin_t* plugin, bool is_input);
    bool (*get)(const clap_plugin_t* plugin, std::uint32_t index, bool is_input, clap_audio_port_info_t* info);
};

// ---- Extension: parameters ----

constexpr const char CLAP_EXT_PARAMS[] = "clap.params";

enum : std::uint32_t {
    CLAP_PARAM_IS_STEPPED = 1 << 0,
    CLAP_PARAM_IS_PERIODIC = 1 << 1,
    CLAP_PARAM_IS_HIDDEN = 1 << 2,
    CLAP_PARAM_IS_READONLY = 1 << 3,
    CLAP_PARAM_IS_BYPASS = 1 << 4,
    CLAP_PARAM_IS_AUTOMATABLE = 1 << 5,
    CLAP_PARAM_IS_AUTOMATABLE_PER_NOTE_ID = 1 << 6,
    CLAP_PARAM_IS_AUTOMATABLE_PER_KEY = 1 << 7,
    CLAP_PARAM_IS_AUTOMATABLE_PER_CHANNEL = 1 << 8,
    CLAP_PARAM_IS_AUTOMATABLE_PER_PORT = 1 << 9,
    CLAP_PARAM_IS_MODULATABLE = 1 << 10,
    CLAP_PARAM_IS_MODULATABLE_PER_NOTE_ID = 1 << 11,
    CLAP_PARAM_IS_MODULATABLE_PER_KEY = 1 << 12,
    CLAP_PARAM_IS_MODULATABLE_PER_CHANNEL = 1 << 13,
    CLAP_PARAM_IS_MODULATABLE_PER_PORT = 1 << 14,
    CLAP_PARAM_REQUIRES_PROCESS = 1 << 15,
    CLAP_PARAM_IS_ENUM = 1 << 16,
};

enum : std::uint32_t {
    CLAP_PARAM_RESCAN_VALUES = 1 << 0,
    CLAP_PARAM_RESCAN_TEXT = 1 << 1,
    CLAP_PARAM_RESCAN_INFO = 1 << 2,
    CLAP_PARAM_RESCAN_ALL = 1 << 3,
};

struct clap_param_info_t {
    clap_id id;
    std::uint32_t flags;
    void* cookie;
    char name[CLAP_NAME_SIZE];
    char module[CLAP_PATH_SIZE];
    double min_value;
    double max_value;
    double default_value;
};

struct clap_plugin_params_t {
    std::uint32_t (*count)(const clap_plugin_t* plugin);
    bool (*get_info)(const clap_plugin_t* plugin, std::uint32_t param_index, clap_param_info_t* param_info);
    bool (*get_value)(const clap_plugin_t* plugin, clap_id param_id, double* out_value);
    bool (*value_to_text)(const clap_plugin_t* plugin, clap_id param_id, double value, char* out_buffer,
                          std::uint32_t out_buffer_capacity);
    bool (*text_to_value)(const clap_plugin_t* plugin, clap_id param_id, const char* param_value_text,
                          double* out_value);
    void (*flush)(const clap_plugin_t* plugin, const clap_input_events_t* in, const clap_output_events_t* out);
};

struct clap_host_params_t {
    void (*rescan)(const clap_host_t* host, std::uint32_t flags);
    void (*clear)(const clap_host_t* host, clap_id param_id, std::uint32_t flags);
    void (*request_flush)(const clap_host_t* host);
};

// ---- Extension: state ----

constexpr const char CLAP_EXT_STATE[] = "clap.state";

// Both answer the number of bytes moved, 0 at the end of the stream (read
// only) and -1 on an error; a call may move fewer bytes than asked for.
struct clap_istream_t {
    void* ctx;
    std::int64_t (*read)(const clap_istream_t* stream, void* buffer, std::uint64_t size);
};

struct clap_ostream_t {
    void* ctx;
    std::int64_t (*write)(const clap_ostream_t* stream, const void* buffer, std::uint64_t size);
};

struct clap_plugin_state_t {
    bool (*save)(const clap_plugin_t* plugin, const clap_ostream_t* stream);
    bool (*load)(const clap_plugin_t* plugin, const clap_istream_t* stream);
};

struct clap_host_state_t {
    void (*mark_dirty)(const clap_host_t* host);
};

// ---- Extension: latency ----

constexpr const char CLAP_EXT_LATENCY[] = "clap.latency";

struct clap_plugin_latency_t {
    std::uint32_t (*get)(const clap_plugin_t* plugin);
};

struct clap_host_latency_t {
    void (*changed)(const clap_host_t* host);
};

// ---- Extension: gui ----

constexpr const char CLAP_EXT_GUI[] = "clap.gui";
constexpr const char CLAP_WINDOW_API_WIN32[] = "win32";
constexpr const char CLAP_WINDOW_API_COCOA[] = "cocoa";
constexpr const char CLAP_WINDOW_API_X11[] = "x11";
constexpr const char CLAP_WINDOW_API_WAYLAND[] = "wayland";

struct clap_window_t {
    const char* api;
    union {
        void* cocoa;
        unsigned long x11;
        void* win32;
        void* ptr;
    };
};

struct clap_gui_resize_hints_t {
    bool can_resize_horizontally;
    bool can_resize_vertically;
    bool preserve_aspect_ratio;
    std::uint32_t aspect_ratio_width;
    std::uint32_t aspect_ratio_height;
};

struct clap_plugin_gui_t {
    bool (*is_api_supported)(const clap_plugin_t* plugin, const char* api, bool is_floating);
    bool (*get_preferred_api)(const clap_plugin_t* plugin, const char** api, bool* is_floating);
    bool (*create)(const clap_plugin_t* plugin, const char* api, bool is_floating);
    void (*destroy)(const clap_plugin_t* plugin);
    bool (*set_scale)(const clap_plugin_t* plugin, double scale);
    bool (*get_size)(const clap_plugin_t* plugin, std::uint32_t* width, std::uint32_t* height);
    bool (*can_resize)(const clap_plugin_t* plugin);
    bool (*get_resize_hints)(const clap_plugin_t* plugin, clap_gui_resize_hints_t* hints);
    bool (*adjust_size)(const clap_plugin_t* plugin, std::uint32_t* width, std::uint32_t* height);
    bool (*set_size)(const clap_plugin_t* plugin, std::uint32_t width, std::uint32_t height);
    bool (*set_parent)(const clap_plugin_t* plugin, const clap_window_t* window);
    bool (*set_transient)(const clap_plugin_t* plugin, const clap_window_t* window);
    void (*suggest_title)(const clap_plugin_t* plugin, const char* title);
    bool (*show)(const clap_plugin_t* plugin);
    bool (*hide)(const clap_plugin_t* plugin);
};

struct clap_host_gui_t {
    void (*resize_hints_changed)(const clap_host_t* host);
    bool (*request_resize)(const clap_host_t* host, std::uint32_t width, std::uint32_t height);
    bool (*request_show)(const clap_host_t* host);
    bool (*request_hide)(const clap_host_t* host);
    void (*closed)(const clap_host_t* host, bool was_destroyed);
};

// ---- Extension: timer support ----

constexpr const char CLAP_EXT_TIMER_SUPPORT[] = "clap.timer-support";

struct clap_plugin_timer_support_t {
    void (*on_timer)(const clap_plugin_t* plugin, clap_id timer_id);
};

struct clap_host_timer_support_t {
    bool (*register_timer)(const clap_host_t* host, std::uint32_t period_ms, clap_id* timer_id);
    bool (*unregister_timer)(const clap_host_t* host, clap_id timer_id);
};

// ---- Extension: posix fd support ----

constexpr const char CLAP_EXT_POSIX_FD_SUPPORT[] = "clap.posix-fd-support";

enum : std::uint32_t {
    CLAP_POSIX_FD_READ = 1 << 0,
    CLAP_POSIX_FD_WRITE = 1 << 1,
    CLAP_POSIX_FD_ERROR = 1 << 2,
};

struct clap_plugin_posix_fd_support_t {
    void (*on_fd)(const clap_plugin_t* plugin, int fd, std::uint32_t flags);
};

struct clap_host_posix_fd_support_t {
    bool (*register_fd)(const clap_host_t* host, int fd, std::uint32_t flags);
    bool (*modify_fd)(const clap_host_t* host, int fd, std::uint32_t flags);
    bool (*unregister_fd)(const clap_host_t* host, int fd);
};

// ---- Extension: thread check (host side) ----

constexpr const char CLAP_EXT_THREAD_CHECK[] = "clap.thread-check";

struct clap_host_thread_check_t {
    bool (*is_main_thread)(const clap_host_t* host);
    bool (*is_audio_thread)(const clap_host_t* host);
};

// ---- Extension: context menu ----

// The published id. Its drafts shared one id across builder records of
// different layouts, so a host that asks for the draft is not answered.
constexpr const char CLAP_EXT_CONTEXT_MENU[] = "clap.context-menu/1";

enum : std::uint32_t {
    CLAP_CONTEXT_MENU_TARGET_KIND_GLOBAL = 0,
    CLAP_CONTEXT_MENU_TARGET_KIND_PARAM = 1,
};

// What a menu is for: the whole plug-in, or the parameter with this id.
// Where a call takes a null target, the menu is the global one.
struct clap_context_menu_target_t {
    std::uint32_t kind;
    clap_id id;
};

using clap_context_menu_item_kind_t = std::uint32_t;
enum : clap_context_menu_item_kind_t {
    CLAP_CONTEXT_MENU_ITEM_ENTRY = 0,          // data: clap_context_menu_entry_t
    CLAP_CONTEXT_MENU_ITEM_CHECK_ENTRY = 1,    // data: clap_context_menu_check_entry_t
    CLAP_CONTEXT_MENU_ITEM_SEPARATOR = 2,      // data: null
    CLAP_CONTEXT_MENU_ITEM_BEGIN_SUBMENU = 3,  // data: clap_context_menu_submenu_t
    CLAP_CONTEXT_MENU_ITEM_END_SUBMENU = 4,    // data: null
    CLAP_CONTEXT_MENU_ITEM_TITLE = 5,          // data: clap_context_menu_item_title_t
};

struct clap_context_menu_entry_t {
    const char* label;
    bool is_enabled;  // false: greyed out, not clickable
    clap_id action_id;
};

struct clap_context_menu_check_entry_t {
    const char* label;
    bool is_enabled;
    bool is_checked;
    clap_id action_id;
};

struct clap_context_menu_item_title_t {
    const char* title;
    bool is_enabled;
};

struct clap_context_menu_submenu_t {
    const char* label;
    bool is_enabled;  // false: greyed out, its items not shown
};

// Collects the items of one populate call, on the thread it was handed on.
struct clap_context_menu_builder_t {
    void* ctx;
    bool (*add_item)(const clap_context_menu_builder_t* builder, clap_context_menu_item_kind_t item_kind,
                     const void* item_data);
    bool (*supports)(const clap_context_menu_builder_t* builder, clap_context_menu_item_kind_t item_kind);
};

// Every call on the main thread.
struct clap_plugin_context_menu_t {
    bool (*populate)(const clap_plugin_t* plugin, const clap_context_menu_target_t* target,
                     const clap_context_menu_builder_t* builder);
    bool (*perform)(const clap_plugin_t* plugin, const clap_context_menu_target_t* target, clap_id action_id);
};

// Every call on the main thread.
struct clap_host_context_menu_t {
    bool (*populate)(const clap_host_t* host, const clap_context_menu_target_t* target,
                     const clap_context_menu_builder_t* builder);
    bool (*perform)(const clap_host_t* host, const clap_context_menu_target_t* target, clap_id action_id);
    bool (*can_popup)(const clap_host_t* host);
    // x and y inside the plug-in's window for an embedded editor.
    bool (*popup)(const clap_host_t* host, const clap_context_menu_target_t* target, std::int32_t screen_index,
                  std::int32_t x, std::int32_t y);
};

// ---- Factory: preset discovery ----

// Hosts written against the last draft ask for the second id; its records
// are the same.
constexpr const char CLAP_PRESET_DISCOVERY_FACTORY_ID[] = "clap.preset-discovery-factory/2";
constexpr const char CLAP_PRESET_DISCOVERY_FACTORY_ID_COMPAT[] = "clap.preset-discovery-factory/draft-2";

enum : std::uint32_t {
    CLAP_PRESET_DISCOVERY_LOCATION_FILE = 0,
    CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN = 1,  // inside the plug-in's library; no location path
};

enum : std::uint32_t {
    CLAP_PRESET_DISCOVERY_IS_FACTORY_CONTENT = 1 << 0,
    CLAP_PRESET_DISCOVERY_IS_USER_CONTENT = 1 << 1,
    CLAP_PRESET_DISCOVERY_IS_DEMO_CONTENT = 1 << 2,
    CLAP_PRESET_DISCOVERY_IS_FAVORITE = 1 << 3,
};

using clap_timestamp_t = std::uint64_t;  // seconds since 1970; 0 when unknown
constexpr clap_timestamp_t CLAP_TIMESTAMP_UNKNOWN = 0;

// A plug-in named across formats: the ABI ("clap", "vst3", ...) and its id there.
struct clap_universal_plugin_id_t {
    const char* abi;
    const char* id;
};

// The host's side of one get_metadata call; after begin_preset answers
// false the provider calls nothing more.
struct clap_preset_discovery_metadata_receiver_t {
    void* receiver_data;
    void (*on_error)(const clap_preset_discovery_metadata_receiver_t* receiver, std::int32_t os_error,
                     const char* error_message);
    bool (*begin_preset)(const clap_preset_discovery_metadata_receiver_t* receiver, const char* name,
                         const char* load_key);
    void (*add_plugin_id)(const clap_preset_discovery_metadata_receiver_t* receiver,
                          const clap_universal_plugin_id_t* plugin_id);
    void (*set_soundpack_id)(const clap_preset_discovery_metadata_receiver_t* receiver, const char* soundpack_id);
    void (*set_flags)(const clap_preset_discovery_metadata_receiver_t* receiver, std::uint32_t flags);
    void (*add_creator)(const clap_preset_discovery_metadata_receiver_t* receiver, const char* creator);
    void (*set_description)(const clap_preset_discovery_metadata_receiver_t* receiver, const char* description);
    void (*set_timestamps)(const clap_preset_discovery_metadata_receiver_t* receiver,
                           clap_timestamp_t creation_time, clap_timestamp_t modification_time);
    void (*add_feature)(const clap_preset_discovery_metadata_receiver_t* receiver, const char* feature);
    void (*add_extra_info)(const clap_preset_discovery_metadata_receiver_t* receiver, const char* key,
                           const char* value);
};

struct clap_preset_discovery_filetype_t {
    const char* name;
    const char* description;     // may be null
    const char* file_extension;  // without the dot
};

struct clap_preset_discovery_location_t {
    std::uint32_t flags;
    const char* name;
    std::uint32_t kind;
    const char* location;  // null for the plug-in kind
};

struct clap_preset_discovery_soundpack_t {
    std::uint32_t flags;
    const char* id;
    const char* name;
    const char* description;
    const char* homepage_url;
    const char* vendor;
    const char* image_path;
    clap_timestamp_t release_timestamp;
};

struct clap_preset_discovery_provider_descriptor_t {
    clap_version_t clap_version;
    const char* id;
    const char* name;
    const char* vendor;
};

struct clap_preset_discovery_provider_t {
    const clap_preset_discovery_provider_descriptor_t* desc;
    void* provider_data;
    bool (*init)(const clap_preset_discovery_provider_t* provider);  // declares locations, filetypes, soundpacks
    void (*destroy)(const clap_preset_discovery_provider_t* provider);
    bool (*get_metadata)(const clap_preset_discovery_provider_t* provider, std::uint32_t location_kind,
                         const char* location, const clap_preset_discovery_metadata_receiver_t* metadata_receiver);
    const void* (*get_extension)(const clap_preset_discovery_provider_t* provider, const char* extension_id);
};

// The host's side of a provider; a provider calls it from init on.
struct clap_preset_discovery_indexer_t {
    clap_version_t clap_version;
    const char* name;
    const char* vendor;
    const char* url;
    const char* version;
    void* indexer_data;
    bool (*declare_filetype)(const clap_preset_discovery_indexer_t* indexer,
                             const clap_preset_discovery_filetype_t* filetype);
    bool (*declare_location)(const clap_preset_discovery_indexer_t* indexer,
                             const clap_preset_discovery_location_t* location);
    bool (*declare_soundpack)(const clap_preset_discovery_indexer_t* indexer,
                              const clap_preset_discovery_soundpack_t* soundpack);
    const void* (*get_extension)(const clap_preset_discovery_indexer_t* indexer, const char* extension_id);
};

// Every call may come from any thread.
struct clap_preset_discovery_factory_t {
    std::uint32_t (*count)(const clap_preset_discovery_factory_t* factory);
    const clap_preset_discovery_provider_descriptor_t* (*get_descriptor)(const clap_preset_discovery_factory_t* factory,
                                                                         std::uint32_t index);
    const clap_preset_discovery_provider_t* (*create)(const clap_preset_discovery_factory_t* factory,
                                                      const clap_preset_discovery_indexer_t* indexer,
                                                      const char* provider_id);
};

// ---- Extension: preset load ----

// The published id, the last draft's (same record) and the one this
// plug-in has always answered.
constexpr const char CLAP_EXT_PRESET_LOAD[] = "clap.preset-load/2";
constexpr const char CLAP_EXT_PRESET_LOAD_COMPAT[] = "clap.preset-load.draft/2";
constexpr const char CLAP_EXT_PRESET_LOAD_EARLIER[] = "clap.preset-load";

struct clap_plugin_preset_load_t {
    bool (*from_location)(const clap_plugin_t* plugin, std::uint32_t location_kind, const char* location,
                          const char* load_key);
};

}  // extern "C"

#endif
