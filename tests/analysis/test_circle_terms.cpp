// The slice terms, the finishing of a mass and the sheet pile moment, each on values
// worked by hand (the arithmetic is written out beside every expectation).
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>

#include "analysis/circle_slices.h"

using namespace keltora;

namespace {

std::unique_ptr<SlopeModel> emptyModel()
{
    auto m = std::make_unique<SlopeModel>();
    resetModel(*m);
    return m;
}

// A closed rectangle of boundary lines with a block of the given values inside.
void addRectangleBlock(SlopeModel& m, double x0, double y0, double x1, double y1, SoilBlock b)
{
    const int p = *addPoint(m, x0, y0);
    addPoint(m, x1, y0);
    addPoint(m, x1, y1);
    addPoint(m, x0, y1);
    for (int i = 0; i < 4; ++i)
        addLine(m, kBoundaryLine, p + i, p + (i + 1) % 4);
    b.seed = {(x0 + x1) / 2, (y0 + y1) / 2};
    addBlock(m, b);
}

// Three blocks for the slice: 0 with sand piles (the base block of the sand-pile cases),
// 1 without, 2 with sand piles; a surcharge strip over the slice.
std::unique_ptr<SlopeModel> threeBlocks()
{
    auto m = emptyModel();
    SoilBlock b0;
    b0.unitWeight = 18;
    b0.effectiveUnitWeight = 9;
    b0.cohesionGradient = 2;
    b0.baseCohesion = 10;
    b0.hasSandPiles = 1;
    b0.pileReplacementRatio = 0.3;
    b0.stressShareRatio = 3;
    b0.pileUnitWeight = 19;
    b0.pileFrictionAngle = 30;
    addRectangleBlock(*m, 0, 0, 10, 10, b0);
    SoilBlock b1;
    b1.unitWeight = 17;
    b1.effectiveUnitWeight = 8;
    b1.baseCohesion = 5;
    b1.frictionAngle = 25;
    addRectangleBlock(*m, 20, 0, 30, 10, b1);
    SoilBlock b2;
    b2.unitWeight = 16;
    b2.effectiveUnitWeight = 7;
    b2.hasSandPiles = 1;
    b2.pileReplacementRatio = 0.2;
    b2.stressShareRatio = 2;
    b2.pileUnitWeight = 19;
    addRectangleBlock(*m, 40, 0, 50, 10, b2);
    CalcConditions& c = m->conditions;
    c.seismicCoefficient = 0.1;
    c.referenceHeight = 10;
    c.surchargeXmin[0] = -1;
    c.surchargeXmax[0] = 5;
    c.surchargeQmin[0] = 6;
    c.surchargeQmax[0] = 12;
    return m;
}

// The slice: chord (3,4)-(0,0): l = 5, sin = 0.8, cos = 0.6; rr = 10, cy = 20.
// Columns: block 0 area 2 at y 5, block 1 area 1.5 at y 6, block 2 area 0.5 at y 7.
FelleniusSliceTerms slice(const SlopeModel& m, int base)
{
    const PreparedSection s(m, buildPolygonTable(m));
    EXPECT_EQ(s.blocks.size(), 3u);
    const std::vector<BlockColumn> cols{{0, 1.5, 5, 2}, {1, 1.5, 6, 1.5}, {2, 1.5, 7, 0.5}};
    SliceGeometry g{0, 20, 10, 3, 4, 0, 0, 3, base, cols};
    return felleniusSlice(s, g);
}

// Hand values shared by the cases:
//   gamma0 = (19 + 9.80665)*0.3 + 0.7*18 = 21.241995, gamma'0 = gm = 19*0.3 + 0.7*9 = 12
//   gamma1 = 17, gamma'1 = 8
//   gamma2 = (19 + 9.80665)*0.2 + 0.8*16 = 18.56133, gamma'2 = 19*0.2 + 0.8*7 = 9.4
//   W = 2*21.241995 + 1.5*17 + 0.5*18.56133 = 77.264655, W' = 24 + 12 + 4.7 = 40.7
//   Q = (q(3) + q(0))*3/2 with q(x) = x + 7: (10 + 7)*1.5 = 25.5
//   c = (10 - 2)*2 + 10 = 26 on block 0, 5 on block 1
//   mdw = (W + Q)*10*0.8 = 822.11724
//   yW = (42.48399*5 + 25.5*6 + 9.280665*7)/W = 430.384605/W,
//   mdk = (20 - yW)*0.1*W = 0.1*(1545.2931 - 430.384605) = 111.4908495
constexpr double kW = 77.264655;
constexpr double kMdw = 822.11724;
constexpr double kMdk = 111.4908495;

double tanDeg(double d)
{
    return std::tan(d * M_PI / 180);
}

} // namespace

