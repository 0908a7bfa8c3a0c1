// The application under a real JACK server that the test starts (jackd with
// its dummy back-end): a client of the test plays a guitar phrase into
// in_1, another records out_1 and out_2, and the recording equals
// quenchbox-render's output for the same input and period, bit for bit. The
// same through ALSA, on a device the test defines for the application's
// home: its capture read from a file, its playback written to one.

#include "AppProcesses.h"
#include "ApplicationHome.h"
#include "app/AppSettings.h"
#include "host/AudioFile.h"
#include "host/DemoPhrase.h"

#include <gtest/gtest.h>

#include <jack/jack.h>
#include <jack/midiport.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace quenchbox;
using namespace quenchbox::apptest;

constexpr double kPhraseSeconds = 2.0;

// Plays a signal into a port once armed, from the first period after.
struct Player {
    const std::vector<float>* signal = nullptr;
    jack_client_t* client = nullptr;
    jack_port_t* port = nullptr;
    std::atomic<bool> armed{false};
    std::atomic<long> played{-1};
    std::atomic<std::uint32_t> startFrame{0};

    static int process(jack_nframes_t frames, void* self)
    {
        auto* player = static_cast<Player*>(self);
        auto* out = static_cast<float*>(jack_port_get_buffer(player->port, frames));
        std::fill(out, out + frames, 0.0f);
        if (!player->armed.load())
            return 0;
        long position = player->played.load();
        if (position < 0) {
            player->startFrame.store(jack_last_frame_time(player->client));
            position = 0;
        }
        const long total = static_cast<long>(player->signal->size());
        for (jack_nframes_t i = 0; i < frames && position + i < total; ++i)
            out[i] = (*player->signal)[static_cast<std::size_t>(position + i)];
        player->played.store(position + frames);
        return 0;
    }
};

// Records two ports from its first period on.
struct Recorder {
    jack_client_t* client = nullptr;
    jack_port_t* ports[2] = {};
    std::vector<float> channels[2];
    std::atomic<long> recorded{0};
    std::atomic<std::uint32_t> startFrame{0};

    static int process(jack_nframes_t frames, void* self)
    {
        auto* recorder = static_cast<Recorder*>(self);
        const long at = recorder->recorded.load();
        if (at == 0)
            recorder->startFrame.store(jack_last_frame_time(recorder->client));
        if (at + static_cast<long>(frames) > static_cast<long>(recorder->channels[0].size()))
            return 0;
        for (int c = 0; c < 2; ++c) {
            const auto* in = static_cast<const float*>(jack_port_get_buffer(recorder->ports[c], frames));
            std::copy(in, in + frames, recorder->channels[c].begin() + at);
        }
        recorder->recorded.store(at + frames);
        return 0;
    }
};

std::vector<float> guitarPhrase()
{
    const host::AudioData phrase = host::demoPhrase(kRate);
    const auto frames = static_cast<std::size_t>(kPhraseSeconds * kRate);
    std::vector<float> signal(frames);
    for (std::size_t i = 0; i < frames; ++i)
        signal[i] = static_cast<float>(phrase.channels[0][i]);
    return signal;
}

// quenchbox-render's output for `silentPeriods` periods of silence and then
// `signal`, in periods of the server's size.
std::vector<double> rendered(const std::vector<float>& signal, long silentFrames)
{
    host::AudioData input;
    input.sampleRate = kRate;
    input.channels.assign(1, std::vector<double>(static_cast<std::size_t>(silentFrames), 0.0));
    input.channels[0].insert(input.channels[0].end(), signal.begin(), signal.end());
    const std::string in = scratchPath("jack-input") + ".wav";
    const std::string out = scratchPath("jack-rendered") + ".wav";
    host::writeFloatWav(in, input);
    Child render({QUENCHBOX_RENDER_PATH, "--block", std::to_string(kPeriod), "-o", out, in}, false);
    EXPECT_EQ(render.stop(0), 0);  // signal 0: only waits for it
    const host::AudioData output = host::readAudioFile(out);
    std::remove(in.c_str());
    std::remove(out.c_str());
    return output.channels.at(0);
}

class ApplicationAudio : public ApplicationHome {};

