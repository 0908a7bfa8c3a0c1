#ifndef QUENCHBOX_EDITOR_CONTROLINPUT_H
#define QUENCHBOX_EDITOR_CONTROLINPUT_H

namespace quenchbox::editor {

// What a left press does on a dial or slider (DialModel, SliderModel), the
// same in every window layer: it drags value channel 0 and is a gesture for
// the host; with Ctrl it sets the middle, a whole gesture without a drag.
// The right button opens the control's menu instead (EditorModel::openMenu).
struct PressOutcome {
    bool grab;           // the layer grabs the pointer
    bool gestureBegins;  // the host hears a gesture begin...
    bool gestureEnds;    // ...and, for a Ctrl-click, end at once
};

template <typename Model>
PressOutcome pressControl(Model& model, bool control, int coordinate)
{
    if (control) {
        model.setValue(0, 50);
        return {false, true, true};
    }
    return {model.press(0, coordinate), true, false};
}

// Answers whether the layer lets the pointer go; the release ends the gesture.
template <typename Model>
bool releaseControl(Model& model)
{
    return model.release(0);
}

}  // namespace quenchbox::editor

#endif
