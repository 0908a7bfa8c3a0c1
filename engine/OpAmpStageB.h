#ifndef QUENCHBOX_ENGINE_OPAMPSTAGEB_H
#define QUENCHBOX_ENGINE_OPAMPSTAGEB_H

#include "engine/OpAmpModel.h"
#include "engine/StateSpace.h"

#include <complex>

namespace quenchbox::engine {

// The second gain stage: an inverting op-amp fed through 100 nF and 220 nF in
// series and a resistance of 10 kOhm plus the other Drive gang (the
// complementary fraction), with 680 kOhm and 220 pF in feedback. The
// non-inverting input is at ground; the inverting input is
// K s + Dx x + Dy y, so per sample v = -(K s + Dx x) is known before the
// output y is looked up.
class OpAmpStageB final : public OpAmpModel {
public:
    // Single-precision copies for the response display, with the scalars the
    // display needs, all as of the last publish.
    struct Display {
        Matrix<DisplayValue, 2> ad{};
        Vector<DisplayValue, 2> bxd{};
        Vector<DisplayValue, 2> byd{};
        Vector<DisplayValue, 2> k{};
        DisplayValue dx{};
        DisplayValue dy{};
        double rNet = 0.0;
        double openLoopGain = 0.0;
    };

    void setCoefficients(double period, double drive) override;

    double process(double x, int channel)
    {
        const Vector<double, 2>& s = state[channel];
        const double v = -(dot(k, s) + dx * x);
        const double y = closedLoopOutput(v);
        updateIndicator(y, v, channel);
        updateState(x, y, channel);
        return y;
    }

    void updateState(double x, double y, int channel) override
    {
        Vector<double, 2>& s = state[channel];
        s = multiply(ad, s);
        s[0] += bxd[0] * x + byd[0] * y;
        s[1] += bxd[1] * x + byd[1] * y;
    }

    // Discharges the feedback network of both channels.
    void clearState()
    {
        state[0] = state[1] = Vector<double, 2>{};
        clearIndicator();
    }

    void publish();
    // |H|^2 at z of the stage with the op-amp taken as linear, scaled by the
    // input resistance over the 680 kOhm feedback resistor so that the pass
    // band reads about 1.
    float response(std::complex<float> z) const;

    double loopFeedback() const override { return dy; }

private:
    Matrix<double, 2> ad{};
    Vector<double, 2> bxd{};
    Vector<double, 2> byd{};
    Vector<double, 2> k{};
    double dx = 0.0;    // share of the stage input at the inverting input within one sample
    double dy = 0.0;    // share of the output at the inverting input within one sample
    double rNet = 0.0;  // input resistance, negative: -(10k + (1 - drive) 100k)
    Vector<double, 2> state[2]{};
    Display shown;
};

}  // namespace quenchbox::engine

#endif
