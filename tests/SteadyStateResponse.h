#ifndef QUENCHBOX_TESTS_STEADYSTATERESPONSE_H
#define QUENCHBOX_TESTS_STEADYSTATERESPONSE_H

#include <cmath>
#include <complex>

namespace quenchbox::tests {

// Complex steady-state response of a per-sample process to a sine: drive it,
// let the transient die away for `settleSeconds`, then correlate input and
// output over a window of a tenth of a second. Frequencies on a 10 Hz grid
// fit a whole number of cycles into the window, so a DC offset at the
// output does not leak into the result.
template <typename Process>
std::complex<double> steadyStateResponse(Process&& process, double frequency, double rate, double amplitude,
                                         double settleSeconds)
{
    const double omega = 2.0 * 3.14159265358979323846 * frequency / rate;
    const long settle = std::lround(settleSeconds * rate);
    const long window = std::lround(rate / 10.0);
    std::complex<double> in;
    std::complex<double> out;
    for (long n = 0; n < settle + window; ++n) {
        const double phase = omega * static_cast<double>(n % window);
        const double x = amplitude * std::sin(phase);
        const double y = process(x);
        if (n >= settle) {
            const std::complex<double> probe = std::polar(1.0, -phase);
            in += x * probe;
            out += y * probe;
        }
    }
    return out / in;
}

inline double decibels(double magnitude) { return 20.0 * std::log10(magnitude); }

}  // namespace quenchbox::tests

#endif
