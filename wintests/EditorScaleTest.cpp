// The editor at the size the monitor's DPI asks for, in a per-monitor-aware
// host as DAWs are. scripts/run-wintests.sh runs this program three times,
// with wine's LogPixels at 96, 144 and 192: at 96 every pixel as the
// previous build drew it; at each size the window and its widgets where
// the scale puts them and a dial drag over one panel distance moving as
// far; at 192 the picture, reduced by half, the 96 one, only sharper.

#include "EditorHost.h"
#include "Pixels.h"
#include "TestPaths.h"
#include "WinTest.h"
#include "WidgetFixture.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace {

using namespace wintest;

constexpr int kDrive = 1;
constexpr int kLevels = 8;  // "within a few levels"

// Hosts declare themselves DPI aware (per monitor where the system has
// it); otherwise Windows tells the plug-in 96 DPI and enlarges its window
// as a bitmap.
const bool kAware = SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2) ||
                    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE) || SetProcessDPIAware();

int screenDpi()
{
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi;
}

// The step the editor should take: the DPI over 96, nearest of 1, 1.25 ... 2.
double expectedScale()
{
    const double steps[] = {1.0, 1.25, 1.5, 1.75, 2.0};
    double nearest = 1.0;
    for (double step : steps)
        if (std::fabs(step - screenDpi() / 96.0) < std::fabs(nearest - screenDpi() / 96.0))
            nearest = step;
    return nearest;
}

int scaled(int units) { return static_cast<int>(std::lround(units * expectedScale())); }

std::string pictureName() { return "editor-" + std::to_string(scaled(100)) + ".png"; }

Image quietPanel(EditorSession& session)
{
    session.startAudio(0.0f);
    pumpMessages(400);
    Image picture = captureWindow(session.editorWindow());
    session.stopAudio();
    return picture;
}

Image halved(const Image& image)
{
    Image half;
    half.width = image.width / 2;
    half.height = image.height / 2;
    for (int y = 0; y < half.height; ++y)
        for (int x = 0; x < half.width; ++x) {
            std::uint32_t mixed = 0xFF000000u;
            for (int shift : {16, 8, 0}) {
                const int sum = channel(image.at(2 * x, 2 * y), shift) + channel(image.at(2 * x + 1, 2 * y), shift) +
                                channel(image.at(2 * x, 2 * y + 1), shift) +
                                channel(image.at(2 * x + 1, 2 * y + 1), shift);
                mixed |= static_cast<std::uint32_t>((sum + 2) / 4) << shift;
            }
            half.pixels.push_back(mixed);
        }
    return half;
}

Image doubledSmoothly(const Image& image)
{
    Image twice;
    twice.width = image.width * 2;
    twice.height = image.height * 2;
    for (int y = 0; y < twice.height; ++y)
        for (int x = 0; x < twice.width; ++x) {
            const double sx = std::min(std::max((x + 0.5) / 2.0 - 0.5, 0.0), image.width - 1.0);
            const double sy = std::min(std::max((y + 0.5) / 2.0 - 0.5, 0.0), image.height - 1.0);
            const int x0 = static_cast<int>(sx);
            const int y0 = static_cast<int>(sy);
            const int x1 = std::min(x0 + 1, image.width - 1);
            const int y1 = std::min(y0 + 1, image.height - 1);
            const double fx = sx - x0;
            const double fy = sy - y0;
            std::uint32_t mixed = 0xFF000000u;
            for (int shift : {16, 8, 0}) {
                const double top = channel(image.at(x0, y0), shift) * (1 - fx) + channel(image.at(x1, y0), shift) * fx;
                const double bottom =
                    channel(image.at(x0, y1), shift) * (1 - fx) + channel(image.at(x1, y1), shift) * fx;
                mixed |= static_cast<std::uint32_t>(std::lround(top * (1 - fy) + bottom * fy)) << shift;
            }
            twice.pixels.push_back(mixed);
        }
    return twice;
}

// The mean squared difference of neighbouring pixels' luma: larger is sharper.
double edgeEnergy(const Image& image)
{
    auto luma = [&](int x, int y) {
        const std::uint32_t p = image.at(x, y);
        return 0.299 * channel(p, 16) + 0.587 * channel(p, 8) + 0.114 * channel(p, 0);
    };
    double sum = 0.0;
    for (int y = 0; y + 1 < image.height; ++y)
        for (int x = 0; x + 1 < image.width; ++x) {
            const double dx = luma(x + 1, y) - luma(x, y);
            const double dy = luma(x, y + 1) - luma(x, y);
            sum += dx * dx + dy * dy;
        }
    return sum / ((image.width - 1.0) * (image.height - 1.0));
}

double shareWithin(const Image& a, const Image& b, int levels)
{
    if (a.width != b.width || a.height != b.height || a.pixels.empty())
        return 0.0;
    std::size_t matching = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i) {
        bool close = true;
        for (int shift : {16, 8, 0})
            close = close && std::abs(channel(a.pixels[i], shift) - channel(b.pixels[i], shift)) <= levels;
        matching += close ? 1 : 0;
    }
    return static_cast<double>(matching) / static_cast<double>(a.pixels.size());
}

