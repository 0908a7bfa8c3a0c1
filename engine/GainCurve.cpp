#include "engine/GainCurve.h"

#include <cmath>

namespace quenchbox::engine {

namespace {

// Relative error at which a root counts as solved.
constexpr double kTolerance = 1e-13;
// The error estimate holds for steps small against the distance to the
// limit, where h'' changes fast.
constexpr double kLocalStep = 0.01;
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

// The curve's drive h(u) = u / (A p(u)) + feedback u at u, with h' and h''.
// With q = 1 / (A p) and r = 1 - c2 u^2 - 3 c4 u^4: h' = A q^2 r + feedback
// and h'' = A q^2 (r' - 2 A p' q r). None where p(u) <= 0 (at or beyond the
// limit, where the drive would be infinite).
bool GainCurve::pointAt(double u, double feedback, Point& point) const
{
    const double u2 = u * u;
    const double p = 1.0 + u2 * (c2 + c4 * u2);
    if (!(p > 0.0)) return false;
    const double q = 1.0 / (a * p);
    const double r = 1.0 - u2 * (c2 + 3.0 * c4 * u2);
    const double pSlope = u * (2.0 * c2 + 4.0 * c4 * u2);
    const double rSlope = -u * (2.0 * c2 + 12.0 * c4 * u2);
    const double aq2 = a * q * q;
    point = {u, u * q + feedback * u, aq2 * r + feedback, aq2 * (rSlope - 2.0 * a * pSlope * q * r)};
    return true;
}

// Chebyshev's method (Newton's step with the curvature's correction, error
// of the order of the step cubed) on h(u) = drive, kept inside a bracket:
// the first step from the neighbour's point starts close to the root, and a
// step that leaves the bracket bisects it instead. The solve ends when a
// Newton step from the last point would already leave an error below the
// tolerance, |h''| step^2 / (2 h'); the Chebyshev step taken from there is
// better still.
bool GainCurve::solve(double drive, double feedback, Point& from, double& root) const
{
    if (!regular() || !(drive >= from.drive) || !(feedback >= 0.0) || !std::isfinite(drive))
        return false;
    double below = from.output;
    double above = limit;
    Point at = from;
    for (int n = 0; n < kMaxSteps; ++n) {
        const double step = (drive - at.drive) / at.slope;
        const double bend = 0.5 * at.curvature / at.slope;
        const double next = at.output + step - bend * step * step;
        if (n > 0 && std::fabs(bend) * step * step <= kTolerance * at.output
            && std::fabs(step) <= kLocalStep * (limit - at.output)) {
            from = at;
            root = next;
            return true;
        }
        const double u = next >= below && next < above ? next : 0.5 * (below + above);
        if (!pointAt(u, feedback, at)) {
            above = u;
            at.output = 0.5 * (below + above);
            if (!pointAt(at.output, feedback, at)) return false;
        }
        (at.drive > drive ? above : below) = at.output;
    }
    return false;
}

}  // namespace quenchbox::engine
