// The editor's shared arithmetic, natively: which LEDs a dial lights, how
// drags move dials and sliders, the response display's strokes, the value
// texts, the version file, and how the shared logic talks to the host
// through its connection to the effect (gestures around drags and button
// presses).

#include "EffectHarness.h"
#include "RecordingWidgets.h"
#include "editor/DialModel.h"
#include "editor/EffectConnection.h"
#include "editor/EditorLayout.h"
#include "editor/EditorModel.h"
#include "editor/ScopePixels.h"
#include "editor/SliderModel.h"
#include "editor/VersionFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace quenchbox::editor {
namespace {

// The pixel of the dial's ring at `degrees` (screen angles, y down) and radius 42.
bool litAt(const DialModel& dial, float degrees)
{
    const float radians = degrees * 3.14159265f / 180.0f;
    return dial.lights(static_cast<int>(std::lround(47.0f + 42.0f * std::cos(radians))),
                       static_cast<int>(std::lround(47.0f + 42.0f * std::sin(radians))));
}

DialModel dialAt(int percent)
{
    DialModel dial;
    dial.buildBoundaries();
    dial.setValue(0, percent);
    return dial;
}

TEST(DialModelTest, LightsSegmentsFromTheStartOfTheSweep)
{
    // The first segment runs from -235 to -225 degrees.
    EXPECT_FALSE(litAt(dialAt(0), -230.0f));
    EXPECT_FALSE(litAt(dialAt(3), -230.0f));
    EXPECT_TRUE(litAt(dialAt(4), -230.0f));
    EXPECT_FALSE(litAt(dialAt(4), -220.0f));
    // 50 % lights fifteen segments, up to -85 degrees, just past the top.
    EXPECT_TRUE(litAt(dialAt(50), -90.0f));
    EXPECT_FALSE(litAt(dialAt(50), -80.0f));
    EXPECT_TRUE(litAt(dialAt(100), 50.0f));
    // Not in the gap at the bottom, nor inside or outside the ring, nor at the centre.
    EXPECT_FALSE(litAt(dialAt(100), 90.0f));
    EXPECT_FALSE(dialAt(100).lights(47, 47));
    EXPECT_FALSE(dialAt(100).lights(47, 20));
    EXPECT_FALSE(dialAt(100).lights(0, 0));
    // Without its tables (images not made) a dial lights nothing.
    DialModel bare;
    bare.setValue(0, 100);
    EXPECT_FALSE(litAt(bare, -230.0f));
}

TEST(DialModelTest, DragsOnePercentPerTwoPixelsFromWhereTheDragBegan)
{
    DialModel dial = dialAt(30);
    EXPECT_TRUE(dial.press(0, 100));  // grab the pointer
    dial.drag(60, false);
    EXPECT_EQ(dial.value(0), 50);
    dial.drag(-400, false);
    EXPECT_EQ(dial.value(0), 100);  // held at the ends
    dial.drag(500, false);
    EXPECT_EQ(dial.value(0), 0);
    dial.drag(58, true);  // 51: not a multiple of 10, so Shift leaves it
    EXPECT_EQ(dial.value(0), 0);
    dial.drag(60, true);
    EXPECT_EQ(dial.value(0), 50);
    // The right button during a left drag follows the same anchor, without a second grab.
    EXPECT_FALSE(dial.press(1, 0));
    EXPECT_FALSE(dial.release(0));  // ring 1 still drags: keep the pointer
    EXPECT_TRUE(dial.release(1));
    dial.drag(0, false);
    EXPECT_EQ(dial.value(0), 50);  // no drag, no change
}

TEST(SliderModelTest, TheThumbsCentreFollowsThePointer)
{
    SliderModel slider;
    slider.setThumbWidth(28);
    EXPECT_EQ(slider.value(0), -1);  // the first poll takes the parameter
    slider.setValue(0, 0);
    EXPECT_EQ(slider.thumbX(0), 0);
    slider.setValue(0, 100);
    EXPECT_EQ(slider.thumbX(0), 165);
    EXPECT_EQ(slider.thumbX(1), -1);  // channel 1 is never drawn
    EXPECT_TRUE(slider.press(0, 50));
    EXPECT_EQ(slider.value(0), 100);  // a press alone changes nothing
    slider.drag(14 + 132, false);
    EXPECT_EQ(slider.value(0), 80);
    slider.drag(-50, false);
    EXPECT_EQ(slider.value(0), 0);
    slider.drag(14 + 90, true);  // 54: Shift keeps multiples of 10 only
    EXPECT_EQ(slider.value(0), 0);
    EXPECT_TRUE(slider.release(0));
}

TEST(ScopePixelsTest, PointsAreShortStrokesThatACommitShowsOnce)
{
    const int width = 180;
    const int height = 54;
    std::vector<std::uint32_t> clean(width * height, 0x000000);
    ScopePixels scope;
    scope.reset(clean.data(), width, height);
    std::vector<std::uint32_t> shown(width * height, 0x123456);
    scope.plot(0.0f, 0.0f, 0xFFFFFF);  // the middle: row 27 full, fading two rows away
    scope.plot(0.0f, -1.0f, 0xFFFFFF);  // on the top bound: not drawn at all
    scope.commitInto(shown.data());
    EXPECT_EQ(shown[27 * width + 90], 0xFFFFFFu);
    EXPECT_EQ(shown[26 * width + 90], 0x7F7F7Fu);
    EXPECT_EQ(shown[28 * width + 90], 0x7F7F7Fu);
    EXPECT_EQ(shown[29 * width + 90], 0x000000u);
    EXPECT_EQ(shown[0 * width + 90], 0x000000u);
    scope.commitInto(shown.data());  // the next commit starts from the background
    EXPECT_EQ(shown[27 * width + 90], 0x000000u);
}

TEST(VersionFileTest, TheFirstRecordOfThisPlugInDecides)
{
    const unsigned char file[] = {'A', 'B', 'C', 'D', 1, 2, 3, 4, 'Y', 'L', 'P', 'T', 0xEA, 0x03, 0, 0,
                                  'Y', 'L', 'P', 'T', 0xEB, 0x03, 0, 0, 'Y', 'L', 'P'};
    EXPECT_EQ(findOwnVersion(file, 16), 1002u);
    EXPECT_EQ(findOwnVersion(file, 8), 0u);
    EXPECT_EQ(findOwnVersion(file + 16, 11), 1003u);
    EXPECT_EQ(findOwnVersion(file + 24, 3), 0u);  // a truncated record is ignored
    EXPECT_EQ(findOwnVersion(nullptr, 0), 0u);
    EXPECT_EQ(answerFor(0), UpdateAnswer::kNoInformation);
    EXPECT_EQ(answerFor(1001), UpdateAnswer::kLatest);
    EXPECT_EQ(answerFor(1000), UpdateAnswer::kNewer);
    EXPECT_EQ(answerFor(1002), UpdateAnswer::kNewer);
}

TEST(EditorModelTest, ValueTextsReadInTheUnitsOfEachSlider)
{
    char text[64];
    const auto format = [&](int slider, int percent) {
        EditorModel::formatValueText(slider, percent, text);
        return std::string(text);
    };
    EXPECT_EQ(format(0, 0), "4.5 V");
    EXPECT_EQ(format(0, 50), "9.0 V");
    EXPECT_EQ(format(0, 100), "30.0 V");
    EXPECT_EQ(format(1, 75), "75%");
    EXPECT_EQ(format(2, 50), "0%");
    EXPECT_EQ(format(2, 60), "+10%");
    EXPECT_EQ(format(2, 0), "-50%");
    EXPECT_EQ(format(3, 100), "100%");
}

std::string hostCalls;

VstIntPtr VSTCALLBACK recordingHost(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*, float opt)
{
    if (opcode == audioMasterVersion)
        return kVstVersion;
    if (opcode == audioMasterBeginEdit)
        hostCalls += "B" + std::to_string(index) + " ";
    else if (opcode == audioMasterEndEdit)
        hostCalls += "E" + std::to_string(index) + " ";
    else if (opcode == audioMasterAutomate)
        hostCalls += "A" + std::to_string(index) + "=" + std::to_string(std::lround(opt * 100)) + " ";
    return 0;
}

TEST(EditorModelTest, ADragIsOneGestureThatEndsWithItsLastValue)
{
    testing::EffectHarness h(recordingHost);
    h.removeEditor();  // this test's connection in place of the editor's
    EffectConnection connection(h.effect);
    RecordingWidgets widgets;
    EditorModel model(connection, widgets);
    model.refresh(0);  // the controls take the parameters
    EXPECT_EQ(widgets.texts[0], "9.0 V");
    hostCalls.clear();

    model.beginGesture(kFirstDial);  // Drive
    widgets.dials[0].setValue(0, 70);
    model.endGesture(kFirstDial);  // before any tick: the value still reaches the host
    model.endGesture(kFirstDial);  // a second release tells nothing
    EXPECT_EQ(hostCalls, "B1 A1=70 E1 ");
    EXPECT_FLOAT_EQ(h.get(effect::kDrive), 0.7f);

    hostCalls.clear();
    model.beginGesture(kFirstSlider);  // Voltage
    widgets.sliders[0].setValue(0, 100);
    model.refresh(0);
    model.endGesture(kFirstSlider);
    EXPECT_EQ(hostCalls, "B7 A7=100 E7 ");
    EXPECT_EQ(widgets.texts[0], "30.0 V");
}

TEST(EditorModelTest, ButtonsWriteTheirParameterAsAGestureOfItsOwn)
{
    testing::EffectHarness h(recordingHost);
    h.removeEditor();  // this test's connection in place of the editor's
    EffectConnection connection(h.effect);
    RecordingWidgets widgets;
    EditorModel model(connection, widgets);
    hostCalls.clear();
    EXPECT_TRUE(model.onButton(kModeButton, true));
    EXPECT_EQ(hostCalls, "B11 A11=100 E11 ");
    EXPECT_TRUE(widgets.shown[kDeepDial]);
    EXPECT_FALSE(model.onButton(kUpdateButton, true));  // the layer's own
    // The about view hides every control but the four top buttons.
    EXPECT_TRUE(model.onButton(kAboutButton, true));
    EXPECT_TRUE(model.aboutShown());
    EXPECT_FALSE(widgets.shown[kFirstDial]);
    EXPECT_TRUE(widgets.shown[kAboutButton]);
    EXPECT_TRUE(widgets.shown[kOversampleButton]);
    model.onButton(kAboutButton, false);
    EXPECT_TRUE(widgets.shown[kFirstDial]);
}

TEST(EditorModelTest, HostChangesReachTheControlsAndTheDeepDial)
{
    testing::EffectHarness h;
    h.removeEditor();  // this test's connection in place of the editor's
    EffectConnection connection(h.effect);
    RecordingWidgets widgets;
    EditorModel model(connection, widgets);
    h.set(effect::kRzMode, 0.5f);  // exactly 0.5 is on
    h.set(effect::kBass, 0.26f);
    model.refresh(0);
    EXPECT_EQ(widgets.states[kModeButton - kOversampleButton], 1u);
    EXPECT_TRUE(widgets.shown[kDeepDial]);
    EXPECT_EQ(widgets.dials[3].value(0), 26);
    h.set(effect::kRzMode, 0.49f);
    model.refresh(0);
    EXPECT_FALSE(widgets.shown[kDeepDial]);
}

}  // namespace
}  // namespace quenchbox::editor
