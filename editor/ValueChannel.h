#ifndef QUENCHBOX_EDITOR_VALUECHANNEL_H
#define QUENCHBOX_EDITOR_VALUECHANNEL_H

namespace quenchbox::editor {

// One value of a continuous control, in percent of the parameter's range,
// with the value that the control's last paint showed. The mouse changes
// only `value`; the editor polls the pair on its timer, writes the parameter
// when they differ and has the control repaint, which catches `painted` up.
struct ValueChannel {
    int value = 0;
    int painted = 0;

    void setClamped(int percent) { value = percent >= 100 ? 100 : (percent > 0 ? percent : 0); }
    bool changedSincePaint() const { return value != painted; }
};

}  // namespace quenchbox::editor

#endif
