#include "engine/OpAmpStageA.h"
#include "engine/OpAmpStageB.h"
#include "tests/SteadyStateResponse.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>

namespace {

using quenchbox::engine::OpAmpStageA;
using quenchbox::engine::OpAmpStageB;
using quenchbox::tests::decibels;
using quenchbox::tests::steadyStateResponse;
using Complex = std::complex<double>;

constexpr double kPi = 3.14159265358979323846;
constexpr double kHostRate = 44100.0;
constexpr double kInputOffset = 0.003;

struct Settings {
    double rate;
    double drive;
    double gain;
    double supply;
};

// The engine's order: offset first, because it enters the closed-loop table.
template <typename Stage>
void configure(Stage& stage, const Settings& s)
{
    stage.setInputOffset(kInputOffset);
    stage.setCoefficients(1.0 / s.rate, s.drive);
    stage.setSupply(s.gain, -0.5 * s.supply, 0.5 * s.supply);
}

// The trapezoidal rule maps z to s = (2/T)(z - 1)/(z + 1), so each discrete
// network equals its analog impedance model at that s.
Complex bilinear(Complex z, double rate) { return 2.0 * rate * (z - 1.0) / (z + 1.0); }
Complex parallel(Complex a, Complex b) { return a * b / (a + b); }

// Stage A: share of the output at the inverting input through the Drive
// gang (100 kOhm fraction with 120 pF across) over 2.2 kOhm + 100 nF.
Complex stageAFeedback(double drive, Complex s)
{
    const Complex toGround = 2200.0 + 1.0 / (s * 1e-7);
    const Complex feedback = parallel(drive * 100000.0, 1.0 / (s * 1.2e-10));
    return toGround / (toGround + feedback);
}

// Stage B: the inverting input sits between the input branch (10 kOhm plus
// the other gang in series with 100 nF and 220 nF) and 680 kOhm || 220 pF.
struct StageBDivider {
    Complex fromInput;
    Complex fromOutput;
};

StageBDivider stageBDivider(double drive, Complex s)
{
    const double seriesCapacitance = 1.0 / (1.0 / 1e-7 + 1.0 / 2.2e-7);
    const Complex input = 10000.0 + (1.0 - drive) * 100000.0 + 1.0 / (s * seriesCapacitance);
    const Complex feedback = parallel(680000.0, 1.0 / (s * 2.2e-10));
    return {feedback / (input + feedback), input / (input + feedback)};
}

// Small signals stay on the first closed-loop segment, where the op-amp
// output is g0 (v - b0): the stage is the linear network closed around a
// gain of g0, with the output's share within one sample (the network at
// s = 2/T, z = infinity) already inside g0.
Complex smallSignalStageA(double g0, const Settings& s, double omega)
{
    const Complex loop = stageAFeedback(s.drive, bilinear(std::polar(1.0, omega), s.rate));
    const double instant = stageAFeedback(s.drive, 2.0 * s.rate).real();
    return g0 / (1.0 + g0 * (loop - instant));
}

Complex smallSignalStageB(double g0, const Settings& s, double omega)
{
    const StageBDivider divider = stageBDivider(s.drive, bilinear(std::polar(1.0, omega), s.rate));
    const double instant = stageBDivider(s.drive, 2.0 * s.rate).fromOutput.real();
    return -g0 * divider.fromInput / (1.0 + g0 * (divider.fromOutput - instant));
}

// The output voltage at which the open-loop gain A (1 + c2 u^2 + c4 u^4)
// reaches zero, from the quadratic in u^2.
double saturationVoltage(double gain, double supply)
{
    const double m = supply - 3.5 + 1.0;
    const double c2 = -9.0 * std::pow(std::pow(gain, 0.01) / std::pow(m, 2.6), 2.0);
    const double c4 = -6.0 * std::pow(std::pow(gain, 0.0001) / std::pow(m, 0.83), 4.0);
    return std::sqrt((-c2 - std::sqrt(c2 * c2 - 4.0 * c4)) / (2.0 * c4));
}

const Settings kDefault{kHostRate, 0.452168649, 200000.0, 50.0};

const Settings kSmallSignalCases[] = {
    kDefault,
    {8.0 * kHostRate, 0.452168649, 200000.0, 50.0},
    {kHostRate, 0.035962963, 200000.0, 9.0},
    {kHostRate, 1.0, 100.0, 9.0},
    {8.0 * kHostRate, 0.8, 300.0, 30.0},
};

// The first segment is drawn through 64 bisection results, each within
// 1e-4 V, and with a low open-loop gain it bends slightly, so its slope
// follows the chord g0 only to a few parts in 1e3. A sine filling 80% of the
// segment averages over many cells; the feedback multiplies the remaining
// slope error by up to |H| / g0 (about 10 here), hence 0.1 dB.
constexpr double kSmallSignalMarginDb = 0.1;
constexpr double kSmallSignalMarginRad = 0.01;

template <typename Stage, typename Expected>
void expectLinearResponse(const Settings& s, Expected expectedResponse)
{
    for (double f : {20.0, 100.0, 1000.0, 5000.0, 15000.0}) {
        Stage stage;
        configure(stage, s);
        const double g0 = stage.smallSignalSlope();
        const Complex expected = expectedResponse(g0, s, 2.0 * kPi * f / s.rate);
        const double segmentTop = g0 * (stage.loopBound(1) - stage.loopBound(0));
        const double amplitude = 0.8 * segmentTop / std::abs(expected);
        const Complex measured =
            steadyStateResponse([&](double x) { return stage.process(x, 0); }, f, s.rate, amplitude, 0.3);
        EXPECT_NEAR(decibels(std::abs(measured)), decibels(std::abs(expected)), kSmallSignalMarginDb)
            << "rate " << s.rate << " drive " << s.drive << " gain " << s.gain << " at " << f << " Hz";
        EXPECT_NEAR(std::arg(measured / expected), 0.0, kSmallSignalMarginRad) << f << " Hz";
        EXPECT_LT(stage.indicator(), 0.01);
    }
}

TEST(OpAmpStageSmallSignal, StageAFollowsItsLinearNetwork)
{
    for (const Settings& s : kSmallSignalCases) expectLinearResponse<OpAmpStageA>(s, smallSignalStageA);
}

TEST(OpAmpStageSmallSignal, StageBFollowsItsLinearNetworkAndInverts)
{
    for (const Settings& s : kSmallSignalCases) expectLinearResponse<OpAmpStageB>(s, smallSignalStageB);
}

// With a high open-loop gain the closed loop is set by the network alone:
// g0 = 1 / (feedback share within one sample) up to the loop gain's error.
TEST(OpAmpStageSmallSignal, FirstSegmentSlopeIsTheInverseInstantFeedback)
{
    OpAmpStageA a;
    configure(a, kDefault);
    EXPECT_NEAR(a.smallSignalSlope() * stageAFeedback(kDefault.drive, 2.0 * kHostRate).real(), 1.0, 1e-4);
    OpAmpStageB b;
    configure(b, kDefault);
    EXPECT_NEAR(b.smallSignalSlope() * stageBDivider(kDefault.drive, 2.0 * kHostRate).fromOutput.real(), 1.0, 1e-4);
}

TEST(OpAmpStageSaturation, OutputStaysInsideTheRailsForHugeInputs)
{
    for (double supply : {4.5, 9.0, 30.0, 50.0}) {
        for (double gain : {100.0, 200000.0}) {
            const Settings s{kHostRate, 0.9, gain, supply};
            OpAmpStageA a;
            OpAmpStageB b;
            configure(a, s);
            configure(b, s);
            double peak = 0.0;
            for (int n = 0; n < 20000; ++n) {
                const double x = 1000.0 * std::sin(2.0 * kPi * 330.0 * n / kHostRate) + ((n * 7919) % 101 - 50);
                const double y = b.process(a.process(x, 0), 0);
                peak = std::max(peak, std::fabs(y));
                ASSERT_LE(std::fabs(y), 0.5 * supply) << supply << " V, gain " << gain;
            }
            EXPECT_GT(peak, 0.1 * supply);
        }
    }
}

// Beyond the last bound the output is constant, and the point reflection
// makes the two polarities mirror images. With a high open-loop gain that
// level is where the gain curve reaches zero.
TEST(OpAmpStageSaturation, ClipsSymmetricallyAtTheCurvesLimit)
{
    for (double supply : {4.5, 9.0, 50.0}) {
        const Settings s{kHostRate, 0.452168649, 200000.0, supply};
        const double limit = saturationVoltage(s.gain, supply);
        OpAmpStageA positive;
        OpAmpStageA negative;
        configure(positive, s);
        configure(negative, s);
        const double top = positive.process(1e4, 0);
        EXPECT_NEAR(top, limit, 2e-4) << supply << " V";
        EXPECT_EQ(negative.process(-1e4, 0), -top);
        for (int n = 0; n < 10; ++n) EXPECT_EQ(positive.process(1e4, 0), top);
        EXPECT_GT(positive.indicator(), 0.99);

        // Stage B inverts: a large positive input drives it to the low side.
        OpAmpStageB b;
        configure(b, s);
        EXPECT_NEAR(b.process(1e4, 0), -limit, 2e-4) << supply << " V";
    }
}

TEST(OpAmpStageTable, InputAtTheZeroCrossingGivesZeroOutputAndIndicator)
{
    OpAmpStageA stage;
    configure(stage, kDefault);
    // A fresh stage's state is zero, so v equals the input.
    EXPECT_EQ(stage.process(stage.loopBound(0), 0), 0.0);
    EXPECT_EQ(stage.indicator(), 0.0);
}

TEST(OpAmpStageTable, InputsBelowTheZeroCrossingArePointReflected)
{
    for (double delta : {1e-4, 0.01, 0.3, 2.0, 10.0, 40.0}) {
        OpAmpStageA above;
        OpAmpStageA below;
        configure(above, kDefault);
        configure(below, kDefault);
        const double b0 = above.loopBound(0);
        const double yAbove = above.process(b0 + delta, 0);
        EXPECT_NEAR(below.process(b0 - delta, 0), -yAbove, 1e-12 * (1.0 + std::fabs(yAbove))) << delta;
        EXPECT_EQ(below.indicator(), above.indicator()) << delta;
    }
}

TEST(OpAmpStageTable, ZeroCrossingSitsAtMinusTheInputOffset)
{
    OpAmpStageA a;
    OpAmpStageB b;
    configure(a, kDefault);
    configure(b, kDefault);
    EXPECT_NEAR(a.loopBound(0), -kInputOffset, 5e-5);
    EXPECT_NEAR(b.loopBound(0), -kInputOffset, 5e-5);
    // Elsewhere the bisection's final bracket of 1e-4 V bounds the error.
    for (double supply : {4.5, 6.0, 12.0, 30.0}) {
        OpAmpStageA other;
        configure(other, {kHostRate, 0.2, 300.0, supply});
        EXPECT_NEAR(other.loopBound(0), -kInputOffset, 1e-4) << supply << " V";
        EXPECT_EQ(other.loopBound(4), 0.5 * supply);
    }
}

// Without an offset the residual is an exact (signed) zero at the first
// midpoint; the bisection must stop there instead of climbing to a rail.
TEST(OpAmpStageTable, ZeroOffsetPutsTheZeroCrossingAtZero)
{
    OpAmpStageA stage;
    stage.setCoefficients(1.0 / kHostRate, kDefault.drive);
    stage.setSupply(200000.0, -25.0, 25.0);
    EXPECT_EQ(stage.loopBound(0), 0.0);
    EXPECT_LT(std::fabs(stage.process(1e-3, 0)), 0.1);
}

// With a high open-loop gain the stage is linear until its output nears the
// curve's limit; beyond that the indicator climbs toward 1.
TEST(OpAmpStageTable, IndicatorRisesWithCompression)
{
    OpAmpStageA linear;
    configure(linear, kDefault);
    linear.process(0.01, 0);
    EXPECT_LT(linear.indicator(), 0.01);

    double previous = linear.indicator();
    for (double x : {1.5, 3.0, 10.0, 25.0}) {
        OpAmpStageA stage;
        configure(stage, kDefault);
        stage.process(x, 0);
        EXPECT_GT(stage.indicator(), previous) << x;
        EXPECT_LE(stage.indicator(), 1.0);
        previous = stage.indicator();
    }
    EXPECT_GT(previous, 0.9);
}

TEST(OpAmpStageSupply, SupplyChangeRebuildsTablesButKeepsTheNetwork)
{
    OpAmpStageA a;
    OpAmpStageB b;
    configure(a, kDefault);
    configure(b, kDefault);
    a.publish();
    b.publish();
    const std::complex<float> z = std::polar(1.0f, 0.1f);
    const float responseA = a.response(z);
    const float responseB = b.response(z);

    a.setSupply(kDefault.gain, -4.5, 4.5);
    b.setSupply(kDefault.gain, -4.5, 4.5);
    a.publish();
    b.publish();
    EXPECT_EQ(a.response(z), responseA);
    EXPECT_EQ(b.response(z), responseB);
    EXPECT_EQ(a.loopBound(4), 4.5);
    EXPECT_NEAR(a.process(1e4, 0), saturationVoltage(kDefault.gain, 9.0), 2e-4);
}

// A redundant supply update mid-stream rebuilds identical tables and keeps
// the state: the output is bit-identical to an uninterrupted run.
TEST(OpAmpStageSupply, StateSurvivesTableRebuilds)
{
    OpAmpStageA a1;
    OpAmpStageA a2;
    OpAmpStageB b1;
    OpAmpStageB b2;
    for (auto* stage : {&a1, &a2}) configure(*stage, kDefault);
    for (auto* stage : {&b1, &b2}) configure(*stage, kDefault);
    for (int n = 0; n < 4000; ++n) {
        if (n == 2000) {
            a2.setSupply(kDefault.gain, -25.0, 25.0);
            b2.setSupply(kDefault.gain, -25.0, 25.0);
        }
        const double x = 0.5 * std::sin(2.0 * kPi * 220.0 * n / kHostRate);
        ASSERT_EQ(a1.process(x, 0), a2.process(x, 0)) << n;
        ASSERT_EQ(b1.process(x, 1), b2.process(x, 1)) << n;
    }
}

TEST(OpAmpStageSupply, ChannelsKeepSeparateStates)
{
    OpAmpStageB used;
    OpAmpStageB fresh;
    configure(used, kDefault);
    configure(fresh, kDefault);
    for (int n = 0; n < 500; ++n) used.process(std::sin(0.05 * n), 0);
    EXPECT_EQ(used.process(0.2, 1), fresh.process(0.2, 1));
}

// The open-loop curve on its own (offset 0, so the differential input is
// exact): gain A for tiny inputs, odd, and bounded by the level where the
// gain vanishes.
TEST(OpAmpModelCurve, OpenLoopCurveFollowsTheGainPolynomial)
{
    OpAmpStageA stage;
    stage.setCoefficients(1.0 / kHostRate, kDefault.drive);
    stage.setSupply(kDefault.gain, -25.0, 25.0);
    const double limit = saturationVoltage(kDefault.gain, kDefault.supply);
    EXPECT_EQ(stage.evaluate(0.3, 0.3), 0.0);
    const double tiny = 1e-7;
    EXPECT_NEAR(stage.evaluate(tiny, 0.0) / tiny, kDefault.gain, 1e-6 * kDefault.gain);
    EXPECT_LT(stage.indicator(), 1e-6);
    double previous = 0.0;
    for (double d = 1e-6; d < 30.0; d *= 1.3) {
        const double y = stage.evaluate(d, 0.0);
        EXPECT_GE(y, previous) << d;
        EXPECT_LE(y, limit) << d;
        EXPECT_EQ(stage.evaluate(0.0, d), -y) << d;
        previous = y;
    }
    EXPECT_NEAR(previous, limit, 1e-3);
    EXPECT_GT(stage.indicator(), 0.99);
}

// The display response is the stage with a linear op-amp of gain A,
// normalised by the mid-band feedback share; evaluated in single precision
// from the published copies it must match the analog network at the
// bilinear s in double precision. Near z = 1 the single-precision resolvent
// keeps about four significant digits, hence 1e-4 on |H|^2.
TEST(OpAmpStageDisplay, ResponsesMatchTheirNetworksInDoublePrecision)
{
    for (double rate : {kHostRate, 8.0 * kHostRate}) {
        for (double drive : {0.035962963, 0.452168649, 1.0}) {
            for (double gain : {100.0, 200000.0}) {
                const Settings s{rate, drive, gain, 50.0};
                OpAmpStageA a;
                OpAmpStageB b;
                configure(a, s);
                configure(b, s);
                a.publish();
                b.publish();
                for (double f = 20.0; f < 21000.0; f *= 1.5) {
                    const double omega = 2.0 * kPi * f / rate;
                    const Complex sPoint = bilinear(std::polar(1.0, omega), rate);
                    const std::complex<float> z(static_cast<float>(std::cos(omega)), static_cast<float>(std::sin(omega)));

                    const double beta0 = 2200.0 / (2200.0 + drive * 100000.0);
                    const double gainA = gain * beta0 / (gain * std::abs(stageAFeedback(drive, sPoint)) + 1.0);
                    EXPECT_NEAR(a.response(z) / (gainA * gainA), 1.0, 1e-4) << rate << " " << drive << " " << f;

                    const StageBDivider divider = stageBDivider(drive, sPoint);
                    const double inputResistance = 10000.0 + (1.0 - drive) * 100000.0;
                    const double gainB = gain * std::abs(divider.fromInput) * inputResistance
                                         / ((gain * std::abs(divider.fromOutput) + 1.0) * 680000.0);
                    EXPECT_NEAR(b.response(z) / (gainB * gainB), 1.0, 1e-4) << rate << " " << drive << " " << f;
                }
            }
        }
    }
}

// The display must show the settings of the last publish, not whatever a
// later coefficient update left in the double-precision network.
TEST(OpAmpStageDisplay, ResponseWaitsForPublish)
{
    OpAmpStageA a;
    OpAmpStageB b;
    configure(a, kDefault);
    configure(b, kDefault);
    a.publish();
    b.publish();
    const std::complex<float> z = std::polar(1.0f, 0.02f);
    const float beforeA = a.response(z);
    const float beforeB = b.response(z);
    a.setCoefficients(1.0 / kHostRate, 0.9);
    b.setCoefficients(1.0 / kHostRate, 0.9);
    a.setSupply(150.0, -10.0, 10.0);
    b.setSupply(150.0, -10.0, 10.0);
    EXPECT_EQ(a.response(z), beforeA);
    EXPECT_EQ(b.response(z), beforeB);
    a.publish();
    b.publish();
    EXPECT_NE(a.response(z), beforeA);
    EXPECT_NE(b.response(z), beforeB);
}

}  // namespace
