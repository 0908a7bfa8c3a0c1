// Where the user's editor settings live on POSIX systems, as the XDG base
// directory rules place configuration.

#include "editor/EditorSettings.h"

#include <cstdlib>

namespace quenchbox::editor {

std::filesystem::path userSettingsPath()
{
    // A relative XDG_CONFIG_HOME is invalid and ignored, as the rules say.
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    std::filesystem::path folder;
    if (configHome != nullptr && configHome[0] == '/') {
        folder = configHome;
    } else {
        const char* home = std::getenv("HOME");
        if (home == nullptr || home[0] != '/')
            return {};
        folder = std::filesystem::path(home) / ".config";
    }
    return folder / "quenchbox-rz" / "settings";
}

}  // namespace quenchbox::editor
