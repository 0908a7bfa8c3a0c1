// The audio thread's side of QuenchboxEffect: once per block it takes the
// accumulated parameter changes, applies them to the engine, publishes the
// display copies, runs the samples and follows the meters. Every lock here is
// only tried: a busy lock postpones its work to a later block, and the change
// bits accumulate meanwhile so that nothing is lost.

#include "effect/EngineSettings.h"
#include "effect/ParameterMapping.h"
#include "effect/QuenchboxEffect.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>
#include <mutex>

namespace quenchbox::effect {

namespace {

namespace Bits = engine::UpdateBits;

constexpr std::uint32_t changed(int parameter) { return 1u << parameter; }

// The display-dirty bits the editor reads for the groups published.
std::uint32_t displayDirtyFor(std::uint32_t published)
{
    std::uint32_t dirty = 0;
    if (published & Bits::kFrequencyGrid)
        dirty |= QuenchboxEffect::kGridDirty;
    if (published & (Bits::kInputCoupling | Bits::kStages | Bits::kOpAmpGain))
        dirty |= QuenchboxEffect::kPreCurveDirty;
    if (published & (Bits::kToneNetwork | Bits::kDeepNetwork | Bits::kOutputFilter))
        dirty |= QuenchboxEffect::kPostCurveDirty;
    return dirty;
}

}  // namespace

std::uint32_t QuenchboxEffect::takeChanges(float snapshot[kParameterCount], float& rate)
{
    std::unique_lock<EffectLock> guard(paramLock, std::try_to_lock);
    if (!guard.owns_lock() || changeMask == 0)
        return 0;
    const std::uint32_t changes = changeMask;
    changeMask = 0;
    std::copy(params, params + kParameterCount, snapshot);
    rate = sampleRate;
    return changes;
}

namespace {

// The parameters that glide as a knob does, in index order; the switches and
// choices change at once, "Enable" crosses over.
constexpr int glidingCount()
{
    int count = 0;
    for (const ParameterInfo& p : kParameters)
        count += p.glide == Glide::knob ? 1 : 0;
    return count;
}

constexpr std::array<int, glidingCount()> glidingParameters()
{
    std::array<int, glidingCount()> gliding{};
    std::size_t next = 0;
    for (const ParameterInfo& p : kParameters)
        if (p.glide == Glide::knob)
            gliding[next++] = p.index;
    return gliding;
}

constexpr std::array<int, glidingCount()> kGlidingParameters = glidingParameters();

// A glide lasts 20 steps of about a millisecond: short enough to follow a
// hand on a knob, long enough that no single coefficient step is heard.
// "Enable" crosses over in half that time.
constexpr int kGlideSteps = 20;
constexpr int kEnableFadeSteps = 10;
constexpr double kGlideStepSeconds = 0.001;
constexpr double kPi = 3.14159265358979323846;

// The coefficient groups a parameter's engine field feeds.
constexpr int groupsOf(int parameter) { return kParameters[parameter].updateGroups; }

int glideStepFramesFor(double samplePeriod)
{
    return std::max(1, static_cast<int>(std::lround(kGlideStepSeconds / samplePeriod)));
}

}  // namespace

// Writes the engine field of a continuous parameter.
void QuenchboxEffect::applyContinuous(int parameter, float value) { writeContinuousSetting(engine, parameter, value); }

// The first block, a new sample rate, a switch of oversampling and a resume
// apply every value at once; otherwise the continuous parameters and "Enable"
// glide toward their new values from where they are.
void QuenchboxEffect::applyChanges(std::uint32_t changes, const float s[kParameterCount], float rate)
{
    const bool rateBit = (changes & changed(kOversample)) != 0;  // also every sample-rate change
    const double period = rateBit ? samplePeriodFor(rate, engine.samplePeriod) : engine.samplePeriod;
    const bool oversample = rateBit ? switchActsOn(s[kOversample]) : engine.oversample;
    const bool atOnce = (changes & kApplyAtOnce) != 0 || period != engine.samplePeriod || oversample != engine.oversample;
    int bits = atOnce ? landGlides() : 0;
    if (rateBit) {
        engine.samplePeriod = period;
        engine.oversample = oversample;
        glideStepFrames = glideStepFramesFor(period);
        bits = groupsOf(kOversample);  // a new circuit rate, whatever set it
    }
    for (const int parameter : kGlidingParameters) {
        if ((changes & changed(parameter)) == 0)
            continue;
        const float value = clampUnit(s[parameter]);
        if (atOnce) {
            glides[parameter].snapTo(value);
            applyContinuous(parameter, value);
            bits |= groupsOf(parameter);
        } else {
            glides[parameter].glideTo(value, kGlideSteps);
        }
    }
    if (changes & changed(kRzMode)) {
        engine.mode = twoWayChoice(s[kRzMode]);
        bits |= groupsOf(kRzMode);
    }
    if (changes & changed(kBright)) {
        engine.bright = switchActsOn(s[kBright]);
        bits |= groupsOf(kBright);
    }
    if (changes & changed(kEnable))
        applyEnable(switchActsOn(s[kEnable]), atOnce);
    if (changes & changed(kLeds))
        engine.setLedsEnabled(switchActsOn(s[kLeds]));
    if (changes & changed(kChannels))
        channelMode = twoWayChoice(s[kChannels]) + 1;

    if (bits != 0) {
        engine.update(bits);
        publishMask |= static_cast<std::uint32_t>(bits);
    }
}

// Switching on starts the circuit at once and fades it in from the
// bypassed signal; switching off fades it out and bypasses once it is gone.
void QuenchboxEffect::applyEnable(bool on, bool atOnce)
{
    const float processed = on ? 1.0f : 0.0f;
    if (atOnce)
        enableFade.snapTo(processed);
    else
        enableFade.glideTo(processed, kEnableFadeSteps);
    if (on || atOnce)
        engine.enabled = on ? 1 : 0;
}

// Ends every glide on its target; answers the coefficient groups to
// recompute for them.
int QuenchboxEffect::landGlides()
{
    int bits = 0;
    for (const int parameter : kGlidingParameters) {
        if (glides[parameter].moving()) {
            glides[parameter].finish();
            applyContinuous(parameter, glides[parameter].value());
            bits |= groupsOf(parameter);
        }
    }
    enableFade.finish();
    engine.enabled = enableFade.value() > 0.5f ? 1 : 0;
    engine.settleOutputGains();
    glideStepFramesLeft = 0;
    unpublishedGlideBits = 0;
    return bits;
}

bool QuenchboxEffect::glidesMoving() const
{
    return enableFade.moving()
        || std::any_of(std::begin(kGlidingParameters), std::end(kGlidingParameters),
                       [this](int parameter) { return glides[parameter].moving(); });
}

// The output gains as the glides stand: the processed signal faded by the
// Enable crossover against the bypassed one. The crossover follows a raised
// cosine, so the gains start and end their way without a kink.
engine::DriveEngine::OutputGains QuenchboxEffect::outputGains() const
{
    const double processed = 0.5 - 0.5 * std::cos(kPi * enableFade.value());
    return {processed * engine.level, engine.wetGain, processed * engine.dryGain + (1.0 - processed)};
}

// One step of every glide in flight: the coefficient groups move to the
// step's values at its start, the output gains glide there sample by sample.
void QuenchboxEffect::beginGlideStep()
{
    const engine::DriveEngine::OutputGains from = outputGains();
    int bits = 0;
    for (const int parameter : kGlidingParameters) {
        ParameterGlide& glide = glides[parameter];
        if (glide.moving()) {
            glide.step();
            applyContinuous(parameter, glide.value());
            bits |= groupsOf(parameter);
        }
    }
    enableFade.step();
    if (bits != 0)
        engine.update(bits);
    engine.glideOutputGains(from, outputGains(), glideStepFrames);
    unpublishedGlideBits |= static_cast<std::uint32_t>(bits);
    glideStepFramesLeft = glideStepFrames;
}

// The display shows a coefficient group again only once no glide moves it:
// it shows where a knob went, never the way there. A finished fade-out
// bypasses the circuit.
void QuenchboxEffect::endGlideStep()
{
    std::uint32_t moving = 0;
    for (const int parameter : kGlidingParameters)
        if (glides[parameter].moving())
            moving |= static_cast<std::uint32_t>(groupsOf(parameter));
    publishMask |= unpublishedGlideBits & ~moving;
    unpublishedGlideBits &= moving;
    if (!enableFade.moving())
        engine.enabled = enableFade.value() > 0.5f ? 1 : 0;
    if (!glidesMoving())
        engine.settleOutputGains();
}

// Lands the glides, empties the circuit and the meters: from here on the
// output is that of a fresh instance with the same settings.
void QuenchboxEffect::clearCircuit()
{
    if (const int bits = landGlides()) {
        engine.update(bits);
        publishMask |= static_cast<std::uint32_t>(bits);
    }
    engine.clearState();
    meters = StageMeters{};
}

void QuenchboxEffect::publishDisplay()
{
    if (publishMask == 0 || editor == nullptr)
        return;
    std::unique_lock<EffectLock> guard(displayLock, std::try_to_lock);
    if (!guard.owns_lock())
        return;
    engine.publish(static_cast<int>(publishMask));
    displayDirty |= displayDirtyFor(publishMask);
    publishMask = 0;
}

void QuenchboxEffect::handOffMeters()
{
    if (editor == nullptr || meterHandoff == nullptr)
        return;
    std::unique_lock<EffectLock> guard(meterHandoff->lock, std::try_to_lock);
    if (!guard.owns_lock())
        return;
    meterHandoff->solver = meters.solver;
    meterHandoff->stageA = meters.stageA;
    meterHandoff->stageB = meters.stageB;
}

namespace {

// Frames handed to the engine at a time, their records on the stack.
constexpr VstInt32 kRunFrames = 64;

}  // namespace

// The left input on engine channel 0 into the left output, and into the right
// one as well when asked. A run's inputs are all read before its outputs are
// written, so in-place buffers work.
template <typename Sample>
void QuenchboxEffect::processMono(Sample** inputs, Sample** outputs, VstInt32 first, VstInt32 frames, bool toBoth)
{
    engine::EngineSample run[kRunFrames];
    for (VstInt32 start = first; start < first + frames; start += kRunFrames) {
        const VstInt32 count = std::min(kRunFrames, first + frames - start);
        for (VstInt32 n = 0; n < count; ++n)
            run[n] = engine::EngineSample{static_cast<double>(inputs[0][start + n])};
        engine.processSamples(run, count);
        for (VstInt32 n = 0; n < count; ++n) {
            const engine::EngineSample& left = run[n];
            outputs[0][start + n] = static_cast<Sample>(left.output);
            if (toBoth)
                outputs[1][start + n] = static_cast<Sample>(left.output);
            meters.follow(left.solverMonitor, left.stageAMonitor, left.stageBMonitor);
        }
    }
}

// Both channels of every frame together, each on its own engine channel.
template <typename Sample>
void QuenchboxEffect::processStereo(Sample** inputs, Sample** outputs, VstInt32 first, VstInt32 frames)
{
    engine::EngineSample left[kRunFrames];
    engine::EngineSample right[kRunFrames];
    for (VstInt32 start = first; start < first + frames; start += kRunFrames) {
        const VstInt32 count = std::min(kRunFrames, first + frames - start);
        for (VstInt32 n = 0; n < count; ++n) {
            left[n] = engine::EngineSample{static_cast<double>(inputs[0][start + n])};
            right[n] = engine::EngineSample{static_cast<double>(inputs[1][start + n])};
            right[n].channel = 1;
        }
        engine.processFrames(left, right, count);
        for (VstInt32 n = 0; n < count; ++n) {
            outputs[0][start + n] = static_cast<Sample>(left[n].output);
            outputs[1][start + n] = static_cast<Sample>(right[n].output);
            meters.follow(std::max(left[n].solverMonitor, right[n].solverMonitor),
                          std::max(left[n].stageAMonitor, right[n].stageAMonitor),
                          std::max(left[n].stageBMonitor, right[n].stageBMonitor));
        }
    }
}

// The block in pieces that end where a glide step ends, so that a step's
// coefficients change at the same frame whatever the host's block size.
template <typename Sample>
void QuenchboxEffect::processBlock(Sample** inputs, Sample** outputs, VstInt32 sampleFrames)
{
    if (closing.load(std::memory_order_acquire))
        return;

    const bool clearing = clearPending.exchange(false, std::memory_order_acq_rel);
    if (clearing)
        clearCircuit();
    float snapshot[kParameterCount];
    float rate = 0.0f;
    if (const std::uint32_t changes = takeChanges(snapshot, rate))
        applyChanges(clearing ? changes | kApplyAtOnce : changes, snapshot, rate);
    publishDisplay();

    if (sampleFrames <= 0 || inputs == nullptr || outputs == nullptr || inputs[0] == nullptr
        || outputs[0] == nullptr)
        return;

    const bool singleChannel = inputs[1] == nullptr || outputs[1] == nullptr;
    const bool stereo = !singleChannel && channelMode == 2 && hostChannels.load(std::memory_order_relaxed) == 2;
    for (VstInt32 first = 0; first < sampleFrames;) {
        if (glideStepFramesLeft == 0 && glidesMoving())
            beginGlideStep();
        const VstInt32 left = sampleFrames - first;
        const VstInt32 frames = glideStepFramesLeft > 0 ? std::min(glideStepFramesLeft, left) : left;
        if (stereo)
            processStereo(inputs, outputs, first, frames);
        else
            processMono(inputs, outputs, first, frames, !singleChannel);
        first += frames;
        if (glideStepFramesLeft > 0) {
            glideStepFramesLeft -= frames;
            if (glideStepFramesLeft == 0)
                endGlideStep();
        }
    }
    handOffMeters();
}

void QuenchboxEffect::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames)
{
    processBlock(inputs, outputs, sampleFrames);
}

void QuenchboxEffect::processDoubleReplacing(double** inputs, double** outputs, VstInt32 sampleFrames)
{
    processBlock(inputs, outputs, sampleFrames);
}

}  // namespace quenchbox::effect
