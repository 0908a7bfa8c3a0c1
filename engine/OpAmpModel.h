#ifndef QUENCHBOX_ENGINE_OPAMPMODEL_H
#define QUENCHBOX_ENGINE_OPAMPMODEL_H

#include "engine/GainCurve.h"
#include "engine/OpAmp.h"

namespace quenchbox::engine {

// An op-amp whose open-loop gain falls off as its output approaches the
// rails, G = A (1 + c2 u^2 + c4 u^4) at output voltage u, inside a linear
// feedback network supplied by the derived stage.
//
// The stage's implicit loop (the output depends on the inverting input,
// which depends on the output) is solved ahead of time: for the part v of
// the input that does not depend on the output, a 257-point closed-loop
// table holds the output y solving the stage's loop equation. Per sample
// that is one lookup with at most three bound comparisons and no iteration;
// all solving happens when the rails, the gain or the network change, on the
// audio thread, so a rebuild must fit well inside a block: each entry is the
// result of bisecting the loop equation from the rails, but found from its
// neighbour in a step or two (GainCurve::solve, BisectionOutcome), a few
// microseconds per table where the bisection itself took a millisecond.
//
// The input offset must be set before the network coefficients, because it
// enters the closed-loop table when that is rebuilt.
class OpAmpModel : public OpAmp {
public:
    OpAmpModel();

    // Rails and gain each rebuild the gain curve, the open-loop table and the
    // closed-loop table; the network and its state are left untouched.
    void setRails(double low, double high) override;
    void setOpenLoopGain(double gain) override;
    void setInputOffset(double volts) override { inputOffset = volts; }
    void setSupply(double gain, double low, double high);
    // The supply of another model: its gain and rails, with its gain curve
    // and open-loop table copied rather than rebuilt (two op-amps on one
    // supply share them); then the closed-loop table is rebuilt.
    void setSupplyLike(const OpAmpModel& other);

    // The stage's feedback network at a period and Drive pot fraction; ends
    // with the closed-loop table.
    virtual void setCoefficients(double period, double drive) = 0;
    // Network and supply together, as a rate change sets both, building the
    // closed-loop table once: the same tables as setCoefficients followed by
    // setSupply (or setSupplyLike).
    void setCoefficientsAndSupply(double period, double drive, double gain, double low, double high);
    void setCoefficientsAndSupplyLike(double period, double drive, const OpAmpModel& other);

    // The open-loop curve from the 257-point table.
    double evaluate(double vPlus, double vMinus) override;

    // 0 while the stage is linear, rising toward 1 as it compresses: how far
    // the output of the last sample falls short of the linear one. Worked
    // out only when asked, since the engine reads it once per host sample.
    double indicator() const { return indicator(lastChannel); }
    // The same for the last sample of one channel.
    double indicator(int channel) const
    {
        const double compression = 1.0 - lastOutput[channel] / linearOutput[channel];
        return compression >= 0.0 ? compression : 0.0;  // also 0 for NaN at zero input
    }

    // Bounds b0..b4 of the closed-loop table's segments; b0 is the input
    // that gives zero output.
    double loopBound(int k) const { return loopBounds[k]; }
    // Closed-loop table entry p (0..256): the output at the p-th table point,
    // b_k + (b_(k+1) - b_k) j / 64 for p = 64 k + j.
    double loopEntry(int p) const { return loopTable[p]; }
    // Open-loop table point i (0..256): differential input and output.
    double openLoopInput(int i) const { return satTable[i].x; }
    double openLoopEntry(int i) const { return satTable[i].y; }
    // The share of the output that reaches the inverting input within the
    // same sample, set by the stage's network.
    virtual double loopFeedback() const = 0;
    // Closed-loop slope of the first segment: the stage's small-signal gain
    // from v to the output.
    double smallSignalSlope() const { return firstSegmentSlope; }

protected:
    double gain() const { return openLoopGain; }

    // The stage's loop equation, zero where y is the output for input x:
    // y - G(d) d with d = x + offset - feedback * y.
    double residual(double x, double y) const;

    void rebuildLoopTable();

    // Output for v from the closed-loop table. The op-amp curve is odd about
    // the offset-shifted zero b0, so inputs below b0 use the point
    // reflection y(v) = -y(2 b0 - v).
    double closedLoopOutput(double v) const
    {
        return v >= loopBounds[0] ? loopLookup(v) : -loopLookup(2.0 * loopBounds[0] - v);
    }

    // Forgets the last outputs the indicator compares.
    void clearIndicator()
    {
        lastChannel = 0;
        lastOutput[0] = lastOutput[1] = linearOutput[0] = linearOutput[1] = 0.0;
    }

    // Compression relative to the small-signal line through (b0, 0).
    void updateIndicator(double y, double v, int channel)
    {
        lastChannel = channel;
        lastOutput[channel] = y;
        linearOutput[channel] = firstSegmentSlope * (v - loopBounds[0]);
    }

private:
    struct CurvePoint {
        double x = 0.0;      // differential input
        double y = 0.0;      // output relative to the midpoint
        double slope = 0.0;  // towards the next point
    };

    static constexpr int kCurveSteps = 256;
    static constexpr int kSegmentSteps = 64;
    static constexpr int kLoopSteps = 4 * kSegmentSteps;
    // The output's rest point lies halfway between the rails.
    static constexpr double kMidRatio = 0.5;

    void rebuildTables();
    void storeRails(double low, double high);
    void copySupply(const OpAmpModel& other);
    void buildOpAmpTable();
    double openLoopOutput(double d) const;

    // For v >= b0.
    double loopLookup(double v) const
    {
        int k;
        if (v < loopBounds[2]) {
            k = v < loopBounds[1] ? 0 : 1;
        } else if (v < loopBounds[3]) {
            k = 2;
        } else if (v < loopBounds[4]) {
            k = 3;
        } else {
            return loopTable[kLoopSteps];
        }
        const double t = (v - loopBounds[k]) * segmentScale[k];
        const int j = static_cast<int>(t);
        const int p = kSegmentSteps * k + j;
        const double phi = t - j;
        return phi > 1e-10 ? phi * loopTable[p + 1] + (1.0 - phi) * loopTable[p] : loopTable[p];
    }

    int lastChannel = 0;
    double lastOutput[2] = {0.0, 0.0};
    double linearOutput[2] = {0.0, 0.0};
    double railLow = -2.5;
    double railHigh = 2.5;
    double openLoopGain = 1e6;
    double inputOffset = 0.0;
    double swing = 1.5;  // output range of the curve: the rails less 3.5 V of headroom
    double midpoint = 0.0;
    GainCurve curve;

    double satLogOffset = 0.0;
    double satLogScale = 0.0;
    double satMinInput = 0.0;
    double satMaxInput = 0.0;
    CurvePoint satTable[kCurveSteps + 1];

    double loopBounds[5] = {0.0, 0.0, 0.0, 0.0, 0.0};
    double segmentScale[4] = {0.0, 0.0, 0.0, 0.0};  // table steps per volt in each segment
    double firstSegmentSlope = 0.0;
    double loopTable[kLoopSteps + 1] = {};
};

}  // namespace quenchbox::engine

#endif