TEST(CircleSliceTerms, SoilWithoutSandPilesAndTheSeismicSwitch)
{
    auto m = threeBlocks();
    const double t = tanDeg(25);
    // Switch on: E = |(W + Q)*10*0.1*0.8*t| = 82.211724 t;
    // mrf = (40.7 + 25.5)*10*0.6*t - E = (397.2 - 82.211724) t.
    FelleniusSliceTerms on = slice(*m, 1);
    EXPECT_NEAR(on.mrf, 314.988276 * t, 1e-9);
    EXPECT_NEAR(on.mrc, 10 * 5 * 5, 1e-9);
    EXPECT_NEAR(on.mdw, kMdw, 1e-9);
    EXPECT_NEAR(on.mdk, kMdk, 1e-9); // the surcharge never enters mdk
    EXPECT_EQ(on.mdh, 0.0);
    // Switch off: E = |10*0.1*W*0.8*t| = 61.811724 t.
    m->conditions.seismicOnSurcharge = 0;
    FelleniusSliceTerms off = slice(*m, 1);
    EXPECT_NEAR(off.mrf, 335.388276 * t, 1e-9);
    EXPECT_NEAR(off.mdk, kMdk, 1e-9);
    // kh = 0: no seismic terms at all.
    m->conditions.seismicCoefficient = 0;
    FelleniusSliceTerms calm = slice(*m, 1);
    EXPECT_NEAR(calm.mrf, 397.2 * t, 1e-9);
    EXPECT_EQ(calm.mdk, 0.0);
}

TEST(CircleSliceTerms, SandPileFormulas)
{
    auto m = threeBlocks();
    const double ts = tanDeg(30);
    // mu_s = 3/((3 - 1)*0.3 + 1) = 1.875; A_k = 2; S' = 1.5*8 + 0.5*19 (Ws of block 2,
    // not its composite weight) = 21.5; WE = W + Q = 102.764655 (switch on).
    // 0: (19*2 + 1.875*(21.5 + 25.5))*10*0.3*ts*0.6 - |102.764655*10*0.1*0.3*0.8*ts|
    //    = (227.025 - 24.6635172) ts; mrc = 0.7*10*26*5 = 910.
    m->conditions.sandPileFormula = 0;
    FelleniusSliceTerms f0 = slice(*m, 0);
    EXPECT_NEAR(f0.mrf, 202.3614828 * ts, 1e-9);
    EXPECT_NEAR(f0.mrc, 910, 1e-9);
    EXPECT_NEAR(f0.mdw, kMdw, 1e-9);
    // 1: (12*2 + 21.5 + 25.5)*10*1.875*0.3*ts*0.6 - |102.764655*1*1.875*0.3*0.8*ts|
    //    = (239.625 - 46.24409475) ts; mrc = 910.
    m->conditions.sandPileFormula = 1;
    FelleniusSliceTerms f1 = slice(*m, 0);
    EXPECT_NEAR(f1.mrf, 193.38090525 * ts, 1e-9);
    EXPECT_NEAR(f1.mrc, 910, 1e-9);
    // 2: 71*10*ts*0.6 - |102.764655*10*0.1*ts*0.8| = (426 - 82.211724) ts; no cohesion.
    m->conditions.sandPileFormula = 2;
    FelleniusSliceTerms f2 = slice(*m, 0);
    EXPECT_NEAR(f2.mrf, 343.788276 * ts, 1e-9);
    EXPECT_EQ(f2.mrc, 0.0);
    // 3 and any other number: formula 1 without cohesion.
    for (int formula : {3, 7}) {
        m->conditions.sandPileFormula = formula;
        FelleniusSliceTerms f3 = slice(*m, 0);
        EXPECT_NEAR(f3.mrf, 193.38090525 * ts, 1e-9);
        EXPECT_EQ(f3.mrc, 0.0);
    }
    // Seismic switch off with formula 1: WE = W: 77.264655*1.875*0.3*0.8 = 34.76909475.
    m->conditions.sandPileFormula = 1;
    m->conditions.seismicOnSurcharge = 0;
    EXPECT_NEAR(slice(*m, 0).mrf, (239.625 - 34.76909475) * ts, 1e-9);
    // n = 0 with As = 1 would divide by zero: the piles then carry nothing, no NaN.
    m->blocks[0].stressShareRatio = 0;
    m->blocks[0].pileReplacementRatio = 1;
    EXPECT_TRUE(std::isfinite(slice(*m, 0).mrf));
    (void)kW;
}

