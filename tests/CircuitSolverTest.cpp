#include "solver/CircuitSolver.h"

#include <gtest/gtest.h>

#include <Eigen/Eigenvalues>

#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>
#include <vector>

namespace {

using quenchbox::solver::CircuitSolver;
using quenchbox::solver::ContinuousModel;
using quenchbox::solver::StateColumn;
using quenchbox::solver::StateMatrix;

constexpr double kPi = 3.14159265358979323846;
constexpr double period44k = 1.0 / 44100.0;

struct Knobs {
    double bass, middle, treble;
};

// Tapered pot fractions: x = 0.006874988..1, y = 0.0057313..1, both ends
// included; Treble at 0, 0.5 and 1.
std::vector<Knobs> knobGrid(int steps)
{
    std::vector<Knobs> grid;
    for (int a = 0; a <= steps; ++a)
        for (int b = 0; b <= steps; ++b)
            for (double z : {0.0, 0.5, 1.0})
                grid.push_back({0.006874988 + (1.0 - 0.006874988) * a / steps,
                                0.0057313 + (1.0 - 0.0057313) * b / steps, z});
    return grid;
}

ContinuousModel modelAt(const Knobs& k, int mode)
{
    ContinuousModel m;
    quenchbox::solver::computeCoefficients(k.bass, k.middle, k.treble, mode, m);
    return m;
}

CircuitSolver solverAt(const Knobs& k, int mode, double period = period44k)
{
    CircuitSolver solver;
    solver.update(k.bass, k.middle, k.treble, period, mode);
    return solver;
}

::testing::AssertionResult nearlyEqual(double a, double b, double rel)
{
    if (std::fabs(a - b) <= rel * std::max(std::fabs(a), std::fabs(b))) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << a << " vs " << b;
}

// |cc (jw I - Ac)^-1 bc + dc[0]|: the analog network with the LED current at 0.
double analogMagnitude(const ContinuousModel& m, double w)
{
    using Complex = std::complex<double>;
    using Matrix = Eigen::Matrix<Complex, 6, 6>;
    const Matrix a = Complex(0.0, w) * Matrix::Identity() - m.Ac.cast<Complex>();
    const Eigen::Matrix<Complex, 6, 1> x = a.partialPivLu().solve(m.bc.cast<Complex>());
    return std::abs((m.cc.cast<Complex>() * x).value() + m.dc[0]);
}

// The bilinear rule maps the digital frequency w (rad/sample) to this analog one.
double prewarped(double w, double period) { return 2.0 / period * std::tan(w / 2.0); }

// The LED pair's current for the open-circuit voltage p behind -K ohms, by
// bisection on v = p + K i(v): an independent reference for the Newton solve.
double exactLedCurrent(double p, double K)
{
    const long double is = CircuitSolver::ledSaturationCurrent;
    const long double k = CircuitSolver::ledSlope;
    long double lo = -std::fabs(p) - 1.0L;
    long double hi = std::fabs(p) + 1.0L;
    for (int n = 0; n < 200; ++n) {
        const long double v = 0.5L * (lo + hi);
        const long double f = (v - p) - K * is * (std::exp(k * v) - std::exp(-k * v));
        (f > 0.0L ? hi : lo) = v;
    }
    return static_cast<double>((0.5L * (lo + hi) - p) / K);
}

// A solve stopped at a residual of ledTolerance is off by at most this much.
double currentMargin(double K) { return CircuitSolver::ledTolerance / std::fabs(K); }

// --- Continuous model --------------------------------------------------------

TEST(CircuitCoefficients, ColumnsRowsAndDirectTermsFollowTheCircuitIdentities)
{
    const double rel = 1e-12;
    for (int mode = 0; mode <= 1; ++mode)
        for (const Knobs& k : knobGrid(8)) {
            const ContinuousModel m = modelAt(k, mode);
            const double z = k.treble;
            // The input drives the node of state 5, so DC sees dc[0] - cc[5] = 0.
            for (int r = 0; r < 6; ++r) EXPECT_EQ(m.bc[r], m.Ac(r, 5)) << mode << r;
            for (int r = 0; r < 5; ++r) EXPECT_TRUE(nearlyEqual(m.fc[r], -1000.0 * m.bc[r], rel)) << mode << r;
            for (int r : {0, 1, 2, 5}) EXPECT_TRUE(nearlyEqual(m.cc[r], z * m.gc[r], rel)) << mode << r;
            EXPECT_EQ(m.cc[5], m.dc[0]);
            EXPECT_EQ(m.gc[5], m.dc[2]);
            EXPECT_TRUE(nearlyEqual(m.dc[0], z * m.dc[2], rel));
            EXPECT_TRUE(nearlyEqual(m.dc[1], z * m.dc[3], rel));
            EXPECT_TRUE(nearlyEqual(m.dc[1], -1000.0 * m.dc[0], rel));
            EXPECT_TRUE(nearlyEqual(m.dc[3], -1000.0 * m.dc[2], rel));
        }
}

// A reciprocal RC network: Ac is a symmetric conductance matrix with each row
// divided by its node capacitance, so Ac[r][c] / Ac[c][r] is a positive
// capacitance ratio that no pot changes, and the ratios chain consistently.
TEST(CircuitCoefficients, StateMatrixIsSymmetricUpToPositiveRowScaling)
{
    const auto ratio = [](const ContinuousModel& m, int r, int c) { return m.Ac(r, c) / m.Ac(c, r); };
    for (int mode = 0; mode <= 1; ++mode) {
        const ContinuousModel reference = modelAt({0.5, 0.5, 0.5}, mode);
        for (int r = 0; r < 6; ++r)
            for (int c = 0; c < 6; ++c) {
                if (r == c) continue;
                ASSERT_GT(ratio(reference, r, c), 0.0) << mode << r << c;
                for (int k = 0; k < 6; ++k) {
                    if (k == r || k == c) continue;
                    EXPECT_TRUE(nearlyEqual(ratio(reference, r, c) * ratio(reference, c, k), ratio(reference, r, k),
                                            1e-8))
                        << mode << " cycle " << r << c << k;
                }
            }
        for (const Knobs& k : knobGrid(6)) {
            const ContinuousModel m = modelAt(k, mode);
            for (int r = 0; r < 6; ++r)
                for (int c = 0; c < 6; ++c) {
                    if (r == c || m.Ac(c, r) == 0.0) continue;
                    EXPECT_TRUE(nearlyEqual(ratio(m, r, c), ratio(reference, r, c), 1e-12)) << mode << r << c;
                }
        }
    }
}

// A passive RC network only decays, without ringing: real negative poles.
TEST(CircuitCoefficients, PolesAreRealAndNegativeOverTheKnobRange)
{
    for (int mode = 0; mode <= 1; ++mode)
        for (const Knobs& k : knobGrid(6)) {
            const ContinuousModel m = modelAt(k, mode);
            ASSERT_TRUE(m.Ac.allFinite());
            const Eigen::EigenSolver<StateMatrix> poles(m.Ac);
            for (int n = 0; n < 6; ++n) {
                const std::complex<double> pole = poles.eigenvalues()[n];
                EXPECT_LT(pole.real(), 0.0) << mode;
                EXPECT_LE(std::fabs(pole.imag()), 1e-9 * std::fabs(pole.real())) << mode;
            }
        }
}

// Reference poles, analog gains at 100 Hz, 1 kHz and 5 kHz, and discrete
// direct terms D, E, P, K at 44.1 kHz, computed once from coefficients that
// were checked bit for bit against an independent evaluation of the
// closed-form formulas. They pin every coefficient, including the diagonal
// ones that no identity constrains.
TEST(CircuitCoefficients, MatchesReferencePolesGainsAndDirectTerms)
{
    struct Reference {
        int mode;
        Knobs knobs;
        double poles[6];
        double gains[3];
        double directTerms[4];
    };
    const Reference references[] = {
        {0, {0.3, 0.8, 0.1},
         {-1.225086390609e+05, -2.016539046417e+04, -6.210997965248e+03, -5.661909716229e+03, -9.211604791876e+02,
          -2.755174806762e+02},
         {2.511040408973e-01, 2.552215457000e-01, 8.549239517236e-02},
         {6.521883270810e-02, -6.857993519662e+01, 5.825832833391e-01, -6.126071589912e+02}},
        {0, {0.9, 0.2, 0.7},
         {-5.016101960888e+04, -2.350072887527e+04, -6.687794103490e+03, -4.810084163507e+03, -1.927759357293e+03,
          -1.550756729627e+02},
         {2.993095032379e-01, 1.736520626876e-01, 2.113607442525e-01},
         {2.949605022860e-01, -3.101615176535e+02, 5.844963091869e-01, -6.146187740910e+02}},
        {1, {0.3, 0.8, 0.1},
         {-1.480351461798e+05, -2.025065031458e+04, -6.482449607404e+03, -5.748253389135e+03, -5.028284315617e+02,
          -7.031871408367e+01},
         {5.263088096127e-01, 3.695614200928e-01, 1.276006776353e-01},
         {1.044629599284e-01, -1.098465385692e+02, 9.331411133705e-01, -9.812312552753e+02}},
        {1, {0.9, 0.2, 0.7},
         {-5.521617619756e+04, -2.351194158076e+04, -6.966207595801e+03, -4.813398962015e+03, -1.247871643301e+03,
          -3.435053609879e+01},
         {6.407953067621e-01, 2.608325635752e-01, 3.238258341287e-01},
         {4.711477795201e-01, -4.954287411495e+02, 9.336305575721e-01, -9.817459233447e+02}},
    };
    const double rel = 1e-9;
    for (const Reference& ref : references) {
        const CircuitSolver solver = solverAt(ref.knobs, ref.mode);
        const ContinuousModel& m = solver.continuous();

        const Eigen::EigenSolver<StateMatrix> eigen(m.Ac);
        std::vector<double> poles;
        for (int n = 0; n < 6; ++n) poles.push_back(eigen.eigenvalues()[n].real());
        std::sort(poles.begin(), poles.end());
        for (int n = 0; n < 6; ++n) EXPECT_TRUE(nearlyEqual(poles[n], ref.poles[n], rel)) << ref.mode << " pole " << n;

        const double hertz[3] = {100.0, 1000.0, 5000.0};
        for (int n = 0; n < 3; ++n)
            EXPECT_TRUE(nearlyEqual(analogMagnitude(m, 2.0 * kPi * hertz[n]), ref.gains[n], rel)) << hertz[n];
        for (int n = 0; n < 4; ++n)
            EXPECT_TRUE(nearlyEqual(solver.discrete().dd[n], ref.directTerms[n], rel)) << ref.mode << " term " << n;
    }
}

TEST(CircuitCoefficients, TrebleAtMinimumLeavesOnlyOneOutputPath)
{
    for (int mode = 0; mode <= 1; ++mode) {
        const ContinuousModel m = modelAt({0.4, 0.6, 0.0}, mode);
        for (int r : {0, 1, 2, 3, 5}) EXPECT_EQ(m.cc[r], 0.0) << mode << r;
        EXPECT_NE(m.cc[4], 0.0);
        EXPECT_EQ(m.dc[0], 0.0);
        EXPECT_EQ(m.dc[1], 0.0);
    }
}

// --- Discretisation and the response display ---------------------------------

// -K is the source resistance the LED pair sees.
TEST(CircuitDiscretisation, LedSourceResistanceStaysInItsRangeAt44k)
{
    const double lo[2] = {-622.07, -983.64};
    const double hi[2] = {-548.73, -963.26};
    for (int mode = 0; mode <= 1; ++mode) {
        CircuitSolver solver;
        double lowest = 0.0;
        double highest = -1e9;
        for (const Knobs& k : knobGrid(10)) {
            solver.update(k.bass, k.middle, k.treble, period44k, mode);
            const double K = solver.discrete().dd[3];
            EXPECT_GE(K, lo[mode]);
            EXPECT_LE(K, hi[mode]);
            lowest = std::min(lowest, K);
            highest = std::max(highest, K);
        }
        EXPECT_LT(lowest, lo[mode] + 1.0) << mode;  // the grid reaches both ends
        EXPECT_GT(highest, hi[mode] - 1.0) << mode;
    }
}

TEST(CircuitDiscretisation, NewPeriodAloneKeepsTheContinuousModel)
{
    CircuitSolver solver = solverAt({0.3, 0.7, 0.2}, 1);
    const ContinuousModel before = solver.continuous();
    const auto discreteBefore = solver.discrete();

    solver.update(0.3, 0.7, 0.2, period44k / 8.0, 1);
    const ContinuousModel& after = solver.continuous();
    EXPECT_EQ(after.Ac, before.Ac);
    EXPECT_EQ(after.bc, before.bc);
    EXPECT_EQ(after.fc, before.fc);
    EXPECT_EQ(after.cc, before.cc);
    EXPECT_EQ(after.gc, before.gc);
    EXPECT_EQ(after.dc, before.dc);
    EXPECT_NE(solver.discrete().Ad, discreteBefore.Ad);
    for (int n = 0; n < 4; ++n) EXPECT_NE(solver.discrete().dd[n], discreteBefore.dd[n]) << n;

    solver.update(0.3, 0.7, 0.2, period44k, 0);  // same knobs, other variant
    EXPECT_EQ(solver.continuous().Ac, modelAt({0.3, 0.7, 0.2}, 0).Ac);
}

// The bilinear rule maps DC to z = 1, and the capacitors block DC.
TEST(CircuitDiscretisation, GainAtDcIsZero)
{
    for (int mode = 0; mode <= 1; ++mode)
        for (const Knobs& k : knobGrid(4)) {
            CircuitSolver solver = solverAt(k, mode);
            const auto& d = solver.discrete();
            const double gain = (d.cd * (StateMatrix::Identity() - d.Ad).partialPivLu().solve(d.bd)).value() + d.dd[0];
            EXPECT_LE(std::fabs(gain), 1e-10) << mode;

            // Single precision cannot reach an exact zero, but stays far below
            // the passband.
            solver.publishDisplay();
            float passband = 0.0f;
            for (int n = 1; n < 100; ++n) passband = std::max(passband, solver.response(std::polar(1.0f, 0.03f * n)));
            EXPECT_LT(solver.response({1.0f, 0.0f}), 1e-5f * passband) << mode;  // -50 dB
        }
}

// The bilinear rule reproduces the analog magnitude at the prewarped frequency.
TEST(CircuitDiscretisation, DisplayResponseMatchesTheAnalogNetwork)
{
    for (int mode = 0; mode <= 1; ++mode) {
        CircuitSolver solver = solverAt({0.35, 0.6, 0.8}, mode);
        solver.publishDisplay();
        for (double w : {0.005, 0.05, 0.3, 1.5}) {
            const double analog = analogMagnitude(solver.continuous(), prewarped(w, period44k));
            const double shown = std::sqrt(solver.response(std::polar(1.0f, static_cast<float>(w))));
            EXPECT_NEAR(20.0 * std::log10(shown / analog), 0.0, 0.01) << mode << " w " << w;
        }
    }
}

// The editor sees one consistent set: the direct term too changes only when
// the copies are published.
TEST(CircuitDiscretisation, ResponseReadsOnlyThePublishedCopies)
{
    CircuitSolver solver = solverAt({0.5, 0.5, 0.5}, 1);
    solver.publishDisplay();
    const std::complex<float> z = std::polar(1.0f, 0.2f);
    const float published = solver.response(z);

    solver.update(0.1, 0.9, 1.0, period44k, 0);
    EXPECT_EQ(solver.response(z), published);
    solver.publishDisplay();
    EXPECT_NE(solver.response(z), published);
}

// --- LED pair: the per-sample nonlinear solve ---------------------------------

// A fresh solver has zero state, so the input u sets p = P u.
double currentForOpenCircuitVoltage(CircuitSolver& solver, double p, double& y)
{
    double current = 0.0;
    y = solver.process(p / solver.discrete().dd[2], current, 0);
    return current;
}

TEST(LedSolve, SilenceGivesNoCurrentInOnePass)
{
    CircuitSolver solver;
    double current = 1.0;
    EXPECT_EQ(solver.process(0.0, current, 0), 0.0);
    EXPECT_EQ(current, 0.0);
    EXPECT_EQ(solver.lastNewtonPasses(), 1);
}

// The table start is odd in p, held beyond 9 V, and close to the solution
// everywhere in between: within a tenth of the current change over half a
// step (1/14 V, about 1.2e-4 A).
TEST(LedSolve, GuessTableFollowsTheExactCurrent)
{
    for (int mode = 0; mode <= 1; ++mode) {
        const CircuitSolver solver = solverAt({0.5, 0.5, 0.5}, mode);
        const double K = solver.discrete().dd[3];
        EXPECT_EQ(solver.lookupGuess(0.0), 0.0);
        for (int j = 1; j <= 126; ++j) {
            const double p = j / 14.0;
            EXPECT_NEAR(solver.lookupGuess(p), exactLedCurrent(p, K), 2e-5) << mode << " p " << p;
            EXPECT_EQ(solver.lookupGuess(-p), -solver.lookupGuess(p));
        }
        EXPECT_EQ(solver.lookupGuess(12.0), solver.lookupGuess(9.0));
        EXPECT_EQ(solver.lookupGuess(-1e9), -solver.lookupGuess(9.0));
    }
}

// Inside the table's range the solve takes at most two passes; beyond it the
// start lies high and each pass descends about 42.5 mV, so the work grows
// with |p| (about 700 passes from the 30 V clamp) but stays well below the
// pass limit, and the current is exact.
TEST(LedSolve, ConvergesToTheExactCurrentUpToTheRails)
{
    for (int mode = 0; mode <= 1; ++mode)
        for (double p : {0.5, 1.7, 3.0, 6.0, 9.0, 12.0, 20.0, 30.0, 40.0, -40.0, -15.0, -2.0}) {
            CircuitSolver solver = solverAt({0.5, 0.5, 0.5}, mode);
            const double K = solver.discrete().dd[3];
            double y = 0.0;
            EXPECT_NEAR(currentForOpenCircuitVoltage(solver, p, y), exactLedCurrent(p, K), currentMargin(K)) << p;
            EXPECT_TRUE(std::isfinite(y));
            EXPECT_LE(solver.lastNewtonPasses(), std::fabs(p) <= 9.0 ? 2 : 700) << mode << " p " << p;
        }
}

// The pass limit bounds a solve whose root lies beyond the voltage clamp.
TEST(LedSolve, AbsurdOpenCircuitVoltageEndsAtThePassLimitWithAFiniteCurrent)
{
    CircuitSolver solver;
    for (double p : {1e300, -1e300}) {
        const double current = solver.solveLed(p);
        EXPECT_TRUE(std::isfinite(current));
        EXPECT_EQ(std::signbit(current), std::signbit(p));
        EXPECT_EQ(solver.lastNewtonPasses(), CircuitSolver::maxNewtonPasses);
    }
    double y = 0.0;
    const double K = solver.discrete().dd[3];
    EXPECT_NEAR(currentForOpenCircuitVoltage(solver, 3.0, y), exactLedCurrent(3.0, K), currentMargin(K));
}

TEST(LedSolve, NonFiniteInputNeverReachesTheState)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (double bad : {nan, inf, -inf, 1e300}) {
        CircuitSolver solver;
        double current = 0.0;
        for (int n = 0; n < 4; ++n) {
            EXPECT_TRUE(std::isfinite(solver.process(bad, current, 0))) << bad;
            EXPECT_TRUE(std::isfinite(current)) << bad;
            EXPECT_TRUE(solver.state(0).allFinite()) << bad;
        }
        for (int n = 0; n < 2000; ++n) solver.process(std::sin(0.05 * n), current, 0);
        EXPECT_TRUE(solver.state(0).allFinite()) << bad;
    }

