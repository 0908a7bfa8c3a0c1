#include "engine/OpAmpModel.h"

#include "engine/BisectionOutcome.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace quenchbox::engine {

namespace {

// Volts: the width at which a bisection bracket counts as solved.
constexpr double kBracketWidth = 0.0001;
// Volts: how close to a root a residual may lose its sign to rounding, with
// room to spare: near their roots the residuals place them to about 1e-14 V,
// and GainCurve::solve finds them to about 1e-12 V.
constexpr double kSignMargin = 1e-9;

}  // namespace

OpAmpModel::OpAmpModel() { buildOpAmpTable(); }

void OpAmpModel::setRails(double low, double high)
{
    storeRails(low, high);
    rebuildTables();
}

void OpAmpModel::storeRails(double low, double high)
{
    railLow = low;
    railHigh = high;
    midpoint = (low + high) * kMidRatio;
    swing = high - low - 3.5;
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

void OpAmpModel::setSupplyLike(const OpAmpModel& other)
{
    copySupply(other);
    rebuildLoopTable();
}

void OpAmpModel::setCoefficientsAndSupply(double period, double drive, double gain, double low, double high)
{
    openLoopGain = gain;
    storeRails(low, high);
    buildOpAmpTable();
    setCoefficients(period, drive);
}

void OpAmpModel::setCoefficientsAndSupplyLike(double period, double drive, const OpAmpModel& other)
{
    copySupply(other);
    setCoefficients(period, drive);
}

void OpAmpModel::copySupply(const OpAmpModel& other)
{
    railLow = other.railLow;
    railHigh = other.railHigh;
    openLoopGain = other.openLoopGain;
    swing = other.swing;
    midpoint = other.midpoint;
    curve = other.curve;
    satLogOffset = other.satLogOffset;
    satLogScale = other.satLogScale;
    satMinInput = other.satMinInput;
    satMaxInput = other.satMaxInput;
    std::copy(std::begin(other.satTable), std::end(other.satTable), std::begin(satTable));
}

void OpAmpModel::rebuildTables()
{
    buildOpAmpTable();
    rebuildLoopTable();
}

// The curve is tabulated on a logarithmic grid from 0.01 / A (deep in the
// linear region) up to the largest differential input, railHigh - midpoint;
// each output is solved from its neighbour's.
void OpAmpModel::buildOpAmpTable()
{
    const double g = openLoopGain;
    curve = GainCurve(g, swing);

    const double range = railHigh - midpoint;
    const double x0 = 0.01 / g;
    satMaxInput = range;
    satMinInput = x0;
    satLogScale = (kCurveSteps - 2) / std::log(range / x0);
    satLogOffset = 1.0 - std::log(x0) * satLogScale;
    const double ratio = std::pow(range / x0, 1.0 / (kCurveSteps - 2));

    GainCurve::Point point = curve.origin(0.0);
    satTable[0] = CurvePoint{};
    for (int i = 1; i <= kCurveSteps; ++i) {
        const double x = x0 * std::pow(ratio, i - 1);
        double y;
        if (!curve.solve(x, 0.0, point, y)) y = x * curve.gainAt(x);
        satTable[i].x = x;
        satTable[i].y = y;
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

double OpAmpModel::residual(double x, double y) const
{
    const double d = x + inputOffset - loopFeedback() * y;
    return y - curve.gainAt(d) * d;
}

// Four segments with bounds b0 (the input giving zero output), railHigh/64,
// railHigh/16, railHigh/4 and railHigh: fine steps where the stage is nearly
// linear, coarse ones deep in saturation.
//
// Every entry is what bisection of the residual over the rails gives. The
// residual vanishes where the curve meets the feedback line, so each root is
// solved from its neighbour's by GainCurve::solve, and the bisection's result
// follows from the root's place among its midpoints (BisectionOutcome); only
// a root that lies within rounding of a midpoint is bisected.
void OpAmpModel::rebuildLoopTable()
{
    const BisectionOutcome bisection(railLow, railHigh, kBracketWidth);
    const auto bisected = [&](double root, const auto& residualOf) {
        double result;
        if (bisection.resultFor(root, kSignMargin, result)) return result;
        return bisect(residualOf, railLow, railHigh, kBracketWidth);
    };

    // With no output the differential input vanishes at x = -offset, and the
    // residual -G(d) d has the sign of -d on either side. NaN for a root
    // unknown sends the search to bisection.
    const double feedback = loopFeedback();
    const bool solvable = curve.regular() && std::isfinite(feedback);
    loopBounds[0] = bisected(solvable ? -inputOffset : NAN, [this](double x) { return residual(x, 0.0); });
    loopBounds[1] = railHigh / 64.0;
    loopBounds[2] = railHigh / 16.0;
    loopBounds[3] = railHigh / 4.0;
    loopBounds[4] = railHigh;

    GainCurve::Point point = curve.origin(feedback);
    loopTable[0] = 0.0;
    for (int k = 0; k < 4; ++k) {
        const double width = loopBounds[k + 1] - loopBounds[k];
        segmentScale[k] = kSegmentSteps / width;
        for (int j = 1; j <= kSegmentSteps; ++j) {
            const double x = loopBounds[k] + width * j * (1.0 / kSegmentSteps);
            double root;
            if (!solvable || !curve.solve(x + inputOffset, feedback, point, root)) root = NAN;
            loopTable[kSegmentSteps * k + j] = bisected(root, [this, x](double y) { return residual(x, y); });
        }
    }
    firstSegmentSlope = (loopTable[kSegmentSteps] - loopTable[0]) / (loopBounds[1] - loopBounds[0]);
}

}  // namespace quenchbox::engine
