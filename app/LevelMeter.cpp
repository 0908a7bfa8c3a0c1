#include "app/LevelMeter.h"

#include <algorithm>
#include <cmath>

namespace quenchbox::app {

void LevelMeter::take(float peak, long long nowMs)
{
    const long long elapsed = lastMs < 0 ? 0 : std::max(0LL, nowMs - lastMs);
    lastMs = nowMs;
    const double magnitude = std::isnan(peak) ? 2.0 : std::fabs(static_cast<double>(peak));
    const double decibels = magnitude > 0.0 ? std::max(kFloorDb, 20.0 * std::log10(magnitude)) : kFloorDb;
    clip = clip || magnitude >= 1.0;
    barDb = std::max(decibels, fallen(barDb, elapsed));
    if (decibels >= holdDb) {
        holdDb = decibels;
        holdSince = nowMs;
    } else if (nowMs - holdSince > kHoldMs) {
        holdDb = std::max(barDb, fallen(holdDb, std::min(elapsed, nowMs - holdSince - kHoldMs)));
    }
}

double LevelMeter::fallen(double decibels, long long elapsedMs) const
{
    return std::max(kFloorDb, decibels - kFallDbPerSecond * static_cast<double>(elapsedMs) / 1000.0);
}

double LevelMeter::fractionOf(double decibels)
{
    return std::clamp((decibels - kFloorDb) / -kFloorDb, 0.0, 1.0);
}

}  // namespace quenchbox::app
