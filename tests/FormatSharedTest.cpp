// What the newer plug-in formats share: parameter texts that read back, the
// saved state's codec, the latency figure and the host menu's flattening.

#include "effect/Parameters.h"
#include "formats/shared/HostMenuBuilder.h"
#include "formats/shared/Latency.h"
#include "formats/shared/ParameterDescriptions.h"
#include "formats/shared/StateCodec.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace {

namespace fx = quenchbox::effect;
namespace fmt = quenchbox::formats;

TEST(ParameterDescriptions, FullNamesStepsAndDefaultsOfProgramZero)
{
    EXPECT_STREQ(fx::kParameters[fx::kOversample].fullName, "Oversample");
    EXPECT_STREQ(fx::kParameters[fx::kOpAmpGain].fullName, "OA Gain");
    const float defaults[16] = {1, 0.33f, 0.5f, 0.5f, 0.5f, 0.5f, 0, 0.5f, 1, 1, 0.5f, 0, 0, 0, 0, 1};
    int stepped = 0;
    for (int i = 0; i < fx::kParameterCount; ++i) {
        EXPECT_EQ(fx::kParameters[i].defaultValue, defaults[i]) << i;
        stepped += fx::isStepped(fx::kParameters[i].kind) ? 1 : 0;
    }
    EXPECT_EQ(stepped, 6);  // four switches, RZ Mode and Channels
    EXPECT_EQ(fx::kParameters[fx::kChannels].kind, fx::ParameterKind::choice);
    EXPECT_EQ(fx::kParameters[fx::kBright].kind, fx::ParameterKind::toggle);
}

TEST(ParameterDescriptions, ValuesAreClampedAndSteppedOnesTruncated)
{
    EXPECT_EQ(fmt::sanitizeValue(fx::kDrive, 1.7), 1.0f);
    EXPECT_EQ(fmt::sanitizeValue(fx::kDrive, -3.0), 0.0f);
    EXPECT_EQ(fmt::sanitizeValue(fx::kDrive, std::numeric_limits<double>::quiet_NaN()), 0.0f);
    EXPECT_EQ(fmt::sanitizeValue(fx::kDrive, std::numeric_limits<double>::infinity()), 1.0f);
    EXPECT_EQ(fmt::sanitizeValue(fx::kEnable, 0.99), 0.0f);
    EXPECT_EQ(fmt::sanitizeValue(fx::kRzMode, 1.0), 1.0f);
}

TEST(ParameterDescriptions, TextsCarryUnitsAndReadBackWhatTheyPrint)
{
    EXPECT_EQ(fmt::parameterText(fx::kVoltage, 0.5), "9.0 V");
    EXPECT_EQ(fmt::parameterText(fx::kVoltage, 1.0), "30.0 V");
    EXPECT_EQ(fmt::parameterText(fx::kScale, 0.0), "-0.50");
    EXPECT_EQ(fmt::parameterText(fx::kMix, 0.25), "25%");
    EXPECT_EQ(fmt::parameterText(fx::kOpAmpGain, 1.0), "200000");
    for (int i = 0; i < fx::kParameterCount; ++i) {
        const int steps = fx::isStepped(fx::kParameters[i].kind) ? 1 : 1000;
        for (int n = 0; n <= steps; ++n) {
            const std::string text = fmt::parameterText(i, static_cast<double>(n) / steps);
            double value = -1.0;
            ASSERT_TRUE(fmt::parameterFromText(i, text.c_str(), value)) << i << " '" << text << "'";
            EXPECT_EQ(fmt::parameterText(i, value), text) << i;
        }
    }
}

