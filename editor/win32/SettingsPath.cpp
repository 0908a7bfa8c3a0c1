// Where the user's editor settings live on Windows: in the roaming
// application data folder, under the maker's and the product's names.

#include "editor/EditorSettings.h"

#include <cstdlib>

namespace quenchbox::editor {

std::filesystem::path userSettingsPath()
{
    // The wide form: a user name outside the ANSI code page stays intact.
    const wchar_t* appData = _wgetenv(L"APPDATA");
    if (appData == nullptr || appData[0] == L'\0')
        return {};
    return std::filesystem::path(appData) / L"ZUK" / L"Quenchbox RZ" / L"settings";
}

}  // namespace quenchbox::editor
