#include "app/AppRun.h"

#include "app/AppSession.h"
#include "QuenchboxVersion.h"

#include <cstdio>
#include <stdexcept>

namespace quenchbox::app {

namespace {

constexpr int kTickMilliseconds = 10;        // MIDI applied and the audio watched every 10 ms
constexpr int kReconnectMilliseconds = 500;  // how often audio that went away is tried again

void say(const std::string& line)
{
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

// Waits for the stop request, applying MIDI and noting the first period;
// false when the audio went away first.
bool runUntilStopped(AppEngine& engine, AudioBackend& audio, AppPlatform& platform)
{
    bool firstReported = false;
    while (!platform.stopRequested(kTickMilliseconds)) {
        const int program = engine.effect().program();
        if (engine.applyMidi() > 0 && engine.effect().program() != program)
            say("program " + std::to_string(engine.effect().program()) + ": " + engine.effect().programName());
        audio.followLatency();
        if (!firstReported && audio.playing()) {
            say(audio.firstPeriodLine());
            firstReported = true;
        }
        if (audio.lost())
            return false;
    }
    return true;
}

// Tries the audio again until it opens (true) or the stop request comes
// (false).
bool reconnect(AudioBackend& audio, AppPlatform& platform)
{
    std::string error;
    while (!platform.stopRequested(kReconnectMilliseconds))
        if (audio.open(error))
            return true;
    return false;
}

// Plays until the stop request. Audio that goes away (a server stopping, a
// device unplugged) leaves the program waiting for it to come back; then it
// carries on where it was.
void play(AppEngine& engine, AudioBackend& audio, AppPlatform& platform)
{
    say(audio.route());
    while (!runUntilStopped(engine, audio, platform)) {
        audio.close();
        say("the " + audio.name() + " went away; waiting for it to come back");
        if (!reconnect(audio, platform))
            break;
        say(audio.route());
    }
    audio.close();
    say("stopped after " + std::to_string(audio.dropouts()) + " dropouts");
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
    if (!options.noGui) {
        std::fprintf(stderr, "%s: this build has no window yet; run it with --no-gui\n", programName);
        return 2;
    }
    platform.prepare();

    AppEngine engine;
    const AppSettings settings = readAppSettingsFile(appSettingsPath());
    try {
        std::vector<std::string> skipped;
        applyStartState(engine, settings, options, skipped);
        for (const std::string& line : skipped)
            std::fprintf(stderr, "%s: %s\n", programName, line.c_str());
    } catch (const std::invalid_argument& error) {
        std::fprintf(stderr, "%s: %s\n", programName, error.what());
        return 2;
    }
    std::string error;
    const std::unique_ptr<AudioBackend> audio = platform.openAudio(engine, settings, options, error);
    if (!audio) {
        std::fprintf(stderr, "%s: %s\n", programName, error.c_str());
        return 1;
    }
    play(engine, *audio, platform);
    platform.finished();
    writeAppSettingsFile(appSettingsPath(), stateToRemember(engine, settings, options));
    return 0;
}

}  // namespace quenchbox::app
