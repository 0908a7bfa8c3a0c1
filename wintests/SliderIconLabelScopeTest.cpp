// Sliders, stage icons, value labels and the response display, driven
// through real window messages and judged by the pixels they paint.

#include "WidgetFixture.h"
#include "WinTest.h"

#include "resources/SkinIds.h"

namespace {

using namespace wintest;
namespace editor = quenchbox::editor;

constexpr int kRowY = 396;

LPARAM at(int x, int y) { return MAKELPARAM(static_cast<WORD>(static_cast<short>(x)), static_cast<WORD>(static_cast<short>(y))); }

struct SliderBench {
    PanelWindow parent{pluginModule()};
    editor::CZUKSlider slider;
    Image groove;
    Image thumb;

    SliderBench()
    {
        slider.create(pluginModule(), parent.handle(), parent.panel(), kRowY);
        groove = parent.panelImage().crop(editor::CZUKSlider::kLeft, kRowY, 194, 28);
        thumb = loadSkin(pluginModule(), SKIN_SLIDER_THUMB);
    }

    // Whether the slider shows its thumb with the left edge at x.
    bool showsThumbAt(int x)
    {
        InvalidateRect(slider.window(), nullptr, FALSE);
        return largestDifference(captureWindow(slider.window()), blendOver(groove, thumb, x, 0)) <= 2;
    }

