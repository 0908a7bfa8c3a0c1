#ifndef QUENCHBOX_TESTS_RECORDINGWIDGETS_H
#define QUENCHBOX_TESTS_RECORDINGWIDGETS_H

#include "editor/EditorLayout.h"
#include "editor/EditorModel.h"

#include <string>

namespace quenchbox::editor {

// A window layer that only records what the shared logic asks of it, with
// the controls where the panel has them (buttons 40 x 40 at the top, 60 x
// 28 in the rows).
class RecordingWidgets : public EditorWidgets {
public:
    RecordingWidgets()
    {
        for (bool& visible : shown)
            visible = true;
        for (DialModel& dial : dials)
            dial.buildBoundaries();
    }

    DialModel& dialModel(int d) override { return dials[d]; }
    SliderModel& sliderModel(int s) override { return sliders[s]; }
    unsigned buttonState(int widget) const override { return states[widget - kOversampleButton]; }
    void showButtonState(int widget, unsigned state) override { states[widget - kOversampleButton] = state; }
    int iconOpacity(int icon) const override { return opacities[icon]; }
    void showIconOpacity(int icon, int opacity) override { opacities[icon] = opacity; }
    void repaintDial(int d) override { dials[d].catchUpPainted(); }
    void repaintSlider(int s) override { sliders[s].catchUpPainted(); }
    void showValueText(int label, const char* text) override { texts[label] = text; }
    void showWidgets(bool visible, int first, int last) override
    {
        for (int i = first; i <= last; ++i)
            shown[i] = visible;
    }
    void repaintPanel() override {}
    void plot(float, float, std::uint32_t) override { ++points; }
    void commitScope() override { ++commits; }
    PanelArea areaOf(int widget) const override
    {
        if (widget >= kFirstDial && widget < kFirstDial + kDialCount)
            return {kDials[widget - kFirstDial].x, kDialTop, DialModel::kSize, DialModel::kSize};
        if (widget >= kFirstSlider && widget < kFirstSlider + kSliderCount)
            return {kSliderLeft, kRowY[widget - kFirstSlider], SliderModel::kWidth, SliderModel::kHeight};
        if (widget >= kOversampleButton && widget <= kPowerButton) {
            const ButtonPlace& place = kButtons[widget - kOversampleButton];
            return {place.x, place.y, place.y == 0 ? 40 : 60, place.y == 0 ? 40 : 28};
        }
        return {0, 0, 0, 0};
    }
    bool widgetShown(int widget) const override { return shown[widget]; }
    void pressButton(int widget) override { pressed += std::to_string(widget) + " "; }
    void overlayChanged() override { ++overlayChanges; }

    DialModel dials[kDialCount];
    SliderModel sliders[kSliderCount];
    unsigned states[kButtonCount] = {};
    int opacities[kIconCount] = {};
    std::string texts[kSliderCount];
    bool shown[kWidgetCount] = {};
    int points = 0;
    int commits = 0;
    std::string pressed;
    int overlayChanges = 0;
};

}  // namespace quenchbox::editor

#endif
