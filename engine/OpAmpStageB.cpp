#include "engine/OpAmpStageB.h"

namespace quenchbox::engine {

void OpAmpStageB::setCoefficients(double period, double drive)
{
    rNet = -10000.0 - (1.0 - drive) * 100000.0;
    const double r = rNet;
    const double ca = 6.875e-8;  // 100 nF and 220 nF in series
    const double cb = 2.2e-10;

    // States: the input capacitors' voltage and the feedback capacitor's
    // voltage; inputs: the stage input x and the op-amp output y.
    // 0.0001496 = 680k * 220p.
    const Matrix<double, 2> a{{{1.0 / (r * ca), -1.0 / (r * ca)},
                               {-1.0 / (r * cb), (680000.0 - r) / (r * 0.0001496)}}};
    const Vector<double, 2> bx{1.0 / (r * ca), -1.0 / (r * cb)};
    const Vector<double, 2> by{-1.0 / (r * ca), 1.0 / (r * cb)};
    const Vector<double, 2> c{0.0, 1.0};

    const TrapezoidalRule<2> rule(a, period);
    ad = rule.stateMatrix(a);
    bxd = rule.inputColumn(bx);
    byd = rule.inputColumn(by);
    k = rule.outputRow(c);
    dx = rule.directTerm(c, bx, 0.0);
    dy = rule.directTerm(c, by, 1.0);
    rebuildLoopTable();
}

void OpAmpStageB::publish()
{
    shown.ad = toDisplay(ad);
    shown.bxd = toDisplay(bxd);
    shown.byd = toDisplay(byd);
    shown.k = toDisplay(k);
    shown.dx = DisplayValue(static_cast<float>(dx), 0.0f);
    shown.dy = DisplayValue(static_cast<float>(dy), 0.0f);
    shown.rNet = rNet;
    shown.openLoopGain = gain();
}

float OpAmpStageB::response(std::complex<float> z) const
{
    // Magnitudes of the paths from the input and from the output to the
    // inverting input stand in for the complex ones.
    const double forward = std::abs(throughStates(shown.k, shown.ad, shown.bxd, z) + shown.dx);
    const double loop = std::abs(throughStates(shown.k, shown.ad, shown.byd, z) + shown.dy);
    const double a = shown.openLoopGain;
    const double closedLoop = -(a * forward * shown.rNet) / ((a * loop + 1.0) * 680000.0);
    const float single = static_cast<float>(closedLoop);
    return single * single;
}

}  // namespace quenchbox::engine
