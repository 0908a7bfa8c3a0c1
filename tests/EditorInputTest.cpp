// The panel's input beyond a drag, in the shared editor logic: the wheel,
// the double click, the keyboard and its focus, the control's menu with the
// host's items, the text field, and what reaches the host as gestures.

#include "EffectHarness.h"
#include "RecordingWidgets.h"
#include "editor/EffectConnection.h"
#include "editor/EditorModel.h"
#include "editor/TextEntry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

namespace quenchbox::editor {
namespace {

std::string calls;

VstIntPtr VSTCALLBACK recordingHost(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*, float opt)
{
    if (opcode == audioMasterVersion)
        return kVstVersion;
    if (opcode == audioMasterBeginEdit)
        calls += "B" + std::to_string(index) + " ";
    else if (opcode == audioMasterEndEdit)
        calls += "E" + std::to_string(index) + " ";
    else if (opcode == audioMasterAutomate)
        calls += "A" + std::to_string(index) + "=" + std::to_string(std::lround(opt * 1000)) + " ";
    return 0;
}

// A host with two items in each parameter's menu, recording the choice.
class TwoItemHost : public effect::HostMenus {
public:
    bool hostMenu(int index, effect::HostMenu& menu) override
    {
        menu.count = 2;
        std::snprintf(menu.items[0].label, sizeof(menu.items[0].label), "Automate %d", index);
        menu.items[0].enabled = true;
        std::snprintf(menu.items[1].label, sizeof(menu.items[1].label), "Learn");
        menu.items[1].enabled = true;
        menu.items[1].checked = true;
        return true;
    }
    void chooseHostMenuItem(int index, int item) override { chosen = std::to_string(index) + ":" + std::to_string(item); }
    std::string chosen;
};

KeyStroke press(PanelKey key, bool shift = false) { return {key, shift, false, ""}; }
KeyStroke type(const char* text) { return {PanelKey::other, false, false, text}; }

class EditorInputTest : public ::testing::Test {
protected:
    EditorInputTest() : h(recordingHost), connection((h.removeEditor(), h.effect)), model(connection, widgets)
    {
        model.refresh(0);
        calls.clear();
    }

    // A tick far enough on that every merged gesture has ended.
    void settle() { model.refresh(now += 10 * EditorModel::kNudgeMergeMs); }
    std::string display(int index) { return formatsText(index); }
    std::string formatsText(int index)
    {
        char text[16] = "";
        h.effect->getParameterDisplay(index, text);
        return text;
    }
    void typeInto(int widget, const char* text)
    {
        model.openTextField(widget);
        model.key(press(PanelKey::backspace), now);  // the selected value goes
        model.key(type(text), now);
        model.key(press(PanelKey::enter), now);
    }

