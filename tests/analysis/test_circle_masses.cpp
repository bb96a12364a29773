// How a circle is cut into masses: water-pressure blocks and strengthless soil split it,
// structure blocks end it, uncut lines and an uncut sheet pile invalidate a mass; the
// order of the crossing points; crossing lists beyond 1024 points.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "analysis/calculation.h"
#include "analysis/circle_slices.h"
#include "geometry/primitives.h"
#include "test_support.h"

using namespace keltora;

namespace {

std::unique_ptr<SlopeModel> emptyModel()
{
    auto m = std::make_unique<SlopeModel>();
    resetModel(*m);
    m->felleniusCircle.direction = 1;
    return m;
}

void chain(SlopeModel& m, std::initializer_list<int> pts, bool close)
{
    std::vector<int> v(pts);
    for (size_t i = 0; i + 1 < v.size(); ++i)
        addLine(m, kBoundaryLine, v[i], v[i + 1]);
    if (close) addLine(m, kBoundaryLine, v.back(), v.front());
}

SoilBlock soil(double x, double y)
{
    SoilBlock b;
    b.seed = {x, y};
    b.unitWeight = 18;
    b.effectiveUnitWeight = 18;
    b.baseCohesion = 20;
    b.frictionAngle = 30;
    return b;
}

// Ground at y = 10 over x 0..40 with a pond 15..25 down to y = 4; the pond is a block
// of the given kind. Soil below and beside it.
std::unique_ptr<SlopeModel> pond(int kind)
{
    auto m = emptyModel();
    for (auto [x, y] : std::initializer_list<std::pair<double, double>>{
             {0, -10}, {40, -10}, {40, 10}, {25, 10}, {25, 4}, {15, 4}, {15, 10}, {0, 10}})
        addPoint(*m, x, y);
    chain(*m, {0, 1, 2, 3, 4, 5, 6, 7}, true);
    addLine(*m, kBoundaryLine, 6, 3); // the water surface
    addBlock(*m, soil(5, 0));
    SoilBlock w;
    w.seed = {20, 7};
    w.kind = kind;
    w.unitWeight = 10;
    if (kind == kStructureBlock) w.effectiveUnitWeight = 10;
    addBlock(*m, w);
    return m;
}

std::vector<EvaluatedMass> evaluate(const SlopeModel& m, double cx, double cy, double rr)
{
    const FelleniusEvaluator ev(m, buildPolygonTable(m));
    std::vector<EvaluatedMass> out;
    ev.evaluateCircle(2, cx, cy, rr, ev.buildSliceBreaks(cx), out);
    return out;
}

bool hasSlices(const SlipResult& r)
{
    return r.sx > -999999.0;
}

} // namespace

