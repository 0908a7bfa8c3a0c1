#ifndef QUENCHBOX_HOST_SIGNALANALYSIS_H
#define QUENCHBOX_HOST_SIGNALANALYSIS_H

#include <complex>
#include <vector>

namespace quenchbox::host {

// The DFT of x[start .. start + length) at one frequency (Goertzel's
// recurrence), each sample weighted by window[n] when a window is given.
std::complex<double> dftAt(const std::vector<double>& x, long start, long length, double frequency,
                           double sampleRate, const std::vector<double>* window = nullptr);

// Energy of everything in x that is neither DC nor a harmonic of the
// fundamental, relative to the fundamental, in dB. x must hold a whole number
// of periods of a steady signal whose harmonics fall on DFT bins (for
// example one second of a tone at a whole number of hertz).
double nonHarmonicDb(const std::vector<double>& x, double fundamental, double sampleRate);

// Delay of y against x in samples at one frequency, from the phase of their
// DFTs (valid while the delay is below one period).
double phaseDelay(const std::vector<double>& x, const std::vector<double>& y, double frequency, double sampleRate);

}  // namespace quenchbox::host

#endif
