#include "EffectHarness.h"

#include "effect/Programs.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

namespace {

using quenchbox::testing::EffectHarness;

constexpr int kDrive = 1;

TEST(Programs, StartOnDefaultAndListTheFactoryNames)
{
    EffectHarness h;
    EXPECT_EQ(h.dispatch(effGetProgram), 0);
    const char* names[16] = {"Default",       "Fat Blues",    "Crunch",     "Grunge",  "Screaming Solo", "Rusk Solo",
                             "OpAmp Solo",    "Bright Crunch", "Modern Metal", "Smooth LED", "Default", "Default",
                             "Default",       "Default",      "Default",    "Default"};
    for (int p = 15; p >= 0; --p) {
        h.dispatch(effSetProgram, 0, p);
        EXPECT_EQ(h.text(effGetProgramName), names[p]);
    }
}

TEST(Programs, FactoryNamesOutlastRenames)
{
    namespace programs = quenchbox::effect::programs;
    programs::rename(3, "My Grunge");
    char name[quenchbox::effect::kProgramNameLength + 1];
    programs::copyFactoryName(3, name);
    EXPECT_STREQ(name, "Grunge");
    programs::copyName(3, name);
    EXPECT_STREQ(name, "My Grunge");
    programs::rename(3, "Grunge");
    programs::copyFactoryName(15, name);
    EXPECT_STREQ(name, "Default");
}

TEST(Programs, SelectingLoadsEveryValue)
{
    EffectHarness h;
    h.dispatch(effSetProgram, 0, 6);  // OpAmp Solo
    const float expected[16] = {1, 1, 0.5f, 0.5f, 0.6f, 0.5f, 0, 0, 0.5f, 0, 0.6f, 0, 0, 0, 1, 1};
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(h.get(i), expected[i]) << "parameter " << i;
}

TEST(Programs, LeavingAProgramKeepsItsEdits)
{
    EffectHarness h;
    h.dispatch(effSetProgram, 0, 1);
    h.set(kDrive, 0.7f);
    h.dispatch(effSetProgram, 0, 2);
    EXPECT_EQ(h.get(kDrive), 0.4f);
    h.dispatch(effSetProgram, 0, 1);
    EXPECT_EQ(h.get(kDrive), 0.7f);

    h.set(kDrive, 0.9f);
    h.dispatch(effSetProgram, 0, 1);  // already current: nothing reloads
    EXPECT_EQ(h.get(kDrive), 0.9f);
}

TEST(Programs, NumbersOutsideTheTableChangeNothing)
{
    EffectHarness h;
    h.dispatch(effSetProgram, 0, 3);
    h.set(kDrive, 0.123f);
    for (VstIntPtr program : {VstIntPtr{16}, VstIntPtr{-1}, VstIntPtr{1} << 40})
        h.dispatch(effSetProgram, 0, program);
    h.effect->setProgram(-1);
    h.effect->setProgram(16);
    EXPECT_EQ(h.dispatch(effGetProgram), 3);
    EXPECT_EQ(h.get(kDrive), 0.123f);
}

TEST(Programs, NamesAreCutToTwentyFourCharacters)
{
    EffectHarness h;
    h.dispatch(effSetProgram, 0, 3);
    char longName[] = "An extremely long program name";
    h.dispatch(effSetProgramName, 0, 0, longName);

    char buffer[40];
    std::memset(buffer, '#', sizeof buffer);
    h.dispatch(effGetProgramName, 0, 0, buffer);
    EXPECT_STREQ(buffer, "An extremely long progra");
    EXPECT_EQ(buffer[25], '#');  // 25 bytes written in all
    EXPECT_EQ(h.get(kDrive), 1.0f);  // renaming leaves the values alone

    char shortName[] = "Mine";
    h.dispatch(effSetProgramName, 0, 0, shortName);
    EXPECT_EQ(h.text(effGetProgramName), "Mine");
}

TEST(Programs, TheTableIsSharedByAllInstancesInAProcess)
{
    EffectHarness first;
    first.dispatch(effSetProgram, 0, 5);
    char name[] = "Shared";
    first.dispatch(effSetProgramName, 0, 0, name);
    first.set(kDrive, 0.2f);
    first.dispatch(effSetProgram, 0, 0);  // saves the edit into program 5

    EffectHarness second;
    second.dispatch(effSetProgram, 0, 5);
    EXPECT_EQ(second.text(effGetProgramName), "Shared");
    EXPECT_EQ(second.get(kDrive), 0.2f);
}

TEST(Programs, TwoInstancesMayWorkTheTableAtOnce)
{
    EffectHarness a;
    EffectHarness b;
    auto churn = [](EffectHarness& h, float drive) {
        char name[] = "Busy";
        for (int i = 0; i < 300; ++i) {
            h.dispatch(effSetProgram, 0, i % 4);
            h.set(kDrive, drive);
            h.dispatch(effSetProgramName, 0, 0, name);
            h.text(effGetProgramName);
        }
    };
    std::thread other(churn, std::ref(b), 0.25f);
    churn(a, 0.75f);
    other.join();
    for (int p = 0; p < 4; ++p) {
        a.dispatch(effSetProgram, 0, p);
        const float drive = a.get(kDrive);
        EXPECT_TRUE(drive == 0.25f || drive == 0.75f) << "program " << p;
    }
}

}  // namespace
