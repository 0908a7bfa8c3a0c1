// The panel's habits from other plug-ins through the Windows editor, driven
// by window messages as the system would deliver them: the wheel (high-
// resolution steps adding up to notches), the double click, the keyboard
// with its focus ring, a typed value, keys handed back to the host, and the
// value label's and the focus ring's pictures.

#include "EditorHost.h"
#include "Pixels.h"
#include "TestPaths.h"
#include "WinTest.h"

#include <cmath>
#include <string>

namespace {

using namespace wintest;

enum : int { kEnable = 0, kDrive = 1, kLevel = 2, kVoltage = 7, kMix = 15 };
constexpr POINT kDriveCentre = {74, 218};
constexpr POINT kLevelCorner = {127, 171};
constexpr POINT kDriveCorner = {27, 171};
constexpr POINT kMixCorner = {350, 436};

LPARAM at(int x, int y) { return MAKELPARAM(static_cast<WORD>(static_cast<short>(x)), static_cast<WORD>(static_cast<short>(y))); }

LPARAM onScreen(HWND window, POINT point)
{
    ClientToScreen(window, &point);
    return at(point.x, point.y);
}

std::string displayOf(EditorSession& session, int index)
{
    char text[64] = {};
    session.dispatch(effGetParamDisplay, index, 0, text);
    return text;
}

void holdShift(bool held)
{
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_SHIFT] = held ? 0x80 : 0;
    SetKeyboardState(keys);
}

void pressKey(HWND window, WPARAM key)
{
    SendMessageA(window, WM_KEYDOWN, key, 1);
    SendMessageA(window, WM_KEYUP, key, 1);
}

void typeText(HWND window, const char* text)
{
    for (const char* c = text; *c != '\0'; ++c)
        SendMessageA(window, WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(*c)), 1);
}

// Pumps until the host heard a gesture on `parameter` end, and answers them all.
std::string gestureOnceEnded(int parameter)
{
    std::string seen;
    const std::string end = "E" + std::to_string(parameter) + " ";
    pumpUntil([&] {
        seen += automationLog().takeGestures();
        return seen.find(end) != std::string::npos;
    });
    return seen;
}

WINTEST(WheelNotchesAddUpAndMoveADialOnePercentAsOneGesture)
{
    EditorSession session;
    REQUIRE(session.open());
    session.setParameter(kDrive, 0.4f);
    pumpMessages(100);
    automationLog().takeGestures();
    HWND editor = session.editorWindow();
    // A high-resolution wheel: three thirds of a notch are one notch.
    for (int i = 0; i < 3; ++i)
        SendMessageA(editor, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA / 3), onScreen(editor, kDriveCentre));
    CHECK_EQ(gestureOnceEnded(kDrive), std::string("B1 A1 E1 "));
    CHECK(std::fabs(session.parameter(kDrive) - 0.41f) < 1e-6f);
    // Down with Shift: ten at a time.
    SendMessageA(editor, WM_MOUSEWHEEL, MAKEWPARAM(MK_SHIFT, static_cast<WORD>(-WHEEL_DELTA)), onScreen(editor, kDriveCentre));
    gestureOnceEnded(kDrive);
    CHECK(std::fabs(session.parameter(kDrive) - 0.31f) < 1e-6f);
}

WINTEST(ADoubleClickPutsADialBackToTheProgramsValue)
{
    EditorSession session;
    session.dispatch(effSetProgram, 0, 3);
    const float programLevel = session.parameter(kLevel);
    REQUIRE(session.open());
    session.setParameter(kLevel, 0.95f);
    pumpMessages(100);
    automationLog().takeGestures();
    HWND level = session.widgetAt(kLevelCorner.x, kLevelCorner.y);
    REQUIRE(level != nullptr);
    SendMessageA(level, WM_LBUTTONDBLCLK, MK_LBUTTON, at(47, 47));
    SendMessageA(level, WM_LBUTTONUP, 0, at(47, 47));
    pumpMessages(100);
    CHECK_EQ(session.parameter(kLevel), programLevel);
    CHECK(automationLog().takeGestures().find("B2 A2 E2 ") != std::string::npos);
}

