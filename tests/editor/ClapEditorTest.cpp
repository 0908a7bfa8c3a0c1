// The Linux editor in the built .clap, embedded through the gui extension's
// x11 API by a host of our own: the same panel as the VST2 build's, driven
// by the host's timer and the X connection's descriptor; a drag reaches the
// host as a gesture with its values; and hosts without that support.

// GoogleTest before Xlib, whose macros (None, Bool) clash with its names.
#include <gtest/gtest.h>

#include "ClapEditorHost.h"
#include "EditorHost.h"
#include "HostDrag.h"

namespace editortest {
namespace {

constexpr int kLevels = 8;

TEST(ClapEditor, EmbedsTheSamePanelAsTheVst2Build)
{
    ClapEditorHost clap(QUENCHBOX_CLAP_PATH, ClapEditorHost::Support::timerAndDescriptor);
    ASSERT_TRUE(clap.ready());
    const clap_plugin_gui_t* gui = clap.gui();
    ASSERT_NE(gui, nullptr);
    EXPECT_TRUE(gui->is_api_supported(clap.instance(), CLAP_WINDOW_API_X11, false));
    EXPECT_FALSE(gui->is_api_supported(clap.instance(), CLAP_WINDOW_API_X11, true));  // embedded only
    EXPECT_FALSE(gui->is_api_supported(clap.instance(), CLAP_WINDOW_API_WIN32, false));
    ASSERT_TRUE(clap.embed());
    EXPECT_EQ(clap.timers(), 1);
    EXPECT_EQ(clap.descriptors(), 1);
    clap.runFor(300);
    EXPECT_GT(shareLikeVst2Editor(QUENCHBOX_PLUGIN_PATH, windowPicture(clap.display, clap.parent), "CLAP", kLevels),
              0.999);

    clap.unembed();  // hiding lets go of the timer and the descriptor
    EXPECT_EQ(clap.timers(), 0);
    EXPECT_EQ(clap.descriptors(), 0);
    EXPECT_EQ(childOf(clap.display, clap.parent), 0u);
}

TEST(ClapEditor, ADragReachesTheHostAsOneGestureWithItsValues)
{
    ClapEditorHost clap(QUENCHBOX_CLAP_PATH, ClapEditorHost::Support::timerAndDescriptor);
    ASSERT_TRUE(clap.ready());
    ASSERT_TRUE(clap.embed());
    clap.runFor(100);
    clap.flush();
    const double before = clap.value(1);
    dragDrive(clap, 40);  // 20 % up
    const std::vector<ClapEvent> events = clap.flush();
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events.front().type, CLAP_EVENT_PARAM_GESTURE_BEGIN);
    EXPECT_EQ(events.front().parameter, 1u);
    EXPECT_EQ(events.back().type, CLAP_EVENT_PARAM_GESTURE_END);
    EXPECT_EQ(events[events.size() - 2].type, CLAP_EVENT_PARAM_VALUE);
    EXPECT_NEAR(events[events.size() - 2].value, before + 0.2, 1e-6);
    EXPECT_NEAR(clap.value(1), before + 0.2, 1e-6);
    clap.unembed();
}

TEST(ClapEditor, AHostWithOnlyTheDescriptorStillDeliversInput)
{
    ClapEditorHost clap(QUENCHBOX_CLAP_PATH, ClapEditorHost::Support::descriptorOnly);
    ASSERT_TRUE(clap.ready());
    ASSERT_TRUE(clap.embed());
    EXPECT_EQ(clap.timers(), 0);
    EXPECT_EQ(clap.descriptors(), 1);
    clap.flush();
    dragDrive(clap, 40);
    const std::vector<ClapEvent> events = clap.flush();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().type, CLAP_EVENT_PARAM_GESTURE_END);
    clap.unembed();
}

TEST(ClapEditor, AHostWithNeitherShowsTheStillPanel)
{
    ClapEditorHost clap(QUENCHBOX_CLAP_PATH, ClapEditorHost::Support::none);
    ASSERT_TRUE(clap.ready());
    ASSERT_TRUE(clap.embed());
    XSync(clap.display, False);
    EXPECT_GT(matchingShare(windowPicture(clap.display, clap.parent), loadPng(QUENCHBOX_DOCS_DIR "/editor-default.png"),
                            kLevels),
              0.9);
    clap.runFor(50);
    clap.unembed();
}

TEST(ClapEditor, TheHostsScaleSizesTheEditorAndResizesSnapToTheSteps)
{
    ClapEditorHost clap(QUENCHBOX_CLAP_PATH, ClapEditorHost::Support::timerAndDescriptor);
    ASSERT_TRUE(clap.ready());
    const clap_plugin_gui_t* gui = clap.gui();
    ASSERT_TRUE(clap.embed(2.0));  // set_scale before the window: get_size answers 1354 x 960
    clap.runFor(200);
    const Picture twice = windowPicture(clap.display, clap.parent);
    EXPECT_EQ(twice.width, 1354);
    EXPECT_EQ(twice.height, 960);
    EXPECT_FALSE(gui->set_scale(clap.instance(), 0.0));
    EXPECT_FALSE(gui->set_scale(clap.instance(), -1.0));

    EXPECT_TRUE(gui->can_resize(clap.instance()));
    clap_gui_resize_hints_t hints{};
    ASSERT_TRUE(gui->get_resize_hints(clap.instance(), &hints));
    EXPECT_TRUE(hints.preserve_aspect_ratio);
    EXPECT_EQ(hints.aspect_ratio_width * 480, hints.aspect_ratio_height * 677);
    // A frame dragged to any size snaps to the largest step that fits.
    const struct {
        std::uint32_t width, height, snappedWidth, snappedHeight;
    } frames[] = {{1100, 900, 1016, 720}, {2000, 700, 846, 600}, {200, 100, 677, 480}, {5000, 5000, 1354, 960}};
    for (const auto& frame : frames) {
        std::uint32_t width = frame.width;
        std::uint32_t height = frame.height;
        ASSERT_TRUE(gui->adjust_size(clap.instance(), &width, &height));
        EXPECT_EQ(width, frame.snappedWidth) << frame.width << " x " << frame.height;
        EXPECT_EQ(height, frame.snappedHeight) << frame.width << " x " << frame.height;
    }
    EXPECT_FALSE(gui->set_size(clap.instance(), 1100, 900));  // not a size adjust_size answers
    ASSERT_TRUE(gui->set_size(clap.instance(), 846, 600));
    XResizeWindow(clap.display, clap.parent, 846, 600);
    clap.runFor(200);
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    ASSERT_TRUE(gui->get_size(clap.instance(), &width, &height));
    EXPECT_EQ(width, 846u);
    EXPECT_EQ(height, 600u);
    const Picture resized = windowPicture(clap.display, childOf(clap.display, clap.parent));
    EXPECT_EQ(resized.width, 846);

    // A scale while open resizes at once; the host already knows, so the
    // editor asks for nothing.
    ASSERT_TRUE(gui->set_scale(clap.instance(), 1.5));
    clap.runFor(100);
    ASSERT_TRUE(gui->get_size(clap.instance(), &width, &height));
    EXPECT_EQ(width, 1016u);
    EXPECT_TRUE(clap.requestedSizes.empty());
    clap.unembed();
}

}  // namespace
}  // namespace editortest
