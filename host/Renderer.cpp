#include "host/Renderer.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace quenchbox::host {

namespace {

// Planar buffers of one block in the sample type the plug-in processes.
template <typename Sample>
class BlockBuffers {
public:
    explicit BlockBuffers(int blockSize)
        : in(2, std::vector<Sample>(blockSize)), out(2, std::vector<Sample>(blockSize))
    {
    }

    void load(const AudioData& input, long start, int frames)
    {
        for (int c = 0; c < 2; ++c) {
            const auto& source = input.channels[std::min<std::size_t>(c, input.channels.size() - 1)];
            std::transform(source.begin() + start, source.begin() + start + frames, in[c].begin(),
                           [](double x) { return static_cast<Sample>(x); });
        }
    }

    void store(AudioData& output, long start, int frames) const
    {
        for (std::size_t c = 0; c < output.channels.size(); ++c)
            std::copy(out[c].begin(), out[c].begin() + frames, output.channels[c].begin() + start);
    }

    void process(Plugin& plugin, int frames)
    {
        Sample* inputs[2] = {in[0].data(), in[1].data()};
        Sample* outputs[2] = {out[0].data(), out[1].data()};
        plugin.process(inputs, outputs, frames);
    }

private:
    std::vector<std::vector<Sample>> in;
    std::vector<std::vector<Sample>> out;
};

template <typename Sample>
AudioData renderBlocks(Plugin& plugin, const AudioData& input, const RenderSettings& settings,
                       const RenderProgress& progress)
{
    AudioData output;
    output.sampleRate = input.sampleRate;
    output.channels.assign(settings.outputChannels, std::vector<double>(input.frames()));

    BlockBuffers<Sample> buffers(settings.blockSize);
    const long total = input.frames();
    const long progressStep = std::max<long>(settings.blockSize, static_cast<long>(input.sampleRate));
    long nextProgress = progressStep;
    for (long start = 0; start < total; start += settings.blockSize) {
        const int frames = static_cast<int>(std::min<long>(settings.blockSize, total - start));
        buffers.load(input, start, frames);
        buffers.process(plugin, frames);
        buffers.store(output, start, frames);
        if (progress && start >= nextProgress) {
            progress(static_cast<double>(start) / total);
            nextProgress += progressStep;
        }
    }
    return output;
}

double toDb(double level) { return level > 0.0 ? 20.0 * std::log10(level) : -std::numeric_limits<double>::infinity(); }

}  // namespace

AudioData renderThrough(Plugin& plugin, const AudioData& input, const RenderSettings& settings,
                        const RenderProgress& progress)
{
    if (settings.doublePrecision)
        return renderBlocks<double>(plugin, input, settings, progress);
    return renderBlocks<float>(plugin, input, settings, progress);
}

LevelSummary measureLevels(const AudioData& audio)
{
    double peak = 0.0;
    double sumOfSquares = 0.0;
    std::size_t count = 0;
    for (const auto& channel : audio.channels) {
        for (double x : channel) {
            peak = std::max(peak, std::fabs(x));
            sumOfSquares += x * x;
        }
        count += channel.size();
    }
    return {toDb(peak), toDb(count ? std::sqrt(sumOfSquares / count) : 0.0)};
}

}  // namespace quenchbox::host
