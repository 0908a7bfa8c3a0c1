#include "engine/OutputFilter.h"

#include <cmath>

namespace quenchbox::engine {

namespace {

constexpr double kPi = 3.14159265358979323846;

struct AnalogPole {
    double pole;  // p of H(s) = g / (s - p)
    double gain;  // g
};

AnalogPole outputPrototype(double level, bool bright, int mode)
{
    const double cOut = bright ? 1e-11 : 4.7e-10;
    if (mode == 1) {
        const double k = 1.0 / (cOut * (level * 1e6 * ((2.0 - level) * 1e6 * 470000.0 + (1.0 - level) * 1e12)
                                        + 4.268e16));
        return {-1.94e12 * k, 1e12 * k};
    }
    const double k = 1.0 / (cOut * ((1.0 - level) * level * 1e6 + 22000.0));
    return {-k, k};
}

}  // namespace

void OutputFilter::setCoefficients(double period, double level, bool bright, int mode)
{
    const auto [p, g] = outputPrototype(level, bright, mode);
    const double e = std::exp(p * period);
    const double b = g * (e - 1.0) / p;

    // Analog over digital gain at DC and at a quarter of the circuit rate.
    const double dcRatio = (-g / p) / (b / (1.0 - e));
    const double quarterRate = kPi / 2.0 / period;
    const double quarterRatio = (std::fabs(g) / std::sqrt(quarterRate * quarterRate + p * p)) / (b / std::sqrt(e * e + 1.0));

    const double t = 2.0 * quarterRatio * quarterRatio - 1.0;
    const double q = t >= 0.0 ? 0.5 * dcRatio * (1.0 + std::sqrt(t)) : 0.5 * dcRatio * std::sqrt(1.0 - t);

    a = e;
    b0 = b * q;
    b1 = b * (dcRatio - q + e * q);
}

float OutputFilter::response(std::complex<float> z) const
{
    const std::complex<float> h = shown.b1 / std::complex<float>(z.real() - shown.a, z.imag());
    const float re = h.real() + shown.b0;
    return re * re + h.imag() * h.imag();
}

}  // namespace quenchbox::engine
