#ifndef QUENCHBOX_SOLVER_CIRCUITSOLVER_H
#define QUENCHBOX_SOLVER_CIRCUITSOLVER_H

#include "solver/CircuitCoefficients.h"
#include "solver/ExponentialPair.h"

#include <Eigen/Dense>

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>

namespace quenchbox::solver {

// The tone network at the circuit period, reduced for the K-method: for the
// state w, the input u and the LED current i of one sample
//   p = P u + gd w          open-circuit voltage seen by the LED pair
//   v = p + K i             LED voltage (K < 0: the pair sees -K ohms)
//   y = D u + cd w + E i    output
//   w <- Ad w + bd u + fd i
struct DiscreteModel {
    StateMatrix Ad = StateMatrix::Zero();
    StateColumn bd = StateColumn::Zero();
    StateColumn fd = StateColumn::Zero();
    StateRow cd = StateRow::Zero();
    StateRow gd = StateRow::Zero();
    std::array<double, 4> dd{};  // D, E, P, K
};

// The tone network (Bass, Middle, Treble) with the antiparallel LED pair that
// clips inside it, for two channels.
//
// The linear network is kept in closed form in continuous time and turned
// into a discrete model with the trapezoidal rule, so that per sample only one
// scalar equation remains: the LED current against the LED voltage, solved by
// Newton's method from a tabulated start. The continuous model is recomputed
// only when a knob or the circuit variant changes; a new period costs one 6x6
// inverse. Channel states are never cleared: the network keeps its charge
// across knob movements and rate changes.
//
// All storage is fixed-size, so neither update() nor process() allocates;
// both run on the audio thread. publishDisplay() copies the model for the
// editor under the caller's display lock, and response() reads only those
// copies.
class CircuitSolver {
public:
    // One LED of the pair: i = Is e^(k v).
    static constexpr double ledSaturationCurrent = 6.5e-20;  // Is, A
    static constexpr double ledSlope = 23.52719744024092;    // k = 1 / (n Vt), per volt
    // Residual at which the Newton solve stops, in volts.
    static constexpr double ledTolerance = 0.001;
    // Bounds on one solve: e^(k v) overflows above about 30.17 V, so the
    // iterates stay within +-30 V. From there any root the circuit can reach
    // takes under 700 passes; the limit only ends a solve whose root lies
    // beyond the clamp.
    static constexpr double maxLedVoltage = 30.0;
    static constexpr int maxNewtonPasses = 1000;
    // The op-amp rails stay within +-15 V; any input beyond this limit is a
    // fault upstream, which must not reach the channel states.
    static constexpr double maxInputVoltage = 1000.0;

    CircuitSolver();
    virtual ~CircuitSolver() = default;

    bool ledsEnabled = true;

    // Pot fractions (tapered, 0..1), circuit period in seconds and circuit
    // variant (0 or 1). The continuous model is recomputed only when a knob or
    // the variant differs exactly from the stored one; the discrete model
    // always is.
    void update(double bass, double middle, double treble, double period, int mode);

    // One sample of one channel (0 or 1): returns the output voltage for the
    // input voltage u; ledCurrent receives the LED current in amperes (0 with
    // LEDs off).
    double process(double u, double& ledCurrent, int channel)
    {
        u = limitInput(u);
        ledCurrent = 0.0;
        newtonPasses = 0;
        if (ledsEnabled) {
            const double p = openCircuitVoltage(u, channel);
            record(finish(seededPass(p), p), ledCurrent);
        }
        return advance(u, ledCurrent, channel);
    }

    // One sample of both channels, u[c] replaced by the output of channel c:
    // the same arithmetic as process() on channel 0 then 1, with the two
    // solves' first passes side by side so that their chains overlap.
    void processPair(double u[2], double ledCurrent[2], int passes[2])
    {
        u[0] = limitInput(u[0]);
        u[1] = limitInput(u[1]);
        ledCurrent[0] = ledCurrent[1] = 0.0;
        passes[0] = passes[1] = newtonPasses = 0;
        if (ledsEnabled) {
            const double p0 = openCircuitVoltage(u[0], 0);
            const double p1 = openCircuitVoltage(u[1], 1);
            const LedPass first0 = seededPass(p0);
            const LedPass first1 = seededPass(p1);
            passes[0] = record(finish(first0, p0), ledCurrent[0]);
            passes[1] = record(finish(first1, p1), ledCurrent[1]);
        }
        u[0] = advance(u[0], ledCurrent[0], 0);
        u[1] = advance(u[1], ledCurrent[1], 1);
    }

    // LED current for the open-circuit voltage p (finite), Newton's method
    // seeded by the previous LED voltage.
    double solveLed(double p);
    // Starting current for p from the table (odd in p, held beyond 9 V).
    double lookupGuess(double p) const;
    // Copies the discrete model for the response display.
    void publishDisplay();
    // |H(z)|^2 of the network with the LED current held at 0 (the small-signal
    // response), from the published copies.
    float response(std::complex<float> z) const;

    const ContinuousModel& continuous() const { return continuousModel; }
    const DiscreteModel& discrete() const { return discreteModel; }
    const StateColumn& state(int channel) const { return channelState[channel]; }
    // Newton passes of the last solve (0 with LEDs off).
    int lastNewtonPasses() const { return newtonPasses; }

private:
    static constexpr int guessTableSize = 64;
    // The table covers open-circuit voltages 0 to 9 V in steps of 1/7 V.
    static constexpr double guessSpan = 9.0;
    static constexpr double guessStepsPerVolt = 7.0;

    struct LedSolution {
        double current;
        double voltage;  // the last iterate
        int passes;
    };

