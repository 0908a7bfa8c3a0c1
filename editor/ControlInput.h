#ifndef QUENCHBOX_EDITOR_CONTROLINPUT_H
#define QUENCHBOX_EDITOR_CONTROLINPUT_H

namespace quenchbox::editor {

// What a mouse button does on a dial or slider (DialModel, SliderModel),
// the same in every window layer: the left button drags value channel 0
// and is a gesture for the host, the right button drags the hidden channel
// 1; with Ctrl a press sets the middle, and for the left button that is a
// whole gesture without a drag.
struct PressOutcome {
    bool grab;           // the layer grabs the pointer
    bool gestureBegins;  // the host hears a gesture begin...
    bool gestureEnds;    // ...and, for a Ctrl-click, end at once
};

template <typename Model>
PressOutcome pressControl(Model& model, bool left, bool control, int coordinate)
{
    const int channel = left ? 0 : 1;
    if (control)
        model.setValue(channel, 50);
    const bool drags = !control || !left;
    return {drags && model.press(channel, coordinate), left, left && control};
}

// Answers whether the layer lets the pointer go; a left release ends the gesture.
template <typename Model>
bool releaseControl(Model& model, bool left)
{
    return model.release(left ? 0 : 1);
}

}  // namespace quenchbox::editor

#endif
