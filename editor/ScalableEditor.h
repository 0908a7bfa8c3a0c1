#ifndef QUENCHBOX_EDITOR_SCALABLEEDITOR_H
#define QUENCHBOX_EDITOR_SCALABLEEDITOR_H

namespace quenchbox::editor {

// How the editor asks its host for a window of a new size, when the user
// zooms in the panel or the screen's density changes while it is open. A
// format whose host resizes plug-in views on request (CLAP's
// request_resize, VST3's IPlugFrame::resizeView) hands the editor one of
// these; without one the editor asks its plug-in connection (a VST2 host's
// audioMasterSizeWindow, an LV2 host's ui:resize).
class EditorSizeRequests {
public:
    // Answers whether the host took the new size.
    virtual bool requestEditorSize(int width, int height) = 0;

protected:
    ~EditorSizeRequests() = default;
};

// What a plug-in format's view may tell the editor about its size, beside
// the AEffEditor calls (getRect, open, close, idle). Every window layer's
// editor implements it. Sizes are window pixels; the window is always
// round(677 s) x round(480 s) for a scale s of 1, 1.25, 1.5, 1.75 or 2.
// Call these on the thread that opens the editor.
class ScalableEditor {
public:
    // The scale the host draws its own windows at (CLAP gui.set_scale, VST3
    // setContentScaleFactor), taken as the nearest step; it wins over the
    // user's remembered zoom and the screen's density. False, and nothing
    // changes, for a factor that is not a positive finite number. While the
    // editor is open its window takes the new size at once, and getRect
    // tells it from then on.
    virtual bool setHostScale(double factor) = 0;
    // The host resized the editor's frame: the editor takes the largest step
    // that fits (see scaleFittingSize) and answers its window size, which
    // the format reports back to the host.
    virtual void resizeToFit(int& width, int& height) = 0;
    virtual double scale() const = 0;
    // Null for the VST2 way.
    virtual void setSizeRequests(EditorSizeRequests* requests) = 0;

protected:
    ~ScalableEditor() = default;
};

}  // namespace quenchbox::editor

#endif
