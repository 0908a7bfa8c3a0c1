#include "app/AppController.h"

#include "app/PresetFile.h"
#include "editor/TextEntry.h"
#include "effect/Programs.h"
#include "formats/shared/ParameterDescriptions.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>

namespace quenchbox::app {

namespace {

constexpr long long kMessageMs = 6000;
constexpr std::size_t kLongestFieldText = 1024;  // bytes: a preset's name, or the path of a file to import
constexpr const char* kLearnLabel = "Learn MIDI CC";
constexpr const char* kForgetLabel = "Forget";
constexpr int kLearnItem = 0;
constexpr int kForgetItem = 1;

constexpr int kBufferSteps[] = {32, 64, 128, 256, 512, 1024, 2048, 4096};

// The factory programs' entries and the user presets' in the list page.
constexpr int kProgramRows = 8;
constexpr int kUserPresetRows = 15;

std::string quoted(const std::string& name) { return "\"" + name + "\""; }

std::string skippedText(const std::vector<SkippedLine>& skipped)
{
    std::string text = "; skipped line " + std::to_string(skipped.front().line) + " (" + skipped.front().reason + ")";
    if (skipped.size() > 1)
        text += " and " + std::to_string(skipped.size() - 1) + " more";
    return text;
}

// The index of `value` in `steps` moved by `by`, clamped to its ends; a
// value between steps starts from the nearest one below it.
template <std::size_t N>
int steppedValue(const int (&steps)[N], int value, int by)
{
    const int* above = std::upper_bound(std::begin(steps), std::end(steps), value);
    const int at = std::max(0, static_cast<int>(above - std::begin(steps)) - 1);
    return steps[std::clamp(at + by, 0, static_cast<int>(N) - 1)];
}

void addItem(effect::HostMenu& menu, const char* label, bool enabled, bool checked)
{
    effect::HostMenuItem& item = menu.items[menu.count++];
    std::snprintf(item.label, sizeof item.label, "%s", label);
    item.enabled = enabled;
    item.checked = checked;
    item.separator = false;
}

ViewItem item(ItemKind kind, ItemBox box, std::string text, Command command = Command::none, int argument = 0)
{
    ViewItem shown;
    shown.kind = kind;
    shown.box = box;
    shown.text = std::move(text);
    shown.command = command;
    shown.argument = argument;
    return shown;
}

ViewItem button(ItemBox box, std::string text, Command command, int argument = 0, bool lit = false,
                bool enabled = true)
{
    ViewItem shown = item(ItemKind::button, box, std::move(text), command, argument);
    shown.lit = lit;
    shown.enabled = enabled;
    return shown;
}

ViewItem meter(ItemBox box, const LevelMeter& levels, int which)
{
    ViewItem shown = item(ItemKind::meter, box, {}, Command::clearClip, which);
    shown.level = levels.barFraction();
    shown.hold = levels.holdFraction();
    shown.lit = levels.clipped();
    return shown;
}

}  // namespace

AppController::AppController(AppEngine& audioEngine, AppSettings& playing, std::string presets)
    : engine(audioEngine), settings(playing), folder(std::move(presets))
{
    readUserPresets();
    current = engine.effect().program();
}

void AppController::tick(long long nowMs, const AudioState& state)
{
    now = nowMs;
    audio = state;
    const int program = engine.effect().program();
    if (engine.applyMidi() > 0 && engine.effect().program() != program)
        current = engine.effect().program();
    const int requested = engine.takeUserPresetRequest();
    if (requested >= 0 && requested < static_cast<int>(userPresets.size()))
        choose(effect::kProgramCount + requested);
    noteLearning();
    const AppEngine::Peaks peaks = engine.takePeaks();
    inputMeter.take(peaks.input, nowMs);
    outputMeter.take(peaks.output, nowMs);
    if (!status.empty() && nowMs > statusUntil && !fieldOpen()) {
        status.clear();
        deleteArmed = false;
    }
}

// ---- Programs and presets ----

int AppController::entryCount() const { return effect::kProgramCount + static_cast<int>(userPresets.size()); }

std::string AppController::entryName(int entry) const
{
    if (effect::programs::isProgramIndex(entry)) {
        char name[effect::kProgramNameLength + 1];
        effect::programs::copyName(entry, name);
        return name;
    }
    const int user = entry - effect::kProgramCount;
    return user >= 0 && user < static_cast<int>(userPresets.size()) ? userPresets[user] : std::string();
}

std::string AppController::userPresetName() const { return onUserPreset() ? entryName(current) : std::string(); }

void AppController::readUserPresets() { userPresets = folder.empty() ? std::vector<std::string>{} : listPresets(folder); }

void AppController::currentValues(float* values) const
{
    for (int i = 0; i < effect::kParameterCount; ++i)
        values[i] = static_cast<float>(engine.effect().parameter(i));
}

void AppController::choose(int entry)
{
    if (effect::programs::isProgramIndex(entry)) {
        engine.effect().selectProgram(entry);
        current = entry;
        return;
    }
    float values[effect::kParameterCount];
    currentValues(values);
    const std::string name = entryName(entry);
    const PresetFileResult loaded = loadPreset(folder, name, values);
    if (!loaded) {
        say(loaded.error);
        return;
    }
    for (int i = 0; i < effect::kParameterCount; ++i)
        engine.effect().setParameter(i, values[i]);
    current = entry;
    if (!loaded.skipped.empty())
        say("Loaded " + quoted(name) + skippedText(loaded.skipped));
}

void AppController::step(int by)
{
    const int count = entryCount();
    choose(((current + by) % count + count) % count);
}

void AppController::save()
{
    if (!onUserPreset()) {
        openField(FieldPurpose::saveAs, {});
        return;
    }
    float values[effect::kParameterCount];
    currentValues(values);
    const std::string name = userPresetName();
    const PresetFileResult saved = savePreset(folder, name, values);
    say(saved ? "Saved " + quoted(name) : saved.error);
}

void AppController::remove()
{
    if (!onUserPreset()) {
        say("The factory programs stay; only your presets can be deleted");
        return;
    }
    const std::string name = userPresetName();
    if (!deleteArmed) {
        say("Delete " + quoted(name) + "? Click \"Delete\" again to delete it");
        deleteArmed = true;
        return;
    }
    deleteArmed = false;
    const PresetFileResult deleted = deletePreset(folder, name);
    say(deleted ? "Deleted " + quoted(name) : deleted.error);
    readUserPresets();
    if (deleted)
        current = std::min(current, entryCount() - 1);
}

void AppController::openField(FieldPurpose purpose, std::string text)
{
    field = purpose;
    fieldText = std::move(text);
    status.clear();
}

void AppController::type(const std::string& utf8)
{
    if (fieldOpen() && fieldText.size() + utf8.size() <= kLongestFieldText && editor::isPrintableUtf8(utf8.c_str()))
        fieldText += utf8;
}

void AppController::eraseCharacter()
{
    // Back over the continuation bytes to the character's first byte.
    while (!fieldText.empty() && (static_cast<unsigned char>(fieldText.back()) & 0xC0) == 0x80)
        fieldText.pop_back();
    if (!fieldText.empty())
        fieldText.pop_back();
}

void AppController::cancelField() { field = FieldPurpose::none; }

void AppController::confirmField()
{
    const FieldPurpose purpose = std::exchange(field, FieldPurpose::none);
    float values[effect::kParameterCount];
    currentValues(values);
    PresetFileResult result;
    std::string done;
    if (purpose == FieldPurpose::saveAs) {
        result = savePresetAs(folder, fieldText, values);
        result.name = fieldText;
        done = "Saved ";
    } else if (purpose == FieldPurpose::rename) {
        result = renamePreset(folder, userPresetName(), fieldText);
        result.name = fieldText;
        done = "Renamed to ";
    } else if (purpose == FieldPurpose::importFile) {
        result = importPreset(folder, fieldText);
        done = "Imported ";
    } else {
        return;
    }
    if (!result) {
        say(result.error);
        field = purpose;  // the text stays for a second try
        return;
    }
    readUserPresets();
    const auto found = std::find(userPresets.begin(), userPresets.end(), result.name);
    if (found != userPresets.end()) {
        const int entry = effect::kProgramCount + static_cast<int>(found - userPresets.begin());
        if (purpose == FieldPurpose::importFile)
            choose(entry);
        current = entry;
    }
    say(done + quoted(result.name) + (result.skipped.empty() ? "" : skippedText(result.skipped)));
}

// ---- Audio choices ----

void AppController::chooseDevice(int by)
{
    // The list starts with the system's default, named by the empty string.
    std::vector<std::string> choices{std::string()};
    choices.insert(choices.end(), devices.begin(), devices.end());
    const auto found = std::find(choices.begin(), choices.end(), settings.device);
    const int at = found == choices.end() ? 0 : static_cast<int>(found - choices.begin());
    settings.device = choices[std::clamp(at + by, 0, static_cast<int>(choices.size()) - 1)];
}

void AppController::chooseRate(int by) { settings.sampleRate = steppedValue(kDeviceSampleRates, settings.sampleRate, by); }

void AppController::chooseBuffer(int by) { settings.bufferFrames = steppedValue(kBufferSteps, settings.bufferFrames, by); }

void AppController::press(Command command, int argument)
{
    if (command != Command::remove)
        deleteArmed = false;
    switch (command) {
    case Command::previousEntry: step(-1); break;
    case Command::nextEntry: step(1); break;
    case Command::showPrograms: page = page == Page::programs ? Page::none : Page::programs; break;
    case Command::chooseEntry:
        choose(argument);
        page = Page::none;
        break;
    case Command::save: save(); break;
    case Command::saveAs: openField(FieldPurpose::saveAs, {}); break;
    case Command::rename:
        if (onUserPreset())
            openField(FieldPurpose::rename, userPresetName());
        else
            say("The factory programs keep their names; \"Save as\" makes a preset you can rename");
        break;
    case Command::remove: remove(); break;
    case Command::importFile: openField(FieldPurpose::importFile, {}); break;
    case Command::monitor: engine.setMonitor(!engine.monitoring()); break;
    case Command::showSettings:
        page = page == Page::settings ? Page::none : Page::settings;
        if (page == Page::settings && listDevices)
            devices = listDevices();
        break;
    case Command::closePage: page = Page::none; break;
    case Command::retryAudio:
    case Command::applyAudio: reopenAudio = true; break;
    case Command::clearClip: (argument == 0 ? inputMeter : outputMeter).clearClip(); break;
    case Command::chooseInput: engine.setInput(static_cast<InputChoice>(std::clamp(argument, 0, 2))); break;
    case Command::stepDevice: chooseDevice(argument); break;
    case Command::stepRate: chooseRate(argument); break;
    case Command::stepBuffer: chooseBuffer(argument); break;
    case Command::forgetControllers:
        for (int i = 0; i < effect::kParameterCount; ++i)
            engine.forgetController(i);
        break;
    case Command::confirmField: confirmField(); break;
    case Command::cancelField: cancelField(); break;
    case Command::none: break;
    }
}

void AppController::say(const std::string& text)
{
    status = text;
    statusUntil = now + kMessageMs;
}

// ---- MIDI learn, in the panel's control menu ----

bool AppController::hostMenu(int index, effect::HostMenu& menu)
{
    menu = {};
    if (!effect::isParameterIndex(index))
        return false;
    addItem(menu, kLearnLabel, true, engine.learningParameter() == index);
    addItem(menu, kForgetLabel, engine.controllerOf(index) != kUnmapped, false);
    return true;
}

void AppController::chooseHostMenuItem(int index, int item)
{
    if (!effect::isParameterIndex(index))
        return;
    if (item == kLearnItem) {
        const bool stop = engine.learningParameter() == index;
        engine.learnController(stop ? kUnmapped : index);
        learningFor = stop ? kUnmapped : index;
        if (!stop)
            say(std::string("Move a MIDI controller to bind it to ") + effect::parameterName(index));
    } else if (item == kForgetItem) {
        engine.forgetController(index);
        say(std::string(effect::parameterName(index)) + " follows no MIDI controller now");
    }
}

// Says which controller a learnt control took, once it has taken one.
void AppController::noteLearning()
{
    if (!effect::isParameterIndex(learningFor) || engine.learningParameter() == learningFor)
        return;
    const int controller = engine.controllerOf(learningFor);
    if (controller != kUnmapped)
        say("CC " + std::to_string(controller) + " moves " + effect::parameterName(learningFor));
    learningFor = kUnmapped;
}

// ---- What the window shows ----

std::vector<ViewItem> AppController::view() const
{
    std::vector<ViewItem> items;
    listBar(items);
    if (page == Page::programs)
        listProgramsPage(items);
    else if (page == Page::settings)
        listSettingsPage(items);
    return items;
}

void AppController::listBar(std::vector<ViewItem>& items) const
{
    if (audio.lostMessage.empty())
        items.push_back(item(ItemKind::label, {8, 6, 468, 20}, audio.route));
    else
        items.push_back(item(ItemKind::title, {8, 6, 468, 20}, audio.lostMessage + " Click to try again.",
                             Command::retryAudio));
    items.back().wrapped = false;
    items.push_back(item(ItemKind::label, {488, 6, 90, 20},
                         std::to_string(audio.dropouts) + (audio.dropouts == 1 ? " dropout" : " dropouts")));
    items.back().wrapped = false;
    items.push_back(button({584, 6, 85, 20}, "Settings", Command::showSettings, 0, page == Page::settings));

    items.push_back(item(ItemKind::label, {8, 32, 26, 16}, "In"));
    items.push_back(meter({34, 33, 250, 14}, inputMeter, 0));
    items.push_back(item(ItemKind::label, {294, 32, 34, 16}, "Out"));
    items.push_back(meter({328, 33, 248, 14}, outputMeter, 1));
    items.push_back(button({584, 30, 85, 20}, "Monitor", Command::monitor, 0, engine.monitoring()));

    if (fieldOpen()) {
        const char* prompt = field == FieldPurpose::saveAs  ? "Save as:"
                             : field == FieldPurpose::rename ? "Rename to:"
                                                              : "Import file:";
        items.push_back(item(ItemKind::label, {8, 54, 84, 20}, prompt));
        items.push_back(item(ItemKind::field, {92, 54, 412, 20}, fieldText));
        items.push_back(button({510, 54, 76, 20}, "OK", Command::confirmField));
        items.push_back(button({590, 54, 79, 20}, "Cancel", Command::cancelField));
    } else {
        items.push_back(button({8, 54, 24, 20}, "<", Command::previousEntry));
        items.push_back(button({36, 54, 240, 20}, entryName(current), Command::showPrograms, 0, page == Page::programs));
        items.push_back(button({280, 54, 24, 20}, ">", Command::nextEntry));
        items.push_back(button({312, 54, 60, 20}, "Save", Command::save));
        items.push_back(button({376, 54, 68, 20}, "Save as", Command::saveAs));
        items.push_back(button({448, 54, 68, 20}, "Rename", Command::rename, 0, false, onUserPreset()));
        items.push_back(button({520, 54, 64, 20}, "Delete", Command::remove, 0, deleteArmed, onUserPreset()));
        items.push_back(button({588, 54, 81, 20}, "Import", Command::importFile));
    }
    const std::string& line = status.empty() ? audio.lostDetail : status;
    if (!line.empty())
        items.push_back(item(ItemKind::title, {8, 78, 661, 18}, line));
}

void AppController::listProgramsPage(std::vector<ViewItem>& items) const
{
    const int top = kBarHeight;
    items.push_back(item(ItemKind::title, {16, top + 12, 400, 22}, "Programs"));
    for (int entry = 0; entry < effect::kProgramCount; ++entry)
        items.push_back(button({16 + entry / kProgramRows * 212, top + 44 + entry % kProgramRows * 26, 204, 22},
                               entryName(entry), Command::chooseEntry, entry, entry == current));
    items.push_back(item(ItemKind::title, {440, top + 12, 221, 22}, "Your presets"));
    const int shown = std::min(static_cast<int>(userPresets.size()), kUserPresetRows);
    for (int user = 0; user < shown; ++user) {
        const int entry = effect::kProgramCount + user;
        items.push_back(button({440, top + 44 + user * 26, 221, 22}, entryName(entry), Command::chooseEntry, entry,
                               entry == current));
    }
    if (userPresets.empty())
        items.push_back(item(ItemKind::label, {440, top + 44, 221, 22}, "None yet: \"Save as\" makes one"));
    else if (static_cast<int>(userPresets.size()) > shown)
        items.push_back(item(ItemKind::label, {16, top + 452, 560, 20},
                             std::to_string(userPresets.size() - shown) + " more: \"<\" and \">\" reach them all"));
    items.push_back(button({589, top + 450, 80, 22}, "Close", Command::closePage));
}

void AppController::listSettingsPage(std::vector<ViewItem>& items) const
{
    const int top = kBarHeight;
    const InputChoice input = engine.inputChoice();
    items.push_back(item(ItemKind::title, {16, top + 12, 400, 22}, "Guitar input"));
    items.push_back(button({16, top + 40, 120, 24}, "Input 1", Command::chooseInput, 0, input == InputChoice::first));
    items.push_back(button({144, top + 40, 120, 24}, "Input 2", Command::chooseInput, 1, input == InputChoice::second));
    items.push_back(button({272, top + 40, 120, 24}, "Stereo", Command::chooseInput, 2, input == InputChoice::stereo));
    items.push_back(item(ItemKind::label, {404, top + 42, 265, 20}, "One input plays through both outputs"));

    items.push_back(item(ItemKind::title, {16, top + 84, 400, 22}, "Audio"));
    items.push_back(item(ItemKind::label, {16, top + 110, 650, 20}, audio.route));
    const std::string rows[3][2] = {
        {"Device", settings.device.empty() ? "the system's default" : settings.device},
        {"Rate", std::to_string(settings.sampleRate / 1000) + "." + std::to_string(settings.sampleRate % 1000 / 100) +
                     " kHz"},
        {"Buffer", std::to_string(settings.bufferFrames) + " frames"},
    };
    const Command steps[3] = {Command::stepDevice, Command::stepRate, Command::stepBuffer};
    for (int row = 0; row < 3; ++row) {
        const int y = top + 136 + row * 28;
        items.push_back(item(ItemKind::label, {16, y, 80, 22}, rows[row][0]));
        items.push_back(button({100, y, 24, 22}, "<", steps[row], -1));
        items.push_back(item(ItemKind::label, {132, y, 400, 22}, rows[row][1]));
        items.push_back(button({536, y, 24, 22}, ">", steps[row], 1));
    }
    items.push_back(button({100, top + 222, 120, 24}, "Apply", Command::applyAudio, 0, false, audio.deviceChoicesApply));
    if (!audio.deviceChoicesApply)
        items.push_back(item(ItemKind::label, {16, top + 252, 650, 20},
                             "The JACK server sets the rate and the buffer; these are used when no JACK server runs."));

    items.push_back(item(ItemKind::title, {16, top + 290, 400, 22}, "MIDI"));
    items.push_back(item(ItemKind::label, {16, top + 316, 650, 20},
                         "Program change 0-15 picks a factory program; after bank select 1 and up, your presets."));
    std::string learnt;
    for (int controller = 0; controller < kMidiControllerCount; ++controller)
        if (effect::isParameterIndex(engine.midiMapping()[controller]))
            learnt += (learnt.empty() ? "" : ", ") + std::string("CC ") + std::to_string(controller) + " " +
                      effect::parameterName(engine.midiMapping()[controller]);
    items.push_back(item(ItemKind::label, {16, top + 340, 650, 80},
                         learnt.empty() ? "No controller learnt: right-click a control, \"Learn MIDI CC\"" : learnt));
    items.push_back(button({16, top + 430, 120, 24}, "Forget all", Command::forgetControllers, 0, false,
                           !learnt.empty()));
    items.push_back(button({589, top + 450, 80, 22}, "Done", Command::closePage));
}

}  // namespace quenchbox::app