TEST(CircleSliceTerms, CohesionReferenceAndSurcharge)
{
    auto m = threeBlocks();
    m->conditions.referenceMode = 1;
    CohesionReferenceLine& l = m->referenceLine;
    l.count = 3;
    l.x = {0, 10, 20};
    l.y = {5, 15, 15};
    {
        const PreparedSection s(*m, buildPolygonTable(*m));
        EXPECT_DOUBLE_EQ(s.cohesionReferenceHeight(-1, -3), 5);  // left of the first point
        EXPECT_DOUBLE_EQ(s.cohesionReferenceHeight(6, 4), 10);   // between 0 and 10
        EXPECT_DOUBLE_EQ(s.cohesionReferenceHeight(16, 14), 15); // between 10 and 20
        EXPECT_DOUBLE_EQ(s.cohesionReferenceHeight(30, 24), 15); // beyond the last
        // Surcharge: the strip -1..5 (q 6..12) over [4, 8] gives (q(5) + q(4))*1/2 = 11.5;
        // a strip whose load is 0 at Xmin still loads by the trapezoid rule.
        EXPECT_DOUBLE_EQ(s.surchargeLoad(8, 4), 11.5);
        EXPECT_DOUBLE_EQ(s.surchargeLoad(9, 6), 0.0);
    }
    // Slice breaks: centre, every point x, edges of strips loaded at Xmin; close values
    // dropped; the sentinel at the end.
    m->conditions.surchargeXmin[1] = 33;
    m->conditions.surchargeXmax[1] = 35;
    m->conditions.surchargeQmax[1] = 5; // q1 = 0: no breaks
    const PreparedSection s(*m, buildPolygonTable(*m));
    const SliceBreaks b = s.sliceBreaks(10.00005);
    EXPECT_EQ(b, (SliceBreaks{50, 40, 30, 20, 10.00005, 5, 0, -1, kBreakSentinel}));
}

TEST(CircleFinishMass, TruncationDirectionForcesAndEndThrust)
{
    // The truncation rule: cut, not rounded, with the 0.1/p guard.
    EXPECT_DOUBLE_EQ(truncateSafetyFactor(1.2346, 3), 1.234);
    EXPECT_DOUBLE_EQ(truncateSafetyFactor(1.235 - 0.00000009, 3), 1.235);
    EXPECT_DOUBLE_EQ(truncateSafetyFactor(1.235 - 0.0000002, 3), 1.234);

    auto m = emptyModel();
    SoilBlock water;
    water.kind = kWaterPressureBlock;
    water.unitWeight = 10;
    addRectangleBlock(*m, 10, 0, 20, 8, water);
    CalcConditions& c = m->conditions;
    c.forceY = {3, 50, 40};
    c.forceH = {2, 100, 1};
    m->felleniusCircle.direction = 1;
    const PreparedSection s(*m, buildPolygonTable(*m));

    auto mass = [&](double mrf, double mdw) {
        MassState ms;
        resetMass(ms, 0, 0, 20, 25);
        ms.rec.mrf = mrf;
        ms.rec.mdw = mdw;
        ms.rec.ex = -5; // no water at the left end
        ms.rec.sx = 10; // the right end on the water block's wall, at y = 2
        ms.rec.sy = 2;
        ms.top = 9;
        ms.bottom = 1;
        return ms;
    };
    // End thrust: h = 8 - 2 = 6; (20 - (8 + 2*2)/3)*36*10*0.5 = 16*180 = 2880 into mdw.
    // Forces: force 1 (y 3 within 1..9) (20 - 3)*2 = 34; force 2 (y 50 outside) none;
    // force 3 always (20 - 40)*1 = -20: mdh = 14.
    MassState a = mass(4000, 120);
    EXPECT_EQ(finishFelleniusMass(s, a, 7.5), 1);
    EXPECT_DOUBLE_EQ(a.rec.mdw, 3000);
    EXPECT_DOUBLE_EQ(a.rec.mdh, 14);
    EXPECT_DOUBLE_EQ(a.rec.md, 3014);
    EXPECT_DOUBLE_EQ(a.rec.mr, 4000);
    EXPECT_DOUBLE_EQ(a.rec.mry, 7.5); // reported, not part of mr
    EXPECT_DOUBLE_EQ(a.rec.f, std::floor(4000.0 / 3014 * 1000 + 0.0001) / 1000); // 1.327

    // Automatic direction: mdw < 0 turns the mass (mdw negated, mdh and mdk kept).
    MassState b = mass(4000, -5000);
    EXPECT_EQ(finishFelleniusMass(s, b, 0), -1);
    EXPECT_DOUBLE_EQ(b.rec.mdw, 2120); // -(-5000 + 2880)
    // Fixed directions: 2 (left to right) always negates, 3 never.
    m->felleniusCircle.direction = 2;
    const PreparedSection s2(*m, buildPolygonTable(*m));
    MassState d = mass(4000, -5000);
    EXPECT_EQ(finishFelleniusMass(s2, d, 0), -1);
    EXPECT_DOUBLE_EQ(d.rec.mdw, 2120);
    m->felleniusCircle.direction = 3;
    const PreparedSection s3(*m, buildPolygonTable(*m));
    MassState e = mass(4000, -5000);
    EXPECT_EQ(finishFelleniusMass(s3, e, 0), 1);
    EXPECT_DOUBLE_EQ(e.rec.mdw, -2120);
    EXPECT_DOUBLE_EQ(e.rec.f, kNoSafetyFactor); // negative ratio: no factor of safety

    // md within 0.00001 of zero, and an invalid mass: no factor of safety.
    c.forceH = {0, 0, 0};
    c.forceY = {0, 0, 0};
    const PreparedSection s4(*m, buildPolygonTable(*m));
    MassState g = mass(4000, -2880.000005);
    finishFelleniusMass(s4, g, 0);
    EXPECT_DOUBLE_EQ(g.rec.f, kNoSafetyFactor);
    MassState h = mass(4000, 120);
    invalidateMass(h);
    finishFelleniusMass(s4, h, 0);
    EXPECT_DOUBLE_EQ(h.rec.f, kNoSafetyFactor);
    EXPECT_GT(h.rec.md, 0.0);
}

