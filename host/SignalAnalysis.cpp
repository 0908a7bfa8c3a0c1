#include "host/SignalAnalysis.h"

#include <cmath>

namespace quenchbox::host {

namespace {

constexpr double kPi = 3.14159265358979323846;

}  // namespace

std::complex<double> dftAt(const std::vector<double>& x, long start, long length, double frequency,
                           double sampleRate, const std::vector<double>* window)
{
    const double w = 2.0 * kPi * frequency / sampleRate;
    const double coefficient = 2.0 * std::cos(w);
    double s1 = 0.0;
    double s2 = 0.0;
    for (long n = 0; n < length; ++n) {
        const double weighted = window ? (*window)[n] * x[start + n] : x[start + n];
        const double s0 = weighted + coefficient * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    // X = e^(jw(N-1)) (s1 - e^(-jw) s2), referred to the first sample.
    const std::complex<double> tail = s1 - std::polar(1.0, -w) * s2;
    return tail * std::polar(1.0, -w * static_cast<double>(length - 1));
}

double nonHarmonicDb(const std::vector<double>& x, double fundamental, double sampleRate)
{
    const long n = static_cast<long>(x.size());
    double total = 0.0;
    for (double sample : x)
        total += sample * sample;
    // Parseval: a bin k with 0 < k < N/2 carries 2 |X_k|^2 / N of the energy.
    const double dc = std::norm(dftAt(x, 0, n, 0.0, sampleRate)) / n;
    const double fundamentalEnergy = 2.0 * std::norm(dftAt(x, 0, n, fundamental, sampleRate)) / n;
    double harmonics = 0.0;
    for (double f = fundamental; f < 0.5 * sampleRate; f += fundamental)
        harmonics += 2.0 * std::norm(dftAt(x, 0, n, f, sampleRate)) / n;
    return 10.0 * std::log10((total - dc - harmonics) / fundamentalEnergy);
}

double phaseDelay(const std::vector<double>& x, const std::vector<double>& y, double frequency, double sampleRate)
{
    const long n = static_cast<long>(x.size());
    const std::complex<double> ratio = dftAt(x, 0, n, frequency, sampleRate) / dftAt(y, 0, n, frequency, sampleRate);
    return std::arg(ratio) / (2.0 * kPi * frequency / sampleRate);
}

}  // namespace quenchbox::host
