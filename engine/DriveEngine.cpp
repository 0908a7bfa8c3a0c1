#include "engine/DriveEngine.h"

#include <cmath>

namespace quenchbox::engine {

namespace {

// A non-finite sample would poison every filter state for the rest of the
// session; it enters the circuit as silence instead.
double finiteOrZero(double x) { return std::isfinite(x) ? x : 0.0; }


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

void DriveEngine::update(int mask)
{
    const double period = effectivePeriod();
    if (mask & UpdateBits::kStages) {
        stageA.setCoefficients(period, drive);
        stageB.setCoefficients(period, drive);
    }
    if (mask & UpdateBits::kDeepNetwork)
        deep.configure(period, deepAmount);
    if (mask & UpdateBits::kOutputFilter)
        outputFilter.setCoefficients(period, level, bright, mode);
    if (mask & UpdateBits::kInputCoupling)
        inputCoupling.setPeriod(period);
    if (mask & UpdateBits::kSupply)
        updateSupply();
}

// Both op-amps run from one supply: rails at half the voltage either side of ground.
void DriveEngine::updateSupply()
{
    const double rail = 0.5 * supplyVoltage;
    stageA.setSupply(opAmpGain, -rail, rail);
    stageB.setSupply(opAmpGain, -rail, rail);
}

void DriveEngine::publish(int mask)
{
    if (mask & (UpdateBits::kStages | UpdateBits::kOpAmpGain)) {
        stageA.publish();
        stageB.publish();
    }
    if (mask & UpdateBits::kDeepNetwork)
        deep.publish();
    if (mask & UpdateBits::kInputCoupling)
        inputCoupling.publish();
}

void DriveEngine::processSample(EngineSample& sample)
{
    if (oversample) {
        processOversampled(sample);
        return;
    }
    if (enabled == 0) {
        sample.output = sample.input;
        return;
    }
    sample.input = finiteOrZero(sample.input) + plainNoise.next();
    processCore(sample);
}

// Bypass keeps the resamplers in the path, so switching Enable with
// oversampling on changes neither the delay nor the colour of the signal.
void DriveEngine::processOversampled(EngineSample& sample)
{
    const int channel = sample.channel;
    double circuitRate[kOversampling];
    upsamplers[channel].upsample(finiteOrZero(sample.input) + oversampledNoise.next(), circuitRate);
    if (enabled != 0) {
        for (double& x : circuitRate) {
            sample.input = x;
            processCore(sample);
            x = sample.output;
        }
    }
    sample.output = downsamplers[channel].downsample(circuitRate);
}

void DriveEngine::processCore(EngineSample& sample)
{
    const int channel = sample.channel;
    double u = inputCoupling.process(sample.input, channel);
    u = stageA.process(u, channel);
    u = stageB.process(u, channel);
    sample.stageAMonitor = stageA.indicator();
    sample.stageBMonitor = stageB.indicator();
    if (mode == 1)
        u = deep.process(u, channel);
    u = outputFilter.process(u, channel);
    sample.output = u * level * wetGain + dryGain * sample.input;
}

}  // namespace quenchbox::engine
