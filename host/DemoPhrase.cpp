#include "host/DemoPhrase.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace quenchbox::host {

namespace {

// Karplus-Strong string: a delay line one period long, filled with a noise
// burst, fed back through a two-point average. The average is the string's
// frequency-dependent loss: high partials die first, as on a real string.
class PluckedString {
public:
    PluckedString(double frequency, double sampleRate, double decay, std::uint32_t seed)
        : line(static_cast<std::size_t>(sampleRate / frequency + 0.5)), loss(decay)
    {
        std::uint32_t noise = seed;
        double previous = 0.0;
        for (double& x : line) {
            noise = noise * 1664525u + 1013904223u;
            const double white = static_cast<double>(noise >> 8) / static_cast<double>(1u << 24) * 2.0 - 1.0;
            x = 0.5 * (white + previous);  // a softer pick: a little less top end in the burst
            previous = white;
        }
    }

    double next()
    {
        const std::size_t following = (position + 1) % line.size();
        const double out = line[position];
        line[position] = loss * 0.5 * (out + line[following]);
        position = following;
        return out;
    }

private:
    std::vector<double> line;
    std::size_t position = 0;
    double loss;
};

struct Note {
    double beat;      // start, in beats
    double length;    // in beats
    int midiNotes[3]; // up to three strings; 0 leaves a string silent
};

// E minor: power chords on the low strings with a short lick between them.
constexpr Note kPhrase[] = {
    {0.0, 1.5, {40, 47, 52}},  {1.5, 0.5, {40, 47, 52}},  {2.0, 1.0, {43, 50, 55}},  {3.0, 1.0, {45, 52, 57}},
    {4.0, 0.5, {64, 0, 0}},    {4.5, 0.5, {67, 0, 0}},    {5.0, 0.5, {69, 0, 0}},    {5.5, 0.5, {71, 0, 0}},
    {6.0, 1.0, {74, 0, 0}},    {7.0, 1.0, {71, 0, 0}},    {8.0, 1.5, {38, 45, 50}},  {9.5, 0.5, {38, 45, 50}},
    {10.0, 1.0, {40, 47, 52}}, {11.0, 1.0, {43, 50, 55}}, {12.0, 0.5, {52, 0, 0}},   {12.5, 0.5, {55, 0, 0}},
    {13.0, 0.5, {57, 0, 0}},   {13.5, 0.5, {59, 0, 0}},   {14.0, 2.0, {40, 47, 52}},
};

constexpr double kBeatsPerSecond = 2.0;  // 120 BPM
constexpr double kPhraseBeats = 16.0;
constexpr double kTailSeconds = 1.0;
constexpr double kStringLevel = 0.15;  // chords peak near -8 dBFS, a hot pickup into a DI

double midiToFrequency(int note) { return 440.0 * std::pow(2.0, (note - 69) / 12.0); }

void addNote(std::vector<double>& out, const Note& note, double sampleRate, std::uint32_t seed)
{
    const auto start = static_cast<std::size_t>(note.beat / kBeatsPerSecond * sampleRate);
    const auto held = static_cast<std::size_t>(note.length / kBeatsPerSecond * sampleRate);
    const auto release = static_cast<std::size_t>(0.02 * sampleRate);  // the fretting hand lets go
    for (int midi : note.midiNotes) {
        if (midi == 0)
            continue;
        PluckedString string(midiToFrequency(midi), sampleRate, 0.996, seed++);
        for (std::size_t n = 0; n < held + release && start + n < out.size(); ++n) {
            const double damping = n < held ? 1.0 : 1.0 - static_cast<double>(n - held) / release;
            out[start + n] += kStringLevel * damping * string.next();
        }
    }
}

}  // namespace

AudioData demoPhrase(double sampleRate)
{
    const auto frames = static_cast<std::size_t>((kPhraseBeats / kBeatsPerSecond + kTailSeconds) * sampleRate);
    std::vector<double> samples(frames, 0.0);
    std::uint32_t seed = 12345u;
    for (const Note& note : kPhrase) {
        addNote(samples, note, sampleRate, seed);
        seed += 7u;
    }
    AudioData audio;
    audio.sampleRate = sampleRate;
    audio.channels.push_back(std::move(samples));
    return audio;
}

}  // namespace quenchbox::host
