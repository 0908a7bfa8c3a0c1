// The response display's data: the frequency grid and the pre and post
// curves, computed from what the engine published.

#include "EffectHarness.h"
#include "effect/ResponsePreview.h"
#include "engine/ResponseCurves.h"

#include <gtest/gtest.h>

#include <complex>
#include <mutex>

namespace {

using quenchbox::engine::DriveEngine;
using quenchbox::engine::ResponseCurves;
using quenchbox::testing::EffectHarness;
namespace fx = quenchbox::effect;

constexpr double kPi = 3.14159265358979323846;

// Curves as the editor computes them: under the display lock, after a block
// has applied and published the settings.
struct DisplayedCurves {
    explicit DisplayedCurves(EffectHarness& h, float rate = 44100.0f)
    {
        h.run<float>(std::vector<float>(8), std::vector<float>(8));
        std::lock_guard<fx::EffectLock> guard(h.effect->displayLockForEditor());
        curves.computeGrid(rate, h.get(fx::kOversample) > 0.5f);
        curves.computePre(h.effect->driveEngine());
        curves.computePost(h.effect->driveEngine());
    }
    ResponseCurves curves;
};

TEST(ResponseGrid, SpansTwentyHertzToNyquistAtTheCircuitRate)
{
    ResponseCurves curves;
    curves.computeGrid(44100.0f, false);
    EXPECT_FLOAT_EQ(curves.point(0).frequency, 20.0f);
    const auto& last = curves.point(ResponseCurves::kPointCount - 1);
    EXPECT_NEAR(last.frequency, 22050.0f, 0.5f);
    EXPECT_NEAR(last.omega, kPi, 1e-4);
    EXPECT_NEAR(last.v, 4.0f, 1e-6f);
    EXPECT_NEAR(last.z.real(), -1.0f, 1e-6f);

    curves.computeGrid(44100.0f, true);
    EXPECT_NEAR(curves.point(ResponseCurves::kPointCount - 1).omega, kPi / 8.0, 1e-5);
    for (int i = 1; i < ResponseCurves::kPointCount; ++i)
        ASSERT_NEAR(curves.point(i).frequency / curves.point(i - 1).frequency, std::pow(1102.5, 1.0 / 180.0), 1e-5);
}

TEST(ResponseCurves, AreTheProductsOfTheSectionsEvaluatedInDoublePrecision)
{
    EffectHarness h;
    h.attachStubEditor();
    h.dispatch(effSetProgram, 0, 4);  // Screaming Solo: second variant, Deep and Bright in
    const DisplayedCurves shown(h);
    const DriveEngine& engine = h.effect->driveEngine();
    const double period = engine.effectivePeriod();

    // The input coupling and output filter in double precision from their own formulas.
    const double w = period * 99.9000999000999;
    const double c1 = 1.0 / (1.0 + 0.5 * w);
    const auto& out = engine.outputFilterSection();
    for (int i = 0; i < ResponseCurves::kPointCount; i += 9) {
        const auto& p = shown.curves.point(i);
        const std::complex<double> zInv = std::polar(1.0, -static_cast<double>(p.omega));
        const double coupling = std::norm(c1 * 0.999000999000999 * (1.0 - zInv) / (1.0 - (1.0 - c1 * w) * zInv));
        const double filter = std::norm(out.b0 + out.b1 * zInv / (1.0 - out.a * zInv));

        const double stages = engine.stageASection().response(p.z) * engine.stageBSection().response(p.z);
        EXPECT_NEAR(shown.curves.pre(i) / (32.0 * coupling * stages), 1.0, 1e-4) << p.frequency;

        const double tone = engine.solverSection().response(p.z) * engine.deepSection().response(p.z);
        EXPECT_NEAR(shown.curves.post(i) / (filter * tone), 1.0, 1e-4) << p.frequency;
    }
}

TEST(ResponseCurves, TheFirstVariantHasNoDeepFactor)
{
    EffectHarness h;
    h.attachStubEditor();
    h.set(fx::kRzMode, 1.0f);
    h.set(fx::kDeep, 1.0f);
    const DisplayedCurves deep(h);

    h.set(fx::kRzMode, 0.0f);
    const DisplayedCurves plain(h);
    const DriveEngine& engine = h.effect->driveEngine();
    for (int i = 0; i < ResponseCurves::kPointCount; i += 20) {
        const auto z = plain.curves.point(i).z;
        EXPECT_FLOAT_EQ(plain.curves.post(i),
                        engine.outputFilterSection().response(z) * engine.solverSection().response(z));
    }
    // The Deep network lifts the low end by several dB in the second variant.
    EXPECT_GT(deep.curves.post(10) / plain.curves.post(10), 2.0f);
}

TEST(ResponseCurves, FollowTheSampleRateAndOversampling)
{
    EffectHarness h;
    h.attachStubEditor();
    const DisplayedCurves at44(h);
    h.dispatch(effSetSampleRate, 0, 0, nullptr, 96000.0f);
    const DisplayedCurves at96(h, 96000.0f);
    h.set(fx::kOversample, 1.0f);
    const DisplayedCurves oversampled(h, 96000.0f);

    // The same analog circuit: the curves agree well below Nyquist, whatever the rate.
    for (int i = 0; i < 100; i += 10) {
        EXPECT_NEAR(10 * std::log10(at96.curves.post(i) / at44.curves.post(i)), 0.0, 0.2) << i;
        EXPECT_NEAR(10 * std::log10(oversampled.curves.pre(i) / at96.curves.pre(i)), 0.0, 0.2) << i;
    }
}

}  // namespace

namespace {

// The curves of a UI apart from the effect (the LV2 UI) are computed from
// the settings alone; they are the running effect's, bit for bit, whether it
// took its values at once or glided to them from another program, at any
// rate and with oversampling.
TEST(ResponsePreview, GivesTheCurvesTheRunningEffectPublishes)
{
    struct Case {
        int program;
        float rate;
        bool oversample;
    };
    for (const Case c : {Case{0, 44100.0f, false}, Case{1, 48000.0f, false}, Case{4, 44100.0f, true},
                         Case{6, 96000.0f, false}, Case{8, 44100.0f, false}}) {
        SCOPED_TRACE(c.program);
        EffectHarness h;
        h.attachStubEditor();
        h.dispatch(effSetSampleRate, 0, 0, nullptr, c.rate);
        h.run<float>(std::vector<float>(256), std::vector<float>(256));  // program 0 at once
        h.dispatch(effSetProgram, 0, c.program);
        h.set(fx::kOversample, c.oversample ? 1.0f : 0.0f);
        for (int block = 0; block < 40; ++block)  // glides of 20 ms land
            h.run<float>(std::vector<float>(256), std::vector<float>(256));
        const DisplayedCurves shown(h, c.rate);

        float values[fx::kParameterCount];
        for (int i = 0; i < fx::kParameterCount; ++i)
            values[i] = h.get(i);
        fx::ResponsePreview preview;
        ResponseCurves computed;
        EXPECT_TRUE(preview.update(values, c.rate, computed));
        EXPECT_FALSE(preview.update(values, c.rate, computed));  // nothing changed
        for (int i = 0; i < ResponseCurves::kPointCount; ++i) {
            ASSERT_EQ(computed.point(i).frequency, shown.curves.point(i).frequency) << i;
            ASSERT_EQ(computed.pre(i), shown.curves.pre(i)) << i;
            ASSERT_EQ(computed.post(i), shown.curves.post(i)) << i;
        }
    }
}

}  // namespace
