#include "editor/EditorSettings.h"

#include "editor/EditorScale.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace quenchbox::editor {

namespace {

constexpr const char* kHeader = "# Quenchbox RZ settings";
constexpr const char* kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::size_t kLargestFile = 4096;  // far more than a settings file of ours ever holds


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

std::vector<std::string> linesOf(const std::string& text, bool afterByteOrderMark)
{
    const std::size_t markLength = std::strlen(kByteOrderMark);
    std::size_t start = afterByteOrderMark && text.compare(0, markLength, kByteOrderMark) == 0 ? markLength : 0;
    std::vector<std::string> lines;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

EditorSettings parseSettings(const std::string& text)
{
    EditorSettings settings;
    const std::vector<std::string> lines = linesOf(text);
    if (lines.empty() || lines.front() != kHeader)
        return settings;
    for (const std::string& line : lines) {
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

EditorSettings readSettingsFile(const std::string& path)
{
    std::string text;
    if (path.empty() || !readSmallFile(path, kLargestFile, text) || std::memchr(text.data(), '\0', text.size()))
        return {};
    return parseSettings(text);
}

bool writeSettingsFile(const std::string& path, const EditorSettings& settings)
{
    return !path.empty() && replaceFile(path, formatSettings(settings));
}

}  // namespace quenchbox::editor
