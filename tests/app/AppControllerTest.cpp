// What the application's window does beside the panel, without a window:
// the preset commands with their name field, bank select to the user
// presets, MIDI learn from the control menu, the settings page's choices
// and the meters' ballistics.

#include "app/AppController.h"
#include "app/PresetFile.h"
#include "effect/Parameters.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace quenchbox::app {
namespace {

std::string scratchFolder()
{
    return (std::filesystem::temp_directory_path() / ("quenchbox-controller-" + std::to_string(getpid()))).string();
}

class AppControllerTest : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::remove_all(folder); }
    void TearDown() override { std::filesystem::remove_all(folder); }

    void typeAndConfirm(const std::string& text)
    {
        controller.type(text);
        controller.confirmField();
    }
    void tick() { controller.tick(now += 33, AudioState{}); }
    const ViewItem* itemFor(Command command, int argument = 0) const
    {
        static std::vector<ViewItem> items;
        items = controller.view();
        for (const ViewItem& item : items)
            if (item.command == command && item.argument == argument)
                return &item;
        return nullptr;
    }

    const std::string folder = scratchFolder();
    AppEngine engine;
    AppSettings settings;
    AppController controller{engine, settings, folder};
    long long now = 0;
};

TEST_F(AppControllerTest, PresetCommandsSaveRenameDeleteAndImportThroughTheNameField)
{
    // "Save" on a factory program asks for a name first.
    engine.effect().setParameter(effect::kDrive, 0.75);
    controller.press(Command::save, 0);
    ASSERT_TRUE(controller.fieldOpen());
    typeAndConfirm("Warm Crunch");
    EXPECT_FALSE(controller.fieldOpen());
    EXPECT_EQ(controller.entryName(controller.entry()), "Warm Crunch");
    EXPECT_TRUE(std::filesystem::exists(presetPath(folder, "Warm Crunch")));

    // A name that is taken or unusable keeps the field open with the text.
    controller.press(Command::saveAs, 0);
    typeAndConfirm("Warm Crunch");
    EXPECT_TRUE(controller.fieldOpen());
    EXPECT_FALSE(controller.message().empty());
    controller.cancelField();
    controller.press(Command::saveAs, 0);
    typeAndConfirm("../outside");
    EXPECT_TRUE(controller.fieldOpen()) << "no name leaves the preset folder";
    controller.cancelField();

    // Rename starts from the name; the erase key takes whole characters.
    controller.press(Command::rename, 0);
    for (int i = 0; i < 6; ++i)
        controller.eraseCharacter();
    typeAndConfirm("L\xC3\xA9" "ad");  // "Léad"
    EXPECT_EQ(controller.entryName(controller.entry()), "Warm L\xC3\xA9" "ad");
    controller.press(Command::rename, 0);
    controller.eraseCharacter();
    controller.eraseCharacter();
    controller.eraseCharacter();
    typeAndConfirm("ad");
    EXPECT_EQ(controller.entryName(controller.entry()), "Warm Lad") << "the two bytes of 'é' went as one";

    // Moving away and back loads the saved values.
    controller.press(Command::previousEntry, 0);
    EXPECT_NE(engine.effect().parameter(effect::kDrive), 0.75);
    controller.press(Command::nextEntry, 0);
    EXPECT_NEAR(engine.effect().parameter(effect::kDrive), 0.75, 1e-6);

    // Delete takes a second click.
    controller.press(Command::remove, 0);
    EXPECT_TRUE(std::filesystem::exists(presetPath(folder, "Warm Lad")));
    controller.press(Command::remove, 0);
    EXPECT_FALSE(std::filesystem::exists(presetPath(folder, "Warm Lad")));
    EXPECT_EQ(controller.entryCount(), effect::kProgramCount);

    // Import: a damaged preset loads what it can and says what it skipped; a
    // file that is not a preset changes nothing.
    const std::string shared = folder + "-shared.qbxpreset";
    std::ofstream(shared) << kPresetHeader << "\nname = Shared\nDrive = 0.25\nWobble = 3\n";
    controller.press(Command::importFile, 0);
    typeAndConfirm(shared);
    EXPECT_EQ(controller.entryName(controller.entry()), "Shared");
    EXPECT_NEAR(engine.effect().parameter(effect::kDrive), 0.25, 1e-6);
    EXPECT_NE(controller.message().find("skipped line 4"), std::string::npos) << controller.message();
    std::ofstream(shared, std::ios::trunc) << "Drive = 1\n";
    controller.press(Command::importFile, 0);
    typeAndConfirm(shared);
    EXPECT_TRUE(controller.fieldOpen());
    EXPECT_NEAR(engine.effect().parameter(effect::kDrive), 0.25, 1e-6);
    std::filesystem::remove(shared);
}

