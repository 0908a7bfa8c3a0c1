// The audio thread's side of QuenchboxEffect: once per block it takes the
// accumulated parameter changes, applies them to the engine, publishes the
// display copies, runs the samples and follows the meters. Every lock here is
// only tried: a busy lock postpones its work to a later block, and the change
// bits accumulate meanwhile so that nothing is lost.

#include "effect/ParameterMapping.h"
#include "effect/QuenchboxEffect.h"
#include "engine/MixLaw.h"

#include <algorithm>
#include <mutex>

namespace quenchbox::effect {

namespace {

namespace Bits = engine::UpdateBits;

constexpr std::uint32_t changed(int parameter) { return 1u << parameter; }

// The display-dirty bits the editor reads: frequency grid, pre curve (input
// coupling and op-amp stages), post curve (tone circuit, deep network, output
// filter).
constexpr std::uint32_t kGridDirty = 0x1;
constexpr std::uint32_t kPreCurveDirty = 0x2;
constexpr std::uint32_t kPostCurveDirty = 0x4;

std::uint32_t displayDirtyFor(std::uint32_t published)
{
    std::uint32_t dirty = 0;
    if (published & Bits::kFrequencyGrid)
        dirty |= kGridDirty;
    if (published & (Bits::kInputCoupling | Bits::kStages | Bits::kOpAmpGain))
        dirty |= kPreCurveDirty;
    if (published & (Bits::kToneNetwork | Bits::kDeepNetwork | Bits::kOutputFilter))
        dirty |= kPostCurveDirty;
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

void QuenchboxEffect::applyChanges(std::uint32_t changes, const float s[kParameterCount], float rate)
{
    int bits = 0;
    if (changes & changed(kOversample)) {  // also every sample-rate change
        engine.samplePeriod = samplePeriodFor(rate, engine.samplePeriod);
        engine.oversample = switchActsOn(s[kOversample]);
        bits = Bits::kAll;
    }
    if (changes & changed(kDrive)) {
        engine.drive = driveFraction(s[kDrive]);
        bits |= Bits::kStages;
    }
    if (changes & changed(kLevel)) {
        engine.level = levelFraction(s[kLevel]);
        bits |= Bits::kOutputFilter;
    }
    if (changes & changed(kVoltage)) {
        engine.supplyVoltage = supplyVoltage(s[kVoltage]);
        bits |= Bits::kSupplyVoltage;
    }
    if (changes & changed(kOpAmpGain)) {
        engine.opAmpGain = opAmpGain(s[kOpAmpGain]);
        bits |= Bits::kOpAmpGain;
    }
    if (changes & changed(kDeep)) {
        engine.deepAmount = deepFraction(s[kDeep]);
        bits |= Bits::kDeepNetwork;
    }
    if (changes & changed(kBass)) {
        engine.bass = clampUnit(s[kBass]);
        bits |= Bits::kToneNetwork;
    }
    if (changes & changed(kMiddle)) {
        engine.middle = clampUnit(s[kMiddle]);
        bits |= Bits::kToneNetwork;
    }
    if (changes & changed(kTreble)) {
        engine.treble = clampUnit(s[kTreble]);
        bits |= Bits::kToneNetwork;
    }
    if (changes & changed(kRzMode)) {
        engine.mode = twoWayChoice(s[kRzMode]);
        bits |= Bits::kToneNetwork | Bits::kOutputFilter;
    }
    if (changes & changed(kScale)) {
        engine.scale = clampUnit(s[kScale]) - 0.5f;
        bits |= Bits::kTimeScale;
    }
    if (changes & changed(kBright)) {
        engine.bright = switchActsOn(s[kBright]);
        bits |= Bits::kOutputFilter;
    }
    if (changes & changed(kMix)) {
        const engine::MixGains mix = engine::equalPowerMix(clampUnit(s[kMix]));
        engine.dryGain = mix.dry;
        engine.wetGain = mix.wet;
    }
    if (changes & changed(kEnable))
        engine.enabled = switchActsOn(s[kEnable]) ? 1 : 0;
    if (changes & changed(kLeds))
        engine.setLedsEnabled(switchActsOn(s[kLeds]));
    if (changes & changed(kChannels))
        channelMode = twoWayChoice(s[kChannels]) + 1;

    if (bits != 0) {
        engine.update(bits);
        publishMask |= static_cast<std::uint32_t>(bits);
    }
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
void QuenchboxEffect::processMono(Sample** inputs, Sample** outputs, VstInt32 sampleFrames, bool toBoth)
{
    engine::EngineSample run[kRunFrames];
    for (VstInt32 start = 0; start < sampleFrames; start += kRunFrames) {
        const VstInt32 count = std::min(kRunFrames, sampleFrames - start);
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
void QuenchboxEffect::processStereo(Sample** inputs, Sample** outputs, VstInt32 sampleFrames)
{
    engine::EngineSample left[kRunFrames];
    engine::EngineSample right[kRunFrames];
    for (VstInt32 start = 0; start < sampleFrames; start += kRunFrames) {
        const VstInt32 count = std::min(kRunFrames, sampleFrames - start);
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

template <typename Sample>
void QuenchboxEffect::processBlock(Sample** inputs, Sample** outputs, VstInt32 sampleFrames)
{
    if (closing.load(std::memory_order_acquire))
        return;

    float snapshot[kParameterCount];
    float rate = 0.0f;
    if (const std::uint32_t changes = takeChanges(snapshot, rate))
        applyChanges(changes, snapshot, rate);
    publishDisplay();

    if (sampleFrames <= 0 || inputs == nullptr || outputs == nullptr || inputs[0] == nullptr
        || outputs[0] == nullptr)
        return;

    const bool singleChannel = inputs[1] == nullptr || outputs[1] == nullptr;
    const bool stereo = !singleChannel && channelMode == 2 && hostChannels.load(std::memory_order_relaxed) == 2;
    if (stereo)
        processStereo(inputs, outputs, sampleFrames);
    else
        processMono(inputs, outputs, sampleFrames, !singleChannel);
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
