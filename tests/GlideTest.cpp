// Parameter glides: a change of a continuous parameter reaches the sound as
// a short movement, "Enable" as a crossover, while the host and the display
// see the new value at once.

#include "EffectHarness.h"
#include "effect/ParameterMapping.h"
#include "engine/ResponseCurves.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <vector>

namespace {

using quenchbox::testing::EffectHarness;
using quenchbox::testing::sine;
namespace fx = quenchbox::effect;

// 20 ms at 44.1 kHz and a little more: every glide has ended.
constexpr int kPastGlide = 1024;

struct Change {
    int frame;
    int index;
    float value;
};

// Plays x through the effect in blocks of `block` frames, cut also where a
// change is due so that every change lands at its frame; -1 as index
// resumes the effect, -2 switches the program to `value`.
std::vector<float> play(EffectHarness& h, const std::vector<float>& x, int block, const std::vector<Change>& changes = {})
{
    std::vector<float> in = x;
    std::vector<float> out(x.size());
    std::size_t next = 0;
    for (int start = 0; start < static_cast<int>(x.size());) {
        for (; next < changes.size() && changes[next].frame == start; ++next) {
            const Change& c = changes[next];
            if (c.index == -1)
                h.dispatch(effMainsChanged, 0, 1);
            else if (c.index == -2)
                h.dispatch(effSetProgram, 0, static_cast<VstIntPtr>(c.value));
            else
                h.set(c.index, c.value);
        }
        int frames = std::min(block, static_cast<int>(x.size()) - start);
        if (next < changes.size())
            frames = std::min(frames, changes[next].frame - start);
        float* inputs[2] = {in.data() + start, in.data() + start};
        float* outputs[2] = {out.data() + start, nullptr};
        h.process(inputs, outputs, frames);
        start += frames;
    }
    return out;
}

std::vector<float> guitar(int frames) { return sine<float>(220.0, 0.3, frames); }

// Largest |x[n+1] - 2 x[n] + x[n-1]| from frame `from` on: how hard the
// signal bends from one sample to the next.
double largestBend(const std::vector<float>& x, int from, int to)
{
    double most = 0.0;
    for (int n = std::max(from, 1); n + 1 < to; ++n)
        most = std::max(most, std::fabs(static_cast<double>(x[n + 1]) - 2.0 * x[n] + x[n - 1]));
    return most;
}

// The response display's curves from the copies the effect last published,
// pre curve first.
std::vector<float> displayCurves(EffectHarness& h)
{
    std::lock_guard<fx::EffectLock> guard(h.effect->displayLockForEditor());
    quenchbox::engine::ResponseCurves curves;
    curves.computeGrid(44100.0f, false);
    curves.computePre(h.effect->driveEngine());
    curves.computePost(h.effect->driveEngine());
    std::vector<float> points;
    for (int i = 0; i < quenchbox::engine::ResponseCurves::kPointCount; ++i)
        points.push_back(curves.pre(i));
    for (int i = 0; i < quenchbox::engine::ResponseCurves::kPointCount; ++i)
        points.push_back(curves.post(i));
    return points;
}

// The settings, the op-amp stages' closed-loop breakpoints and the display
// copies of every section (both effects have published everything).
void expectSameCoefficients(EffectHarness& a, EffectHarness& b)
{
    const auto& x = a.effect->driveEngine();
    const auto& y = b.effect->driveEngine();
    EXPECT_EQ(x.drive, y.drive);
    EXPECT_EQ(x.level, y.level);
    EXPECT_EQ(x.bass, y.bass);
    EXPECT_EQ(x.middle, y.middle);
    EXPECT_EQ(x.treble, y.treble);
    EXPECT_EQ(x.deepAmount, y.deepAmount);
    EXPECT_EQ(x.supplyVoltage, y.supplyVoltage);
    EXPECT_EQ(x.opAmpGain, y.opAmpGain);
    EXPECT_EQ(x.scale, y.scale);
    EXPECT_EQ(x.dryGain, y.dryGain);
    EXPECT_EQ(x.wetGain, y.wetGain);
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(x.stageASection().loopBound(k), y.stageASection().loopBound(k)) << k;
        EXPECT_EQ(x.stageBSection().loopBound(k), y.stageBSection().loopBound(k)) << k;
    }
    EXPECT_EQ(displayCurves(a), displayCurves(b));
}

