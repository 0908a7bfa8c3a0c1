#include "editor/EditorSettings.h"

#include "editor/EditorScale.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <system_error>

namespace quenchbox::editor {

namespace {

constexpr const char* kHeader = "# Quenchbox RZ settings";
constexpr std::size_t kLargestFile = 4096;  // far more than a settings file of ours ever holds

std::string withoutCarriageReturn(std::string line)
{
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

// "auto" as 0, a step in percent as its factor; negative when neither.
double parseZoom(const std::string& value)
{
    if (value == "auto")
        return 0.0;
    for (double step : kScaleSteps) {
        char percent[8];
        std::snprintf(percent, sizeof(percent), "%d", scaledLength(100, step));
        if (value == percent)
            return step;
    }
    return -1.0;
}

}  // namespace

EditorSettings parseSettings(const std::string& text)
{
    EditorSettings settings;
    std::istringstream lines(text);
    std::string line;
    if (!std::getline(lines, line) || withoutCarriageReturn(line) != kHeader)
        return settings;
    while (std::getline(lines, line)) {
        line = withoutCarriageReturn(line);
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos || line.compare(0, equals, "zoom") != 0)
            continue;
        const double zoom = parseZoom(line.substr(equals + 1));
        settings.zoom = zoom >= 0.0 ? zoom : 0.0;
    }
    return settings;
}

std::string formatSettings(const EditorSettings& settings)
{
    const double zoom = settings.zoom > 0.0 ? nearestScaleStep(settings.zoom) : 0.0;
    std::string text = std::string(kHeader) + "\nzoom=";
    text += zoom > 0.0 ? std::to_string(scaledLength(100, zoom)) : "auto";
    return text + "\n";
}

EditorSettings readSettingsFile(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return {};
    std::string text(kLargestFile + 1, '\0');
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    const auto length = static_cast<std::size_t>(file.gcount());
    if (length > kLargestFile || text.find('\0') < length)
        return {};
    text.resize(length);
    return parseSettings(text);
}

bool writeSettingsFile(const std::filesystem::path& path, const EditorSettings& settings)
{
    if (path.empty())
        return false;
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    std::filesystem::path temporary = path;
    temporary += ".new";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        const std::string text = formatSettings(settings);
        if (!file.write(text.data(), static_cast<std::streamsize>(text.size())) || !file.flush())
            return false;
    }
    std::filesystem::rename(temporary, path, error);
    if (error) {
        // Where renaming onto an existing file fails, the old file goes first.
        std::filesystem::remove(path, error);
        std::filesystem::rename(temporary, path, error);
    }
    if (error)
        std::filesystem::remove(temporary, error);
    return !error;
}

}  // namespace quenchbox::editor
