#ifndef QUENCHBOX_ENGINE_ENGINESAMPLE_H
#define QUENCHBOX_ENGINE_ENGINESAMPLE_H

namespace quenchbox::engine {

// One host-rate sample of one channel on its way through the engine, with
// the three monitor values the effect turns into meters.
struct EngineSample {
    double input = 0.0;          // the engine may replace it (non-finite to 0, noise added)
    double output = 0.0;
    int channel = 0;             // 0 or 1: selects every per-channel state
    double solverMonitor = 0.0;  // LED-pair current in amperes, 0 with the LEDs off
    double stageAMonitor = 0.0;  // drive indicators: 0 while linear, toward 1 in compression
    double stageBMonitor = 0.0;
};

// Coefficient groups for DriveEngine::update and publish.
namespace UpdateBits {
constexpr int kInputCoupling = 0x001;
constexpr int kStageA = 0x002;
constexpr int kStageB = 0x004;
constexpr int kStages = kStageA | kStageB;
constexpr int kToneNetwork = 0x008;
constexpr int kDeepNetwork = 0x010;
constexpr int kOutputFilter = 0x020;
constexpr int kFrequencyGrid = 0x040;  // nothing to compute: tells the editor the rate changed
constexpr int kSupplyVoltage = 0x080;
constexpr int kOpAmpGain = 0x100;
constexpr int kSupply = kSupplyVoltage | kOpAmpGain;
constexpr int kAll = 0x1FF;
// Everything that depends on the period but not on the rate display.
constexpr int kTimeScale = kInputCoupling | kStages | kToneNetwork | kDeepNetwork | kOutputFilter;
}  // namespace UpdateBits

}  // namespace quenchbox::engine

#endif
