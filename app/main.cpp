// quenchbox-rz: the effect as an application. This build runs headless
// (--no-gui) on JACK: for a pedalboard computer, or any machine with a JACK
// server (PipeWire's included). Ctrl-C or SIGTERM stops it cleanly.

#include "app/AppEngine.h"
#include "app/AppOptions.h"
#include "app/AppSettings.h"
#include "app/JackAudio.h"
#include "app/PresetFile.h"
#include "effect/Parameters.h"
#include "QuenchboxVersion.h"

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

// The effect as the user left it last time, then as the command line says.
void setUp(app::AppEngine& engine, const app::AppSettings& settings, const app::AppOptions& options)
{
    formats::EffectAdapter& effect = engine.effect();
    effect.selectProgram(settings.program);
    if (settings.hasValues)
        for (int i = 0; i < effect::kParameterCount; ++i)
            effect.setParameter(i, settings.values[i]);
    if (options.program)
        effect.selectProgram(*options.program);
    if (!options.presetPath.empty()) {
        float values[effect::kParameterCount];
        for (int i = 0; i < effect::kParameterCount; ++i)
            values[i] = static_cast<float>(effect.parameter(i));
        const app::PresetFileResult loaded = app::loadPresetFile(options.presetPath, values);
        if (!loaded)
            throw std::invalid_argument(loaded.error);
        for (const app::SkippedLine& skipped : loaded.skipped)
            std::fprintf(stderr, "quenchbox-rz: %s, line %d: %s\n", options.presetPath.c_str(), skipped.line,
                         skipped.reason.c_str());
        for (int i = 0; i < effect::kParameterCount; ++i)
            effect.setParameter(i, values[i]);
    }
    for (const auto& [index, value] : options.parameterSettings)
        effect.setParameter(index, value);
    engine.setMidiMap(settings.midiMap);
    engine.setMonitor(options.monitor.value_or(settings.monitor));
    engine.setInput(options.input.value_or(settings.input));
}

// What the next start begins from: the monitor, the input, the program and
// every value as they are now.
void remember(app::AppEngine& engine, app::AppSettings settings, const app::AppOptions& options)
{
    settings.monitor = engine.monitoring();
    settings.input = options.input.value_or(settings.input);
    settings.program = engine.effect().program();
    settings.hasValues = true;
    for (int i = 0; i < effect::kParameterCount; ++i)
        settings.values[i] = static_cast<float>(engine.effect().parameter(i));
    app::writeAppSettingsFile(app::appSettingsPath(), settings);
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
    if (!options.noGui) {
        std::fprintf(stderr, "quenchbox-rz: this build has no window yet; run it with --no-gui\n");
        return 2;
    }
    const sigset_t signals = stopSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    app::AppEngine engine;
    const app::AppSettings settings = app::readAppSettingsFile(app::appSettingsPath());
    try {
        setUp(engine, settings, options);
    } catch (const std::invalid_argument& error) {
        std::fprintf(stderr, "quenchbox-rz: %s\n", error.what());
        return 2;
    }
    app::JackAudio::Options jack;
    jack.server = options.serverName;
    const int status = play(engine, jack, signals);
    if (status == 0)
        remember(engine, settings, options);
    return status;
}