WINTEST(TheKeyboardWalksTypesAndHandsBackWhatThePanelDoesNotUse)
{
    EditorSession session;
    REQUIRE(session.open());
    session.setParameter(kMix, 0.5f);
    session.setParameter(kEnable, 1.0f);
    pumpMessages(100);
    HWND editor = session.editorWindow();
    HWND mix = session.widgetAt(kMixCorner.x, kMixCorner.y);
    REQUIRE(mix != nullptr);
    // A click gives the panel the keyboard and Mix its attention.
    SendMessageA(mix, WM_LBUTTONDOWN, MK_LBUTTON, at(100, 14));
    SendMessageA(mix, WM_LBUTTONUP, 0, at(100, 14));
    pumpMessages(50);
    CHECK(GetFocus() == editor);
    automationLog().takeGestures();
    pressKey(editor, VK_RIGHT);
    CHECK_EQ(gestureOnceEnded(kMix), std::string("B15 A15 E15 "));
    CHECK(std::fabs(session.parameter(kMix) - 0.51f) < 1e-6f);

    // Shift-Tab reaches the Enable switch left of Mix; Space presses it.
    holdShift(true);
    pressKey(editor, VK_TAB);
    holdShift(false);
    pressKey(editor, VK_SPACE);
    pumpMessages(100);
    CHECK_EQ(session.parameter(kEnable), 0.0f);
    const Image ring = captureWindow(editor);
    savePng(ring.crop(100, 420, 220, 56), besideThisProgram("panel-focus-ring-windows-1x.png"));

    // Enter on Voltage opens its field on the value, selected.
    HWND voltage = session.widgetAt(350, 316);
    REQUIRE(voltage != nullptr);
    SendMessageA(voltage, WM_LBUTTONDOWN, MK_LBUTTON, at(20, 14));
    SendMessageA(voltage, WM_LBUTTONUP, 0, at(20, 14));
    pressKey(editor, VK_RETURN);
    pressKey(editor, VK_BACK);
    typeText(editor, "12 V");
    automationLog().takeGestures();
    pressKey(editor, VK_RETURN);
    pumpMessages(100);
    CHECK_EQ(displayOf(session, kVoltage), std::string("12.0"));
    CHECK_EQ(automationLog().takeGestures().substr(0, 3), std::string("B7 "));
    // What the display cannot read changes nothing; Escape closes the field.
    pressKey(editor, VK_RETURN);
    pressKey(editor, VK_BACK);
    typeText(editor, "loud");
    pressKey(editor, VK_RETURN);
    pressKey(editor, VK_ESCAPE);
    pumpMessages(50);
    CHECK_EQ(displayOf(session, kVoltage), std::string("12.0"));

    // A key the panel has no use for goes to the host's window, whose loop
    // makes its character again; through effEditKeyDown the host hears the
    // panel did not use it.
    hostKeys().clear();
    SendMessageA(editor, WM_KEYDOWN, 'P', 1);
    SendMessageA(editor, WM_CHAR, 'p', 1);
    pumpMessages(50);
    CHECK_EQ(hostKeys().size(), static_cast<std::size_t>(2));
    CHECK(!hostKeys().empty() && hostKeys().front() == 'P');
    CHECK_EQ(session.dispatch(effEditKeyDown, 'p', 0), 0);
    // Tab walks on from Voltage and out of the panel: the host's again,
    // then back in at the first control.
    for (int control = 0; control < 6; ++control)  // LEDs, Gain, Bright, Scale, Enable, Mix
        CHECK_EQ(session.dispatch(effEditKeyDown, 0, 2 /* tab */), 1);
    CHECK_EQ(session.dispatch(effEditKeyDown, 0, 2), 0);
    CHECK_EQ(session.dispatch(effEditKeyDown, 0, 2), 1);
}

WINTEST(TheValueLabelShowsBesideATurningDial)
{
    EditorSession session;
    REQUIRE(session.open());
    session.setParameter(kDrive, 0.4f);
    pumpMessages(100);
    HWND drive = session.widgetAt(kDriveCorner.x, kDriveCorner.y);
    REQUIRE(drive != nullptr);
    SendMessageA(drive, WM_LBUTTONDOWN, MK_LBUTTON, at(47, 60));
    SendMessageA(drive, WM_MOUSEMOVE, MK_LBUTTON, at(47, 40));
    pumpMessages(100);
    const Image turning = captureWindow(session.editorWindow());
    SendMessageA(drive, WM_LBUTTONUP, 0, at(47, 40));
    pumpMessages(50);
    savePng(turning.crop(10, 160, 230, 135), besideThisProgram("panel-value-label-windows-1x.png"));
    // The label covers the dial's printed name with the panel's dark fill.
    int dark = 0;
    for (int y = 274; y < 288; ++y)
        for (int x = 30; x < 118; ++x)
            dark += channel(turning.at(x, y), 16) < 0x30 && channel(turning.at(x, y), 8) < 0x30;
    CHECK(dark > 88 * 14 / 2);
}

}  // namespace
