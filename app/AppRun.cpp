#include "app/AppRun.h"

#include "app/AppController.h"
#include "app/AppSession.h"
#include "app/AudioKeeper.h"
#include "app/PresetFile.h"
#include "QuenchboxVersion.h"

#include <chrono>
#include <cstdio>
#include <stdexcept>

namespace quenchbox::app {

namespace {

constexpr int kTickMilliseconds = 10;        // headless: MIDI applied and the audio watched every 10 ms
constexpr int kWindowTickMilliseconds = 33;  // the window's meters and the panel's refresh

void say(const std::string& line)
{
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

long long monotonicMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Plays in the window until it is closed or the stop request comes.
void playInWindow(AudioKeeper& audio, AppWindowLayer& window, AppController& controller, AppPlatform& platform)
{
    while (!window.closeRequested() && !platform.stopRequested(0)) {
        window.waitForEvents(kWindowTickMilliseconds);
        const long long now = monotonicMs();
        audio.tick(now, controller.takeAudioReopen());
        controller.tick(now, audio.state());
        window.update();
    }
}

// The window's run: false, with the reason said, when it cannot open. The
// audio starts first, so that the guitar sounds while the panel is still
// being drawn, and stops before the window closes.
bool runWindow(const char* programName, AppEngine& engine, AppSettings& settings, const AppOptions& options,
               AppPlatform& platform)
{
    AEffEditor* panel = engine.effect().editor();
    if (panel == nullptr) {
        std::fprintf(stderr, "%s: the panel cannot be made\n", programName);
        return false;
    }
    AudioKeeper audio([&](std::string& error) { return platform.openAudio(engine, settings, options, error); }, say);
    audio.tick(monotonicMs(), false);
    AppController controller(engine, settings, presetFolder());
    controller.setDeviceLister([&] { return platform.deviceNames(); });
    engine.effect().quenchboxEffect()->setHostMenus(&controller);
    const std::unique_ptr<AppWindowLayer> window = platform.makeWindow(*panel, controller);
    std::string error;
    const bool opened = window->open(error);
    if (opened)
        playInWindow(audio, *window, controller, platform);
    else
        std::fprintf(stderr, "%s: %s\n", programName, error.c_str());
    audio.stop();
    window->close();
    engine.effect().quenchboxEffect()->setHostMenus(nullptr);
    return opened;
}

// Headless: plays until the stop request, saying which program a MIDI
// program change selected. Audio that goes away (a server stopping, a device
// unplugged) is waited for; audio that cannot open at the start fails the
// run, with the reason said.
bool runHeadless(const char* programName, AppEngine& engine, const AppSettings& settings, const AppOptions& options,
                 AppPlatform& platform)
{
    AudioKeeper audio([&](std::string& error) { return platform.openAudio(engine, settings, options, error); }, say);
    audio.tick(monotonicMs(), false);
    if (!audio.state().lostMessage.empty()) {
        std::fprintf(stderr, "%s: %s\n", programName, audio.state().lostDetail.c_str());
        return false;
    }
    while (!platform.stopRequested(kTickMilliseconds)) {
        const int program = engine.effect().program();
        if (engine.applyMidi() > 0 && engine.effect().program() != program)
            say("program " + std::to_string(engine.effect().program()) + ": " + engine.effect().programName());
        audio.tick(monotonicMs(), false);
    }
    audio.stop();
    return true;
}

}  // namespace

int runApplication(const char* programName, int argc, const char* const* argv, AppPlatform& platform)
{
    AppOptions options;
    try {
        options = parseAppOptions(argc, argv);
    } catch (const std::invalid_argument& error) {
        std::fprintf(stderr, "%s: %s\n", programName, error.what());
        return 2;
    }
    if (options.help || options.version) {
        if (options.help)
            std::fputs(kAppUsage, stdout);
        else
            say(std::string(programName) + " " QUENCHBOX_VERSION);
        return 0;
    }
    if (options.listDevices) {
        for (const std::string& device : platform.deviceList())
            say(device);
        return 0;
    }
    platform.prepare();

    AppEngine engine;
    AppSettings settings = withCommandLine(readAppSettingsFile(appSettingsPath()), options);
    try {
        std::vector<std::string> skipped;
        applyStartState(engine, settings, options, skipped);
        for (const std::string& line : skipped)
            std::fprintf(stderr, "%s: %s\n", programName, line.c_str());
    } catch (const std::invalid_argument& error) {
        std::fprintf(stderr, "%s: %s\n", programName, error.what());
        return 2;
    }
    const bool played = options.noGui ? runHeadless(programName, engine, settings, options, platform)
                                      : runWindow(programName, engine, settings, options, platform);
    platform.finished();
    if (!played)
        return 1;
    writeAppSettingsFile(appSettingsPath(), stateToRemember(engine, settings));
    return 0;
}

}  // namespace quenchbox::app