TEST(Glides, TheSameChangesGiveTheSameBitsInEveryInstanceAndAtEveryBlockSize)
{
    const auto x = guitar(8192);
    const std::vector<Change> changes = {{1000, fx::kDrive, 0.9f},   {1300, fx::kLevel, 0.8f},
                                         {1500, fx::kDrive, 0.1f},   {2000, fx::kEnable, 0.0f},
                                         {2200, fx::kEnable, 1.0f},  {3000, fx::kTreble, 0.9f},
                                         {3100, fx::kMix, 0.4f},     {3110, fx::kScale, 0.8f},
                                         {5000, fx::kVoltage, 0.9f}, {5001, fx::kBass, 0.1f}};
    EffectHarness reference;
    const auto expected = play(reference, x, 64, changes);
    for (int block : {64, 1, 7, 256, 4096}) {
        EffectHarness h;
        EXPECT_EQ(play(h, x, block, changes), expected) << "blocks of " << block;
    }
}

TEST(Glides, EveryContinuousParameterEndsOnTheCoefficientsOfADirectSetting)
{
    const auto x = guitar(2 * kPastGlide);
    for (int index : {fx::kDrive, fx::kLevel, fx::kBass, fx::kMiddle, fx::kTreble, fx::kDeep, fx::kVoltage,
                      fx::kOpAmpGain, fx::kScale, fx::kMix}) {
        EffectHarness gliding;
        EffectHarness direct;
        gliding.attachStubEditor();
        direct.attachStubEditor();
        play(gliding, x, 64, {{100, index, 0.83f}});
        play(direct, x, 64, {{100, index, 0.83f}, {100, -1, 0.0f}});
        SCOPED_TRACE(index);
        expectSameCoefficients(gliding, direct);
    }
}

TEST(Glides, TheFirstBlockANewRateAndAResumeApplyEveryValueAtOnce)
{
    const auto x = guitar(16);
    const double target = fx::driveFraction(0.9f);

    EffectHarness fresh;
    fresh.set(fx::kDrive, 0.9f);
    play(fresh, x, 16);
    EXPECT_EQ(fresh.effect->driveEngine().drive, target);

    EffectHarness gliding;
    play(gliding, x, 16);
    play(gliding, x, 16, {{0, fx::kDrive, 0.9f}});
    const double along = gliding.effect->driveEngine().drive;
    EXPECT_GT(along, fx::driveFraction(0.33f));
    EXPECT_LT(along, target);

    // A glide in flight lands on its target as well.
    EffectHarness newRate;
    play(newRate, x, 16, {{0, fx::kLevel, 0.9f}});
    newRate.dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    play(newRate, x, 16, {{0, fx::kDrive, 0.9f}});
    EXPECT_EQ(newRate.effect->driveEngine().drive, target);
    EXPECT_EQ(newRate.effect->driveEngine().level, fx::levelFraction(0.9f));

    EffectHarness resumed;
    play(resumed, x, 16);
    play(resumed, x, 16, {{0, fx::kDrive, 0.9f}, {0, -1, 0.0f}});
    EXPECT_EQ(resumed.effect->driveEngine().drive, target);
}

TEST(Glides, AProgramSwitchGlidesItsContinuousParametersAndSwitchesTheRest)
{
    const auto x = guitar(64);
    EffectHarness h;
    play(h, x, 64);
    play(h, x, 64, {{0, -2, 3.0f}});  // "Grunge": Drive 1, the second circuit variant
    const auto& engine = h.effect->driveEngine();
    EXPECT_GT(engine.drive, fx::driveFraction(0.33f));
    EXPECT_LT(engine.drive, 1.0);
    EXPECT_EQ(engine.mode, 1);
    play(h, guitar(kPastGlide), 64);
    EXPECT_EQ(engine.drive, 1.0);
}

