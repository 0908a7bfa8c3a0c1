#ifndef QUENCHBOX_EDITOR_EDITORMODEL_H
#define QUENCHBOX_EDITOR_EDITORMODEL_H

#include "editor/DialModel.h"
#include "editor/PanelInput.h"
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
    // Where a control lies in panel units, and whether it is shown now.
    virtual PanelArea areaOf(int widget) const = 0;
    virtual bool widgetShown(int widget) const = 0;
    // The keyboard presses a button: what a click on it does.
    virtual void pressButton(int widget) = 0;
    // The overlay (EditorModel::overlay) changed.
    virtual void overlayChanged() = 0;

protected:
    ~EditorWidgets() = default;
};

// A parameter as a control's percent: the nearest whole percent (ties to
// even), held within 0..100.
int percentOfParameter(float value);

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
// drag ended on. A button press is a gesture of its own, and so is every
// other way of changing a value: the wheel's notches and the arrow keys'
// steps, merged while they keep coming (kNudgeMergeMs), a reset, a typed
// value.
//
// Beyond the drag every layer translates its events into the same few
// calls (EditorInput.cpp): the wheel, a double click, the pointer resting on
// a control, the control's menu, the keyboard. What they show over the
// controls - the moving value, the focus ring, the text field - is the
// overlay, which each layer draws.
class EditorModel {
public:
    EditorModel(PluginConnection& plugin, EditorWidgets& layer);

    EditorModel(const EditorModel&) = delete;
    EditorModel& operator=(const EditorModel&) = delete;

    // The window has just opened, every control shown but the Deep dial:
    // the normal view, with the Deep dial as the mode button says.
    void opened();
    // `now` in milliseconds on any steady clock: the wheel's and the keys'
    // gestures end, and the labels go, on the tick after their time.
    void refresh(long long now);
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

    // ---- Input beyond a drag ----
    // `notches` of the wheel over `widget` (positive: up); answers whether
    // the widget took them.
    bool wheel(int widget, int notches, bool shift, long long now);
    // A double click on a dial or slider puts it back to the selected
    // program's value; a slider's with Ctrl to the middle.
    void doubleClicked(int widget, bool control);
    // The pointer moved over `widget` (-1: over none or out of the window).
    void pointerOver(int widget, long long now);
    // A press anywhere in the panel: the pressed control (or none) gets the
    // keyboard's attention, and an open menu or text field closes.
    void pressedOn(int widget);
    // The panel's window gained or lost the keyboard focus.
    void keyboardFocus(bool has);
    // A key while the panel has the keyboard; false when the panel has no
    // use for it, and the layer hands it back to the host.
    bool key(const KeyStroke& stroke, long long now);

    // Builds the menu of `widget`'s control at (x, y); false when it has none.
    bool openMenu(int widget, int x, int y);
    const ControlMenu& menu() const { return controlMenu; }
    // Carries out menu item `item` and closes the menu; -1 only closes it.
    void chooseMenuItem(int item);
    void openTextField(int widget);
    const PanelOverlay& overlay() const { return shown; }

    static constexpr long long kNudgeMergeMs = 400;
    static constexpr long long kLabelLingerMs = 800;
    static constexpr long long kHoverDelayMs = 500;

    // The value text of the label beside slider `slider` at `percent`:
    // "9.0 V", "75%", "+10%".
    static void formatValueText(int slider, int percent, char (&text)[64]);

private:
    void plotCurves();
    bool isContinuous(int widget) const;
    int controlValue(int widget);
    void nudge(int widget, int percent, long long now);
    void endNudge();
    void setExactly(int widget, float value);
    void resetToProgram(int widget);
    void showValueLabel(int widget, long long until);
    void showHoverLabel();
    void hideLabel();
    void updateLabelText();
    void expireLabels(long long now);
    PanelArea captionArea(int widget) const;
    void moveFocus(int step);
    void showFocus(bool visible);
    bool focusable(int widget) const;
    bool editFocused(const KeyStroke& stroke, long long now);
    bool editField(const KeyStroke& stroke, long long now);
    void applyField(long long now);
    void closeField();
    void closeMenu();
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
    // Each dial's and slider's value last written to or read from the
    // plug-in; kNotSynced before the first tick.
    static constexpr int kNotSynced = -1000;
    int dialSynced[kDialCount] = {kNotSynced, kNotSynced, kNotSynced, kNotSynced, kNotSynced, kNotSynced};
    int sliderSynced[kSliderCount] = {kNotSynced, kNotSynced, kNotSynced, kNotSynced};
    engine::ResponseCurves curves;

    long long clock = 0;             // the last `now` seen
    int nudging = -1;                // the widget whose wheel or key gesture is open
    long long nudgeEndsAt = 0;
    int labelWidget = -1;            // the control whose value the label shows
    long long labelUntil = 0;        // when it goes; kForever while its gesture is open
    bool labelIsHover = false;
    int hoverWidget = -1;
    long long hoverSince = 0;
    int focused = -1;                // the control with the keyboard's attention
    bool hasKeyboard = false;
    bool focusVisible = false;       // shown once keys move it, not on a click
    int fieldWidget = -1;
    PanelOverlay shown;
    ControlMenu controlMenu;
};

}  // namespace quenchbox::editor

#endif