    // The start voltage v = slope p + sign(p) offset on one step of the
    // table, and k v in steps of ln2/64 likewise.
    struct StartLine {
        double slope = 1.0;
        double offset = 0.0;
        double stepSlope = 0.0;
        double stepOffset = 0.0;
    };

    // Anything the op-amps can deliver passes unchanged; NaN counts as
    // silence, and a larger (or infinite) voltage is held at the limit.
    static double limitInput(double u)
    {
        if (std::fabs(u) <= maxInputVoltage) return u;
        if (std::isnan(u)) return 0.0;
        return std::copysign(maxInputVoltage, u);
    }

    // One Newton pass from v: the current and residual at v, and the next
    // iterate.
    struct LedPass {
        double voltage;
        double current;
        double residual;
        double next;
        bool converged() const { return residual >= -ledTolerance && residual <= ledTolerance; }
    };

    LedPass newtonPass(double v, double p) const { return newtonPass(v, p, exponentials.of(ledSlope * v)); }

    LedPass newtonPass(double v, double p, ExponentialPair::Result exponential) const
    {
        const double k = ledSlope;
        const double K = discreteModel.dd[3];
        const auto [e, r] = exponential;
        const double i = ledSaturationCurrent * (e - r);
        const double residual = (v - p) - K * i;
        const double slope = 1.0 - (r + e) * (K * ledSaturationCurrent * k);
        return {v, i, residual, std::clamp(v - residual / slope, -maxLedVoltage, maxLedVoltage)};
    }

    LedPass firstPass(double start, double p) const
    {
        return newtonPass(std::clamp(start, -maxLedVoltage, maxLedVoltage), p);
    }

    // The first pass of a solve for p. Within the table it starts where the
    // table's current implies through the linear side, p + K guess(p), a
    // straight line in p on each table step; the exponential's range
    // reduction starts from p too, rather than waiting for that voltage.
    // Beyond the table it starts on the LED curve just above the root.
    LedPass seededPass(double p) const
    {
        const double magnitude = std::fabs(p);
        if (magnitude > guessSpan)
            return firstPass(beyondTableStart(p), p);
        const StartLine& line = startLines[static_cast<int>(magnitude * guessStepsPerVolt)];
        const double sign = std::copysign(1.0, p);
        const double v = line.slope * p + sign * line.offset;
        const double steps = line.stepSlope * p + sign * line.stepOffset;
        return newtonPass(v, p, exponentials.of(ledSlope * v, steps));
    }

    // Passes until the residual is within the tolerance or the pass limit is
    // reached; the current is that of the last pass's starting voltage.
    LedSolution finish(LedPass pass, double p) const
    {
        for (int count = 1;; ++count) {
            if (pass.converged() || count == maxNewtonPasses) return {pass.current, pass.next, count};
            pass = newtonPass(pass.next, p);
        }
    }

    int record(const LedSolution& s, double& ledCurrent)
    {
        ledVoltage = s.voltage;
        newtonPasses = s.passes;
        ledCurrent = s.current;
        return s.passes;
    }

    // p = P u + gd w, with gd w kept up to date by advance().
    double openCircuitVoltage(double u, int channel) const
    {
        return discreteModel.dd[2] * u + openVoltage[channel];
    }

    // Output and LED voltage see the state before the step; the step uses
    // this sample's LED current. The state's share of the next sample's LED
    // voltage comes from the same old state, so only its LED term waits for
    // the solve.
    double advance(double u, double ledCurrent, int channel)
    {
        StateColumn& w = channelState[channel];
        const DiscreteModel& d = discreteModel;
        const double y = (d.dd[0] * u + d.cd.dot(w)) + d.dd[1] * ledCurrent;
        openVoltage[channel] = (openVoltageStep.dot(w) + openVoltageInput * u) + openVoltageLed * ledCurrent;
        const StateColumn next = d.Ad * w;
        for (int n = 0; n < stateCount; ++n) w[n] = (next[n] + u * d.bd[n]) + ledCurrent * d.fd[n];
        return y;
    }

    double beyondTableStart(double p) const;

    // Single-precision copies for the response display, evaluated on the unit
    // circle.
    using DisplayMatrix = Eigen::Matrix<std::complex<float>, stateCount, stateCount>;
    using DisplayColumn = Eigen::Matrix<std::complex<float>, stateCount, 1>;
    using DisplayRow = Eigen::Matrix<std::complex<float>, 1, stateCount>;

    void discretise();
    void buildGuessTable();
    void buildStartLines();

    int mode = 0;
    double bassValue = 0.0;
    double middleValue = 0.0;
    double trebleValue = 0.0;
    double period = 1.0 / 44100.0;
    std::array<double, guessTableSize> guessTable{};
    std::array<StartLine, guessTableSize> startLines{};
    double ledVoltage = 0.0;
    int newtonPasses = 0;
    std::array<StateColumn, 2> channelState{StateColumn::Zero(), StateColumn::Zero()};
    // gd w of each channel's state: its share of the LED's open-circuit
    // voltage, advanced with the state by gd Ad, gd bd and gd fd.
    std::array<double, 2> openVoltage{};
    StateRow openVoltageStep = StateRow::Zero();
    double openVoltageInput = 0.0;
    double openVoltageLed = 0.0;

    ExponentialPair exponentials;
    ContinuousModel continuousModel;
    DiscreteModel discreteModel;

    DisplayMatrix AdDisplay = DisplayMatrix::Zero();
    DisplayColumn bdDisplay = DisplayColumn::Zero();
    DisplayRow cdDisplay = DisplayRow::Zero();
    float directDisplay = 0.0f;  // D, the input-to-output direct term
};

}  // namespace quenchbox::solver

#endif
