#include "engine/DriveEngine.h"

#include "engine/TableLookup.h"

#include <cmath>

namespace quenchbox::engine {

namespace {


// Pot fractions of the tone controls at knob positions 0, 0.1, ... 1, one row
// per circuit variant (their pots and resistors differ).
constexpr double kBassTaper[2][11] = {
    {0.006874988, 0.015302583, 0.033828543, 0.056258888, 0.083415465, 0.120160408, 0.169412633, 0.237133029,
     0.338083418, 0.508820724, 1.0},
    {0.006874988, 0.014696644, 0.031416976, 0.050440142, 0.072084239, 0.096706975, 0.142659674, 0.197657573,
     0.294407916, 0.475232438, 1.0}};
constexpr double kMiddleTaper[2][11] = {
    {0.0057313, 0.01228977, 0.026352896, 0.04244548, 0.060860981, 0.081933413, 0.110597923, 0.158963843,
     0.228311625, 0.39049948, 1.0},
    {0.00758558, 0.015989227, 0.033702812, 0.053326044, 0.075064345, 0.099145415, 0.138861111, 0.183332289,
     0.264631253, 0.435182714, 1.0}};
constexpr double kTrebleTaper[2][11] = {
    {0.0, 0.110591202, 0.161063753, 0.218555022, 0.279866052, 0.351573624, 0.436953327, 0.539554052, 0.663883233,
     0.815247168, 1.0},
    {0.0, 0.110597429, 0.161079914, 0.218572946, 0.279883664, 0.351591123, 0.436973743, 0.539574677, 0.663898251,
     0.815260404, 1.0}};

// The op-amps' input offset of 3 mV enters their closed-loop tables, so it is
// set before the first full update builds them.
constexpr double kOpAmpInputOffset = 0.003;

}  // namespace

DriveEngine::DriveEngine()
{
    stageA.setInputOffset(kOpAmpInputOffset);
    stageB.setInputOffset(kOpAmpInputOffset);
    update(UpdateBits::kAll);
}

void DriveEngine::update(int mask)
{
    const double period = effectivePeriod();
    if (mask & UpdateBits::kStages) {
        stageA.setCoefficients(period, drive);
        stageB.setCoefficients(period, drive);
    }
    if (mask & UpdateBits::kToneNetwork)
        updateToneNetwork(period);
    if (mask & UpdateBits::kDeepNetwork)
        deep.configure(period, deepAmount);
    if (mask & UpdateBits::kOutputFilter)
        outputFilter.setCoefficients(period, level, bright, mode);
    if (mask & UpdateBits::kInputCoupling)
        inputCoupling.setPeriod(period);
    if (mask & UpdateBits::kSupply)
        updateSupply();
}

// The solver recomputes its continuous model only when a pot fraction or the
// variant changed; the discretisation at the new period always runs.
void DriveEngine::updateToneNetwork(double period)
{
    const int row = mode == 1 ? 1 : 0;
    solver.update(interpolateTable(kBassTaper[row], 10, bass), interpolateTable(kMiddleTaper[row], 10, middle),
                  interpolateTable(kTrebleTaper[row], 10, treble), period, mode);
}

// Both op-amps run from one supply: rails at half the voltage either side of ground.
void DriveEngine::updateSupply()
{
    const double rail = 0.5 * supplyVoltage;
    stageA.setSupply(opAmpGain, -rail, rail);
    stageB.setSupply(opAmpGain, -rail, rail);
}

void DriveEngine::publish(int mask)
{
    if (mask & (UpdateBits::kStages | UpdateBits::kOpAmpGain)) {
        stageA.publish();
        stageB.publish();
    }
    if (mask & UpdateBits::kToneNetwork)
        solver.publishDisplay();
    if (mask & UpdateBits::kDeepNetwork)
        deep.publish();
    if (mask & UpdateBits::kOutputFilter)
        outputFilter.publish();
    if (mask & (UpdateBits::kToneNetwork | UpdateBits::kOutputFilter))
        shownMode = mode;
    if (mask & UpdateBits::kInputCoupling)
        inputCoupling.publish();
}

}  // namespace quenchbox::engine
