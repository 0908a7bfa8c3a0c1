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
// Per sample the work is arranged for a short chain of dependent operations,
// the results unchanged but for rounding: the state's share of the LED's
// open-circuit voltage is carried from step to step, so that the solve waits
// only for the previous LED current; the start voltage and the exponential's
// argument come straight from p through one straight line per table step;
// e^(kv) and e^(-kv) come together. processPair() runs both stereo channels
// in lock-step as SSE2 pairs, each channel getting the bits it gets alone.
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
            const double p = discreteModel.dd[2] * u + openVoltage[channel];
            const LedSolution s = finish(seededPass(p), p);
            record(s);
            ledCurrent = s.current;
        }
        return advanceOne(&channelState[0][channel], &openVoltage[channel], u, ledCurrent);
    }

    // One sample of both channels in lock-step, u[c] replaced by the output
    // of channel c: the same arithmetic, and the same bits, as process() on
    // channel 0 and then on channel 1.
    void processPair(double u[2], double ledCurrent[2], int passes[2])
    {
        using dsp::ChannelPair;
        const ChannelPair input(limitInput(u[0]), limitInput(u[1]));
        ChannelPair current(0.0);
        passes[0] = passes[1] = newtonPasses = 0;
        if (ledsEnabled) {
            const ChannelPair p = pairStep.inputToLed * input + ChannelPair::load(openVoltage.data());
            current = solvePair(p, passes);
        }
        current.store(ledCurrent);
        advancePair(input, current).store(u);
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
    StateColumn state(int channel) const
    {
        StateColumn w;
        for (int n = 0; n < stateCount; ++n) w[n] = channelState[n][channel];
        return w;
    }
    // Discharges the network of both channels; the coefficients stay.
    void clearState()
    {
        for (auto& element : channelState) element[0] = element[1] = 0.0;
        openVoltage = {};
        newtonPasses = 0;
    }
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
    template <typename T>
    struct StartLineOf {
        T slope;
        T offset;
        T stepSlope;
        T stepOffset;
    };
    using StartLine = StartLineOf<double>;

    // Anything the op-amps can deliver passes unchanged; NaN counts as
    // silence, and a larger (or infinite) voltage is held at the limit.
    static double limitInput(double u)
    {
        if (std::fabs(u) <= maxInputVoltage) return u;
        if (std::isnan(u)) return 0.0;
        return std::copysign(maxInputVoltage, u);
    }

    // One Newton pass: the current and residual at its voltage, and the
    // next iterate.
    template <typename T>
    struct LedPassOf {
        T current;
        T residual;
        T next;
        auto converged() const { return residual >= -ledTolerance && residual <= ledTolerance; }
    };
    using LedPass = LedPassOf<double>;

    template <typename T>
    LedPassOf<T> newtonPass(T v, T p, ExponentialPair::Result<T> exponential) const
    {
        const double k = ledSlope;
        const double K = discreteModel.dd[3];
        const auto [e, r] = exponential;
        const T i = ledSaturationCurrent * (e - r);
        const T residual = (v - p) - K * i;
        const T slope = 1.0 - (r + e) * (K * ledSaturationCurrent * k);
        return {i, residual, dsp::clamp(v - residual / slope, -maxLedVoltage, maxLedVoltage)};
    }

    LedPass newtonPass(double v, double p) const { return newtonPass(v, p, exponentials.of(ledSlope * v)); }

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
        if (std::fabs(p) > guessSpan)
            return firstPass(beyondTableStart(p), p);
        return passFromLine(p, lineFor(p));
    }

    template <typename T>
    LedPassOf<T> passFromLine(T p, const StartLineOf<T>& line) const
    {
        const T sign = dsp::signOf(p);
        const T v = line.slope * p + sign * line.offset;
        const T steps = line.stepSlope * p + sign * line.stepOffset;
        return newtonPass(v, p, exponentials.of(ledSlope * v, steps));
    }

    const StartLine& lineFor(double p) const
    {
        return startLines[static_cast<int>(std::fabs(p) * guessStepsPerVolt)];
    }

    StartLineOf<dsp::ChannelPair> lineFor(dsp::ChannelPair p) const
    {
        const StartLine& a = lineFor(p.first());
        const StartLine& b = lineFor(p.second());
        return {{a.slope, b.slope}, {a.offset, b.offset}, {a.stepSlope, b.stepSlope}, {a.stepOffset, b.stepOffset}};
    }

    // Both channels' solves side by side, pass for pass until both have
    // converged; each keeps the current of the pass that met the tolerance.
    // A start beyond the table is rare and solves channel by channel.
    dsp::ChannelPair solvePair(dsp::ChannelPair p, int passes[2])
    {
        using dsp::ChannelPair;
        const double p0 = p.first();
        const double p1 = p.second();
        if (std::fabs(p0) > guessSpan || std::fabs(p1) > guessSpan)
            return solveEach(finish(seededPass(p0), p0), finish(seededPass(p1), p1), passes);
        LedPassOf<ChannelPair> pass = passFromLine(p, lineFor(p));
        auto done = pass.converged();
        ChannelPair current = pass.current;
        ChannelPair voltage = pass.next;
        passes[0] = passes[1] = 1;
        for (int count = 2; !dsp::allOf(done); ++count) {
            pass = newtonPass(pass.next, p, exponentials.of(ledSlope * pass.next));
            const auto now = count == maxNewtonPasses ? !done : pass.converged() && !done;
            current = dsp::select(now, pass.current, current);
            voltage = dsp::select(now, pass.next, voltage);
            passes[0] = dsp::firstOf(now) ? count : passes[0];
            passes[1] = dsp::secondOf(now) ? count : passes[1];
            done = done || now;
        }
        record({current.second(), voltage.second(), passes[1]});
        return current;
    }

    dsp::ChannelPair solveEach(const LedSolution& s0, const LedSolution& s1, int passes[2])
    {
        passes[0] = s0.passes;
        passes[1] = s1.passes;
        record(s1);
        return {s0.current, s1.current};
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

    void record(const LedSolution& s)
    {
        ledVoltage = s.voltage;
        newtonPasses = s.passes;
    }

    // Output and LED voltage see the state before the step; the step uses
    // this sample's LED current. The state's share of the next sample's LED
    // voltage, gd w, comes from the same old state (through gd Ad), so that
    // only its LED term waits for the solve.
    //
    // One channel's step takes the rows of the state update two at a time,
    // and the output and open-voltage rows side by side; both channels' step
    // takes each row for both at once. Either way every row sums the same
    // products in the same order, so the bits agree.
    struct RowPairStep {
        dsp::ChannelPair Ad[stateCount / 2][stateCount];  // rows 2q and 2q + 1
        dsp::ChannelPair bd[stateCount / 2];
        dsp::ChannelPair fd[stateCount / 2];
        dsp::ChannelPair outputAndOpenVoltage[stateCount];  // (cd, gd Ad)
        double openVoltageInput;                           // gd bd
        double openVoltageLed;                             // gd fd
    };

    struct PairStep {
        dsp::ChannelPair Ad[stateCount][stateCount];
        dsp::ChannelPair bd[stateCount];
        dsp::ChannelPair fd[stateCount];
        dsp::ChannelPair cd[stateCount];
        dsp::ChannelPair openVoltageStep[stateCount];  // gd Ad
        dsp::ChannelPair direct;                       // D
        dsp::ChannelPair ledToOutput;                  // E
        dsp::ChannelPair inputToLed;                   // P
        dsp::ChannelPair openVoltageInput;             // gd bd
        dsp::ChannelPair openVoltageLed;               // gd fd
    };

    // Channel c's state element n lies at state[2 n] from &channelState[0][c].
    double advanceOne(double* state, double* openVoltageOut, double u, double ledCurrent)
    {
        using dsp::ChannelPair;
        const RowPairStep& c = rowStep;
        const DiscreteModel& d = discreteModel;
        ChannelPair w[stateCount];
        for (int n = 0; n < stateCount; ++n) w[n] = state[2 * n];
        ChannelPair rows = c.outputAndOpenVoltage[0] * w[0];
        for (int n = 1; n < stateCount; ++n) rows = rows + c.outputAndOpenVoltage[n] * w[n];
        *openVoltageOut = (rows.second() + c.openVoltageInput * u) + c.openVoltageLed * ledCurrent;
        for (int q = 0; q < stateCount / 2; ++q) {
            ChannelPair next = c.Ad[q][0] * w[0];
            for (int n = 1; n < stateCount; ++n) next = next + c.Ad[q][n] * w[n];
            next = (next + u * c.bd[q]) + ledCurrent * c.fd[q];
            state[4 * q] = next.first();
            state[4 * q + 2] = next.second();
        }
        return (d.dd[0] * u + rows.first()) + d.dd[1] * ledCurrent;
    }

    dsp::ChannelPair advancePair(dsp::ChannelPair u, dsp::ChannelPair ledCurrent)
    {
        using dsp::ChannelPair;
        const PairStep& c = pairStep;
        ChannelPair w[stateCount];
        for (int n = 0; n < stateCount; ++n) w[n] = ChannelPair::load(channelState[n]);
        ChannelPair y = c.cd[0] * w[0];
        ChannelPair open = c.openVoltageStep[0] * w[0];
        for (int n = 1; n < stateCount; ++n) {
            y = y + c.cd[n] * w[n];
            open = open + c.openVoltageStep[n] * w[n];
        }
        ((open + c.openVoltageInput * u) + c.openVoltageLed * ledCurrent).store(openVoltage.data());
        for (int r = 0; r < stateCount; ++r) {
            ChannelPair next = c.Ad[r][0] * w[0];
            for (int n = 1; n < stateCount; ++n) next = next + c.Ad[r][n] * w[n];
            ((next + u * c.bd[r]) + ledCurrent * c.fd[r]).store(channelState[r]);
        }
        return (c.direct * u + y) + c.ledToOutput * ledCurrent;
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
    void buildStepCoefficients();

    int mode = 0;
    double bassValue = 0.0;
    double middleValue = 0.0;
    double trebleValue = 0.0;
    double period = 1.0 / 44100.0;
    std::array<double, guessTableSize> guessTable{};
    std::array<StartLine, guessTableSize> startLines{};
    double ledVoltage = 0.0;
    int newtonPasses = 0;
    // The channels' states side by side, element n of channel c at
    // channelState[n][c], so that both load as one pair.
    alignas(16) double channelState[stateCount][2] = {};
    // gd w of each channel's state: its share of the LED's open-circuit
    // voltage, advanced with the state.
    alignas(16) std::array<double, 2> openVoltage{};
    RowPairStep rowStep{};
    PairStep pairStep{};

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
