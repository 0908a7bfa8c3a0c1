#include "editor/VersionFile.h"

#include <cstring>

namespace quenchbox::editor {

namespace {

constexpr char kThisPlugin[4] = {'Y', 'L', 'P', 'T'};

}  // namespace

bool isOwnRecord(const unsigned char* record) { return std::memcmp(record, kThisPlugin, sizeof(kThisPlugin)) == 0; }

std::uint32_t recordVersion(const unsigned char* record)
{
    return static_cast<std::uint32_t>(record[4]) | static_cast<std::uint32_t>(record[5]) << 8 |
           static_cast<std::uint32_t>(record[6]) << 16 | static_cast<std::uint32_t>(record[7]) << 24;
}

std::uint32_t findOwnVersion(const unsigned char* file, std::size_t size)
{
    for (std::size_t at = 0; at + kVersionRecordSize <= size; at += kVersionRecordSize)
        if (isOwnRecord(file + at))
            return recordVersion(file + at);
    return 0;
}

UpdateAnswer answerFor(std::uint32_t latest)
{
    if (latest == 0)
        return UpdateAnswer::kNoInformation;
    return latest == kVersionCode ? UpdateAnswer::kLatest : UpdateAnswer::kNewer;
}

const char* answerText(UpdateAnswer answer)
{
    switch (answer) {
    case UpdateAnswer::kNoInformation:
        return "Couldn't retreive update information at this moment";
    case UpdateAnswer::kLatest:
        return "You are already using the latest version";
    default:
        return "New version is available. Proceed to download page?";
    }
}

}  // namespace quenchbox::editor
