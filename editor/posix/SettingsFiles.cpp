// The user's settings file on POSIX systems: where the XDG base directory
// rules place configuration, read and replaced with plain stdio.

#include "editor/EditorSettings.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace quenchbox::editor {

std::string userSettingsPath()
{
    // A relative XDG_CONFIG_HOME is invalid and ignored, as the rules say.
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    if (configHome != nullptr && configHome[0] == '/')
        return std::string(configHome) + "/quenchbox-rz/settings";
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/')
        return {};
    return std::string(home) + "/.config/quenchbox-rz/settings";
}

bool readSmallFile(const std::string& path, std::size_t limit, std::string& text)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    text.assign(limit + 1, '\0');
    const std::size_t length = std::fread(text.data(), 1, text.size(), file);
    const bool failed = std::ferror(file) != 0;  // a folder opens, but does not read
    std::fclose(file);
    text.resize(length);
    return !failed && length <= limit;
}

namespace {

// Every folder on the way to `path`'s own, made private to the user as the
// XDG rules ask for the configuration folder.
bool makeFolders(const std::string& path)
{
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
        if (mkdir(path.substr(0, slash).c_str(), 0700) != 0 && errno != EEXIST)
            return false;
    return true;
}

}  // namespace

bool replaceFile(const std::string& path, const std::string& text)
{
    if (!makeFolders(path))
        return false;
    const std::string temporary = path + ".new";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr)
        return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace quenchbox::editor
