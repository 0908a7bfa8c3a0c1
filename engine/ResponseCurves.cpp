#include "engine/ResponseCurves.h"

#include "engine/DriveEngine.h"

#include <cmath>

namespace quenchbox::engine {

namespace {

constexpr float kLowestFrequency = 20.0f;
constexpr float kTwoPi = 6.28318530717958647692f;
constexpr int kOversampling = 8;
// The stages' curves are normalised to about 1 in the pass band; the input
// coupling passes 1/1.001. 32 (+15 dB) lifts the pre curve onto the display.
constexpr float kPreCurveScale = 32.0f;

}  // namespace

void ResponseCurves::computeGrid(float sampleRate, bool oversampled)
{
    // 1102.5 is 22050 / 20: the last point lies at the Nyquist frequency of 44.1 kHz.
    const float ratio = std::pow(1102.5f, 1.0f / 180.0f);
    const float circuitRate = sampleRate * static_cast<float>(oversampled ? kOversampling : 1);
    float frequency = kLowestFrequency;
    for (GridPoint& p : grid) {
        p.frequency = frequency;
        p.omega = frequency * kTwoPi / circuitRate;
        const float halfSine = std::sin(0.5f * p.omega);
        p.v = 4.0f * halfSine * halfSine;
        p.z = {std::cos(p.omega), std::sin(p.omega)};
        frequency *= ratio;
    }
}

void ResponseCurves::computePre(const DriveEngine& engine)
{
    for (int i = 0; i < kPointCount; ++i) {
        const GridPoint& p = grid[i];
        preCurve[i] = kPreCurveScale * engine.inputCouplingSection().power(p.v)
                      * engine.stageASection().response(p.z) * engine.stageBSection().response(p.z);
    }
}

void ResponseCurves::computePost(const DriveEngine& engine)
{
    const bool deepInCircuit = engine.publishedMode() == 1;
    for (int i = 0; i < kPointCount; ++i) {
        const std::complex<float> z = grid[i].z;
        float power = engine.outputFilterSection().response(z) * engine.solverSection().response(z);
        if (deepInCircuit)
            power *= engine.deepSection().response(z);
        postCurve[i] = power;
    }
}

}  // namespace quenchbox::engine