    // NaN is silence.
    CircuitSolver withNan;
    CircuitSolver withZero;
    double current = 0.0;
    for (int n = 0; n < 50; ++n) {
        const double u = n == 10 ? 0.0 : std::sin(0.3 * n);
        EXPECT_EQ(withNan.process(n == 10 ? nan : u, current, 0), withZero.process(u, current, 0)) << n;
    }
}

// The LED pair is symmetric: negating the input negates current and output.
TEST(LedSolve, CurrentAndOutputAreOddInTheInput)
{
    for (int mode = 0; mode <= 1; ++mode) {
        CircuitSolver positive = solverAt({0.3, 0.7, 0.6}, mode);
        CircuitSolver negative = solverAt({0.3, 0.7, 0.6}, mode);
        for (int n = 0; n < 5000; ++n) {
            const double u = 12.0 * std::sin(0.031 * n) + 3.0 * std::sin(0.2 * n);
            double iPositive = 0.0;
            double iNegative = 0.0;
            const double yPositive = positive.process(u, iPositive, 0);
            ASSERT_NEAR(negative.process(-u, iNegative, 0), -yPositive, 1e-9) << mode << " n " << n;
            ASSERT_NEAR(iNegative, -iPositive, 1e-12) << mode << " n " << n;
        }
    }
}

