#include "formats/shared/StateCodec.h"

#include <cmath>
#include <cstring>

namespace quenchbox::formats {

namespace {

constexpr std::uint8_t kMagic[4] = {'Q', 'B', 'R', 'Z'};
constexpr std::size_t kVersionOffset = 4;
constexpr std::size_t kProgramOffset = 8;
constexpr std::size_t kNameOffset = 12;
constexpr std::size_t kValuesOffset = kNameOffset + effect::kProgramNameLength;
constexpr std::size_t kChecksumOffset = kValuesOffset + 4 * effect::kParameterCount;
static_assert(kChecksumOffset + 4 == kStateSize);

std::uint32_t crc32(const std::uint8_t* bytes, std::size_t size)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void putU32(std::uint8_t* at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t getU32(const std::uint8_t* at)
{
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t>(at[i]) << (8 * i);
    return value;
}

std::uint32_t bitsOf(float value)
{
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof(bits));
    return bits;
}

float floatOf(std::uint32_t bits)
{
    float value;
    std::memcpy(&value, &bits, sizeof(value));
    return value;
}

bool isPaddedName(const std::uint8_t* name)
{
    std::size_t length = 0;
    while (length < effect::kProgramNameLength && name[length] != 0)
        ++length;
    for (std::size_t i = length; i < effect::kProgramNameLength; ++i)
        if (name[i] != 0)
            return false;
    return true;
}

bool isUnitValue(float value) { return std::isfinite(value) && value >= 0.0f && value <= 1.0f; }

}  // namespace

EncodedState encodeState(const EffectState& state)
{
    EncodedState bytes{};
    std::memcpy(bytes.data(), kMagic, sizeof(kMagic));
    putU32(bytes.data() + kVersionOffset, kStateVersion);
    putU32(bytes.data() + kProgramOffset, static_cast<std::uint32_t>(state.program));
    std::memcpy(bytes.data() + kNameOffset, state.programName, effect::kProgramNameLength);
    for (int i = 0; i < effect::kParameterCount; ++i)
        putU32(bytes.data() + kValuesOffset + 4 * i, bitsOf(state.values[i]));
    putU32(bytes.data() + kChecksumOffset, crc32(bytes.data(), kChecksumOffset));
    return bytes;
}

bool decodeState(const std::uint8_t* bytes, std::size_t size, EffectState& state)
{
    if (bytes == nullptr || size != kStateSize || std::memcmp(bytes, kMagic, sizeof(kMagic)) != 0
        || getU32(bytes + kVersionOffset) != kStateVersion
        || getU32(bytes + kChecksumOffset) != crc32(bytes, kChecksumOffset))
        return false;

    EffectState decoded;
    decoded.program = static_cast<std::int32_t>(getU32(bytes + kProgramOffset));
    if (!effect::programs::isProgramIndex(decoded.program) || !isPaddedName(bytes + kNameOffset))
        return false;
    std::memcpy(decoded.programName, bytes + kNameOffset, effect::kProgramNameLength);
    for (int i = 0; i < effect::kParameterCount; ++i) {
        decoded.values[i] = floatOf(getU32(bytes + kValuesOffset + 4 * i));
        if (!isUnitValue(decoded.values[i]))
            return false;
    }
    state = decoded;
    return true;
}

}  // namespace quenchbox::formats
