#ifndef QUENCHBOX_ENGINE_OUTPUTFILTER_H
#define QUENCHBOX_ENGINE_OUTPUTFILTER_H

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

    void setCoefficients(double period, double level, bool bright, int mode);

    double process(double x, int channel)
    {
        const double y = b0 * x + state[channel];
        state[channel] = b1 * x + a * state[channel];
        return y;
    }
};

}  // namespace quenchbox::engine

#endif