// An independent integration of the same circuit: backward Euler at a 64
// times finer step, with the LED equation solved to 1e-13 V each step. A 6 V,
// 100 Hz sine drives about 0.8 mA through the LEDs. The solver differs only by
// its Newton tolerance (1 mV on the LED voltage, a few uA) and the
// trapezoidal rule's error at 44.1 kHz, a few mV together.
TEST(LedSolve, ClippedSineMatchesAFineStepIntegration)
{
    const int fineSteps = 64;
    const double h = period44k / fineSteps;
    for (int mode = 0; mode <= 1; ++mode) {
        CircuitSolver solver = solverAt({0.4, 0.6, 0.7}, mode);
        const ContinuousModel& c = solver.continuous();
        // s' = M (s + h bc u + h fc i), and the LED sees v = p + K' i.
        const StateMatrix M = (StateMatrix::Identity() - h * c.Ac).inverse();
        const double K = h * (c.gc * M * c.fc).value() + c.dc[3];
        const double is = CircuitSolver::ledSaturationCurrent;
        const double k = CircuitSolver::ledSlope;

        StateColumn s = StateColumn::Zero();
        double v = 0.0;
        double peakCurrent = 0.0;
        for (int n = 1; n <= 4410; ++n) {
            double u = 0.0;
            double i = 0.0;
            for (int m = 1; m <= fineSteps; ++m) {
                u = 6.0 * std::sin(2.0 * kPi * 100.0 * h * ((n - 1) * fineSteps + m));
                const StateColumn open = M * (s + h * c.bc * u);
                const double p = (c.gc * open).value() + c.dc[2] * u;
                for (double step = 1.0; std::fabs(step) > 1e-13; v -= step)
                    step = (v - p - K * is * 2.0 * std::sinh(k * v)) / (1.0 - K * is * k * 2.0 * std::cosh(k * v));
                i = is * 2.0 * std::sinh(k * v);
                s = open + h * M * c.fc * i;
            }
            const double expected = (c.cc * s).value() + c.dc[0] * u + c.dc[1] * i;
            double current = 0.0;
            ASSERT_NEAR(solver.process(u, current, 0), expected, 0.01) << mode << " n " << n;
            peakCurrent = std::max(peakCurrent, std::fabs(i));
        }
        EXPECT_GT(peakCurrent, 4e-4) << mode;  // the LEDs did conduct
    }
}

