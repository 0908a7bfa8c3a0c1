#include "solver/CircuitSolver.h"

#include <algorithm>
#include <cmath>

namespace quenchbox::solver {

namespace {

// The starting-point table covers open-circuit voltages 0 to 9 V in steps of
// 1/7 V.
constexpr double guessStep = 0.14285714285714285;         // 1/7 V
constexpr double inverseGuessSpan = 0.1111111111111111;   // 1/9 per volt

// Anything the op-amps can deliver passes unchanged; NaN counts as silence,
// and a larger (or infinite) voltage is held at the limit.
double limitInput(double u)
{
    if (std::fabs(u) <= CircuitSolver::maxInputVoltage) return u;
    if (std::isnan(u)) return 0.0;
    return std::copysign(CircuitSolver::maxInputVoltage, u);
}

}  // namespace

CircuitSolver::CircuitSolver()
{
    update(0.5, 0.5, 0.5, 1.0 / 44100.0, 0);
}

void CircuitSolver::update(double bass, double middle, double treble, double newPeriod, int newMode)
{
    const bool knobsUnchanged =
        bass == bassValue && middle == middleValue && treble == trebleValue && newMode == mode;
    if (!knobsUnchanged) {
        bassValue = bass;
        middleValue = middle;
        trebleValue = treble;
        mode = newMode;
        computeCoefficients(bassValue, middleValue, trebleValue, mode, continuousModel);
    }
    period = newPeriod;
    discretise();
}

// Trapezoidal rule with S = (2/T) I and the resolvent R = (S - Ac)^-1:
// Ad = (S + Ac) R, input columns 2 R b, output rows (2/T) c R, direct terms
// c R b plus the continuous direct term.
void CircuitSolver::discretise()
{
    const double s = 2.0 / period;
    const ContinuousModel& c = continuousModel;
    DiscreteModel& d = discreteModel;

    const StateMatrix identity = StateMatrix::Identity();
    const StateMatrix resolvent = (s * identity - c.Ac).partialPivLu().inverse();
    d.Ad.noalias() = (s * identity + c.Ac) * resolvent;

    d.bd.noalias() = resolvent * c.bc;
    d.bd *= 2.0;
    d.cd.noalias() = c.cc * resolvent;
    d.dd[0] = d.cd.dot(c.bc) + c.dc[0];
    d.cd *= s;

    const StateColumn ledColumn = resolvent * c.fc;
    d.fd = 2.0 * ledColumn;
    d.dd[1] = c.cc.dot(ledColumn) + c.dc[1];

    d.gd.noalias() = c.gc * resolvent;
    d.dd[2] = d.gd.dot(c.bc) + c.dc[2];
    d.dd[3] = d.gd.dot(c.fc) + c.dc[3];
    d.gd *= s;

    buildGuessTable();
}

// The table holds the solved LED current for p = j/7 V; each solve starts from
// the previous solution, so every entry needs only a few passes.
void CircuitSolver::buildGuessTable()
{
    ledVoltage = 0.0;
    for (int j = 0; j < guessTableSize; ++j) guessTable[j] = solveLed(static_cast<double>(j) * guessStep);
}

double CircuitSolver::lookupGuess(double p) const
{
    double a = p * inverseGuessSpan;
    double sign = 1.0;
    if (a < 0.0) {
        a = -a;
        sign = -1.0;
    }
    if (a > 1.0) a = 1.0;
    a *= guessTableSize - 1;
    const int j = static_cast<int>(a);
    const double fraction = a - j;
    double guess = guessTable[j];
    if (fraction > 0.0) guess += (guessTable[j + 1] - guess) * fraction;
    return guess * sign;
}

// Newton's method on the residual f(v) = (v - p) - K i(v) with the pair's
// current i(v) = Is (e^(kv) - e^(-kv)). Since K < 0, f rises with a slope of
// at least 1, so the root is unique. Far above the root each pass descends by
// about 1/k (42.5 mV); the clamp keeps e^(kv) finite on the way down, and the
// pass limit bounds the work should the root lie beyond the clamp (only for an
// absurd p, above about 1e289 V): the current then stays that of the clamped,
// finite voltage.
double CircuitSolver::solveLed(double p)
{
    const double k = ledSlope;
    const double K = discreteModel.dd[3];
    const double slopeFactor = K * ledSaturationCurrent * k;

    double v = std::clamp(ledVoltage, -maxLedVoltage, maxLedVoltage);
    for (int pass = 1;; ++pass) {
        const double e = std::exp(k * v);
        const double r = 1.0 / e;
        const double i = ledSaturationCurrent * (e - r);
        const double residual = (v - p) - K * i;
        const double slope = 1.0 - (r + e) * slopeFactor;
        v = std::clamp(v - residual / slope, -maxLedVoltage, maxLedVoltage);

        const bool converged = residual >= -ledTolerance && residual <= ledTolerance;
        if (converged || pass == maxNewtonPasses) {
            ledVoltage = v;
            newtonPasses = pass;
            return i;
        }
    }
}

double CircuitSolver::process(double u, double& ledCurrent, int channel)
{
    u = limitInput(u);
    StateColumn& w = channelState[channel];
    const DiscreteModel& d = discreteModel;
    const auto [D, E, P, K] = d.dd;

    ledCurrent = 0.0;
    newtonPasses = 0;
    if (ledsEnabled) {
        const double p = P * u + d.gd.dot(w);
        // The table current implies this LED voltage through the linear side.
        ledVoltage = lookupGuess(p) * K + p;
        ledCurrent = solveLed(p);
    }

    // Output and LED voltage see the state before the step; the step uses
    // this sample's LED current.
    const double y = (D * u + d.cd.dot(w)) + E * ledCurrent;
    scratch.noalias() = d.Ad * w;
    for (int n = 0; n < stateCount; ++n) w[n] = (scratch[n] + u * d.bd[n]) + ledCurrent * d.fd[n];
    return y;
}

void CircuitSolver::publishDisplay()
{
    AdDisplay.real() = discreteModel.Ad.cast<float>();
    bdDisplay.real() = discreteModel.bd.cast<float>();
    cdDisplay.real() = discreteModel.cd.cast<float>();
    directDisplay = static_cast<float>(discreteModel.dd[0]);
}

// With w[n] = Ad w[n-1] + bd u[n] and y[n] = cd w[n-1] + D u[n], the transfer
// function is cd (zI - Ad)^-1 bd + D.
float CircuitSolver::response(std::complex<float> z) const
{
    const DisplayMatrix m = z * DisplayMatrix::Identity() - AdDisplay;
    const DisplayColumn x = m.partialPivLu().solve(bdDisplay);
    const std::complex<float> h = (cdDisplay * x).value() + directDisplay;
    return std::norm(h);
}

}  // namespace quenchbox::solver
