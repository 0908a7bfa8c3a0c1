// The Linux editor of the built library inside a DAW-like host under a
// virtual X server: pictures against the Windows editor's, every control
// against its parameter and the host's gestures, the meters, the response
// display, the about view, the update check, and the lifetimes hosts make.

// GoogleTest before Xlib, whose macros (None, Bool) clash with its names.
#include <gtest/gtest.h>

#include "EditorHost.h"


#include <cstdio>
#include <cstdlib>
#include <memory>

namespace editortest {
namespace {

constexpr int kScreamingSolo = 4;
constexpr int kLevels = 8;  // "within a few levels" of the Windows pixels
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
// The sanitizers hold freed memory back on purpose; leaks are LeakSanitizer's matter there.
constexpr bool kResidentMemoryMeansLeaks = false;
#else
constexpr bool kResidentMemoryMeansLeaks = true;
#endif

// Parameter indices and where their controls sit.
enum Parameter { kEnable, kDrive, kLevel, kBass, kMiddle, kTreble, kDeep, kVoltage, kOpAmpGain, kLeds, kScale,
                 kRzMode, kChannels, kOversample, kBright, kMix };

struct Place {
    int x;
    int y;
    int parameter;
};
constexpr Place kDialCentres[] = {{74, 218, kDrive},  {174, 218, kLevel},  {304, 218, kDeep},
                                  {404, 218, kBass},  {504, 218, kMiddle}, {604, 218, kTreble}};
constexpr int kSliderRows[] = {316, 356, 396, 436};
constexpr int kSliderParameters[] = {kVoltage, kOpAmpGain, kScale, kMix};
constexpr Place kButtonCentres[] = {{100, 20, kOversample}, {140, 20, kChannels}, {142, 330, kRzMode},
                                    {142, 370, kLeds},      {142, 410, kBright},  {142, 450, kEnable}};

const PluginLibrary& plugin()
{
    static PluginLibrary library(QUENCHBOX_PLUGIN_PATH);
    return library;
}

std::string besideTheTests(const std::string& name) { return std::string(QUENCHBOX_TEST_OUTPUT_DIR) + "/" + name; }

class EditorHostTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(plugin().loaded());
        host = std::make_unique<EditorHost>(plugin());
        ASSERT_TRUE(host->ready()) << "display " << host->display << " effect " << host->effect;
    }

    std::unique_ptr<EditorHost> host;
};

TEST_F(EditorHostTest, TellsTheHostItsSizeAndOpensInTheHostsWindow)
{
    EXPECT_EQ(host->effect->flags & effFlagsHasEditor, effFlagsHasEditor);
    ERect* rect = nullptr;
    ASSERT_EQ(host->dispatch(effEditGetRect, 0, 0, &rect), 1);
    EXPECT_EQ(rect->right - rect->left, 677);
    EXPECT_EQ(rect->bottom - rect->top, 480);
    EXPECT_EQ(host->dispatch(effEditOpen, 0, 0, nullptr), 0);  // no parent, no editor
    ASSERT_TRUE(host->openEditor());
    EXPECT_NE(host->editorWindow(), 0u);
    EXPECT_EQ(host->editorWindowName(), "ZUK Quenchbox RZ");
    host->closeEditor();
    EXPECT_EQ(host->editorWindow(), 0u);
}

TEST_F(EditorHostTest, PicturesMatchTheWindowsEditor)
{
    ASSERT_TRUE(host->openEditor());
    host->startAudio(0.6f);
    ASSERT_TRUE(host->idleWhileAudioPlays(EditorHost::kSettlingBlocks));
    const Picture standard = host->screenshot();
    host->dispatch(effSetProgram, 0, kScreamingSolo);
    ASSERT_TRUE(host->idleWhileAudioPlays(EditorHost::kSettlingBlocks));
    const Picture solo = host->screenshot();
    host->stopAudio();
    savePng(standard, besideTheTests("editor-linux-default.png"));
    savePng(solo, besideTheTests("editor-linux-screaming-solo.png"));

    const Picture windowsStandard = loadPng(QUENCHBOX_DOCS_DIR "/editor-default.png");
    const Picture windowsSolo = loadPng(QUENCHBOX_DOCS_DIR "/editor-screaming-solo.png");
    const double standardShare = matchingShare(standard, windowsStandard, kLevels);
    const double soloShare = matchingShare(solo, windowsSolo, kLevels);
    std::printf("pixels within %d levels of the Windows editor: default %.4f, Screaming Solo %.4f; "
                "within 2 levels: %.4f, %.4f; equal: %.4f, %.4f\n",
                kLevels, standardShare, soloShare, matchingShare(standard, windowsStandard, 2),
                matchingShare(solo, windowsSolo, 2), matchingShare(standard, windowsStandard, 0),
                matchingShare(solo, windowsSolo, 0));
    RecordProperty("defaultShare", std::to_string(standardShare));
    RecordProperty("screamingSoloShare", std::to_string(soloShare));
    // Outside the value texts and the meter-driven icons they match almost everywhere.
    EXPECT_GT(standardShare, 0.97);
    EXPECT_GT(soloShare, 0.97);
}

