// The preset text: what it writes for every parameter reads back, and what a
// damaged, foreign or hostile text does to the current settings.

#include "app/PresetFile.h"
#include "formats/shared/ParameterDescriptions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

using namespace quenchbox;
using app::ParameterValues;

namespace {

constexpr float kUntouched = -1.0f;  // no parameter ever holds it

void fill(ParameterValues& values, float value) { std::fill(std::begin(values), std::end(values), value); }

std::string header() { return std::string(app::kPresetHeader) + "\n"; }

bool allUntouched(const ParameterValues& values)
{
    return std::all_of(std::begin(values), std::end(values), [](float v) { return v == kUntouched; });
}

}  // namespace

TEST(PresetText, EveryParameterComesBackAsItsDisplayTextReadsAndThenExactly)
{
    for (int step = 0; step <= 1000; ++step) {
        ParameterValues values;
        fill(values, static_cast<float>(step) / 1000.0f);
        ParameterValues read;
        fill(read, kUntouched);
        const app::PresetReadResult result = app::readPreset(app::formatPreset("Sweep", values), read);
        ASSERT_TRUE(result.isPreset);
        ASSERT_TRUE(result.skipped.empty()) << result.skipped.front().reason;
        EXPECT_EQ(result.name, "Sweep");
        ParameterValues again;
        fill(again, kUntouched);
        app::readPreset(app::formatPreset("Sweep", read), again);
        for (int i = 0; i < effect::kParameterCount; ++i) {
            const std::string shown = formats::parameterText(i, values[i]);
            double expected = 0.0;
            ASSERT_TRUE(formats::parameterFromText(i, shown.c_str(), expected)) << shown;
            EXPECT_EQ(read[i], static_cast<float>(expected)) << effect::kParameters[i].name << " shown as " << shown;
            EXPECT_EQ(again[i], read[i]) << effect::kParameters[i].name << " shown as " << shown;
        }
    }
}

TEST(PresetText, WritesEveryParameterByNameInTableOrder)
{
    ParameterValues values;
    fill(values, 1.0f);
    const std::string text = app::formatPreset("Warm Crunch", values);
    EXPECT_EQ(text.rfind(header() + "name = Warm Crunch\nEnable = ON\nDrive = 1.00\n", 0), 0u) << text;
    EXPECT_NE(text.find("\nVoltage = 30.0 V\n"), std::string::npos) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), effect::kParameterCount + 2);
    // A name cannot add lines of its own.
    EXPECT_NE(app::formatPreset("Two\nLines", values).find("name = Two Lines\n"), std::string::npos);
}

TEST(PresetText, ATextThatIsNotAPresetChangesNothing)
{
    const std::string notPresets[] = {
        "",
        "\n \n\t\n",
        "Drive = 1\n",
        "# Quenchbox RZ settings\nzoom=150\n",
        "# Quenchbox RZ preset, but longer\nDrive = 1\n",
        std::string("\0# Quenchbox RZ preset\nDrive = 1\n", 32),
        "\x89PNG\r\n\x1a\n\xff\xfe\x01\x02" + header() + "Drive = 1\n",
    };
    for (const std::string& text : notPresets) {
        ParameterValues values;
        fill(values, kUntouched);
        const app::PresetReadResult result = app::readPreset(text, values);
        EXPECT_FALSE(result.isPreset) << text;
        EXPECT_TRUE(allUntouched(values)) << text;
    }
}

