#ifndef QUENCHBOX_APP_APPSETTINGS_H
#define QUENCHBOX_APP_APPSETTINGS_H

#include "effect/Parameters.h"

#include <array>
#include <string>

namespace quenchbox::app {

// Which of the device's inputs the guitar is on: the first or the second
// channel, played through mono, or both as a stereo pair.
enum class InputChoice { first, second, stereo };

// "1", "2", "stereo": the words of the settings file and the command line.
const char* inputChoiceText(InputChoice input);
bool readInputChoice(const std::string& text, InputChoice& input);

// The rates audio interfaces run at; a rate outside them is a typing slip.
inline constexpr int kDeviceSampleRates[] = {44100, 48000, 88200, 96000, 176400, 192000};
bool isDeviceSampleRate(long rate);

constexpr int kFewestBufferFrames = 32;
constexpr int kMostBufferFrames = 4096;
constexpr bool isBufferFrames(long frames) { return frames >= kFewestBufferFrames && frames <= kMostBufferFrames; }

constexpr int kMidiControllerCount = 128;

// The application's JACK audio ports, in_1, in_2, out_1, out_2, in this order.
constexpr int kJackPortCount = 4;
extern const char* const kJackPortNames[kJackPortCount];
constexpr int kUnmapped = -1;

// What the application remembers between runs. The file is small text that a
// user may read or delete, beside the editor's settings file:
//
//   # Quenchbox RZ application settings
//   device=hw:CARD=Audio
//   rate=48000
//   buffer=256
//   input=1
//   monitor=off
//   program=3
//   values=1 0.330000013 0.5 ... (the sixteen normalized values, exact)
//   cc7=Level
//   cc74=Drive
//   jack-in-2=system:capture_4
//
// It is read defensively: a missing, unreadable, oversized or foreign file
// (one without the first line above) means the defaults; a damaged, missing
// or out-of-range value means that key's default; unknown keys are skipped, so
// an older build reads a newer file. "program" is the program chosen last and
// "values" what played when the application closed (a program's values with
// the player's edits), each float written so that it reads back exactly. The
// MIDI map binds controller numbers 0..127 to parameters by their names.
// "jack-in-1", "jack-in-2", "jack-out-1" and "jack-out-2" name the JACK port
// each of ours is connected to at the start; one not named goes to the
// system's first (second) capture or playback port.
struct AppSettings {
    std::string device;  // empty: the system's default device
    int sampleRate = 48000;
    int bufferFrames = 256;
    InputChoice input = InputChoice::first;
    bool monitor = false;  // the input is muted at the first start, so nothing howls
    std::array<int, kMidiControllerCount> midiMap;  // parameter index per controller, or kUnmapped
    std::array<std::string, kJackPortCount> jackConnections;  // empty: the system's port of that number
    int program = 0;
    bool hasValues = false;  // false: the program's own values
    float values[effect::kParameterCount] = {};

    AppSettings() { midiMap.fill(kUnmapped); }
};

bool operator==(const AppSettings& a, const AppSettings& b);

AppSettings parseAppSettings(const std::string& text);
std::string formatAppSettings(const AppSettings& settings);

// "app-settings" in the folder of editor::userSettingsPath(); empty when the
// system names no such place.
std::string appSettingsPath();
// Paths are UTF-8.
AppSettings readAppSettingsFile(const std::string& path);
// Makes the folder when needed and replaces the file in one step (a crash
// leaves the old file or the new one). False when it cannot.
bool writeAppSettingsFile(const std::string& path, const AppSettings& settings);

}  // namespace quenchbox::app

#endif