TEST_F(EditorHostTest, DragsOnEveryDialMoveItsParameterInOneGesture)
{
    host->effect->setParameter(host->effect, kRzMode, 1.0f);  // the Deep dial shows in the second variant
    ASSERT_TRUE(host->openEditor());
    host->idleFor(100);
    for (const Place& dial : kDialCentres) {
        host->effect->setParameter(host->effect, dial.parameter, 0.3f);
        host->idleFor(100);
        host->takeCalls();
        host->drag(dial.x, dial.y, dial.x, dial.y - 40);  // 2 px per percent upwards
        host->idleFor(100);
        EXPECT_NEAR(host->parameter(dial.parameter), 0.5f, 1e-6) << "dial of parameter " << dial.parameter;
        EXPECT_TRUE(isOneGesture(gestureOf(host->takeCalls(), dial.parameter))) << dial.parameter;
    }
    // A Ctrl-click sets the middle at once, as a gesture of its own.
    host->effect->setParameter(host->effect, kDrive, 0.2f);
    host->idleFor(100);
    host->takeCalls();
    host->click(kDialCentres[0].x, kDialCentres[0].y, ControlMask);
    host->idleFor(100);
    EXPECT_NEAR(host->parameter(kDrive), 0.5f, 1e-6);
    EXPECT_EQ(gestureOf(host->takeCalls(), kDrive), "BAE");
}

TEST_F(EditorHostTest, DragsOnEverySliderMoveItsParameterInOneGesture)
{
    ASSERT_TRUE(host->openEditor());
    host->idleFor(100);
    for (int s = 0; s < 4; ++s) {
        const int parameter = kSliderParameters[s];
        host->effect->setParameter(host->effect, parameter, 0.0f);
        host->idleFor(100);
        host->takeCalls();
        // The thumb's centre follows the pointer: 80% at 14 + 132 px.
        host->drag(350 + 14, kSliderRows[s] + 14, 350 + 14 + 132, kSliderRows[s] + 14);
        host->idleFor(100);
        EXPECT_NEAR(host->parameter(parameter), 0.8f, 1e-6) << "slider of parameter " << parameter;
        EXPECT_TRUE(isOneGesture(gestureOf(host->takeCalls(), parameter))) << parameter;
    }
}

TEST_F(EditorHostTest, ClicksOnEveryButtonToggleItsParameterInOneGesture)
{
    ASSERT_TRUE(host->openEditor());
    host->idleFor(100);
    for (const Place& button : kButtonCentres) {
        const float before = host->parameter(button.parameter);
        host->takeCalls();
        host->click(button.x, button.y);
        host->idleFor(100);
        EXPECT_EQ(host->parameter(button.parameter) > 0.5f, before <= 0.5f) << "button of parameter " << button.parameter;
        EXPECT_EQ(gestureOf(host->takeCalls(), button.parameter), "BAE") << button.parameter;
    }
}

TEST_F(EditorHostTest, StageIconsFollowTheMetersWhileAudioRuns)
{
    ASSERT_TRUE(host->openEditor());
    host->idleFor(200);
    const Picture silent = host->screenshot();
    host->startAudio(0.6f);
    ASSERT_TRUE(host->idleWhileAudioPlays(EditorHost::kSettlingBlocks));
    const Picture playing = host->screenshot();
    host->stopAudio();
    // The "Overdrive Stages" box holds the three icons.
    EXPECT_GT(differingPixels(silent, playing, 34, 80, 181, 58, kLevels), 200);
    // Nothing else moves but the response display.
    EXPECT_EQ(differingPixels(silent, playing, 0, 160, 677, 320, kLevels), 0);
}

TEST_F(EditorHostTest, ResponseDisplayRedrawsAfterAKnobChange)
{
    ASSERT_TRUE(host->openEditor());
    host->startAudio(0.1f);
    ASSERT_TRUE(host->idleWhileAudioPlays(EditorHost::kSettlingBlocks));
    const Picture before = host->screenshot();
    host->drag(kDialCentres[3].x, kDialCentres[3].y, kDialCentres[3].x, kDialCentres[3].y - 80);  // Bass up 40%
    ASSERT_TRUE(host->idleWhileAudioPlays(EditorHost::kSettlingBlocks));  // the glide lands and is published
    const Picture after = host->screenshot();
    host->stopAudio();
    EXPECT_GT(differingPixels(before, after, 464, 82, 180, 54, kLevels), 20);
}