TEST(CircleMasses, WaterPressureBlockSplitsTheCircle)
{
    // Centre (20, 20), radius 15: the arc (lowest point y = 5) passes through the pond
    // between x = 15 and 25, so the soil on either side forms its own mass.
    auto m = pond(kWaterPressureBlock);
    const auto out = evaluate(*m, 20, 20, 15);
    ASSERT_EQ(out.size(), 2u);
    const SlipResult& right = out[0].record;
    const SlipResult& left = out[1].record;
    EXPECT_EQ(right.grid, 3);
    EXPECT_NEAR(right.ex, 25, 1e-9);
    EXPECT_NEAR(left.sx, 15, 1e-9);
    EXPECT_EQ(out[0].directionSign, 1);  // right of the centre: slides to the left
    EXPECT_EQ(out[1].directionSign, -1); // left of it: slides to the right
    EXPECT_LT(right.f, 100);
    EXPECT_LT(left.f, 100);
    // The pond's water pushes on the end faces: at x = 25 the arc lies at
    // y = 20 - sqrt(15^2 - 5^2) = 5.857864, h = 10 - 5.857864 = 4.142136, the thrust
    // moment (20 - (10 + 2*5.857864)/3)*h^2*10*0.5 = 1094.76 is taken off the right
    // mass's driving moment. Without water weight the same circle lacks just that.
    auto dry = pond(kWaterPressureBlock);
    dry->blocks[1].unitWeight = 0;
    const auto outDry = evaluate(*dry, 20, 20, 15);
    ASSERT_EQ(outDry.size(), 2u);
    const double h = 10 - (20 - std::sqrt(200.0));
    const double thrust = (20 - (10 + 2 * (20 - std::sqrt(200.0))) / 3) * h * h * 10 * 0.5;
    EXPECT_NEAR(outDry[0].record.mdw - right.mdw, thrust, 1e-6);
    EXPECT_NEAR(outDry[0].record.mrf, right.mrf, 1e-9);
    // The left mass slides to the right; after the sign turn the thrust reduces its
    // driving moment as well.
    EXPECT_NEAR(outDry[1].record.mdw - left.mdw, thrust, 1e-6);

    // Soil without strength (C0 = K = phi = 0) splits the circle the same way.
    auto weak = pond(kSoilBlock);
    const auto outWeak = evaluate(*weak, 20, 20, 15);
    ASSERT_EQ(outWeak.size(), 2u);
    EXPECT_NEAR(outWeak[0].record.ex, 25, 1e-9);
    // Water acting as weight lets the circle pass: one mass over the whole arc.
    auto weight = pond(kWaterWeightBlock);
    const auto outWeight = evaluate(*weight, 20, 20, 15);
    ASSERT_EQ(outWeight.size(), 1u);
    EXPECT_LT(outWeight[0].record.ex, 15);
    EXPECT_GT(outWeight[0].record.sx, 25);
    EXPECT_LT(outWeight[0].record.cex, 15); // soil-only ends skip the water slices...
    EXPECT_GT(outWeight[0].record.csx, 25);
}

TEST(CircleMasses, StructureBlockEndsTheCircle)
{
    auto m = pond(kStructureBlock);
    const auto out = evaluate(*m, 20, 20, 15);
    ASSERT_EQ(out.size(), 1u); // the left part is never examined
    EXPECT_TRUE(hasSlices(out[0].record));
    EXPECT_EQ(out[0].record.f, kNoSafetyFactor);
    EXPECT_NEAR(out[0].record.ex, 25, 1e-9);
}

TEST(CircleMasses, UncutLinesAndUncutSheetPile)
{
    // The slope of the published example: ground (0,60)-(60,60)-(140,20)-(180,20), base 0;
    // circle (120, 90) r 80, whose arc lies at y = 90 - sqrt(80^2 - 20^2) = 12.54 below
    // x = 100.
    auto base = [] {
        auto m = emptyModel();
        for (auto [x, y] : std::initializer_list<std::pair<double, double>>{
                 {0, 0}, {180, 0}, {180, 20}, {140, 20}, {60, 60}, {0, 60}})
            addPoint(*m, x, y);
        chain(*m, {0, 1, 2, 3, 4, 5}, true);
        addBlock(*m, soil(50, 30));
        return m;
    };
    auto m = base();
    const auto sound = evaluate(*m, 120, 90, 80);
    ASSERT_EQ(sound.size(), 1u);
    EXPECT_LT(sound[0].record.f, 100);

    // An uncut line across the base of the mass invalidates it.
    auto u = base();
    addPoint(*u, 100, 5);
    addPoint(*u, 100, 30);
    addLine(*u, kUncutLine, 6, 7);
    auto out = evaluate(*u, 120, 90, 80);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_TRUE(hasSlices(out[0].record));
    EXPECT_EQ(out[0].record.f, kNoSafetyFactor);
    // ... but not when it stays above the arc.
    u->points[6].y = 20;
    EXPECT_DOUBLE_EQ(evaluate(*u, 120, 90, 80)[0].record.f, sound[0].record.f);

    // Sheet pile as an uncut line: invalid when the base chord lies within its height.
    auto p = base();
    p->sheetPile.method = 1;
    p->sheetPile.x = 100;
    p->sheetPile.topY = 40;
    p->sheetPile.toeY = 0;
    EXPECT_EQ(evaluate(*p, 120, 90, 80)[0].record.f, kNoSafetyFactor);
    p->sheetPile.toeY = 20; // ends above the arc
    EXPECT_DOUBLE_EQ(evaluate(*p, 120, 90, 80)[0].record.f, sound[0].record.f);
    // Methods 2 and 3 leave f alone but report mry with every mass.
    p->sheetPile.method = 3;
    p->sheetPile.toeY = 0;
    p->sheetPile.allowableShear = 100000;
    p->sheetPile.sectionArea = 0.01;
    const auto withPile = evaluate(*p, 120, 90, 80);
    EXPECT_DOUBLE_EQ(withPile[0].record.f, sound[0].record.f);
    EXPECT_DOUBLE_EQ(withPile[0].record.mry, sheetPileMoment(*p, 120, 90, 80));
    EXPECT_GT(withPile[0].record.mry, 0.0);
}

