// Straight slip lines: angle lists and limits, a planar wedge worked by hand, where the
// horizontal forces act, the segment division and the cut between two points, structure
// blocks, guards, levels, the critical result and the parallel search.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <optional>

#include "analysis/line_slip_search.h"
#include "test_support.h"

using namespace keltora;

namespace {

constexpr double kPi = 3.14159265358979323846;

// A 45-degree slope from the toe (0,0) to the crest (10,10), crest flat to x = 40, base
// at -10; one soil block c = 10, phi = 30, gamma = gamma' = 20.
std::unique_ptr<SlopeModel> slope(int method = kMethodLineByAngle)
{
    auto m = std::make_unique<SlopeModel>();
    resetModel(*m);
    const double xy[][2] = {{-10, -10}, {40, -10}, {40, 10}, {10, 10}, {0, 0}, {-10, 0}};
    for (const auto& p : xy)
        addPoint(*m, p[0], p[1]);
    for (int i = 0; i < 6; ++i)
        addLine(*m, kBoundaryLine, i, (i + 1) % 6);
    SoilBlock b;
    b.seed = {20, 0};
    b.unitWeight = b.effectiveUnitWeight = 20;
    b.baseCohesion = 10;
    b.frictionAngle = 30;
    addBlock(*m, b);
    m->conditions.method = method;
    m->conditions.sliceWidth = 0.5;
    LineSlipSettings& s = m->lineSlip;
    s.startX[0] = 0;
    s.startY[0] = 0;
    s.angle = {20, 40, 5};
    s.direction = 1;
    s.angleRefinement = 1;
    return m;
}

// A large-limit point up and to the right at 60 degrees: the lines of the search rise to
// the right of the toe.
void addLargeLimit(SlopeModel& m)
{
    const int p = *addPoint(m, 20, 20 * std::sqrt(3.0));
    addLine(m, kArcLimitPointLarge, p, p);
}

struct Prepared {
    std::unique_ptr<PolygonTable> polygons;
    std::unique_ptr<LineSection> section;
};

Prepared prepare(const SlopeModel& m)
{
    Prepared p;
    p.polygons = std::make_unique<PolygonTable>(buildPolygonTable(m));
    p.section = std::make_unique<LineSection>(m, *p.polygons);
    return p;
}

std::vector<EvaluatedMass> walk(const SlopeModel& m, const StraightLine& line)
{
    const Prepared p = prepare(m);
    std::vector<EvaluatedMass> out;
    walkLine(*p.section, line, 0, p.section->breaks({line.x0, line.ex}), out);
    return out;
}

std::optional<SlipResult> firstWithSlices(const std::vector<EvaluatedMass>& masses)
{
    for (const auto& m : masses)
        if (m.record.sx > -999999.0) return m.record;
    return std::nullopt;
}

CalcOutcome calc(SlopeModel& m, CalculationResults& r, const std::filesystem::path& dir,
                 int threads = 1)
{
    CalcOptions o;
    o.workDir = dir;
    o.threads = threads;
    o.now = std::tm{};
    return runCalculation(m, r, o);
}

} // namespace

TEST(LineByAngle, AngleListsOfTheLevels)
{
    // 12 .. 40 step 5: from floor(12/5)*5 = 10 (clamped to 12) to 40.
    EXPECT_EQ(levelAngles(12, 40, 5), (std::vector<double>{12, 15, 20, 25, 30, 35, 40}));
    // The second level around a best angle of 25 with the pitch 5: 20 .. 30 step 0.5.
    const auto second = levelAngles(25 - 5, 25 + 5, 0.5);
    ASSERT_EQ(second.size(), 21u);
    for (std::size_t i = 0; i < second.size(); ++i)
        EXPECT_DOUBLE_EQ(second[i], 20 + 0.5 * i);
    // A single angle, and an empty range.
    EXPECT_EQ(levelAngles(30, 30, 5), (std::vector<double>{30}));
    EXPECT_TRUE(levelAngles(31, 30, 5).empty());

    // Through the search: two levels, the best angle of the first level +- its pitch.
    auto m = slope();
    addLargeLimit(*m);
    m->lineSlip.angleRefinement = 2;
    test::TempDir dir;
    auto results = std::make_unique<CalculationResults>();
    ASSERT_EQ(calc(*m, *results, dir.path()).status, 0);
    const double best = results->minima[0].rr;
    ASSERT_EQ(results->tables[1].size(), 21u);
    EXPECT_DOUBLE_EQ(results->tables[1].front().rr, best - 5);
    EXPECT_DOUBLE_EQ(results->tables[1].back().rr, best + 5);
    EXPECT_LE(results->minima[1].f, results->minima[0].f);
}