TEST(PresetText, ReadsPastBlanksCaseCrlfAByteOrderMarkAndComments)
{
    ParameterValues values;
    fill(values, kUntouched);
    const std::string text = "\xEF\xBB\xBF\r\n" + std::string(app::kPresetHeader) + "\r\n"
                             "# a comment\r\n\r\n  NAME\t=  Lead One  \r\n"
                             "drive=0.25\r\n  oa gain = 200\r\nVOLTAGE = 12 v\r\nrz mode = rz2\r\nMix = 75 %";
    const app::PresetReadResult result = app::readPreset(text, values);
    ASSERT_TRUE(result.isPreset);
    EXPECT_TRUE(result.skipped.empty()) << result.skipped.front().reason;
    EXPECT_EQ(result.name, "Lead One");
    EXPECT_EQ(values[effect::kDrive], 0.25f);
    EXPECT_EQ(formats::parameterText(effect::kOpAmpGain, values[effect::kOpAmpGain]), "200");
    EXPECT_EQ(formats::parameterText(effect::kVoltage, values[effect::kVoltage]), "12.0 V");
    EXPECT_EQ(values[effect::kRzMode], 1.0f);
    EXPECT_EQ(values[effect::kMix], 0.75f);
    // What the file does not name keeps its current value.
    EXPECT_EQ(values[effect::kBass], kUntouched);
}

TEST(PresetText, DamagedLinesAreSkippedAndReportedWhileTheRestLoads)
{
    ParameterValues values;
    fill(values, kUntouched);
    const std::string longLine(60000, 'x');
    const std::string text = header() +                                   // line 1
                             "Foo = 1\n"                                  // 2: unknown
                             "Drive = loud\n"                             // 3: unreadable
                             "just words\n"                               // 4: no '='
                             "= 0.5\n"                                    // 5: no name
                             "Level = 0.25\n"                             // 6: read
                             "Level = 0.75\n"                             // 7: again: the first counts
                             + std::string("Bass = 0.5\0junk\n", 16)      // 8: a NUL byte
                             + "Treble = 0.4\x01\n"                       // 9: a control byte
                             + longLine + " = 1\n"                        // 10: unknown, very long
                             "Middle = " + longLine + "\n"                // 11: unreadable, very long
                             "Deep = \xff\xfe\n"                          // 12: binary
                             "Voltage = 100 V\n"                          // 13: beyond the travel: clamped
                             "Scale = -3\n";                              // 14: the same at the other end
    const app::PresetReadResult result = app::readPreset(text, values);
    ASSERT_TRUE(result.isPreset);
    EXPECT_EQ(values[effect::kLevel], 0.25f);
    EXPECT_EQ(values[effect::kVoltage], 1.0f);
    EXPECT_EQ(values[effect::kScale], 0.0f);
    for (int untouched : {effect::kDrive, effect::kBass, effect::kTreble, effect::kMiddle, effect::kDeep})
        EXPECT_EQ(values[untouched], kUntouched) << effect::kParameters[untouched].name;

    ASSERT_EQ(result.skipped.size(), 10u);
    const int lines[] = {2, 3, 4, 5, 7, 8, 9, 10, 11, 12};
    for (std::size_t i = 0; i < result.skipped.size(); ++i) {
        EXPECT_EQ(result.skipped[i].line, lines[i]) << result.skipped[i].reason;
        EXPECT_LT(result.skipped[i].reason.size(), 120u) << "a report repeats at most a short piece of the line";
        EXPECT_EQ(result.skipped[i].reason.find('\0'), std::string::npos);
    }
    EXPECT_EQ(result.skipped[0].reason, "unknown name 'Foo'");
    EXPECT_EQ(result.skipped[1].reason, "'Drive' cannot read 'loud'");
    EXPECT_EQ(result.skipped[2].reason, "line 4 is not NAME = VALUE");
    EXPECT_EQ(result.skipped[4].reason, "'Level' is given again; the first one counts");
}

TEST(PresetText, AReportCutsALongNameBetweenCharacters)
{
    std::string name = "x";
    for (int i = 0; i < 30; ++i)
        name += "\xC3\xA9";  // two bytes each
    ParameterValues values;
    fill(values, kUntouched);
    const app::PresetReadResult result = app::readPreset(header() + name + " = 1\n", values);
    ASSERT_EQ(result.skipped.size(), 1u);
    EXPECT_EQ(result.skipped[0].reason, "unknown name '" + name.substr(0, 39) + "...'");
}
