#include "engine/DeepNetwork.h"

namespace quenchbox::engine {

DeepNetwork::DeepNetwork() { recompute(); }

void DeepNetwork::configure(double newPeriod, double newDeepAmount)
{
    if (newPeriod == period && newDeepAmount == deepAmount) return;
    period = newPeriod;
    deepAmount = newDeepAmount;
    recompute();
}

void DeepNetwork::recompute()
{
    // Nodal analysis of the network with the pot's share u = 1 - Deep as the
    // only variable, every entry over the common denominator 1 / n.
    const double u = 1.0 - deepAmount;
    const double p = u * 183001419500.0;
    const double q = u * 1830014195000.0;
    const double n = 1.0 / (p + 8404256500.0);
    const double inputScale = n * 0.52480746;

    const Matrix<double, 3> a{{
        {(q + 267043984500.0) * -14.70588235 * n, (p + 14255321500.0) * 147.0588235 * n, -860450735200.0 * n},
        {(p + 14255321500.0) * 100.0 * n, (u * 1427909115000.0 + 67446821500.0) * -100.0 * n,
         (u * 390071.0 + 18500.0) * 319149000.0 * n},
        {-7562042131000000.0 * n, 2417795454000000.0 * n, (p + 61595756500.0) * -45454.54545 * n},
    }};
    const Vector<double, 3> b{-1586092307000.0 * inputScale, (u * 1170213.0 + 50500.0) * -106383000.0 * inputScale,
                              (u * 156383.0 + 50500.0) * -102884933500.0 * inputScale};
    const Vector<double, 3> c{0.0, 0.0, -1.0};

    const TrapezoidalRule<3> rule(a, period);
    ad = rule.stateMatrix(a);
    bd = rule.inputColumn(b);
    cd = rule.outputRow(c);
    dd = rule.directTerm(c, b, 0.0);
}

void DeepNetwork::publish()
{
    shown.ad = toDisplay(ad);
    shown.bd = toDisplay(bd);
    shown.cd = toDisplay(cd);
    shown.dd = DisplayValue(static_cast<float>(dd), 0.0f);
}

float DeepNetwork::response(std::complex<float> z) const
{
    return std::norm(throughStates(shown.cd, shown.ad, shown.bd, z) + shown.dd);
}

}  // namespace quenchbox::engine
