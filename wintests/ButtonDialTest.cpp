// Toggle buttons and LED-ring dials, driven through real window messages and
// judged by the pixels they paint.

#include "WidgetFixture.h"
#include "WinTest.h"

#include "resources/SkinIds.h"

#include <cmath>

namespace {

using namespace wintest;
namespace editor = quenchbox::editor;

constexpr double kPi = 3.14159265358979323846;
constexpr int kDialX = 357;

LPARAM at(int x, int y) { return MAKELPARAM(static_cast<WORD>(static_cast<short>(x)), static_cast<WORD>(static_cast<short>(y))); }

bool pendingRepaint(HWND window)
{
    RECT update = {};
    return GetUpdateRect(window, &update, FALSE) != FALSE;
}

// A dial over a panel, with the two pictures its paint combines: the panel
// alone and the panel with every LED lit.
struct DialBench {
    PanelWindow parent{pluginModule()};
    editor::CLedDial dial;
    Image unlit;
    Image lit;
    Image ring;

    DialBench()
    {
        dial.create(pluginModule(), parent.handle(), parent.panel(), kDialX, SKIN_RED_RING);
        unlit = parent.panelImage().crop(kDialX, editor::CLedDial::kTop, 94, 94);
        ring = loadSkin(pluginModule(), SKIN_RED_RING);
        lit = blendOver(unlit, ring, 0, 0);
    }

    Image show(int value)
    {
        dial.setValue(0, value);
        InvalidateRect(dial.window(), nullptr, FALSE);
        return captureWindow(dial.window());
    }

