// quenchbox-rz: the effect as an application. This build runs headless
// (--no-gui) on JACK: for a pedalboard computer, or any machine with a JACK
// server (PipeWire's included). Ctrl-C or SIGTERM stops it cleanly.

#include "app/AppEngine.h"
#include "app/JackAudio.h"

#include <jack/jack.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>

#include <pthread.h>
#include <stdexcept>
#include <string>

namespace {

using namespace quenchbox;

constexpr long kTickNanoseconds = 10 * 1000 * 1000;  // MIDI applied and the server watched every 10 ms

struct Options {
    std::string server;
    bool monitor = false;
    bool headless = false;
};

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
// when the server went away first.
bool runUntilStopped(app::AppEngine& engine, app::JackAudio& audio, const sigset_t& signals)
{
    bool firstReported = false;
    const timespec tick{0, kTickNanoseconds};
    while (sigtimedwait(&signals, nullptr, &tick) < 0) {
        const int program = engine.effect().program();
        if (engine.applyMidi() > 0 && engine.effect().program() != program)
            say("program " + std::to_string(engine.effect().program()) + ": " + engine.effect().programName());
        audio.followLatency();
        if (!firstReported && audio.playing()) {
            say("first period at JACK frame " + std::to_string(audio.firstFrame()));
            firstReported = true;
        }
        if (audio.serverGone())
            return false;
    }
    return true;
}

// Tries the server again every half second until it answers (true) or a
// stop signal comes (false).
bool reconnect(app::JackAudio& audio, const app::JackAudio::Options& jack, const sigset_t& signals)
{
    const timespec pause{0, 500 * 1000 * 1000};
    std::string error;
    while (sigtimedwait(&signals, nullptr, &pause) < 0)
        if (audio.open(jack, error))
            return true;
    return false;
}

// Plays until a stop signal. A server that goes away leaves the program
// waiting for one to answer again; then it carries on where it was.
int play(app::AppEngine& engine, const app::JackAudio::Options& jack, const sigset_t& signals)
{
    app::JackAudio audio(engine);
    std::string error;
    if (!audio.open(jack, error)) {
        std::fprintf(stderr, "quenchbox-rz: %s\n", error.c_str());
        return 1;
    }
    // Each try while the server is away would print libjack's complaints.
    jack_set_error_function([](const char*) {});
    say(audio.route());
    while (!runUntilStopped(engine, audio, signals)) {
        audio.close();
        say("the JACK server went away; waiting for it to come back");
        if (!reconnect(audio, jack, signals))
            break;
        say(audio.route());
    }
    audio.close();
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--no-gui") {
            options.headless = true;
        } else if (arg == "--server" && hasValue) {
            options.server = argv[++i];
        } else if (arg == "--monitor" && hasValue && (std::strcmp(argv[i + 1], "on") == 0 || std::strcmp(argv[i + 1], "off") == 0)) {
            options.monitor = std::strcmp(argv[++i], "on") == 0;
        } else {
            std::fprintf(stderr, "quenchbox-rz: unknown or incomplete option '%s'\n", arg.c_str());
            return 2;
        }
    }
    if (!options.headless) {
        std::fprintf(stderr, "quenchbox-rz: this build runs with --no-gui only\n");
        return 2;
    }
    const sigset_t signals = stopSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    app::AppEngine engine;
    engine.setMonitor(options.monitor);
    app::JackAudio::Options jack;
    jack.server = options.server;
    return play(engine, jack, signals);
}
