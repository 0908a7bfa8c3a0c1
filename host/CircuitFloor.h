#ifndef QUENCHBOX_HOST_CIRCUITFLOOR_H
#define QUENCHBOX_HOST_CIRCUITFLOOR_H

#include "solver/CircuitSolver.h"

#include <cstddef>

namespace quenchbox::host {

// The least work one circuit-rate sample of one channel can cost, written as
// tight scalar code, as the yardstick for the engine's figures: the two op-amp
// stages (each a dot product, one lookup in a uniform closed-loop table and a
// 2x2 state update), then the tone network's step with a single Newton pass
// on the LED pair from the previous sample's voltage (one exp, the reciprocal
// and the step division), its two dot products and the 6x6 state update.
//
// What the engine does besides (input coupling, the starting guess, further
// Newton passes, the Deep network, output filter, mix, noise, monitors and
// meters, the host's sample format) is the overhead its figures show against
// this one.
class CircuitFloor {
public:
    // The tone network's discrete model sets the LED's operating range, so
    // the exponentials see the values they see in the engine.
    explicit CircuitFloor(const solver::DiscreteModel& model);

    // Runs the samples through and returns the sum of the outputs (which
    // keeps the compiler from discarding the work).
    double run(const float* samples, std::size_t count);

private:
    static constexpr int kN = solver::stateCount;
    static constexpr int kTableSteps = 256;

    struct Stage {
        double k[2];
        double ad[2][2];
        double bx[2];
        double by[2];
        double s[2];
    };

    double stage(Stage& st, double x) const;
    double tone(double u);

    Stage stageA{};
    Stage stageB{};
    double loopTable[kTableSteps + 1] = {};
    double tableLow = 0.0;
    double tableScale = 0.0;

    double ad[kN][kN] = {};
    double bd[kN] = {};
    double fd[kN] = {};
    double cd[kN] = {};
    double gd[kN] = {};
    double direct = 0.0;      // D
    double ledToOutput = 0.0;  // E
    double inputToLed = 0.0;   // P
    double ledToLed = 0.0;     // K
    double w[kN] = {};
    double ledVoltage = 0.0;
};

}  // namespace quenchbox::host

#endif
