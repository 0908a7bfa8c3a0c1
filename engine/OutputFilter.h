#ifndef QUENCHBOX_ENGINE_OUTPUTFILTER_H
#define QUENCHBOX_ENGINE_OUTPUTFILTER_H

#include <complex>

namespace quenchbox::engine {

// The output network: the Level pot as source impedance into the output
// capacitor (470 pF, or 10 pF with Bright), a first-order low-pass. Its pole
// is matched (e^(pT)) and its zero placed so that the gain at DC and at a
// quarter of the circuit rate follow the analog prototype.
struct OutputFilter {
    double state[2] = {0.0, 0.0};
    double a = 0.0;
    double b1 = 0.0;
    double b0 = 0.0;

    // Discharges the output capacitor of both channels.
    void clearState() { state[0] = state[1] = 0.0; }

    // Single-precision coefficients as of the last publish, for the display.
    struct Display {
        float a = 0.0f;
        float b1 = 0.0f;
        float b0 = 0.0f;
    };

    void setCoefficients(double period, double level, bool bright, int mode);
    void publish() { shown = {static_cast<float>(a), static_cast<float>(b1), static_cast<float>(b0)}; }
    // |b0 + b1 / (z - a)|^2 from the published coefficients.
    float response(std::complex<float> z) const;

    double process(double x, int channel)
    {
        const double y = b0 * x + state[channel];
        state[channel] = b1 * x + a * state[channel];
        return y;
    }

    Display shown;
};

}  // namespace quenchbox::engine

#endif
