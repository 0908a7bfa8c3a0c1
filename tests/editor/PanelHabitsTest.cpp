// The panel's habits from other plug-ins, through the Linux editor of the
// built libraries in hosts of our own under a virtual X server: the wheel,
// the double click, the control's menu with a typed value, the keyboard and
// its focus, keys handed back to the host, and the pictures of the value
// label, the menu and the focus ring at 1x and 2x.

// GoogleTest before Xlib, whose macros (None, Bool) clash with its names.
#include <gtest/gtest.h>

#include "ClapEditorHost.h"
#include "EditorHost.h"
#include "HostDrag.h"
#include "Vst3EditorHost.h"

#include <X11/keysym.h>

#include <cstring>
#include <memory>

namespace editortest {
namespace {

using quenchbox::host::HostEdit;

enum Parameter { kEnable, kDrive, kLevel, kVoltage = 7, kMix = 15 };
constexpr int kLevelX = 174;
constexpr int kVoltageX = 447;  // the Voltage slider's middle
constexpr int kVoltageY = 330;
constexpr int kMixY = 450;
constexpr int kPowerX = 142;    // the Enable switch
constexpr int kPowerY = 450;

const PluginLibrary& plugin()
{
    static PluginLibrary library(QUENCHBOX_PLUGIN_PATH);
    return library;
}

std::string besideTheTests(const std::string& name) { return std::string(QUENCHBOX_TEST_OUTPUT_DIR) + "/" + name; }

std::string displayOf(AEffect* effect, int index)
{
    char text[64] = {};
    effect->dispatcher(effect, effGetParamDisplay, index, 0, text, 0.0f);
    return text;
}

bool gestureEnded(const std::vector<HostCall>& calls, int parameter)
{
    const std::string sequence = gestureOf(calls, parameter);
    return !sequence.empty() && sequence.back() == 'E';
}

class PanelHabitsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(plugin().loaded());
        host = std::make_unique<EditorHost>(plugin());
        ASSERT_TRUE(host->ready());
    }

    // Idles until the host has seen a whole gesture on `parameter`: the
    // wheel's and the keys' gestures end a moment after their last step.
    std::string gestureOnceEnded(int parameter)
    {
        std::vector<HostCall> seen;
        EXPECT_TRUE(host->idleUntil([&] {
            for (const HostCall& call : host->takeCalls())
                seen.push_back(call);
            return gestureEnded(seen, parameter);
        }));
        return gestureOf(seen, parameter);
    }

    std::unique_ptr<EditorHost> host;
};

TEST_F(PanelHabitsTest, AWheelNotchMovesADialOnePercentAsOneGesture)
{
    ASSERT_TRUE(host->openEditor());
    host->effect->setParameter(host->effect, kDrive, 0.4f);
    host->idleFor(100);
    host->takeCalls();
    host->wheel(kDriveX, kDriveY, true);
    EXPECT_EQ(gestureOnceEnded(kDrive), "BAE");
    EXPECT_NEAR(host->parameter(kDrive), 0.41f, 1e-6);
    host->wheel(kDriveX, kDriveY, false, ShiftMask);  // Shift: ten at a time
    host->wheel(kDriveX, kDriveY, false, ShiftMask);
    EXPECT_TRUE(isOneGesture(gestureOnceEnded(kDrive)));
    EXPECT_NEAR(host->parameter(kDrive), 0.21f, 1e-6);
    host->wheel(kPowerX, kPowerY, true);  // a switch ignores the wheel
    host->idleFor(100);
    EXPECT_EQ(gestureOf(host->takeCalls(), kEnable), "");
    // Over no control the wheel is the host's, to scroll its own view.
    XSelectInput(host->display, host->parent(), ButtonPressMask);
    host->wheel(340, 100, true);
    EXPECT_TRUE(host->idleUntil([&] {
        XEvent event;
        return XCheckTypedWindowEvent(host->display, host->parent(), ButtonPress, &event) == True;
    }));
}

