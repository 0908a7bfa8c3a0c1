#ifndef QUENCHBOX_HOST_UPDATECOST_H
#define QUENCHBOX_HOST_UPDATECOST_H

#include <string>
#include <vector>

namespace quenchbox::host {

// What one coefficient update of the engine costs on the calling thread, per
// group of UpdateBits, in both circuit variants and with oversampling off and
// on. Each timed update follows a change of its group's setting to the other
// of two values, so that no section skips its work as unchanged.
struct UpdateCost {
    std::string group;        // e.g. "stages (Drive)"
    int mask = 0;             // the UpdateBits passed to DriveEngine::update
    int mode = 0;             // circuit variant, 0 or 1
    bool oversample = false;
    double medianMicroseconds = 0.0;
    double p95Microseconds = 0.0;      // 95 in 100 updates took no longer
    double longestMicroseconds = 0.0;  // on a shared machine, often a preemption
};

// One row per group, variant and oversampling setting, each timed over
// `updates` updates (an odd count gives a true median).
std::vector<UpdateCost> measureUpdateCosts(int updates = 201);

// The figures as a text table, one line per group: the median of each
// variant and oversampling column, and the group's largest 95th percentile.
std::string formatUpdateCosts(const std::vector<UpdateCost>& costs);

}  // namespace quenchbox::host

#endif
