#ifndef QUENCHBOX_EDITOR_DIALMODEL_H
#define QUENCHBOX_EDITOR_DIALMODEL_H

#include "editor/ValueChannel.h"

#include <climits>
#include <vector>

namespace quenchbox::editor {

// The arithmetic of an LED-ring dial, apart from any window system: its two
// value channels, the vertical drag (one percent per two pixels, relative to
// where the drag began) and which pixels of the 94 x 94 dial the ring lights
// at the current value. Each pixel of the ring is lit or not by its angle,
// tested against a table of segment boundaries (one division per pixel, no
// trigonometry while painting).
//
// Ring 0 is the visible LED ring (left button); ring 1 (right button) is a
// degenerate ring at the centre pixel that never lights. The editor polls
// both value/painted pairs.
class DialModel {
public:
    static constexpr int kSize = 94;  // the dial skins' width and height

    DialModel();

    void setValue(int ring, int v) { rings[ring].channel.setClamped(v); }
    int value(int ring) const { return rings[ring].channel.value; }
    int painted(int ring) const { return rings[ring].channel.painted; }
    bool changedSincePaint() const;
    // A paint shows the current values.
    void catchUpPainted();

    // Builds the boundary tables; the layers call it when the dial's images
    // are made, and `lights` answers false without them.
    void buildBoundaries();
    void clearBoundaries();
    // Whether the ring lights pixel (x, y) of the dial at its current value.
    bool lights(int x, int y) const { return lightsAt(static_cast<float>(x), static_cast<float>(y)); }
    // The same for a point between pixels: a window drawn larger tests the
    // centre of each of its pixels in the dial's 94 x 94 units.
    bool lightsAt(float x, float y) const;

    // Mouse, y in the dial's pixels. A press answers whether the layer
    // should grab the pointer (no grab when the other ring already drags:
    // both rings then follow the mouse together); a release answers whether
    // it should let the pointer go.
    bool press(int ring, int y);
    bool release(int ring);
    void drag(int y, bool shiftHeld);
    bool dragging(int ring) const { return rings[ring].dragAnchor != kNotDragging; }

private:
    static constexpr int kNotDragging = INT_MIN;
    static constexpr int kDragShift = 1;  // vertical pixels are halved: 1 % per 2 px

    struct LedRing {
        bool fillsFromStart = false;  // false: only the segment holding the value lights
        float startAngle = 0.0f;      // radians, screen angles (y down, -pi/2 up)
        float endAngle = 0.0f;
        int segments = 0;
        int innerRadiusSquared = 0;
        int outerRadiusSquared = 0;
        std::vector<float> boundaries;  // segments + 1 entries
        ValueChannel channel;
        int dragAnchor = kNotDragging;

        void buildBoundaries();
        bool contains(float distanceSquared) const;
        // Whether the pixel at (dx, dy) from the centre lies between the
        // start angle and boundary `boundary`.
        bool withinBoundary(float dx, float dy, int boundary) const;
        bool lightsPixel(float dx, float dy) const;
    };

    LedRing rings[2];
    float centreX = 47.0f;
    float centreY = 47.0f;
};

}  // namespace quenchbox::editor

#endif
