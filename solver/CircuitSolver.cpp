#include "solver/CircuitSolver.h"

#include <algorithm>
#include <cmath>

namespace quenchbox::solver {

namespace {

constexpr double guessStep = 0.14285714285714285;        // 1/7 V
constexpr double inverseGuessSpan = 0.1111111111111111;  // 1/9 per volt

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

    buildStepCoefficients();
    buildGuessTable();
}

// The per-sample steps' copies of the model, and the states' shares of the
// open-circuit voltage under the new row gd.
void CircuitSolver::buildStepCoefficients()
{
    const DiscreteModel& d = discreteModel;
    const StateRow openVoltageStep = d.gd * d.Ad;
    const double openVoltageInput = d.gd.dot(d.bd);
    const double openVoltageLed = d.gd.dot(d.fd);

    RowPairStep& rows = rowStep;
    for (int q = 0; q < stateCount / 2; ++q) {
        for (int n = 0; n < stateCount; ++n) rows.Ad[q][n] = {d.Ad(2 * q, n), d.Ad(2 * q + 1, n)};
        rows.bd[q] = {d.bd[2 * q], d.bd[2 * q + 1]};
        rows.fd[q] = {d.fd[2 * q], d.fd[2 * q + 1]};
    }
    for (int n = 0; n < stateCount; ++n) rows.outputAndOpenVoltage[n] = {d.cd[n], openVoltageStep[n]};
    rows.openVoltageInput = openVoltageInput;
    rows.openVoltageLed = openVoltageLed;

    PairStep& pair = pairStep;
    for (int r = 0; r < stateCount; ++r) {
        for (int n = 0; n < stateCount; ++n) pair.Ad[r][n] = d.Ad(r, n);
        pair.bd[r] = d.bd[r];
        pair.fd[r] = d.fd[r];
        pair.cd[r] = d.cd[r];
        pair.openVoltageStep[r] = openVoltageStep[r];
    }
    pair.direct = d.dd[0];
    pair.ledToOutput = d.dd[1];
    pair.inputToLed = d.dd[2];
    pair.openVoltageInput = openVoltageInput;
    pair.openVoltageLed = openVoltageLed;

    for (int channel = 0; channel < 2; ++channel) openVoltage[channel] = d.gd.dot(state(channel));
}

// The table holds the solved LED current for p = j/7 V; each solve starts from
// the previous solution, so every entry needs only a few passes.
void CircuitSolver::buildGuessTable()
{
    ledVoltage = 0.0;
    for (int j = 0; j < guessTableSize; ++j) guessTable[j] = solveLed(static_cast<double>(j) * guessStep);
    buildStartLines();
}

// On table step j the start current is t[j] + (t[j+1] - t[j]) (7|p| - j), so
// the start voltage p + K sign(p) guess(|p|) is a straight line in p.
void CircuitSolver::buildStartLines()
{
    const double K = discreteModel.dd[3];
    const double exponentStepsPerVolt = ledSlope * ExponentialPair::stepsPerUnit;
    for (int j = 0; j < guessTableSize; ++j) {
        const double rise = j + 1 < guessTableSize ? guessTable[j + 1] - guessTable[j] : 0.0;
        StartLine& line = startLines[j];
        line.slope = 1.0 + guessStepsPerVolt * K * rise;
        line.offset = K * (guessTable[j] - rise * j);
        line.stepSlope = line.slope * exponentStepsPerVolt;
        line.stepOffset = line.offset * exponentStepsPerVolt;
    }
}

// Beyond the table the start held at 9 V lies far above the root, and each
// pass would descend only about 1/k (42.5 mV). Instead: the current the
// linear side would drive if the LEDs stayed at their 9 V voltage, and the
// voltage at which the LED curve carries it, which lies just above the root
// (the LEDs' voltage only grows with the current), so the solve converges
// from above in a pass or two.
double CircuitSolver::beyondTableStart(double p) const
{
    const double K = discreteModel.dd[3];
    const double edgeCurrent = guessTable[guessTableSize - 1];
    const double edgeVoltage = guessSpan + K * edgeCurrent;
    const double current = (std::fabs(p) - edgeVoltage) / -K;
    const double voltage = edgeVoltage + std::log(current / edgeCurrent) / ledSlope;
    return std::copysign(std::clamp(voltage, edgeVoltage, maxLedVoltage), p);
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
    const LedSolution s = finish(firstPass(ledVoltage, p), p);
    record(s);
    return s.current;
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
