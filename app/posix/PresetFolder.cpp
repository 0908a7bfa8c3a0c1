// The preset folder on POSIX systems: where the XDG base directory rules
// place a user's data files.

#include "app/PresetFile.h"

#include <unistd.h>

#include <cstdlib>

namespace quenchbox::app {

std::string presetFolder()
{
    // A relative XDG_DATA_HOME is invalid and ignored, as the rules say.
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome != nullptr && dataHome[0] == '/')
        return std::string(dataHome) + "/quenchbox-rz/presets";
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/')
        return {};
    return std::string(home) + "/.local/share/quenchbox-rz/presets";
}

bool moveWithoutReplacing(const std::string& from, const std::string& to)
{
    // rename() would replace `to`; a second link to the file fails when `to`
    // exists, and only then is the old name removed.
    if (link(from.c_str(), to.c_str()) != 0)
        return false;
    unlink(from.c_str());
    return true;
}

}  // namespace quenchbox::app
