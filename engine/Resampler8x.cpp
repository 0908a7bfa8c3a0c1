#include "engine/Resampler8x.h"

namespace quenchbox::engine {

namespace {

constexpr int phaseCount = 4;
constexpr int tapsPerPhase = Resampler8x::tapCount / phaseCount;

// One output of the x4 interpolator: the taps h[4k + phase] of the FIR
// applied to the x2-rate history, newestFirst[0] being the newest sample.
double polyphaseSum(int phase, const double* newestFirst)
{
    double sum = 0.0;
    for (int k = 0; k < tapsPerPhase; ++k) sum += Resampler8x::firCoefs[phaseCount * k + phase] * newestFirst[k];
    return sum;
}

// The full FIR at one 8x-rate instant; the history runs towards lower
// addresses from newest.
double firSum(const double* newest)
{
    double sum = 0.0;
    for (int k = 0; k < Resampler8x::tapCount; ++k) sum += Resampler8x::firCoefs[k] * newest[-k];
    return sum;
}

}  // namespace

// A branch is four first-order allpass sections (a + z^-1) / (1 + a z^-1) in
// cascade, z being one host sample: at the x2 rate each branch sees only
// every other sample, which makes the pair a half-band filter.
double Resampler8x::runBranch(int branch, double x)
{
    for (int section = 0; section < 4; ++section) {
        const int i = 2 * section + branch;
        const double y = (x - apOut[i]) * allpassCoefs[i] + apIn[i];
        apIn[i] = x;
        apOut[i] = y;
        x = y;
    }
    return x;
}

void Resampler8x::storeHalfRatePair(double earlier, double later)
{
    ringPosition = (ringPosition + ringSize - 2) % ringSize;
    ring[ringPosition] = later;
    ring[ringPosition + 1] = earlier;
    ring[ringPosition + ringSize] = later;
    ring[ringPosition + ringSize + 1] = earlier;
}

void Resampler8x::upsample(double x, double out[8])
{
    // The polyphase FIR loses the factor 4 of zero-stuffing; restore it here.
    const double v = 4.0 * x;
    // The two half-band branches give the two x2-rate samples of this host
    // sample: branch 0 the earlier, branch 1 the later.
    const double earlier = runBranch(0, v);
    const double later = runBranch(1, v);
    storeHalfRatePair(earlier, later);

    const double* newestFirst = ring + ringPosition;
    for (int phase = 0; phase < phaseCount; ++phase) {
        out[phase] = polyphaseSum(phase, newestFirst + 1);
        out[phaseCount + phase] = polyphaseSum(phase, newestFirst);
    }
}

void Resampler8x::storeFullRateBlock(const double in[8])
{
    for (int i = 0; i < 8; ++i) {
        ring[ringPosition + i] = in[i];
        ring[ringPosition + ringSize + i] = in[i];
    }
}

double Resampler8x::downsample(const double in[8])
{
    storeFullRateBlock(in);
    // Read backwards from the newest sample in the upper copy, so that the
    // 44 samples needed never reach below the start of the ring.
    const double* newest = ring + ringPosition + ringSize + 7;
    // Only the two x4-stage outputs that survive decimation are computed: at
    // the fourth and at the eighth input sample.
    const double early = firSum(newest - 4);
    const double late = firSum(newest);
    ringPosition = (ringPosition + 8) % ringSize;

    return 0.5 * (runBranch(0, late) + runBranch(1, early));
}

}  // namespace quenchbox::engine
