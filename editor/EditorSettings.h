#ifndef QUENCHBOX_EDITOR_EDITORSETTINGS_H
#define QUENCHBOX_EDITOR_EDITORSETTINGS_H

#include <cstddef>
#include <string>
#include <vector>

namespace quenchbox::editor {

// What the editor remembers for its user across instances, hosts and
// sessions: the zoom chosen in the panel. The file is small text that a
// user may read or delete:
//
//   # Quenchbox RZ settings
//   zoom=150
//
// with zoom "auto" or a step in percent (100, 125, 150, 175, 200). It is
// read defensively: a missing, unreadable, oversized or foreign file (one
// without the first line above) and any value not in that list mean the
// defaults; unknown keys are skipped, so an older build reads a newer file.
struct EditorSettings {
    double zoom = 0.0;  // 0: follow the host or the screen

    bool operator==(const EditorSettings& other) const { return zoom == other.zoom; }
};

EditorSettings parseSettings(const std::string& text);

// The lines of a small text file, with LF or CRLF line ends, the last line
// with or without one; with `afterByteOrderMark`, past a UTF-8 byte order
// mark as any editor may have saved it (the application's settings and
// presets, which users edit; the editor's own file is never hand-made).
std::vector<std::string> linesOf(const std::string& text, bool afterByteOrderMark = false);
std::string formatSettings(const EditorSettings& settings);

// Paths are UTF-8.
EditorSettings readSettingsFile(const std::string& path);
// Makes the folder when needed. False when it cannot.
bool writeSettingsFile(const std::string& path, const EditorSettings& settings);

// What each system's layer (editor/posix, editor/win32) supplies:
//
// Where this user's settings live: $XDG_CONFIG_HOME/quenchbox-rz/settings
// (~/.config when unset) on Linux, %APPDATA%\ZUK\Quenchbox RZ\settings on
// Windows; empty when the system names no such place.
std::string userSettingsPath();
// The whole file when it holds at most `limit` bytes; false when it is
// missing, unreadable (a folder) or larger.
bool readSmallFile(const std::string& path, std::size_t limit, std::string& text);
// Makes the missing folders, writes a temporary file beside `path` and
// renames it over the old one, so a crash leaves the old file or the new.
bool replaceFile(const std::string& path, const std::string& text);

}  // namespace quenchbox::editor

#endif