TEST_F(ApplicationAudio, JackPlaysBitForBitAsTheRendererDoes)
{
    JackServer server;
    ASSERT_TRUE(server.ready()) << "jackd did not answer";
    Child application({QUENCHBOX_APP_PATH, "--no-gui", "--server", server.name, "--monitor", "on"});
    const std::string route = application.line();
    EXPECT_EQ(route.rfind("JACK, 48 kHz, 128 frames, in 1 to out 1+2, ", 0), 0u) << route;
    unsigned firstFrame = 0;
    ASSERT_EQ(std::sscanf(application.line().c_str(), "first period at JACK frame %u", &firstFrame), 1);

    const std::vector<float> signal = guitarPhrase();
    Player player;
    player.signal = &signal;
    Recorder recorder;
    for (std::vector<float>& channel : recorder.channels)
        channel.assign(signal.size() + 20 * kRate, 0.0f);
    player.client = openClient(server.name, "player");
    recorder.client = openClient(server.name, "recorder");
    ASSERT_TRUE(player.client != nullptr && recorder.client != nullptr);
    player.port = jack_port_register(player.client, "out", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
    recorder.ports[0] = jack_port_register(recorder.client, "rec_1", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    recorder.ports[1] = jack_port_register(recorder.client, "rec_2", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    jack_set_process_callback(player.client, Player::process, &player);
    jack_set_process_callback(recorder.client, Recorder::process, &recorder);
    ASSERT_EQ(jack_activate(player.client), 0);
    ASSERT_EQ(jack_activate(recorder.client), 0);
    ASSERT_EQ(jack_connect(player.client, "player:out", "quenchbox-rz:in_1"), 0);
    ASSERT_EQ(jack_connect(recorder.client, "quenchbox-rz:out_1", "recorder:rec_1"), 0);
    ASSERT_EQ(jack_connect(recorder.client, "quenchbox-rz:out_2", "recorder:rec_2"), 0);
    // The new graph is in force a few periods on.
    const long connectedAt = recorder.recorded.load();
    ASSERT_TRUE(waitFor([&] { return recorder.recorded.load() > connectedAt + 8 * kPeriod; }));
    player.armed.store(true);
    ASSERT_TRUE(waitFor([&] { return player.played.load() >= static_cast<long>(signal.size()); }));
    const long playedFrom = static_cast<long>(player.startFrame.load() - recorder.startFrame.load());
    ASSERT_TRUE(waitFor([&] { return recorder.recorded.load() >= playedFrom + static_cast<long>(signal.size()); }));
    jack_client_close(player.client);
    jack_client_close(recorder.client);
    EXPECT_EQ(application.stop(SIGINT), 0) << "Ctrl-C stops it cleanly";

    // The application heard silence from its first period up to the phrase.
    const long silence = static_cast<long>(player.startFrame.load() - firstFrame);
    ASSERT_EQ(silence % kPeriod, 0);
    const std::vector<double> reference = rendered(signal, silence);
    long differing = 0;
    for (std::size_t i = 0; i < signal.size(); ++i) {
        const float expected = static_cast<float>(reference.at(static_cast<std::size_t>(silence) + i));
        const std::size_t at = static_cast<std::size_t>(playedFrom) + i;
        differing += recorder.channels[0][at] != expected || recorder.channels[1][at] != expected;
    }
    EXPECT_EQ(differing, 0) << "of " << signal.size() << " frames, after " << silence << " silent frames";
}

// A JACK MIDI client sends program change 4 and then controller 74, which
// the settings bind to "Drive": the application selects the fifth factory
// program, says so, and Drive follows the controller. The settings also name
// the port out_2 connects to, a port of the same client.
TEST_F(ApplicationAudio, MidiMovesTheProgramAndTheBoundControlAndTheSettingsNameThePorts)
{
    JackServer server;
    ASSERT_TRUE(server.ready()) << "jackd did not answer";

    // Sends the messages every period once connected: the application says
    // so on the first, and a repeated change of program changes nothing.
    struct Sender {
        jack_port_t* port = nullptr;
        std::atomic<bool> connected{false};
        static int process(jack_nframes_t frames, void* self)
        {
            auto* sender = static_cast<Sender*>(self);
            void* buffer = jack_port_get_buffer(sender->port, frames);
            jack_midi_clear_buffer(buffer);
            const jack_midi_data_t programChange[2] = {0xC0, 4};
            const jack_midi_data_t controller[3] = {0xB0, 74, 127};
            if (sender->connected.load()) {
                jack_midi_event_write(buffer, 0, programChange, 2);
                jack_midi_event_write(buffer, 0, controller, 3);
            }
            return 0;
        }
    } sender;
    jack_client_t* client = openClient(server.name, "midi-sender");
    ASSERT_NE(client, nullptr);
    sender.port = jack_port_register(client, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    jack_port_t* listener = jack_port_register(client, "listen", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    jack_set_process_callback(client, Sender::process, &sender);
    ASSERT_EQ(jack_activate(client), 0);

    app::AppSettings settings;
    settings.midiMap[74] = effect::kDrive;
    settings.jackConnections[3] = "midi-sender:listen";
    ASSERT_TRUE(app::writeAppSettingsFile(app::appSettingsPath(), settings));
    Child application({QUENCHBOX_APP_PATH, "--no-gui", "--server", server.name});
    application.line();  // the route
    application.line();  // the first period
    EXPECT_TRUE(jack_port_connected_to(listener, "quenchbox-rz:out_2"));

    ASSERT_EQ(jack_connect(client, "midi-sender:out", "quenchbox-rz:midi_in"), 0);
    sender.connected.store(true);
    EXPECT_EQ(application.line().rfind("program 4: ", 0), 0u);
    jack_client_close(client);
    EXPECT_EQ(application.stop(SIGTERM), 0) << "SIGTERM stops it cleanly";
    const app::AppSettings remembered = app::readAppSettingsFile(app::appSettingsPath());
    EXPECT_EQ(remembered.program, 4);
    EXPECT_EQ(remembered.values[effect::kDrive], 1.0f);
}

// The server stops under the playing application and starts again: the
// application waits, says so, and plays on through the new server.
TEST_F(ApplicationAudio, SurvivesTheServerStoppingAndReconnects)
{
    auto server = std::make_unique<JackServer>();
    ASSERT_TRUE(server->ready());
    const std::string name = server->name;
    Child application({QUENCHBOX_APP_PATH, "--no-gui", "--server", name});
    EXPECT_EQ(application.line().rfind("JACK, ", 0), 0u);
    application.line();  // the first period
    server.reset();
    EXPECT_EQ(application.line(), "the JACK server went away; waiting for it to come back\n");
    server = std::make_unique<JackServer>();
    ASSERT_TRUE(server->ready());
    EXPECT_EQ(application.line().rfind("JACK, 48 kHz, 128 frames", 0), 0u);
    EXPECT_EQ(application.line().rfind("first period at JACK frame ", 0), 0u);
    EXPECT_EQ(application.stop(SIGINT), 0);
}

// jack_iodelay looped through the application, with the effect switched
// off so that the dry signal goes through: the loop's one period and
// nothing more, or the 8 frames of "Oversample" more.
TEST_F(ApplicationAudio, JackIodelayMeasuresItsAddedLatency)
{
    for (const int oversample : {0, 1}) {
        auto server = std::make_unique<JackServer>();
        ASSERT_TRUE(server->ready());
        setenv("JACK_DEFAULT_SERVER", server->name.c_str(), 1);
        Child application({QUENCHBOX_APP_PATH, "--no-gui", "--server", server->name, "--monitor", "on", "--set",
                           "Enable=0", "--set", "Oversample=" + std::to_string(oversample)});
        application.line();  // the route
        application.line();  // the first period
        Child iodelay({"/usr/bin/jack_iodelay"});
        jack_client_t* client = openClient(server->name, "patchbay");
        ASSERT_NE(client, nullptr);
        ASSERT_TRUE(waitFor([&] { return jack_port_by_name(client, "jack_delay:in") != nullptr; }));
        ASSERT_EQ(jack_connect(client, "jack_delay:out", "quenchbox-rz:in_1"), 0);
        ASSERT_EQ(jack_connect(client, "quenchbox-rz:out_1", "jack_delay:in"), 0);
        // Three measurements in a row that agree: a loaded machine's late
        // period upsets the one it falls in, never the loop itself.
        double frames = 0.0;
        std::string measurements;
        for (int agreeing = 0; agreeing < 3;) {
            const std::string piece = iodelay.piece();
            ASSERT_FALSE(piece.empty()) << "jack_iodelay ended after" << measurements;
            double measured = 0.0;
            if (piece.find("total roundtrip latency") == std::string::npos || std::sscanf(piece.c_str(), "%lf", &measured) != 1)
                continue;
            agreeing = std::fabs(measured - frames) < 0.01 ? agreeing + 1 : 1;
            frames = measured;
            measurements += " " + std::to_string(measured);
        }
        jack_client_close(client);
        unsetenv("JACK_DEFAULT_SERVER");
        std::printf("jack_iodelay through the application, \"Oversample\" %d: %.3f frames, %.3f added to the loop's "
                    "period\n", oversample, frames, frames - kPeriod);
        EXPECT_NEAR(frames - kPeriod, 8.0 * oversample, 0.5);
        // The server goes first: jack_iodelay, stopped under it, would hold
        // its shutdown up until a time-out.
        server.reset();
        EXPECT_EQ(application.line(), "the JACK server went away; waiting for it to come back\n");
        EXPECT_EQ(application.stop(SIGINT), 0);
    }
}

TEST_F(ApplicationAudio, WithoutAServerSaysSoInOneLineAndStops)
{
    Child application({QUENCHBOX_APP_PATH, "--no-gui", "--server", "quenchbox-nobody-" + std::to_string(getpid())});
    EXPECT_EQ(application.stop(0), 1);
}

// A device of ALSA's file plug-in over its null one: capture reads `input`,
// playback writes `output`, both raw interleaved stereo 32-bit float.
std::string fileDevice(const std::string& input, const std::string& output)
{
    return "pcm.!default {\n  type asym\n"
           "  playback.pcm { type file slave.pcm \"null\" file \"" + output + "\" format \"raw\" }\n"
           "  capture.pcm { type file slave.pcm \"null\" file \"/dev/null\" infile \"" + input + "\" format \"raw\" }\n"
           "}\n";
}

void writeText(const std::string& path, const std::string& text)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
}

long fileBytes(const std::string& path)
{
    std::error_code failed;
    const auto size = std::filesystem::file_size(path, failed);
    return failed ? 0 : static_cast<long>(size);
}

TEST_F(ApplicationAudio, AlsaPlaysBitForBitAsTheRendererDoes)
{
    const std::vector<float> signal = guitarPhrase();
    std::vector<float> interleaved;
    for (float sample : signal)
        interleaved.insert(interleaved.end(), {sample, sample});
    const std::string input = home + "/in.raw";
    const std::string output = home + "/out.raw";
    writeText(input, std::string(reinterpret_cast<const char*>(interleaved.data()), interleaved.size() * sizeof(float)));
    writeText(home + "/.asoundrc", fileDevice(input, output));
    setenv("HOME", home.c_str(), 1);

    Child application({QUENCHBOX_APP_PATH, "--no-gui", "--alsa", "--monitor", "on", "--rate", std::to_string(kRate),
                       "--buffer", std::to_string(kPeriod)});
    EXPECT_EQ(application.line().rfind("ALSA default, 48 kHz, 128 frames, ", 0), 0u);
    const long prefill = 2 * kPeriod;  // silence played ahead of the first period
    const long wanted = (prefill + static_cast<long>(signal.size())) * 2 * static_cast<long>(sizeof(float));
    ASSERT_TRUE(waitFor([&] { return fileBytes(output) >= wanted; }));
    EXPECT_EQ(application.stop(SIGINT), 0);

    std::vector<float> played(static_cast<std::size_t>(wanted) / sizeof(float));
    FILE* file = std::fopen(output.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(std::fread(played.data(), sizeof(float), played.size(), file), played.size());
    std::fclose(file);
    const std::vector<double> reference = rendered(signal, 0);
    long differing = 0;
    for (std::size_t i = 0; i < signal.size(); ++i) {
        const float expected = static_cast<float>(reference[i]);
        const std::size_t at = 2 * (static_cast<std::size_t>(prefill) + i);
        differing += played[at] != expected || played[at + 1] != expected;
    }
    EXPECT_EQ(differing, 0) << "of " << signal.size() << " frames";
}

}  // namespace