TEST_F(EditorHostTest, AboutViewShowsTheAboutPanelWithTheTopButtons)
{
    ASSERT_TRUE(host->openEditor());
    host->idleFor(100);
    const Picture panel = host->screenshot();
    host->click(20, 20);
    host->idleFor(100);
    const Picture about = host->screenshot();
    savePng(about, besideTheTests("editor-linux-about.png"));
    EXPECT_GT(differingPixels(panel, about, 0, 160, 677, 320, kLevels), 10000);
    EXPECT_EQ(differingPixels(panel, about, 40, 0, 120, 40, kLevels), 0);  // update, HQ and channels stay
    // The dials take no drags while hidden.
    const float drive = host->parameter(kDrive);
    host->drag(kDialCentres[0].x, kDialCentres[0].y, kDialCentres[0].x, kDialCentres[0].y - 40);
    EXPECT_EQ(host->parameter(kDrive), drive);
    host->click(20, 20);
    host->idleFor(100);
    EXPECT_EQ(differingPixels(panel, host->screenshot(), 0, 40, 677, 440, kLevels), 0);
}

TEST_F(EditorHostTest, OpensAndClosesAHundredTimesWithoutKeepingXResourcesOrMemory)
{
    for (int i = 0; i < 10; ++i) {  // fontconfig and cairo fill their caches once
        ASSERT_TRUE(host->openEditor());
        host->dispatch(effEditIdle);
        host->closeEditor();
    }
    const long resources = resourcesOfAllClients(host->display);
    const long memory = residentKiB();
    ASSERT_GT(resources, 0);
    for (int i = 0; i < 100; ++i) {
        ASSERT_TRUE(host->openEditor());
        host->dispatch(effEditIdle);
        host->closeEditor();
    }
    EXPECT_EQ(resourcesOfAllClients(host->display), resources);  // every window, pixmap and picture gone
    if (kResidentMemoryMeansLeaks) {
        EXPECT_LT(residentKiB() - memory, 512);  // a leak of the panels or widget images would be megabytes
    }
    EXPECT_EQ(host->editorWindow(), 0u);
}

TEST_F(EditorHostTest, TwoEditorsOfTwoInstancesWorkAtOnce)
{
    EditorHost second(plugin());
    ASSERT_TRUE(second.ready());
    ASSERT_TRUE(host->openEditor());
    ASSERT_TRUE(second.openEditor());
    host->idleFor(100);
    second.idleFor(100);
    second.drag(kDialCentres[1].x, kDialCentres[1].y, kDialCentres[1].x, kDialCentres[1].y - 20);
    second.idleFor(100);
    EXPECT_NE(second.parameter(kLevel), host->parameter(kLevel));
    host->closeEditor();
    second.idleFor(100);  // the other editor goes on
    second.closeEditor();
}

TEST_F(EditorHostTest, HostThatNeverCallsIdleStillGetsAPanel)
{
    host->startAudio(0.5f);
    ASSERT_TRUE(host->openEditor());
    XSync(host->display, False);
    const Picture picture = host->screenshot();
    EXPECT_GT(matchingShare(picture, loadPng(QUENCHBOX_DOCS_DIR "/editor-default.png"), kLevels), 0.9);
    host->closeEditor();
    host->stopAudio();
}

TEST_F(EditorHostTest, ParentWindowDestroyedFirstLeavesAWorkingPlugin)
{
    ASSERT_TRUE(host->openEditor());
    host->startAudio(0.5f);
    host->idleFor(100);
    host->destroyParent();
    host->idleFor(100);
    host->closeEditor();
    ASSERT_TRUE(host->openEditor());  // a new window for the same editor
    host->idleFor(100);
    host->closeEditor();
    host->stopAudio();
}

TEST_F(EditorHostTest, NoDisplayMeansNoEditorAndAWorkingPlugin)
{
    const std::string display = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
    unsetenv("DISPLAY");
    Window fake = 12345;
    EXPECT_EQ(host->dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(fake)), 0);
    host->dispatch(effEditIdle);
    host->dispatch(effEditClose);
    setenv("DISPLAY", display.c_str(), 1);
    host->startAudio(0.5f);
    host->idleFor(50);
    host->stopAudio();
}

TEST_F(EditorHostTest, ClosingFromInsideAHostCallbackIsSafe)
{
    ASSERT_TRUE(host->openEditor());
    host->idleFor(100);
    // The power button's begin-edit reaches the host inside the editor's
    // idle, and this host closes the editor there.
    host->closeOnBeginEdit = true;
    host->click(142, 450);
    host->idleFor(50);
    EXPECT_EQ(host->editorWindow(), 0u);
    host->closeOnBeginEdit = false;
    ASSERT_TRUE(host->openEditor());
    host->idleFor(50);
}

}  // namespace
}  // namespace editortest
