#include "host/UpdateCost.h"

#include "engine/DriveEngine.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>

namespace quenchbox::host {

namespace {

namespace bits = engine::UpdateBits;

// One group: its update mask and how to move its setting away from the
// timed value (false) and to it (true). `mode` is the column's variant.
struct Group {
    const char* name;
    int mask;
    std::function<void(engine::DriveEngine&, bool, int)> change;
};

const std::vector<Group>& groups()
{
    using engine::DriveEngine;
    static const std::vector<Group> all = {
        {"stages (Drive)", bits::kStages,
         [](DriveEngine& e, bool to, int) { e.drive = to ? 0.598553855 : 0.452168649; }},
        {"supply voltage", bits::kSupplyVoltage,
         [](DriveEngine& e, bool to, int) { e.supplyVoltage = to ? 30.0 : 9.0; }},
        {"op-amp gain", bits::kOpAmpGain, [](DriveEngine& e, bool to, int) { e.opAmpGain = to ? 300.0 : 200000.0; }},
        {"tone network (Bass/Middle/Treble)", bits::kToneNetwork,
         [](DriveEngine& e, bool to, int) { e.bass = to ? 0.6 : 0.5; }},
        // Into the column's variant from the other one.
        {"RZ Mode", bits::kToneNetwork | bits::kOutputFilter,
         [](DriveEngine& e, bool to, int mode) { e.mode = to ? mode : 1 - mode; }},
        {"Deep", bits::kDeepNetwork,
         [](DriveEngine& e, bool to, int) { e.deepAmount = to ? 0.802693067 : 0.604975743; }},
        {"output filter (Level)", bits::kOutputFilter,
         [](DriveEngine& e, bool to, int) { e.level = to ? 0.332096271 : 0.206835722; }},
        {"time scale (Scale)", bits::kTimeScale, [](DriveEngine& e, bool to, int) { e.scale = to ? 0.1 : 0.0; }},
        {"input coupling", bits::kInputCoupling, [](DriveEngine& e, bool to, int) { e.scale = to ? 0.1 : 0.0; }},
        {"all (rate / Oversample)", bits::kAll,
         [](DriveEngine& e, bool to, int) { e.samplePeriod = to ? 1.0 / 48000.0 : 1.0 / 44100.0; }},
    };
    return all;
}

double microsecondsOf(engine::DriveEngine& engine, int mask)
{
    const auto start = std::chrono::steady_clock::now();
    engine.update(mask);
    const auto end = std::chrono::steady_clock::now();
    return std::chrono::duration<double, std::micro>(end - start).count();
}

UpdateCost measure(const Group& group, int mode, bool oversample, int updates)
{
    auto engine = std::make_unique<engine::DriveEngine>();
    engine->mode = mode;
    engine->oversample = oversample;
    engine->update(bits::kAll);

    std::vector<double> times;
    times.reserve(static_cast<std::size_t>(updates));
    for (int n = -2; n < updates; ++n) {  // two untimed rounds warm the caches
        group.change(*engine, false, mode);
        engine->update(group.mask);
        group.change(*engine, true, mode);
        const double time = microsecondsOf(*engine, group.mask);
        if (n >= 0) times.push_back(time);
    }
    UpdateCost cost{group.name, group.mask, mode, oversample, 0.0, 0.0, 0.0};
    std::sort(times.begin(), times.end());
    cost.medianMicroseconds = times[times.size() / 2];
    cost.p95Microseconds = times[times.size() * 95 / 100];
    cost.longestMicroseconds = times.back();
    return cost;
}

}  // namespace

std::vector<UpdateCost> measureUpdateCosts(int updates)
{
    updates = std::max(updates, 1);
    std::vector<UpdateCost> costs;
    for (const Group& group : groups())
        for (int mode = 0; mode < 2; ++mode)
            for (bool oversample : {false, true}) costs.push_back(measure(group, mode, oversample, updates));
    return costs;
}

std::string formatUpdateCosts(const std::vector<UpdateCost>& costs)
{
    std::string text;
    char line[200];
    std::snprintf(line, sizeof line, "%-34s %6s %10s %10s %10s %10s %10s\n", "group (median us)", "mask", "RZ1",
                  "RZ1 8x", "RZ2", "RZ2 8x", "p95");
    text += line;
    for (std::size_t row = 0; row + 3 < costs.size(); row += 4) {
        double p95 = 0.0;
        for (std::size_t i = row; i < row + 4; ++i) p95 = std::max(p95, costs[i].p95Microseconds);
        std::snprintf(line, sizeof line, "%-34s  0x%03X %10.2f %10.2f %10.2f %10.2f %10.2f\n",
                      costs[row].group.c_str(), costs[row].mask, costs[row].medianMicroseconds,
                      costs[row + 1].medianMicroseconds, costs[row + 2].medianMicroseconds,
                      costs[row + 3].medianMicroseconds, p95);
        text += line;
    }
    return text;
}

}  // namespace quenchbox::host