    testing::EffectHarness h;
    EffectConnection connection;
    RecordingWidgets widgets;
    EditorModel model;
    long long now = 1000;
};

TEST_F(EditorInputTest, WheelNotchesAndArrowStepsMoveOnePercentAndMergeIntoOneGesture)
{
    const int drive = widgets.dials[0].value(0);  // 33
    EXPECT_TRUE(model.wheel(kFirstDial, 1, false, now));
    EXPECT_TRUE(model.wheel(kFirstDial, 1, false, now + 100));
    model.refresh(now + 150);  // within the merge time: still one gesture
    EXPECT_TRUE(model.wheel(kFirstDial, -1, true, now + 300));
    model.refresh(now + 300 + EditorModel::kNudgeMergeMs);
    EXPECT_EQ(calls, "B1 A1=350 A1=250 E1 ");
    EXPECT_EQ(widgets.dials[0].value(0), drive - 8);
    // A switch does not turn on the wheel, as in most plug-ins: scrolling
    // over a panel must never switch the circuit.
    EXPECT_FALSE(model.wheel(kPowerButton, 1, false, now));

    // The keys move the focused control the same way.
    calls.clear();
    model.keyboardFocus(true);
    model.pressedOn(kFirstSlider + 3);  // Mix, 100 %
    EXPECT_TRUE(model.key(press(PanelKey::left), now));
    EXPECT_TRUE(model.key(press(PanelKey::pageDown), now));
    EXPECT_TRUE(model.key(press(PanelKey::down, true), now));
    settle();
    EXPECT_EQ(widgets.sliders[3].value(0), 79);
    EXPECT_TRUE(model.key(press(PanelKey::home), now));
    settle();
    EXPECT_EQ(widgets.sliders[3].value(0), 0);
    EXPECT_TRUE(model.key(press(PanelKey::end), now));
    settle();
    EXPECT_EQ(calls, "B15 A15=790 E15 B15 A15=0 E15 B15 A15=1000 E15 ");
}

TEST_F(EditorInputTest, ADoubleClickPutsAControlBackToTheSelectedProgramsValue)
{
    h.dispatch(effSetProgram, 0, 2);
    model.refresh(now);
    const float programDrive = h.get(effect::kDrive);
    h.set(effect::kDrive, 0.9f);
    model.refresh(now);
    calls.clear();
    model.doubleClicked(kFirstDial, false);
    EXPECT_FLOAT_EQ(h.get(effect::kDrive), programDrive);
    EXPECT_EQ(calls, "B1 A1=" + std::to_string(std::lround(programDrive * 1000)) + " E1 ");
    model.refresh(now);
    EXPECT_EQ(calls.find("A1", 4), std::string::npos) << "the rounded percent is not written back";
    // With Ctrl a slider's double click means the middle, as a Ctrl-click does.
    model.doubleClicked(kFirstSlider + 3, true);
    EXPECT_FLOAT_EQ(h.get(effect::kMix), 0.5f);
    // Delete on the focused control resets it too, a switch included.
    h.set(effect::kBright, 1.0f);
    model.keyboardFocus(true);
    model.pressedOn(kBrightButton);
    EXPECT_TRUE(model.key(press(PanelKey::deleteKey), now));
    EXPECT_FLOAT_EQ(h.get(effect::kBright), connection.programValue(effect::kBright));
}

TEST_F(EditorInputTest, TabWalksTheShownControlsInReadingOrderAndLetsTheKeyboardGo)
{
    model.keyboardFocus(true);
    std::string order;
    while (model.key(press(PanelKey::tab), now))
        order += std::to_string(model.overlay().focusBox.x + 2) + "," + std::to_string(model.overlay().focusBox.y + 2) + " ";
    // The four top buttons, the dials but the hidden Deep dial, then each
    // row's switch and slider; past the last the Tab is the host's.
    widgets.shown[kDeepDial] = false;
    std::string withoutDeep;
    while (model.key(press(PanelKey::tab), now))
        withoutDeep += std::to_string(model.overlay().focusBox.x + 2) + " ";
    EXPECT_EQ(withoutDeep, "0 40 80 120 27 127 357 457 557 113 350 113 350 113 350 113 350 ");
    EXPECT_FALSE(model.overlay().focusShown);
    EXPECT_TRUE(model.key(press(PanelKey::tab, true), now));  // Shift-Tab from outside: the last
    EXPECT_EQ(model.overlay().focusBox.x, kSliderLeft - 2);
    EXPECT_EQ(model.overlay().focusBox.y, kRowY[3] - 2);
    EXPECT_NE(order.find("257,171"), std::string::npos);

    // Space or Enter presses a focused switch; keys the panel has no use for
    // (and shortcuts) are the host's.
    model.pressedOn(kLedsButton);
    EXPECT_FALSE(model.overlay().focusShown) << "a click does not show the ring";
    EXPECT_TRUE(model.key(press(PanelKey::space), now));
    EXPECT_TRUE(model.key(press(PanelKey::enter), now));
    EXPECT_EQ(widgets.pressed, "14 14 ");
    EXPECT_TRUE(model.overlay().focusShown);
    EXPECT_FALSE(model.key(press(PanelKey::left), now));
    EXPECT_FALSE(model.key(type("p"), now));
    EXPECT_FALSE(model.key({PanelKey::right, false, true, ""}, now));
    model.pressedOn(kFirstDial);
    EXPECT_FALSE(model.key(press(PanelKey::space), now)) << "space plays in the host";
    // Without the keyboard focus the ring is never drawn.
    model.key(press(PanelKey::tab), now);
    EXPECT_TRUE(model.overlay().focusShown);
    model.keyboardFocus(false);
    EXPECT_FALSE(model.overlay().focusShown);
}

TEST_F(EditorInputTest, ATypedValueIsReadAsTheHostReadsItAndBadTextChangesNothing)
{
    typeInto(kFirstSlider, "12 V");  // Voltage
    EXPECT_EQ(display(effect::kVoltage), "12.0");
    EXPECT_FALSE(model.overlay().fieldShown);
    EXPECT_EQ(calls.substr(0, 3), "B7 ");
    EXPECT_EQ(calls.substr(calls.size() - 3), "E7 ");
    typeInto(kFirstSlider, "15");
    EXPECT_EQ(display(effect::kVoltage), "15.0");
    typeInto(kFirstSlider + 3, "40 %");
    EXPECT_FLOAT_EQ(h.get(effect::kMix), 0.4f);

    calls.clear();
    const float before = h.get(effect::kDrive);
    const std::string huge(200, '9');
    for (const char* bad : {"", "abc", "NaN", "nan", "inf", "1e999", "-1e999", huge.c_str(), "\xE2\x82\xAC", "0.5\x01"}) {
        typeInto(kFirstDial, bad);
        EXPECT_TRUE(model.overlay().fieldShown) << bad;
        EXPECT_TRUE(model.overlay().labelShown) << "the panel says it could not read " << bad;
        EXPECT_STREQ(model.overlay().labelText, "Not a value for Drive");
        model.key(press(PanelKey::escape), now);
        EXPECT_FALSE(model.overlay().fieldShown);
    }
    EXPECT_EQ(calls, "");
    EXPECT_EQ(h.get(effect::kDrive), before);
    // Out of range is held at the ends, as the host's text entry holds it.
    typeInto(kFirstDial, "7");
    EXPECT_EQ(h.get(effect::kDrive), 1.0f);

    // The field opens on the value's text, selected: typing replaces it,
    // the arrows edit it; it takes every key while open.
    model.openTextField(kFirstDial);
    EXPECT_STREQ(model.overlay().field.text(), "1.00");
    EXPECT_TRUE(model.overlay().field.selected());
    EXPECT_TRUE(model.key(press(PanelKey::end), now));
    EXPECT_TRUE(model.key(press(PanelKey::backspace), now));
    EXPECT_TRUE(model.key(press(PanelKey::left), now));
    EXPECT_TRUE(model.key({PanelKey::space, false, false, " "}, now));
    EXPECT_STREQ(model.overlay().field.text(), "1. 0");
    EXPECT_TRUE(model.key(press(PanelKey::deleteKey), now));
    EXPECT_STREQ(model.overlay().field.text(), "1. ");
    EXPECT_TRUE(model.key(press(PanelKey::escape), now));
    EXPECT_EQ(h.get(effect::kDrive), 1.0f);
}

TEST(TextEntryTest, HoldsPrintableUtf8WithTheCaretOnCharacterBoundaries)
{
    TextEntry entry;
    EXPECT_TRUE(entry.insert("a\xC3\xA9"));  // aé
    EXPECT_TRUE(entry.insert("\xE2\x82\xAC"));  // €
    EXPECT_EQ(entry.characters(), 3);
    entry.caretLeft();
    EXPECT_EQ(entry.caretByte(), 3u);
    entry.backspace();
    EXPECT_STREQ(entry.text(), "a\xE2\x82\xAC");
    entry.caretHome();
    entry.deleteForward();
    EXPECT_STREQ(entry.text(), "\xE2\x82\xAC");
    for (const char* refused : {"\n", "\x7F", "\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\x80"})
        EXPECT_FALSE(entry.insert(refused)) << "refused";
    EXPECT_STREQ(entry.text(), "\xE2\x82\xAC");
    std::string full(TextEntry::kMaxCharacters - 1, 'x');
    EXPECT_TRUE(entry.insert(full.c_str()));
    EXPECT_FALSE(entry.insert("y"));
    EXPECT_FALSE(isPrintableUtf8("\xFF"));
    EXPECT_TRUE(isPrintableUtf8("MIDI Learn \xE2\x9C\x93"));
}

TEST_F(EditorInputTest, TheMenuOffersTypingResettingAndTheHostsOwnItems)
{
    ASSERT_TRUE(model.openMenu(kFirstDial, 50, 200));
    ASSERT_EQ(model.menu().count, 2);  // no host items in VST2
    EXPECT_STREQ(model.menu().items[0].label, "Type a value...");
    EXPECT_STREQ(model.menu().items[1].label, "Reset to program value");
    model.chooseMenuItem(0);
    EXPECT_TRUE(model.overlay().fieldShown);
    EXPECT_FALSE(model.openMenu(kScope, 0, 0));
    EXPECT_FALSE(model.openMenu(kAboutButton, 0, 0));

    TwoItemHost host;
    h.effect->setHostMenus(&host);
    ASSERT_TRUE(model.openMenu(kFirstSlider, 360, 320));
    EXPECT_FALSE(model.overlay().fieldShown) << "the menu closes the field";
    const ControlMenu& menu = model.menu();
    ASSERT_EQ(menu.count, 5);
    EXPECT_TRUE(menu.items[2].separator);
    EXPECT_FALSE(menu.items[2].enabled);
    EXPECT_STREQ(menu.items[3].label, "Automate 7");
    EXPECT_TRUE(menu.items[4].checked);
    model.chooseMenuItem(4);
    EXPECT_EQ(host.chosen, "7:1");
    EXPECT_FALSE(model.menu().shown);

    h.set(effect::kVoltage, 0.9f);
    model.refresh(now);
    calls.clear();
    model.openMenu(kFirstSlider, 360, 320);
    model.chooseMenuItem(1);
    EXPECT_EQ(calls, "B7 A7=500 E7 ");
    h.effect->setHostMenus(nullptr);
}

TEST_F(EditorInputTest, TheLabelShowsTheMovingValueAndTheRestingPointersControl)
{
    model.beginGesture(kFirstDial);
    widgets.dials[0].setValue(0, 70);
    model.refresh(now);
    EXPECT_TRUE(model.overlay().labelShown);
    EXPECT_STREQ(model.overlay().labelText, "0.70");
    model.endGesture(kFirstDial);
    model.refresh(now + EditorModel::kLabelLingerMs - 1);
    EXPECT_TRUE(model.overlay().labelShown);
    model.refresh(now + 10000);
    EXPECT_FALSE(model.overlay().labelShown);

    now += 20000;
    model.pointerOver(kFirstSlider, now);
    model.refresh(now + EditorModel::kHoverDelayMs - 1);
    EXPECT_FALSE(model.overlay().labelShown);
    model.refresh(now + EditorModel::kHoverDelayMs);
    EXPECT_STREQ(model.overlay().labelText, "Voltage: 9.0 V");
    model.pointerOver(-1, now + 2000);
    EXPECT_FALSE(model.overlay().labelShown);
}

}  // namespace
}  // namespace quenchbox::editor
