#include "app/AppSettings.h"

#include "app/PresetFile.h"
#include "editor/EditorSettings.h"
#include "effect/Programs.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <vector>

namespace quenchbox::app {

const char* const kJackPortNames[kJackPortCount] = {"in_1", "in_2", "out_1", "out_2"};

namespace {

constexpr const char* kHeader = "# Quenchbox RZ application settings";
constexpr std::size_t kLargestFile = 16 * 1024;  // far more than 128 controller lines and a device name
constexpr std::size_t kLongestDeviceName = 256;
constexpr const char* kControllerPrefix = "cc";
constexpr const char* kSettingsFileName = "settings";  // the editor's, whose folder this file shares
constexpr const char* kAppSettingsFileName = "app-settings";

std::string jackPortKeyOf(int port)
{
    std::string key = std::string("jack-") + kJackPortNames[port];  // "jack-in_1"
    key[key.size() - 2] = '-';                                      // "jack-in-1"
    return key;
}

template <typename Number>
bool readNumber(const std::string& text, Number& number)
{
    const char* last = text.data() + text.size();
    const auto [end, error] = std::from_chars(text.data(), last, number);
    return !text.empty() && error == std::errc() && end == last;
}

bool readWhole(const std::string& text, long& number) { return readNumber(text, number); }

bool isPrintable(const std::string& text)
{
    return std::none_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

// The sixteen values separated by blanks, each within 0..1; all or nothing.
bool readValues(const std::string& text, float (&values)[effect::kParameterCount])
{
    float read[effect::kParameterCount] = {};
    std::size_t start = 0;
    for (float& value : read) {
        start = text.find_first_not_of(' ', start);
        if (start == std::string::npos)
            return false;
        const std::size_t end = std::min(text.find(' ', start), text.size());
        if (!readNumber(text.substr(start, end - start), value) || !(value >= 0.0f && value <= 1.0f))
            return false;
        start = end;
    }
    if (text.find_first_not_of(' ', start) != std::string::npos)
        return false;
    std::copy(std::begin(read), std::end(read), values);
    return true;
}

std::string valuesText(const float (&values)[effect::kParameterCount])
{
    std::string text;
    for (float value : values) {
        char number[32];
        // The shortest text that reads back as the same float.
        const auto [end, error] = std::to_chars(number, number + sizeof(number), value);
        text += (text.empty() ? "" : " ") + std::string(number, error == std::errc() ? end : number);
    }
    return text;
}

// "jack-in-1" and the like: the index of the port it names, or -1.
int jackPortKey(const std::string& key)
{
    for (int port = 0; port < kJackPortCount; ++port)
        if (key == jackPortKeyOf(port))
            return port;
    return -1;
}

// One "key=value" line applied to the settings; an unusable value keeps the
// default it had.
void apply(const std::string& key, const std::string& value, AppSettings& settings)
{
    long number = 0;
    if (key == "device" && value.size() <= kLongestDeviceName && isPrintable(value))
        settings.device = value;
    else if (key == "rate" && readWhole(value, number) && isDeviceSampleRate(number))
        settings.sampleRate = static_cast<int>(number);
    else if (key == "buffer" && readWhole(value, number) && isBufferFrames(number))
        settings.bufferFrames = static_cast<int>(number);
    else if (const int port = jackPortKey(key); port >= 0 && value.size() <= kLongestDeviceName && isPrintable(value))
        settings.jackConnections[static_cast<std::size_t>(port)] = value;
    else if (key == "input")
        readInputChoice(value, settings.input);
    else if (key == "monitor" && (value == "on" || value == "off"))
        settings.monitor = value == "on";
    else if (key == "program" && readWhole(value, number) && effect::programs::isProgramIndex(static_cast<int>(number)))
        settings.program = static_cast<int>(number);
    else if (key == "values")
        settings.hasValues = readValues(value, settings.values) || settings.hasValues;
    else if (key.compare(0, std::strlen(kControllerPrefix), kControllerPrefix) == 0
             && readWhole(key.substr(std::strlen(kControllerPrefix)), number) && number >= 0
             && number < kMidiControllerCount) {
        const int parameter = parameterNamed(value);
        if (parameter != effect::kParameterCount)
            settings.midiMap[static_cast<std::size_t>(number)] = parameter;
    }
}

}  // namespace

const char* inputChoiceText(InputChoice input)
{
    switch (input) {
    case InputChoice::second:
        return "2";
    case InputChoice::stereo:
        return "stereo";
    case InputChoice::first:
        break;
    }
    return "1";
}

bool readInputChoice(const std::string& text, InputChoice& input)
{
    for (InputChoice choice : {InputChoice::first, InputChoice::second, InputChoice::stereo})
        if (text == inputChoiceText(choice)) {
            input = choice;
            return true;
        }
    return false;
}

bool isDeviceSampleRate(long rate)
{
    return std::find(std::begin(kDeviceSampleRates), std::end(kDeviceSampleRates), rate) != std::end(kDeviceSampleRates);
}

bool operator==(const AppSettings& a, const AppSettings& b)
{
    return a.device == b.device && a.sampleRate == b.sampleRate && a.bufferFrames == b.bufferFrames
        && a.jackConnections == b.jackConnections && a.input == b.input && a.monitor == b.monitor && a.midiMap == b.midiMap && a.program == b.program
        && a.hasValues == b.hasValues
        && (!a.hasValues || std::equal(std::begin(a.values), std::end(a.values), std::begin(b.values)));
}

AppSettings parseAppSettings(const std::string& text)
{
    AppSettings settings;
    const std::vector<std::string> lines = editor::linesOf(text, true);
    if (lines.empty() || lines.front() != kHeader)
        return settings;
    for (const std::string& line : lines) {
        const std::size_t equals = line.find('=');
        if (equals != std::string::npos)
            apply(line.substr(0, equals), line.substr(equals + 1), settings);
    }
    return settings;
}

std::string formatAppSettings(const AppSettings& settings)
{
    std::string text = std::string(kHeader) + "\n";
    const bool deviceFits = settings.device.size() <= kLongestDeviceName && isPrintable(settings.device);
    text += "device=" + (deviceFits ? settings.device : std::string()) + "\n";
    text += "rate=" + std::to_string(settings.sampleRate) + "\n";
    text += "buffer=" + std::to_string(settings.bufferFrames) + "\n";
    text += std::string("input=") + inputChoiceText(settings.input) + "\n";
    text += std::string("monitor=") + (settings.monitor ? "on" : "off") + "\n";
    for (int port = 0; port < kJackPortCount; ++port) {
        const std::string& connection = settings.jackConnections[static_cast<std::size_t>(port)];
        if (!connection.empty() && connection.size() <= kLongestDeviceName && isPrintable(connection))
            text += jackPortKeyOf(port) + "=" + connection + "\n";
    }
    text += "program=" + std::to_string(settings.program) + "\n";
    if (settings.hasValues)
        text += "values=" + valuesText(settings.values) + "\n";
    for (std::size_t cc = 0; cc < settings.midiMap.size(); ++cc)
        if (effect::isParameterIndex(settings.midiMap[cc]))
            text += kControllerPrefix + std::to_string(cc) + "=" + effect::kParameters[settings.midiMap[cc]].name + "\n";
    return text;
}

std::string appSettingsPath()
{
    const std::string editorSettings = editor::userSettingsPath();
    const std::size_t nameLength = std::strlen(kSettingsFileName);
    if (editorSettings.size() < nameLength)
        return {};
    return editorSettings.substr(0, editorSettings.size() - nameLength) + kAppSettingsFileName;
}

AppSettings readAppSettingsFile(const std::string& path)
{
    std::string text;
    if (path.empty() || !editor::readSmallFile(path, kLargestFile, text) || std::memchr(text.data(), '\0', text.size()))
        return {};
    return parseAppSettings(text);
}

bool writeAppSettingsFile(const std::string& path, const AppSettings& settings)
{
    return !path.empty() && editor::replaceFile(path, formatAppSettings(settings));
}

}  // namespace quenchbox::app
