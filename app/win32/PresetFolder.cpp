// The preset folder on Windows: beside the editor's settings file, in the
// maker's and the product's folder of the roaming application data.

#include "app/PresetFile.h"

#include "editor/EditorSettings.h"

#include <windows.h>

#include <filesystem>

namespace quenchbox::app {

std::string presetFolder()
{
    const std::string settings = editor::userSettingsPath();
    if (settings.empty())
        return {};
    return settings.substr(0, settings.find_last_of('\\')) + "\\presets";
}

bool moveWithoutReplacing(const std::string& from, const std::string& to)
{
    // Without MOVEFILE_REPLACE_EXISTING the move fails when `to` exists.
    return MoveFileExW(std::filesystem::u8path(from).c_str(), std::filesystem::u8path(to).c_str(), 0) != 0;
}

}  // namespace quenchbox::app
