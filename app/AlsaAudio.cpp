#include "app/AlsaAudio.h"

#include <alsa/asoundlib.h>

#include <pthread.h>

#include <algorithm>

namespace quenchbox::app {

namespace {

constexpr int kRealtimePriority = 70;

std::string alsaError(const char* what, int code) { return std::string("ALSA: ") + what + ": " + snd_strerror(code); }

}  // namespace

std::vector<AlsaAudio::Device> AlsaAudio::deviceList()
{
    std::vector<Device> devices;
    void** hints = nullptr;
    if (snd_device_name_hint(-1, "pcm", &hints) != 0)
        return devices;
    for (void** hint = hints; *hint != nullptr; ++hint) {
        char* name = snd_device_name_get_hint(*hint, "NAME");
        char* description = snd_device_name_get_hint(*hint, "DESC");
        if (name != nullptr) {
            const std::string described = description != nullptr ? description : "";
            devices.push_back({name, described.substr(0, described.find('\n'))});
        }
        std::free(name);
        std::free(description);
    }
    snd_device_name_free_hint(hints);
    return devices;
}

// Interleaved 32-bit float at the rate asked for exactly, `channels` of
// them (capture takes one when the device has no second), periods of the
// size asked for or the nearest the device allows.
bool AlsaAudio::configure(snd_pcm_t* pcm, unsigned& channelCount, std::string& error)
{
    snd_pcm_hw_params_t* hw = nullptr;
    snd_pcm_hw_params_alloca(&hw);
    snd_pcm_hw_params_any(pcm, hw);
    int code = snd_pcm_hw_params_set_access(pcm, hw, SND_PCM_ACCESS_RW_INTERLEAVED);
    if (code == 0)
        code = snd_pcm_hw_params_set_format(pcm, hw, SND_PCM_FORMAT_FLOAT_LE);
    if (code == 0 && snd_pcm_hw_params_set_channels(pcm, hw, channelCount) != 0 && channelCount == 2 &&
        snd_pcm_stream(pcm) == SND_PCM_STREAM_CAPTURE)
        channelCount = 1;
    if (code == 0)
        code = snd_pcm_hw_params_set_channels(pcm, hw, channelCount);
    if (code == 0)
        code = snd_pcm_hw_params_set_rate(pcm, hw, options.rate, 0);
    snd_pcm_uframes_t frames = options.periodFrames;
    if (code == 0)
        code = snd_pcm_hw_params_set_period_size_near(pcm, hw, &frames, nullptr);
    snd_pcm_uframes_t buffer = frames * (kPrefillPeriods + 2);
    if (code == 0)
        code = snd_pcm_hw_params_set_buffer_size_near(pcm, hw, &buffer);
    if (code == 0)
        code = snd_pcm_hw_params(pcm, hw);
    if (code != 0) {
        error = alsaError("the device does not take 32-bit float at that rate and period", code);
        return false;
    }
    period = static_cast<unsigned>(frames);
    return true;
}

bool AlsaAudio::open(std::string& error)
{
    close();
    processed = false;
    failed = false;
    int code = snd_pcm_open(&playback, deviceName(), SND_PCM_STREAM_PLAYBACK, 0);
    if (code == 0)
        code = snd_pcm_open(&capture, deviceName(), SND_PCM_STREAM_CAPTURE, 0);
    if (code != 0) {
        error = alsaError(("cannot open '" + std::string(deviceName()) + "'").c_str(), code);
        close();
        return false;
    }
    outputChannels = 2;
    inputChannels = 2;
    if (!configure(playback, outputChannels, error) || !configure(capture, inputChannels, error)) {
        close();
        return false;
    }
    rate = options.rate;
    interleavedIn.assign(static_cast<std::size_t>(period) * inputChannels, 0.0f);
    interleavedOut.assign(static_cast<std::size_t>(period) * outputChannels, 0.0f);
    for (std::vector<float>& channel : channels)
        channel.assign(period, 0.0f);
    engine.start(rate);
    std::string midiError;
    midiOpen = midi.open(midiError);
    prefill();
    running = true;
    audioThread = std::thread([this] { run(); });
    return true;
}

void AlsaAudio::close()
{
    midi.close();
    midiOpen = false;
    running = false;
    if (audioThread.joinable())
        audioThread.join();
    for (snd_pcm_t** pcm : {&capture, &playback})
        if (*pcm != nullptr) {
            snd_pcm_close(*pcm);
            *pcm = nullptr;
        }
    engine.stop();
}

void AlsaAudio::prefill()
{
    std::fill(interleavedOut.begin(), interleavedOut.end(), 0.0f);
    for (unsigned i = 0; i < kPrefillPeriods; ++i)
        snd_pcm_writei(playback, interleavedOut.data(), period);
}

// The audio thread: as near real time as the system lets it, each period
// read, processed and written. A dropout is counted and recovered; a device
// that is gone ends the thread and says so.
void AlsaAudio::run()
{
    sched_param priority{};
    priority.sched_priority = kRealtimePriority;
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &priority);  // best effort: without the right, as it is
    snd_pcm_start(capture);
    while (running.load(std::memory_order_relaxed)) {
        if (!readPeriod())
            continue;
        for (unsigned i = 0; i < period; ++i)
            for (unsigned c = 0; c < inputChannels; ++c)
                channels[c][i] = interleavedIn[i * inputChannels + c];
        engine.process(channels[0].data(), inputChannels > 1 ? channels[1].data() : nullptr, channels[2].data(),
                       channels[3].data(), period);
        for (unsigned i = 0; i < period; ++i) {
            interleavedOut[2 * i] = channels[2][i];
            interleavedOut[2 * i + 1] = channels[3][i];
        }
        writePeriod();
        processed.store(true, std::memory_order_relaxed);
    }
}

bool AlsaAudio::readPeriod()
{
    const snd_pcm_sframes_t read = snd_pcm_readi(capture, interleavedIn.data(), period);
    if (read == static_cast<snd_pcm_sframes_t>(period))
        return true;
    if (read == -ENODEV || snd_pcm_recover(capture, static_cast<int>(read), 1) < 0) {
        failed = true;
        running = false;
        return false;
    }
    ++xruns;
    snd_pcm_start(capture);
    return false;
}

bool AlsaAudio::writePeriod()
{
    const snd_pcm_sframes_t written = snd_pcm_writei(playback, interleavedOut.data(), period);
    if (written == static_cast<snd_pcm_sframes_t>(period))
        return true;
    if (written == -ENODEV || snd_pcm_recover(playback, static_cast<int>(written), 1) < 0) {
        failed = true;
        running = false;
        return false;
    }
    ++xruns;
    prefill();
    return false;
}

std::string AlsaAudio::route() const
{
    if (playback == nullptr)
        return "ALSA, not open";
    const std::string route = engine.route(std::string("ALSA ") + deviceName(), rate, period, period * (1 + kPrefillPeriods));
    return midiOpen ? route : route + ", no MIDI";
}

}  // namespace quenchbox::app
