#ifndef QUENCHBOX_SOLVER_CIRCUITSOLVER_H
#define QUENCHBOX_SOLVER_CIRCUITSOLVER_H

#include "solver/CircuitCoefficients.h"

#include <Eigen/Dense>

#include <array>
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
    double process(double u, double& ledCurrent, int channel);

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

    // Single-precision copies for the response display, evaluated on the unit
    // circle.
    using DisplayMatrix = Eigen::Matrix<std::complex<float>, stateCount, stateCount>;
    using DisplayColumn = Eigen::Matrix<std::complex<float>, stateCount, 1>;
    using DisplayRow = Eigen::Matrix<std::complex<float>, 1, stateCount>;

    void discretise();
    void buildGuessTable();

    int mode = 0;
    double bassValue = 0.0;
    double middleValue = 0.0;
    double trebleValue = 0.0;
    double period = 1.0 / 44100.0;
    std::array<double, guessTableSize> guessTable{};
    double ledVoltage = 0.0;
    int newtonPasses = 0;
    std::array<StateColumn, 2> channelState{StateColumn::Zero(), StateColumn::Zero()};
    StateColumn scratch = StateColumn::Zero();

    ContinuousModel continuousModel;
    DiscreteModel discreteModel;

    DisplayMatrix AdDisplay = DisplayMatrix::Zero();
    DisplayColumn bdDisplay = DisplayColumn::Zero();
    DisplayRow cdDisplay = DisplayRow::Zero();
    float directDisplay = 0.0f;  // D, the input-to-output direct term
};

}  // namespace quenchbox::solver

#endif
