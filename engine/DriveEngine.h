#ifndef QUENCHBOX_ENGINE_DRIVEENGINE_H
#define QUENCHBOX_ENGINE_DRIVEENGINE_H

#include "engine/DeepNetwork.h"
#include "engine/EngineSample.h"
#include "engine/InputCoupling.h"
#include "engine/NoiseGenerator.h"
#include "engine/OpAmpStageA.h"
#include "engine/OpAmpStageB.h"
#include "engine/OutputFilter.h"
#include "engine/Resampler8x.h"
#include "solver/CircuitSolver.h"

#include <cmath>
#include <cstdint>

namespace quenchbox::engine {

// The signal path of one plug-in instance, computed per sample in double
// precision:
//
//   input -> coupling -> stage A -> stage B -> tone network with LEDs
//         -> deep (second variant)
//         -> output filter -> level -> dry/wet mix
//
// With oversampling on, the chain runs eight times per host sample between a
// per-channel interpolator and decimator.
//
// The effect writes the setting fields between blocks and calls update() with
// the coefficient groups those fields touch; every section derives its
// coefficients from one effective period T, which Scale stretches. States are
// never reset: coefficient changes keep the circuit's charge.
class DriveEngine {
public:
    DriveEngine();
    virtual ~DriveEngine() = default;

    DriveEngine(const DriveEngine&) = delete;
    DriveEngine& operator=(const DriveEngine&) = delete;

    // Recomputes the coefficient groups named by the UpdateBits in mask.
    void update(int mask);
    // Refreshes the single-precision display copies of the groups in mask;
    // the caller holds the display lock.
    void publish(int mask);
    // One host-rate sample of one channel.
    void processSample(EngineSample& sample)
    {
        if (oversample) {
            processOversampled(sample);
            return;
        }
        if (enabled == 0) {
            sample.output = bypassed(sample.input);
            return;
        }
        sample.input = admissible(sample.input) + plainNoise.next();
        processCore(sample);
    }

    // One host-rate sample of both channels (channel 0 in left, 1 in right):
    // the same as processSample on left and then on right, with the two
    // channels' sections run side by side so that their work overlaps.
    void processFrame(EngineSample& left, EngineSample& right)
    {
        if (oversample) {
            processOversampledFrame(left, right);
            return;
        }
        if (enabled == 0) {
            left.output = bypassed(left.input);
            right.output = bypassed(right.input);
            return;
        }
        left.input = admissible(left.input) + plainNoise.next();
        right.input = admissible(right.input) + plainNoise.next();
        double x[2] = {left.input, right.input};
        processCorePair(x, left, right);
        readStageMonitors(left, right);
        left.output = x[0];
        right.output = x[1];
    }

    // Newton passes of the LED solve over every circuit-rate sample since
    // construction: what the clipping costs on a given signal.
    struct SolveCounts {
        std::uint64_t samples = 0;
        std::uint64_t passes = 0;
        int mostPasses = 0;
    };
    const SolveCounts& solveCounts() const { return counts; }

    // The LED pair clips inside the tone network; switching it takes effect
    // from the next sample.
    void setLedsEnabled(bool enabled) { solver.ledsEnabled = enabled; }

    // The circuit period every section is discretised with.
    double effectivePeriod() const
    {
        const double period = (1.0 + scale) * samplePeriod;
        return oversample ? period / kOversampling : period;
    }

    const OpAmpStageA& stageASection() const { return stageA; }
    const OpAmpStageB& stageBSection() const { return stageB; }
    const InputCoupling& inputCouplingSection() const { return inputCoupling; }
    const solver::CircuitSolver& solverSection() const { return solver; }
    const DeepNetwork& deepSection() const { return deep; }
    // The circuit variant as of the last publish of the tone network or the
    // output filter: whether the display multiplies in the Deep network.
    int publishedMode() const { return shownMode; }
    const OutputFilter& outputFilterSection() const { return outputFilter; }

    // Settings, written by the effect between blocks.
    bool oversample = false;
    int enabled = 1;  // 0 bypasses the circuit
    bool bright = false;
    double dryGain = 0.0;  // the equal-power mix law at fully wet
    double wetGain = 1.0;
    int mode = 1;  // circuit variant, 0 or 1
    double bass = 0.5;
    double middle = 0.5;
    double treble = 0.5;
    double deepAmount = 0.604975743;  // Deep pot fraction, already tapered
    double samplePeriod = 1.0 / 44100.0;
    double opAmpGain = 200000.0;
    double supplyVoltage = 50.0;  // the stages get rails at +-V/2
    double drive = 0.452168649;   // Drive pot fraction, already tapered
    double level = 0.206835722;   // Level pot fraction, already tapered
    double scale = 0.0;           // time-scale offset, -0.5..+0.5

private:
    static constexpr int kOversampling = 8;

    void updateToneNetwork(double period);