TEST_F(AppControllerTest, BankSelectReachesTheUserPresetsAndLearntControllersMoveTheirControls)
{
    engine.start(48000.0);
    engine.effect().setParameter(effect::kDrive, 0.5);
    controller.press(Command::saveAs, 0);
    typeAndConfirm("First");
    controller.press(Command::previousEntry, 0);
    engine.queueMidi({0xB0, 0, 1});  // bank 1: the user presets
    engine.queueMidi({0xC0, 0, 0});
    tick();
    EXPECT_EQ(controller.entryName(controller.entry()), "First");
    engine.queueMidi({0xB0, 0, 0});
    engine.queueMidi({0xC0, 3, 0});
    tick();
    EXPECT_EQ(controller.entry(), 3);

    effect::HostMenu menu;
    ASSERT_TRUE(controller.hostMenu(effect::kDrive, menu));
    ASSERT_EQ(menu.count, 2);
    EXPECT_STREQ(menu.items[0].label, "Learn MIDI CC");
    EXPECT_STREQ(menu.items[1].label, "Forget");
    EXPECT_FALSE(menu.items[1].enabled) << "nothing to forget yet";
    controller.chooseHostMenuItem(effect::kDrive, 0);
    engine.queueMidi({0xB0, 74, 127});
    tick();
    EXPECT_EQ(engine.controllerOf(effect::kDrive), 74);
    EXPECT_EQ(engine.effect().parameter(effect::kDrive), 1.0);
    EXPECT_EQ(controller.message(), "CC 74 moves Drive");

    // Learning another controller for the same control replaces the first.
    controller.chooseHostMenuItem(effect::kDrive, 0);
    engine.queueMidi({0xB0, 20, 0});
    tick();
    EXPECT_EQ(engine.controllerOf(effect::kDrive), 20);
    EXPECT_EQ(engine.midiMapping()[74], kUnmapped);
    ASSERT_TRUE(controller.hostMenu(effect::kDrive, menu));
    EXPECT_TRUE(menu.items[1].enabled);
    controller.chooseHostMenuItem(effect::kDrive, 1);
    EXPECT_EQ(engine.controllerOf(effect::kDrive), kUnmapped);
    EXPECT_FALSE(controller.hostMenu(effect::kParameterCount, menu));
}

TEST_F(AppControllerTest, SettingsPageChoicesStayInRangeAndTheInputIsOneClick)
{
    controller.setDeviceLister([] { return std::vector<std::string>{"hw:CARD=One", "hw:CARD=Two"}; });
    controller.press(Command::showSettings, 0);
    ASSERT_TRUE(controller.pageShown());
    ASSERT_NE(itemFor(Command::chooseInput, 1), nullptr);
    controller.press(Command::chooseInput, 1);
    EXPECT_EQ(engine.inputChoice(), InputChoice::second);
    EXPECT_TRUE(itemFor(Command::chooseInput, 1)->lit);

    for (int i = 0; i < 10; ++i)
        controller.press(Command::stepRate, 1);
    EXPECT_EQ(settings.sampleRate, 192000);
    for (int i = 0; i < 10; ++i)
        controller.press(Command::stepRate, -1);
    EXPECT_EQ(settings.sampleRate, 44100);
    settings.bufferFrames = 100;  // from a hand-edited settings file
    controller.press(Command::stepBuffer, 1);
    EXPECT_EQ(settings.bufferFrames, 128);
    for (int i = 0; i < 10; ++i)
        controller.press(Command::stepBuffer, -1);
    EXPECT_EQ(settings.bufferFrames, kFewestBufferFrames);
    controller.press(Command::stepDevice, 1);
    controller.press(Command::stepDevice, 1);
    controller.press(Command::stepDevice, 1);
    EXPECT_EQ(settings.device, "hw:CARD=Two");
    controller.press(Command::stepDevice, -1);
    controller.press(Command::stepDevice, -1);
    EXPECT_EQ(settings.device, "") << "the system's default comes first";
    EXPECT_FALSE(controller.takeAudioReopen());
    controller.press(Command::applyAudio, 0);
    EXPECT_TRUE(controller.takeAudioReopen());
    EXPECT_FALSE(controller.takeAudioReopen());
    controller.press(Command::closePage, 0);
    EXPECT_FALSE(controller.pageShown());
}

TEST(LevelMeter, JumpsUpFallsBackHoldsItsPeakAndLatchesTheClipLight)
{
    LevelMeter meter;
    meter.take(0.5f, 0);  // -6 dBFS
    EXPECT_NEAR(meter.barFraction(), 54.0 / 60.0, 1e-3);
    meter.take(0.0f, 1000);
    EXPECT_NEAR(meter.barFraction(), 34.0 / 60.0, 1e-3) << "20 dB a second";
    EXPECT_NEAR(meter.holdFraction(), 54.0 / 60.0, 1e-3) << "the peak stays";
    meter.take(0.0f, 2000);
    EXPECT_NEAR(meter.holdFraction(), 44.0 / 60.0, 1e-3) << "then falls from 1.5 s on";
    meter.take(0.0f, 10000);
    EXPECT_EQ(meter.barFraction(), 0.0);
    EXPECT_FALSE(meter.clipped());
    meter.take(1.0f, 10033);
    EXPECT_TRUE(meter.clipped());
    meter.take(0.0f, 60000);
    EXPECT_TRUE(meter.clipped()) << "until cleared";
    meter.clearClip();
    meter.take(std::nanf(""), 60033);
    EXPECT_TRUE(meter.clipped()) << "a sample that is not a number";
    EXPECT_EQ(meter.barFraction(), 1.0);
}

}  // namespace
}  // namespace quenchbox::app