TEST(LineByAngle, LimitsNarrowTheRangeAndSetTheSense)
{
    auto m = slope();
    m->lineSlip.angle = {5, 60, 1};
    // No limits: the range of the settings, the upper part running to the left.
    AngleRange r = angleRange(*m, 0, 0);
    EXPECT_EQ(r.amin, 5);
    EXPECT_EQ(r.amax, 60);
    EXPECT_EQ(r.slipSign, -1);

    // A large-limit point up and to the right at 30 degrees.
    const int big = *addPoint(*m, 30 * std::cos(kPi / 6), 30 * std::sin(kPi / 6));
    addLine(*m, kArcLimitPointLarge, big, big);
    r = angleRange(*m, 0, 0);
    EXPECT_EQ(r.slipSign, 1);
    EXPECT_NEAR(r.amax, 30, 1e-9);
    EXPECT_EQ(r.amin, 5);

    // With a small-limit point at 10 degrees the first angle rises to it.
    const int low = *addPoint(*m, 20 * std::cos(kPi / 18), 20 * std::sin(kPi / 18));
    addLine(*m, kArcLimitPointSmall, low, low);
    r = angleRange(*m, 0, 0);
    EXPECT_NEAR(r.amin, 10, 1e-9);
    EXPECT_NEAR(r.amax, 30, 1e-9);

    // Small limits without a large one leave the range alone and the sense at -1.
    auto s = slope();
    s->lineSlip.angle = {5, 60, 1};
    const int p = *addPoint(*s, 20 * std::cos(kPi / 18), 20 * std::sin(kPi / 18));
    addLine(*s, kArcLimitPointSmall, p, p);
    r = angleRange(*s, 0, 0);
    EXPECT_EQ(r.amin, 5);
    EXPECT_EQ(r.amax, 60);
    EXPECT_EQ(r.slipSign, -1);

    // A large limit up and to the left at 150 degrees folds to 30, sense -1.
    auto l = slope();
    l->lineSlip.angle = {5, 60, 1};
    const int q = *addPoint(*l, -20 * std::cos(kPi / 6), 20 * std::sin(kPi / 6));
    addLine(*l, kArcLimitPointLarge, q, q);
    r = angleRange(*l, 0, 0);
    EXPECT_NEAR(r.amax, 30, 1e-9);
    EXPECT_EQ(r.slipSign, -1);
}

TEST(LineByAngle, PlanarWedgeByHand)
{
    // The line at 30 degrees from the toe meets the crest at x = 10 / tan 30 = 17.3205.
    // Wedge (0,0)-(10,10)-(17.3205,10): area 0.5 * 10 * 7.3205 = 36.6025, W = 732.05.
    // Along the line: T = W cos30 tan30 = W sin30 = 366.025; Rc = c L = 10 * 20 = 200;
    // Dw = W sin30 = 366.025. F = 566.025 / 366.025 = 1.54641 -> 1.546.
    auto m = slope();
    const auto masses = walk(*m, lineByAngle(0, 0, 30, 1));
    const std::optional<SlipResult> r = firstWithSlices(masses);
    ASSERT_TRUE(r.has_value());
    const double w = 0.5 * 10 * (10 / std::tan(kPi / 6) - 10) * 20;
    EXPECT_NEAR(r->mrf, w * 0.5, 1e-6);
    EXPECT_NEAR(r->mrc, 200, 1e-9);
    EXPECT_NEAR(r->mdw, w * 0.5, 1e-6);
    EXPECT_EQ(r->mdh, 0.0);
    EXPECT_EQ(r->f, 1.546);
    EXPECT_EQ(r->rr, 30.0);
    EXPECT_NEAR(r->sx, 10 / std::tan(kPi / 6), 1e-9);
    EXPECT_NEAR(r->sy, 10, 1e-9);
    EXPECT_EQ(r->ex, 0.0);
    EXPECT_EQ(masses.back().directionSign, 1);

    // With kh = 0.1 and the seismic switch on: E = W kh sin30 tan30 comes off T and
    // Dk = kh W cos30 is added to the driving side.
    m->conditions.seismicCoefficient = 0.1;
    const std::optional<SlipResult> s = firstWithSlices(walk(*m, lineByAngle(0, 0, 30, 1)));
    ASSERT_TRUE(s.has_value());
    EXPECT_NEAR(s->mrf, w * 0.5 - w * 0.1 * 0.5 * std::tan(kPi / 6), 1e-6);
    EXPECT_NEAR(s->mdk, 0.1 * w * std::cos(kPi / 6), 1e-6);

    // direction = 2 (below the start point only): the lower part runs down to the left
    // under the flat ground and leaves the section at x = -10.
    m->conditions.seismicCoefficient = 0;
    m->lineSlip.direction = 2;
    const std::optional<SlipResult> below = firstWithSlices(walk(*m, lineByAngle(0, 0, 30, 1)));
    ASSERT_TRUE(below.has_value());
    EXPECT_NEAR(below->sx, 0, 1e-9);
    EXPECT_NEAR(below->ex, -10, 1e-9);
}

