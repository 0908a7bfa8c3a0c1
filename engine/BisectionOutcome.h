#ifndef QUENCHBOX_ENGINE_BISECTIONOUTCOME_H
#define QUENCHBOX_ENGINE_BISECTIONOUTCOME_H

#include <cmath>

namespace quenchbox::engine {

// Bisection for a root in [lo, hi]: halve the bracket, keeping the half
// whose ends differ in sign, until it is at most `width` wide; the result is
// the last midpoint. An exact zero ends the search: a signed zero would
// otherwise pass the same-sign test for every later midpoint and walk the
// bracket away from the root.
//
// Its result depends only on which side of the root each midpoint lies, so
// once the root is known more precisely by other means, resultFor() gives
// the same result, bit for bit, without evaluating the function, as long as
// the root lies clearly apart from every midpoint the search tests;
// otherwise it declines and the caller bisects. Where the midpoints are
// computed without rounding (ends that are multiples of a power of two with
// few significant bits, as every rail the plug-in sets) the result follows
// from the root's position in closed form; elsewhere the search is replayed
// with each midpoint's side of the root for its sign.
class BisectionOutcome {
public:
    BisectionOutcome(double lo, double hi, double solvedWidth);

    // The bisection's result for a function whose sign differs on the two
    // sides of `root` (either way round) and that keeps its sign at every
    // point further than `margin` from it. False when a midpoint lies within
    // margin of the root, so that the function's value there decides.
    bool resultFor(double root, double margin, double& result) const;

private:
    bool replay(double root, double margin, double& result) const;

    double low;
    double high;
    double width;           // at which the bracket counts as solved
    bool valid = false;     // a bracket and a width the search can run on
    bool exact = false;     // every midpoint is computed without rounding
    double cell = 0.0;      // the bracket's width before the last halving
    double cells = 0.0;     // the number of such cells between the ends
    double cellsPerUnit = 0.0;
};

// The plain search, evaluating f at every midpoint.
template <typename Function>
double bisect(Function f, double lo, double hi, double width)
{
    double fLo = f(lo);
    if (fLo == 0.0) return lo;
    double mid;
    do {
        mid = (hi + lo) * 0.5;
        const double fMid = f(mid);
        if (fMid == 0.0) return mid;
        if (fMid * fLo >= 0.0) {
            lo = mid;
            fLo = fMid;
        } else {
            hi = mid;
        }
    } while (std::fabs(hi - lo) > width);
    return mid;
}

}  // namespace quenchbox::engine

#endif
