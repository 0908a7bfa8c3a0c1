#ifndef QUENCHBOX_FORMATS_SHARED_LATENCY_H
#define QUENCHBOX_FORMATS_SHARED_LATENCY_H

#include "effect/ParameterMapping.h"

#include <cstdint>

namespace quenchbox::formats {

// The eight-times resamplers up and down delay low frequencies by about 8.1
// host samples; whole samples are what a host can compensate.
constexpr std::uint32_t kOversampledLatency = 8;

// The latency the newer formats report for a value of "Oversample". The
// VST2 build declares none.
inline std::uint32_t latencyFrames(float oversampleValue)
{
    return effect::switchActsOn(oversampleValue) ? kOversampledLatency : 0;
}

}  // namespace quenchbox::formats

#endif