TEST_F(PanelHabitsTest, ADoubleClickRestoresTheProgramsValue)
{
    host->dispatch(effSetProgram, 0, 3);
    const float programLevel = host->parameter(kLevel);
    ASSERT_TRUE(host->openEditor());
    host->effect->setParameter(host->effect, kLevel, 0.95f);
    host->idleFor(100);
    host->takeCalls();
    host->doubleClick(kLevelX, kDriveY);
    host->idleFor(100);
    EXPECT_FLOAT_EQ(host->parameter(kLevel), programLevel);
    EXPECT_NE(gestureOf(host->takeCalls(), kLevel).find("BAE"), std::string::npos);
}

TEST_F(PanelHabitsTest, AValueTypedIntoTheMenusFieldIsReadAsTheHostReadsIt)
{
    ASSERT_TRUE(host->openEditor());
    host->idleFor(100);
    host->rightClick(kVoltageX, kVoltageY);
    host->idleFor(50);
    host->click(kVoltageX + 40, kVoltageY + 12);  // "Type a value...", the first item
    host->key(XK_BackSpace);                     // the field opens on the value, selected
    for (KeySym symbol : {XK_1, XK_2, XK_space})
        host->key(symbol);
    host->key(XK_v, ShiftMask);
    host->takeCalls();
    host->key(XK_Return);
    host->idleFor(100);
    EXPECT_EQ(displayOf(host->effect, kVoltage), "12.0");
    EXPECT_TRUE(isOneGesture(gestureOf(host->takeCalls(), kVoltage)));

    // Text the display cannot read changes nothing, and the field stays.
    host->rightClick(kVoltageX, kVoltageY);
    host->click(kVoltageX + 40, kVoltageY + 12);
    host->key(XK_BackSpace);
    host->key(XK_x);
    host->key(XK_Return);
    host->idleFor(50);
    EXPECT_EQ(displayOf(host->effect, kVoltage), "12.0");
    host->key(XK_Escape);
}

TEST_F(PanelHabitsTest, TheKeyboardWalksAndMovesTheControlsAndHandsBackTheRest)
{
    ASSERT_TRUE(host->openEditor());
    host->effect->setParameter(host->effect, kMix, 0.5f);
    host->effect->setParameter(host->effect, kEnable, 1.0f);
    host->idleFor(100);
    XSelectInput(host->display, host->parent(), KeyPressMask);
    host->click(kVoltageX, kMixY);  // the panel takes the keyboard; Mix has its attention
    EXPECT_TRUE(host->idleUntil([&] {
        Window focus = 0;
        int revert = 0;
        XGetInputFocus(host->display, &focus, &revert);
        return focus == host->editorWindow();
    }));
    host->takeCalls();
    host->key(XK_Right);
    EXPECT_EQ(gestureOnceEnded(kMix), "BAE");
    EXPECT_NEAR(host->parameter(kMix), 0.51f, 1e-6);
    host->key(XK_Page_Down);
    EXPECT_EQ(gestureOnceEnded(kMix), "BAE");
    EXPECT_NEAR(host->parameter(kMix), 0.41f, 1e-6);
    host->key(XK_ISO_Left_Tab, ShiftMask);  // back to the Enable switch left of it
    host->key(XK_space);
    host->idleFor(100);
    EXPECT_EQ(host->parameter(kEnable), 0.0f);

    // A key the panel does not use reaches the host's window; through
    // effEditKeyDown the host hears that the panel did not use it.
    host->key(XK_p);
    EXPECT_TRUE(host->idleUntil([&] {
        XEvent event;
        return XCheckTypedWindowEvent(host->display, host->parent(), KeyPress, &event) == True;
    }));
    EXPECT_EQ(host->dispatch(effEditKeyDown, 'p', 0, nullptr, 0.0f), 0);
    EXPECT_EQ(host->dispatch(effEditKeyDown, 0, 13 /* right */, nullptr, 0.0f), 0) << "a switch has no use for it";
    EXPECT_EQ(host->dispatch(effEditKeyDown, 0, 2 /* tab */, nullptr, 0.0f), 1);
}

bool lightGrey(std::uint32_t pixel) { return ((pixel >> 16) & 0xFF) > 0xB0 && ((pixel >> 8) & 0xFF) > 0xB0; }