TEST(LineByAngle, OnlyTheSliceContainingForceXTakesTheForces)
{
    auto m = slope();
    m->conditions.forceH = {3, 4, 5};
    m->conditions.forceY = {100, 100, 100}; // heights play no part for lines
    const double c30 = std::cos(kPi / 6), s30 = std::sin(kPi / 6), t30 = std::tan(kPi / 6);
    m->lineSlip.forceX = 100;
    const auto base = *firstWithSlices(walk(*m, lineByAngle(0, 0, 30, 1)));
    EXPECT_EQ(base.mdh, 0.0);
    // forceX inside the mass, and exactly on a slice break (x = 10, a terrain point):
    // either way exactly one slice takes the 12 kN/m.
    for (const double fx : {13.37, 10.0}) {
        m->lineSlip.forceX = fx;
        const SlipResult r = *firstWithSlices(walk(*m, lineByAngle(0, 0, 30, 1)));
        EXPECT_NEAR(r.mdh, 12 * c30, 1e-9) << fx;
        EXPECT_NEAR(r.mrf, base.mrf - 12 * s30 * c30 * t30, 1e-9) << fx;
    }
    // At the left end of the mass (x = 0) the first slice from the left takes them.
    m->lineSlip.forceX = 0;
    EXPECT_NEAR(firstWithSlices(walk(*m, lineByAngle(0, 0, 30, 1)))->mdh, 12 * c30, 1e-9);
}

TEST(LineBySegments, DivisionOfTheSegments)
{
    // 10 m with pitch 3: floor(10/3) + 1 = 4 intervals, five points 2.5 m apart.
    const auto p = segmentPoints({0, 0}, {6, 8}, 3, 1000);
    ASSERT_EQ(p.size(), 5u);
    for (std::size_t i = 0; i < p.size(); ++i) {
        EXPECT_NEAR(p[i].x, 1.5 * i, 1e-12);
        EXPECT_NEAR(p[i].y, 2.0 * i, 1e-12);
    }
    // P1 = P2: one interval of length 0, the same point twice.
    const auto same = segmentPoints({4, 5}, {4, 5}, 1, 1000);
    ASSERT_EQ(same.size(), 2u);
    EXPECT_EQ(same[0].x, same[1].x);
    EXPECT_TRUE(segmentPoints({0, 0}, {1, 0}, 0, 1000).empty());
}

