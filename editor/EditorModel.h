#ifndef QUENCHBOX_EDITOR_EDITORMODEL_H
#define QUENCHBOX_EDITOR_EDITORMODEL_H

#include "editor/DialModel.h"
#include "editor/PluginConnection.h"
#include "editor/SliderModel.h"
#include "engine/ResponseCurves.h"

#include <cstdint>

namespace quenchbox::editor {

// What the shared editor logic asks of a window-system layer: the models of
// its dials and sliders, the states it shows, and the repaints. Indices are
// those of the widget table (EditorLayout.h) unless named otherwise.
class EditorWidgets {
public:
    virtual DialModel& dialModel(int dial) = 0;
    virtual SliderModel& sliderModel(int slider) = 0;
    virtual unsigned buttonState(int widget) const = 0;
    // Shows state 0 or 1 without notifying anyone.
    virtual void showButtonState(int widget, unsigned state) = 0;
    virtual int iconOpacity(int icon) const = 0;
    virtual void showIconOpacity(int icon, int opacity) = 0;
    virtual void repaintDial(int dial) = 0;
    // Sliders repaint at once, before the tick goes on.
    virtual void repaintSlider(int slider) = 0;
    virtual void showValueText(int label, const char* text) = 0;
    // Shows or hides the widgets from `first` to `last`.
    virtual void showWidgets(bool visible, int first, int last) = 0;
    virtual void repaintPanel() = 0;
    virtual void plot(float x, float y, std::uint32_t colour) = 0;
    virtual void commitScope() = 0;

protected:
    ~EditorWidgets() = default;
};

// The editor's logic, the same for every window system. Nothing links a
// control straight to its parameter: on each 33 ms tick `refresh` notices
// which controls the user moved since they last painted and writes those
// parameters (telling the host), and copies every other parameter into its
// control, so host automation and the mouse meet in one place. The same
// tick drives the stage icons from the audio thread's meters and redraws the
// response display when its curves went stale. The plug-in is reached only
// through its PluginConnection.
//
// A drag on a dial or slider is one gesture for the host: `beginGesture` on
// the press, `endGesture` on the release, which first writes the value the
// drag ended on. A button press is a gesture of its own.
class EditorModel {
public:
    EditorModel(PluginConnection& plugin, EditorWidgets& layer);

    EditorModel(const EditorModel&) = delete;
    EditorModel& operator=(const EditorModel&) = delete;

    // The window has just opened, every control shown but the Deep dial:
    // the normal view, with the Deep dial as the mode button says.
    void opened();
    void refresh();
    // Plots the last computed curves again: the display was made anew (at
    // another size) and shows only its background.
    void replotResponse() { plotCurves(); }
    // A button press changed widget `widget`'s state to `on`. Answers false
    // for the update-check button, whose check each layer makes its own way.
    bool onButton(int widget, bool on);
    // The about view hides every control but the four top buttons; leaving
    // it brings back the Deep dial only in the second circuit variant.
    void showAbout(bool on);
    bool aboutShown() const { return about; }
    void showDeepDial();

    void beginGesture(int widget);
    void endGesture(int widget);

    // The value text of the label beside slider `slider` at `percent`:
    // "9.0 V", "75%", "+10%".
    static void formatValueText(int slider, int percent, char (&text)[64]);

private:
    void plotCurves();
    void refreshMeters();
    void syncDial(int dial);
    void syncSlider(int slider);
    void refreshButtons();
    void updateValueText(int slider, int percent);
    int parameterOf(int widget) const;

    PluginConnection& plugin;
    EditorWidgets& widgets;
    bool about = false;
    unsigned gestures = 0;  // bit per widget-table entry with a gesture open
    engine::ResponseCurves curves;
};

}  // namespace quenchbox::editor

#endif
