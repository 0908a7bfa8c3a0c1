#include "effect/ParameterMapping.h"
#include "engine/BisectionOutcome.h"
#include "engine/DriveEngine.h"
#include "engine/OpAmpStageA.h"
#include "engine/OpAmpStageB.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

using quenchbox::engine::BisectionOutcome;
using quenchbox::engine::DriveEngine;
using quenchbox::engine::OpAmpModel;
using quenchbox::engine::OpAmpStageA;
using quenchbox::engine::OpAmpStageB;
namespace bits = quenchbox::engine::UpdateBits;

constexpr double kInputOffset = 0.003;
constexpr double kBracket = 0.0001;
constexpr int kEntries = 257;

// The tables as the circuit model defines them, written out plainly: the
// gain curve by Newton's method from G = 1 at every point, and every
// closed-loop entry by bisection from the rails, testing f * f_lo >= 0,
// until the bracket is 1e-4 V wide; the result is the last midpoint.
class ReferenceTables {
public:
    ReferenceTables(double gain, double low, double high, double feedback)
        : g(gain), low(low), high(high), feedback(feedback)
    {
        const double m = (high - low - 3.5) + 1.0;
        const double c2Root = std::pow(g, 0.01) / std::pow(m, 2.6);
        const double c4Root = std::pow(g, 0.0001) / std::pow(m, 0.83);
        c2 = -9.0 * c2Root * c2Root;
        c4 = -6.0 * (c4Root * c4Root) * (c4Root * c4Root);
    }

    double gainAt(double x) const
    {
        double gain = 1.0;
        double f;
        do {
            const double u = gain * x;
            f = gain - g * (1.0 + c2 * u * u + c4 * u * u * u * u);
            const double slope = 1.0 - (4.0 * c4 * u * u + 2.0 * c2) * u * x * g;
            gain -= f / slope;
        } while (std::fabs(f) > 0.001);
        return gain;
    }

    double residual(double x, double y) const
    {
        const double d = x + kInputOffset - feedback * y;
        return y - gainAt(d) * d;
    }

    template <typename F>
    double bisect(F f) const
    {
        double lo = low;
        double hi = high;
        double fLo = f(lo);
        double mid;
        do {
            mid = (hi + lo) * 0.5;
            const double fMid = f(mid);
            if (fMid * fLo >= 0.0) {
                lo = mid;
                fLo = fMid;
            } else {
                hi = mid;
            }
        } while (std::fabs(hi - lo) > kBracket);
        return mid;
    }

    double zeroCrossing() const
    {
        return bisect([this](double x) { return residual(x, 0.0); });
    }

    // Entry p for the stage's own bounds (b0 taken from the stage, so that a
    // difference in it does not shift every later point).
    double loopEntry(const OpAmpModel& stage, int p) const
    {
        if (p == 0) return 0.0;
        const int k = (p - 1) / 64;
        const int j = p - 64 * k;
        const double width = stage.loopBound(k + 1) - stage.loopBound(k);
        const double x = stage.loopBound(k) + width * j * (1.0 / 64);
        return bisect([this, x](double y) { return residual(x, y); });
    }

    double openLoopEntry(double x) const { return x == 0.0 ? 0.0 : x * gainAt(x); }

private:
    double g;
    double low;
    double high;
    double feedback;
    double c2 = 0.0;
    double c4 = 0.0;
};

struct StageSettings {
    double period;
    double drive;
    double gain;
    double supply;
};

template <typename Stage>
void configure(Stage& stage, const StageSettings& s)
{
    stage.setInputOffset(kInputOffset);
    stage.setCoefficients(s.period, s.drive);
    stage.setSupply(s.gain, -0.5 * s.supply, 0.5 * s.supply);
}

// Every entry within the bisection's own bracket of what the bisection
// gives, and in fact bit for bit the same. The open-loop table at the same
// points within that bracket too, and within a part in 1e9 of the Newton
// solution: its stopping rule (the residual in G within 0.001 before the
// last step) leaves errors of a few parts in 1e12, the solve from the
// curve's inverse far less.
void expectReferenceTables(const OpAmpModel& stage, const StageSettings& s, const char* which)
{
    const ReferenceTables reference(s.gain, -0.5 * s.supply, 0.5 * s.supply, stage.loopFeedback());
    const double b0 = reference.zeroCrossing();
    EXPECT_NEAR(stage.loopBound(0), b0, kBracket);
    EXPECT_EQ(stage.loopBound(0), b0) << which;
    for (int p = 0; p < kEntries; ++p) {
        const double expected = reference.loopEntry(stage, p);
        ASSERT_NEAR(stage.loopEntry(p), expected, kBracket) << which << " entry " << p;
        ASSERT_EQ(stage.loopEntry(p), expected) << which << " entry " << p << " supply " << s.supply << " gain "
                                                << s.gain << " drive " << s.drive << " period " << s.period;
        const double x = stage.openLoopInput(p);
        const double open = reference.openLoopEntry(x);
        ASSERT_NEAR(stage.openLoopEntry(p), open, kBracket) << which << " open-loop point " << p;
        ASSERT_NEAR(stage.openLoopEntry(p), open, 1e-9 * std::fabs(open)) << which << " open-loop point " << p;
    }
}

