#include "host/AudioFile.h"

#include <sndfile.h>

#include <cstdio>
#include <memory>
#include <stdexcept>

namespace quenchbox::host {

namespace {

struct SndfileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};
using SndfileHandle = std::unique_ptr<SNDFILE, SndfileCloser>;

std::runtime_error fileError(const std::string& what, const std::string& path, SNDFILE* file)
{
    return std::runtime_error(what + " " + path + ": " + sf_strerror(file));
}

}  // namespace

AudioData readAudioFile(const std::string& path)
{
    SF_INFO info{};
    SndfileHandle file(sf_open(path.c_str(), SFM_READ, &info));
    if (!file)
        throw fileError("cannot read", path, nullptr);
    if (info.channels < 1 || info.channels > 2)
        throw std::runtime_error(path + " has " + std::to_string(info.channels)
                                 + " channels; only mono and stereo files can be rendered");
    if (info.samplerate <= 0)
        throw std::runtime_error(path + " has no valid sample rate");

    std::vector<double> interleaved(static_cast<std::size_t>(info.frames) * info.channels);
    const sf_count_t read = sf_readf_double(file.get(), interleaved.data(), info.frames);
    if (read != info.frames)
        throw fileError("cannot read all samples of", path, file.get());

    AudioData audio;
    audio.sampleRate = info.samplerate;
    audio.channels.assign(info.channels, std::vector<double>(static_cast<std::size_t>(info.frames)));
    for (sf_count_t n = 0; n < info.frames; ++n)
        for (int c = 0; c < info.channels; ++c)
            audio.channels[c][n] = interleaved[n * info.channels + c];
    return audio;
}

void writeFloatWav(const std::string& path, const AudioData& audio)
{
    const int channelCount = static_cast<int>(audio.channels.size());
    SF_INFO info{};
    info.samplerate = static_cast<int>(audio.sampleRate + 0.5);
    info.channels = channelCount;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;

    const std::string partial = path + ".partial";
    {
        SndfileHandle file(sf_open(partial.c_str(), SFM_WRITE, &info));
        if (!file)
            throw fileError("cannot write", path, nullptr);
        std::vector<double> interleaved(static_cast<std::size_t>(audio.frames()) * channelCount);
        for (long n = 0; n < audio.frames(); ++n)
            for (int c = 0; c < channelCount; ++c)
                interleaved[n * channelCount + c] = audio.channels[c][n];
        if (sf_writef_double(file.get(), interleaved.data(), audio.frames()) != audio.frames()) {
            const std::runtime_error error = fileError("cannot write", path, file.get());
            file.reset();
            std::remove(partial.c_str());
            throw error;
        }
    }
    if (std::rename(partial.c_str(), path.c_str()) != 0) {
        std::remove(partial.c_str());
        throw std::runtime_error("cannot write " + path);
    }
}

}  // namespace quenchbox::host