    void drag(int fromX, int toX, WPARAM modifiers = 0)
    {
        SendMessageA(slider.window(), WM_LBUTTONDOWN, MK_LBUTTON | modifiers, at(fromX, 14));
        SendMessageA(slider.window(), WM_MOUSEMOVE, MK_LBUTTON | modifiers, at(toX, 14));
        SendMessageA(slider.window(), WM_LBUTTONUP, modifiers, at(toX, 14));
    }
};

WINTEST(SliderThumbTravelsFromZeroToOneHundredSixtyFive)
{
    ComApartment com;
    SliderBench bench;
    REQUIRE(bench.slider.window() != nullptr);
    CHECK_EQ(bench.slider.value(0), -1);  // the editor's first poll takes the parameter
    bench.slider.setValue(0, 0);
    CHECK(bench.showsThumbAt(0));
    bench.slider.setValue(0, 100);
    CHECK(bench.showsThumbAt(165));
    CHECK(!bench.showsThumbAt(164));
    bench.slider.setValue(0, 50);
    CHECK(bench.showsThumbAt(83));
    CHECK_EQ(bench.slider.painted(0), 50);
}

WINTEST(DraggedSliderFollowsThePointerAndClamps)
{
    ComApartment com;
    SliderBench bench;
    bench.slider.setValue(0, 30);
    SendMessageA(bench.slider.window(), WM_LBUTTONDOWN, MK_LBUTTON, at(64, 14));
    CHECK(GetCapture() == bench.slider.window());
    CHECK_EQ(bench.slider.value(0), 30);  // the value moves with the first movement
    SendMessageA(bench.slider.window(), WM_MOUSEMOVE, MK_LBUTTON, at(97, 14));
    CHECK_EQ(bench.slider.value(0), 50);  // thumb centre under the pointer
    SendMessageA(bench.slider.window(), WM_MOUSEMOVE, MK_LBUTTON, at(600, 14));
    CHECK_EQ(bench.slider.value(0), 100);
    SendMessageA(bench.slider.window(), WM_MOUSEMOVE, MK_LBUTTON, at(-300, 14));
    CHECK_EQ(bench.slider.value(0), 0);
    SendMessageA(bench.slider.window(), WM_LBUTTONUP, 0, at(-300, 14));
    CHECK(GetCapture() == nullptr);
    CHECK(bench.showsThumbAt(0));

    // A drag that starts on the thumb's left edge of a slider at 0 drags too.
    bench.drag(2, 179);
    CHECK_EQ(bench.slider.value(0), 100);
}

WINTEST(SliderControlClickAndShiftDrag)
{
    ComApartment com;
    SliderBench bench;
    bench.slider.setValue(0, 5);
    bench.drag(40, 150, MK_CONTROL);
    CHECK_EQ(bench.slider.value(0), 50);  // set, and no drag followed

    bench.drag(97, 120, MK_SHIFT);  // (120 - 14) x 100 / 165 = 64: not a multiple of 10
    CHECK_EQ(bench.slider.value(0), 50);
    bench.drag(97, 113, MK_SHIFT);  // 60
    CHECK_EQ(bench.slider.value(0), 60);
}

// A double click is the editor's (back to the program's value): the slider
// passes it on and moves nothing, then or while the pointer moves on.
WINTEST(ASliderLeavesItsDoubleClickToTheEditor)
{
    ComApartment com;
    SliderBench bench;
    bench.slider.setValue(0, 0);
    SendMessageA(bench.slider.window(), WM_LBUTTONDBLCLK, MK_LBUTTON, at(179, 14));
    CHECK_EQ(bench.slider.value(0), 0);
    SendMessageA(bench.slider.window(), WM_LBUTTONUP, 0, at(179, 14));
    SendMessageA(bench.slider.window(), WM_MOUSEMOVE, MK_LBUTTON, at(14, 14));
    CHECK_EQ(bench.slider.value(0), 0);
    CHECK(GetCapture() == nullptr);
}

WINTEST(IconFadesFromTheBackgroundToFullStrength)
{
    ComApartment com;
    PanelWindow parent(pluginModule());
    editor::CLedIcon icon;
    icon.create(pluginModule(), parent.handle(), parent.panel(), SKIN_STAGE_A_ICON, 34, 82);
    REQUIRE(icon.window() != nullptr);
    const Image background = parent.panelImage().crop(34, 82, 59, 54);
    const Image skin = loadSkin(pluginModule(), SKIN_STAGE_A_ICON);

    icon.setOpacity(0);
    InvalidateRect(icon.window(), nullptr, FALSE);
    CHECK(largestDifference(captureWindow(icon.window()), background) == 0);
    icon.setOpacity(255);
    InvalidateRect(icon.window(), nullptr, FALSE);
    CHECK(largestDifference(captureWindow(icon.window()), blendOver(background, skin, 0, 0)) <= 2);
    icon.setOpacity(128);
    InvalidateRect(icon.window(), nullptr, FALSE);
    CHECK(largestDifference(captureWindow(icon.window()), blendOver(background, skin, 0, 0, 128)) <= 2);

    // Out of range is held, not wrapped: 256 must not read as 0.
    icon.setOpacity(256);
    CHECK_EQ(icon.opacity(), 255);
    icon.setOpacity(-3);
    CHECK_EQ(icon.opacity(), 0);
}

WINTEST(EmptyLabelPaintsOnlyItsBackgroundAndTextIsCentred)
{
    ComApartment com;
    PanelWindow parent(pluginModule());
    editor::CLabel label;
    label.create(pluginModule(), parent.handle(), parent.panel(), kRowY);
    REQUIRE(label.window() != nullptr);
    const Image background = parent.panelImage().crop(editor::CLabel::kLeft, kRowY, 58, 28);
    CHECK(largestDifference(captureWindow(label.window()), background) == 0);

    label.setText("+10%");
    InvalidateRect(label.window(), nullptr, FALSE);
    const Image shown = captureWindow(label.window());
    int left = 58;
    int right = -1;
    int brightest = 0;
    for (int y = 0; y < 28; ++y)
        for (int x = 0; x < 58; ++x)
            if (largestDifference(shown, background, x, y, 1, 1) > 40) {
                left = std::min(left, x);
                right = std::max(right, x);
                brightest = std::max(brightest, channel(shown.at(x, y), 8));
            }
    REQUIRE(right > left);
    CHECK(std::abs((left + right) - 58) <= 3);  // centred on x 29
    CHECK(brightest >= 180);                     // light grey text

    // Text is bounded to the label's buffer.
    const std::string longText(200, '8');
    label.setText(longText.c_str());
    CHECK_EQ(std::string(label.text()).size(), std::size_t{63});
}

WINTEST(ScopeDrawsPointsAsFadingStrokesAndSkipsThoseNearItsBounds)
{
    ComApartment com;
    PanelWindow parent(pluginModule());
    editor::CScopeXY scope;
    scope.create(pluginModule(), parent.handle(), parent.panel());
    REQUIRE(scope.window() != nullptr);
    const Image background = loadSkin(pluginModule(), SKIN_SCOPE_BACKGROUND);
    CHECK(largestDifference(captureWindow(scope.window()), background) == 0);

    // Row 27 is y 0; column 90 is x 0.
    scope.plot(0.0f, 0.0f, 0xFF0000);
    scope.commit();
    const Image shown = captureWindow(scope.window());
    CHECK_EQ(shown.at(90, 27) & 0xFFFFFF, 0xFF0000u);
    const int halfway = (255 + channel(background.at(90, 26), 16)) / 2;
    CHECK(std::abs(channel(shown.at(90, 26), 16) - halfway) <= 1);
    CHECK(std::abs(channel(shown.at(90, 28), 16) - halfway) <= 1);
    CHECK(largestDifference(shown, background, 90, 25, 1, 1) == 0);
    CHECK(largestDifference(shown, background, 0, 0, 90, 54) == 0);

    // py = 1.0 is within 1.001 of the top, py = 51.5 within 1.999 of the
    // bottom, x = 1.05 past the right: none is drawn.
    scope.plot(0.5f, (2.0f * 1.0f - 54.0f) / 54.0f, 0x00FF00);
    scope.plot(0.5f, (2.0f * 51.5f - 54.0f) / 54.0f, 0x00FF00);
    scope.plot(1.05f, 0.0f, 0x00FF00);
    scope.commit();
    CHECK(largestDifference(captureWindow(scope.window()), background) == 0);

    // Just inside both bounds the points are drawn.
    scope.plot(0.5f, (2.0f * 1.01f - 54.0f) / 54.0f, 0x00FF00);
    scope.plot(-0.5f, (2.0f * 51.0f - 54.0f) / 54.0f, 0x00FF00);
    scope.commit();
    const Image edges = captureWindow(scope.window());
    CHECK(channel(edges.at(135, 1), 8) >= 250);
    CHECK_EQ(edges.at(45, 51) & 0xFFFFFF, 0x00FF00u);
}

}  // namespace
