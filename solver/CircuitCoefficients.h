#ifndef QUENCHBOX_SOLVER_CIRCUITCOEFFICIENTS_H
#define QUENCHBOX_SOLVER_CIRCUITCOEFFICIENTS_H

#include <Eigen/Dense>

#include <array>

namespace quenchbox::solver {

// The tone network has six capacitor states. Fixed-size storage lets the
// compiler unroll the per-sample products (about half the time of
// dynamic-size ones) and needs no heap at all.
constexpr int stateCount = 6;
using StateMatrix = Eigen::Matrix<double, stateCount, stateCount>;
using StateColumn = Eigen::Matrix<double, stateCount, 1>;
using StateRow = Eigen::Matrix<double, 1, stateCount>;

// The tone network (Bass, Middle, Treble) as a continuous-time state-space
// model with six capacitor states, the input voltage u and the current i of
// the LED pair as inputs:
//   ds/dt = Ac s + bc u + fc i
//   out   = cc s + dc[0] u + dc[1] i
//   v     = gc s + dc[2] u + dc[3] i   (the voltage across the LED pair)
struct ContinuousModel {
    StateMatrix Ac = StateMatrix::Zero();
    StateColumn bc = StateColumn::Zero();
    StateColumn fc = StateColumn::Zero();
    StateRow cc = StateRow::Zero();
    StateRow gc = StateRow::Zero();
    std::array<double, 4> dc{};  // input->out, LED->out, input->LED, LED->LED
};

// Fills the model from the tapered pot fractions (0..1) of Bass, Middle and
// Treble for circuit variant `mode` (0 for the first circuit, anything else
// for the second). Every coefficient is a rational function of the three
// fractions with one common denominator, the network's determinant, which
// stays positive over the whole range of the tapers.
void computeCoefficients(double bass, double middle, double treble, int mode, ContinuousModel& model);

}  // namespace quenchbox::solver

#endif