// The value label while a dial turns, the control's menu and the focus ring,
// at 1x and 2x: for the eye and the docs.
TEST_F(PanelHabitsTest, PicturesOfTheLabelTheMenuAndTheFocusRingAtBothSizes)
{
    for (const int dpi : {96, 192}) {
        setScreenDpi(host->display, dpi);
        host = std::make_unique<EditorHost>(plugin());
        ASSERT_TRUE(host->openEditor());
        const int scale = dpi / 96;
        const std::string size = std::to_string(scale) + "x.png";
        const auto part = [&](const Picture& picture, int x, int y, int width, int height) {
            return cropped(picture, x * scale, y * scale, width * scale, height * scale);
        };
        host->effect->setParameter(host->effect, kDrive, 0.4f);
        host->idleFor(100);
        const Window editor = host->editorWindow();
        sendButton(host->display, editor, ButtonPress, kDriveX * scale, kDriveY * scale, Button1, 0, 5000);
        sendMotion(host->display, editor, kDriveX * scale, (kDriveY - 20) * scale, Button1Mask, 5010);
        host->idleFor(100);
        const Picture turning = host->screenshot();
        sendButton(host->display, editor, ButtonRelease, kDriveX * scale, (kDriveY - 20) * scale, Button1, 0, 5020);
        host->idleFor(50);
        EXPECT_NEAR(host->parameter(kDrive), 0.5f, 1e-6);
        savePng(part(turning, 10, 160, 230, 135), besideTheTests("panel-value-label-" + size));
        // The label covers the dial's printed name with the panel's dark fill.
        const Picture name = part(turning, 30, 274, 88, 14);
        int dark = 0;
        for (std::uint32_t pixel : name.pixels)
            dark += ((pixel >> 16) & 0xFF) < 0x30 && ((pixel >> 8) & 0xFF) < 0x30;
        EXPECT_GT(dark, static_cast<int>(name.pixels.size()) / 2) << size;

        host->rightClick(kVoltageX * scale, kVoltageY * scale);
        host->idleFor(50);
        savePng(part(host->screenshot(), kVoltageX - 20, kVoltageY - 20, 240, 80), besideTheTests("panel-menu-" + size));
        host->key(XK_Escape);
        // A click gives Drive the keyboard's attention; the ring shows once a key is used.
        host->click(kDriveX * scale, kDriveY * scale);
        host->key(XK_Tab);
        host->key(XK_ISO_Left_Tab, ShiftMask);
        host->idleFor(50);
        const Picture ring = host->screenshot();
        savePng(part(ring, 10, 160, 230, 135), besideTheTests("panel-focus-ring-" + size));
        const auto ringAt = [&](int x) {
            bool found = false;
            for (int column = (x - 1) * scale; column < (x + 2) * scale; ++column)
                found = found || lightGrey(ring.at(column, kDriveY * scale));
            return found;
        };
        EXPECT_TRUE(ringAt(25)) << "the ring left of Drive, " << size;
        EXPECT_FALSE(ringAt(125)) << "none around Level, " << size;
        host->closeEditor();
    }
    setScreenDpi(host->display, 96);
}

