// quenchbox-rz: the effect as an application, in a window with the panel
// or headless (--no-gui, for a pedalboard computer): on JACK when a server
// runs (PipeWire's included), else straight on an ALSA device. Closing the
// window, Ctrl-C or SIGTERM stops it cleanly: the audio first, then the
// settings are saved.

#include "app/AlsaAudio.h"
#include "app/AppController.h"
#include "app/AppEngine.h"
#include "app/AppOptions.h"
#include "app/AppSession.h"
#include "app/AppSettings.h"
#include "app/AudioKeeper.h"
#include "app/JackAudio.h"
#include "app/PresetFile.h"
#include "app/x11/AppWindow.h"
#include "QuenchboxVersion.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <poll.h>
#include <pthread.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {

using namespace quenchbox;

constexpr long kTickNanoseconds = 10 * 1000 * 1000;  // MIDI applied and the server watched every 10 ms

// SIGINT and SIGTERM wait for the main loop; blocked before JACK makes its
// threads, so that none of them takes the signal.
sigset_t stopSignals()
{
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    return signals;
}

void say(const std::string& line)
{
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

// Waits for a stop signal, applying MIDI and noting the first period; false
// when the audio went away first.
bool runUntilStopped(app::AppEngine& engine, app::AudioBackend& audio, const sigset_t& signals)
{
    bool firstReported = false;
    const timespec tick{0, kTickNanoseconds};
    while (sigtimedwait(&signals, nullptr, &tick) < 0) {
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

// Tries the audio again every half second until it opens (true) or a stop
// signal comes (false).
bool reconnect(app::AudioBackend& audio, const sigset_t& signals)
{
    const timespec pause{0, 500 * 1000 * 1000};
    std::string error;
    while (sigtimedwait(&signals, nullptr, &pause) < 0)
        if (audio.open(error))
            return true;
    return false;
}

// JACK when a server runs (or the one named), else ALSA's device straight.
std::unique_ptr<app::AudioBackend> openAudio(app::AppEngine& engine, const app::AppSettings& settings,
                                             const app::AppOptions& options, std::string& error)
{
    if (!options.forceAlsa) {
        app::JackAudio::Options server;
        server.server = options.serverName;
        server.connections = settings.jackConnections;
        auto jack = std::make_unique<app::JackAudio>(engine, server);
        if (jack->open(error))
            return jack;
        if (error != app::JackAudio::kNoServer || !options.serverName.empty())
            return nullptr;
    }
    const app::AlsaAudio::Options device{settings.device, static_cast<unsigned>(settings.sampleRate),
                                         static_cast<unsigned>(settings.bufferFrames)};
    auto alsa = std::make_unique<app::AlsaAudio>(engine, device);
    if (alsa->open(error))
        return alsa;
    return nullptr;
}

// Plays until a stop signal. Audio that goes away (a server stopping, a
// device unplugged) leaves the program waiting for it to come back; then it
// carries on where it was.
void play(app::AppEngine& engine, app::AudioBackend& audio, const sigset_t& signals)
{
    say(audio.route());
    while (!runUntilStopped(engine, audio, signals)) {
        audio.close();
        say("the " + audio.name() + " went away; waiting for it to come back");
        if (!reconnect(audio, signals))
            break;
        say(audio.route());
    }
    audio.close();
    say("stopped after " + std::to_string(audio.dropouts()) + " dropouts");
}

long long monotonicMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Plays in the window until it is closed or a stop signal comes.
void playInWindow(app::AudioKeeper& audio, app::AppWindow& window, app::AppController& controller, int signalFd)
{
    constexpr int kTickMs = 33;
    pollfd watched[2] = {{window.connectionFd(), POLLIN, 0}, {signalFd, POLLIN, 0}};
    while (!window.closeRequested() && (watched[1].revents & POLLIN) == 0) {
        poll(watched, 2, kTickMs);
        const long long now = monotonicMs();
        audio.tick(now, controller.takeAudioReopen());
        controller.tick(now, audio.state());
        window.update();
    }
}

// The window's run: false, with the reason said, when it cannot open. The
// audio starts first, so the guitar sounds while the panel is still being
// drawn, and stops before the window closes.
bool runWindow(app::AppEngine& engine, app::AppSettings& settings, const app::AppOptions& options,
               const sigset_t& signals)
{
    AEffEditor* panel = engine.effect().editor();
    if (panel == nullptr) {
        std::fprintf(stderr, "quenchbox-rz: the panel cannot be made\n");
        return false;
    }
    app::AudioKeeper audio([&](std::string& error) { return openAudio(engine, settings, options, error); }, say);
    audio.tick(monotonicMs(), false);
    app::AppController controller(engine, settings, app::presetFolder());
    controller.setDeviceLister([] {
        std::vector<std::string> names;
        for (const app::AlsaAudio::Device& device : app::AlsaAudio::deviceList())
            names.push_back(device.name);
        return names;
    });
    engine.effect().quenchboxEffect()->setHostMenus(&controller);
    app::AppWindow window(*panel, controller);
    std::string error;
    const bool opened = window.open(error);
    if (opened) {
        const int signalFd = signalfd(-1, &signals, SFD_CLOEXEC);
        playInWindow(audio, window, controller, signalFd);
        ::close(signalFd);
    } else {
        std::fprintf(stderr, "quenchbox-rz: %s\n", error.c_str());
    }
    audio.stop();
    window.close();
    engine.effect().quenchboxEffect()->setHostMenus(nullptr);
    return opened;
}

}  // namespace

int main(int argc, char** argv)
{
    app::AppOptions options;
    try {
        options = app::parseAppOptions(argc, argv);
    } catch (const std::invalid_argument& error) {
        std::fprintf(stderr, "quenchbox-rz: %s\n", error.what());
        return 2;
    }
    if (options.help || options.version) {
        std::fputs(options.help ? app::kAppUsage : "quenchbox-rz " QUENCHBOX_VERSION "\n", stdout);
        return 0;
    }
    if (options.listDevices) {
        for (const app::AlsaAudio::Device& device : app::AlsaAudio::deviceList())
            say(device.description.empty() ? device.name : device.name + ": " + device.description);
        return 0;
    }
    const sigset_t signals = stopSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    app::AppEngine engine;
    app::AppSettings settings = app::withCommandLine(app::readAppSettingsFile(app::appSettingsPath()), options);
    try {
        std::vector<std::string> skipped;
        app::applyStartState(engine, settings, options, skipped);
        for (const std::string& line : skipped)
            std::fprintf(stderr, "quenchbox-rz: %s\n", line.c_str());
    } catch (const std::invalid_argument& error) {
        std::fprintf(stderr, "quenchbox-rz: %s\n", error.what());
        return 2;
    }
    if (!options.noGui) {
        if (!runWindow(engine, settings, options, signals))
            return 1;
    } else {
        std::string error;
        const std::unique_ptr<app::AudioBackend> audio = openAudio(engine, settings, options, error);
        if (!audio) {
            std::fprintf(stderr, "quenchbox-rz: %s\n", error.c_str());
            return 1;
        }
        play(engine, *audio, signals);
    }
    app::writeAppSettingsFile(app::appSettingsPath(), app::stateToRemember(engine, settings));
    return 0;
}