TEST(CircleMasses, UncutLineAcrossAVerticalCut)
{
    // Two layers (lower -20..15, upper 15..20); circle (50, 12) r 20 ends below the
    // ground: its vertical cut at x = 70 runs from the ground (70, 20) down past the
    // layer line (70, 15). An uncut line across that part of the cut invalidates the
    // mass before any slice is summed. Force 3 gives the level section a driving moment.
    auto layered = [] {
        auto m = emptyModel();
        for (auto [x, y] : std::initializer_list<std::pair<double, double>>{
                 {0, -20}, {100, -20}, {100, 15}, {100, 20}, {0, 20}, {0, 15}})
            addPoint(*m, x, y);
        chain(*m, {0, 1, 2, 3, 4, 5}, true);
        addLine(*m, kBoundaryLine, 5, 2);
        addBlock(*m, soil(50, 0));
        addBlock(*m, soil(50, 17));
        m->conditions.forceY[2] = 0;
        m->conditions.forceH[2] = 100;
        return m;
    };
    auto m = layered();
    EXPECT_NE(evaluate(*m, 50, 12, 20)[0].record.f, kNoSafetyFactor);
    addPoint(*m, 69, 17);
    addPoint(*m, 71, 17);
    addLine(*m, kUncutLine, 6, 7);
    const auto out = evaluate(*m, 50, 12, 20);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].record.f, kNoSafetyFactor);
    EXPECT_FALSE(hasSlices(out[0].record));
}

TEST(CircleMasses, CutOrderAboveGroundAndManyCrossings)
{
    // Two layers (lower -20..15, upper 15..20); circle (50, 12) r 20 has vertical cuts
    // at x = 30 and 70 that cross the layer line and the ground. The layer line comes
    // first in the line table, so the comb sort must bring the ground point above it on
    // the right cut and below it on the left cut.
    auto m = emptyModel();
    for (auto [x, y] : std::initializer_list<std::pair<double, double>>{
             {0, -20}, {100, -20}, {100, 15}, {100, 20}, {0, 20}, {0, 15}})
        addPoint(*m, x, y);
    addLine(*m, kBoundaryLine, 5, 2);
    chain(*m, {0, 1, 2, 3, 4, 5}, true);
    addBlock(*m, soil(50, 0));
    addBlock(*m, soil(50, 17));
    const PreparedSection s(*m, buildPolygonTable(*m));
    const CircleCut cut = s.cutCircle(50, 12, 20);
    ASSERT_EQ(cut.points.size(), 4u);
    const double expect[4][2] = {{70, 20}, {70, 15}, {30, 15}, {30, 20}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(cut.points[static_cast<size_t>(i)].x, expect[i][0], 1e-9);
        EXPECT_NEAR(cut.points[static_cast<size_t>(i)].y, expect[i][1], 1e-9);
    }
    EXPECT_EQ(cut.blocks, (std::vector<int>{-1, 0, -1})); // the arc lies in the lower layer

    // A circle wholly above the ground: one mass without slices.
    const auto above = evaluate(*m, 50, 60, 20);
    ASSERT_EQ(above.size(), 1u);
    EXPECT_FALSE(hasSlices(above[0].record));

    // 1023 lines zigzagging across the circle, each crossing it twice: all 2046
    // crossings are kept.
    auto z = emptyModel();
    for (int i = 0; i < 1024; ++i)
        addPoint(*z, i % 2 ? 20.0 : -20.0, -2.0 - i * 0.005);
    for (int i = 0; i + 1 < 1024; ++i)
        addLine(*z, kBoundaryLine, i, i + 1);
    const PreparedSection zs(*z, buildPolygonTable(*z));
    EXPECT_EQ(zs.cutCircle(0, 0, 10).points.size(), 2046u);
}