    // A non-finite sample would poison every filter state for the rest of
    // the session; it enters the circuit as silence instead. A finite one
    // 120 dB above full scale is no audio either, and beyond about 1e307 it
    // would overflow the interpolator to the same effect: it enters the
    // circuit held at that level.
    static constexpr double kInputLimit = 1e6;
    static double admissible(double x)
    {
        if (std::fabs(x) <= kInputLimit)
            return x;
        return std::isfinite(x) ? std::copysign(kInputLimit, x) : 0.0;
    }
    // Bypass passes every finite sample on unchanged.
    static double bypassed(double x) { return std::isfinite(x) ? x : 0.0; }

    // Bypass keeps the resamplers in the path, so switching Enable with
    // oversampling on changes neither the delay nor the colour of the signal.
    void processOversampled(EngineSample& sample)
    {
        const int channel = sample.channel;
        double circuitRate[kOversampling];
        upsamplers[channel].upsample(admissible(sample.input) + oversampledNoise.next(), circuitRate);
        if (enabled != 0) {
            for (double& x : circuitRate)
                x = processCore(x, channel, sample.solverMonitor);
            sample.stageAMonitor = stageA.indicator();
            sample.stageBMonitor = stageB.indicator();
        }
        sample.output = downsamplers[channel].downsample(circuitRate);
    }

    void processOversampledFrame(EngineSample& left, EngineSample& right)
    {
        double circuitRate[2][kOversampling];
        upsamplers[0].upsample(admissible(left.input) + oversampledNoise.next(), circuitRate[0]);
        upsamplers[1].upsample(admissible(right.input) + oversampledNoise.next(), circuitRate[1]);
        if (enabled != 0) {
            for (int k = 0; k < kOversampling; ++k) {
                double x[2] = {circuitRate[0][k], circuitRate[1][k]};
                processCorePair(x, left, right);
                circuitRate[0][k] = x[0];
                circuitRate[1][k] = x[1];
            }
            readStageMonitors(left, right);
        }
        left.output = downsamplers[0].downsample(circuitRate[0]);
        right.output = downsamplers[1].downsample(circuitRate[1]);
    }

    void processCore(EngineSample& sample)
    {
        sample.output = processCore(sample.input, sample.channel, sample.solverMonitor);
        sample.stageAMonitor = stageA.indicator();
        sample.stageBMonitor = stageB.indicator();
    }

    // One circuit-rate sample x of one channel through the chain; the LED
    // current goes to ledCurrent.
    double processCore(double x, int channel, double& ledCurrent)
    {
        double u = inputCoupling.process(x, channel);
        u = stageA.process(u, channel);
        u = stageB.process(u, channel);
        u = solver.process(u, ledCurrent, channel);
        countSolve(solver.lastNewtonPasses());
        if (mode == 1)
            u = deep.process(u, channel);
        u = outputFilter.process(u, channel);
        return u * level * wetGain + dryGain * x;
    }

    // processCore on both channels, x[c] replaced by channel c's output; the
    // monitors of the two samples go to left and right.
    void processCorePair(double x[2], EngineSample& left, EngineSample& right)
    {
        double u[2] = {inputCoupling.process(x[0], 0), inputCoupling.process(x[1], 1)};
        u[0] = stageA.process(u[0], 0);
        u[1] = stageA.process(u[1], 1);
        u[0] = stageB.process(u[0], 0);
        u[1] = stageB.process(u[1], 1);
        double ledCurrent[2];
        int passes[2];
        solver.processPair(u, ledCurrent, passes);
        left.solverMonitor = ledCurrent[0];
        right.solverMonitor = ledCurrent[1];
        countSolve(passes[0]);
        countSolve(passes[1]);
        for (int channel = 0; channel < 2; ++channel) {
            if (mode == 1)
                u[channel] = deep.process(u[channel], channel);
            u[channel] = outputFilter.process(u[channel], channel);
            x[channel] = u[channel] * level * wetGain + dryGain * x[channel];
        }
    }

    void readStageMonitors(EngineSample& left, EngineSample& right) const
    {
        left.stageAMonitor = stageA.indicator(0);
        left.stageBMonitor = stageB.indicator(0);
        right.stageAMonitor = stageA.indicator(1);
        right.stageBMonitor = stageB.indicator(1);
    }

    void countSolve(int passes)
    {
        ++counts.samples;
        counts.passes += static_cast<std::uint64_t>(passes);
        counts.mostPasses = passes > counts.mostPasses ? passes : counts.mostPasses;
    }
    void updateSupply();

    OpAmpStageA stageA;
    OpAmpStageB stageB;
    InputCoupling inputCoupling;
    solver::CircuitSolver solver;
    DeepNetwork deep;
    OutputFilter outputFilter;
    Resampler8x upsamplers[2];
    Resampler8x downsamplers[2];
    NoiseGenerator oversampledNoise;
    NoiseGenerator plainNoise;
    int shownMode = 1;
    SolveCounts counts;
};

}  // namespace quenchbox::engine

#endif
