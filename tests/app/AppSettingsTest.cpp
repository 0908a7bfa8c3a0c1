// The application's settings file: a round trip of every field, damaged and
// foreign files, and saves that were cut short.

#include "app/AppSettings.h"

#include "TemporaryHome.h"

#include <cmath>
#include <string>

using namespace quenchbox;

namespace {

class AppSettingsFile : public TemporaryHome {
protected:
    void SetUp() override
    {
        TemporaryHome::SetUp();
        path = app::appSettingsPath();
    }

    static app::AppSettings everythingChanged()
    {
        app::AppSettings settings;
        settings.device = "hw:CARD=Audio,DEV=0";
        settings.sampleRate = 96000;
        settings.bufferFrames = 64;
        settings.input = app::InputChoice::stereo;
        settings.monitor = true;
        settings.program = 15;
        settings.hasValues = true;
        for (int i = 0; i < effect::kParameterCount; ++i)
            settings.values[i] = std::nextafter(static_cast<float>(i) / 15.0f, 0.5f);
        settings.values[0] = 1e-7f;
        settings.midiMap[0] = effect::kDrive;
        settings.midiMap[7] = effect::kLevel;
        settings.midiMap[127] = effect::kOpAmpGain;
        settings.jackConnections[1] = "system:capture_4";
        settings.jackConnections[3] = "mixer:in 7";
        return settings;
    }

    std::string path;
};

}  // namespace

TEST_F(AppSettingsFile, LivesBesideTheEditorsSettings)
{
    EXPECT_EQ(path, (root / "config/quenchbox-rz/app-settings").string());
}

TEST_F(AppSettingsFile, EveryFieldRoundTripsAndValuesStayExact)
{
    EXPECT_EQ(app::readAppSettingsFile(path), app::AppSettings()) << "no file yet";
    const app::AppSettings saved = everythingChanged();
    ASSERT_TRUE(app::writeAppSettingsFile(path, saved));
    EXPECT_EQ(app::readAppSettingsFile(path), saved) << readFile(path);
    EXPECT_NE(readFile(path).find("\ncc7=Level\n"), std::string::npos);
    EXPECT_NE(readFile(path).find("\njack-in-2=system:capture_4\n"), std::string::npos);
}

TEST_F(AppSettingsFile, AForeignOversizedOrBinaryFileMeansTheDefaults)
{
    const std::string saved = app::formatAppSettings(everythingChanged());
    const std::string files[] = {
        "",
        "# Quenchbox RZ settings\nzoom=150\n",
        "rate=96000\n",
        saved.substr(0, 10),
        std::string(saved).insert(40, 1, '\0'),
        saved + std::string(20000, '#'),
    };
    for (const std::string& text : files) {
        writeFile(path, text);
        EXPECT_EQ(app::readAppSettingsFile(path), app::AppSettings()) << text.substr(0, 60);
    }
}

TEST_F(AppSettingsFile, ADamagedValueMeansThatKeysDefaultAndTheRestLoads)
{
    const app::AppSettings defaults;
    const std::string header = app::formatAppSettings(defaults).substr(0, app::formatAppSettings(defaults).find('\n') + 1);
    const app::AppSettings read = app::parseAppSettings(header +
        "rate=44101\nbuffer=5000\ninput=3\nmonitor=yes\nprogram=16\n"
        "values=0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\n"  // fifteen values
        "values=0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 1.5\n"
        "cc128=Drive\ncc-1=Drive\ncc5=Nonsense\nccx=Level\n"
        "future=1\n"
        "cc9=oa gain\r\n"
        "device=USB Interface\r\n");
    EXPECT_EQ(read.sampleRate, defaults.sampleRate);
    EXPECT_EQ(read.bufferFrames, defaults.bufferFrames);
    EXPECT_EQ(read.input, defaults.input);
    EXPECT_EQ(read.monitor, defaults.monitor);
    EXPECT_EQ(read.program, defaults.program);
    EXPECT_FALSE(read.hasValues);
    EXPECT_EQ(read.midiMap[5], app::kUnmapped);
    EXPECT_EQ(read.midiMap[9], effect::kOpAmpGain);
    EXPECT_EQ(read.device, "USB Interface");
}

TEST_F(AppSettingsFile, ADeviceNameThatWouldBreakTheFileIsNotWritten)
{
    app::AppSettings settings;
    settings.device = "evil\nrate=1";
    settings.sampleRate = 88200;
    ASSERT_TRUE(app::writeAppSettingsFile(path, settings));
    const app::AppSettings read = app::readAppSettingsFile(path);
    EXPECT_EQ(read.device, "");
    EXPECT_EQ(read.sampleRate, 88200);
}

TEST_F(AppSettingsFile, ASaveCutShortLeavesTheOldFileReadable)
{
    const app::AppSettings old = everythingChanged();
    ASSERT_TRUE(app::writeAppSettingsFile(path, old));
    // A crash between writing the temporary file and renaming it.
    writeFile(path + ".new", "# Quenchbox RZ application settings\nrate=4");
    EXPECT_EQ(app::readAppSettingsFile(path), old);
    // The next save writes over the leftover and takes its place.
    app::AppSettings changed = old;
    changed.bufferFrames = 1024;
    ASSERT_TRUE(app::writeAppSettingsFile(path, changed));
    EXPECT_EQ(app::readAppSettingsFile(path), changed);
    EXPECT_FALSE(std::filesystem::exists(path + ".new"));

    // A save that cannot write its temporary file fails and keeps the old one.
    std::filesystem::create_directory(path + ".new");
    EXPECT_FALSE(app::writeAppSettingsFile(path, old));
    EXPECT_EQ(app::readAppSettingsFile(path), changed);
}
