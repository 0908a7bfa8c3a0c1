#include "engine/GainCurve.h"

#include <cmath>

namespace quenchbox::engine {

namespace {

// Relative step below which the output counts as solved: one more step
// leaves an error of the order of its square.
constexpr double kSolvedStep = 1e-12;
constexpr int kMaxSteps = 100;

}  // namespace

GainCurve::GainCurve(double openLoopGain, double swing) : a(openLoopGain)
{
    const double m = swing + 1.0;
    const double c2Root = std::pow(openLoopGain, 0.01) / std::pow(m, 2.6);
    const double c4Root = std::pow(openLoopGain, 0.0001) / std::pow(m, 0.83);
    c2 = -9.0 * c2Root * c2Root;
    c4 = -6.0 * (c4Root * c4Root) * (c4Root * c4Root);
    // p(u) = 0 at u^2 = 2 / (-c2 + sqrt(c2^2 - 4 c4)), the positive root of
    // the quadratic in u^2, written without cancellation.
    if (std::isfinite(a) && a > 0.0 && std::isfinite(c2) && c2 <= 0.0 && std::isfinite(c4) && c4 < 0.0)
        limit = std::sqrt(2.0 / (-c2 + std::sqrt(c2 * c2 - 4.0 * c4)));
}

// For G > 0 the residual is convex and increasing in G, so after the first
// step the iterates approach the positive root from above and always converge.
double GainCurve::gainAt(double d) const
{
    double gain = 1.0;
    double f;
    do {
        const double u = gain * d;
        const double u2 = u * u;
        f = gain - a * (1.0 + c2 * u2 + c4 * u2 * u2);
        const double slope = 1.0 - (4.0 * c4 * u2 + 2.0 * c2) * u * d * a;
        gain -= f / slope;
    } while (std::fabs(f) > 0.001);
    return gain;
}

// Newton's method on h(u) = u / (A p(u)) + feedback u = drive, kept inside a
// bracket: from below the root the convex h makes a step overshoot, from
// above the steps fall monotonically onto it; a step that leaves the bracket
// (beyond the limit, where p <= 0) bisects it instead. Once a step is below
// the tolerance, one more step from the last evaluated point gives the root.
bool GainCurve::solve(double drive, double feedback, Point& from, double& root) const
{
    if (!regular() || !(drive >= from.drive) || !(feedback >= 0.0) || !std::isfinite(drive))
        return false;
    double below = from.output;
    double above = limit;
    double next = from.output + (drive - from.drive) / from.slope;
    for (int n = 0; n < kMaxSteps; ++n) {
        const double u = next > below && next < above ? next : 0.5 * (below + above);
        const double u2 = u * u;
        const double p = 1.0 + u2 * (c2 + c4 * u2);
        if (!(p > 0.0)) {
            above = u;
            next = above;  // bisect
            continue;
        }
        const double q = 1.0 / (a * p);
        const Point at{u, u * q + feedback * u, q * q * a * (1.0 - u2 * (c2 + 3.0 * c4 * u2)) + feedback};
        (at.drive > drive ? above : below) = u;
        const double step = (drive - at.drive) / at.slope;
        next = u + step;
        if (std::fabs(step) <= kSolvedStep * u) {
            from = at;
            root = next;
            return true;
        }
    }
    return false;
}

}  // namespace quenchbox::engine
