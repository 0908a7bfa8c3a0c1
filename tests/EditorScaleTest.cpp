// The editor's scale arithmetic and the user's settings file, apart from
// any window system: the steps and window sizes, the mapping between pixels
// and panel units that keeps drags the same at every size, the order of
// the scale's sources, and a settings file that may be missing, damaged or
// someone else's.

#include "editor/DialModel.h"
#include "editor/EditorScale.h"
#include "editor/EditorSettings.h"
#include "editor/SliderModel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>

namespace quenchbox::editor {
namespace {

TEST(EditorScale, StepsGiveRoundedWindowSizesAndFactorsSnapToTheNearestStep)
{
    const int widths[] = {677, 846, 1016, 1185, 1354};
    const int heights[] = {480, 600, 720, 840, 960};
    for (int i = 0; i < kScaleStepCount; ++i) {
        EXPECT_EQ(scaledLength(kPanelWidth, kScaleSteps[i]), widths[i]);
        EXPECT_EQ(scaledLength(kPanelHeight, kScaleSteps[i]), heights[i]);
        EXPECT_EQ(scaleFittingSize(widths[i], heights[i]), kScaleSteps[i]);
        EXPECT_EQ(scaleFittingSize(widths[i] + 100, heights[i] + 1), kScaleSteps[i]);
    }
    EXPECT_EQ(nearestScaleStep(1.1), 1.0);
    EXPECT_EQ(nearestScaleStep(1.125), 1.0);  // ties to the smaller step
    EXPECT_EQ(nearestScaleStep(1.6), 1.5);
    EXPECT_EQ(nearestScaleStep(3.0), 2.0);
    EXPECT_EQ(nearestScaleStep(0.5), 1.0);
    for (double nonsense : {0.0, -2.0, std::nan(""), std::numeric_limits<double>::infinity()})
        EXPECT_EQ(nearestScaleStep(nonsense), 1.0) << nonsense;
    EXPECT_EQ(scaleForDpi(96), 1.0);
    EXPECT_EQ(scaleForDpi(120), 1.25);
    EXPECT_EQ(scaleForDpi(144), 1.5);
    EXPECT_EQ(scaleForDpi(192), 2.0);
    EXPECT_EQ(scaleForDpi(288), 2.0);
    EXPECT_EQ(scaleFittingSize(300, 200), 1.0);  // too small for any step: the smallest
    EXPECT_EQ(scaleFittingSize(1354, 959), 1.75);
}

TEST(EditorScale, PixelsMapToPanelUnitsAndBackWithoutGaps)
{
    for (double scale : kScaleSteps) {
        // Every pixel of the window maps into the panel (the half pixel a
        // rounded-up window adds at its far edge maps onto that edge), near
        // the pixels its unit covers.
        for (int pixel = 0; pixel < scaledLength(kPanelWidth, scale); ++pixel) {
            const int unit = panelCoordinate(pixel, scale);
            ASSERT_GE(unit, 0);
            ASSERT_LE(unit, kPanelWidth);
            const PixelBox covered = scaledBox(unit, 0, 1, 1, scale);
            EXPECT_GE(pixel, covered.x - 1) << scale;
            EXPECT_LE(pixel, covered.x + covered.width) << scale;
        }
        // Neighbouring boxes meet exactly.
        const PixelBox left = scaledBox(27, 171, 94, 94, scale);
        const PixelBox right = scaledBox(121, 171, 94, 94, scale);
        EXPECT_EQ(left.x + left.width, right.x) << scale;
    }
    for (int pixel = -3; pixel < 700; ++pixel)
        EXPECT_EQ(panelCoordinate(pixel, 1.0), pixel);  // 100 %: nothing moves
}

TEST(EditorScale, ADragOverOnePanelDistanceMovesAsFarAtEverySize)
{
    for (double scale : kScaleSteps) {
        // The pointer moves 40 panel units up a dial and 66 units along a
        // slider: twice the pixels at 200 %.
        DialModel dial;
        dial.setValue(0, 30);
        dial.press(0, panelCoordinate(scaledLength(47, scale), scale));
        dial.drag(panelCoordinate(scaledLength(47 - 40, scale), scale), false);
        EXPECT_EQ(dial.value(0), 50) << scale;

        SliderModel slider;
        slider.setThumbWidth(SliderModel::kHeight);
        slider.setValue(0, 0);
        slider.press(0, panelCoordinate(scaledLength(14, scale), scale));
        slider.drag(panelCoordinate(scaledLength(14 + 66, scale), scale), false);
        EXPECT_EQ(slider.value(0), 40) << scale;
    }
}

TEST(EditorScale, TheHostWinsOverTheUserWhoWinsOverTheScreen)
{
    ScaleSources sources;
    EXPECT_EQ(sources.resolved(), 1.0);
    sources.setSystemScale(1.5);
    EXPECT_EQ(sources.resolved(), 1.5);
    sources.setUserZoom(1.25);
    EXPECT_EQ(sources.resolved(), 1.25);
    sources.setHostScale(2.0);
    EXPECT_EQ(sources.resolved(), 2.0);
    // The user picks in the panel after the host spoke: the pick shows.
    sources.userChose(1.75);
    EXPECT_EQ(sources.resolved(), 1.75);
    sources.setHostScale(1.1);
    EXPECT_EQ(sources.resolved(), 1.0);
    // "Auto" follows the host, or the screen when the host says nothing.
    sources.userChose(0.0);
    EXPECT_EQ(sources.resolved(), 1.5);
}

TEST(EditorSettingsFile, KeepsTheZoomAcrossWriteAndRead)
{
    for (double zoom : {0.0, 1.0, 1.25, 1.5, 1.75, 2.0}) {
        EditorSettings settings;
        settings.zoom = zoom;
        EXPECT_EQ(parseSettings(formatSettings(settings)), settings) << zoom;
    }
    EXPECT_EQ(formatSettings(EditorSettings{1.5}), "# Quenchbox RZ settings\nzoom=150\n");
    EXPECT_EQ(parseSettings("# Quenchbox RZ settings\r\nzoom=175\r\n").zoom, 1.75);  // edited on Windows
    EXPECT_EQ(parseSettings("# Quenchbox RZ settings\ncolour=red\nzoom=125\nlater=1\n").zoom, 1.25);

    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "quenchbox-settings-test";
    std::filesystem::remove_all(folder);
    const std::string path = (folder / "quenchbox-rz" / "settings").string();
    ASSERT_TRUE(writeSettingsFile(path, EditorSettings{2.0}));  // makes the folders
    EXPECT_EQ(readSettingsFile(path).zoom, 2.0);
    ASSERT_TRUE(writeSettingsFile(path, EditorSettings{1.25}));  // replaces the file
    EXPECT_EQ(readSettingsFile(path).zoom, 1.25);
    EXPECT_FALSE(std::filesystem::exists(folder / "quenchbox-rz" / "settings.new"));
    EXPECT_FALSE(writeSettingsFile((folder / "quenchbox-rz" / "settings" / "below-a-file").string(), EditorSettings{}));
    std::filesystem::remove_all(folder);
}

TEST(EditorSettingsFile, MissingDamagedOrForeignFilesMeanTheDefaults)
{
    const char* const bad[] = {
        "",                                            // empty
        "zoom=150\n",                                  // no header: someone else's file
        "# Other program settings\nzoom=150\n",        // foreign header
        "# Quenchbox RZ settings\nzoom=150%\n",        // not a number we write
        "# Quenchbox RZ settings\nzoom=300\n",         // not a step
        "# Quenchbox RZ settings\nzoom=1.5\n",         // a factor, not percent
        "# Quenchbox RZ settings\nzoom=\n",            // nothing
        "# Quenchbox RZ settings\nzoom = 150\n",       // spaces are not ours
        "# Quenchbox RZ settings\nzoom=99999999999999999999\n",
        "# Quenchbox RZ settings\nzoom=-150\n",
        "\xEF\xBB\xBF# Quenchbox RZ settings\nzoom=150\n",  // a byte-order mark is not ours
    };
    for (const char* text : bad)
        EXPECT_EQ(parseSettings(text).zoom, 0.0) << text;

    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "quenchbox-settings-bad";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    EXPECT_EQ(readSettingsFile((folder / "missing").string()).zoom, 0.0);
    EXPECT_EQ(readSettingsFile(folder.string()).zoom, 0.0);  // a folder where the file should be
    {
        std::ofstream binary(folder / "binary", std::ios::binary);
        binary << "# Quenchbox RZ settings\nzoom=150\n" << std::string(1, '\0') << "junk";
    }
    EXPECT_EQ(readSettingsFile((folder / "binary").string()).zoom, 0.0);
    {
        std::ofstream huge(folder / "huge", std::ios::binary);
        huge << "# Quenchbox RZ settings\nzoom=150\n" << std::string(100000, '#') << "\n";
    }
    EXPECT_EQ(readSettingsFile((folder / "huge").string()).zoom, 0.0);
    {
        std::ofstream exact(folder / "limit", std::ios::binary);  // 4096 bytes: still ours
        const std::string text = "# Quenchbox RZ settings\nzoom=150\n";
        exact << text << std::string(4096 - text.size() - 1, '#') << "\n";
    }
    EXPECT_EQ(readSettingsFile((folder / "limit").string()).zoom, 1.5);
    EXPECT_FALSE(writeSettingsFile({}, EditorSettings{1.5}));
    std::filesystem::remove_all(folder);
}

TEST(EditorSettingsFile, LivesWhereTheXdgRulesPutConfiguration)
{
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    const std::string savedConfigHome = configHome != nullptr ? configHome : "";
    const char* home = std::getenv("HOME");
    const std::string savedHome = home != nullptr ? home : "";

    setenv("XDG_CONFIG_HOME", "/tmp/config-of-test", 1);
    EXPECT_EQ(userSettingsPath(), "/tmp/config-of-test/quenchbox-rz/settings");
    setenv("HOME", "/home/someone", 1);
    setenv("XDG_CONFIG_HOME", "relative/ignored", 1);
    EXPECT_EQ(userSettingsPath(), "/home/someone/.config/quenchbox-rz/settings");
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(userSettingsPath(), "/home/someone/.config/quenchbox-rz/settings");
    unsetenv("HOME");
    EXPECT_TRUE(userSettingsPath().empty());

    if (configHome != nullptr)
        setenv("XDG_CONFIG_HOME", savedConfigHome.c_str(), 1);
    if (home != nullptr)
        setenv("HOME", savedHome.c_str(), 1);
}

}  // namespace
}  // namespace quenchbox::editor
