// The panel's input beyond a drag: the wheel, double clicks, the resting
// pointer, the control's menu with its text field, and the keyboard. Every
// layer translates its own events into these calls, so the gestures mean the
// same on every window system and reach every host the same way.

#include "editor/EditorModel.h"

#include "formats/shared/ParameterDescriptions.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <string>

namespace quenchbox::editor {

namespace {

constexpr long long kForever = LLONG_MAX;
constexpr long long kRejectionShownMs = 2000;
constexpr int kCaptionWidth = 120;
constexpr int kCaptionHeight = 18;
constexpr int kFocusMargin = 2;

bool isDialWidget(int widget) { return widget >= kFirstDial && widget < kFirstDial + kDialCount; }
bool isSliderWidget(int widget) { return widget >= kFirstSlider && widget < kFirstSlider + kSliderCount; }
bool isButtonWidget(int widget) { return widget >= kOversampleButton && widget <= kPowerButton; }
bool isTopButton(int widget) { return isButtonWidget(widget) && widget < kModeButton; }

void copyText(char (&target)[96], const std::string& text)
{
    std::snprintf(target, sizeof(target), "%s", text.c_str());
}

}  // namespace

PanelKey panelKeyFromVirtual(int virtualKey)
{
    // The shared numbering: 1 backspace, 2 tab, 3 clear, 4 return, 5 pause,
    // 6 escape, 7 space, 8 next, 9 end, 10 home, 11-14 left, up, right,
    // down, 15 page up, 16 page down, ... 19 enter, ... 22 delete.
    switch (virtualKey) {
    case 1: return PanelKey::backspace;
    case 2: return PanelKey::tab;
    case 4:
    case 19: return PanelKey::enter;
    case 6: return PanelKey::escape;
    case 7: return PanelKey::space;
    case 9: return PanelKey::end;
    case 10: return PanelKey::home;
    case 11: return PanelKey::left;
    case 12: return PanelKey::up;
    case 13: return PanelKey::right;
    case 14: return PanelKey::down;
    case 15: return PanelKey::pageUp;
    case 8:
    case 16: return PanelKey::pageDown;
    case 22: return PanelKey::deleteKey;
    default: return PanelKey::other;
    }
}

KeyStroke strokeFromVirtual(int character, int virtualKey, int modifiers, char (&typed)[2])
{
    const bool printable = character >= 0x20 && character < 0x7F;
    typed[0] = printable ? static_cast<char>(character) : '\0';
    typed[1] = '\0';
    PanelKey key = panelKeyFromVirtual(virtualKey);
    if (key == PanelKey::other && character == ' ')  // some hosts give space only as a character
        key = PanelKey::space;
    return {key, (modifiers & kVirtualShift) != 0, (modifiers & kVirtualShortcut) != 0, typed};
}

bool EditorModel::isContinuous(int widget) const { return isDialWidget(widget) || isSliderWidget(widget); }

int EditorModel::controlValue(int widget)
{
    return isDialWidget(widget) ? widgets.dialModel(widget - kFirstDial).value(0)
                                : widgets.sliderModel(widget - kFirstSlider).value(0);
}

// ---- Gestures of their own ----

bool EditorModel::wheel(int widget, int notches, bool shift, long long now)
{
    clock = now;
    if (!isContinuous(widget) || notches == 0 || !widgets.widgetShown(widget))
        return false;
    nudge(widget, notches * (shift ? 10 : 1), now);
    return true;
}

// Moves a control by `percent` inside a gesture that stays open while more
// steps come within kNudgeMergeMs, so that a host records one move. During
// a drag of the same control the drag's gesture carries the step.
void EditorModel::nudge(int widget, int percent, long long now)
{
    if (widget != nudging) {
        endNudge();
        if ((gestures & (1u << widget)) == 0) {
            beginGesture(widget);
            nudging = widget;
        }
    }
    if (nudging == widget)
        nudgeEndsAt = now + kNudgeMergeMs;
    const int target = controlValue(widget) + percent;
    if (isDialWidget(widget))
        widgets.dialModel(widget - kFirstDial).setValue(0, target);
    else
        widgets.sliderModel(widget - kFirstSlider).setValue(0, target);
    hoverWidget = -1;
    showValueLabel(widget, kForever);
}

void EditorModel::endNudge()
{
    if (nudging < 0)
        return;
    const int widget = nudging;
    nudging = -1;
    endGesture(widget);
}

// Writes an exact value (a reset, a typed value) as one gesture, and shows
// it on the control at once: the control's percent would round it, so the
// control counts as in step and is repainted instead of written back.
void EditorModel::setExactly(int widget, float value)
{
    const int parameter = parameterOf(widget);
    if (parameter < 0)
        return;
    if (nudging == widget)
        endNudge();
    const bool open = (gestures & (1u << widget)) != 0;
    if (!open)
        plugin.beginEdit(parameter);
    plugin.performEdit(parameter, value);
    if (!open)
        plugin.endEdit(parameter);
    const int percent = percentOfParameter(value);
    if (isDialWidget(widget)) {
        widgets.dialModel(widget - kFirstDial).setValue(0, percent);
        dialSynced[widget - kFirstDial] = percent;
        widgets.repaintDial(widget - kFirstDial);
    } else if (isSliderWidget(widget)) {
        widgets.sliderModel(widget - kFirstSlider).setValue(0, percent);
        sliderSynced[widget - kFirstSlider] = percent;
        widgets.repaintSlider(widget - kFirstSlider);
        updateValueText(widget - kFirstSlider, percent);
    }
}

void EditorModel::resetToProgram(int widget)
{
    const int parameter = parameterOf(widget);
    if (parameter < 0)
        return;
    setExactly(widget, plugin.programValue(parameter));
    showValueLabel(widget, clock + kLabelLingerMs);
}

void EditorModel::doubleClicked(int widget, bool control)
{
    if (!isContinuous(widget) || !widgets.widgetShown(widget))
        return;
    if (control) {
        setExactly(widget, 0.5f);
        showValueLabel(widget, clock + kLabelLingerMs);
    } else {
        resetToProgram(widget);
    }
}

// ---- The label: the moving value, or the resting pointer's control ----

PanelArea EditorModel::captionArea(int widget) const
{
    const PanelArea area = widgets.areaOf(widget);
    if (isDialWidget(widget))  // the dial's name printed below it
        return {area.x + area.width / 2 - kCaptionWidth / 2, area.y + area.height + 6, kCaptionWidth, kCaptionHeight};
    if (isSliderWidget(widget))  // the row's name left of the slider
        return {area.x - kCaptionWidth - 4, area.y + (area.height - kCaptionHeight) / 2, kCaptionWidth, kCaptionHeight};
    if (isTopButton(widget))
        return {area.x + 2, area.y + area.height + 2, kCaptionWidth, kCaptionHeight};
    // A switch's name left of it, from the panel's edge.
    return {2, area.y + (area.height - kCaptionHeight) / 2, std::max(area.x - 6, 1), kCaptionHeight};
}

void EditorModel::showValueLabel(int widget, long long until)
{
    labelWidget = widget;
    labelUntil = until;
    labelIsHover = false;
    shown.labelBox = captionArea(widget);
    shown.labelShown = true;
    shown.labelText[0] = '\0';
    updateLabelText();
    widgets.overlayChanged();
}

void EditorModel::showHoverLabel()
{
    showValueLabel(hoverWidget, kForever);
    labelIsHover = true;
    updateLabelText();
}

void EditorModel::hideLabel()
{
    if (!shown.labelShown)
        return;
    labelWidget = -1;
    labelIsHover = false;
    shown.labelShown = false;
    widgets.overlayChanged();
}

void EditorModel::updateLabelText()
{
    const int parameter = parameterOf(labelWidget);
    if (parameter < 0 || !shown.labelShown)
        return;
    std::string text = formats::parameterText(parameter, plugin.parameter(parameter));
    if (labelIsHover)
        text = std::string(effect::kParameters[parameter].fullName) + ": " + text;
    if (text == shown.labelText)
        return;
    copyText(shown.labelText, text);
    widgets.overlayChanged();
}

void EditorModel::expireLabels(long long now)
{
    if (shown.labelShown && now >= labelUntil)
        hideLabel();
    if (!shown.labelShown && hoverWidget >= 0 && gestures == 0 && fieldWidget < 0 && !controlMenu.shown &&
        now - hoverSince >= kHoverDelayMs)
        showHoverLabel();
}

void EditorModel::pointerOver(int widget, long long now)
{
    clock = now;
    const int control = parameterOf(widget) >= 0 && widgets.widgetShown(widget) ? widget : -1;
    if (control == hoverWidget)
        return;
    hoverWidget = control;
    hoverSince = now;
    if (labelIsHover)
        hideLabel();
}

// ---- Focus ----

bool EditorModel::focusable(int widget) const
{
    return (isContinuous(widget) || isButtonWidget(widget)) && widgets.widgetShown(widget);
}

void EditorModel::pressedOn(int widget)
{
    closeMenu();
    closeField();
    hoverWidget = -1;
    if (labelIsHover)
        hideLabel();
    focused = focusable(widget) ? widget : -1;
    showFocus(false);
}

void EditorModel::keyboardFocus(bool has)
{
    if (has == hasKeyboard)
        return;
    hasKeyboard = has;
    if (!has)
        closeField();
    showFocus(focusVisible);
}

void EditorModel::showFocus(bool visible)
{
    focusVisible = visible;
    const bool ring = hasKeyboard && focusVisible && focused >= 0 && widgets.widgetShown(focused);
    PanelArea box{};
    if (ring) {
        const PanelArea area = widgets.areaOf(focused);
        box = {area.x - kFocusMargin, area.y - kFocusMargin, area.width + 2 * kFocusMargin,
               area.height + 2 * kFocusMargin};
    }
    if (ring == shown.focusShown && (!ring || (box.x == shown.focusBox.x && box.y == shown.focusBox.y &&
                                               box.width == shown.focusBox.width)))
        return;
    shown.focusShown = ring;
    shown.focusBox = box;
    widgets.overlayChanged();
}

// Walks the shown controls in reading order, top to bottom and left to
// right. Past either end the focus leaves the panel and the key is the
// host's, so that keyboard users are never trapped in it.
void EditorModel::moveFocus(int step)
{
    int order[kWidgetCount];
    int count = 0;
    for (int widget = 0; widget < kWidgetCount; ++widget)
        if (focusable(widget))
            order[count++] = widget;
    std::sort(order, order + count, [this](int a, int b) {
        const PanelArea first = widgets.areaOf(a);
        const PanelArea second = widgets.areaOf(b);
        return first.y != second.y ? first.y < second.y : first.x < second.x;
    });
    const int* at = std::find(order, order + count, focused);
    int next = 0;
    if (at == order + count)
        next = step > 0 ? 0 : count - 1;
    else
        next = static_cast<int>(at - order) + step;
    focused = next >= 0 && next < count ? order[next] : -1;
}

// ---- Keys ----

bool EditorModel::key(const KeyStroke& stroke, long long now)
{
    clock = now;
    if (controlMenu.shown) {
        closeMenu();
        if (stroke.key == PanelKey::escape)
            return true;
    }
    if (fieldWidget >= 0)
        return editField(stroke, now);
    if (stroke.control)
        return false;
    if (stroke.key == PanelKey::tab) {
        moveFocus(stroke.shift ? -1 : 1);
        showFocus(true);
        return focused >= 0;
    }
    if (!editFocused(stroke, now))
        return false;
    showFocus(true);
    return true;
}

bool EditorModel::editFocused(const KeyStroke& stroke, long long now)
{
    if (focused < 0 || !widgets.widgetShown(focused))
        return false;
    const int step = stroke.shift ? 10 : 1;
    if (isButtonWidget(focused)) {
        if (stroke.key == PanelKey::space || stroke.key == PanelKey::enter)
            widgets.pressButton(focused);
        else if (stroke.key == PanelKey::deleteKey && parameterOf(focused) >= 0)
            resetToProgram(focused);
        else
            return false;
        return true;
    }
    switch (stroke.key) {
    case PanelKey::left:
    case PanelKey::down: nudge(focused, -step, now); break;
    case PanelKey::right:
    case PanelKey::up: nudge(focused, step, now); break;
    case PanelKey::pageUp: nudge(focused, 10, now); break;
    case PanelKey::pageDown: nudge(focused, -10, now); break;
    case PanelKey::home: nudge(focused, -100, now); break;
    case PanelKey::end: nudge(focused, 100, now); break;
    case PanelKey::deleteKey: resetToProgram(focused); break;
    case PanelKey::enter: openTextField(focused); break;
    default: return false;
    }
    return true;
}

// ---- The text field ----

void EditorModel::openTextField(int widget)
{
    const int parameter = parameterOf(widget);
    if (parameter < 0 || !widgets.widgetShown(widget))
        return;
    closeMenu();
    endNudge();
    hideLabel();
    fieldWidget = widget;
    focused = widget;
    shown.field.assign(formats::parameterText(parameter, plugin.parameter(parameter)).c_str(), true);
    shown.fieldBox = captionArea(widget);
    shown.fieldShown = true;
    widgets.overlayChanged();
}

// The field takes every key while it is open, so that typing a value never
// starts the host's transport; Enter applies, Escape cancels.
bool EditorModel::editField(const KeyStroke& stroke, long long now)
{
    TextEntry& entry = shown.field;
    switch (stroke.key) {
    case PanelKey::enter: applyField(now); return true;
    case PanelKey::escape: closeField(); return true;
    case PanelKey::left: entry.caretLeft(); break;
    case PanelKey::right: entry.caretRight(); break;
    case PanelKey::home: entry.caretHome(); break;
    case PanelKey::end: entry.caretEnd(); break;
    case PanelKey::backspace: entry.backspace(); break;
    case PanelKey::deleteKey: entry.deleteForward(); break;
    default:
        if (stroke.control)
            return false;
        if (stroke.text != nullptr && stroke.text[0] != '\0')
            entry.insert(stroke.text);
        break;
    }
    widgets.overlayChanged();
    return true;
}

// A text the parameter's display cannot read changes nothing: the field
// stays open with it, and a label under it says so.
void EditorModel::applyField(long long now)
{
    const int widget = fieldWidget;
    const int parameter = parameterOf(widget);
    double value = 0.0;
    if (formats::parameterFromText(parameter, shown.field.text(), value)) {
        closeField();
        setExactly(widget, static_cast<float>(value));
        showValueLabel(widget, now + kLabelLingerMs);
        return;
    }
    labelWidget = -1;
    labelUntil = now + kRejectionShownMs;
    labelIsHover = false;
    shown.labelShown = true;
    shown.labelBox = shown.fieldBox;
    shown.labelBox.y += shown.fieldBox.height + 2;
    copyText(shown.labelText, std::string("Not a value for ") + effect::kParameters[parameter].fullName);
    widgets.overlayChanged();
}

void EditorModel::closeField()
{
    if (fieldWidget < 0)
        return;
    fieldWidget = -1;
    shown.fieldShown = false;
    if (labelWidget < 0)
        hideLabel();
    widgets.overlayChanged();
}

// ---- The control's menu ----

bool EditorModel::openMenu(int widget, int x, int y)
{
    const int parameter = parameterOf(widget);
    if (parameter < 0 || !widgets.widgetShown(widget))
        return false;
    closeField();
    endNudge();
    hideLabel();
    hoverWidget = -1;
    ControlMenu& menu = controlMenu;
    menu.widget = widget;
    menu.x = x;
    menu.y = y;
    menu.count = 0;
    menu.items[menu.count++] = {ControlMenuItem::Action::typeValue, -1, kTypeValueLabel, true, false, false};
    menu.items[menu.count++] = {ControlMenuItem::Action::resetToProgram, -1, kResetLabel, true, false, false};
    if (plugin.hostMenu(parameter, menu.host)) {
        menu.items[menu.count++] = {ControlMenuItem::Action::none, -1, "", false, false, true};
        for (int i = 0; i < menu.host.count && menu.count < ControlMenu::kCapacity; ++i) {
            const effect::HostMenuItem& item = menu.host.items[i];
            menu.items[menu.count++] = {item.separator ? ControlMenuItem::Action::none : ControlMenuItem::Action::host,
                                        i, item.label, item.enabled && !item.separator, item.checked, item.separator};
        }
    }
    menu.shown = true;
    focused = widget;
    return true;
}

void EditorModel::closeMenu() { controlMenu.shown = false; }

void EditorModel::chooseMenuItem(int item)
{
    if (!controlMenu.shown)
        return;
    controlMenu.shown = false;
    if (item < 0 || item >= controlMenu.count || !controlMenu.items[item].enabled)
        return;
    const int widget = controlMenu.widget;
    const ControlMenuItem& chosen = controlMenu.items[item];
    switch (chosen.action) {
    case ControlMenuItem::Action::typeValue: openTextField(widget); break;
    case ControlMenuItem::Action::resetToProgram: resetToProgram(widget); break;
    case ControlMenuItem::Action::host: plugin.chooseHostMenuItem(parameterOf(widget), chosen.hostItem); break;
    case ControlMenuItem::Action::none: break;
    }
}

}  // namespace quenchbox::editor
