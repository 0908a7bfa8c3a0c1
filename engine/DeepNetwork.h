#ifndef QUENCHBOX_ENGINE_DEEPNETWORK_H
#define QUENCHBOX_ENGINE_DEEPNETWORK_H

#include "engine/StateSpace.h"

#include <complex>

namespace quenchbox::engine {

// The three-capacitor network behind the Deep control (second circuit
// variant only): a resonant low-frequency boost with a gentle high cut.
// Analog, it lifts about 100 Hz by +2.2 dB (Deep 0) to +10.6 dB (Deep 1),
// leaves 1 kHz near 0 dB and takes 0.8 to 7.5 dB off 20 kHz.
//
// The continuous state-space model is closed-form in the Deep fraction and
// discretised with the trapezoidal rule; the states survive coefficient
// changes, so turning the knob does not click.
class DeepNetwork {
public:
    // Single-precision copies for the response display, as of the last
    // publish.
    struct Display {
        Matrix<DisplayValue, 3> ad{};
        Vector<DisplayValue, 3> bd{};
        Vector<DisplayValue, 3> cd{};
        DisplayValue dd{};
    };

    DeepNetwork();

    // Recomputes only when the period or the Deep fraction differs from the
    // stored pair.
    void configure(double period, double deepAmount);

    double process(double x, int channel)
    {
        Vector<double, 3>& s = state[channel];
        const double y = dd * x + dot(cd, s);
        s = multiply(ad, s);
        for (int i = 0; i < 3; ++i) s[i] += bd[i] * x;
        return y;
    }

    // Discharges the network of both channels.
    void clearState() { state[0] = state[1] = Vector<double, 3>{}; }

    void publish();
    // |H|^2 at z of the discrete network.
    float response(std::complex<float> z) const;

private:
    void recompute();

    double period = 1.0 / 44100.0;
    double deepAmount = 0.0;
    Matrix<double, 3> ad{};
    Vector<double, 3> bd{};
    Vector<double, 3> cd{};
    double dd = 0.0;
    Vector<double, 3> state[2]{};
    Display shown;
};

}  // namespace quenchbox::engine

#endif
