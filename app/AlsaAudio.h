#ifndef QUENCHBOX_APP_ALSAAUDIO_H
#define QUENCHBOX_APP_ALSAAUDIO_H

#include "app/AlsaSequencer.h"
#include "app/AppEngine.h"
#include "app/AudioBackend.h"

#include <atomic>
#include <string>
#include <thread>
#include <vector>

struct _snd_pcm;

namespace quenchbox::app {

// The application straight on an ALSA device when no JACK server runs: the
// device, rate and period the settings or the command line name, its first
// one or two inputs and two outputs, run by an audio thread of its own that
// reads a period, processes it and writes it. Playback starts two periods
// ahead of capture (silence), so a late period has a period to spare. MIDI
// comes through the ALSA sequencer where the system has one.
class AlsaAudio final : public AudioBackend {
public:
    struct Options {
        std::string device;  // empty: ALSA's "default"
        unsigned rate = 48000;
        unsigned periodFrames = 256;
    };
    static constexpr unsigned kPrefillPeriods = 2;

    AlsaAudio(AppEngine& engine, const Options& options) : engine(engine), options(options), midi(engine) {}
    ~AlsaAudio() override { close(); }
    AlsaAudio(const AlsaAudio&) = delete;
    AlsaAudio& operator=(const AlsaAudio&) = delete;

    bool open(std::string& error) override;
    void close() override;
    std::string route() const override;
    std::string name() const override { return "ALSA device"; }
    bool playing() const override { return processed.load(); }
    bool lost() const override { return failed.load(); }
    int dropouts() const override { return xruns.load(); }

    // The PCM devices ALSA names, with the first line of their descriptions.
    struct Device {
        std::string name;
        std::string description;
    };
    static std::vector<Device> deviceList();

private:
    const char* deviceName() const { return options.device.empty() ? "default" : options.device.c_str(); }
    bool configure(_snd_pcm* pcm, unsigned& channels, std::string& error);
    void run();
    bool readPeriod();
    bool writePeriod();
    void prefill();

    AppEngine& engine;
    const Options options;
    _snd_pcm* capture = nullptr;
    _snd_pcm* playback = nullptr;
    unsigned inputChannels = 0;
    unsigned outputChannels = 0;
    unsigned rate = 0;
    unsigned period = 0;
    std::vector<float> interleavedIn;
    std::vector<float> interleavedOut;
    std::vector<float> channels[4];  // two inputs, two outputs
    std::thread audioThread;
    std::atomic<bool> running{false};
    std::atomic<bool> processed{false};
    std::atomic<bool> failed{false};
    std::atomic<int> xruns{0};
    AlsaSequencer midi;
    bool midiOpen = false;
};

}  // namespace quenchbox::app

#endif
