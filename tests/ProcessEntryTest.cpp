#include "EffectHarness.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <limits>
#include <mutex>
#include <thread>

namespace {

using quenchbox::testing::EffectHarness;
using quenchbox::testing::rms;
using quenchbox::testing::sine;
namespace fx = quenchbox::effect;

constexpr int kFrames = 512;

std::uint32_t takeDirtyBits(EffectHarness& h)
{
    std::lock_guard<fx::EffectLock> guard(h.effect->displayLockForEditor());
    const std::uint32_t bits = h.effect->displayDirtyBits();
    h.effect->displayDirtyBits() = 0;
    return bits;
}

void runSilence(EffectHarness& h, int frames = 16) { h.run<float>(std::vector<float>(frames), std::vector<float>(frames)); }

// Long enough for every glide to end (20 ms at 44.1 kHz), then one block
// more, whose start publishes what the glides left.
void runPastGlides(EffectHarness& h)
{
    runSilence(h, 1024);
    runSilence(h);
}

TEST(ProcessEntry, BypassIsBitExactInBothFormatsAndInPlace)
{
    EffectHarness h;
    h.set(fx::kEnable, 0.0f);
    const auto x = sine<float>(441.0, 0.8, kFrames);
    EXPECT_EQ(h.run(x, x)[0], x);

    const auto xd = sine<double>(441.0, 0.8, kFrames);
    EXPECT_EQ(h.run(xd, xd)[1], xd);

    std::vector<double> buffer = xd;
    double* io[2] = {buffer.data(), buffer.data()};
    h.process(io, io, kFrames);
    EXPECT_EQ(buffer, xd);
}

TEST(ProcessEntry, SwitchesAtExactlyOneHalfActAsOff)
{
    EffectHarness h;
    h.set(fx::kEnable, 0.5f);
    const auto x = sine<float>(441.0, 0.5, kFrames);
    EXPECT_EQ(h.run(x, x)[0], x);
}

TEST(ProcessEntry, MixEndPointsFollowTheEqualPowerLaw)
{
    const auto x = sine<double>(1000.0, 0.5, kFrames);
    EffectHarness dry;
    dry.set(fx::kMix, 0.0f);
    const auto out = dry.run(x, x)[0];
    for (int n = 0; n < kFrames; ++n)
        ASSERT_NEAR(out[n], x[n], 1e-15) << n;  // the input plus the anti-denormal offset

    EffectHarness wet;
    EffectHarness half;
    half.set(fx::kMix, 0.5f);
    const auto wetOut = wet.run(x, x)[0];
    const auto halfOut = half.run(x, x)[0];
    for (int n = 0; n < kFrames; ++n)
        ASSERT_NEAR(halfOut[n], std::sqrt(0.5) * (wetOut[n] + x[n]), 1e-12) << n;
}

TEST(ProcessEntry, ChannelLayouts)
{
    const auto left = sine<double>(300.0, 0.5, kFrames);
    const std::vector<double> silence(kFrames, 0.0);

    // Stereo: "Channels" 2 and a two-channel host; each channel on its own,
    // so a silent left channel sounds as if the right did not exist.
    EffectHarness stereo;
    stereo.set(fx::kChannels, 1.0f);
    stereo.set(fx::kMix, 0.5f);
    auto out = stereo.run(silence, left);
    EffectHarness silent;
    silent.set(fx::kMix, 0.5f);
    const auto alone = silent.run(silence, silence)[0];
    for (int n = 0; n < kFrames; ++n)
        ASSERT_NEAR(out[0][n], alone[n], 1e-12) << n;
    EXPECT_GT(rms(out[1]), 0.05);

    // Mono to both: the left input feeds both outputs, the right is ignored.
    EffectHarness mono;
    mono.set(fx::kMix, 0.5f);
    out = mono.run(left, silence);
    EXPECT_EQ(out[0], out[1]);
    EXPECT_GT(rms(out[0]), 0.05);

    // "Channels" 0.5 selects stereo, but a host announcing one channel gets mono to both.
    EffectHarness announcedMono;
    announcedMono.set(fx::kChannels, 0.5f);
    announcedMono.set(fx::kMix, 0.5f);
    announcedMono.announceChannels(1);
    out = announcedMono.run(silence, left);
    EXPECT_EQ(out[0], out[1]);
    for (int n = 0; n < kFrames; ++n)
        ASSERT_NEAR(out[0][n], alone[n], 1e-12) << n;
}

TEST(ProcessEntry, SingleChannelHostsAndInPlaceBuffers)
{
    const auto x = sine<float>(300.0, 0.5, kFrames);
    EffectHarness reference;
    const auto expected = reference.run(x, x)[0];

    // In place, and with no second output: the second buffer is never touched.
    EffectHarness h;
    std::vector<float> buffer = x;
    float* inputs[2] = {buffer.data(), nullptr};
    float* outputs[2] = {buffer.data(), nullptr};
    h.process(inputs, outputs, kFrames);
    EXPECT_EQ(buffer, expected);

    EffectHarness stereo;
    stereo.set(fx::kChannels, 1.0f);
    const auto separate = stereo.run(x, x);
    EffectHarness stereoInPlace;
    stereoInPlace.set(fx::kChannels, 1.0f);
    std::vector<float> l = x;
    std::vector<float> r = x;
    float* io[2] = {l.data(), r.data()};
    stereoInPlace.process(io, io, kFrames);
    EXPECT_EQ(l, separate[0]);
    EXPECT_EQ(r, separate[1]);
}

TEST(ProcessEntry, MissingBuffersAndEmptyBlocksAreHarmless)
{
    EffectHarness h;
    h.attachStubEditor();
    float* none[2] = {nullptr, nullptr};
    h.process(none, none, 64);
    h.process(static_cast<float**>(nullptr), static_cast<float**>(nullptr), 64);
    float sample = 0.5f;
    float* one[2] = {&sample, nullptr};
    h.process(one, one, 0);
    h.process(one, one, -5);
    EXPECT_EQ(sample, 0.5f);
    // Parameters were still applied and published.
    EXPECT_EQ(takeDirtyBits(h), 0x7u);
}

TEST(ProcessEntry, ChangesReachTheEngineAsTheirCoefficientGroups)
{
    EffectHarness h;
    h.attachStubEditor();
    runSilence(h);
    EXPECT_EQ(takeDirtyBits(h), 0x7u);  // the first block recomputes and publishes everything

    h.set(fx::kMix, 0.3f);
    h.set(fx::kEnable, 1.0f);
    h.set(fx::kChannels, 1.0f);
    h.set(fx::kLeds, 0.0f);
    runSilence(h);
    EXPECT_EQ(takeDirtyBits(h), 0u);

    h.set(fx::kScale, 0.7f);
    runPastGlides(h);
    EXPECT_EQ(takeDirtyBits(h), 0x6u);

    h.set(fx::kDrive, 0.7f);
    runPastGlides(h);
    EXPECT_EQ(takeDirtyBits(h), 0x2u);

    h.set(fx::kTreble, 0.7f);
    runPastGlides(h);
    EXPECT_EQ(takeDirtyBits(h), 0x4u);

    h.set(fx::kOversample, 0.0f);
    runSilence(h);
    EXPECT_EQ(takeDirtyBits(h), 0x7u);

    h.dispatch(effSetSampleRate, 0, 0, nullptr, 96000.0f);
    runSilence(h);
    EXPECT_EQ(takeDirtyBits(h), 0x7u);
}

TEST(ProcessEntry, PublishingWaitsForABusyDisplayLock)
{
    EffectHarness h;
    h.attachStubEditor();
    runSilence(h);
    takeDirtyBits(h);

    h.set(fx::kDrive, 0.9f);
    {
        std::lock_guard<fx::EffectLock> editorHolds(h.effect->displayLockForEditor());
        runSilence(h);
    }
    h.set(fx::kBass, 0.1f);
    runPastGlides(h);
    EXPECT_EQ(takeDirtyBits(h), 0x6u);  // both postponed changes published together
}

TEST(ProcessEntry, ABusyParameterLockPostponesChangesToTheNextBlock)
{
    EffectHarness h;
    const auto x = sine<float>(441.0, 0.5, kFrames);
    h.run(x, x);
    h.set(fx::kEnable, 0.0f);

    std::mutex handshake;
    std::atomic<bool> held{false};
    std::atomic<bool> release{false};
    std::thread holder([&] {
        std::lock_guard<fx::EffectLock> guard(h.effect->parameterLock());
        held = true;
        while (!release)
            std::this_thread::yield();
    });
    while (!held)
        std::this_thread::yield();
    const auto whileBusy = h.run(x, x)[0];  // must not wait, and runs with the old settings
    release = true;
    holder.join();
    EXPECT_NE(whileBusy, x);

    EXPECT_NE(h.run(x, x)[0], x);  // the crossover to the bypassed signal
    EXPECT_EQ(h.run(x, x)[0], x);  // now bypassed
}

TEST(ProcessEntry, NonFiniteInputEntersTheCircuitAsSilence)
{
    const float inf = std::numeric_limits<float>::infinity();
    std::vector<float> poisoned = sine<float>(200.0, 0.5, kFrames);
    std::vector<float> clean = poisoned;
    for (int n : {3, 4, 100, 101, 102}) {
        poisoned[n] = n % 2 ? std::numeric_limits<float>::quiet_NaN() : (n == 100 ? inf : -inf);
        clean[n] = 0.0f;
    }
    for (float oversample : {0.0f, 1.0f}) {
        EffectHarness a;
        EffectHarness b;
        a.set(fx::kOversample, oversample);
        b.set(fx::kOversample, oversample);
        EXPECT_EQ(a.run(poisoned, poisoned)[0], b.run(clean, clean)[0]) << "oversample " << oversample;
        EXPECT_EQ(a.run(clean, clean)[0], b.run(clean, clean)[0]);
    }
}

// A finite sample far beyond any audio level would overflow the 8x
// interpolator and leave NaN in its history for good; such samples are held
// at the input limit, and a bypassed plug-in passes NaN and infinities on as
// silence.
TEST(ProcessEntry, AbsurdSamplesLeaveNoLastingTrace)
{
    const auto clean = sine<double>(200.0, 0.5, 44100);
    for (float oversample : {0.0f, 1.0f}) {
        EffectHarness h;
        h.set(fx::kOversample, oversample);
        h.set(fx::kMix, 0.5f);
        std::vector<double> absurd(kFrames, 1e300);
        absurd[7] = -1e308;
        const auto spike = h.run(absurd, absurd)[0];
        for (double sample : spike)
            ASSERT_TRUE(std::isfinite(sample)) << "oversample " << oversample;
        const auto out = h.run(clean, clean)[0];
        for (double sample : out)
            ASSERT_TRUE(std::isfinite(sample)) << "oversample " << oversample;
        EXPECT_LT(std::fabs(out.back()), 2.0) << "oversample " << oversample;
    }

    EffectHarness bypassed;
    bypassed.set(fx::kEnable, 0.0f);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const auto out = bypassed.run(std::vector<double>{0.25, nan, inf, -inf, 1e300}, {0.0, 0.0, 0.0, 0.0, 0.0});
    EXPECT_EQ(out[0], (std::vector<double>{0.25, 0.0, 0.0, 0.0, 1e300}));
}

TEST(ProcessEntry, OutOfRangeParameterValuesKeepTheOutputFinite)
{
    EffectHarness h;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float values[] = {nan, 1e30f, -1e30f, std::numeric_limits<float>::infinity(), -2.0f, 1.2727273f};
    const auto x = sine<double>(200.0, 0.9, 256);
    for (float v : values) {
        for (int i = 0; i < 16; ++i)
            h.set(i, v);
        const auto out = h.run(x, x);
        for (double sample : out[0])
            ASSERT_TRUE(std::isfinite(sample)) << "value " << v;
    }
}

TEST(ProcessEntry, ExtremeSampleRatesKeepTheOutputFinite)
{
    EffectHarness h;
    const auto x = sine<double>(200.0, 0.9, 256);
    const float inf = std::numeric_limits<float>::infinity();
    for (float rate : {8000.0f, 22050.0f, 192000.0f, 768000.0f, 0.0f, -44100.0f, inf, -inf,
                       std::numeric_limits<float>::quiet_NaN(), 1.0f, 1e7f, 44100.0f}) {
        h.dispatch(effSetSampleRate, 0, 0, nullptr, rate);
        for (float oversample : {0.0f, 1.0f}) {
            h.set(fx::kOversample, oversample);
            const auto out = h.run(x, x);
            for (double sample : out[0])
                ASSERT_TRUE(std::isfinite(sample)) << rate;
        }
    }
}

TEST(ProcessEntry, SameInputGivesTheSameOutputInEveryFreshInstance)
{
    const auto x = sine<float>(123.0, 0.7, 4096);
    EffectHarness a;
    const auto first = a.run(x, x)[0];
    EffectHarness b;
    EXPECT_EQ(b.run(x, x)[0], first);
}

TEST(StageMeters, PeakAttacksAtOnceAndReleasesOnePercentPerFrame)
{
    fx::StageMeters m;
    m.follow(-1.0, 0.0, 0.0);
    EXPECT_EQ(m.solver, 1.0);
    m.follow(0.0, 0.0, 0.0);
    EXPECT_DOUBLE_EQ(m.solver, 1.0 - fx::StageMeters::kRate);
    for (int n = 0; n < 99; ++n)
        m.follow(0.0, 0.0, 0.0);
    EXPECT_NEAR(m.solver, std::pow(1.0 - fx::StageMeters::kRate, 100), 1e-12);
    EXPECT_NEAR(fx::StageMeters::kRate, 0.01, 1e-9);
}

TEST(StageMeters, DriveMetersAreSmoothedBothWays)
{
    fx::StageMeters m;
    m.follow(0.0, 1.0, -1.0);
    EXPECT_DOUBLE_EQ(m.stageA, fx::StageMeters::kRate);
    EXPECT_DOUBLE_EQ(m.stageB, -fx::StageMeters::kRate);
}

TEST(StageMeters, AreHandedToTheEditorWhenItsLockIsFree)
{
    EffectHarness h;
    h.attachStubEditor();
    fx::MeterHandoff handoff;
    h.effect->attachMeterHandoff(&handoff);
    handoff.solver = -1.0;
    runSilence(h);
    EXPECT_EQ(handoff.solver, h.effect->stageMeters().solver);

    handoff.solver = -1.0;
    {
        std::lock_guard<fx::EffectLock> editorHolds(handoff.lock);
        runSilence(h);
    }
    EXPECT_EQ(handoff.solver, -1.0);  // dropped for this block only
    runSilence(h);
    EXPECT_EQ(handoff.stageA, h.effect->stageMeters().stageA);
}

}  // namespace
