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

// Supply voltage in volts: 4.5 V at 0, 9 V at 0.5, 30 V at 1 (single precision).
float supplyVoltage(float value);

// Open-loop gain of the op-amps: 100 to 299, and 200000 (an ideal op-amp) at 1.
float opAmpGain(float value);

// Two-way choices (RZ Mode, Channels, and the displayed state of switches):
// trunc(2 * value) limited to 1, so 0.5 already selects the second choice.
int twoWayChoice(float value);

// The circuit period for a host sample rate. Rates no host uses are kept
// within 1 kHz to 1.536 MHz; a rate that is not a positive number leaves the
// previous period (returns it unchanged).
double samplePeriodFor(float rate, double previousPeriod);

// Switches act only above 0.5: exactly 0.5 displays "ON" but acts as off.
bool switchActsOn(float value);

}  // namespace quenchbox::effect

#endif
