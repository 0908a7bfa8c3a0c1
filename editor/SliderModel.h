#ifndef QUENCHBOX_EDITOR_SLIDERMODEL_H
#define QUENCHBOX_EDITOR_SLIDERMODEL_H

#include "editor/ValueChannel.h"

#include <climits>

namespace quenchbox::editor {

// The arithmetic of a horizontal slider, apart from any window system: a
// 28-pixel thumb whose left edge travels 165 one-pixel steps along a 194 x 28
// groove, and whose centre follows the pointer while the left button drags.
// Like the dial it has two value channels; channel 0 is the visible thumb,
// channel 1 (right button) is disabled and never drawn.
class SliderModel {
public:
    static constexpr int kWidth = 194;  // the track skin's size
    static constexpr int kHeight = 28;

    SliderModel();

    // Sets up the travel for a thumb `thumbPixels` wide.
    void setThumbWidth(int thumbPixels) { thumbWidth = thumbPixels; }
    void setValue(int channel, int v) { channels[channel].value.setClamped(v); }
    int value(int channel) const { return channels[channel].value.value; }
    int painted(int channel) const { return channels[channel].value.painted; }
    bool changedSincePaint() const;
    void catchUpPainted();
    // The thumb's left edge at the current value, or -1 when the channel is
    // not drawn.
    int thumbX(int channel) const;

    // Mouse, x in the slider's pixels; press and release answer whether the
    // layer should grab or let go of the pointer, as for the dial.
    bool press(int channel, int x);
    bool release(int channel);
    void drag(int x, bool shiftHeld);
    bool dragging(int channel) const { return channels[channel].dragAnchor != kNotDragging; }

private:
    static constexpr int kNotDragging = INT_MIN;
    static constexpr int kDragShift = 1;

    struct Channel {
        bool enabled = false;
        int minimumX = 0;  // the thumb's left edge travels from minimumX to maximumX
        int maximumX = 0;
        int steps = 0;     // thumb positions over the travel
        ValueChannel value;
        int dragAnchor = kNotDragging;
    };

    int thumbWidth = 0;
    Channel channels[2];
};

}  // namespace quenchbox::editor

#endif
