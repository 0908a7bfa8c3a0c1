// Two instances, each driven at once by an audio thread processing blocks and
// a user-interface thread that hammers everything else a host and the editor
// do: parameter writes and reads, display texts, program switches and
// renames, and the editor's curve reads under the display lock. Run under
// ThreadSanitizer, any race is a report; in every build no change may get
// lost and no sample may be NaN.

#include "EffectHarness.h"
#include "effect/ParameterMapping.h"
#include "effect/Programs.h"
#include "engine/MixLaw.h"
#include "engine/ResponseCurves.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

namespace {

using quenchbox::testing::EffectHarness;
namespace fx = quenchbox::effect;

constexpr auto kStressTime = std::chrono::milliseconds(1500);
constexpr int kBlock = 64;

class Instance {
public:
    explicit Instance(unsigned seed) : random(seed) { h.attachStubEditor(); }

    // Blocks of both formats, stereo, until stopped; counts non-finite samples.
    void audioThread(const std::atomic<bool>& stop)
    {
        h.announceChannels(2);
        std::vector<float> in(kBlock);
        std::vector<double> inDouble(kBlock);
        for (long block = 0; !stop.load(std::memory_order_relaxed); ++block) {
            for (int n = 0; n < kBlock; ++n) {
                in[n] = static_cast<float>(0.8 * std::sin(0.05 * static_cast<double>(block * kBlock + n)));
                inDouble[n] = in[n];
            }
            if (block % 2)
                countNonFinite(h.run(in, in));
            else
                countNonFinite(h.run(inDouble, inDouble));
        }
    }

    // Everything but audio, in random order, until stopped; then one last
    // write of every parameter, the values the engine must end up with.
    void interfaceThread(const std::atomic<bool>& stop)
    {
        std::uniform_real_distribution<float> unit(0.0f, 1.0f);
        while (!stop.load(std::memory_order_relaxed)) {
            switch (random() % 6) {
            case 0: h.set(random() % 16, unit(random)); break;
            case 1: h.get(random() % 16); break;
            case 2: h.text(effGetParamDisplay, random() % 16); break;
            case 3: h.dispatch(effSetProgram, 0, random() % 16); break;
            case 4: renameProgram(); break;
            default: readCurves(); break;
            }
        }
        for (int i = 0; i < 16; ++i) {
            lastWritten[i] = unit(random);
            h.set(i, lastWritten[i]);
        }
    }

    // One more block takes whatever the stress left pending.
    // Blocks enough for the glides of the last changes to land (20 ms).
    void settle()
    {
        const std::vector<double> silence(kBlock, 0.0);
        for (int frames = 0; frames < 2048; frames += kBlock)
            countNonFinite(h.run(silence, silence));
    }

    EffectHarness h;
    std::mt19937 random;
    float lastWritten[16] = {};
    std::atomic<long> nonFinite{0};

private:
    template <typename Sample>
    void countNonFinite(const std::vector<std::vector<Sample>>& out)
    {
        for (const auto& channel : out)
            for (Sample s : channel)
                if (!std::isfinite(s))
                    nonFinite.fetch_add(1, std::memory_order_relaxed);
    }

    void renameProgram()
    {
        char name[32] = {};
        std::snprintf(name, sizeof name, "Stress %u", static_cast<unsigned>(random() % 1000));
        h.dispatch(effSetProgramName, 0, 0, name);
    }

    // What the editor's timer does: take the dirty bits and rebuild the
    // curves from the published copies, all under the display lock.
    void readCurves()
    {
        std::lock_guard<fx::EffectLock> guard(h.effect->displayLockForEditor());
        h.effect->displayDirtyBits() = 0;
        curves.computeGrid(44100.0f, false);
        curves.computePre(h.effect->driveEngine());
        curves.computePost(h.effect->driveEngine());
    }

    quenchbox::engine::ResponseCurves curves;
};

// The program table is one per process: the stress edits and renames it, and
// the tests after this one expect the factory programs.
class ProgramTableGuard {
public:
    ProgramTableGuard()
    {
        for (int p = 0; p < fx::kProgramCount; ++p) {
            fx::programs::readValues(p, values[p]);
            fx::programs::copyName(p, names[p]);
        }
    }
    ~ProgramTableGuard()
    {
        for (int p = 0; p < fx::kProgramCount; ++p) {
            fx::programs::storeValues(p, values[p]);
            fx::programs::rename(p, names[p]);
        }
    }

private:
    float values[fx::kProgramCount][fx::kParameterCount];
    char names[fx::kProgramCount][32];
};

// The engine's settings are exactly the mapping of the last values written.
void expectEngineFollows(Instance& instance)
{
    const float* v = instance.lastWritten;
    const auto& e = instance.h.effect->driveEngine();
    EXPECT_EQ(e.enabled, fx::switchActsOn(v[fx::kEnable]) ? 1 : 0);
    EXPECT_EQ(e.drive, fx::driveFraction(v[fx::kDrive]));
    EXPECT_EQ(e.level, fx::levelFraction(v[fx::kLevel]));
    EXPECT_EQ(e.bass, fx::clampUnit(v[fx::kBass]));
    EXPECT_EQ(e.middle, fx::clampUnit(v[fx::kMiddle]));
    EXPECT_EQ(e.treble, fx::clampUnit(v[fx::kTreble]));
    EXPECT_EQ(e.deepAmount, fx::deepFraction(v[fx::kDeep]));
    EXPECT_EQ(e.supplyVoltage, fx::supplyVoltage(v[fx::kVoltage]));
    EXPECT_EQ(e.opAmpGain, fx::opAmpGain(v[fx::kOpAmpGain]));
    EXPECT_EQ(e.solverSection().ledsEnabled, fx::switchActsOn(v[fx::kLeds]));
    EXPECT_EQ(e.scale, fx::clampUnit(v[fx::kScale]) - 0.5f);
    EXPECT_EQ(e.mode, fx::twoWayChoice(v[fx::kRzMode]));
    EXPECT_EQ(e.oversample, fx::switchActsOn(v[fx::kOversample]));
    EXPECT_EQ(e.bright, fx::switchActsOn(v[fx::kBright]));
    EXPECT_EQ(e.wetGain, quenchbox::engine::equalPowerMix(fx::clampUnit(v[fx::kMix])).wet);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(instance.h.get(i), v[i]) << i;
}

TEST(ConcurrencyStress, AudioAndInterfaceThreadsOnTwoInstancesLoseNothing)
{
    const ProgramTableGuard factoryPrograms;
    Instance instances[2] = {Instance(1), Instance(2)};
    std::atomic<bool> stop{false};
    std::vector<std::thread> threads;
    for (Instance& instance : instances) {
        threads.emplace_back([&] { instance.audioThread(stop); });
        threads.emplace_back([&] { instance.interfaceThread(stop); });
    }
    std::this_thread::sleep_for(kStressTime);
    stop.store(true);
    for (std::thread& t : threads)
        t.join();

    for (Instance& instance : instances) {
        instance.settle();
        EXPECT_EQ(instance.nonFinite.load(), 0);
        expectEngineFollows(instance);
    }
}

}  // namespace
