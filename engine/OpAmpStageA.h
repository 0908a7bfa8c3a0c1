#ifndef QUENCHBOX_ENGINE_OPAMPSTAGEA_H
#define QUENCHBOX_ENGINE_OPAMPSTAGEA_H

#include "engine/OpAmpModel.h"
#include "engine/StateSpace.h"

#include <complex>

namespace quenchbox::engine {

// The first gain stage: a non-inverting op-amp whose feedback resistor is one
// gang of the Drive pot (100 kOhm, with 120 pF across it), returned to ground
// through 2.2 kOhm and 100 nF. Its two capacitor voltages are the network
// state; the op-amp's inverting input is K s + beta y, so per sample the
// part v = x - K s is known before the output y is looked up.
class OpAmpStageA final : public OpAmpModel {
public:
    // Single-precision copies for the response display, with the scalars the
    // display needs, all as of the last publish.
    struct Display {
        Matrix<DisplayValue, 2> ad{};
        Vector<DisplayValue, 2> bd{};
        Vector<DisplayValue, 2> k{};
        DisplayValue beta{};
        double beta0 = 0.0;
        double openLoopGain = 0.0;
    };

    // Drive is the pot fraction, above 0 (at 0 the feedback gang shorts its
    // capacitor).
    void setCoefficients(double period, double drive) override;

    double process(double x, int channel)
    {
        const Vector<double, 2>& s = state[channel];
        const double v = x - dot(k, s);
        const double y = closedLoopOutput(v);
        updateIndicator(y, v, channel);
        updateState(x, y, channel);
        return y;
    }

    void updateState(double, double y, int channel) override
    {
        Vector<double, 2>& s = state[channel];
        s = multiply(ad, s);
        s[0] += bd[0] * y;
        s[1] += bd[1] * y;
    }

    // Discharges the feedback network of both channels.
    void clearState()
    {
        state[0] = state[1] = Vector<double, 2>{};
        clearIndicator();
    }

    void publish();
    // |H|^2 at z of the stage with the op-amp taken as linear, normalised by
    // the mid-band feedback fraction so that the pass band reads about 1.
    float response(std::complex<float> z) const;

    double loopFeedback() const override { return beta; }

private:
    Matrix<double, 2> ad{};
    Vector<double, 2> bd{};
    Vector<double, 2> k{};
    double beta = 0.0;   // share of the output at the inverting input within one sample
    double beta0 = 0.0;  // mid-band feedback fraction 2.2k / (2.2k + Drive gang)
    Vector<double, 2> state[2]{};
    Display shown;
};

}  // namespace quenchbox::engine

#endif
