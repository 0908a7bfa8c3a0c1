#include "editor/EditorModel.h"

#include "editor/EditorLayout.h"
#include "effect/ParameterMapping.h"
#include "effect/Parameters.h"

#include <climits>
#include <cmath>
#include <cstdio>

namespace quenchbox::editor {

namespace {

// Opacity 0..255 of a stage icon for a meter reading scaled to full strength at 1.
int opacityOf(double reading)
{
    const double alpha = reading * 255.0;
    if (!(alpha > 0.0))
        return 0;
    return alpha < 255.0 ? static_cast<int>(alpha) : 255;
}

// Curve value (|H|^2) to the scope's vertical position (-1 top, +1 bottom):
// 60 dB per full height, 0 dB in the middle row, raised by `liftDb`.
float scopeRow(float power, float liftDb)
{
    const float twiceDb = power > 0.0f ? 20.0f * std::log10(power) : -100.0f;
    return 1.0f - ((twiceDb * 0.5f + liftDb + 30.0f) * 2.0f * 0.016666668f);
}

}  // namespace

int percentOfParameter(float value)
{
    const float percent = value * 100.0f;
    if (!(percent > 0.0f))
        return 0;
    return percent < 100.0f ? static_cast<int>(std::nearbyint(percent)) : 100;
}

EditorModel::EditorModel(PluginConnection& connection, EditorWidgets& layer) : plugin(connection), widgets(layer)
{
    curves.computeGrid(plugin.sampleRate(), plugin.parameter(effect::kOversample) > 0.5f);
}

void EditorModel::opened()
{
    about = false;
    showDeepDial();
}

void EditorModel::refresh(long long now)
{
    clock = now;
    if (nudging >= 0 && now >= nudgeEndsAt)
        endNudge();
    if (plugin.updateResponse(curves))
        plotCurves();
    refreshMeters();
    for (int d = 0; d < kDialCount; ++d)
        syncDial(d);
    for (int s = 0; s < kSliderCount; ++s)
        syncSlider(s);
    refreshButtons();
    updateLabelText();
    expireLabels(now);
    showFocus(focusVisible);  // the focused control may have been hidden
}

void EditorModel::refreshMeters()
{
    const effect::StageMeters meters = plugin.stageMeters();
    // The clipper icon is at full strength from 2 mA of LED current.
    const int opacities[kIconCount] = {opacityOf(meters.solver * 500.0), opacityOf(meters.stageA),
                                       opacityOf(meters.stageB)};
    for (int i = 0; i < kIconCount; ++i)
        if (widgets.iconOpacity(i) != opacities[i])
            widgets.showIconOpacity(i, opacities[i]);
}

// A control's value differs from the one last exchanged with the plug-in
// only when the user moved it: then the parameter is written, else the
// control follows the parameter. Painting has no part in it, so a control
// repainted for another reason (an exposure, the overlay above it) before
// the tick still has its move written.
void EditorModel::syncDial(int d)
{
    DialModel& dial = widgets.dialModel(d);
    const int parameter = kDials[d].parameter;
    if (dialSynced[d] != kNotSynced && dial.value(0) != dialSynced[d])
        plugin.performEdit(parameter, static_cast<float>(dial.value(0)) * 0.01f);
    else
        dial.setValue(0, percentOfParameter(plugin.parameter(parameter)));
    dialSynced[d] = dial.value(0);
    if (dial.changedSincePaint())
        widgets.repaintDial(d);
}

void EditorModel::syncSlider(int s)
{
    SliderModel& slider = widgets.sliderModel(s);
    const int parameter = kSliderParameters[s];
    if (sliderSynced[s] != kNotSynced && slider.value(0) != sliderSynced[s]) {
        plugin.performEdit(parameter, static_cast<float>(slider.value(0)) * 0.01f);
        updateValueText(s, slider.value(0));
    } else {
        const int percent = percentOfParameter(plugin.parameter(parameter));
        if (percent != slider.value(0) || sliderSynced[s] == kNotSynced) {
            slider.setValue(0, percent);
            updateValueText(s, percent);
        }
    }
    sliderSynced[s] = slider.value(0);
    if (slider.changedSincePaint())
        widgets.repaintSlider(s);
}

void EditorModel::refreshButtons()
{
    for (const ButtonBinding& binding : kButtonBindings) {
        const unsigned on = static_cast<unsigned>(effect::twoWayChoice(plugin.parameter(binding.parameter)));
        if (on == widgets.buttonState(binding.widget))
            continue;
        widgets.showButtonState(binding.widget, on);
        if (binding.parameter == effect::kRzMode)
            showDeepDial();
    }
}

void EditorModel::showDeepDial()
{
    widgets.showWidgets(widgets.buttonState(kModeButton) == 1, kDeepDial, kDeepDial);
}

int EditorModel::parameterOf(int widget) const
{
    if (widget >= kFirstDial && widget < kFirstDial + kDialCount)
        return kDials[widget - kFirstDial].parameter;
    if (widget >= kFirstSlider && widget < kFirstSlider + kSliderCount)
        return kSliderParameters[widget - kFirstSlider];
    for (const ButtonBinding& binding : kButtonBindings)
        if (binding.widget == widget)
            return binding.parameter;
    return -1;
}

bool EditorModel::onButton(int widget, bool on)
{
    if (widget == kUpdateButton)
        return false;
    if (widget == kAboutButton) {
        showAbout(on);
        return true;
    }
    const int parameter = parameterOf(widget);
    if (parameter < 0)
        return true;
    plugin.beginEdit(parameter);
    plugin.performEdit(parameter, on ? 1.0f : 0.0f);
    plugin.endEdit(parameter);
    if (widget == kModeButton)
        widgets.showWidgets(on, kDeepDial, kDeepDial);
    return true;
}

void EditorModel::showAbout(bool on)
{
    if (on) {
        widgets.showWidgets(false, 0, kLastWidget);
        widgets.showWidgets(true, kOversampleButton, kAboutButton);
        about = true;
    } else {
        about = false;
        widgets.showWidgets(true, 0, kLastWidget);
        showDeepDial();
    }
    widgets.repaintPanel();
}

void EditorModel::beginGesture(int widget)
{
    const int parameter = parameterOf(widget);
    if (widget == nudging)
        nudging = -1;  // a drag takes over the wheel's open gesture
    if (parameter < 0 || (gestures & (1u << widget)) != 0)
        return;
    endNudge();
    gestures |= 1u << widget;
    plugin.beginEdit(parameter);
    showValueLabel(widget, LLONG_MAX);
}

void EditorModel::endGesture(int widget)
{
    const int parameter = parameterOf(widget);
    if (parameter < 0 || (gestures & (1u << widget)) == 0)
        return;
    gestures &= ~(1u << widget);
    // The value the drag ended on reaches the host inside the gesture.
    if (widget < kFirstDial + kDialCount)
        syncDial(widget - kFirstDial);
    else
        syncSlider(widget - kFirstSlider);
    plugin.endEdit(parameter);
    if (labelWidget == widget)
        labelUntil = clock + kLabelLingerMs;
}

void EditorModel::formatValueText(int slider, int percent, char (&text)[64])
{
    switch (kSliderParameters[slider]) {
    case effect::kVoltage:
        std::snprintf(text, sizeof(text), "%.1f V", effect::supplyVoltage(static_cast<float>(percent) * 0.01f));
        break;
    case effect::kScale:
        if (percent == 50)
            std::snprintf(text, sizeof(text), "0%%");
        else
            std::snprintf(text, sizeof(text), "%+d%%", percent - 50);
        break;
    default:
        std::snprintf(text, sizeof(text), "%d%%", percent);
        break;
    }
}

void EditorModel::updateValueText(int slider, int percent)
{
    char text[64];
    formatValueText(slider, percent, text);
    widgets.showValueText(slider, text);
}

// Logarithmic in frequency from -1 (20 Hz) to +1 (22.05 kHz); the pre curve
// has 0 dB in the middle row, the post curve 20 dB (a third of the height) higher.
void EditorModel::plotCurves()
{
    for (int i = 0; i < engine::ResponseCurves::kPointCount; ++i) {
        const float x = static_cast<float>(i) * 2.0f * 0.0055555557f - 1.0f;
        widgets.plot(x, scopeRow(curves.pre(i), 0.0f), kPreCurveColour);
        widgets.plot(x, scopeRow(curves.post(i), 20.0f), kPostCurveColour);
    }
    widgets.commitScope();
}

}  // namespace quenchbox::editor