TEST(ParameterDescriptions, PlainNumbersAndWordsAreRead)
{
    double v = -1.0;
    EXPECT_TRUE(fmt::parameterFromText(fx::kDrive, " 0.25 ", v));
    EXPECT_DOUBLE_EQ(v, 0.25);
    EXPECT_TRUE(fmt::parameterFromText(fx::kVoltage, "4.5", v));
    EXPECT_NEAR(v, 0.0, 1e-6);
    EXPECT_TRUE(fmt::parameterFromText(fx::kMix, "50", v));
    EXPECT_DOUBLE_EQ(v, 0.5);
    EXPECT_TRUE(fmt::parameterFromText(fx::kScale, "+0.10", v));
    EXPECT_NEAR(v, 0.6, 1e-6);
    EXPECT_TRUE(fmt::parameterFromText(fx::kOversample, "on", v));
    EXPECT_EQ(v, 1.0);
    EXPECT_TRUE(fmt::parameterFromText(fx::kRzMode, "RZ1", v));
    EXPECT_EQ(v, 0.0);
    EXPECT_TRUE(fmt::parameterFromText(fx::kChannels, "2", v));
    EXPECT_EQ(v, 1.0);
    EXPECT_TRUE(fmt::parameterFromText(fx::kOpAmpGain, "250", v));
    EXPECT_EQ(fmt::parameterText(fx::kOpAmpGain, v), "250");

    v = 0.75;
    for (const char* nonsense : {"", "loud", "1.2.3", "nan", "inf", "0.5 dB", "V"})
        EXPECT_FALSE(fmt::parameterFromText(fx::kDrive, nonsense, v)) << nonsense;
    EXPECT_FALSE(fmt::parameterFromText(16, "0.5", v));
    EXPECT_FALSE(fmt::parameterFromText(fx::kDrive, nullptr, v));
    EXPECT_EQ(v, 0.75);
}

TEST(Latency, EightSamplesOnlyWithOversampling)
{
    EXPECT_EQ(fmt::latencyFrames(0.0f), 0u);
    EXPECT_EQ(fmt::latencyFrames(0.5f), 0u);  // a switch acts on only above 0.5
    EXPECT_EQ(fmt::latencyFrames(1.0f), 8u);
}

fmt::EffectState sampleState()
{
    fmt::EffectState state;
    state.program = 4;
    std::memcpy(state.programName, "Screaming Solo", 14);
    for (int i = 0; i < fx::kParameterCount; ++i)
        state.values[i] = static_cast<float>(i) / 15.0f;
    return state;
}

TEST(StateCodec, RoundTripsEveryField)
{
    const fmt::EncodedState bytes = fmt::encodeState(sampleState());
    EXPECT_EQ(bytes.size(), 104u);
    EXPECT_EQ(std::memcmp(bytes.data(), "QBRZ\x01\0\0\0\x04\0\0\0Screaming Solo", 26), 0);
    fmt::EffectState decoded;
    ASSERT_TRUE(fmt::decodeState(bytes.data(), bytes.size(), decoded));
    EXPECT_EQ(decoded.program, 4);
    EXPECT_EQ(std::memcmp(decoded.programName, sampleState().programName, 24), 0);
    EXPECT_EQ(std::memcmp(decoded.values, sampleState().values, sizeof(decoded.values)), 0);
}

TEST(StateCodec, RefusesEveryDamagedTruncatedOrForeignRecord)
{
    const fmt::EncodedState good = fmt::encodeState(sampleState());
    fmt::EffectState untouched;
    untouched.program = 9;
    auto expectRefused = [&](const std::uint8_t* bytes, std::size_t size, const char* what) {
        fmt::EffectState state = untouched;
        EXPECT_FALSE(fmt::decodeState(bytes, size, state)) << what << " " << size;
        EXPECT_EQ(state.program, 9) << what;
    };
    for (std::size_t size = 0; size < good.size(); ++size)
        expectRefused(good.data(), size, "truncated");
    std::uint8_t longer[105] = {};
    std::memcpy(longer, good.data(), good.size());
    expectRefused(longer, sizeof(longer), "longer");
    for (std::size_t byte = 0; byte < good.size(); ++byte)
        for (int bit = 0; bit < 8; ++bit) {
            fmt::EncodedState damaged = good;
            damaged[byte] ^= static_cast<std::uint8_t>(1 << bit);
            expectRefused(damaged.data(), damaged.size(), "flipped bit");
        }
    expectRefused(nullptr, good.size(), "null");
}

