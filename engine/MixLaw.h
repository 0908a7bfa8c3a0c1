#ifndef QUENCHBOX_ENGINE_MIXLAW_H
#define QUENCHBOX_ENGINE_MIXLAW_H

#include <cmath>

namespace quenchbox::engine {

struct MixGains {
    double dry;
    double wet;
};

// Equal-power crossfade: mix 0 is fully dry, 1 fully wet, and 0.5 gives
// sqrt(0.5) to both so that uncorrelated dry and wet keep their loudness.
inline MixGains equalPowerMix(double mix)
{
    const double c = 0.5 * std::cos(3.14159265358979323846 * mix);
    return {std::sqrt(0.5 + c), std::sqrt(0.5 - c)};
}

}  // namespace quenchbox::engine

#endif