TEST(Glides, ANewTargetMidwayIsApproachedFromWhereTheGlideIs)
{
    const auto x = guitar(220);  // five steps of the twenty
    EffectHarness h;
    play(h, x, 64, {{0, fx::kDrive, 0.2f}, {0, -1, 0.0f}});
    play(h, x, 64, {{0, fx::kDrive, 0.8f}});
    const double midway = h.effect->driveEngine().drive;
    EXPECT_GT(midway, fx::driveFraction(0.2f));
    EXPECT_LT(midway, fx::driveFraction(0.4f));

    play(h, guitar(44), 44, {{0, fx::kDrive, 0.2f}});  // one step back toward 0.2
    const double back = h.effect->driveEngine().drive;
    EXPECT_LT(back, midway);
    EXPECT_GT(back, fx::driveFraction(0.2f));
    EXPECT_GT(back - fx::driveFraction(0.2f), 0.9 * (midway - fx::driveFraction(0.2f)));
}

TEST(Glides, EnableCrossesOverAndEndsBitExact)
{
    const auto x = guitar(4096);
    for (int block : {64, 1000}) {
        SCOPED_TRACE(block);
        EffectHarness h;
        const auto out = play(h, x, block, {{1000, fx::kEnable, 0.0f}});
        // Bypassed from 10 ms after the switch on, not before.
        EXPECT_FALSE(std::equal(out.begin() + 1000, out.begin() + 1400, x.begin() + 1000));
        EXPECT_TRUE(std::equal(out.begin() + 1441, out.end(), x.begin() + 1441));
        // No jump at the switch beyond what the signals themselves do.
        EXPECT_LT(largestBend(out, 990, 1460), 1.5 * std::max(largestBend(out, 500, 990), largestBend(x, 500, 990)));
    }

    // Switched on again, the crossover ends on exactly what a direct switch plays.
    EffectHarness fading;
    EffectHarness direct;
    const std::vector<Change> off = {{500, fx::kEnable, 0.0f}, {2000, fx::kEnable, 1.0f}};
    const auto faded = play(fading, x, 64, off);
    const auto switched = play(direct, x, 64, {off[0], off[1], {2000, -1, 0.0f}});
    EXPECT_NE(std::vector<float>(faded.begin() + 2000, faded.begin() + 2400),
              std::vector<float>(switched.begin() + 2000, switched.begin() + 2400));
    EXPECT_EQ(std::vector<float>(faded.begin() + 2441, faded.end()),
              std::vector<float>(switched.begin() + 2441, switched.end()));
}

TEST(Glides, LevelAndDriveChangesBendTheSignalNoMoreThanTheSignalItself)
{
    const auto x = sine<float>(1000.0, 0.3, 4096);
    for (int index : {fx::kLevel, fx::kDrive}) {
        SCOPED_TRACE(index);
        EffectHarness gliding;
        EffectHarness direct;
        gliding.set(index, 0.95f);
        direct.set(index, 0.95f);
        const auto smooth = play(gliding, x, 256, {{2040, index, 0.3f}});
        const auto stepped = play(direct, x, 256, {{2040, index, 0.3f}, {2040, -1, 0.0f}});
        // The signal bends no more on the way than at either setting.
        const double settings = std::max(largestBend(smooth, 1000, 2040), largestBend(smooth, 3100, 4096));
        EXPECT_LE(largestBend(smooth, 2040, 3100), 1.05 * settings);
        // A direct change of the level gain makes a kink at the change.
        if (index == fx::kLevel) {
            EXPECT_GT(largestBend(stepped, 2036, 2044), 1.5 * settings);
        }
    }
}

TEST(Glides, TheHostSeesTheTargetAtOnceAndTheDisplayNeverAPointOnTheWay)
{
    EffectHarness gliding;
    EffectHarness direct;
    gliding.attachStubEditor();
    direct.attachStubEditor();
    const auto x = guitar(64);
    play(gliding, x, 64);
    play(direct, x, 64);

    const auto before = displayCurves(gliding);

    play(gliding, x, 64, {{0, fx::kDrive, 0.95f}});
    EXPECT_EQ(gliding.get(fx::kDrive), 0.95f);
    direct.set(fx::kDrive, 0.95f);
    EXPECT_EQ(gliding.text(effGetParamDisplay, fx::kDrive), direct.text(effGetParamDisplay, fx::kDrive));
    EXPECT_EQ(displayCurves(gliding), before);

    play(direct, x, 64, {{0, -1, 0.0f}});
    play(gliding, guitar(kPastGlide), 64);
    play(direct, guitar(kPastGlide), 64);
    EXPECT_NE(displayCurves(gliding), before);
    EXPECT_EQ(displayCurves(gliding), displayCurves(direct));
}

}  // namespace
