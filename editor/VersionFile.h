#ifndef QUENCHBOX_EDITOR_VERSIONFILE_H
#define QUENCHBOX_EDITOR_VERSIONFILE_H

#include <cstddef>
#include <cstdint>

#include "QuenchboxVersion.h"

namespace quenchbox::editor {

// The maker's version file "/versions.dat": 8-byte records, no header, each
// a plug-in identifier (this one's 'TPLY' stored little-endian, reading
// "YLPT") and its latest version code, unsigned 32-bit little-endian.

constexpr std::uint32_t kVersionCode = QUENCHBOX_VERSION_CODE;  // this build
constexpr int kVersionRecordSize = 8;
constexpr int kUpdateConnectTimeoutMs = 10000;
constexpr const char* kUpdateCaption = "ZUK Quenchbox RZ";
constexpr const char* kVersionFilePath = "/versions.dat";
constexpr const char* kDownloadPagePath = "/quenchbox-rz";

// Whether an 8-byte record is this plug-in's, and the version code it holds.
bool isOwnRecord(const unsigned char* record);
std::uint32_t recordVersion(const unsigned char* record);
// The first record of this plug-in in a whole file, 0 when there is none;
// a truncated last record is ignored.
std::uint32_t findOwnVersion(const unsigned char* file, std::size_t size);

// What the user is told.
enum class UpdateAnswer { kNoInformation, kLatest, kNewer };
UpdateAnswer answerFor(std::uint32_t latest);
const char* answerText(UpdateAnswer answer);

}  // namespace quenchbox::editor

#endif
