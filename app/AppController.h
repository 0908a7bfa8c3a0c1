#ifndef QUENCHBOX_APP_APPCONTROLLER_H
#define QUENCHBOX_APP_APPCONTROLLER_H

#include "app/AppEngine.h"
#include "app/AppSettings.h"
#include "app/AppView.h"
#include "app/LevelMeter.h"
#include "effect/HostMenu.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace quenchbox::app {

// What the window shows of the audio, as the main loop last saw it.
struct AudioState {
    std::string route;  // "JACK, 48 kHz, 128 frames, in 1 to out 1+2, 2.7 ms"
    std::string lostMessage;  // empty while playing: "No audio.", "The JACK server went away."
    std::string lostDetail;   // why, where the back-end said
    int dropouts = 0;
    bool deviceChoicesApply = true;  // false on a server that sets the rate and buffer
};

// Everything the application's window does beside the panel, whatever the
// window system: the program and preset commands, the monitor, the meters,
// the settings page, MIDI learn, and the line of messages. It runs on the
// application's own thread; the window layer paints what `view` lists,
// hands over the clicks and the typing, and hides the panel while a page
// covers it. MIDI learn reaches the panel's control menu as the host's items
// ("Learn MIDI CC", "Forget").
class AppController : public effect::HostMenus {
public:
    // `settings` are the ones this run plays with (the device choices are
    // applied to them) and `presets` the user's preset folder.
    AppController(AppEngine& engine, AppSettings& settings, std::string presets);

    // About thirty times a second: MIDI, the meters, the messages' ageing.
    void tick(long long nowMs, const AudioState& audio);
    std::vector<ViewItem> view() const;
    // What a click on an item runs.
    void press(Command command, int argument);

    // The name field of "Save as", "Rename" and "Import"; keys go here while
    // it is open.
    bool fieldOpen() const { return field != FieldPurpose::none; }
    void type(const std::string& utf8);
    void eraseCharacter();
    void confirmField();
    void cancelField();

    // The panel is hidden while a page covers it.
    bool pageShown() const { return page != Page::none; }
    // The back-end should be opened again with the settings' device choices;
    // true once per request.
    bool takeAudioReopen() { return std::exchange(reopenAudio, false); }
    // Where the settings page's device list comes from; asked each time the
    // page opens, so that it follows devices plugged in and out.
    void setDeviceLister(std::function<std::vector<std::string>()> lister) { listDevices = std::move(lister); }
    // The entry shown: 0..15 the factory programs, then the user presets.
    int entry() const { return current; }
    std::string entryName(int entry) const;
    int entryCount() const;
    const std::string& message() const { return status; }

    // effect::HostMenus: the panel's control menu
    bool hostMenu(int index, effect::HostMenu& menu) override;
    void chooseHostMenuItem(int index, int item) override;

private:
    enum class Page { none, programs, settings };
    enum class FieldPurpose { none, saveAs, rename, importFile };

    void choose(int entry);
    void step(int by);
    void save();
    void remove();
    void openField(FieldPurpose purpose, std::string text);
    void finishField(const std::string& text);
    void importFile(const std::string& path);
    void chooseDevice(int by);
    void chooseRate(int by);
    void chooseBuffer(int by);
    void say(const std::string& text);
    void noteLearning();
    void readUserPresets();
    bool onUserPreset() const { return current >= effect::kProgramCount; }
    std::string userPresetName() const;
    void currentValues(float* values) const;

    void listBar(std::vector<ViewItem>& items) const;
    void listProgramsPage(std::vector<ViewItem>& items) const;
    void listSettingsPage(std::vector<ViewItem>& items) const;

    AppEngine& engine;
    AppSettings& settings;
    std::string folder;
    std::vector<std::string> userPresets;
    std::function<std::vector<std::string>()> listDevices;
    std::vector<std::string> devices;
    int current = 0;
    Page page = Page::none;
    FieldPurpose field = FieldPurpose::none;
    std::string fieldText;
    bool deleteArmed = false;
    bool reopenAudio = false;
    int learningFor = kUnmapped;  // the control the last "Learn MIDI CC" was for
    std::string status;
    long long statusUntil = 0;
    long long now = 0;
    AudioState audio;
    LevelMeter inputMeter;
    LevelMeter outputMeter;
};

}  // namespace quenchbox::app

#endif
