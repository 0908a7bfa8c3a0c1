// The application played for a long time under a jackd of its own (the dummy
// back-end at 48 kHz, 64 frames, real-time scheduling where the system
// allows it), with random MIDI from a client of the soak's: program changes
// and the controllers a settings file binds, several a second. Prints the
// dropouts the application counted, JACK's DSP load (the share of each
// period the graph took: the application, and the soak's small MIDI client)
// and the time from the application's start to its first period.
//
// Usage: quenchbox-rz-soak [--seconds N] [--oversample]   (default 600 s, "Oversample" off)

#include "AppProcesses.h"

#include <jack/midiport.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>

using namespace quenchbox::apptest;

namespace {

constexpr unsigned kSoakPeriod = 64;

// Sends one random message about every 50 ms from its process callback.
struct RandomMidi {
    jack_port_t* port = nullptr;
    std::minstd_rand random{2026};
    unsigned countdown = 0;
    std::atomic<long> sent{0};

    static int process(jack_nframes_t frames, void* self)
    {
        auto* midi = static_cast<RandomMidi*>(self);
        void* buffer = jack_port_get_buffer(midi->port, frames);
        jack_midi_clear_buffer(buffer);
        if (midi->countdown > frames) {
            midi->countdown -= frames;
            return 0;
        }
        midi->countdown = kRate / 20;
        const unsigned choice = midi->random() % 3;
        const jack_midi_data_t programChange[2] = {0xC0, static_cast<jack_midi_data_t>(midi->random() % 16)};
        const jack_midi_data_t control[3] = {0xB0, static_cast<jack_midi_data_t>(choice == 0 ? 64 : 74),
                                             static_cast<jack_midi_data_t>(midi->random() % 128)};
        if (choice == 2)
            jack_midi_event_write(buffer, 0, programChange, 2);
        else
            jack_midi_event_write(buffer, 0, control, 3);
        ++midi->sent;
        return 0;
    }
};

}  // namespace

int main(int argc, char** argv)
{
    long seconds = 600;
    bool oversample = false;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--seconds" && i + 1 < argc)
            seconds = std::strtol(argv[++i], nullptr, 10);
        else if (std::string(argv[i]) == "--oversample")
            oversample = true;
    }
    const std::string home = std::filesystem::temp_directory_path() / ("quenchbox-soak-" + std::to_string(getpid()));
    std::filesystem::create_directories(home + "/quenchbox-rz");
    setenv("XDG_CONFIG_HOME", home.c_str(), 1);
    setenv("XDG_DATA_HOME", home.c_str(), 1);
    if (FILE* settings = std::fopen((home + "/quenchbox-rz/app-settings").c_str(), "w")) {
        std::fputs("# Quenchbox RZ application settings\nmonitor=on\ncc64=Enable\ncc74=Drive\n", settings);
        std::fclose(settings);
    }

    const std::unique_ptr<JackServer> jackd = JackServer::realTime(kSoakPeriod);
    const JackServer& server = *jackd;
    if (!server.ready()) {
        std::fprintf(stderr, "quenchbox-rz-soak: jackd did not start\n");
        return 1;
    }
    const auto start = std::chrono::steady_clock::now();
    Child application({QUENCHBOX_APP_PATH, "--no-gui", "--server", server.name, "--set",
                       std::string("Oversample=") + (oversample ? "1" : "0")});
    application.line();  // the route
    application.line();  // the first period
    const double startMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    // The application says each program change: read on, or a full pipe
    // would stop its main loop.
    std::string last;
    std::thread reader([&] {
        for (std::string line = application.line(); !line.empty(); line = application.line())
            last = line;
    });

    RandomMidi midi;
    jack_client_t* client = openClient(server.name, "random-midi");
    if (client == nullptr)
        return 1;
    midi.port = jack_port_register(client, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    jack_set_process_callback(client, RandomMidi::process, &midi);
    jack_activate(client);
    jack_connect(client, "random-midi:out", "quenchbox-rz:midi_in");
    // The soak itself, not a synchronisation: JACK's load once a second.
    double loadSum = 0.0;
    double loadMost = 0.0;
    for (long second = 0; second < seconds; ++second) {
        std::this_thread::sleep_for(std::chrono::seconds(1));
        const double load = jack_cpu_load(client);
        loadSum += load;
        loadMost = std::max(loadMost, load);
    }
    jack_client_close(client);
    application.stop(SIGINT);
    reader.join();
    std::printf("%ld s at 48 kHz, %u frames, \"Oversample\" %s, %ld MIDI messages: the application %s", seconds,
                kSoakPeriod, oversample ? "on" : "off", midi.sent.load(), last.c_str());
    std::printf("JACK's DSP load: %.2f %% on average, %.2f %% at most (once a second)\n",
                seconds > 0 ? loadSum / seconds : 0.0, loadMost);
    std::printf("start to the first period: %.0f ms\n", startMs);
    std::filesystem::remove_all(home);
    return 0;
}
