#include "solver/CircuitCoefficients.h"

// The closed-form coefficients of the tone network, obtained by symbolic
// nodal analysis of the circuit with the pots as fractions x (Bass),
// y (Middle) and z (Treble). Products are evaluated left to right in the
// grouping written, so that every build rounds them the same way.
//
// The network is reciprocal (resistors and capacitors only), so Ac is a
// symmetric matrix with its rows scaled by the inverse capacitances: the
// off-diagonal pairs share one polynomial (the "coupling" terms below) and
// differ only by the ratio of the two capacitors. The input drives the network
// through the same node as state 5, so bc repeats the last column of Ac.

namespace quenchbox::solver {

namespace {

struct Knobs {
    double x, y, z;  // Bass, Middle, Treble pot fractions
    double x2, y2;   // their squares
};

// Polynomials common to both circuit variants.
struct SharedTerms {
    double p1, p2, p3, p4, p5, p6, p7, p8, p9, p10, p11;
};

SharedTerms sharedTerms(const Knobs& k)
{
    const double x = k.x, y = k.y, x2 = k.x2, y2 = k.y2;
    SharedTerms t{};
    t.p1 = y2 * 360784700.0 - y * 364392547.0 - 10100000.0;
    t.p2 = y * 66666700.0 - 77333367.0;
    t.p3 = x2 * 147059.0 - x * 147059.0 - 10000.0;
    t.p4 = (67333367.0 - y * 360784700.0) * x + (y * 360784700.0 - 67333367.0) * x2 - y * 1e7;
    t.p5 = (y * 147059.0 + 5000.0) * x2 - (y * 147059.0 + 5000.0) * x - y * 5000.0;
    t.p6 = y2 * 360784700.0 - y * 658510547.0 - 20100000.0;
    t.p7 = (y * 76666700.0 - 87433367.0) * y;
    t.p8 = (y2 * 1341178523.0 - y * 1501649308.0 - 10100000.0) * x2
           - (y2 * 1274511823.0 - y * 1424315941.0 - 10100000.0) * x - t.p7;
    t.p9 = t.p1 * x2 - t.p1 * x - (y * 100.0 - 101.0) * (y * 100000.0);
    t.p10 = t.p6 * x2 - t.p6 * x - y * 100000.0 * (y * 100.0 - 201.0);
    t.p11 = y2 * 2321572346.0 - y * 2572239370.0 - 87433367.0;
    return t;
}

// The network's determinant; every coefficient is a numerator over it.
double determinant(const Knobs& k, int mode)
{
    const double x = k.x, y = k.y, x2 = k.x2, y2 = k.y2;
    if (mode == 0) {
        const double g = y2 * 5929419346.0 - y * 6216164840.0 - 188433367.0;
        return g * x2 - g * x - (y * 176666700.0 - 188433367.0) * y;
    }
    const double g = y2 * 38400042340.0 - y * 39011494060.0 - 1097433367.0;
    return g * x2 - g * x - (y * 1076666700.0 - 1097433367.0) * y;
}

// Numerators of the first circuit variant.
void firstVariantNumerators(const Knobs& k, const SharedTerms& t, ContinuousModel& m)
{
    const double x = k.x, y = k.y, z = k.z, x2 = k.x2, y2 = k.y2;
    StateMatrix& A = m.Ac;

    const double coupling04 = (y * 2664709523.0 - 2848415618.0) * (x2 * 147059.0 * y)
                              - (y2 * 42518328300.0 - y * 45333597830.0 - 188433367.0) * (x * 10000.0)
                              + (y2 * 666667000.0 - y * 596666970.0 - 188433367.0) * 10000.0;
    const double coupling12 = (y * 2964709673.0 + 33333350.0) * x2 - (y * 2964709673.0 + 33333350.0) * x
                              - y * 88333350.0;
    const double coupling13 = x2 * 3.0 * (y * 1856211549.0 + 44666689.0)
                              - x * 3.0 * (y * 1856211549.0 + 44666689.0) - y * 166666700.0;
    const double coupling14 = (y * 1341178523.0 - 2838415618.0) * (x2 * 10.0)
                              + (8833274172.0 - y * 4248372745.0) * (x * 3.0)
                              - (y * 76666700.0 - 188433367.0) * 10.0;
    const double coupling23 = (y * 2817650673.0 + 83333350.0) * x2 - (y * 2817650673.0 + 83333350.0) * x
                              - y * 83333350.0;
    const double coupling24 = (10000.0 - y * 1213531.0) * x + (y * 1323531.0 - 10000.0) * x2 - y * 100000.0;
    const double coupling34 = (y2 * 4588240823.0 - y * 6038046531.0 - 168333367.0) * x2
                              - (y2 * 4654907523.0 - y * 6005379898.0 - 168333367.0) * x
                              - y * 1e6 * (y * 100.0 - 201.0);
    const double diagonal33 = y2 * 1856211549.0 - y * 3730985212.0 - 111666689.0;
    const double inputNode = t.p11 * x2 - t.p11 * x - t.p7;

    A(0, 0) = (y2 * 3331376523.0 - y * 3445082588.0 - 188433367.0) * -0.1 * t.p3;
    A(0, 1) = (y * 66666700.0 - 188433367.0) * 0.1 * t.p3;
    A(0, 2) = y * 1.1e7 * t.p3;
    A(0, 3) = y * 0.1 * (y * 66666700.0 + 32666633.0) * t.p3;
    A(0, 4) = coupling04 * 0.1;
    A(0, 5) = t.p2 * y * t.p3;

    A(1, 0) = (y * 66666700.0 - 188433367.0) * 0.04545454545 * t.p3;
    A(1, 1) = (x2 * 6349498240.0 - x * 6349498240.0 - 188433367.0) * 454.5454545;
    A(1, 2) = coupling12 * -909.090909;
    A(1, 3) = coupling13 * -454.5454545;
    A(1, 4) = coupling14 * 45.45454545;
    A(1, 5) = t.p4 * 4545.454544;

    A(2, 0) = y * 1.1e8 * t.p3;
    A(2, 1) = coupling12 * -20000.0;
    A(2, 2) = ((y * 2964709673.0 + 88333350.0) * x2 - (y * 2964709673.0 + 88333350.0) * x - y * 88333350.0)
              * 20000.0;
    A(2, 3) = coupling23 * 20000.0;
    A(2, 4) = coupling24 * 1e7;
    A(2, 5) = t.p5 * -2e8;

    A(3, 0) = y * 2.127659574 * (y * 66666700.0 + 32666633.0) * t.p3;
    A(3, 1) = coupling13 * -21276.59573;
    A(3, 2) = coupling23 * 42553.19148;
    A(3, 3) = (diagonal33 * (x2 * 3.0) - diagonal33 * (x * 3.0) - y * 1666667.0 * (y * 100.0 - 201.0))
              * -21276.59573;
    A(3, 4) = coupling34 * -21276.59573;
    A(3, 5) = t.p10 * 212765.9574;

    A(4, 0) = coupling04 * 0.1470588235;
    A(4, 1) = coupling14 * 147.0588235;
    A(4, 2) = coupling24 * 1470588.235;
    A(4, 3) = coupling34 * -1470.588235;
    A(4, 4) = ((y2 * 26299368500.0 - y * 27120149400.0 - 1474707809.0) * (x2 * 2.0)
               - (y2 * 51998736710.0 - y * 53720965200.0 - 2760982251.0) * x - y2 * 3541376523.0
               + y * 3657182588.0 + 188433367.0)
              * -1470.588235;
    A(4, 5) = t.p8 * 14705.88235;

    A(5, 0) = y * 0.4545454545 * t.p2 * t.p3;
    A(5, 1) = t.p4 * 4545.454544;
    A(5, 2) = t.p5 * -9090909.088;
    A(5, 3) = t.p10 * 4545.454544;
    A(5, 4) = t.p8 * 4545.454544;
    A(5, 5) = inputNode * -4545.454544;

    m.bc << t.p2 * y * t.p3, t.p4 * 4545.454544, t.p5 * -2e8, t.p10 * 212765.9574, t.p8 * 14705.88235,
        inputNode * -4545.454544;

    m.fc << (77333367.0 - y * 66666700.0) * (y * 1000.0) * t.p3, t.p4 * -4545454.544, t.p5 * 2e11,
        t.p10 * -212765957.4, t.p8 * -14705882.35, t.p9 * -45454545.44;

    const double out3 = y2 * 5568634646.0 - y * 5557654292.0 - 168333367.0;
    const double out4 = ((6216164840.0 - z * 4714515531.0) * y + (z * 4588240823.0 - 5929419347.0) * y2
                         - z * 178333367.0 + 188433367.0)
                            * (x2 * 5.0)
                        - ((z * 528966764.0 - 673797653.0) * (y2 * 44.0)
                           + (3108082420.0 - z * 2395924449.0) * (y * 10.0) - (z * 178333367.0 - 188433367.0) * 5.0)
                              * x
                        - ((z * 1e6 - 1766667.0) * (y * 100.0) - z * 1.01e8 + 188433367.0) * (y * 5.0);
    m.cc << y * 0.0001 * z * t.p2 * t.p3, t.p4 * z, z * -2000.0 * t.p5,
        -((out3 * x2 - out3 * x - y * 1666667.0 * (y * 100.0 - 101.0)) * z), out4 * -0.2, z * 10.0 * t.p9;

    m.gc << y * 0.0001 * t.p2 * t.p3, t.p4, t.p5 * -2000.0, t.p10, t.p8, t.p9 * 10.0;

    m.dc = {z * 10.0 * t.p9, z * -10000.0 * t.p9, t.p9 * 10.0, t.p9 * -10000.0};
}

// Numerators of the second circuit variant.
void secondVariantNumerators(const Knobs& k, const SharedTerms& t, ContinuousModel& m)
{
    const double x = k.x, y = k.y, z = k.z, x2 = k.x2, y2 = k.y2;
    StateMatrix& A = m.Ac;

    const double coupling04 = (y * 1590001952.0 - 1621607871.0) * (x2 * 147059.0 * y)
                              - (y2 * 256390786600.0 - y * 261344780700.0 - 1097433367.0) * (x * 1000.0)
                              + (y2 * 6666670000.0 - y * 6656670000.0 - 1097433367.0) * 1000.0;
    const double coupling12 = (y * 1920002117.0 + 3333335.0) * x2 - (y * 1920002117.0 + 3333335.0) * x
                              - y * 53833335.0;
    const double coupling13 = (y * 12679752540.0 + 44666689.0) * (x2 * 3.0)
                              - (y * 12679752540.0 + 44666689.0) * (x * 3.0) - y * 1066666700.0;
    const double coupling14 = (y * 1341178523.0 - 16206078710.0) * (x2 * 2.0)
                              + (10072430230.0 - y * 849674549.0) * (x * 3.0)
                              - (y * 76666700.0 - 1097433367.0) * 2.0;
    const double coupling23 = (y * 173208747.0 + 4848485.0) * x2 - (y * 173208747.0 + 4848485.0) * x
                              - y * 4848485.0;
    const double coupling24 = (10000.0 - y * 13548841.0) * x + (y * 14558841.0 - 10000.0) * x2 - y * 1e6;
    const double coupling34 = (y2 * 37058863820.0 - y * 52068685760.0 - 1077333367.0) * x2
                              - (y2 * 37125530520.0 - y * 51136019120.0 - 1077333367.0) * x
                              - (y * 100.0 - 201.0) * (y * 1e7);
    const double diagonal33 = y2 * 12679752540.0 - y * 25486302620.0 - 714666689.0;
    const double inputNode = t.p11 * x2 - t.p11 * x - t.p7;

    A(0, 0) = (y2 * 22566689520.0 - y * 22872748710.0 - 1097433367.0) * -0.1 * t.p3;
    A(0, 1) = (y * 66666700.0 - 1097433367.0) * 0.1 * t.p3;
    A(0, 2) = y * 1.01e8 * t.p3;
    A(0, 3) = y * 0.1 * (y * 66666700.0 + 932666633.0) * t.p3;
    A(0, 4) = coupling04;
    A(0, 5) = y * 10.0 * t.p2 * t.p3;

    A(1, 0) = (y * 66666700.0 - 1097433367.0) * 0.04545454545 * t.p3;
    A(1, 1) = (x2 * 39144827460.0 - x * 39144827460.0 - 1097433367.0) * 454.5454545;
    A(1, 2) = coupling12 * -9090.909088;
    A(1, 3) = coupling13 * -454.5454545;
    A(1, 4) = coupling14 * 227.2727272;
    A(1, 5) = t.p4 * 45454.54544;

    A(2, 0) = y * 1.01e9 * t.p3;
    A(2, 1) = coupling12 * -200000.0;
    A(2, 2) = ((y * 1920002117.0 + 53833335.0) * x2 - (y * 1920002117.0 + 53833335.0) * x - y * 53833335.0)
              * 200000.0;
    A(2, 3) = coupling23 * 2200000.0;
    A(2, 4) = coupling24 * 1e7;
    A(2, 5) = t.p5 * -2e9;

    A(3, 0) = y * 2.127659574 * (y * 66666700.0 + 932666633.0) * t.p3;
    A(3, 1) = coupling13 * -21276.59573;
    A(3, 2) = coupling23 * 4680851.062;
    A(3, 3) = (x2 * 3.0 * diagonal33 - x * 3.0 * diagonal33 - y * 10666667.0 * (y * 100.0 - 201.0))
              * -21276.59573;
    A(3, 4) = coupling34 * -21276.59573;
    A(3, 5) = t.p10 * 2127659.574;

    A(4, 0) = coupling04 * 1.470588235;
    A(4, 1) = coupling14 * 735.2941176;
    A(4, 2) = coupling24 * 1470588.235;
    A(4, 3) = coupling34 * -1470.588235;
    A(4, 4) = ((y2 * 36794194940.0 - y * 37273694330.0 - 1722607871.0) * (x2 * 10.0)
               - (y2 * 7226838922.0 - y * 7323152134.0 - 322572907.0) * (x * 50.0) - y2 * 24576689520.0
               + y * 24902848710.0 + 1097433367.0)
              * -1470.588235;
    A(4, 5) = t.p8 * 147058.8235;

    A(5, 0) = y * 0.4545454545 * t.p2 * t.p3;
    A(5, 1) = t.p4 * 4545.454544;
    A(5, 2) = t.p5 * -9090909.088;
    A(5, 3) = t.p10 * 4545.454544;
    A(5, 4) = t.p8 * 4545.454544;
    A(5, 5) = inputNode * -4545.454544;

    m.bc << y * 10.0 * t.p2 * t.p3, t.p4 * 45454.54544, t.p5 * -2e9, t.p10 * 2127659.574, t.p8 * 147058.8235,
        inputNode * -4545.454544;

    m.fc << (77333367.0 - y * 66666700.0) * (y * 10000.0) * t.p3, t.p4 * -45454545.44, t.p5 * 2e12,
        t.p10 * -2127659574.0, t.p8 * -147058823.5, t.p9 * -454545454.4;

    const double out3 = y2 * 38039257640.0 - y * 38352983520.0 - 1077333367.0;
    const double out4 = ((z * 168449381.0 - 174545647.0) * (y2 * 220.0) + (3901149407.0 - z * 3750984476.0) * (y * 10.0)
                         - z * 1087333367.0 + 1097433367.0)
                            * x2
                        - ((z * 1856276526.0 - 1920002117.0) * (y2 * 20.0)
                           + (3901149407.0 - z * 3758717812.0) * (y * 10.0) - z * 1087333367.0 + 1097433367.0)
                              * x
                        - ((z * 1e7 - 10766667.0) * (y * 100.0) - z * 1.01e9 + 1097433367.0) * y;
    m.cc << y * 0.0001 * z * t.p2 * t.p3, t.p4 * z, z * -2000.0 * t.p5,
        -((out3 * x2 - out3 * x - y * 10666667.0 * (y * 100.0 - 101.0)) * z), -out4, z * 100.0 * t.p9;

    m.gc << y * 0.0001 * t.p2 * t.p3, t.p4, t.p5 * -2000.0, t.p10, t.p8, t.p9 * 100.0;

    m.dc = {z * 100.0 * t.p9, z * -100000.0 * t.p9, t.p9 * 100.0, t.p9 * -100000.0};
}

}  // namespace

void computeCoefficients(double bass, double middle, double treble, int mode, ContinuousModel& model)
{
    const Knobs knobs{bass, middle, treble, bass * bass, middle * middle};
    const SharedTerms terms = sharedTerms(knobs);
    if (mode == 0)
        firstVariantNumerators(knobs, terms, model);
    else
        secondVariantNumerators(knobs, terms, model);

    const double r = 1.0 / determinant(knobs, mode);
    model.Ac *= r;
    model.bc *= r;
    model.fc *= r;
    model.cc *= r;
    model.gc *= r;
    for (double& d : model.dc) d *= r;
}

}  // namespace quenchbox::solver
