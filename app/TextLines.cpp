#include "app/TextLines.h"

#include <cstring>

namespace quenchbox::app {

namespace {

constexpr const char* kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

std::vector<std::string> linesOf(const std::string& text)
{
    const std::size_t markLength = std::strlen(kByteOrderMark);
    std::size_t start = text.compare(0, markLength, kByteOrderMark) == 0 ? markLength : 0;
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

}  // namespace quenchbox::app
