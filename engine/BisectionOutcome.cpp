#include "engine/BisectionOutcome.h"

#include <algorithm>
#include <cmath>

namespace quenchbox::engine {

namespace {

constexpr int kSignificantBits = 53;

// The exponent of the lowest set bit of x (x finite and non-zero).
int lowestBitExponent(double x)
{
    int exponent;
    const double fraction = std::frexp(std::fabs(x), &exponent);
    double mantissa = std::ldexp(fraction, kSignificantBits);
    int shift = 0;
    while (std::fmod(mantissa, 2.0) == 0.0) {
        mantissa *= 0.5;
        ++shift;
    }
    return exponent - kSignificantBits + shift;
}

}  // namespace

// Every bracket end and midpoint is a whole multiple of P / 2^n, P the
// largest power of two dividing both ends and n the number of halvings; if
// twice the larger end still fits 53 bits of such multiples, every sum, half
// and difference the search forms is exact, so its brackets are exactly the
// binary subdivision of [lo, hi] and its width test sees exact widths.
BisectionOutcome::BisectionOutcome(double lo, double hi, double solvedWidth)
    : low(lo), high(hi), width(solvedWidth)
{
    if (!(lo < hi) || !std::isfinite(lo) || !std::isfinite(hi) || !(width > 0.0))
        return;
    valid = true;
    int halvings = 0;
    for (double w = hi - lo; halvings == 0 || w > width; w *= 0.5) {
        if (++halvings > kSignificantBits) return;
    }
    int unit = 1 << 30;  // exponent of P; zero ends divide by anything
    for (double end : {lo, hi})
        if (end != 0.0) unit = std::min(unit, lowestBitExponent(end));
    const double largest = std::max(std::fabs(lo), std::fabs(hi));
    if (!(2.0 * largest < std::ldexp(1.0, unit + kSignificantBits - halvings)))
        return;
    exact = true;
    cells = std::ldexp(1.0, halvings - 1);
    cell = std::ldexp(hi - lo, 1 - halvings);
    cellsPerUnit = 1.0 / cell;
}

// The midpoints tested before the last halving are the inner multiples of
// `cell` from lo; the last midpoint is the centre of the cell holding the
// root, whatever its own sign. A root beyond either end leaves every midpoint
// on lo's side, so the search climbs to the top cell.
bool BisectionOutcome::resultFor(double root, double margin, double& result) const
{
    if (!exact) return replay(root, margin, result);
    const double position = (root - low) * cellsPerUnit;
    const double slack = margin * cellsPerUnit;
    if (!(position > slack && position < cells - slack)) {
        if (!(position < -slack || position > cells + slack)) return false;  // at an end, or NaN
        result = low + cell * (cells - 0.5);
        return true;
    }
    const double index = std::floor(position);
    const double offset = position - index;
    if (offset < slack || offset > 1.0 - slack) return false;
    result = low + cell * (index + 0.5);
    return true;
}

// Where rounding may enter the midpoints: the search itself, with each sign
// taken from the midpoint's side of the root. lo only moves to midpoints on
// its own side, so its sign never changes.
bool BisectionOutcome::replay(double root, double margin, double& result) const
{
    if (!valid || !(std::fabs(low - root) > margin)) return false;
    const bool lowIsBelow = low < root;
    double lo = low;
    double hi = high;
    double mid;
    do {
        mid = (hi + lo) * 0.5;
        if (!(std::fabs(mid - root) > margin)) return false;
        if ((mid < root) == lowIsBelow)
            lo = mid;
        else
            hi = mid;
    } while (std::fabs(hi - lo) > width);
    result = mid;
    return true;
}

}  // namespace quenchbox::engine