    // Counts the LEDs shown lit, and answers -1 when the picture is anything
    // but the first n LEDs lit whole over the panel.
    int litLeds(const Image& shown) const
    {
        bool ledLit[29] = {};
        bool ledDark[29] = {};
        for (int y = 0; y < 94; ++y) {
            for (int x = 0; x < 94; ++x) {
                const bool matchesLit = largestDifference(shown, lit, x, y, 1, 1) <= 2;
                const bool matchesUnlit = largestDifference(shown, unlit, x, y, 1, 1) <= 2;
                if (channel(ring.at(x, y), 24) == 0) {
                    if (!matchesUnlit)
                        return -1;  // a pixel that no LED covers changed
                    continue;
                }
                const double intoSweep = std::atan2(y - 47.0, x - 47.0) * 180.0 / kPi + 235.0;
                const int led = static_cast<int>(std::fmod(intoSweep + 360.0, 360.0) / 10.0);
                if (matchesLit && !matchesUnlit)
                    ledLit[led] = true;
                else if (matchesUnlit && !matchesLit)
                    ledDark[led] = true;
                else if (!matchesLit)
                    return -1;
            }
        }
        int count = 0;
        for (int led = 0; led < 29; ++led) {
            if (ledLit[led] && ledDark[led])
                return -1;  // half-lit LED
            if (ledLit[led] && count != led)
                return -1;  // not filled from the start
            count += ledLit[led] ? 1 : 0;
        }
        return count;
    }
};

WINTEST(ButtonWithIdZeroIgnoresTheMouse)
{
    ComApartment com;
    PanelWindow parent(pluginModule());
    editor::CLedButton button;
    button.create(pluginModule(), parent.handle(), parent.panel(), 113, 396, SKIN_ONOFF_SWITCH, 0);
    REQUIRE(button.window() != nullptr);
    SendMessageA(button.window(), WM_LBUTTONDOWN, MK_LBUTTON, at(20, 10));
    SendMessageA(button.window(), WM_LBUTTONUP, 0, at(20, 10));
    CHECK_EQ(button.state(), 0u);
    CHECK(parent.notifications.empty());
    CHECK(GetCapture() == nullptr);
}

WINTEST(APressAndReleaseToggleOnceWithOneNotification)
{
    ComApartment com;
    PanelWindow parent(pluginModule());
    const Image skin = loadSkin(pluginModule(), SKIN_ONOFF_SWITCH);
    const Image background = parent.panelImage().crop(113, 436, 58, 28);
    editor::CLedButton button;
    button.create(pluginModule(), parent.handle(), parent.panel(), 113, 436, SKIN_ONOFF_SWITCH, 16);
    REQUIRE(button.window() != nullptr);

    SendMessageA(button.window(), WM_LBUTTONDOWN, MK_LBUTTON, at(20, 10));
    CHECK(GetCapture() == button.window());
    SendMessageA(button.window(), WM_LBUTTONUP, 0, at(20, 10));
    CHECK(GetCapture() == nullptr);
    CHECK_EQ(button.state(), 1u);
    REQUIRE(parent.notifications.size() == 1);
    CHECK_EQ(parent.notifications[0].id, WPARAM{16});
    CHECK_EQ(parent.notifications[0].state, LPARAM{1});
    CHECK(largestDifference(captureWindow(button.window()), blendOver(background, skin.crop(0, 28, 58, 28), 0, 0)) <= 2);

    // A second click that arrives as a double click does not toggle back.
    SendMessageA(button.window(), WM_LBUTTONDBLCLK, MK_LBUTTON, at(20, 10));
    SendMessageA(button.window(), WM_LBUTTONUP, 0, at(20, 10));
    CHECK_EQ(button.state(), 1u);
    CHECK_EQ(parent.notifications.size(), std::size_t{1});

    // Setting the state shows it and tells nobody.
    button.setState(0);
    CHECK(largestDifference(captureWindow(button.window()), blendOver(background, skin.crop(0, 0, 58, 28), 0, 0)) <= 2);
    CHECK_EQ(parent.notifications.size(), std::size_t{1});
}

WINTEST(AParentMaySpringTheButtonBackWhileItIsNotified)
{
    ComApartment com;
    PanelWindow parent(pluginModule());
    const Image skin = loadSkin(pluginModule(), SKIN_UPDATE_BUTTON);
    editor::CLedButton button;
    button.create(pluginModule(), parent.handle(), parent.panel(), 40, 0, SKIN_UPDATE_BUTTON, 11);
    REQUIRE(button.window() != nullptr);
    parent.onNotification = [&](const PanelWindow::Notification&) { button.setState(0); };

    SendMessageA(button.window(), WM_LBUTTONDOWN, MK_LBUTTON, at(20, 20));
    SendMessageA(button.window(), WM_LBUTTONUP, 0, at(20, 20));
    CHECK_EQ(button.state(), 0u);
    CHECK_EQ(parent.notifications.size(), std::size_t{1});
    const Image background = parent.panelImage().crop(40, 0, 40, 40);
    CHECK(largestDifference(captureWindow(button.window()), blendOver(background, skin.crop(0, 0, 40, 40), 0, 0)) <= 2);
}

WINTEST(DialLightsTruncOfThreeTenthsOfItsValueInSegments)
{
    ComApartment com;
    DialBench bench;
    REQUIRE(bench.dial.window() != nullptr);
    const struct {
        int value;
        int leds;
    } cases[] = {{0, 0}, {3, 0}, {4, 1}, {50, 15}, {66, 19}, {99, 29}, {100, 29}, {10, 3}};
    for (const auto& c : cases) {
        CHECK_EQ(bench.litLeds(bench.show(c.value)), c.leds);
        CHECK_EQ(bench.dial.painted(0), c.value);
    }
}

WINTEST(DialClampsValuesSetFromOutside)
{
    ComApartment com;
    DialBench bench;
    bench.dial.setValue(0, 130);
    CHECK_EQ(bench.dial.value(0), 100);
    bench.dial.setValue(0, -5);
    CHECK_EQ(bench.dial.value(0), 0);
}

WINTEST(DraggingUpTwoPixelsRaisesTheDialByOneAndClamps)
{
    ComApartment com;
    DialBench bench;
    HWND dial = bench.dial.window();
    REQUIRE(dial != nullptr);
    bench.show(40);

    SendMessageA(dial, WM_LBUTTONDOWN, MK_LBUTTON, at(47, 60));
    CHECK(GetCapture() == dial);
    SendMessageA(dial, WM_MOUSEMOVE, MK_LBUTTON, at(47, 58));
    CHECK_EQ(bench.dial.value(0), 41);
    SendMessageA(dial, WM_MOUSEMOVE, MK_LBUTTON, at(47, 70));
    CHECK_EQ(bench.dial.value(0), 35);
    // The mouse only changes the value; the editor's poll repaints.
    CHECK_EQ(bench.dial.painted(0), 40);
    CHECK(!pendingRepaint(dial));

    SendMessageA(dial, WM_MOUSEMOVE, MK_LBUTTON, at(47, -400));
    CHECK_EQ(bench.dial.value(0), 100);
    SendMessageA(dial, WM_MOUSEMOVE, MK_LBUTTON, at(47, 900));
    CHECK_EQ(bench.dial.value(0), 0);
    SendMessageA(dial, WM_LBUTTONUP, 0, at(47, 900));
    CHECK(GetCapture() == nullptr);
    SendMessageA(dial, WM_MOUSEMOVE, 0, at(47, 10));
    CHECK_EQ(bench.dial.value(0), 0);  // no drag after the release
}

WINTEST(ControlClickSetsTheMiddleWithoutADrag)
{
    ComApartment com;
    DialBench bench;
    HWND dial = bench.dial.window();
    bench.show(12);
    SendMessageA(dial, WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, at(47, 60));
    CHECK_EQ(bench.dial.value(0), 50);
    CHECK(GetCapture() == nullptr);
    SendMessageA(dial, WM_MOUSEMOVE, MK_LBUTTON, at(47, 20));
    CHECK_EQ(bench.dial.value(0), 50);
    SendMessageA(dial, WM_LBUTTONUP, 0, at(47, 20));
    CHECK_EQ(bench.litLeds(bench.show(bench.dial.value(0))), 15);
}

WINTEST(ShiftDragsMoveTheDialInMultiplesOfTen)
{
    ComApartment com;
    DialBench bench;
    HWND dial = bench.dial.window();
    bench.show(50);
    SendMessageA(dial, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, at(47, 80));
    bool onlyTens = true;
    for (int y = 80; y >= 40; --y) {
        SendMessageA(dial, WM_MOUSEMOVE, MK_LBUTTON | MK_SHIFT, at(47, y));
        onlyTens = onlyTens && bench.dial.value(0) % 10 == 0;
    }
    CHECK(onlyTens);
    CHECK_EQ(bench.dial.value(0), 70);
    SendMessageA(dial, WM_MOUSEMOVE, MK_LBUTTON, at(47, 39));  // Shift let go
    CHECK_EQ(bench.dial.value(0), 71);
    SendMessageA(dial, WM_LBUTTONUP, 0, at(47, 39));
}

// The right button opens the control's menu, which is the editor's: the
// dial passes it on and neither ring moves.
WINTEST(TheRightButtonLeavesBothRingsToTheEditorsMenu)
{
    ComApartment com;
    DialBench bench;
    HWND dial = bench.dial.window();
    const Image before = bench.show(20);
    SendMessageA(dial, WM_RBUTTONDOWN, MK_RBUTTON | MK_CONTROL, at(47, 50));
    CHECK(GetCapture() == nullptr);
    SendMessageA(dial, WM_MOUSEMOVE, MK_RBUTTON, at(47, 40));
    SendMessageA(dial, WM_RBUTTONUP, 0, at(47, 40));
    CHECK_EQ(bench.dial.value(0), 20);
    CHECK_EQ(bench.dial.value(1), 0);
    InvalidateRect(dial, nullptr, FALSE);
    CHECK(largestDifference(captureWindow(dial), before) == 0);
}

}  // namespace
