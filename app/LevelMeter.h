#ifndef QUENCHBOX_APP_LEVELMETER_H
#define QUENCHBOX_APP_LEVELMETER_H

namespace quenchbox::app {

// A peak meter's ballistics, fed about thirty times a second with the
// largest magnitude since the last reading: the bar jumps up at once and
// falls back at 20 dB a second, the peak mark stays 1.5 s before it falls
// too, and the clip light, lit by a sample at or beyond full scale, stays
// lit until the player clears it, so that a clip in the middle of a song is
// still seen at its end. The scale runs from -60 dBFS to 0 dBFS.
class LevelMeter {
public:
    static constexpr double kFloorDb = -60.0;
    static constexpr double kFallDbPerSecond = 20.0;
    static constexpr long long kHoldMs = 1500;

    void take(float peak, long long nowMs);
    // Where the bar and the peak mark stand, 0 (the floor) to 1 (full scale).
    double barFraction() const { return fractionOf(barDb); }
    double holdFraction() const { return fractionOf(holdDb); }
    bool clipped() const { return clip; }
    void clearClip() { clip = false; }

private:
    static double fractionOf(double decibels);
    double fallen(double decibels, long long elapsedMs) const;

    double barDb = kFloorDb;
    double holdDb = kFloorDb;
    long long holdSince = 0;
    long long lastMs = -1;
    bool clip = false;
};

}  // namespace quenchbox::app

#endif