TEST(LineBySegments, CrossingsBeyondTheEndsMovedOntoThem)
{
    auto m = slope(kMethodLineBySegments);
    // S on the slope face, E on the crest: the line through them also crosses the crest
    // surface... and the base far to the left; those crossings are moved onto S and E.
    const StraightLine line = lineBetween({2, 2}, {20, 10});
    EXPECT_EQ(line.slipSign, 1);
    const Prepared p = prepare(*m);
    const CircleCut cut = cutLineBetween(*p.section, line);
    ASSERT_GE(cut.points.size(), 2u);
    for (const CutPoint& c : cut.points) {
        EXPECT_GE(c.x, 2.0);
        EXPECT_LE(c.x, 20.0);
    }
    const std::optional<SlipResult> r = firstWithSlices(walk(*m, line));
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->sx, 20.0);
    EXPECT_EQ(r->ex, 2.0);
    EXPECT_EQ(r->dx, 20.0);
    EXPECT_EQ(r->dy, 10.0);
    EXPECT_NEAR(r->rr, std::atan2(8, 18) * 180 / kPi, 1e-9);

    // A line that falls to the right, or a horizontal one, has the sense -1.
    EXPECT_EQ(lineBetween({0, 5}, {10, 0}).slipSign, -1);
    EXPECT_EQ(lineBetween({10, 0}, {0, 5}).slipSign, -1);
    EXPECT_EQ(lineBetween({0, 5}, {10, 5}).slipSign, -1);
}

TEST(LineBySegments, StructureBlockCarriesSlicesOnlyBetweenSegments)
{
    // A structure block (a buried wall 12..14 from the crest down to 0) in the slope.
    auto m = std::make_unique<SlopeModel>();
    resetModel(*m);
    const double xy[][2] = {{-10, -10}, {40, -10}, {40, 10}, {14, 10},
                            {12, 10},   {10, 10},  {0, 0},   {-10, 0}};
    for (const auto& p : xy)
        addPoint(*m, p[0], p[1]);
    for (int i = 0; i < 8; ++i)
        addLine(*m, kBoundaryLine, i, (i + 1) % 8);
    const int c = *addPoint(*m, 14, 0), d = *addPoint(*m, 12, 0);
    addLine(*m, kBoundaryLine, 4, d);
    addLine(*m, kBoundaryLine, d, c);
    addLine(*m, kBoundaryLine, c, 3);
    SoilBlock soil;
    soil.seed = {20, 0};
    soil.unitWeight = soil.effectiveUnitWeight = 20;
    soil.baseCohesion = 10;
    soil.frictionAngle = 30;
    addBlock(*m, soil);
    SoilBlock wall;
    wall.seed = {13, 5};
    wall.kind = kStructureBlock;
    wall.unitWeight = wall.effectiveUnitWeight = 24;
    addBlock(*m, wall);
    m->conditions.sliceWidth = 0.5;
    m->lineSlip.direction = 1;

    const std::optional<SlipResult> r = firstWithSlices(walk(*m, lineBetween({0, 0}, {20, 10})));
    ASSERT_TRUE(r.has_value());
    EXPECT_LT(r->f, 100.0);

    // The same line by angle is stopped by the structure: no factor.
    const double angle = std::atan2(10, 20) * 180 / kPi;
    const auto masses = walk(*m, lineByAngle(0, 0, angle, 1));
    for (const auto& mass : masses)
        EXPECT_EQ(mass.record.f, kNoSafetyFactor);
}

TEST(LineSearch, GuardsRefuseBadSettings)
{
    test::TempDir dir;
    auto results = std::make_unique<CalculationResults>();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        int method;
        Range3 angle;
        const char* text;
    };
    const Case cases[] = {
        {kMethodLineByAngle, {40, 30, 1}, "すべり角度　αmax/αmin　の値が不正です。"},
        {kMethodLineByAngle, {nan, 30, 1}, "すべり角度　αmax/αmin　の値が不正です。"},
        {kMethodLineByAngle, {20, 30, 0.0009}, "すべり角度　Δα　の値が不正です。"},
        {kMethodLineBySegments, {0, 1, 1}, "開始点ピッチ　の値が不正です。"},
        {kMethodLineBySegments, {-1, 1, 1}, "開始点ピッチ　の値が不正です。"},
        {kMethodLineBySegments, {1, nan, 1}, "終了点ピッチ　の値が不正です。"},
    };
    for (const Case& c : cases) {
        auto m = slope(c.method);
        m->lineSlip.angle = c.angle;
        const CalcOutcome out = calc(*m, *results, dir.path());
        EXPECT_EQ(out.status, -1);
        ASSERT_FALSE(out.messages.empty());
        EXPECT_EQ(out.messages[0].text, c.text);
        EXPECT_EQ(out.messages[0].caption, "error");
    }
    auto m = slope();
    m->lineSlip.startY[0] = std::numeric_limits<double>::infinity();
    EXPECT_EQ(calc(*m, *results, dir.path()).status, -1);
}