// --- Linear operation, channels and state --------------------------------------

// With the LEDs out, a sine settles to the analog gain at the prewarped
// frequency. Amplitude by correlation over whole periods: 1 kHz is 44.1
// samples, so 22050 samples hold 500 periods.
TEST(CircuitSolverState, LedsOffFollowsTheAnalogResponse)
{
    for (int mode = 0; mode <= 1; ++mode) {
        CircuitSolver solver = solverAt({0.25, 0.45, 0.7}, mode);
        solver.ledsEnabled = false;
        const double w = 2.0 * kPi * 1000.0 * period44k;
        double inPhase = 0.0;
        double quadrature = 0.0;
        for (int n = 0; n < 44100; ++n) {
            double current = 1.0;
            const double y = solver.process(20.0 * std::sin(w * n), current, 0);
            ASSERT_EQ(current, 0.0);
            ASSERT_EQ(solver.lastNewtonPasses(), 0);
            if (n < 22050) continue;  // the slowest pole has decayed by e^-16
            inPhase += y * std::sin(w * n);
            quadrature += y * std::cos(w * n);
        }
        const double amplitude = 2.0 / 22050.0 * std::hypot(inPhase, quadrature);
        const double expected = 20.0 * analogMagnitude(solver.continuous(), prewarped(w, period44k));
        EXPECT_NEAR(20.0 * std::log10(amplitude / expected), 0.0, 0.001) << mode;
    }
}