TEST(CircleMasses, LineThroughTheCentreIsCut)
{
    // The plain routine rejects a line through the centre; the cut still finds its
    // crossing: segment (0,0)-(10,10), centre (20,20), radius 20: (5.858, 5.858).
    Point2 p1, p2;
    EXPECT_EQ(segmentCircleIntersection({0, 0}, {10, 10}, {20, 20}, 20, p1, p2), -1);
    EXPECT_EQ(segmentCircleCrossings({0, 0}, {10, 10}, {20, 20}, 20, p1, p2), 2);
    EXPECT_NEAR(p2.x, 20 - 20 / std::sqrt(2.0), 1e-12);
    EXPECT_NEAR(p2.y, 20 - 20 / std::sqrt(2.0), 1e-12);
}

TEST(CircleMasses, HostileDataNeitherHangsNorGivesNaN)
{
    auto m = pond(kWaterPressureBlock);
    m->conditions.sliceWidth = 0;        // would never end the slice loop
    addLine(*m, kBoundaryLine, 3, 5000); // a point that does not exist
    addLine(*m, kUncutLine, -4, 2);
    m->blocks[0].kind = 9; // an unknown kind is sliced as soil
    m->referenceLine.count = 0;
    m->conditions.referenceMode = 1;
    const auto out = evaluate(*m, 20, 20, 15);
    ASSERT_FALSE(out.empty());
    for (const auto& e : out) {
        EXPECT_TRUE(std::isfinite(e.record.mr));
        EXPECT_TRUE(std::isfinite(e.record.md));
    }
    EXPECT_TRUE(evaluate(*m, 20, 20, 0).empty());
    // An infinite slice width (one slice per sub-interval) and a nonsensical number of
    // decimals still give finite sums and a factor of safety that is a number.
    m->conditions.sliceWidth = HUGE_VAL;
    m->draw.decimals[kDecSafetyFactor] = -400;
    for (const auto& e : evaluate(*m, 20, 20, 15)) {
        EXPECT_TRUE(std::isfinite(e.record.md));
        EXPECT_LE(e.record.f, kNoSafetyFactor);
    }
}

