// The user's settings file on Windows: in the roaming application data
// folder under the maker's and the product's names, read and replaced
// through the wide-character file functions, so a user name outside the
// ANSI code page stays intact.

#include "editor/EditorSettings.h"
#include "editor/win32/Utf16.h"

#include <windows.h>

#include <cstdlib>

namespace quenchbox::editor {

namespace {

// Every folder on the way to `path`'s own (after the drive or share).
bool makeFolders(const std::wstring& path)
{
    for (std::size_t slash = path.find(L'\\', 3); slash != std::wstring::npos; slash = path.find(L'\\', slash + 1))
        if (!CreateDirectoryW(path.substr(0, slash).c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
    return true;
}

}  // namespace

std::string userSettingsPath()
{
    const wchar_t* appData = _wgetenv(L"APPDATA");
    if (appData == nullptr || appData[0] == L'\0')
        return {};
    return utf8(appData) + "\\ZUK\\Quenchbox RZ\\settings";
}

bool readSmallFile(const std::string& path, std::size_t limit, std::string& text)
{
    HANDLE file = CreateFileW(wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size = {};
    bool read = GetFileSizeEx(file, &size) && static_cast<unsigned long long>(size.QuadPart) <= limit;
    if (read) {
        text.assign(static_cast<std::size_t>(size.QuadPart), '\0');
        DWORD got = 0;
        read = ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &got, nullptr) && got == text.size();
    }
    CloseHandle(file);
    return read;
}

bool replaceFile(const std::string& path, const std::string& text)
{
    const std::wstring target = wide(path);
    if (!makeFolders(target))
        return false;
    const std::wstring temporary = target + L".new";
    HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool complete = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                          written == text.size();
    CloseHandle(file);
    if (!complete || !MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileW(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace quenchbox::editor
