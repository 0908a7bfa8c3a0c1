#include "host/CircuitFloor.h"

#include <algorithm>
#include <cmath>

namespace quenchbox::host {

namespace {

// Stable two-state networks of the size the op-amp stages have: the values
// only have to keep the states bounded, the cost does not depend on them.
constexpr double kRail = 4.5;
constexpr double kStageGain = 10.0;

}  // namespace

CircuitFloor::CircuitFloor(const solver::DiscreteModel& model)
{
    stageA = {{0.1, 0.2}, {{0.95, 0.02}, {0.03, 0.9}}, {0.0, 0.0}, {0.05, 0.04}, {0.0, 0.0}};
    stageB = {{0.2, 0.1}, {{0.9, 0.01}, {0.02, 0.85}}, {0.01, -0.02}, {0.03, 0.05}, {0.0, 0.0}};
    tableLow = -kRail;
    tableScale = kTableSteps / (2.0 * kRail);
    for (int j = 0; j <= kTableSteps; ++j)
        loopTable[j] = kRail * std::tanh(kStageGain * (tableLow + j / tableScale) / kRail);

    for (int r = 0; r < kN; ++r) {
        for (int c = 0; c < kN; ++c) ad[r][c] = model.Ad(r, c);
        bd[r] = model.bd[r];
        fd[r] = model.fd[r];
        cd[r] = model.cd[r];
        gd[r] = model.gd[r];
    }
    direct = model.dd[0];
    ledToOutput = model.dd[1];
    inputToLed = model.dd[2];
    ledToLed = model.dd[3];
}

double CircuitFloor::stage(Stage& st, double x) const
{
    const double v = x - (st.k[0] * st.s[0] + st.k[1] * st.s[1]);
    const double t = std::clamp((v - tableLow) * tableScale, 0.0, kTableSteps - 1e-9);
    const int j = static_cast<int>(t);
    const double y = loopTable[j] + (loopTable[j + 1] - loopTable[j]) * (t - j);
    const double s0 = st.ad[0][0] * st.s[0] + st.ad[0][1] * st.s[1] + st.bx[0] * x + st.by[0] * y;
    const double s1 = st.ad[1][0] * st.s[0] + st.ad[1][1] * st.s[1] + st.bx[1] * x + st.by[1] * y;
    st.s[0] = s0;
    st.s[1] = s1;
    return y;
}

double CircuitFloor::tone(double u)
{
    using solver::CircuitSolver;
    double p = inputToLed * u;
    double y = direct * u;
    for (int n = 0; n < kN; ++n) {
        p += gd[n] * w[n];
        y += cd[n] * w[n];
    }

    const double v = ledVoltage;
    const double e = std::exp(CircuitSolver::ledSlope * v);
    const double r = 1.0 / e;
    const double i = CircuitSolver::ledSaturationCurrent * (e - r);
    const double residual = (v - p) - ledToLed * i;
    const double slope =
        1.0 - (r + e) * (ledToLed * CircuitSolver::ledSaturationCurrent * CircuitSolver::ledSlope);
    ledVoltage = std::clamp(v - residual / slope, -CircuitSolver::maxLedVoltage, CircuitSolver::maxLedVoltage);

    double next[kN];
    for (int r0 = 0; r0 < kN; ++r0) {
        double sum = bd[r0] * u + fd[r0] * i;
        for (int c = 0; c < kN; ++c) sum += ad[r0][c] * w[c];
        next[r0] = sum;
    }
    std::copy(next, next + kN, w);
    return y + ledToOutput * i;
}

double CircuitFloor::run(const float* samples, std::size_t count)
{
    double sum = 0.0;
    for (std::size_t n = 0; n < count; ++n) {
        const double a = stage(stageA, static_cast<double>(samples[n]));
        const double b = stage(stageB, a);
        sum += tone(b);
    }
    return sum;
}

}  // namespace quenchbox::host
