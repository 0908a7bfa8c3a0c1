#ifndef QUENCHBOX_HOST_AUDIOFILE_H
#define QUENCHBOX_HOST_AUDIOFILE_H

#include <string>
#include <vector>

namespace quenchbox::host {

// Audio held per channel in double precision, whatever the file stored.
struct AudioData {
    double sampleRate = 44100.0;
    std::vector<std::vector<double>> channels;

    long frames() const { return channels.empty() ? 0 : static_cast<long>(channels[0].size()); }
};

// Reads any file libsndfile understands (WAV, AIFF, FLAC, ...). Throws
// std::runtime_error naming the file and the reason.
AudioData readAudioFile(const std::string& path);

// Writes 32-bit float WAV. The data goes to a temporary file beside the
// target, which is renamed only once complete, so a failed render never
// leaves a partial file under the requested name.
void writeFloatWav(const std::string& path, const AudioData& audio);

}  // namespace quenchbox::host

#endif
