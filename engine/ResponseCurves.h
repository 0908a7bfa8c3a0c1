#ifndef QUENCHBOX_ENGINE_RESPONSECURVES_H
#define QUENCHBOX_ENGINE_RESPONSECURVES_H

#include <array>
#include <complex>

namespace quenchbox::engine {

class DriveEngine;

// The two magnitude curves of the response display on a logarithmic grid of
// 181 frequencies from 20 Hz to 22.05 kHz: the pre curve (input coupling and
// both op-amp stages, the filtering before the clipping) and the post curve
// (tone circuit, Deep network in the second variant, output filter).
//
// Everything is read from the engine's published single-precision display
// copies, never from the coefficients the audio thread may be rewriting, so
// the caller holds the effect's display lock while computing. The grid uses
// the host rate and the oversampling factor but not Scale: the curves show
// the digital filters as they act on real frequencies.
class ResponseCurves {
public:
    static constexpr int kPointCount = 181;

    struct GridPoint {
        float frequency = 0.0f;  // Hz
        float omega = 0.0f;      // radians per circuit-rate sample
        float v = 0.0f;          // |1 - 1/z|^2 = 4 sin^2(omega / 2)
        std::complex<float> z;   // e^(j omega)
    };

    void computeGrid(float sampleRate, bool oversampled);
    void computePre(const DriveEngine& engine);
    void computePost(const DriveEngine& engine);

    const GridPoint& point(int i) const { return grid[i]; }
    // Power ratios |H|^2; in decibels 10 log10 of them.
    float pre(int i) const { return preCurve[i]; }
    float post(int i) const { return postCurve[i]; }

private:
    std::array<GridPoint, kPointCount> grid{};
    std::array<float, kPointCount> preCurve{};
    std::array<float, kPointCount> postCurve{};
};

}  // namespace quenchbox::engine

#endif
