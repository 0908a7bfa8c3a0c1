#include "editor/DialModel.h"

#include <cfloat>
#include <cmath>

namespace quenchbox::editor {

namespace {

constexpr float kHalfPi = 1.5707964f;

}  // namespace

DialModel::DialModel()
{
    // 29 segments of 10 degrees from -235 to 55 degrees: a gap of 70 degrees
    // at the bottom, symmetric about the vertical, between radius 38 and 47.
    LedRing& led = rings[0];
    led.fillsFromStart = true;
    led.startAngle = -4.101524f;
    led.endAngle = 0.95993114f;
    led.segments = 29;
    led.innerRadiusSquared = 38 * 38;
    led.outerRadiusSquared = 47 * 47;

    // The second ring covers only the centre pixel and never lights.
    LedRing& hidden = rings[1];
    hidden.segments = 1;
}

bool DialModel::changedSincePaint() const
{
    return rings[0].channel.changedSincePaint() || rings[1].channel.changedSincePaint();
}

void DialModel::catchUpPainted()
{
    for (LedRing& ring : rings)
        ring.channel.painted = ring.channel.value;
}

void DialModel::buildBoundaries()
{
    for (LedRing& ring : rings)
        ring.buildBoundaries();
}

void DialModel::clearBoundaries()
{
    for (LedRing& ring : rings)
        ring.boundaries.clear();
}

void DialModel::LedRing::buildBoundaries()
{
    boundaries.clear();
    if (segments < 1)
        return;
    // A boundary in the left half is stored as the slope dy/dx of its ray;
    // right-half boundaries (past the top) as the largest float, since the
    // right half is tested against the mirror image of the boundary.
    boundaries.resize(segments + 1);
    for (int k = 0; k <= segments; ++k) {
        const float t = static_cast<float>(k) / static_cast<float>(segments);
        const float angle = (1.0f - t) * startAngle + t * endAngle;
        boundaries[k] = angle <= -kHalfPi ? std::tan(angle) : FLT_MAX;
    }
}

bool DialModel::LedRing::contains(float distanceSquared) const
{
    return static_cast<float>(innerRadiusSquared) <= distanceSquared &&
           distanceSquared <= static_cast<float>(outerRadiusSquared);
}

bool DialModel::LedRing::withinBoundary(float dx, float dy, int boundary) const
{
    if (dx == 0.0f)
        dx = 0.1f;  // the vertical through the centre counts as the right half
    const float slope = dy / dx;
    if (dx > 0.0f)
        // The sweep is symmetric about the vertical (start = -pi - end), so
        // the right half is tested against the mirror of the boundary.
        return slope <= -boundaries[segments - boundary];
    if (dy >= 0.0f)
        return boundaries[0] <= slope && slope <= boundaries[boundary];
    return slope <= boundaries[boundary];
}

bool DialModel::LedRing::lightsPixel(float dx, float dy) const
{
    if (boundaries.empty())
        return false;
    if (fillsFromStart) {
        // Percent to lit segments: value x (segments + 1) / 100, at most all.
        int lit = channel.value * (segments + 1) / 100;
        lit = lit > segments ? segments : (lit < 0 ? 0 : lit);
        return withinBoundary(dx, dy, lit);
    }
    int segment = channel.value * segments / 100;
    segment = segment >= segments ? segments - 1 : (segment < 0 ? 0 : segment);
    return withinBoundary(dx, dy, segment + 1) && !withinBoundary(dx, dy, segment);
}

bool DialModel::lightsAt(float x, float y) const
{
    const float dx = x - centreX;
    const float dy = y - centreY;
    const float distanceSquared = dx * dx + dy * dy;
    // Only ring 0 has LEDs; the centre pixel, ring 1's, never lights.
    return rings[0].contains(distanceSquared) && rings[0].lightsPixel(dx, dy);
}

bool DialModel::press(int ring, int y)
{
    const int other = 1 - ring;
    // While the other button drags, both rings follow the mouse together.
    if (rings[other].dragAnchor != kNotDragging) {
        rings[ring].dragAnchor = rings[other].dragAnchor;
        return false;
    }
    rings[ring].dragAnchor = (y >> kDragShift) + rings[ring].channel.value;
    return true;
}

bool DialModel::release(int ring)
{
    rings[ring].dragAnchor = kNotDragging;
    return rings[1 - ring].dragAnchor == kNotDragging;
}

void DialModel::drag(int y, bool shiftHeld)
{
    for (int r = 0; r < 2; ++r) {
        if (rings[r].dragAnchor == kNotDragging)
            continue;
        const int candidate = rings[r].dragAnchor - (y >> kDragShift);
        if (shiftHeld && candidate % 10 != 0)
            continue;  // Shift drags step through multiples of 10
        setValue(r, candidate);
    }
}

}  // namespace quenchbox::editor
