#ifndef QUENCHBOX_EDITOR_EDITORLAYOUT_H
#define QUENCHBOX_EDITOR_EDITORLAYOUT_H

#include "effect/Parameters.h"
#include "resources/SkinIds.h"

#include <cstdint>

namespace quenchbox::editor {

// Where every control of the 677 x 480 panel sits, which skin draws it and
// which parameter it moves: one table for every window system.

// Positions in the widget table of 26 controls.
enum WidgetIndex : int {
    kFirstDial = 0,
    kDeepDial = 2,
    kSolverIcon = 6,
    kStageAIcon = 7,
    kStageBIcon = 8,
    kOversampleButton = 9,
    kChannelsButton = 10,
    kUpdateButton = 11,
    kAboutButton = 12,
    kModeButton = 13,
    kLedsButton = 14,
    kBrightButton = 15,
    kPowerButton = 16,
    kFirstSlider = 17,
    kScope = 21,
    kFirstLabel = 22,
    kLastWidget = 25,
    kWidgetCount = 26,
};

constexpr int kDialCount = 6;
constexpr int kIconCount = 3;
constexpr int kButtonCount = 8;
constexpr int kSliderCount = 4;

// The parameter a control moves is the parameter table's.
using effect::EditorControl;
constexpr int boundParameter(EditorControl control) { return effect::parameterDriving(control); }

// The dial row's top edge and each dial's column, lit ring and parameter.
constexpr int kDialTop = 171;
struct DialPlace {
    int x;
    int litSkin;
    int parameter;
};
constexpr DialPlace kDials[kDialCount] = {
    {27, SKIN_WHITE_RING, boundParameter(EditorControl::driveDial)},
    {127, SKIN_WHITE_RING, boundParameter(EditorControl::levelDial)},
    {257, SKIN_RED_RING, boundParameter(EditorControl::deepDial)},
    {357, SKIN_RED_RING, boundParameter(EditorControl::bassDial)},
    {457, SKIN_RED_RING, boundParameter(EditorControl::middleDial)},
    {557, SKIN_RED_RING, boundParameter(EditorControl::trebleDial)},
};

// The three stage icons in the "Overdrive Stages" box.
struct IconPlace {
    int x;
    int y;
    int skin;
};
constexpr IconPlace kIcons[kIconCount] = {
    {152, 80, SKIN_CLIPPER_ICON}, {34, 82, SKIN_STAGE_A_ICON}, {93, 82, SKIN_STAGE_B_ICON}};

// The buttons in table order 9 to 16; each carries its table index as control id.
struct ButtonPlace {
    int x;
    int y;
    int skin;
};
constexpr ButtonPlace kButtons[kButtonCount] = {
    {80, 0, SKIN_OVERSAMPLE_BUTTON}, {120, 0, SKIN_CHANNELS_BUTTON}, {40, 0, SKIN_UPDATE_BUTTON},
    {0, 0, SKIN_ABOUT_BUTTON},       {113, 316, SKIN_MODE_SWITCH},   {113, 356, SKIN_ONOFF_SWITCH},
    {113, 396, SKIN_ONOFF_SWITCH},   {113, 436, SKIN_ONOFF_SWITCH},
};
constexpr int kButtonFrames = 2;  // off above, on below

// The rows of switches, sliders and value labels.
constexpr int kRowY[kSliderCount] = {316, 356, 396, 436};
constexpr int kSliderLeft = 350;
constexpr int kSliderParameters[kSliderCount] = {
    boundParameter(EditorControl::voltageSlider), boundParameter(EditorControl::gainSlider),
    boundParameter(EditorControl::scaleSlider), boundParameter(EditorControl::mixSlider)};
constexpr int kLabelLeft = 562;
constexpr int kLabelWidth = 58;
constexpr int kLabelHeight = 28;

// The filtering-stage display.
constexpr int kScopeLeft = 464;
constexpr int kScopeTop = 82;

// Button table entries bound to parameters, in the order the refresh visits them.
struct ButtonBinding {
    int widget;
    int parameter;
};
constexpr ButtonBinding kButtonBindings[6] = {
    {kOversampleButton, boundParameter(EditorControl::oversampleButton)},
    {kLedsButton, boundParameter(EditorControl::ledsButton)},
    {kModeButton, boundParameter(EditorControl::modeButton)},
    {kBrightButton, boundParameter(EditorControl::brightButton)},
    {kPowerButton, boundParameter(EditorControl::powerButton)},
    {kChannelsButton, boundParameter(EditorControl::channelsButton)},
};

constexpr bool everyControlBound()
{
    for (const DialPlace& dial : kDials)
        if (!effect::isParameterIndex(dial.parameter))
            return false;
    for (const int parameter : kSliderParameters)
        if (!effect::isParameterIndex(parameter))
            return false;
    for (const ButtonBinding& binding : kButtonBindings)
        if (!effect::isParameterIndex(binding.parameter))
            return false;
    return true;
}
static_assert(everyControlBound(), "every dial, slider and parameter button drives a parameter of the table");

// The maker's badge at the right of the title bar, printed on the panel: a
// click on it opens the zoom choice. {x, y, width, height}.
struct PanelArea {
    int x;
    int y;
    int width;
    int height;

    bool contains(int px, int py) const { return px >= x && py >= y && px < x + width && py < y + height; }
};
constexpr PanelArea kZoomBadge = {603, 9, 62, 22};

constexpr int kRefreshMs = 33;  // about 30 refreshes a second

// Colours as 0x00RRGGBB.
constexpr std::uint32_t kPreCurveColour = 0xBB2452;   // the panel's red
constexpr std::uint32_t kPostCurveColour = 0xD4D4D4;  // light grey
constexpr std::uint32_t kLabelTextColour = 0xD4D4D4;

// The label and about fonts: a heavy sans serif with 12 (and 20) pixel
// characters.
constexpr int kSmallTextPixels = 12;
constexpr int kLargeTextPixels = 20;

}  // namespace quenchbox::editor

#endif