// Stereo runs both channels in lock-step; each channel must get exactly the
// bits it gets alone, through one-pass and multi-pass solves, starts beyond
// the table, and the LEDs switched out.
TEST(CircuitSolverState, PairedChannelsGiveTheBitsOfSingleOnes)
{
    for (int mode = 0; mode <= 1; ++mode) {
        CircuitSolver paired = solverAt({0.3, 0.8, 0.6}, mode);
        CircuitSolver single = solverAt({0.3, 0.8, 0.6}, mode);
        for (int n = 0; n < 6000; ++n) {
            paired.ledsEnabled = single.ledsEnabled = n < 5000;
            const double a = 14.0 * std::sin(0.013 * n) + 3.0 * std::sin(0.21 * n);
            const double b = 2.0 * std::sin(0.029 * n + 1.0);
            double u[2] = {a, b};
            double pairedCurrent[2];
            int passes[2];
            paired.processPair(u, pairedCurrent, passes);
            double current = 0.0;
            ASSERT_EQ(u[0], single.process(a, current, 0)) << mode << " n " << n;
            ASSERT_EQ(pairedCurrent[0], current);
            ASSERT_EQ(passes[0], single.lastNewtonPasses());
            ASSERT_EQ(u[1], single.process(b, current, 1)) << mode << " n " << n;
            ASSERT_EQ(pairedCurrent[1], current);
            ASSERT_EQ(passes[1], single.lastNewtonPasses());
        }
    }
}