// The supplies the Voltage knob gives (single precision, like the effect),
// and the engine's initial 50 V.
std::vector<double> supplies()
{
    std::vector<double> volts{50.0};
    for (float knob : {0.0f, 0.1f, 0.37f, 0.5f, 0.8f, 1.0f})
        volts.push_back(static_cast<double>(quenchbox::effect::supplyVoltage(knob)));
    return volts;
}

TEST(OpAmpTableRebuild, EntriesEqualTheBisectionOverDriveSupplyGainAndPeriod)
{
    const double host = 1.0 / 44100.0;
    const double periods[] = {host, 0.5 * host, 1.5 * host, host / 8.0, 1.0 / 96000.0 / 8.0};
    const double drives[] = {0.035962963, 0.2, 0.452168649, 0.8, 1.0};
    const double gains[] = {100.0, 250.0, 299.0, 200000.0};
    for (double supply : supplies())
        for (double gain : gains)
            for (double drive : drives)
                for (double period : periods) {
                    const StageSettings s{period, drive, gain, supply};
                    OpAmpStageA a;
                    OpAmpStageB b;
                    configure(a, s);
                    configure(b, s);
                    expectReferenceTables(a, s, "stage A");
                    expectReferenceTables(b, s, "stage B");
                    if (HasFatalFailure()) return;
                }
}

// Rails that are not short multiples of a power of two round their
// midpoints; the tables must still be the bisection's.
TEST(OpAmpTableRebuild, EntriesEqualTheBisectionForRailsThatRound)
{
    for (double supply : {9.0 + 1e-12, 10.186, 23.45678901234567}) {
        const StageSettings s{1.0 / 44100.0, 0.6, 200000.0, supply};
        OpAmpStageA a;
        configure(a, s);
        expectReferenceTables(a, s, "stage A");
    }
}

// The shortcuts the engine takes (stage B copying stage A's open-loop table,
// network and supply set together after a rate change) give the tables the
// plain setters give.
TEST(OpAmpTableRebuild, SharedAndCombinedSettersGiveTheSameTables)
{
    const StageSettings s{1.0 / 88200.0, 0.7, 150.0, 16.5};
    OpAmpStageA plainA;
    OpAmpStageB plainB;
    configure(plainA, s);
    configure(plainB, s);

    OpAmpStageA combinedA;
    OpAmpStageB combinedB;
    OpAmpStageB sharedB;
    for (OpAmpModel* stage : {static_cast<OpAmpModel*>(&combinedA), static_cast<OpAmpModel*>(&combinedB),
                              static_cast<OpAmpModel*>(&sharedB)})
        stage->setInputOffset(kInputOffset);
    combinedA.setCoefficientsAndSupply(s.period, s.drive, s.gain, -0.5 * s.supply, 0.5 * s.supply);
    combinedB.setCoefficientsAndSupplyLike(s.period, s.drive, combinedA);
    sharedB.setCoefficients(s.period, s.drive);
    sharedB.setSupplyLike(plainA);

    for (int p = 0; p < kEntries; ++p) {
        EXPECT_EQ(combinedA.loopEntry(p), plainA.loopEntry(p)) << p;
        EXPECT_EQ(combinedB.loopEntry(p), plainB.loopEntry(p)) << p;
        EXPECT_EQ(sharedB.loopEntry(p), plainB.loopEntry(p)) << p;
        EXPECT_EQ(sharedB.openLoopEntry(p), plainB.openLoopEntry(p)) << p;
        EXPECT_EQ(combinedB.openLoopInput(p), plainB.openLoopInput(p)) << p;
    }
    for (int k = 0; k < 5; ++k) EXPECT_EQ(combinedB.loopBound(k), plainB.loopBound(k)) << k;
}

struct EngineSettings {
    double drive;
    double supplyVoltage;
    double opAmpGain;
    double scale;
    double samplePeriod;
    bool oversample;
    int mode;
    double bass;
    double deepAmount;
    double level;
};

void apply(DriveEngine& engine, const EngineSettings& s)
{
    engine.drive = s.drive;
    engine.supplyVoltage = s.supplyVoltage;
    engine.opAmpGain = s.opAmpGain;
    engine.scale = s.scale;
    engine.samplePeriod = s.samplePeriod;
    engine.oversample = s.oversample;
    engine.mode = s.mode;
    engine.bass = s.bass;
    engine.deepAmount = s.deepAmount;
    engine.level = s.level;
}

std::vector<double> render(DriveEngine& engine)
{
    std::vector<double> out;
    for (int n = 0; n < 3000; ++n) {
        quenchbox::engine::EngineSample sample;
        sample.input = 0.4 * std::sin(0.031 * n) + 0.2 * std::sin(0.0071 * n);
        engine.processSample(sample);
        out.push_back(sample.output);
    }
    return out;
}

