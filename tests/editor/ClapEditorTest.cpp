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
    const Picture fromClap = windowPicture(clap.display, clap.parent);

    const PluginLibrary vst2(QUENCHBOX_PLUGIN_PATH);
    EditorHost host(vst2);
    ASSERT_TRUE(host.openEditor());
    host.idleFor(300);
    const double share = matchingShare(fromClap, host.screenshot(), kLevels);
    std::printf("pixels of the CLAP editor within %d levels of the VST2 editor's: %.4f\n", kLevels, share);
    EXPECT_GT(share, 0.999);

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

}  // namespace
}  // namespace editortest
