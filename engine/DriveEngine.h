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
// coefficients from one effective period T, which Scale stretches.
// Coefficient changes keep the circuit's charge: only clearState() empties
// it, for the hosts whose formats promise a fresh start on reset.
class DriveEngine {
public:
    DriveEngine();
    virtual ~DriveEngine() = default;

    DriveEngine(const DriveEngine&) = delete;
    DriveEngine& operator=(const DriveEngine&) = delete;

    // Empties every filter, solver and resampler state and restarts the
    // anti-denormal noise, so that what follows sounds as from a fresh
    // engine with the same settings; the coefficients stay.
    void clearState();
    // Recomputes the coefficient groups named by the UpdateBits in mask.
    void update(int mask);
    // Refreshes the single-precision display copies of the groups in mask;
    // the caller holds the display lock.
    void publish(int mask);
    // One host-rate sample of one channel.
    void processSample(EngineSample& sample) { processSamples(&sample, 1); }
    // Consecutive host-rate samples of one channel: the same as
    // processSample on each in turn.
    void processSamples(EngineSample* samples, int count);

    // One host-rate sample of both channels (channel 0 in left, 1 in right):
    // the same as processSample on left and then on right.
    void processFrame(EngineSample& left, EngineSample& right) { processFrames(&left, &right, 1); }
    // Consecutive frames of both channels, left[n] and right[n] the samples
    // of frame n: the same as processFrame on each in turn.
    void processFrames(EngineSample* left, EngineSample* right, int count);

    // Newton passes of the LED solve over every circuit-rate sample since
    // construction: what the clipping costs on a given signal.
    struct SolveCounts {
        std::uint64_t samples = 0;
        std::uint64_t passes = 0;
        int mostPasses = 0;
    };
    const SolveCounts& solveCounts() const { return counts; }

    // The gains of the output stage: the circuit's output times level times
    // wet, plus dry times the circuit's input.
    struct OutputGains {
        double level;
        double wet;
        double dry;
    };
    // The output gains glide in a straight line from `from` to `to` over the
    // next `frames` host frames (one increment per circuit-rate sample, the
    // last landing on `to`) and stay at `to` until settleOutputGains().
    // Without a glide the samples use the fields level, wetGain and dryGain.
    void glideOutputGains(const OutputGains& from, const OutputGains& to, int frames);
    // Hands the output gains back to the setting fields.
    void settleOutputGains() { outputGlide.active = false; }

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

    void updateStages(double period, bool withSupply);
    void updateToneNetwork(double period);

    // Host frames run through the chain at a time: the circuit-rate samples
    // of one run stay on the stack.
    static constexpr int kRunFrames = 32;

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

    void processRun(EngineSample* samples, int count);
    void processRun(EngineSample* left, EngineSample* right, int count);
    int circuitSamplesPerFrame() const { return oversample ? kOversampling : 1; }
    void circuitInputs(EngineSample* samples, int count, double* circuitRate);
    void circuitInputs(EngineSample* left, EngineSample* right, int count, double* circuitRate[2]);
    void circuitOutputs(EngineSample* samples, int count, const double* circuitRate, int channel);
    void runChain(double* circuitRate, int frameCount, int perFrame, EngineSample* frames);
    void runChain(double* circuitRate[2], int frameCount, int perFrame, EngineSample* left, EngineSample* right);
    double front(double x, int channel);
    double back(double u, double x, int channel, double& ledCurrent);
    void backPair(const double u[2], double x[2], double ledCurrent[2]);
    void readStageMonitors(EngineSample& sample, int channel) const
    {
        sample.stageAMonitor = stageA.indicator(channel);
        sample.stageBMonitor = stageB.indicator(channel);
    }

    void countSolve(int passes)
    {
        ++counts.samples;
        counts.passes += static_cast<std::uint64_t>(passes);
        counts.mostPasses = passes > counts.mostPasses ? passes : counts.mostPasses;
    }
    void updateSupply();

    // The output stage of back(): the fields serve unless a glide is on.
    double outputStage(double u, double x) const
    {
        if (!outputGlide.active)
            return u * level * wetGain + dryGain * x;
        const OutputGains& g = outputGlide.now;
        return u * g.level * g.wet + g.dry * x;
    }
    // `samples` circuit-rate samples further along the output gains' glide:
    // one per sample of the chain, a whole run's worth when bypassed.
    void advanceOutputGlide(int samples = 1)
    {
        OutputGlide& glide = outputGlide;
        if (!glide.active || glide.samplesLeft == 0)
            return;
        if (samples >= glide.samplesLeft) {
            glide.samplesLeft = 0;
            glide.now = glide.to;
            return;
        }
        glide.samplesLeft -= samples;
        glide.now.level += samples * glide.step.level;
        glide.now.wet += samples * glide.step.wet;
        glide.now.dry += samples * glide.step.dry;
    }

    struct OutputGlide {
        bool active = false;
        int samplesLeft = 0;
        OutputGains now{};
        OutputGains step{};
        OutputGains to{};
    };
    OutputGlide outputGlide;

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
