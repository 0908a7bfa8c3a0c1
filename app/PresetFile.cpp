#include "app/PresetFile.h"

#include "editor/EditorSettings.h"
#include "formats/shared/ParameterDescriptions.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <initializer_list>

namespace quenchbox::app {

const char* const kPresetHeader = "# Quenchbox RZ preset";
const char* const kPresetExtension = ".qbxpreset";

namespace {

constexpr const char* kNameKey = "name";
constexpr std::size_t kLongestQuote = 40;  // bytes of a file's text repeated in a report
constexpr std::size_t kLongestQuotedPath = 4096;  // PATH_MAX: a path is shown whole

bool isBlank(char c) { return c == ' ' || c == '\t'; }

bool isControl(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }

// A tab may separate a name from '='; any other control byte damages a line.
bool damagesLine(char c) { return isControl(c) && c != '\t'; }

std::string trimmed(const std::string& text)
{
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && isBlank(text[first]))
        ++first;
    while (last > first && isBlank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

bool equalsIgnoringCase(const std::string& a, const char* b)
{
    if (a.size() != std::strlen(b))
        return false;
    return std::equal(a.begin(), a.end(), b, [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

// The index of the header line, or lines.size() when the first line that is
// not blank is something else.
std::size_t headerLine(const std::vector<std::string>& lines)
{
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string line = trimmed(lines[i]);
        if (!line.empty())
            return line == kPresetHeader ? i : lines.size();
    }
    return lines.size();
}

// A file's text as a report can show it: short, quoted, control bytes as '?'.
std::string quoted(const std::string& text, std::size_t longest = kLongestQuote)
{
    std::size_t length = std::min(text.size(), longest);
    while (length < text.size() && length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80)
        --length;  // never half a UTF-8 character
    std::string shown = text.substr(0, length);
    std::replace_if(shown.begin(), shown.end(), isControl, '?');
    return "'" + shown + (length < text.size() ? "...'" : "'");
}

// The name as a file's single line can hold it.
std::string oneLine(std::string name)
{
    std::replace_if(name.begin(), name.end(), isControl, ' ');
    return trimmed(name);
}

// Where "NAME = VALUE" splits; npos when the line is not of that form.
std::size_t assignmentAt(const std::string& line)
{
    const std::size_t equals = line.find('=');
    return equals != std::string::npos && !trimmed(line.substr(0, equals)).empty() ? equals : std::string::npos;
}

// The preset text with its name line saying `name` (added after the header
// when it has none); every other line stays as it was.
std::string withName(const std::string& text, const std::string& name)
{
    std::vector<std::string> lines = editor::linesOf(text, true);
    const std::size_t header = headerLine(lines);
    const std::string nameLine = std::string(kNameKey) + " = " + oneLine(name);
    auto isNameLine = [](const std::string& line) {
        const std::size_t equals = assignmentAt(line);
        return equals != std::string::npos && equalsIgnoringCase(trimmed(line.substr(0, equals)), kNameKey);
    };
    const auto found = std::find_if(lines.begin() + static_cast<std::ptrdiff_t>(header), lines.end(), isNameLine);
    if (found != lines.end())
        *found = nameLine;
    else
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(header) + 1, nameLine);
    std::string joined;
    for (const std::string& line : lines)
        joined += line + "\n";
    return joined;
}

std::filesystem::path fsPath(const std::string& utf8) { return std::filesystem::u8path(utf8); }

bool fileExists(const std::string& path)
{
    std::error_code error;
    return std::filesystem::exists(fsPath(path), error);
}

PresetFileResult failure(std::string error) { return PresetFileResult{std::move(error), {}, {}}; }

// Why an operation on these presets in `folder` cannot start; empty when it can.
std::string refusal(const std::string& folder, std::initializer_list<const std::string*> names)
{
    if (folder.empty())
        return "there is no folder for presets";
    for (const std::string* name : names)
        if (!isValidPresetName(*name))
            return quoted(*name) + " cannot be a preset's name";
    return {};
}

// Reads the file at `path` into `text` and, when it is a preset, into `values`.
PresetFileResult readPresetFile(const std::string& path, std::string& text, ParameterValues& values)
{
    if (!editor::readSmallFile(path, kLargestPresetFile, text))
        return failure(quoted(path, kLongestQuotedPath) + " is missing, unreadable or larger than 64 KiB");
    const PresetReadResult read = readPreset(text, values);
    if (!read.isPreset)
        return failure(quoted(path, kLongestQuotedPath) + " is not a Quenchbox RZ preset");
    return PresetFileResult{{}, read.name, read.skipped};
}

}  // namespace

int parameterNamed(const std::string& name)
{
    const std::string wanted = trimmed(name);
    for (const effect::ParameterInfo& p : effect::kParameters)
        if (equalsIgnoringCase(wanted, p.name) || equalsIgnoringCase(wanted, p.fullName))
            return p.index;
    return effect::kParameterCount;
}

std::string formatPreset(const std::string& name, const ParameterValues& values)
{
    std::string text = std::string(kPresetHeader) + "\n" + kNameKey + " = " + oneLine(name) + "\n";
    for (const effect::ParameterInfo& p : effect::kParameters)
        text += std::string(p.name) + " = " + formats::parameterText(p.index, values[p.index]) + "\n";
    return text;
}

PresetReadResult readPreset(const std::string& text, ParameterValues& values)
{
    PresetReadResult result;
    const std::vector<std::string> lines = editor::linesOf(text, true);
    const std::size_t header = headerLine(lines);
    if (header == lines.size())
        return result;
    result.isPreset = true;
    bool named = false;
    bool set[effect::kParameterCount] = {};
    for (std::size_t i = header + 1; i < lines.size(); ++i) {
        const int lineNumber = static_cast<int>(i) + 1;
        auto skip = [&](std::string reason) { result.skipped.push_back({lineNumber, std::move(reason)}); };
        const std::string line = trimmed(lines[i]);
        if (line.empty() || line[0] == '#')
            continue;
        const std::size_t equals = assignmentAt(line);
        if (equals == std::string::npos || std::any_of(line.begin(), line.end(), damagesLine)) {
            skip("line " + std::to_string(lineNumber) + " is not NAME = VALUE");
            continue;
        }
        const std::string key = trimmed(line.substr(0, equals));
        const std::string value = trimmed(line.substr(equals + 1));
        if (equalsIgnoringCase(key, kNameKey)) {
            if (named)
                skip("the name is given again; the first one counts");
            else
                result.name = value;
            named = true;
            continue;
        }
        const int index = parameterNamed(key);
        double read = 0.0;
        if (index == effect::kParameterCount)
            skip("unknown name " + quoted(key));
        else if (set[index])
            skip(quoted(effect::kParameters[index].name) + " is given again; the first one counts");
        else if (!formats::parameterFromText(index, value.c_str(), read))
            skip(quoted(effect::kParameters[index].name) + " cannot read " + quoted(value));
        else {
            values[index] = static_cast<float>(read);
            set[index] = true;
        }
    }
    return result;
}

namespace {

// Windows opens a device for these names, whatever extension follows.
bool isWindowsDeviceName(const std::string& name)
{
    for (const char* device : {"CON", "PRN", "AUX", "NUL"})
        if (equalsIgnoringCase(name, device))
            return true;
    const bool numbered = name.size() == 4 && name[3] >= '1' && name[3] <= '9';
    return numbered && (equalsIgnoringCase(name.substr(0, 3), "COM") || equalsIgnoringCase(name.substr(0, 3), "LPT"));
}

}  // namespace

bool isValidPresetName(const std::string& name)
{
    if (name.empty() || name.size() > kLongestPresetName || name.front() == '.' || isBlank(name.front())
        || isBlank(name.back()) || name.back() == '.' || isWindowsDeviceName(name))
        return false;
    return std::none_of(name.begin(), name.end(),
                        [](char c) { return isControl(c) || std::strchr("/\\<>:\"|?*", c) != nullptr; });
}

std::vector<std::string> listPresets(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(fsPath(folder), error), end; !error && it != end;
         it.increment(error)) {
        const std::filesystem::path& file = it->path();
        const std::string stem = file.stem().u8string();
        std::error_code unreadable;  // an entry that cannot be examined is left out, the rest listed
        if (file.extension().u8string() == kPresetExtension && it->is_regular_file(unreadable)
            && isValidPresetName(stem))
            names.push_back(stem);
    }
    auto lowered = [](std::string text) {
        std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
        return text;
    };
    // Case first ignored, then bytewise, so the order never depends on the folder's.
    std::sort(names.begin(), names.end(), [&](const std::string& a, const std::string& b) {
        const std::string la = lowered(a);
        const std::string lb = lowered(b);
        return la != lb ? la < lb : a < b;
    });
    return names;
}

std::string presetPath(const std::string& folder, const std::string& name)
{
    return (fsPath(folder) / fsPath(name + kPresetExtension)).u8string();
}

PresetFileResult savePreset(const std::string& folder, const std::string& name, const ParameterValues& values)
{
    if (std::string refused = refusal(folder, {&name}); !refused.empty())
        return failure(refused);
    if (!editor::replaceFile(presetPath(folder, name), formatPreset(name, values)))
        return failure("the preset " + quoted(name) + " cannot be written in " + quoted(folder, kLongestQuotedPath));
    return {};
}

PresetFileResult savePresetAs(const std::string& folder, const std::string& name, const ParameterValues& values)
{
    if (isValidPresetName(name) && fileExists(presetPath(folder, name)))
        return failure("a preset named " + quoted(name) + " exists");
    return savePreset(folder, name, values);
}

PresetFileResult loadPresetFile(const std::string& path, ParameterValues& values)
{
    std::string text;
    return readPresetFile(path, text, values);
}

PresetFileResult loadPreset(const std::string& folder, const std::string& name, ParameterValues& values)
{
    if (std::string refused = refusal(folder, {&name}); !refused.empty())
        return failure(refused);
    PresetFileResult result = loadPresetFile(presetPath(folder, name), values);
    result.name = name;  // the folder knows a preset by its file's name
    return result;
}

PresetFileResult renamePreset(const std::string& folder, const std::string& from, const std::string& to)
{
    if (std::string refused = refusal(folder, {&from, &to}); !refused.empty())
        return failure(refused);
    const std::string target = presetPath(folder, to);
    std::string text;
    const bool readable = editor::readSmallFile(presetPath(folder, from), kLargestPresetFile, text);
    if (!moveWithoutReplacing(presetPath(folder, from), target))
        return failure(fileExists(target) ? "a preset named " + quoted(to) + " exists"
                                          : "the preset " + quoted(from) + " cannot be renamed");
    // The folder lists presets by their file names, so the name inside only
    // matters once the file travels: a failure to update it loses nothing.
    ParameterValues scratch = {};
    if (readable && readPreset(text, scratch).isPreset)
        editor::replaceFile(target, withName(text, to));
    return PresetFileResult{{}, to, {}};
}

PresetFileResult deletePreset(const std::string& folder, const std::string& name)
{
    if (std::string refused = refusal(folder, {&name}); !refused.empty())
        return failure(refused);
    std::error_code error;
    if (!std::filesystem::remove(fsPath(presetPath(folder, name)), error))
        return failure("the preset " + quoted(name) + " cannot be deleted");
    return {};
}

PresetFileResult importPreset(const std::string& folder, const std::string& path)
{
    std::string text;
    ParameterValues scratch = {};
    const PresetFileResult read = readPresetFile(path, text, scratch);
    if (!read)
        return read;
    const std::string name = isValidPresetName(read.name) ? read.name : fsPath(path).stem().u8string();
    if (std::string refused = refusal(folder, {&name}); !refused.empty())
        return failure(refused);
    const std::string target = presetPath(folder, name);
    if (fileExists(target))
        return failure("a preset named " + quoted(name) + " exists");
    if (!editor::replaceFile(target, withName(text, name)))
        return failure("the preset " + quoted(name) + " cannot be written in " + quoted(folder, kLongestQuotedPath));
    return PresetFileResult{{}, name, read.skipped};
}

}  // namespace quenchbox::app