TEST(StateCodec, RefusesIntactRecordsWithImpossibleContent)
{
    auto refuses = [](fmt::EffectState state) {
        const fmt::EncodedState bytes = fmt::encodeState(state);
        return !fmt::decodeState(bytes.data(), bytes.size(), state);
    };
    fmt::EffectState state = sampleState();
    state.program = 16;
    EXPECT_TRUE(refuses(state));
    state = sampleState();
    state.values[3] = std::numeric_limits<float>::quiet_NaN();
    EXPECT_TRUE(refuses(state));
    state.values[3] = 1.0001f;
    EXPECT_TRUE(refuses(state));
    state = sampleState();
    state.programName[20] = 'x';  // a byte after the name's terminator
    EXPECT_TRUE(refuses(state));
}

}  // namespace

namespace {

// ---- The host's menu for the editor ----

std::string labels(const fx::HostMenu& menu)
{
    std::string text;
    for (int i = 0; i < menu.count; ++i) {
        const fx::HostMenuItem& item = menu.items[i];
        text += item.separator ? std::string("--")
                               : item.label + std::string(item.enabled ? "" : "(off)") + (item.checked ? "(on)" : "");
        text += "|";
    }
    return text;
}

TEST(HostMenuBuilder, SubmenusBecomeHeadingsAndSeparatorsOnlyStandBetweenItems)
{
    fx::HostMenu menu;
    fmt::HostMenuBuilder builder(menu);
    builder.addSeparator();
    EXPECT_EQ(builder.addItem("Learn", true, true), 0);
    builder.addSeparator();
    builder.addSeparator();
    builder.beginSubmenu("Lanes", false);
    builder.beginSubmenu("Deeper", true);
    EXPECT_EQ(builder.addItem("Inner", true, false), 4);
    builder.endSubmenu();
    builder.addItem("Still off", true, false);
    builder.endSubmenu();
    builder.endSubmenu();  // one end too many
    builder.addHeading("Title");
    builder.addItem("On", true, false);
    builder.addSeparator();
    EXPECT_EQ(labels(menu), "Learn(on)|--|Lanes(off)|Deeper(off)|Inner(off)|--|Still off(off)|--|Title(off)|On|");
}

TEST(HostMenuBuilder, LabelsAreCutAtACharacterAndALongMenuWhereItFills)
{
    fx::HostMenu menu;
    fmt::HostMenuBuilder builder(menu);
    // 94 ASCII bytes, then a two-byte character that would end past the
    // field's 95 bytes of text.
    const std::string longLabel = std::string(94, 'a') + "\xC3\xA9" + "z";
    builder.addItem(longLabel.c_str(), true, false);
    EXPECT_EQ(std::string(menu.items[0].label), std::string(94, 'a'));
    builder.addItem(nullptr, true, false);
    EXPECT_STREQ(menu.items[1].label, "");
    for (int i = 0; i < 30; ++i) {
        builder.addSeparator();
        builder.addItem("x", true, false);
    }
    EXPECT_EQ(menu.count, fx::kMaxHostMenuItems);
    EXPECT_FALSE(menu.items[menu.count - 1].separator) << "no separator is left at the end";
    EXPECT_EQ(builder.addItem("late", true, false), -1);

    char small[4];
    fmt::copyLabel(small, "\xE2\x82\xAC!", 4);  // a three-byte character fills it exactly
    EXPECT_STREQ(small, "\xE2\x82\xAC");
    fmt::copyLabel(small, "a\xE2\x82\xAC", 4);
    EXPECT_STREQ(small, "a");
}

}  // namespace
