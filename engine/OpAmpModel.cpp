#include "engine/OpAmpModel.h"

#include <algorithm>
#include <cmath>

namespace quenchbox::engine {

namespace {

// Volts: the width at which a bisection bracket counts as solved.
constexpr double kBracketWidth = 0.0001;

// Root of f in [lo, hi] by bisection, keeping the half whose ends differ in
// sign. An exact zero ends the search: a signed zero would otherwise pass
// the same-sign test for every later midpoint and walk the bracket away
// from the root.
template <typename Function>
double bisect(Function f, double lo, double hi)
{
    double fLo = f(lo);
    if (fLo == 0.0) return lo;
    double mid;
    do {
        mid = (hi + lo) * 0.5;
        const double fMid = f(mid);
        if (fMid == 0.0) return mid;
        if (fMid * fLo >= 0.0) {
            lo = mid;
            fLo = fMid;
        } else {
            hi = mid;
        }
    } while (std::fabs(hi - lo) > kBracketWidth);
    return mid;
}

}  // namespace

OpAmpModel::OpAmpModel() { buildOpAmpTable(); }

void OpAmpModel::setRails(double low, double high)
{
    railLow = low;
    railHigh = high;
    midpoint = (low + high) * kMidRatio;
    swing = high - low - 3.5;
    rebuildTables();
}

void OpAmpModel::setOpenLoopGain(double gain)
{
    openLoopGain = gain;
    rebuildTables();
}

void OpAmpModel::setSupply(double gain, double low, double high)
{
    openLoopGain = gain;
    setRails(low, high);
}

void OpAmpModel::rebuildTables()
{
    buildOpAmpTable();
    rebuildLoopTable();
}

// Newton's method for G = A (1 + c2 (G x)^2 + c4 (G x)^4) from G = 1. For
// G > 0 the residual is convex and increasing in G, so after the first step
// the iterates approach the positive root from above and always converge.
double OpAmpModel::curveGain(double x) const
{
    const double g = openLoopGain;
    double gain = 1.0;
    double f;
    do {
        const double u = gain * x;
        const double u2 = u * u;
        f = gain - g * (1.0 + curveC2 * u2 + curveC4 * u2 * u2);
        const double slope = 1.0 - (4.0 * curveC4 * u2 + 2.0 * curveC2) * u * x * g;
        gain -= f / slope;
    } while (std::fabs(f) > 0.001);
    return gain;
}

// The gain curve's coefficients shrink with the output swing, so the gain
// collapses a little inside the rails; then the curve is tabulated on a
// logarithmic grid from 0.01 / A (deep in the linear region) up to the
// largest differential input, railHigh - midpoint.
void OpAmpModel::buildOpAmpTable()
{
    const double g = openLoopGain;
    const double m = swing + 1.0;
    const double c2Root = std::pow(g, 0.01) / std::pow(m, 2.6);
    const double c4Root = std::pow(g, 0.0001) / std::pow(m, 0.83);
    curveC2 = -9.0 * c2Root * c2Root;
    curveC4 = -6.0 * (c4Root * c4Root) * (c4Root * c4Root);

    const double range = railHigh - midpoint;
    const double x0 = 0.01 / g;
    satMaxInput = range;
    satMinInput = x0;
    satLogScale = (kCurveSteps - 2) / std::log(range / x0);
    satLogOffset = 1.0 - std::log(x0) * satLogScale;
    const double ratio = std::pow(range / x0, 1.0 / (kCurveSteps - 2));

    satTable[0] = CurvePoint{};
    for (int i = 1; i <= kCurveSteps; ++i) {
        const double x = x0 * std::pow(ratio, i - 1);
        satTable[i].x = x;
        satTable[i].y = x * curveGain(x);
        CurvePoint& previous = satTable[i - 1];
        previous.slope = (satTable[i].y - previous.y) / (x - previous.x);
    }
}

// Open-loop output for a differential input d >= 0; constant beyond the
// largest tabulated input.
double OpAmpModel::openLoopOutput(double d) const
{
    const double x = std::min(d, satMaxInput);
    if (x < satMinInput) return x * satTable[0].slope;
    const CurvePoint& point = satTable[static_cast<int>(std::log(x) * satLogScale + satLogOffset)];
    return (x - point.x) * point.slope + point.y;
}

double OpAmpModel::evaluate(double vPlus, double vMinus)
{
    const double d = vPlus + inputOffset - vMinus;
    double y = 0.0;
    if (d > 0.0) {
        y = openLoopOutput(d);
    } else if (d < 0.0) {
        y = -openLoopOutput(-d);
    }
    lastChannel = 0;
    lastOutput[0] = y;
    linearOutput[0] = openLoopGain * d;
    return y + midpoint;
}

double OpAmpModel::loopResidual(double x, double y, double feedback) const
{
    const double d = x + inputOffset - feedback * y;
    return y - curveGain(d) * d;
}

// Four segments with bounds b0 (the input giving zero output), railHigh/64,
// railHigh/16, railHigh/4 and railHigh: fine steps where the stage is nearly
// linear, coarse ones deep in saturation.
void OpAmpModel::rebuildLoopTable()
{
    loopBounds[0] = bisect([this](double x) { return residual(x, 0.0); }, railLow, railHigh);
    loopBounds[1] = railHigh / 64.0;
    loopBounds[2] = railHigh / 16.0;
    loopBounds[3] = railHigh / 4.0;
    loopBounds[4] = railHigh;

    loopTable[0] = 0.0;
    for (int k = 0; k < 4; ++k) {
        const double width = loopBounds[k + 1] - loopBounds[k];
        segmentScale[k] = kSegmentSteps / width;
        for (int j = 1; j <= kSegmentSteps; ++j) {
            const double x = loopBounds[k] + width * j * (1.0 / kSegmentSteps);
            loopTable[kSegmentSteps * k + j] = bisect([this, x](double y) { return residual(x, y); }, railLow, railHigh);
        }
    }
    firstSegmentSlope = (loopTable[kSegmentSteps] - loopTable[0]) / (loopBounds[1] - loopBounds[0]);
}

}  // namespace quenchbox::engine
