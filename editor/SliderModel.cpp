#include "editor/SliderModel.h"

namespace quenchbox::editor {

SliderModel::SliderModel()
{
    // 165 one-pixel steps: the 28-pixel thumb's left edge from 0 to 165.
    channels[0].enabled = true;
    channels[0].minimumX = 0;
    channels[0].maximumX = 165;
    channels[0].steps = 165;
    // -1 is no percentage, so the editor's first poll takes the parameter.
    channels[0].value = {-1, -1};
}

bool SliderModel::changedSincePaint() const
{
    return channels[0].value.changedSincePaint() || channels[1].value.changedSincePaint();
}

void SliderModel::catchUpPainted()
{
    for (Channel& channel : channels)
        channel.value.painted = channel.value.value;
}

int SliderModel::thumbX(int index) const
{
    const Channel& channel = channels[index];
    if (!channel.enabled)
        return -1;
    // Percent to a thumb position: value x (steps + 1) / 100, within 0..steps.
    int position = channel.value.value * (channel.steps + 1) / 100;
    position = position > channel.steps ? channel.steps : (position < 0 ? 0 : position);
    return channel.minimumX + position * (channel.maximumX - channel.minimumX) / channel.steps;
}

void SliderModel::drag(int x, bool shiftHeld)
{
    for (Channel& channel : channels) {
        if (!channel.enabled || channel.dragAnchor == kNotDragging)
            continue;
        // The thumb's centre under the pointer.
        const int v = (x - thumbWidth / 2) * 100 / (channel.maximumX - channel.minimumX);
        if (shiftHeld && v % 10 != 0)
            continue;  // Shift drags step through multiples of 10
        channel.value.setClamped(v);
    }
}

bool SliderModel::press(int index, int x)
{
    Channel& channel = channels[index];
    const Channel& other = channels[1 - index];
    if (other.dragAnchor != kNotDragging) {
        channel.dragAnchor = other.dragAnchor;
        return false;
    }
    // Marks the drag; the value changes with the first movement.
    channel.dragAnchor = channel.value.value - (x >> kDragShift);
    return true;
}

bool SliderModel::release(int index)
{
    channels[index].dragAnchor = kNotDragging;
    return channels[1 - index].dragAnchor == kNotDragging;
}

}  // namespace quenchbox::editor
