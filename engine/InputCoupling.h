#ifndef QUENCHBOX_ENGINE_INPUTCOUPLING_H
#define QUENCHBOX_ENGINE_INPUTCOUPLING_H

namespace quenchbox::engine {

// The input coupling capacitor into the first stage: a one-pole high-pass at
// 99.9 rad/s (about 16 Hz) with an input attenuation of 1/1.001, discretised
// with the trapezoidal rule at the circuit period.
class InputCoupling {
public:
    // Single-precision copies for the response display: |H|^2 at
    // v = |1 - 1/z|^2 is num * v / (pole * v + poleTerm).
    struct Display {
        float num = 0.0f;
        float poleTerm = 1.0f;
        float pole = 0.0f;
    };

    virtual ~InputCoupling() = default;

    void setPeriod(double period);
    void publish();
    // |H|^2 at v = |1 - 1/z|^2 = 4 sin^2(w/2), from the published values:
    // |1 - p/z|^2 = (1 - p)^2 + p v for the pole p.
    float power(float v) const { return published.num * v / (published.pole * v + published.poleTerm); }

    // High-pass of one sample of one channel (0 or 1).
    double process(double x, int channel)
    {
        const double u = (inputGain * x - state[channel]) * c1;
        state[channel] += w * u;
        return u;
    }

    // Discharges the capacitor of both channels.
    void clearState() { state[0] = state[1] = 0.0; }

private:
    double state[2] = {0.0, 0.0};
    double inputGain = 0.0;
    double w = 0.0;   // corner frequency times the period
    double c1 = 0.0;  // 1 / (1 + w/2), the implicit trapezoidal step
    Display published;
};

}  // namespace quenchbox::engine

#endif
