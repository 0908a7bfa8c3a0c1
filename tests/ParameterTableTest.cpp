// The parameter table against what it feeds: the display texts read back
// into the values they were printed from, and every plug-in format lists
// the names, units, steps and defaults the table holds.

#include "effect/ParameterMapping.h"
#include "effect/Parameters.h"
#include "effect/Programs.h"
#include "formats/shared/ParameterDescriptions.h"
#include "host/Plugin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

namespace fx = quenchbox::effect;
namespace fmt = quenchbox::formats;
using quenchbox::host::ParameterListing;

std::string display(int index, float value)
{
    char text[8] = "";
    fx::formatParameterDisplay(index, value, text);
    return text;
}

// Every hundredth step of the range, its ends and their neighbours, the
// switching points, and random values.
std::vector<float> manyValues()
{
    std::vector<float> values;
    for (int n = 0; n <= 10000; ++n)
        values.push_back(static_cast<float>(n) / 10000.0f);
    for (float v : {0.0f, 0.5f, 1.0f}) {
        values.push_back(std::nextafter(v, -1.0f));
        values.push_back(std::nextafter(v, 2.0f));
    }
    std::mt19937 random(22);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    for (int n = 0; n < 10000; ++n)
        values.push_back(unit(random));
    return values;
}

TEST(ParameterTable, EveryDisplayTextReadsBackIntoAValueThatShowsIt)
{
    const std::vector<float> values = manyValues();
    for (int i = 0; i < fx::kParameterCount; ++i) {
        for (const float v : values) {
            const std::string text = display(i, v);
            double back = -1.0;
            ASSERT_TRUE(fx::readParameterDisplay(i, text.c_str(), back)) << i << " '" << text << "'";
            EXPECT_EQ(display(i, fmt::sanitizeValue(i, back)), text) << fx::parameterName(i) << " at " << v;
            const std::string withUnit = fmt::parameterText(i, v);
            ASSERT_TRUE(fmt::parameterFromText(i, withUnit.c_str(), back)) << withUnit;
            EXPECT_EQ(fmt::parameterText(i, back), withUnit) << fx::parameterName(i) << " at " << v;
        }
    }
}

TEST(ParameterTable, TheSupplyTextReadsBackThroughTheTapersOwnInverse)
{
    for (const float v : manyValues())
        EXPECT_NEAR(fx::supplyVoltageSetting(fx::supplyVoltage(v)), v, 2e-6) << v;
    double value = -1.0;
    ASSERT_TRUE(fx::readParameterDisplay(fx::kVoltage, "9.0", value));
    EXPECT_NEAR(value, 0.5, 1e-6);
    ASSERT_TRUE(fx::readParameterDisplay(fx::kVoltage, "30.0", value));
    EXPECT_NEAR(value, 1.0, 1e-6);
}

TEST(ParameterTable, TheFactoryDefaultProgramIsTheTablesDefaults)
{
    float program0[fx::kParameterCount];
    fx::programs::readValues(0, program0);
    for (const fx::ParameterInfo& p : fx::kParameters)
        EXPECT_EQ(program0[p.index], p.defaultValue) << p.name;
}

TEST(ParameterTable, NamesAndSymbolsAreDistinctAndEveryEditorControlDrivesOneParameter)
{
    for (int i = 0; i < fx::kParameterCount; ++i) {
        for (int j = i + 1; j < fx::kParameterCount; ++j) {
            EXPECT_STRNE(fx::kParameters[i].fullName, fx::kParameters[j].fullName);
            EXPECT_STRNE(fx::kParameters[i].lv2Symbol, fx::kParameters[j].lv2Symbol);
            EXPECT_NE(fx::kParameters[i].control, fx::kParameters[j].control);
        }
        EXPECT_EQ(fx::parameterDriving(fx::kParameters[i].control), i);
    }
}

// ---- What every format lists ----

struct Format {
    const char* name;
    const char* path;
};

void PrintTo(const Format& format, std::ostream* out) { *out << format.name; }

class FormatListing : public ::testing::TestWithParam<Format> {};

TEST_P(FormatListing, NamesUnitsStepsAndDefaultsAreTheTables)
{
    const auto plugin = quenchbox::host::loadPlugin(GetParam().path);
    ASSERT_GE(plugin->parameterCount(), fx::kParameterCount);
    for (const fx::ParameterInfo& p : fx::kParameters) {
        const ParameterListing listed = plugin->parameterListing(p.index);
        if (std::strcmp(GetParam().name, "VST 2.4") == 0)
            EXPECT_EQ(listed.name, std::string(p.name).substr(0, 8));  // hosts cut names to eight characters
        else
            EXPECT_EQ(listed.name, p.fullName);
        EXPECT_EQ(listed.unit.value_or(p.unit), p.unit) << p.name;
        EXPECT_EQ(listed.steps.value_or(fx::stepCount(p.kind)), fx::stepCount(p.kind)) << p.name;
        EXPECT_EQ(listed.defaultValue.value_or(p.defaultValue), p.defaultValue) << p.name;
        EXPECT_EQ(listed.symbol.value_or(p.lv2Symbol), p.lv2Symbol) << p.name;
        // What plays first is the default, whatever the format lists.
        EXPECT_EQ(plugin->parameter(p.index), p.defaultValue) << p.name;
    }
}

INSTANTIATE_TEST_SUITE_P(EveryFormat, FormatListing,
                         ::testing::Values(Format{"VST 2.4", QUENCHBOX_PLUGIN_PATH}, Format{"CLAP", QUENCHBOX_CLAP_PATH},
                                           Format{"VST3", QUENCHBOX_VST3_PATH}, Format{"LV2", QUENCHBOX_LV2_BUNDLE}),
                         [](const ::testing::TestParamInfo<Format>& info) {
                             std::string name = info.param.name;
                             name.erase(std::remove_if(name.begin(), name.end(), [](char c) { return !std::isalnum(c); }),
                                        name.end());
                             return name;
                         });

}  // namespace