TEST(LineSearch, SegmentLevelsAndTheCriticalResult)
{
    // Start segment on the lower face, end segment on the crest.
    auto m = slope(kMethodLineBySegments);
    m->lineSlip.startX = {0, 4, 12, 24};
    m->lineSlip.startY = {0, 4, 10, 10};
    m->lineSlip.angle = {2, 4, 1};
    m->lineSlip.angleRefinement = 2;
    // A sheet pile that a circle of "centre" S and "radius" alpha would cross: it must
    // not act on a straight line.
    m->sheetPile.method = 3;
    m->sheetPile.x = 5;
    m->sheetPile.topY = 100;
    m->sheetPile.toeY = -100;
    m->sheetPile.allowableShear = 1e9;
    m->sheetPile.sectionArea = 1;
    test::TempDir serial, parallel;
    auto r1 = std::make_unique<CalculationResults>();
    auto r2 = std::make_unique<CalculationResults>();
    ASSERT_EQ(calc(*m, *r1, serial.path(), 1).status, 0);
    ASSERT_EQ(calc(*m, *r2, parallel.path(), 3).status, 0);
    // Start segment 5.66 m at pitch 2: 3 intervals, points 4/3 apart in x; end segment
    // 12 m at pitch 4: points 12, 15, .., 24; 4 x 5 = 20 pairs. The second level: 21 x 21
    // pairs around the best pair, less those beyond the segments' x extents.
    ASSERT_GT(r1->tables[0].size(), 0u);
    EXPECT_LE(r1->tables[0].size(), 20u);
    for (const auto& rec : r1->tables[0]) {
        EXPECT_NEAR(rec.cx * 3 / 4, std::round(rec.cx * 3 / 4), 1e-9);
        EXPECT_NEAR(rec.dx / 3, std::round(rec.dx / 3), 1e-9);
    }
    EXPECT_GT(r1->circlesEvaluated, 20);
    EXPECT_LE(r1->circlesEvaluated, 20 + 441);
    EXPECT_GT(r1->tables[1].size(), 0u);
    EXPECT_LE(r1->tables[1].size(), 441u);
    for (const auto& rec : r1->tables[1]) {
        EXPECT_GE(rec.cx, 0.0);
        EXPECT_LE(rec.cx, 4.0);
        EXPECT_GE(rec.dx, 12.0);
        EXPECT_LE(rec.dx, 24.0);
    }
    EXPECT_EQ(test::readBytes(parallel / "answer1.dmp"), test::readBytes(serial / "answer1.dmp"));
    EXPECT_EQ(test::readBytes(parallel / "answer2.dmp"), test::readBytes(serial / "answer2.dmp"));
    ASSERT_TRUE(r1->hasCritical);
    EXPECT_EQ(r1->critical.mry, 0.0);
    EXPECT_EQ(r1->critical.f, std::min(r1->minima[0].f, r1->minima[1].f));

    // Nothing stored at the first level: the second is skipped.
    m->conditions.maxSafetyFactor = 0.001;
    auto r3 = std::make_unique<CalculationResults>();
    const CalcOutcome out = calc(*m, *r3, serial.path());
    EXPECT_EQ(r3->gridsRun, 1);
    EXPECT_EQ(out.verdict, Verdict::None);
    EXPECT_FALSE(std::filesystem::exists(serial / "answer2.dmp"));
}

TEST(LineSearch, FactorBelowZeroIsReportedAsItIs)
{
    // A strong earthquake takes more friction than there is: T < 0 and no cohesion, so
    // the ratio is negative. It is stored and reported (OUT), never as "no factor".
    auto m = slope();
    addLargeLimit(*m);
    m->blocks[0].baseCohesion = 0;
    m->conditions.seismicCoefficient = 2.0;
    test::TempDir dir;
    auto results = std::make_unique<CalculationResults>();
    const CalcOutcome out = calc(*m, *results, dir.path());
    ASSERT_TRUE(results->hasCritical);
    EXPECT_LT(results->critical.f, 0.0);
    EXPECT_EQ(out.verdict, Verdict::Out);
}

