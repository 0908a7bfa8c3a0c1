#ifndef QUENCHBOX_APP_PRESETFILE_H
#define QUENCHBOX_APP_PRESETFILE_H

#include "effect/Parameters.h"

#include <cstddef>
#include <string>
#include <vector>

namespace quenchbox::app {

// A user preset is a small text file, one per preset, that names every
// parameter with the text the panel shows for it, so that it reads, diffs and
// travels well:
//
//   # Quenchbox RZ preset
//   name = Warm Crunch
//   Enable = ON
//   Drive = 0.55
//   Voltage = 12.0 V
//   ...
//
// The first line that is not blank is the header above; without it the text is
// not a preset. Then one "NAME = VALUE" per line: names as the parameter table
// spells them, compared without regard to case; values as the display reads
// them back (formats::parameterFromText: "ON", "RZ2", "12 V", "12", "75%"),
// with values beyond a parameter's travel clamped to its ends. Blanks around
// names and values are trimmed; blank lines and lines starting with '#' are
// skipped; CRLF line ends and a UTF-8 byte order mark are read past. A
// parameter the file does not name keeps the value it had. When a name comes
// twice, the first line counts and the later one is reported as skipped.
//
// A preset holds values at the display's resolution (hundredths of a knob's
// travel, tenths of a volt, whole gains and percents): writing a value and
// reading it back gives the value of its display text, and a value that came
// from a display text comes back exactly.

constexpr std::size_t kLargestPresetFile = 64 * 1024;
constexpr std::size_t kLongestPresetName = 64;  // bytes of UTF-8
extern const char* const kPresetHeader;
extern const char* const kPresetExtension;

using ParameterValues = float[effect::kParameterCount];

// The parameter with this name (any case, blanks around it ignored), or
// effect::kParameterCount when there is none.
int parameterNamed(const std::string& name);

std::string formatPreset(const std::string& name, const ParameterValues& values);

struct SkippedLine {
    int line;            // counted from 1
    std::string reason;  // e.g. "unknown name 'Foo'", "'Drive' cannot read 'loud'"
};

struct PresetReadResult {
    bool isPreset = false;  // false: nothing was read and the values are untouched
    std::string name;       // empty when the file names none
    std::vector<SkippedLine> skipped;
};

// Applies the preset's lines to `values`, which hold the current settings.
PresetReadResult readPreset(const std::string& text, ParameterValues& values);

// Preset names become file names, so a name is refused when it is empty,
// longer than kLongestPresetName bytes, starts with '.' or a blank, ends with
// a blank or '.', holds a control character, '/', '\\' or any of <>:"|?*, or
// is one of Windows' device names (CON, NUL, COM1...), so no name can leave the
// preset folder and every name works on both systems.
bool isValidPresetName(const std::string& name);

// The folder of the user's presets: $XDG_DATA_HOME/quenchbox-rz/presets
// (~/.local/share when unset) on Linux, %APPDATA%\ZUK\Quenchbox RZ\presets on
// Windows; empty when the system names no such place. Made on the first save.
std::string presetFolder();

// What a preset file operation did: empty `error` when it succeeded.
struct PresetFileResult {
    std::string error;
    std::string name;  // the preset's name after an import
    std::vector<SkippedLine> skipped;

    explicit operator bool() const { return error.empty(); }
};

// The names of the presets in `folder`, from the file names, sorted without
// regard to case.
std::vector<std::string> listPresets(const std::string& folder);

std::string presetPath(const std::string& folder, const std::string& name);

// Writes the preset, replacing one of the same name in a single step.
PresetFileResult savePreset(const std::string& folder, const std::string& name, const ParameterValues& values);
// The same, but refuses when a preset of that name exists.
PresetFileResult savePresetAs(const std::string& folder, const std::string& name, const ParameterValues& values);
// Reads the preset file at `path` (at most kLargestPresetFile bytes) into
// `values` (the current settings); `name` is the one the file carries.
PresetFileResult loadPresetFile(const std::string& path, ParameterValues& values);
// The same for a preset in `folder`, named by its file's name.
PresetFileResult loadPreset(const std::string& folder, const std::string& name, ParameterValues& values);
// Refuses to replace an existing preset; the file keeps its contents with the
// name line changed.
PresetFileResult renamePreset(const std::string& folder, const std::string& from, const std::string& to);
PresetFileResult deletePreset(const std::string& folder, const std::string& name);
// Copies a preset file from anywhere into the folder, under the name it
// carries, or its file name's stem when that name is missing or unusable.
// Refuses files that are not presets and names already taken.
PresetFileResult importPreset(const std::string& folder, const std::string& path);

// What each system's layer (app/posix, app/win32) supplies beyond presetFolder:
// moves a file to a path that must not exist yet, in one step.
bool moveWithoutReplacing(const std::string& from, const std::string& to);

}  // namespace quenchbox::app

#endif
