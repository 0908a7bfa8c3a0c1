#ifndef QUENCHBOX_ENGINE_RESAMPLER8X_H
#define QUENCHBOX_ENGINE_RESAMPLER8X_H

#include <cstdint>

namespace quenchbox::engine {

// Converts between the host rate and eight times the host rate, at which the
// circuit runs when oversampling is on. An instance works in one direction
// only: one interpolates a channel's input, another decimates its output.
//
// Why two stages: the first octave (x2) needs the steepest transition band,
// from the top of the audio band to the host Nyquist frequency. A polyphase
// half-band made of two branches of four first-order allpass sections gives
// it with eight multiplies per host sample; the price is a phase response
// that is not linear, small in the audio band. The remaining x4 only has to
// remove images far above the audio band, which a short 40-tap FIR does in
// polyphase form at 80 multiply-adds per host sample and direction. The
// decimator runs the same two stages in mirror order.
//
// Latency: the chain up and down delays low frequencies by about 8.1 host
// samples. Each direction adds about 4.5 (2.5 from the FIR, whose centre tap
// lies 20 circuit-rate samples back, and 2 from the allpass branches); the
// decimated sample is taken at the last of its eight inputs, which gives back
// 7/8 of a sample. Towards the top of the audio band the allpass phase adds a
// few tenths of a sample more. Nothing compensates or reports this delay.
//
// State: the history is cleared at construction and by clear() only; when
// the caller stops using the resampler and later resumes, it continues from
// the history it had.
class Resampler8x {
public:
    static constexpr int tapCount = 40;

    // Allpass coefficients of the half-band: even indices form branch 0,
    // odd ones branch 1, each in ascending order.
    static constexpr double allpassCoefs[8] = {
        0.029224847909498444, 0.11100633018519479, 0.23034569682098943, 0.36934599510310256,
        0.5132320320968043,   0.6537278571840232,  0.789787692015113,   0.9271638358417171,
    };

    // Low-pass at the 8x rate: flat through the audio band, about 80 dB down
    // from 60 kHz on, below the first image of the x2-rate signal. Each
    // polyphase subset h[4k + p] sums to about 1/4, so a constant
    // interpolates with a gain of about 1 once the input is scaled by 4.
    static constexpr double firCoefs[tapCount] = {
        -7.111575987489e-05, -0.0002893544544052, -0.0006991498583572, -0.00117931033888,
        -0.001342357672754,  -0.0006016779803501, 0.001486891313233,   0.004678671926338,
        0.007605322379221,   0.007908022733745,   0.003241060504246,   -0.007037083536248,
        -0.02027015214415,   -0.03011149870485,   -0.02812444850665,   -0.007214589137064,
        0.03442691499253,    0.09086103208369,    0.1490551210802,     0.1929171830684,
        0.2092364495061,     0.1929171830684,     0.1490551210802,     0.09086103208369,
        0.03442691499253,    -0.007214589137064,  -0.02812444850665,   -0.03011149870485,
        -0.02027015214415,   -0.007037083536248,  0.003241060504246,   0.007908022733745,
        0.007605322379221,   0.004678671926338,   0.001486891313233,   -0.0006016779803501,
        -0.001342357672754,  -0.00117931033888,   -0.0006991498583572, -0.0002893544544052,
    };

    // One host-rate sample in, eight circuit-rate samples out, oldest first.
    void upsample(double x, double out[8]);

    // Eight circuit-rate samples in, oldest first; one host-rate sample out.
    double downsample(const double in[8]);

    // Forgets the history, as at construction.
    void clear() { *this = Resampler8x(); }

    // Current ring index: always within 0..63, even when interpolating and
    // a multiple of 8 when decimating.
    std::uint32_t position() const { return ringPosition; }

private:
    static constexpr std::uint32_t ringSize = 64;

    double runBranch(int branch, double x);
    void storeHalfRatePair(double earlier, double later);
    void storeFullRateBlock(const double in[8]);

    // The delay line, kept twice: entry i (0..63) is mirrored at i + 64, so
    // every window of up to 64 consecutive entries starting below 64 reads
    // without a wrap test.
    double ring[2 * ringSize] = {};
    std::uint32_t ringPosition = 0;
    // Previous input and output of allpass section j of branch b, at 2j + b.
    double apIn[8] = {};
    double apOut[8] = {};
};

}  // namespace quenchbox::engine

#endif