// Channels share nothing but scratch values that each sample overwrites.
TEST(CircuitSolverState, ChannelsAreIndependent)
{
    CircuitSolver interleaved;
    CircuitSolver left;
    CircuitSolver right;
    double current = 0.0;
    for (int n = 0; n < 3000; ++n) {
        const double a = 8.0 * std::sin(0.013 * n);
        const double b = 11.0 * std::sin(0.037 * n + 1.0);
        EXPECT_EQ(interleaved.process(a, current, 0), left.process(a, current, 0)) << n;
        EXPECT_EQ(interleaved.process(b, current, 1), right.process(b, current, 1)) << n;
    }
    const StateColumn state0 = interleaved.state(0);
    interleaved.process(3.0, current, 1);
    EXPECT_EQ(interleaved.state(0), state0);
}

TEST(CircuitSolverState, KnobChangeKeepsTheStateAndContinuesWithTheNewModel)
{
    CircuitSolver solver = solverAt({0.5, 0.5, 0.5}, 1);
    double current = 0.0;
    for (int n = 0; n < 500; ++n) solver.process(4.0 * std::sin(0.05 * n), current, 0);
    const StateColumn state = solver.state(0);
    ASSERT_NE(state, StateColumn::Zero());

    solver.update(0.9, 0.2, 0.1, period44k, 1);
    EXPECT_EQ(solver.state(0), state);

    solver.ledsEnabled = false;
    const auto& d = solver.discrete();
    EXPECT_NEAR(solver.process(0.7, current, 0), d.dd[0] * 0.7 + d.cd.dot(state), 1e-12);
    EXPECT_TRUE(solver.state(0).isApprox(d.Ad * state + d.bd * 0.7, 1e-12));
}

TEST(CircuitSolverState, FreshInstancesAreBitIdentical)
{
    CircuitSolver first = solverAt({0.4, 0.6, 0.3}, 1, period44k / 8.0);
    CircuitSolver second = solverAt({0.4, 0.6, 0.3}, 1, period44k / 8.0);
    double current = 0.0;
    for (int n = 0; n < 4000; ++n) {
        const double u = 14.0 * std::sin(0.002 * n);
        ASSERT_EQ(first.process(u, current, n & 1), second.process(u, current, n & 1)) << n;
    }
}

}  // namespace