TEST(PanelHabitsFormats, WheelAndKeysReachClapAndVst3HostsAsOneGesture)
{
    ClapEditorHost clap(QUENCHBOX_CLAP_PATH, ClapEditorHost::Support::timerAndDescriptor);
    ASSERT_TRUE(clap.ready());
    ASSERT_TRUE(clap.embed());
    clap.runFor(100);
    clap.flush();
    const double before = clap.value(kDrive);
    const Window editor = childOf(clap.display, clap.parent);
    sendButton(clap.display, editor, ButtonPress, kDriveX, kDriveY, Button4, 0, 3000);
    // The gesture ends a moment after the last notch: run until it has.
    std::vector<ClapEvent> events;
    for (int i = 0; i < 400 && (events.empty() || events.back().type != CLAP_EVENT_PARAM_GESTURE_END); ++i) {
        clap.runFor(25);
        for (const ClapEvent& event : clap.flush())
            events.push_back(event);
    }
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].type, CLAP_EVENT_PARAM_GESTURE_BEGIN);
    EXPECT_EQ(events[1].type, CLAP_EVENT_PARAM_VALUE);
    EXPECT_EQ(events[2].type, CLAP_EVENT_PARAM_GESTURE_END);
    EXPECT_NEAR(clap.value(kDrive), before + 0.01, 1e-6);
    clap.unembed();

    Vst3EditorHost vst3(QUENCHBOX_VST3_PATH, Vst3EditorHost::Support::runLoop);
    ASSERT_EQ(vst3.attach(), kResultOk);
    vst3.runFor(100);
    vst3.instance().host().clearEdits();
    const double drive = vst3.instance().controller().getParamNormalized(kDrive);
    // Keys the host hands over: Tab past the four top buttons to Drive, then Right.
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(vst3.view->onKeyDown(0, 2, 0), kResultTrue);
    EXPECT_EQ(vst3.view->onKeyDown(0, 13, 0), kResultTrue);
    EXPECT_EQ(vst3.view->onKeyDown('p', 0, 0), kResultFalse);
    const std::vector<HostEdit>& edits = vst3.instance().host().edits();
    for (int i = 0; i < 400 && (edits.empty() || edits.back().kind != HostEdit::Kind::end); ++i)
        vst3.runFor(25);
    ASSERT_EQ(edits.size(), 3u);
    EXPECT_EQ(edits[0].kind, HostEdit::Kind::begin);
    EXPECT_EQ(edits[1].kind, HostEdit::Kind::perform);
    EXPECT_EQ(edits[2].kind, HostEdit::Kind::end);
    EXPECT_EQ(edits[1].id, static_cast<unsigned>(kDrive));
    EXPECT_NEAR(edits[1].value, drive + 0.01, 1e-6);
    vst3.detach();
}

// A right click on Drive shows the host's own item below the panel's; the
// host hears its choice. Drive's menu opens at the pointer: the host's item
// is the fourth, after the two of the panel and a separator.
constexpr int kHostItemY = kDriveY + 4 + 20 + 20 + 7 + 10;

TEST(PanelHabitsFormats, TheHostsMenuItemsAppearAndReachTheHost)
{
    ClapEditorHost clap(QUENCHBOX_CLAP_PATH, ClapEditorHost::Support::timerAndDescriptor);
    ASSERT_TRUE(clap.ready());
    ASSERT_TRUE(clap.embed());
    clap.runFor(100);
    Window editor = childOf(clap.display, clap.parent);
    sendButton(clap.display, editor, ButtonPress, kDriveX, kDriveY, Button3, 0, 3000);
    clap.runFor(100);
    savePng(cropped(windowPicture(clap.display, clap.parent), kDriveX - 10, kDriveY - 10, 230, 100),
            besideTheTests("panel-menu-clap-1x.png"));
    sendButton(clap.display, editor, ButtonPress, kDriveX + 40, kHostItemY, Button1, 0, 3600);
    clap.runFor(100);
    ASSERT_EQ(clap.performedMenuActions.size(), 1u);
    EXPECT_EQ(clap.performedMenuActions[0].first, static_cast<clap_id>(kDrive));
    EXPECT_EQ(clap.performedMenuActions[0].second, ClapEditorHost::kAutomateAction);
    clap.unembed();

    Vst3EditorHost vst3(QUENCHBOX_VST3_PATH, Vst3EditorHost::Support::runLoop);
    ASSERT_EQ(vst3.attach(), kResultOk);
    vst3.runFor(100);
    editor = childOf(vst3.display, vst3.parent);
    sendButton(vst3.display, editor, ButtonPress, kDriveX, kDriveY, Button3, 0, 3000);
    vst3.runFor(100);
    sendButton(vst3.display, editor, ButtonPress, kDriveX + 40, kHostItemY, Button1, 0, 3600);
    vst3.runFor(100);
    const auto& runs = vst3.instance().host().menuRuns();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].id, static_cast<ParamID>(kDrive));
    EXPECT_EQ(runs[0].tag, quenchbox::host::HostContextMenu::kAutomationLaneTag);
    EXPECT_EQ(vst3.instance().host().lastMenuView(), vst3.view);
    vst3.detach();
}

}  // namespace
}  // namespace editortest
