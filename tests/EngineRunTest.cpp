// The engine takes runs of frames and works on them with its sections
// pipelined (the op-amp stages one circuit-rate sample ahead of the LED
// solve), and stereo frames with both channels in lock-step. None of that may
// show: a run gives exactly what the same frames give one call at a time.

#include "engine/DriveEngine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

using quenchbox::engine::DriveEngine;
using quenchbox::engine::EngineSample;
namespace UpdateBits = quenchbox::engine::UpdateBits;

void configure(DriveEngine& e, bool oversample, int mode)
{
    e.oversample = oversample;
    e.mode = mode;
    e.drive = 1.0;
    e.supplyVoltage = 30.0;  // the stages drive the LEDs beyond their table
    e.update(UpdateBits::kAll);
}

EngineSample sampleOf(double input, int channel)
{
    EngineSample s;
    s.input = input;
    s.channel = channel;
    return s;
}

void expectSame(const EngineSample& a, const EngineSample& b, int n)
{
    ASSERT_EQ(a.output, b.output) << n;
    ASSERT_EQ(a.input, b.input) << n;
    ASSERT_EQ(a.solverMonitor, b.solverMonitor) << n;
    ASSERT_EQ(a.stageAMonitor, b.stageAMonitor) << n;
    ASSERT_EQ(a.stageBMonitor, b.stageBMonitor) << n;
}

double left(int n) { return 0.9 * std::sin(0.031 * n) + 0.2 * std::sin(0.4 * n); }
double right(int n) { return 0.5 * std::sin(0.017 * n + 1.0); }

TEST(EngineRuns, GiveExactlyWhatSingleCallsGive)
{
    const int lengths[] = {1, 7, 32, 33, 64, 100, 3};
    for (bool oversample : {false, true})
        for (int mode : {0, 1}) {
            DriveEngine singles, runs, frameSingles, frameRuns;
            for (DriveEngine* e : {&singles, &runs, &frameSingles, &frameRuns})
                configure(*e, oversample, mode);
            int n = 0;
            for (int length : lengths) {
                std::vector<EngineSample> run, runLeft, runRight;
                for (int k = 0; k < length; ++k) {
                    run.push_back(sampleOf(left(n + k), 0));
                    runLeft.push_back(sampleOf(left(n + k), 0));
                    runRight.push_back(sampleOf(right(n + k), 1));
                }
                runs.processSamples(run.data(), length);
                frameRuns.processFrames(runLeft.data(), runRight.data(), length);
                for (int k = 0; k < length; ++k, ++n) {
                    EngineSample single = sampleOf(left(n), 0);
                    singles.processSample(single);
                    expectSame(run[k], single, n);
                    EngineSample l = sampleOf(left(n), 0);
                    EngineSample r = sampleOf(right(n), 1);
                    frameSingles.processFrame(l, r);
                    expectSame(runLeft[k], l, n);
                    expectSame(runRight[k], r, n);
                }
            }
            EXPECT_GT(singles.solveCounts().mostPasses, 1) << "the LEDs clipped";
        }
}

}  // namespace
