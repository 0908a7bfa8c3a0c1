#ifndef QUENCHBOX_ENGINE_GAINCURVE_H
#define QUENCHBOX_ENGINE_GAINCURVE_H

namespace quenchbox::engine {

// The op-amp's open-loop gain as its output u nears the rails:
// G = A (1 + c2 u^2 + c4 u^4) with u = G d for the differential input d. The
// coefficients shrink with the output swing, so the gain collapses a little
// inside the rails, where the polynomial reaches zero.
//
// gainAt() is the defining solution, Newton's method on G from G = 1. At a
// solution the output u fixes G directly, so the curve's inverse is explicit,
// d = u / (A p(u)) with p(u) = 1 + c2 u^2 + c4 u^4; solve() uses that to find
// the output on a feedback line with a few Newton steps in u, started from a
// neighbouring solution, instead of a bisection that runs gainAt() at each
// midpoint.
class GainCurve {
public:
    GainCurve() = default;
    // A = openLoopGain; swing is the output range less the rails' headroom.
    GainCurve(double openLoopGain, double swing);

    // G(d): Newton's method for G = A p(G d) from G = 1, until the residual
    // is within 0.001.
    double gainAt(double d) const;

    // A point u of the curve drive = u / (A p(u)) + feedback u, with the
    // first two derivatives of the right-hand side there (which seed the
    // next solve).
    struct Point {
        double output = 0.0;
        double drive = 0.0;
        double slope = 0.0;
        double curvature = 0.0;
    };
    // The point at u = 0 (the right-hand side is odd in u, so it has no
    // curvature there).
    Point origin(double feedback) const { return {0.0, 0.0, 1.0 / a + feedback, 0.0}; }

    // The root u for a drive no smaller than from's on the same feedback
    // line (feedback >= 0, so the right-hand side rises and is convex in
    // u >= 0 and the root is unique); `from` moves to the last point
    // evaluated, next to the root. False, with `from` and `root` untouched,
    // when the curve is not a regular one or the solve does not settle; the
    // caller then falls back to the definition.
    bool solve(double drive, double feedback, Point& from, double& root) const;

    // Whether solve() applies: A > 0 and finite, c2 <= 0, c4 < 0.
    bool regular() const { return limit > 0.0; }

private:
    bool pointAt(double u, double feedback, Point& point) const;

    double a = 0.0;
    double c2 = 0.0;
    double c4 = 0.0;
    double limit = 0.0;  // the output where p(u) = 0; 0 when not regular
};

}  // namespace quenchbox::engine

#endif