// A knob turned back and forth through many updates, each group on its own
// and together, ends on exactly the coefficients and tables of an engine set
// to the final values at once: the result depends on the settings only.
TEST(EngineUpdateHistory, UpdatesInAnyOrderEndOnTheCoefficientsOfTheFinalSettings)
{
    const EngineSettings settings[] = {
        {0.9, 30.0, 200000.0, 0.0, 1.0 / 44100.0, false, 1, 0.5, 0.6, 0.2},
        {0.1, 4.5, 100.0, -0.3, 1.0 / 48000.0, true, 0, 0.8, 0.1, 0.5},
        {0.452168649, 9.0, 300.0, 0.2, 1.0 / 96000.0, false, 1, 0.1, 0.9, 0.9},
        {0.6, 16.26923f, 250.0, 0.45, 1.0 / 44100.0, true, 0, 0.3, 0.5, 0.4},
    };
    const int masks[] = {bits::kStages, bits::kSupplyVoltage, bits::kOpAmpGain, bits::kTimeScale, bits::kAll,
                         bits::kToneNetwork | bits::kOutputFilter, bits::kDeepNetwork};
    auto history = std::make_unique<DriveEngine>();
    for (int round = 0; round < 24; ++round) {
        apply(*history, settings[(round * 3) % 4]);
        history->update(masks[round % 7]);
        apply(*history, settings[round % 4]);
        history->update(bits::kAll & ~masks[(round + 2) % 7]);
        history->update(masks[(round + 2) % 7]);

        auto fresh = std::make_unique<DriveEngine>();
        apply(*fresh, settings[round % 4]);
        fresh->update(bits::kAll);
        for (int p = 0; p < kEntries; ++p) {
            ASSERT_EQ(history->stageASection().loopEntry(p), fresh->stageASection().loopEntry(p)) << round;
            ASSERT_EQ(history->stageBSection().loopEntry(p), fresh->stageBSection().loopEntry(p)) << round;
            ASSERT_EQ(history->stageBSection().openLoopEntry(p), fresh->stageBSection().openLoopEntry(p)) << round;
        }
    }
    // With no samples run the states are equal too, so the sound is.
    auto fresh = std::make_unique<DriveEngine>();
    apply(*fresh, settings[23 % 4]);
    fresh->update(bits::kAll);
    EXPECT_EQ(render(*history), render(*fresh));
}

// The closed form of the bisection's result against the search itself.
double plainBisection(double root, double lo, double hi)
{
    return quenchbox::engine::bisect([root](double x) { return x - root; }, lo, hi, kBracket);
}

TEST(BisectionOutcomeTest, MatchesTheSearchForRootsApartFromItsMidpoints)
{
    for (const auto& [lo, hi] : {std::pair{-25.0, 25.0}, std::pair{-4.5, 4.5}, std::pair{-2.25, 2.25},
                                 std::pair{-8.13461494, 8.13461494}, std::pair{-5.0930001, 5.0930001},
                                 std::pair{-1.0, 3.7}}) {
        const BisectionOutcome outcome(lo, hi, kBracket);
        for (int n = 1; n <= 2000; ++n) {
            const double root = lo + (hi - lo) * std::fmod(n * 0.6180339887498949, 1.0);
            double result;
            ASSERT_TRUE(outcome.resultFor(root, 1e-9, result)) << root;
            EXPECT_EQ(result, plainBisection(root, lo, hi)) << lo << " " << hi << " root " << root;
        }
    }
}

TEST(BisectionOutcomeTest, DeclinesWhereTheRootSitsOnAMidpoint)
{
    const BisectionOutcome outcome(-25.0, 25.0, kBracket);
    double result;
    EXPECT_FALSE(outcome.resultFor(0.0, 1e-9, result));       // the first midpoint
    EXPECT_FALSE(outcome.resultFor(12.5 + 4e-10, 1e-9, result));
    EXPECT_FALSE(outcome.resultFor(-25.0, 1e-9, result));     // the lower end, tested first
    EXPECT_FALSE(outcome.resultFor(NAN, 1e-9, result));
    EXPECT_TRUE(outcome.resultFor(12.5 + 2e-9, 1e-9, result));
}

// Without a sign change in the bracket every midpoint is on the lower end's
// side, and the search climbs to the top cell.
TEST(BisectionOutcomeTest, RootsOutsideTheBracketClimbToTheTop)
{
    const BisectionOutcome outcome(-4.5, 4.5, kBracket);
    const double top = plainBisection(100.0, -4.5, 4.5);
    EXPECT_GT(top, 4.5 - kBracket);
    for (double root : {-7.0, 4.6, 1e6}) {
        double result;
        ASSERT_TRUE(outcome.resultFor(root, 1e-9, result)) << root;
        EXPECT_EQ(result, top) << root;
        EXPECT_EQ(result, plainBisection(root, -4.5, 4.5)) << root;
    }
}

}  // namespace