TEST(LineByAngle, SandPileFormulasOnOneSlice)
{
    // One sand-pile block: W = 18, W' = 9, As = 0.3, n = 3, Ws = 19, phi_s = 30, C0 = 10.
    // Composite gamma = (19 + 9.80665) 0.3 + 0.7 * 18 = 21.241995, gamma' = gamma_m = 12.
    // A column of area 2 on a 30-degree line (C = cos 30, S = 0.5, ts C = 0.5, chord
    // 1 / cos 30): mu_s = 3 / 1.6 = 1.875.
    auto m = std::make_unique<SlopeModel>();
    resetModel(*m);
    const double xy[][2] = {{-5, -5}, {5, -5}, {5, 5}, {-5, 5}};
    for (const auto& p : xy)
        addPoint(*m, p[0], p[1]);
    for (int i = 0; i < 4; ++i)
        addLine(*m, kBoundaryLine, i, (i + 1) % 4);
    SoilBlock b;
    b.seed = {0, 0};
    b.unitWeight = 18;
    b.effectiveUnitWeight = 9;
    b.baseCohesion = 10;
    b.hasSandPiles = 1;
    b.pileReplacementRatio = 0.3;
    b.stressShareRatio = 3;
    b.pileUnitWeight = 19;
    b.pileFrictionAngle = 30;
    addBlock(*m, b);
    const double t30 = std::tan(kPi / 6), l = 1 / std::cos(kPi / 6);
    const std::vector<BlockColumn> cols{{0, 0.5, 1, 2.0}};
    const SliceGeometry g{0, 0, 30, 1, t30, 0, 0, 1, 0, cols};
    const StraightLine line = lineByAngle(0, 0, 30, 1);
    struct Expect {
        double t, rc;
    };
    // 0: (Ws A_k) As ts C = 38 * 0.3 * 0.5; 1 and 3: gamma_m A_k mu_s As ts C = 24 * 1.875
    // * 0.15; 2: gamma_m A_k ts C = 24 * 0.5. Cohesion (1 - As) c l for 0 and 1 only.
    const Expect expect[] = {{5.7, 7 * l}, {6.75, 7 * l}, {12, 0}, {6.75, 0}};
    for (int formula = 0; formula < 4; ++formula) {
        m->conditions.sandPileFormula = formula;
        const Prepared p = prepare(*m);
        const LineSliceForces f = lineSliceForces(*p.section, line, g);
        EXPECT_NEAR(f.t, expect[formula].t, 1e-12) << formula;
        EXPECT_NEAR(f.rc, expect[formula].rc, 1e-12) << formula;
        EXPECT_NEAR(f.dw, 2 * 21.241995 * 0.5, 1e-9) << formula; // (W + Q) S with sand piles
        EXPECT_EQ(f.dh, 0.0);
    }
}

TEST(LineCommands, LineAndCalcOnTheExamples)
{
    std::string out;
    const std::string cli = test::cliPath().string();
    const std::string ex = test::examplesDir().string();
    // The wedge of the example at 24 degrees: area 0.5 * 10 * (10/tan 24 - 15) = 37.30,
    // plus the surcharge 10 * (22.46 - 20): F = 534.781 / 283.104 -> 1.888.
    ASSERT_EQ(
        test::runCommand(cli + " line " + ex + "/wedge_line.SDW --start 0,0 --angle 24", &out), 0);
    EXPECT_NE(out.find("f=1.888"), std::string::npos) << out;
    ASSERT_EQ(test::runCommand(cli + " line " + ex + "/wedge_line.SDW --start 0,0", &out), 2)
        << out;
    test::TempDir dir;
    for (const char* name : {"wedge_line.SDW", "wedge_segments.SDW", "embankment_bishop.SDW"}) {
        const int status = test::runCommand(cli + " calc " + ex + "/" + name + " --workdir " +
                                                dir.path().string() + " --quiet --threads 2",
                                            &out);
        EXPECT_EQ(status, 0) << name << out;
        EXPECT_NE(out.find("OK"), std::string::npos) << name << out;
    }
}

