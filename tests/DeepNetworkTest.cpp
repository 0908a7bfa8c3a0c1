#include "engine/DeepNetwork.h"
#include "tests/SteadyStateResponse.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <vector>

namespace {

using quenchbox::engine::DeepNetwork;
using quenchbox::tests::decibels;
using quenchbox::tests::steadyStateResponse;

constexpr double kPi = 3.14159265358979323846;
constexpr double kHostRate = 44100.0;
constexpr double kOversampledRate = 8.0 * kHostRate;

double responseDb(const DeepNetwork& deep, double omega)
{
    const std::complex<float> z(static_cast<float>(std::cos(omega)), static_cast<float>(std::sin(omega)));
    return 10.0 * std::log10(deep.response(z));
}

// The trapezoidal rule maps analog frequency w to digital angle
// 2 atan(w T / 2), so the discrete response there is exactly the analog one.
double analogDb(const DeepNetwork& deep, double frequency, double rate)
{
    return responseDb(deep, 2.0 * std::atan(kPi * frequency / rate));
}

TEST(DeepNetworkResponse, DiscreteNetworkAtHalfDeepOversampled)
{
    struct Point {
        double frequency;
        double db;
    };
    for (const Point& p : {Point{100.0, 3.59}, Point{1000.0, 0.02}, Point{10000.0, -2.62}}) {
        DeepNetwork deep;
        deep.configure(1.0 / kOversampledRate, 0.5);
        const auto measured = steadyStateResponse([&](double x) { return deep.process(x, 0); }, p.frequency,
                                                  kOversampledRate, 0.1, 0.5);
        EXPECT_NEAR(decibels(std::abs(measured)), p.db, 0.1) << p.frequency << " Hz";
    }
}

TEST(DeepNetworkResponse, AnalogPrototypeBoostsLowsAndCutsHighs)
{
    struct Point {
        double deep;
        double frequency;
        double db;
    };
    const Point points[] = {
        {1.0, 100.0, 10.59}, {1.0, 91.0, 10.87}, {1.0, 20000.0, -0.83},
        {0.0, 100.0, 2.23},  {0.0, 74.0, 2.43},  {0.0, 20000.0, -7.51},
    };
    for (const Point& p : points) {
        DeepNetwork deep;
        deep.configure(1.0 / kOversampledRate, p.deep);
        deep.publish();
        EXPECT_NEAR(analogDb(deep, p.frequency, kOversampledRate), p.db, 0.01) << p.deep << " at " << p.frequency;
        EXPECT_NEAR(analogDb(deep, 1000.0, kOversampledRate), 0.0, 0.05) << p.deep;
    }

    // The boost peaks near 91 Hz with Deep full and near 74 Hz with Deep off.
    for (const Point& peak : {points[1], points[4]}) {
        DeepNetwork deep;
        deep.configure(1.0 / kOversampledRate, peak.deep);
        deep.publish();
        const double top = analogDb(deep, peak.frequency, kOversampledRate);
        EXPECT_GT(top, analogDb(deep, peak.frequency * 0.9, kOversampledRate));
        EXPECT_GT(top, analogDb(deep, peak.frequency * 1.1, kOversampledRate));
    }
}

// The single-precision display against the transfer function evaluated in
// double precision from the running network's own impulse response,
// H(z) = sum h[n] z^-n, summed until it has decayed below 1e-15.
TEST(DeepNetworkResponse, DisplayMatchesTheImpulseResponse)
{
    for (double rate : {kHostRate, kOversampledRate}) {
        for (double amount : {0.0, 0.604975743, 1.0}) {
            DeepNetwork deep;
            deep.configure(1.0 / rate, amount);
            deep.publish();
            const int length = static_cast<int>(rate);  // one second
            std::vector<double> impulse(length);
            for (int n = 0; n < length; ++n) impulse[n] = deep.process(n == 0 ? 1.0 : 0.0, 0);
            ASSERT_LT(std::fabs(impulse[length - 1]), 1e-15);

            for (double f = 20.0; f < 21000.0; f *= 1.5) {
                const double omega = 2.0 * kPi * f / rate;
                std::complex<double> h;
                for (int n = 0; n < length; ++n) h += impulse[n] * std::polar(1.0, -omega * n);
                EXPECT_NEAR(responseDb(deep, omega), decibels(std::abs(h)), 1e-3) << rate << " " << amount << " " << f;
            }
        }
    }
}

TEST(DeepNetworkResponse, ResponseWaitsForPublish)
{
    DeepNetwork deep;
    deep.configure(1.0 / kHostRate, 0.2);
    deep.publish();
    const std::complex<float> z = std::polar(1.0f, 0.01f);
    const float before = deep.response(z);
    deep.configure(1.0 / kHostRate, 0.9);
    EXPECT_EQ(deep.response(z), before);
    deep.publish();
    EXPECT_GT(deep.response(z), before);
}

double testSignal(int n) { return 0.3 * std::sin(0.013 * n) + 0.1 * std::sin(0.31 * n); }

// Repeating an unchanged (period, Deep) pair must not disturb the running
// state: the output stays bit-identical to an uninterrupted run.
TEST(DeepNetworkState, UnchangedPairLeavesTheStateAlone)
{
    DeepNetwork reference;
    DeepNetwork repeated;
    reference.configure(1.0 / kHostRate, 0.604975743);
    repeated.configure(1.0 / kHostRate, 0.604975743);
    for (int n = 0; n < 3000; ++n) {
        if (n % 500 == 0) repeated.configure(1.0 / kHostRate, 0.604975743);
        ASSERT_EQ(reference.process(testSignal(n), 0), repeated.process(testSignal(n), 0)) << n;
    }
}

// A new Deep setting changes the coefficients but keeps the capacitor
// voltages, so the network keeps ringing instead of restarting from rest.
TEST(DeepNetworkState, RecomputeKeepsTheState)
{
    DeepNetwork deep;
    deep.configure(1.0 / kHostRate, 0.3);
    for (int n = 0; n < 2000; ++n) deep.process(testSignal(n), 0);
    deep.configure(1.0 / kHostRate, 0.8);
    EXPECT_NE(deep.process(0.0, 0), 0.0);
    EXPECT_EQ(deep.process(0.0, 1), 0.0);  // the other channel was never driven
}

}  // namespace