TEST(CircleFinishMass, TruncationGuardIsAtMostAThousandthOfAStep)
{
    // floor(r p + g) / p with g = 0.1 / p of a step, capped at 0.001 of a step.
    // 0 decimals: a true 0.943 is cut to 0 (0.943 + 0.001 = 0.944 -> 0), not lifted to 1
    // (0.943 + 0.1 = 1.043 -> 1 was shown and judged OK against 1.0).
    EXPECT_EQ(cutSafetyFactor(0.943, 0), 0.0);
    EXPECT_EQ(truncateSafetyFactor(0.943, 0), 0.0);  // a factor, not "none"
    EXPECT_EQ(truncateSafetyFactor(1.9995, 0), 2.0); // within 0.001 of the step
    EXPECT_EQ(truncateSafetyFactor(1.998, 0), 1.0);
    // 1 decimal: 0.9992 * 10 + 0.001 = 9.993 -> 0.9 (the guard 0.01 gave 10.002 -> 1.0).
    EXPECT_DOUBLE_EQ(truncateSafetyFactor(0.9992, 1), 0.9);
    EXPECT_DOUBLE_EQ(truncateSafetyFactor(0.99995, 1), 1.0);
    // 2 to 5 decimals: bit for bit the rule floor(r p + 0.1/p) / p.
    for (int d = 2; d <= 5; ++d) {
        const double p = std::pow(10.0, d);
        for (double r = 0.0003; r < 3.0; r += 0.0012347)
            for (double x : {r, 0.943, 1.2346, 1.235 - 0.00000009, 0.99999})
                EXPECT_EQ(truncateSafetyFactor(x, d), std::floor(x * p + 0.1 / p) / p) << x;
    }
    EXPECT_EQ(truncateSafetyFactor(0.943, 3), 0.943);
    // Ratios at or below zero stay without a factor of safety.
    EXPECT_EQ(truncateSafetyFactor(0.0, 0), kNoSafetyFactor);
    EXPECT_EQ(truncateSafetyFactor(-0.5, 3), kNoSafetyFactor);

    // Through the finishing of a circle mass with 0 decimals: mr / md = 943 / 1000.
    auto m = emptyModel();
    m->draw.decimals[kDecSafetyFactor] = 0;
    m->felleniusCircle.direction = 3;
    const PreparedSection s(*m, buildPolygonTable(*m));
    MassState a;
    resetMass(a, 0, 0, 20, 25);
    a.rec.mrf = 943;
    a.rec.mdw = 1000;
    a.rec.sx = 10;
    a.rec.ex = -5;
    finishFelleniusMass(s, a, 0);
    EXPECT_EQ(a.rec.f, 0.0);
}

