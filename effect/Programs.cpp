#include "effect/Programs.h"

#include "shell/StringCopy.h"

#include <array>
#include <cstring>
#include <mutex>

namespace quenchbox::effect::programs {

namespace {

struct ProgramRecord {
    char name[kProgramNameLength];
    float values[kParameterCount];
};

// The parameters' defaults under the name "Default".
constexpr ProgramRecord defaultProgram()
{
    ProgramRecord record = {"Default", {}};
    for (const ParameterInfo& parameter : kParameters)
        record.values[parameter.index] = parameter.defaultValue;
    return record;
}
constexpr ProgramRecord kDefaultProgram = defaultProgram();

// Values in parameter order: Enable, Drive, Level, Bass, Middle, Treble,
// Deep, Voltage, OA Gain, LEDs, Scale, RZ Mode, Channels, Oversample, Bright, Mix.

// What the library ships; the process-wide table starts as a copy of it.
constexpr std::array<ProgramRecord, kProgramCount> kFactoryPrograms = {{
    kDefaultProgram,
    {"Fat Blues", {1.0f, 0.5f, 0.5f, 0.85f, 1.0f, 0.5f, 0.85f, 0.5f, 1.0f, 1.0f, 0.5f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f}},
    {"Crunch", {1.0f, 0.4f, 0.5f, 0.65f, 0.35f, 0.75f, 1.0f, 0.5f, 1.0f, 1.0f, 0.5f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f}},
    {"Grunge", {1.0f, 1.0f, 0.5f, 0.9f, 0.0f, 0.65f, 1.0f, 0.5f, 1.0f, 1.0f, 0.5f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f}},
    {"Screaming Solo",
     {1.0f, 1.0f, 0.5f, 1.0f, 0.35f, 0.65f, 0.7f, 0.5f, 1.0f, 1.0f, 0.5f, 1.0f, 0.0f, 0.0f, 1.0f, 1.0f}},
    {"Rusk Solo", {1.0f, 0.65f, 0.5f, 0.65f, 1.0f, 0.75f, 0.0f, 0.5f, 1.0f, 1.0f, 0.5f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f}},
    {"OpAmp Solo", {1.0f, 1.0f, 0.5f, 0.5f, 0.6f, 0.5f, 0.0f, 0.0f, 0.5f, 0.0f, 0.6f, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f}},
    {"Bright Crunch",
     {1.0f, 1.0f, 0.5f, 0.5f, 0.35f, 0.4f, 0.0f, 0.5f, 0.0f, 1.0f, 0.5f, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f}},
    {"Modern Metal",
     {1.0f, 1.0f, 0.5f, 0.35f, 0.0f, 0.93f, 0.93f, 0.35f, 1.0f, 1.0f, 0.4f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f}},
    {"Smooth LED", {1.0f, 0.2f, 0.6f, 0.5f, 0.55f, 0.75f, 0.55f, 1.0f, 0.0f, 1.0f, 0.5f, 1.0f, 0.0f, 0.0f, 1.0f, 1.0f}},
    kDefaultProgram,
    kDefaultProgram,
    kDefaultProgram,
    kDefaultProgram,
    kDefaultProgram,
    kDefaultProgram,
}};

std::array<ProgramRecord, kProgramCount> table = kFactoryPrograms;

std::mutex tableLock;

// A 24-byte zero-padded name as text, at most 24 characters and a terminator.
void copyNameField(const char (&field)[kProgramNameLength], char* text)
{
    char name[kProgramNameLength + 1];
    std::memcpy(name, field, kProgramNameLength);
    name[kProgramNameLength] = '\0';
    copyBounded(text, name, kProgramNameLength);
}

}  // namespace

void readValues(int program, float values[kParameterCount])
{
    std::lock_guard<std::mutex> guard(tableLock);
    std::memcpy(values, table[program].values, sizeof(table[program].values));
}

void storeValues(int program, const float values[kParameterCount])
{
    std::lock_guard<std::mutex> guard(tableLock);
    std::memcpy(table[program].values, values, sizeof(table[program].values));
}

void rename(int program, const char* name)
{
    std::lock_guard<std::mutex> guard(tableLock);
    copyPadded(table[program].name, name, kProgramNameLength);
}

void copyName(int program, char* text)
{
    ProgramRecord record;
    {
        std::lock_guard<std::mutex> guard(tableLock);
        record = table[program];
    }
    copyNameField(record.name, text);
}

void copyFactoryName(int program, char* text) { copyNameField(kFactoryPrograms[program].name, text); }

}  // namespace quenchbox::effect::programs
