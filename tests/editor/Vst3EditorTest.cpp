// The Linux editor in the built VST3 bundle, attached as an IPlugView to an
// X11 window by a host of our own: the same panel as the VST2 build's,
// driven only by the host's run loop; a drag reaches the host as one
// begin/perform/end gesture; attach, remove and re-attach; the host's
// content scale and frame size; a host without a run loop gets no view.

// GoogleTest before Xlib, whose macros (None, Bool) clash with its names.
#include <gtest/gtest.h>

#include <limits>

#include "EditorHost.h"
#include "HostDrag.h"
#include "Vst3EditorHost.h"

namespace editortest {
namespace {

using quenchbox::host::HostEdit;

constexpr int kLevels = 8;

TEST(Vst3Editor, AttachesTheSamePanelAsTheVst2BuildDrivenByTheRunLoop)
{
    Vst3EditorHost vst3(QUENCHBOX_VST3_PATH, Vst3EditorHost::Support::runLoop);
    ASSERT_NE(vst3.display, nullptr);
    ASSERT_EQ(vst3.attach(), kResultOk);
    EXPECT_EQ(vst3.view->isPlatformTypeSupported(kPlatformTypeX11EmbedWindowID), kResultTrue);
    EXPECT_EQ(vst3.view->isPlatformTypeSupported(kPlatformTypeHWND), kResultFalse);
    EXPECT_EQ(vst3.view->canResize(), kResultTrue);
    ViewRect size{};
    ASSERT_EQ(vst3.view->getSize(&size), kResultOk);
    EXPECT_EQ(size.right - size.left, 677);
    EXPECT_EQ(size.bottom - size.top, 480);
    EXPECT_EQ(vst3.timers(), 1);
    EXPECT_EQ(vst3.eventHandlers(), 1);
    vst3.runFor(300);
    EXPECT_GT(shareLikeVst2Editor(QUENCHBOX_PLUGIN_PATH, windowPicture(vst3.display, vst3.parent), "VST3", kLevels),
              0.999);

    // removed lets go of the window, the timer and the handler; the view
    // attaches again.
    EXPECT_EQ(vst3.view->removed(), kResultOk);
    EXPECT_EQ(vst3.timers(), 0);
    EXPECT_EQ(vst3.eventHandlers(), 0);
    XSync(vst3.display, False);
    EXPECT_EQ(childOf(vst3.display, vst3.parent), 0u);
    EXPECT_EQ(vst3.view->removed(), kResultFalse);
    EXPECT_EQ(vst3.attach(), kResultOk);
    vst3.runFor(50);
    EXPECT_NE(childOf(vst3.display, vst3.parent), 0u);
    vst3.detach();
}

TEST(Vst3Editor, ADragReachesTheHostAsOneBeginPerformEndGesture)
{
    Vst3EditorHost vst3(QUENCHBOX_VST3_PATH, Vst3EditorHost::Support::runLoop);
    ASSERT_EQ(vst3.attach(), kResultOk);
    vst3.runFor(100);
    vst3.instance().host().clearEdits();
    const double before = vst3.instance().controller().getParamNormalized(1);
    dragDrive(vst3, 40);  // 20 % up
    const std::vector<HostEdit>& edits = vst3.instance().host().edits();
    ASSERT_GE(edits.size(), 3u);
    EXPECT_EQ(edits.front().kind, HostEdit::Kind::begin);
    EXPECT_EQ(edits.front().id, 1u);
    EXPECT_EQ(edits.back().kind, HostEdit::Kind::end);
    for (std::size_t i = 1; i + 1 < edits.size(); ++i) {
        EXPECT_EQ(edits[i].kind, HostEdit::Kind::perform);
        EXPECT_EQ(edits[i].id, 1u);
    }
    EXPECT_NEAR(edits[edits.size() - 2].value, before + 0.2, 1e-6);
    EXPECT_NEAR(vst3.instance().controller().getParamNormalized(1), before + 0.2, 1e-6);
    // Each edit reached the host from the run loop, never inside its calls.
    for (const quenchbox::host::HostCallback& callback : vst3.instance().host().callbacks())
        EXPECT_STREQ(callback.during, quenchbox::host::HostContext::kRunLoop);
    vst3.detach();
}

// The host's content scale sets the step and the frame is asked for the
// size; a frame the host resizes snaps to the largest step that fits, at
// the panel's aspect ratio.
TEST(Vst3Editor, TheHostsContentScaleAndFrameSizeSetTheSteps)
{
    Vst3EditorHost vst3(QUENCHBOX_VST3_PATH, Vst3EditorHost::Support::runLoop);
    ASSERT_EQ(vst3.attach(), kResultOk);
    void* found = nullptr;
    ASSERT_EQ(vst3.view->queryInterface(IPlugViewContentScaleSupport::iid.bytes, &found), kResultOk);
    auto* scaling = static_cast<IPlugViewContentScaleSupport*>(found);
    EXPECT_EQ(scaling->setContentScaleFactor(std::numeric_limits<float>::quiet_NaN()), kResultFalse);
    ASSERT_EQ(scaling->setContentScaleFactor(2.0f), kResultOk);
    EXPECT_TRUE(vst3.resizeRequests().empty()) << "asked for room inside the host's call";
    vst3.runFor(100);
    ViewRect size{};
    ASSERT_EQ(vst3.view->getSize(&size), kResultOk);
    EXPECT_EQ(size.right - size.left, 1354);
    EXPECT_EQ(size.bottom - size.top, 960);
    ASSERT_EQ(vst3.resizeRequests().size(), 1u);
    EXPECT_EQ(vst3.resizeRequests().back().right, 1354);
    EXPECT_STREQ(vst3.resizeRequestsDuring().back(), quenchbox::host::HostContext::kRunLoop);
    XWindowAttributes window{};
    XSync(vst3.display, False);
    XGetWindowAttributes(vst3.display, childOf(vst3.display, vst3.parent), &window);
    EXPECT_EQ(window.width, 1354);
    EXPECT_EQ(window.height, 960);

    ViewRect proposed{10, 20, 10 + 1000, 20 + 1000};
    ASSERT_EQ(vst3.view->checkSizeConstraint(&proposed), kResultTrue);
    EXPECT_EQ(proposed.right - proposed.left, 846);  // 1.25: the largest step within 1000 x 1000
    EXPECT_EQ(proposed.bottom - proposed.top, 600);
    EXPECT_EQ(proposed.left, 10);
    ViewRect frame{0, 0, 1100, 800};
    ASSERT_EQ(vst3.view->onSize(&frame), kResultOk);
    ASSERT_EQ(vst3.view->getSize(&size), kResultOk);
    EXPECT_EQ(size.right - size.left, 1016);  // 1.5
    EXPECT_EQ(size.bottom - size.top, 720);
    scaling->release();
    vst3.detach();
}

TEST(Vst3Editor, OneViewAtATimeAndNoneWithoutARunLoop)
{
    Vst3EditorHost vst3(QUENCHBOX_VST3_PATH, Vst3EditorHost::Support::runLoop);
    ASSERT_EQ(vst3.attach(), kResultOk);
    IPlugView* second = vst3.instance().controller().createView("editor");
    ASSERT_NE(second, nullptr);
    second->setFrame(&vst3);
    EXPECT_EQ(second->attached(reinterpret_cast<void*>(vst3.parent), kPlatformTypeX11EmbedWindowID), kResultFalse);
    second->release();
    EXPECT_EQ(vst3.view->attached(reinterpret_cast<void*>(vst3.parent), kPlatformTypeX11EmbedWindowID),
              kResultFalse);  // attached already
    vst3.detach();

    Vst3EditorHost bare(QUENCHBOX_VST3_PATH, Vst3EditorHost::Support::none);
    EXPECT_EQ(bare.attach(), kResultFalse);
    EXPECT_EQ(bare.timers(), 0);
    XSync(bare.display, False);
    EXPECT_EQ(childOf(bare.display, bare.parent), 0u);
    // Released before removed: the view takes its window with it.
    Vst3EditorHost early(QUENCHBOX_VST3_PATH, Vst3EditorHost::Support::runLoop);
    ASSERT_EQ(early.attach(), kResultOk);
    early.view->release();
    early.view = nullptr;
    XSync(early.display, False);
    EXPECT_EQ(childOf(early.display, early.parent), 0u);
    EXPECT_EQ(early.timers(), 0);
}

}  // namespace
}  // namespace editortest
