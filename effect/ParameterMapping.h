#ifndef QUENCHBOX_EFFECT_PARAMETERMAPPING_H
#define QUENCHBOX_EFFECT_PARAMETERMAPPING_H

namespace quenchbox::effect {

// How a normalized value becomes a circuit setting. The display texts and the
// engine use the same functions, so what the host shows is what plays. Every
// function first clamps the value into 0..1 (NaN counts as 0).

float clampUnit(float value);

// Pot fractions through the audio-taper tables of the Drive, Level and Deep pots.
double driveFraction(float value);
double levelFraction(float value);
double deepFraction(float value);

// The supply pot in series with fixed resistors gives
// kSupplyScale / (kSupplyPole - v) - kSupplyOffset volts (1071/121 / (14/11 - v) - 27/11).
constexpr float kSupplyScale = 8.851239f;
constexpr float kSupplyPole = 1.2727273f;
constexpr float kSupplyOffset = 2.4545455f;

// Supply voltage in volts: 4.5 V at 0, 9 V at 0.5, 30 V at 1 (single precision).
float supplyVoltage(float value);
// The inverse: the unclamped value at which the supply gives `volts`.
double supplyVoltageSetting(double volts);

// Open-loop gain of the op-amps: 100 to 299, and 200000 (an ideal op-amp) at 1.
constexpr float kLowestOpAmpGain = 100.0f;
constexpr float kOpAmpGainSpan = 200.0f;
constexpr float kIdealOpAmpGain = 200000.0f;
float opAmpGain(float value);

// Two-way choices (RZ Mode, Channels, and the displayed state of switches):
// trunc(2 * value) limited to 1, so 0.5 already selects the second choice.
int twoWayChoice(float value);

// The sample rates the circuit is computed at. The newer formats refuse
// others; the VST2 build keeps a rate no host uses within them.
constexpr double kLowestSampleRate = 1000.0;
constexpr double kHighestSampleRate = 1536000.0;
constexpr bool isSupportedSampleRate(double rate) { return rate >= kLowestSampleRate && rate <= kHighestSampleRate; }

// The circuit period for a host sample rate, kept within the supported
// rates; a rate that is not a positive number leaves the previous period
// (returns it unchanged).
double samplePeriodFor(float rate, double previousPeriod);

// Switches act only above 0.5: exactly 0.5 displays "ON" but acts as off.
bool switchActsOn(float value);

}  // namespace quenchbox::effect

#endif
