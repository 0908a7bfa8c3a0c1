// Takes a picture of the main panel with every widget created over it, at
// the editor's positions and with settings a player might use, and saves it
// as panel-screenshot.png beside this program (or to the path given).

#include "TestPaths.h"
#include "WidgetFixture.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace {

using namespace wintest;

constexpr float kPi = 3.14159265f;

// Illustrative response curves in dB over the display's 181 points from
// 20 Hz to 22.05 kHz: the overdrive stages' band-limited gain, and the tone
// and output filtering with its mid scoop.
float preGainDb(float frequency)
{
    const float lowCut = frequency / std::sqrt(frequency * frequency + 90.0f * 90.0f);
    const float highCut = 1.0f / std::sqrt(1.0f + std::pow(frequency / 6500.0f, 2.0f));
    return 18.0f + 20.0f * std::log10(lowCut * highCut);
}

float postGainDb(float frequency)
{
    const float octavesFromScoop = std::log2(frequency / 700.0f);
    const float highCut = 1.0f / std::sqrt(1.0f + std::pow(frequency / 5000.0f, 4.0f));
    return -6.0f - 7.0f * std::exp(-octavesFromScoop * octavesFromScoop / 2.0f) + 20.0f * std::log10(highCut);
}

void plotCurves(quenchbox::editor::CScopeXY& scope)
{
    const float ratio = std::pow(1102.5f, 1.0f / 180.0f);
    float frequency = 20.0f;
    for (int i = 0; i <= 180; ++i, frequency *= ratio) {
        const float x = static_cast<float>(i) / 90.0f - 1.0f;
        // 60 dB per full height; the pre curve's 0 dB in the middle, the
        // post curve's a third of the height higher.
        scope.plot(x, 1.0f - (preGainDb(frequency) + 30.0f) / 30.0f, 0xBB2452);
        scope.plot(x, 1.0f - (postGainDb(frequency) + 50.0f) / 30.0f, 0xD4D4D4);
    }
    scope.commit();
}

void setUp(WidgetSet& set)
{
    const int dialValues[6] = {72, 55, 35, 60, 42, 66};
    for (int d = 0; d < 6; ++d)
        set.dials[d].setValue(0, dialValues[d]);
    const unsigned buttonStates[8] = {1, 1, 0, 1, 0, 0, 1, 0};  // RZ2, LEDs, Bright off, Power; HQ on
    for (int b = 0; b < 8; ++b)
        set.buttons[b].setState(buttonStates[b]);
    const int sliderValues[4] = {50, 100, 60, 85};
    const char* const labelTexts[4] = {"9.0 V", "100%", "+10%", "85%"};
    for (int s = 0; s < 4; ++s) {
        set.sliders[s].setValue(0, sliderValues[s]);
        set.labels[s].setText(labelTexts[s]);
    }
    const int opacities[3] = {230, 150, 200};
    for (int i = 0; i < 3; ++i)
        set.icons[i].setOpacity(opacities[i]);
    plotCurves(set.scope);
    for (quenchbox::editor::CSkinWindow* widget : set.all())
        InvalidateRect(widget->window(), nullptr, FALSE);
}

// The screen under the window: a window's own picture lacks its children.
Image captureScreen(HWND window)
{
    RECT area = {};
    GetWindowRect(window, &area);
    HWND desktop = GetDesktopWindow();
    Image screen = captureWindow(desktop);
    return screen.crop(area.left, area.top, area.right - area.left, area.bottom - area.top);
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string path = argc > 1 ? argv[1] : besideThisProgram("panel-screenshot.png");
    ComApartment com;
    PanelWindow parent(pluginModule());
    WidgetSet set;
    set.create(pluginModule(), parent.handle(), parent.panel());
    setUp(set);
    UpdateWindow(parent.handle());
    for (quenchbox::editor::CSkinWindow* widget : set.all())
        UpdateWindow(widget->window());

    const bool saved = savePng(captureScreen(parent.handle()), path);
    set.destroy();
    std::printf("%s %s\n", saved ? "saved" : "could not save", path.c_str());
    return saved ? 0 : 1;
}
