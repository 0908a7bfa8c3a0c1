#include "engine/DriveEngine.h"

#include "engine/TableLookup.h"

#include <algorithm>
#include <cmath>

namespace quenchbox::engine {

namespace {


// Pot fractions of the tone controls at knob positions 0, 0.1, ... 1, one row
// per circuit variant (their pots and resistors differ).
constexpr double kBassTaper[2][11] = {
    {0.006874988, 0.015302583, 0.033828543, 0.056258888, 0.083415465, 0.120160408, 0.169412633, 0.237133029,
     0.338083418, 0.508820724, 1.0},
    {0.006874988, 0.014696644, 0.031416976, 0.050440142, 0.072084239, 0.096706975, 0.142659674, 0.197657573,
     0.294407916, 0.475232438, 1.0}};
constexpr double kMiddleTaper[2][11] = {
    {0.0057313, 0.01228977, 0.026352896, 0.04244548, 0.060860981, 0.081933413, 0.110597923, 0.158963843,
     0.228311625, 0.39049948, 1.0},
    {0.00758558, 0.015989227, 0.033702812, 0.053326044, 0.075064345, 0.099145415, 0.138861111, 0.183332289,
     0.264631253, 0.435182714, 1.0}};
constexpr double kTrebleTaper[2][11] = {
    {0.0, 0.110591202, 0.161063753, 0.218555022, 0.279866052, 0.351573624, 0.436953327, 0.539554052, 0.663883233,
     0.815247168, 1.0},
    {0.0, 0.110597429, 0.161079914, 0.218572946, 0.279883664, 0.351591123, 0.436973743, 0.539574677, 0.663898251,
     0.815260404, 1.0}};

// The op-amps' input offset of 3 mV enters their closed-loop tables, so it is
// set before the first full update builds them.
constexpr double kOpAmpInputOffset = 0.003;

}  // namespace

DriveEngine::DriveEngine()
{
    stageA.setInputOffset(kOpAmpInputOffset);
    stageB.setInputOffset(kOpAmpInputOffset);
    update(UpdateBits::kAll);
}

void DriveEngine::clearState()
{
    stageA.clearState();
    stageB.clearState();
    inputCoupling.clearState();
    solver.clearState();
    deep.clearState();
    outputFilter.clearState();
    for (Resampler8x& resampler : upsamplers) resampler.clear();
    for (Resampler8x& resampler : downsamplers) resampler.clear();
    oversampledNoise = NoiseGenerator{};
    plainNoise = NoiseGenerator{};
}

void DriveEngine::update(int mask)
{
    const double period = effectivePeriod();
    if (mask & UpdateBits::kStages)
        updateStages(period, (mask & UpdateBits::kSupply) != 0);
    if (mask & UpdateBits::kToneNetwork)
        updateToneNetwork(period);
    if (mask & UpdateBits::kDeepNetwork)
        deep.configure(period, deepAmount);
    if (mask & UpdateBits::kOutputFilter)
        outputFilter.setCoefficients(period, level, bright, mode);
    if (mask & UpdateBits::kInputCoupling)
        inputCoupling.setPeriod(period);
    if ((mask & UpdateBits::kSupply) && !(mask & UpdateBits::kStages))
        updateSupply();
}

// With the supply changing too (a rate change), the stages take it with
// their networks, and each builds its closed-loop table only once.
void DriveEngine::updateStages(double period, bool withSupply)
{
    if (!withSupply) {
        stageA.setCoefficients(period, drive);
        stageB.setCoefficients(period, drive);
        return;
    }
    const double rail = 0.5 * supplyVoltage;
    stageA.setCoefficientsAndSupply(period, drive, opAmpGain, -rail, rail);
    stageB.setCoefficientsAndSupplyLike(period, drive, stageA);
}

// The solver recomputes its continuous model only when a pot fraction or the
// variant changed; the discretisation at the new period always runs.
void DriveEngine::updateToneNetwork(double period)
{
    const int row = mode == 1 ? 1 : 0;
    solver.update(interpolateTable(kBassTaper[row], 10, bass), interpolateTable(kMiddleTaper[row], 10, middle),
                  interpolateTable(kTrebleTaper[row], 10, treble), period, mode);
}

// Both op-amps run from one supply: rails at half the voltage either side of
// ground, and one open-loop curve.
void DriveEngine::updateSupply()
{
    const double rail = 0.5 * supplyVoltage;
    stageA.setSupply(opAmpGain, -rail, rail);
    stageB.setSupplyLike(stageA);
}

void DriveEngine::publish(int mask)
{
    if (mask & (UpdateBits::kStages | UpdateBits::kOpAmpGain)) {
        stageA.publish();
        stageB.publish();
    }
    if (mask & UpdateBits::kToneNetwork)
        solver.publishDisplay();
    if (mask & UpdateBits::kDeepNetwork)
        deep.publish();
    if (mask & UpdateBits::kOutputFilter)
        outputFilter.publish();
    if (mask & (UpdateBits::kToneNetwork | UpdateBits::kOutputFilter))
        shownMode = mode;
    if (mask & UpdateBits::kInputCoupling)
        inputCoupling.publish();
}

void DriveEngine::glideOutputGains(const OutputGains& from, const OutputGains& to, int frames)
{
    const int samples = std::max(1, frames * circuitSamplesPerFrame());
    outputGlide.active = true;
    outputGlide.samplesLeft = samples;
    outputGlide.now = from;
    outputGlide.to = to;
    outputGlide.step = {(to.level - from.level) / samples, (to.wet - from.wet) / samples,
                        (to.dry - from.dry) / samples};
}

void DriveEngine::processSamples(EngineSample* samples, int count)
{
    for (int done = 0; done < count; done += kRunFrames)
        processRun(samples + done, std::min(kRunFrames, count - done));
}

void DriveEngine::processFrames(EngineSample* left, EngineSample* right, int count)
{
    for (int done = 0; done < count; done += kRunFrames)
        processRun(left + done, right + done, std::min(kRunFrames, count - done));
}

// Bypass keeps the resamplers in the path when oversampling, so switching
// Enable then changes neither the delay nor the colour of the signal.
void DriveEngine::processRun(EngineSample* samples, int count)
{
    const int channel = samples[0].channel;
    if (enabled == 0)
        advanceOutputGlide(count * circuitSamplesPerFrame());
    if (!oversample && enabled == 0) {
        for (int n = 0; n < count; ++n)
            samples[n].output = bypassed(samples[n].input);
        return;
    }
    double circuitRate[kRunFrames * kOversampling];
    circuitInputs(samples, count, circuitRate);
    if (enabled != 0)
        runChain(circuitRate, count, circuitSamplesPerFrame(), samples);
    circuitOutputs(samples, count, circuitRate, channel);
}

void DriveEngine::processRun(EngineSample* left, EngineSample* right, int count)
{
    if (enabled == 0)
        advanceOutputGlide(count * circuitSamplesPerFrame());
    if (!oversample && enabled == 0) {
        for (int n = 0; n < count; ++n) {
            left[n].output = bypassed(left[n].input);
            right[n].output = bypassed(right[n].input);
        }
        return;
    }
    double circuitRate[2][kRunFrames * kOversampling];
    double* channels[2] = {circuitRate[0], circuitRate[1]};
    circuitInputs(left, right, count, channels);
    if (enabled != 0)
        runChain(channels, count, circuitSamplesPerFrame(), left, right);
    circuitOutputs(left, count, circuitRate[0], 0);
    circuitOutputs(right, count, circuitRate[1], 1);
}

// The circuit-rate inputs of the run, with the anti-denormal noise: eight per
// host sample from the interpolator when oversampling, else the host samples
// themselves (which the record's input then holds).
void DriveEngine::circuitInputs(EngineSample* samples, int count, double* circuitRate)
{
    const int channel = samples[0].channel;
    if (oversample) {
        for (int n = 0; n < count; ++n)
            upsamplers[channel].upsample(admissible(samples[n].input) + oversampledNoise.next(),
                                         circuitRate + kOversampling * n);
        return;
    }
    for (int n = 0; n < count; ++n)
        circuitRate[n] = samples[n].input = admissible(samples[n].input) + plainNoise.next();
}

// Both channels, frame by frame, so that the noise goes to them in turn.
void DriveEngine::circuitInputs(EngineSample* left, EngineSample* right, int count, double* circuitRate[2])
{
    for (int n = 0; n < count; ++n) {
        EngineSample* frame[2] = {&left[n], &right[n]};
        for (int channel = 0; channel < 2; ++channel) {
            EngineSample& sample = *frame[channel];
            if (oversample) {
                upsamplers[channel].upsample(admissible(sample.input) + oversampledNoise.next(),
                                             circuitRate[channel] + kOversampling * n);
            } else {
                circuitRate[channel][n] = sample.input = admissible(sample.input) + plainNoise.next();
            }
        }
    }
}

void DriveEngine::circuitOutputs(EngineSample* samples, int count, const double* circuitRate, int channel)
{
    for (int n = 0; n < count; ++n)
        samples[n].output = oversample ? downsamplers[channel].downsample(circuitRate + kOversampling * n)
                                       : circuitRate[n];
}

// The chain over the run's circuit-rate samples, in place, with the input
// coupling and both op-amp stages one sample ahead of the solver and the
// sections after it. The two halves depend on each other only through the
// sample handed over, so the processor works on one while the other's long
// chain (the LED solve) waits for its results. A frame's monitors are those
// of its last circuit-rate sample.
void DriveEngine::runChain(double* circuitRate, int frameCount, int perFrame, EngineSample* frames)
{
    const int channel = frames[0].channel;
    const int last = frameCount * perFrame - 1;
    double ahead = front(circuitRate[0], channel);
    for (int n = 0, k = 0; n < frameCount; ++n) {
        EngineSample& frame = frames[n];
        for (int j = 0; j < perFrame; ++j, ++k) {
            const double u = ahead;
            if (j + 1 == perFrame)
                readStageMonitors(frame, channel);
            if (k < last)
                ahead = front(circuitRate[k + 1], channel);
            advanceOutputGlide();
            circuitRate[k] = back(u, circuitRate[k], channel, frame.solverMonitor);
        }
    }
}

void DriveEngine::runChain(double* circuitRate[2], int frameCount, int perFrame, EngineSample* left,
                           EngineSample* right)
{
    const int last = frameCount * perFrame - 1;
    double ahead[2] = {front(circuitRate[0][0], 0), front(circuitRate[1][0], 1)};
    for (int n = 0, k = 0; n < frameCount; ++n) {
        for (int j = 0; j < perFrame; ++j, ++k) {
            const double u[2] = {ahead[0], ahead[1]};
            if (j + 1 == perFrame) {
                readStageMonitors(left[n], 0);
                readStageMonitors(right[n], 1);
            }
            if (k < last) {
                ahead[0] = front(circuitRate[0][k + 1], 0);
                ahead[1] = front(circuitRate[1][k + 1], 1);
            }
            double x[2] = {circuitRate[0][k], circuitRate[1][k]};
            double ledCurrent[2];
            advanceOutputGlide();
            backPair(u, x, ledCurrent);
            circuitRate[0][k] = x[0];
            circuitRate[1][k] = x[1];
            left[n].solverMonitor = ledCurrent[0];
            right[n].solverMonitor = ledCurrent[1];
        }
    }
}

// Input coupling and the two op-amp stages.
double DriveEngine::front(double x, int channel)
{
    const double u = stageA.process(inputCoupling.process(x, channel), channel);
    return stageB.process(u, channel);
}

// The tone network with the LEDs, the Deep network in the second variant,
// the output filter, level and mix, for the stages' output u of the
// circuit-rate input x.
double DriveEngine::back(double u, double x, int channel, double& ledCurrent)
{
    u = solver.process(u, ledCurrent, channel);
    countSolve(solver.lastNewtonPasses());
    if (mode == 1)
        u = deep.process(u, channel);
    u = outputFilter.process(u, channel);
    return outputStage(u, x);
}

// back() on both channels, x[c] replaced by channel c's output, with the
// tone network's two solves in lock-step.
void DriveEngine::backPair(const double u[2], double x[2], double ledCurrent[2])
{
    double v[2] = {u[0], u[1]};
    int passes[2];
    solver.processPair(v, ledCurrent, passes);
    countSolve(passes[0]);
    countSolve(passes[1]);
    for (int channel = 0; channel < 2; ++channel) {
        if (mode == 1)
            v[channel] = deep.process(v[channel], channel);
        v[channel] = outputFilter.process(v[channel], channel);
        x[channel] = outputStage(v[channel], x[channel]);
    }
}

}  // namespace quenchbox::engine
