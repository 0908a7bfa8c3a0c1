#ifndef QUENCHBOX_ENGINE_NOISEGENERATOR_H
#define QUENCHBOX_ENGINE_NOISEGENERATOR_H

#include <cstdint>

namespace quenchbox::engine {

// A tiny positive offset with a random part, added to the input once per
// host sample so that the recursive filters never decay into denormal
// numbers during silence. Each engine owns its generators, so instances on
// different host threads never share state and every fresh instance produces
// the same sequence.
struct NoiseGenerator {
    std::uint32_t state = 0;

    // Linear congruential step (full period of 2^32), scaled into
    // [0, 2^32 * 2^-126 * 1e10), below about 5e-19.
    double next()
    {
        state = state * 1664525u + 1013904223u;
        const float smallestNormal = 1.1754943508222875e-38f;
        return static_cast<double>(static_cast<float>(state) * smallestNormal) * 1e10;
    }
};

}  // namespace quenchbox::engine

#endif