TEST(CircleMasses, CircleThroughAVertexOfTwoBoundaryLinesKeepsOneMass)
{
    // Ground y = 8 over x -20..20, base -10; a layer boundary (-20,0)-(5,0)-(20,0) made of
    // two lines that meet at (5,0). The circle (0,10) of radius sqrt(125) passes through
    // that vertex (25 + 100 = 125), crosses the boundary again at (-5,0) and the ground at
    // x = +-sqrt(125 - 4) = +-11. Both lines give a crossing at (5,0): two crossings at one
    // place. The soil on both sides turns about the centre as one body: one mass from
    // x = 11 to x = -11.
    auto m = emptyModel();
    for (auto [x, y] : std::initializer_list<std::pair<double, double>>{
             {-20, -10}, {20, -10}, {20, 0}, {20, 8}, {-20, 8}, {-20, 0}, {5, 0}})
        addPoint(*m, x, y);
    chain(*m, {0, 1, 2, 3, 4, 5}, true);
    addLine(*m, kBoundaryLine, 5, 6);
    addLine(*m, kBoundaryLine, 6, 2);
    addBlock(*m, soil(0, 4));
    addBlock(*m, soil(0, -5));
    const double r = std::sqrt(125.0);

    const PreparedSection section(*m, buildPolygonTable(*m));
    const CircleCut cut = section.cutCircle(0, 10, r);
    int atVertex = 0;
    for (const CutPoint& p : cut.points)
        if (std::fabs(p.x - 5) < 1e-9 && std::fabs(p.y) < 1e-9) ++atVertex;
    ASSERT_EQ(atVertex, 2);

    const auto out = evaluate(*m, 0, 10, r);
    int withSlices = 0;
    for (const auto& e : out)
        withSlices += hasSlices(e.record) ? 1 : 0;
    ASSERT_EQ(withSlices, 1);
    EXPECT_NEAR(out.front().record.sx, 11, 1e-9);
    EXPECT_NEAR(out.back().record.ex, -11, 1e-9);
}

TEST(CircleMasses, StoredInvalidMassKeepsNoFactorInTheCriticalResult)
{
    // The published slope with an uncut line (100,5)-(100,30) across the base of the one
    // circle searched, (120, 90) r 80: the mass is invalid, f = 999999.9. With the maximum
    // factor of safety at 999999.9 it is stored; its sums are partial, and the factor they
    // would give (mr / md) must not become the critical factor (and an OUT verdict).
    auto build = [](bool uncut) {
        auto m = emptyModel();
        for (auto [x, y] : std::initializer_list<std::pair<double, double>>{
                 {0, 0}, {180, 0}, {180, 20}, {140, 20}, {60, 60}, {0, 60}, {100, 5}, {100, 30}})
            addPoint(*m, x, y);
        chain(*m, {0, 1, 2, 3, 4, 5}, true);
        if (uncut) addLine(*m, kUncutLine, 6, 7);
        addBlock(*m, soil(50, 30));
        m->conditions.maxSafetyFactor = kNoSafetyFactor;
        m->conditions.allowableSafetyFactor = 100;
        m->felleniusCircle.centreX = {120, 120, 1};
        m->felleniusCircle.centreY = {90, 90, 1};
        m->felleniusCircle.radius = {80, 80, 1};
        m->felleniusCircle.finestGrid = 1;
        m->felleniusCircle.firstGridExtension = 2;
        return m;
    };
    test::TempDir dir;
    CalcOptions o;
    o.workDir = dir.path();
    o.now = std::tm{};
    o.threads = 1;
    auto m = build(true);
    const auto results = std::make_unique<CalculationResults>();
    const CalcOutcome out = runCalculation(*m, *results, o);
    ASSERT_EQ(results->tables[0].size(), 1u);
    const SlipResult& stored = results->tables[0][0];
    EXPECT_EQ(stored.valid, 0);
    EXPECT_EQ(stored.f, kNoSafetyFactor);
    const double partial = truncateSafetyFactor(stored.mr / stored.md, 3);
    EXPECT_LT(partial, 100.0); // what the rebuilt critical result used to report: OUT
    ASSERT_TRUE(results->hasCritical);
    EXPECT_EQ(results->critical.f, kNoSafetyFactor);
    EXPECT_EQ(results->labels.at(0).f, kNoSafetyFactor);
    EXPECT_EQ(out.verdict, Verdict::Ok); // no factor of safety against the allowable 100

    // The sound mass of the same circle (no uncut line) is recomputed from its sums.
    m = build(false);
    runCalculation(*m, *results, o);
    ASSERT_EQ(results->tables[0].size(), 1u);
    EXPECT_EQ(results->tables[0][0].valid, 1);
    EXPECT_EQ(results->critical.f,
              truncateSafetyFactor(results->critical.mr / results->critical.md, 3));
    EXPECT_LT(results->critical.f, 100.0);
}
