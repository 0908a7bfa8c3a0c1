// The application's engine around the adapter: the safeguards of the first
// start, the input choice, and MIDI handed from the audio thread.

#include "app/AppEngine.h"

#include <gtest/gtest.h>

#include <vector>

namespace quenchbox::app {
namespace {

constexpr std::uint32_t kFrames = 256;

struct Period {
    std::vector<float> in1 = std::vector<float>(kFrames, 0.25f);
    std::vector<float> in2 = std::vector<float>(kFrames, -0.5f);
    std::vector<float> out1 = std::vector<float>(kFrames, 9.0f);
    std::vector<float> out2 = std::vector<float>(kFrames, 9.0f);

    void run(AppEngine& engine) { engine.process(in1.data(), in2.data(), out1.data(), out2.data(), kFrames); }
    bool silent() const
    {
        for (std::uint32_t i = 0; i < kFrames; ++i)
            if (out1[i] != 0.0f || out2[i] != 0.0f)
                return false;
        return true;
    }
};

TEST(AppEngine, NothingHowlsBeforeTheMonitorAndNothingSoundsBeforeTheStart)
{
    AppEngine engine;
    ASSERT_TRUE(engine.created());
    Period period;
    period.run(engine);
    EXPECT_TRUE(period.silent()) << "before the start";
    engine.start(48000.0);
    engine.effect().setParameter(effect::kEnable, 0.0);  // the dry signal, to see the input
    period.run(engine);
    EXPECT_TRUE(period.silent()) << "the monitor is off";
    engine.setMonitor(true);
    for (int i = 0; i < 20; ++i)  // past the switch's fade
        period.run(engine);
    EXPECT_NEAR(period.out1.back(), 0.25f, 1e-6);
    EXPECT_EQ(period.out2.back(), period.out1.back()) << "the mono guitar on both outputs";
    engine.setInput(InputChoice::second);
    for (int i = 0; i < 20; ++i)
        period.run(engine);
    EXPECT_NEAR(period.out1.back(), -0.5f, 1e-6);
    // A period longer than the engine's longest is processed in pieces.
    std::vector<float> longIn(AppEngine::kMaxFrames + 100, 0.25f);
    std::vector<float> longOut1(longIn.size()), longOut2(longIn.size());
    engine.setInput(InputChoice::first);
    engine.process(longIn.data(), nullptr, longOut1.data(), longOut2.data(), static_cast<std::uint32_t>(longIn.size()));
    EXPECT_NEAR(longOut1.back(), 0.25f, 1e-6);
}

TEST(AppEngine, MidiFromTheAudioThreadSelectsProgramsAndMovesMappedControls)
{
    AppEngine engine;
    std::array<int, kMidiControllerCount> map;
    map.fill(kUnmapped);
    map[74] = effect::kDrive;
    map[64] = effect::kEnable;
    engine.setMidiMap(map);
    EXPECT_TRUE(engine.queueMidi({0xC3, 4, 0}));   // program change, any channel
    EXPECT_TRUE(engine.queueMidi({0xC0, 99, 0}));  // no such program: ignored
    EXPECT_TRUE(engine.queueMidi({0xB0, 74, 127}));
    EXPECT_TRUE(engine.queueMidi({0xB0, 64, 63}));  // the footswitch: off below 64
    EXPECT_TRUE(engine.queueMidi({0xB0, 75, 10}));  // not mapped
    EXPECT_EQ(engine.applyMidi(), 5);
    EXPECT_EQ(engine.effect().program(), 4);
    EXPECT_EQ(engine.effect().parameter(effect::kDrive), 1.0);
    EXPECT_EQ(engine.effect().parameter(effect::kEnable), 0.0);
    EXPECT_TRUE(engine.queueMidi({0xB0, 64, 64}));
    engine.applyMidi();
    EXPECT_EQ(engine.effect().parameter(effect::kEnable), 1.0);
    // A full queue drops what does not fit, and says so.
    int queued = 0;
    while (engine.queueMidi({0xB0, 74, 0}) && queued < 1000)
        ++queued;
    EXPECT_EQ(queued, 256);
    EXPECT_EQ(engine.applyMidi(), 256);
}

}  // namespace
}  // namespace quenchbox::app
