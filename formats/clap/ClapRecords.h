#ifndef QUENCHBOX_FORMATS_CLAP_CLAPRECORDS_H
#define QUENCHBOX_FORMATS_CLAP_CLAPRECORDS_H

#include "formats/clap/ClapInterface.h"

#include <cstring>
#include <initializer_list>

// What both sides of the interface build: extension tables answered by id,
// and parameter value events.
namespace quenchbox::clap {

// A value event for no particular note, port, channel or key.
inline clap_event_param_value_t parameterValueEvent(std::uint32_t time, clap_id parameter, double value)
{
    clap_event_param_value_t event{};
    event.header = {sizeof(event), time, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE, 0};
    event.param_id = parameter;
    event.note_id = -1;
    event.port_index = -1;
    event.channel = -1;
    event.key = -1;
    event.value = value;
    return event;
}

// Plug-ins and hosts answer an extension id with a table of their own; an
// entry without a table is not offered.
struct ExtensionEntry {
    const char* id;
    const void* extension;
};

inline const void* findExtension(const char* id, std::initializer_list<ExtensionEntry> entries)
{
    if (id == nullptr)
        return nullptr;
    for (const ExtensionEntry& entry : entries)
        if (entry.extension != nullptr && std::strcmp(id, entry.id) == 0)
            return entry.extension;
    return nullptr;
}

}  // namespace quenchbox::clap

#endif
