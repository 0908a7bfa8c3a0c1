#ifndef QUENCHBOX_HOST_RENDERER_H
#define QUENCHBOX_HOST_RENDERER_H

#include "host/AudioFile.h"
#include "host/Plugin.h"

#include <functional>

namespace quenchbox::host {

struct RenderSettings {
    int blockSize = 256;
    bool doublePrecision = false;
    int outputChannels = 1;
};

// Called now and then with the fraction of the input rendered so far.
using RenderProgress = std::function<void(double fraction)>;

// Runs the input through the plug-in block by block, as a host's audio
// thread would. A mono input feeds both plug-in inputs.
AudioData renderThrough(Plugin& plugin, const AudioData& input, const RenderSettings& settings,
                        const RenderProgress& progress);

struct LevelSummary {
    double peakDb;
    double rmsDb;
};

// Peak and RMS over all channels in dB relative to full scale (1.0).
LevelSummary measureLevels(const AudioData& audio);

}  // namespace quenchbox::host

#endif
