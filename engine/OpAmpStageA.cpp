#include "engine/OpAmpStageA.h"

namespace quenchbox::engine {

void OpAmpStageA::setCoefficients(double period, double drive)
{
    const double feedbackResistor = drive * 100000.0;
    const double r = feedbackResistor + 2200.0;
    beta0 = 2200.0 / r;

    // States: the 100 nF voltage and the 120 pF voltage; input: the op-amp
    // output. 4545.45... = 1 / (2.2k * 100n), 3787878.78... = 1 / (2.2k * 120p).
    const Matrix<double, 2> a{{{-4545.454545454546, 4545.454545454546},
                               {3787878.787878788, -r / (feedbackResistor * 1.2e-10 * 2200.0)}}};
    const Vector<double, 2> b{4545.454545454546, -3787878.787878788};
    const Vector<double, 2> c{0.0, 1.0};

    const TrapezoidalRule<2> rule(a, period);
    ad = rule.stateMatrix(a);
    bd = rule.inputColumn(b);
    k = rule.outputRow(c);
    beta = rule.directTerm(c, b, 1.0);
    rebuildLoopTable();
}

void OpAmpStageA::publish()
{
    shown.ad = toDisplay(ad);
    shown.bd = toDisplay(bd);
    shown.k = toDisplay(k);
    shown.beta = DisplayValue(static_cast<float>(beta), 0.0f);
    shown.beta0 = beta0;
    shown.openLoopGain = gain();
}

float OpAmpStageA::response(std::complex<float> z) const
{
    // The loop magnitude stands in for the complex loop gain.
    const double loop = std::abs(throughStates(shown.k, shown.ad, shown.bd, z) + shown.beta);
    const double closedLoop = shown.openLoopGain * shown.beta0 / (shown.openLoopGain * loop + 1.0);
    const float single = static_cast<float>(closedLoop);
    return single * single;
}

}  // namespace quenchbox::engine
