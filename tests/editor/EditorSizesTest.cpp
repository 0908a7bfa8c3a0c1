// The Linux editor at its five sizes inside the VST2 test host: at 100 %
// every pixel as before; Xft.dpi choosing the size; the 200 % panel the
// same picture as the 100 % one, only sharper; drags that move a control
// as far for the same distance on the panel; and the zoom menu on the
// maker's badge, remembered for the next open.

// GoogleTest before Xlib, whose macros (None, Bool) clash with its names.
#include <gtest/gtest.h>

#include "EditorHost.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace editortest {
namespace {

constexpr int kLevels = 8;  // "within a few levels"
constexpr int kDrive = 1;
constexpr int kVoltage = 7;

const PluginLibrary& plugin()
{
    static PluginLibrary library(QUENCHBOX_PLUGIN_PATH);
    return library;
}

std::string besideTheTests(const std::string& name) { return std::string(QUENCHBOX_TEST_OUTPUT_DIR) + "/" + name; }

std::string settingsText()
{
    std::ifstream file(std::string(std::getenv("XDG_CONFIG_HOME")) + "/quenchbox-rz/settings");
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

class EditorSizesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(plugin().loaded());
        ASSERT_NE(std::getenv("XDG_CONFIG_HOME"), nullptr);  // with-xvfb.sh gives each run its own
        std::remove((std::string(std::getenv("XDG_CONFIG_HOME")) + "/quenchbox-rz/settings").c_str());
        host = std::make_unique<EditorHost>(plugin());
        ASSERT_TRUE(host->ready());
        setScreenDpi(host->display, 96);
    }

    // The panel with the response curves drawn and the stage icons dark.
    Picture quietPanel()
    {
        if (!host->openEditor())
            return {};
        host->startAudio(0.0f);
        if (!host->idleWhileAudioPlays(EditorHost::kSettlingBlocks))
            return {};
        Picture picture = host->screenshot();
        host->stopAudio();
        host->closeEditor();
        return picture;
    }

    std::pair<int, int> reportedSize()
    {
        ERect* rect = nullptr;
        host->dispatch(effEditGetRect, 0, 0, &rect);
        return rect != nullptr ? std::make_pair(rect->right - rect->left, rect->bottom - rect->top)
                               : std::make_pair(0, 0);
    }

    std::unique_ptr<EditorHost> host;
};

TEST_F(EditorSizesTest, AtOneTimesEveryPixelIsAsBefore)
{
    const Picture picture = quietPanel();
    savePng(picture, besideTheTests("editor-linux-1x.png"));
    const Picture before = loadPng(QUENCHBOX_REFERENCE_DIR "/editor-linux-1x-before.png");
    ASSERT_EQ(picture.width, 677);
    EXPECT_EQ(matchingShare(picture, before, 0), 1.0);
}

TEST_F(EditorSizesTest, XftDpiChoosesTheNearestSize)
{
    const struct {
        int dpi;
        int width;
        int height;
    } sizes[] = {{96, 677, 480}, {100, 677, 480}, {120, 846, 600}, {144, 1016, 720},
                 {168, 1185, 840}, {192, 1354, 960}, {400, 1354, 960}};
    for (const auto& size : sizes) {
        setScreenDpi(host->display, size.dpi);
        EXPECT_EQ(reportedSize(), std::make_pair(size.width, size.height)) << size.dpi;
        ASSERT_TRUE(host->openEditor());
        host->idleFor(50);
        const Picture picture = host->screenshot();
        EXPECT_EQ(picture.width, size.width) << size.dpi;
        EXPECT_EQ(picture.height, size.height) << size.dpi;
        host->closeEditor();
    }
}

TEST_F(EditorSizesTest, TwoTimesIsTheSamePanelOnlySharper)
{
    const Picture once = quietPanel();
    setScreenDpi(host->display, 144);
    const Picture oneAndAHalf = quietPanel();
    setScreenDpi(host->display, 192);
    const Picture twice = quietPanel();
    savePng(oneAndAHalf, besideTheTests("editor-linux-1.5x.png"));
    savePng(twice, besideTheTests("editor-linux-2x.png"));
    ASSERT_EQ(twice.width, 1354);
    ASSERT_EQ(oneAndAHalf.width, 1016);

    const double share = matchingShare(halved(twice), once, kLevels);
    const double sharp = edgeEnergy(twice);
    const double enlarged = edgeEnergy(doubledSmoothly(once));
    std::printf("2x reduced by half: %.4f of pixels within %d levels of 1x (%.4f within 2); edge energy 2x %.1f, "
                "1x enlarged %.1f (ratio %.2f)\n",
                share, kLevels, matchingShare(halved(twice), once, 2), sharp, enlarged, sharp / enlarged);
    RecordProperty("halvedShare", std::to_string(share));
    RecordProperty("edgeEnergyRatio", std::to_string(sharp / enlarged));
    EXPECT_GT(share, 0.97);
    EXPECT_GT(sharp, enlarged * 1.1);
}

TEST_F(EditorSizesTest, ADragOverOnePanelDistanceMovesAsFarAtTwoTimes)
{
    for (int dpi : {96, 192}) {
        const int s = dpi / 96;
        setScreenDpi(host->display, dpi);
        host->effect->setParameter(host->effect, kDrive, 0.3f);
        host->effect->setParameter(host->effect, kVoltage, 0.0f);
        ASSERT_TRUE(host->openEditor());
        host->idleFor(100);
        // 40 panel units up the Drive dial: 20 %; 132 along the Voltage
        // slider's groove: 80 %.
        host->drag(74 * s, 218 * s, 74 * s, (218 - 40) * s);
        host->drag((350 + 14) * s, (316 + 14) * s, (350 + 14 + 132) * s, (316 + 14) * s);
        host->idleFor(100);
        EXPECT_NEAR(host->parameter(kDrive), 0.5f, 1e-6) << dpi;
        EXPECT_NEAR(host->parameter(kVoltage), 0.8f, 1e-6) << dpi;
        host->closeEditor();
    }
}

TEST_F(EditorSizesTest, TheZoomMenuOnTheBadgeResizesAndIsRemembered)
{
    setScreenDpi(host->display, 192);  // the user's choice wins over the screen's
    ASSERT_TRUE(host->openEditor());
    host->idleFor(100);
    host->click(634 * 2, 20 * 2);  // the badge opens the menu
    host->idleFor(100);
    host->takeCalls();
    host->click(615 * 2, (34 + 4 + 3 * 20 + 10) * 2);  // "150 %"
    host->idleFor(100);
    bool asked = false;
    for (const HostCall& call : host->takeCalls())
        asked = asked || (call.opcode == audioMasterSizeWindow && call.index == 1016);
    EXPECT_TRUE(asked);
    const Picture zoomed = host->screenshot();
    EXPECT_EQ(zoomed.width, 1016);
    EXPECT_EQ(zoomed.height, 720);
    EXPECT_EQ(settingsText(), "# Quenchbox RZ settings\nzoom=150\n");
    host->closeEditor();
    EXPECT_EQ(reportedSize(), std::make_pair(1016, 720));

    // "Auto" follows the screen again.
    ASSERT_TRUE(host->openEditor());
    host->idleFor(100);
    host->click(634 * 3 / 2, 20 * 3 / 2);
    host->idleFor(100);
    host->click(615 * 3 / 2, (34 + 4 + 10) * 3 / 2);
    host->idleFor(100);
    EXPECT_EQ(host->screenshot().width, 1354);
    EXPECT_EQ(settingsText(), "# Quenchbox RZ settings\nzoom=auto\n");
    host->closeEditor();
}

}  // namespace
}  // namespace editortest
