#include "engine/OutputFilter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>

namespace {

using quenchbox::engine::OutputFilter;

constexpr double kPi = 3.14159265358979323846;

double digitalMagnitude(const OutputFilter& f, double omega)
{
    const std::complex<double> zInv = std::polar(1.0, -omega);
    return std::abs((f.b0 + (f.b1 - f.a * f.b0) * zInv) / (1.0 - f.a * zInv));
}

// H(s) = g / (s - p): the prototype's magnitude at angular frequency w.
double analogMagnitude(double g, double p, double w) { return std::fabs(g) / std::hypot(w, p); }

TEST(OutputFilter, MatchesPrototypeAtDcAndQuarterRateInBothModes)
{
    const double period = 1.0 / 44100.0;
    for (int mode = 0; mode <= 1; ++mode) {
        for (bool bright : {false, true}) {
            for (double level : {0.05, 0.2068, 0.5, 0.9}) {
                OutputFilter f;
                f.setCoefficients(period, level, bright, mode);
                const double cOut = bright ? 1e-11 : 4.7e-10;
                double p;
                double g;
                if (mode == 1) {
                    const double k = 1.0 / (cOut * (level * 1e6 * ((2 - level) * 1e6 * 470000.0 + (1 - level) * 1e12) + 4.268e16));
                    p = -1.94e12 * k;
                    g = 1e12 * k;
                } else {
                    const double k = 1.0 / (cOut * ((1 - level) * level * 1e6 + 22000.0));
                    p = -k;
                    g = k;
                }
                EXPECT_NEAR(digitalMagnitude(f, 0.0), analogMagnitude(g, p, 0.0), 1e-9) << mode << bright << level;
                EXPECT_NEAR(digitalMagnitude(f, kPi / 2.0), analogMagnitude(g, p, kPi / 2.0 / period), 1e-6)
                    << mode << bright << level;
            }
        }
    }
}

TEST(OutputFilter, ChannelsKeepSeparateStates)
{
    OutputFilter f;
    f.setCoefficients(1.0 / 48000.0, 0.5, false, 0);
    for (int n = 0; n < 64; ++n) f.process(1.0, 0);
    EXPECT_EQ(f.state[1], 0.0);
    EXPECT_NE(f.state[0], 0.0);
}

}  // namespace