TEST(LineByAngle, BothPartsFromAGroundPointAreTwoMasses)
{
    // A 45-degree face from the toe (0,0) up to the left to (-10,10), crest flat to -40,
    // toe flat to 30, base at -10; c = 10, phi = 30, gamma = gamma' = 20. No limits, so
    // the upper part of a line runs to the left (slip_sign -1). The line at 30 degrees
    // through the toe, both parts slipping (direction 0):
    //  upper part: the wedge (0,0)-(-10,10)-(-17.3205,10) under the face,
    //    W1 = 20 * 0.5 * 10 * (10/tan30 - 10) = 732.051, L1 = 10/sin30 = 20,
    //    F1 = (10 * 20 + W1 cos30 tan30) / (W1 sin30) = 566.025 / 366.025 = 1.54641;
    //  lower part: it leaves the base at (17.3205,-10); the soil above it up to the toe
    //    flat is the triangle (0,0)-(17.3205,0)-(17.3205,-10),
    //    W2 = 20 * 0.5 * 10 * 17.3205 = 1732.051, L2 = 20,
    //    F2 = (200 + W2 / 2) / (W2 / 2) = 1066.025 / 866.025 = 1.23094.
    // Both parts meet the ground at the toe: the crossings there end each mass. Summed as
    // one mass they would give (400 + 1232.051) / 1232.051 = 1.32466, not the 1.230 of the
    // weaker part.
    auto m = std::make_unique<SlopeModel>();
    resetModel(*m);
    const double xy[][2] = {{-40, -10}, {30, -10}, {30, 0}, {0, 0}, {-10, 10}, {-40, 10}};
    for (const auto& p : xy)
        addPoint(*m, p[0], p[1]);
    for (int i = 0; i < 6; ++i)
        addLine(*m, kBoundaryLine, i, (i + 1) % 6);
    SoilBlock b;
    b.seed = {-20, 0};
    b.unitWeight = b.effectiveUnitWeight = 20;
    b.baseCohesion = 10;
    b.frictionAngle = 30;
    addBlock(*m, b);
    m->conditions.method = kMethodLineByAngle;
    m->conditions.sliceWidth = 0.5;
    LineSlipSettings& s = m->lineSlip;
    s.startX[0] = 0;
    s.startY[0] = 0;
    s.angle = {30, 30, 1};
    s.direction = 0;
    s.angleRefinement = 1;

    const double t30 = std::tan(kPi / 6);
    const double w1 = 20 * 0.5 * 10 * (10 / t30 - 10), w2 = 20 * 0.5 * 10 * (10 / t30);
    const double f1 = (200 + w1 * std::cos(kPi / 6) * t30) / (w1 * 0.5);
    const double f2 = (200 + w2 * 0.5) / (w2 * 0.5);
    ASSERT_NEAR(f1, 1.54641, 1e-5);
    ASSERT_NEAR(f2, 1.23094, 1e-5);

    std::vector<SlipResult> masses;
    for (const auto& e : walk(*m, lineByAngle(0, 0, 30, -1)))
        if (e.record.sx > -999999.0) masses.push_back(e.record);
    ASSERT_EQ(masses.size(), 2u);
    // From the right: the lower part first.
    EXPECT_NEAR(masses[0].sx, 10 / t30, 1e-9);
    EXPECT_NEAR(masses[0].ex, 0, 1e-9);
    EXPECT_NEAR(masses[0].mdw, w2 * 0.5, 1e-6);
    EXPECT_EQ(masses[0].f, std::floor(f2 * 1000 + 0.0001) / 1000); // 1.230
    EXPECT_NEAR(masses[1].sx, 0, 1e-9);
    EXPECT_NEAR(masses[1].ex, -10 / t30, 1e-9);
    EXPECT_NEAR(masses[1].mdw, w1 * 0.5, 1e-6);
    EXPECT_EQ(masses[1].f, std::floor(f1 * 1000 + 0.0001) / 1000); // 1.546

    // The run stores both and reports the weaker part.
    test::TempDir dir;
    auto results = std::make_unique<CalculationResults>();
    ASSERT_EQ(calc(*m, *results, dir.path()).status, 0);
    EXPECT_EQ(results->tables[0].size(), 2u);
    EXPECT_EQ(results->critical.f, 1.230);

    // Only the upper part slipping: the wedge alone.
    m->lineSlip.direction = 1;
    ASSERT_EQ(calc(*m, *results, dir.path()).status, 0);
    ASSERT_EQ(results->tables[0].size(), 1u);
    EXPECT_EQ(results->critical.f, 1.546);
}
