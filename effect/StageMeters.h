#ifndef QUENCHBOX_EFFECT_STAGEMETERS_H
#define QUENCHBOX_EFFECT_STAGEMETERS_H

namespace quenchbox::effect {

// The three activity meters behind the editor's stage icons, followed once
// per frame from the engine's monitor values: the clipping meter peaks
// instantly and falls slowly, the two drive meters are smoothed both ways.
struct StageMeters {
    // Single-precision 0.01, widened: the meters move 1 % of the way per frame.
    static constexpr double kRate = static_cast<double>(0.01f);

    double solver = 0.0;
    double stageA = 0.0;
    double stageB = 0.0;

    void follow(double solverMonitor, double stageAMonitor, double stageBMonitor)
    {
        const double clipping = solverMonitor < 0.0 ? -solverMonitor : solverMonitor;
        if (clipping >= solver)
            solver = clipping;
        else
            solver += (clipping - solver) * kRate;
        stageA += (stageAMonitor - stageA) * kRate;
        stageB += (stageBMonitor - stageB) * kRate;
    }
};

}  // namespace quenchbox::effect

#endif