TEST(CircleSheetPile, MomentByMethod)
{
    // Circle centre (0, 10), radius 5; pile at x = 3 from 10 down to -10: it crosses
    // the circle at y = 10 - 4 = 6 (the upper crossing at 14 lies above its top):
    // dp = 5, c_alpha = 4/5.
    SheetPileSettings p;
    p.x = 3;
    p.topY = 10;
    p.toeY = -10;
    p.allowableShear = 150000;
    p.sectionArea = 0.02;
    p.lm1 = 3;
    p.passiveCount = 3;
    p.passiveY[0] = 8, p.passiveIntensity[0] = 10;
    p.passiveY[1] = 5, p.passiveIntensity[1] = 40;
    p.passiveY[2] = 0, p.passiveIntensity[2] = 90;

    for (int method : {0, 1}) {
        p.method = method;
        EXPECT_EQ(sheetPileMoment(p, 0, 10, 5), 0.0);
    }
    // Shear capacity: (0.001*150000*0.02/0.8)*5 = 18.75.
    p.method = 3;
    EXPECT_NEAR(sheetPileMoment(p, 0, 10, 5), 18.75, 1e-12);
    // Passive pressure over [6 - 3, 6] = [3, 6]:
    //   rows 8..5 clipped to 6..5: p(6) = 30, p(5) = 40: P = 35,
    //     M = 1*40/2*(6 + 10)/3 + 1*30/2*(12 + 5)/3 = 106.667 + 85;
    //   rows 5..0 clipped to 5..3: p(3) = 60: P = 100,
    //     M = 2*60/2*(5 + 6)/3 + 2*40/2*(10 + 3)/3 = 220 + 173.333;
    //   P = 135, M = 585, ybar = 4.3333; mry = (5*0.8 + 6 - 4.3333)*135 = 765.
    p.method = 2;
    EXPECT_NEAR(sheetPileMoment(p, 0, 10, 5), 765, 1e-9);
    // lm1 = 0: nothing counts.
    p.lm1 = 0;
    EXPECT_EQ(sheetPileMoment(p, 0, 10, 5), 0.0);
    // A pile that misses the circle: nothing.
    p.method = 3;
    p.x = 7;
    EXPECT_EQ(sheetPileMoment(p, 0, 10, 5), 0.0);
    // A pile straight below the centre crosses at the circle's lowest point (the line
    // passes through the centre, which the plain intersection routine rejects):
    // c_alpha = 1, mry = 0.001*150000*0.02*5 = 15.
    p.x = 0;
    EXPECT_NEAR(sheetPileMoment(p, 0, 10, 5), 15, 1e-12);
    // A degenerate pile (top = toe) gives no crossing and no NaN.
    p.topY = p.toeY = 5;
    EXPECT_EQ(sheetPileMoment(p, 0, 10, 5), 0.0);
}

// The base angle's sine and cosine come from the chord itself. They agree with the
// trigonometric values to rounding for chords of every direction, and a chord of no
// length (two slice ends at one point) has angle 0 instead of 0/0.
TEST(CircleSliceTerms, BaseChordAngleFromTheChord)
{
    SliceGeometry g;
    g.x1 = 4;
    g.y1 = 3;
    BaseChord c = baseChord(g);
    EXPECT_EQ(c.length, 5.0);
    EXPECT_EQ(c.sinTheta, 0.6);
    EXPECT_EQ(c.cosTheta, 0.8);

    for (int i = 0; i < 360; ++i) {
        const double a = (i + 0.5) * std::numbers::pi / 180.0;
        g.x2 = 1.25;
        g.y2 = -2.5;
        g.x1 = g.x2 + 0.37 * std::cos(a);
        g.y1 = g.y2 + 0.37 * std::sin(a);
        c = baseChord(g);
        const double theta = std::atan2(g.y1 - g.y2, g.x1 - g.x2);
        EXPECT_NEAR(c.sinTheta, std::sin(theta), 4e-16) << i;
        EXPECT_NEAR(c.cosTheta, std::cos(theta), 4e-16) << i;
    }

    g.x1 = g.x2;
    g.y1 = g.y2;
    c = baseChord(g);
    EXPECT_EQ(c.length, 0.0);
    EXPECT_EQ(c.sinTheta, 0.0);
    EXPECT_EQ(c.cosTheta, 1.0);
}
