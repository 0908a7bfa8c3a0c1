#include "engine/DriveEngine.h"

#include <cmath>

namespace quenchbox::engine {

namespace {

// A non-finite sample would poison every filter state for the rest of the
// session; it enters the circuit as silence instead.
double finiteOrZero(double x) { return std::isfinite(x) ? x : 0.0; }

}  // namespace

DriveEngine::DriveEngine() { update(UpdateBits::kAll); }

void DriveEngine::update(int mask)
{
    const double period = effectivePeriod();
    if (mask & UpdateBits::kOutputFilter)
        outputFilter.setCoefficients(period, level, bright, mode);
    if (mask & UpdateBits::kInputCoupling)
        inputCoupling.setPeriod(period);
}

void DriveEngine::publish(int mask)
{
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
    u = outputFilter.process(u, channel);
    sample.output = u * level * wetGain + dryGain * sample.input;
}

}  // namespace quenchbox::engine