WINTEST(TheEditorTakesTheMonitorsDpiAndPlacesItsWidgetsAtTheScale)
{
    CHECK(kAware);
    ComApartment com;
    EditorSession session;
    ERect* rect = nullptr;
    REQUIRE(session.dispatch(effEditGetRect, 0, 0, &rect) != 0 && rect != nullptr);
    CHECK_EQ(rect->right - rect->left, scaled(677));
    CHECK_EQ(rect->bottom - rect->top, scaled(480));
    REQUIRE(session.open());
    RECT client = {};
    GetClientRect(session.editorWindow(), &client);
    CHECK_EQ(static_cast<int>(client.right), scaled(677));
    CHECK_EQ(static_cast<int>(client.bottom), scaled(480));
    // The Drive dial at (27, 171) and the Voltage slider at (350, 316).
    HWND drive = session.widgetAt(scaled(27), scaled(171));
    REQUIRE(drive != nullptr);
    GetClientRect(drive, &client);
    CHECK_EQ(static_cast<int>(client.right), scaled(27 + 94) - scaled(27));
    CHECK(session.widgetAt(scaled(350), scaled(316)) != nullptr);

    const Image picture = quietPanel(session);
    const std::string name = pictureName();
    CHECK(savePng(picture, besideThisProgram(name.c_str())));
    std::printf("saved %s (%d x %d at %d DPI)\n", name.c_str(), picture.width, picture.height, screenDpi());
    if (expectedScale() == 1.0) {
        const Image before = loadPng(QUENCHBOX_WINTEST_PICTURES "/editor-windows-1x-before.png");
        REQUIRE(before.width == 677);
        CHECK_EQ(largestDifference(picture, before), 0);
    }
}

WINTEST(ADialDragOverOnePanelDistanceMovesAsFarAtEverySize)
{
    ComApartment com;
    EditorSession session;
    session.setParameter(kDrive, 0.3f);
    REQUIRE(session.open());
    pumpMessages(100);
    HWND drive = session.widgetAt(scaled(27), scaled(171));
    REQUIRE(drive != nullptr);
    // 40 panel units up: 20 percent, whatever the pixels.
    SendMessageA(drive, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(scaled(47), scaled(60)));
    SendMessageA(drive, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(scaled(47), scaled(20)));
    SendMessageA(drive, WM_LBUTTONUP, 0, MAKELPARAM(scaled(47), scaled(20)));
    pumpMessages(120);
    CHECK(std::fabs(session.parameter(kDrive) - 0.5f) < 1e-6f);
}

// The value label while Drive turns and the focus ring the keys show, at
// 1x and 2x: for the eye and the docs.
WINTEST(TheValueLabelAndTheFocusRingAtTheScale)
{
    if (expectedScale() != 1.0 && expectedScale() != 2.0)
        return;
    ComApartment com;
    EditorSession session;
    session.setParameter(kDrive, 0.4f);
    REQUIRE(session.open());
    pumpMessages(100);
    HWND drive = session.widgetAt(scaled(27), scaled(171));
    REQUIRE(drive != nullptr);
    const std::string size = std::to_string(scaled(1)) + "x.png";
    SendMessageA(drive, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(scaled(47), scaled(60)));
    SendMessageA(drive, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(scaled(47), scaled(40)));
    pumpMessages(100);
    const Image turning = captureWindow(session.editorWindow());
    SendMessageA(drive, WM_LBUTTONUP, 0, MAKELPARAM(scaled(47), scaled(40)));
    savePng(turning.crop(scaled(10), scaled(160), scaled(230), scaled(135)),
            besideThisProgram(("panel-value-label-windows-" + size).c_str()));
    // The press gave the panel the keyboard; a key shows the ring.
    SendMessageA(session.editorWindow(), WM_KEYDOWN, VK_RIGHT, 1);
    pumpMessages(100);
    const Image ring = captureWindow(session.editorWindow());
    savePng(ring.crop(scaled(10), scaled(160), scaled(230), scaled(135)),
            besideThisProgram(("panel-focus-ring-windows-" + size).c_str()));
    const std::uint32_t left = ring.at(scaled(25), scaled(218));
    CHECK(channel(left, 16) > 0xB0 && channel(left, 8) > 0xB0);
    CHECK(std::fabs(session.parameter(kDrive) - 0.51f) < 1e-6f);
}

WINTEST(AtTwoTimesThePanelReducedByHalfIsTheOneTimesPanelOnlySharper)
{
    if (expectedScale() != 2.0)
        return;
    ComApartment com;
    EditorSession session;
    REQUIRE(session.open());
    const Image twice = quietPanel(session);
    const Image once = loadPng(QUENCHBOX_WINTEST_PICTURES "/editor-windows-1x-before.png");
    REQUIRE(once.width == 677 && twice.width == 1354);
    const double share = shareWithin(halved(twice), once, kLevels);
    const double sharp = edgeEnergy(twice);
    const double enlarged = edgeEnergy(doubledSmoothly(once));
    std::printf("2x reduced by half: %.4f of pixels within %d levels of 1x (%.4f within 2); edge energy 2x %.1f, "
                "1x enlarged %.1f (ratio %.2f)\n",
                share, kLevels, shareWithin(halved(twice), once, 2), sharp, enlarged, sharp / enlarged);
    CHECK(share > 0.97);
    CHECK(sharp > enlarged * 1.1);
}

}  // namespace

