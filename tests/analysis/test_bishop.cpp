// The simplified Bishop method: a fixed circle against an independent calculation of the
// program's formulas (and the published textbook value), the iteration, the slice terms,
// what the method ignores, the two scratch files and the parallel search.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <sstream>

#include "analysis/bishop.h"
#include "model/c_format.h"
#include "test_support.h"

using namespace keltora;

namespace {

constexpr double kPi = 3.14159265358979323846;

// Fredlund & Krahn (1977), dry case: ground (0,60)-(60,60)-(140,20)-(180,20), base at 0,
// c = 600, phi = 20 degrees, gamma = 120 (any consistent units).
std::unique_ptr<SlopeModel> fredlundKrahn(int method = kMethodBishop, double phi = 20)
{
    auto m = std::make_unique<SlopeModel>();
    resetModel(*m);
    const double xy[][2] = {{0, 0}, {180, 0}, {180, 20}, {140, 20}, {60, 60}, {0, 60}};
    for (const auto& p : xy)
        addPoint(*m, p[0], p[1]);
    for (int i = 0; i < 6; ++i)
        addLine(*m, kBoundaryLine, i, (i + 1) % 6);
    SoilBlock b;
    b.seed = {90, 10};
    b.unitWeight = 120;
    b.effectiveUnitWeight = 120;
    b.baseCohesion = 600;
    b.frictionAngle = phi;
    addBlock(*m, b);
    m->conditions.method = method;
    m->conditions.sliceWidth = 0.5;
    CircleSearchSettings& s = m->bishopCircle;
    s.centreX = {110, 130, 10};
    s.centreY = {80, 100, 10};
    s.radius = {70, 90, 5};
    s.finestGrid = 1;
    s.firstGridExtension = 2;
    s.direction = 1;
    return m;
}

double ground(double x)
{
    return x <= 60 ? 60 : x >= 140 ? 20 : 60 - (x - 60) / 2;
}

struct IndependentSlice {
    double alpha, b, l, w;
};

// The slices of circle (120, 90, 80) cut as the program cuts them: sub-intervals between
// the centre x and the terrain points, each divided into equal slices no wider than 0.5,
// weights by the mid-point height of ground above arc.
std::vector<IndependentSlice> fredlundKrahnSlices()
{
    auto arc = [](double x) { return 90 - std::sqrt(6400 - (x - 120) * (x - 120)); };
    const double xl = 120 - std::sqrt(5500.0), xr = 120 + std::sqrt(1500.0);
    const double edges[] = {xr, 140, 120, 60, xl};
    std::vector<IndependentSlice> out;
    for (int i = 0; i < 4; ++i) {
        const double prev = edges[i], cur = edges[i + 1];
        const int n = static_cast<int>(std::ceil((prev - cur) / 0.5));
        const double w = (prev - cur) / n;
        for (int k = 0; k < n; ++k) {
            const double x1 = prev - k * w, x2 = x1 - w, xm = (x1 + x2) / 2;
            const double y1 = arc(x1), y2 = arc(x2);
            out.push_back({std::atan2(y1 - y2, x1 - x2), w, std::hypot(x1 - x2, y1 - y2),
                           120 * (ground(xm) - arc(xm)) * w});
        }
    }
    return out;
}

// F of the program's formulas (code 2 or 4), solved to 1e-12 by plain substitution.
double independentF(bool modified)
{
    const double c = 600, t = std::tan(20 * kPi / 180), r = 80;
    const auto slices = fredlundKrahnSlices();
    double md = 0;
    for (const auto& s : slices)
        md += s.w * r * std::sin(s.alpha);
    md = std::fabs(md);
    double f = 1;
    for (int it = 0; it < 200; ++it) {
        double n = 0;
        for (const auto& s : slices) {
            if (!modified) {
                n += (c * s.l + s.w * t) * r /
                     (std::cos(s.alpha) + std::fabs(std::sin(s.alpha) * t) / f);
            } else {
                const double k = std::tan(s.alpha * 2 / 7);
                const double kappa = 1 + std::tan(s.alpha) * k;
                n += (kappa * c * s.b + s.w * t) * r /
                     (kappa * std::cos(s.alpha) +
                      std::fabs(std::cos(s.alpha) * (std::tan(s.alpha) - k) * t) / f);
            }
        }
        f = n / md;
    }
    return f;
}

// The textbook simplified Bishop factor on the same slices: cohesion on the width b and
// m = cos a + sin a tan(phi) / F with a signed positive where the base descends in the
// direction of sliding (to the right here).
double textbookF()
{
    const double c = 600, t = std::tan(20 * kPi / 180);
    const auto slices = fredlundKrahnSlices();
    double driving = 0;
    for (const auto& s : slices)
        driving += s.w * std::sin(-s.alpha);
    double f = 1;
    for (int it = 0; it < 200; ++it) {
        double n = 0;
        for (const auto& s : slices)
            n += (c * s.b + s.w * t) / (std::cos(s.alpha) + std::sin(-s.alpha) * t / f);
        f = n / driving;
    }
    return f;
}

struct CircleRun {
    std::vector<EvaluatedMass> masses;
    BishopCapture capture;
};

CircleRun evaluate(const SlopeModel& m, double cx, double cy, double rr)
{
    const auto polygons = std::make_unique<PolygonTable>(buildPolygonTable(m));
    const BishopEvaluator ev(m, *polygons);
    CircleRun run;
    ev.evaluateCircleCapturing(0, cx, cy, rr, ev.buildSliceBreaks(cx), run.masses, &run.capture);
    return run;
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    std::string l;
    while (std::getline(in, l)) {
        if (!l.empty() && l.back() == '\r') l.pop_back();
        out.push_back(l);
    }
    return out;
}

double field(const std::string& line, const char* name)
{
    const auto at = line.find(name);
    double v = NAN;
    if (at != std::string::npos) cscan(line.c_str() + at + std::strlen(name), "%lf", &v);
    return v;
}

struct CalcRunFiles {
    CalcOutcome outcome;
    std::unique_ptr<CalculationResults> results = std::make_unique<CalculationResults>();
    std::string answer1, bishopDmp, trace;
};

CalcRunFiles calc(SlopeModel& m, const std::filesystem::path& dir, int threads = 1)
{
    CalcRunFiles r;
    CalcOptions o;
    o.workDir = dir;
    o.threads = threads;
    o.now = std::tm{};
    r.outcome = runCalculation(m, *r.results, o);
    r.answer1 = test::readBytes(dir / "answer1.dmp");
    r.bishopDmp = test::readBytes(dir / "bishop.dmp");
    r.trace = test::readBytes(dir / "test_dmp.txt");
    return r;
}

} // namespace

TEST(Bishop, FixedCircleAgainstIndependentCalculation)
{
    // The textbook method on these slices reproduces the published 2.080 (Fredlund &
    // Krahn 1977); this checks the independent slicing itself.
    EXPECT_NEAR(textbookF(), 2.080, 0.005);

    // The program's code-2 formula puts the cohesion on the base length l and takes
    // |sin a tan phi|, so it differs from the textbook (here it is higher); code 4 has
    // its own kappa terms. Both are computed independently above.
    for (const bool modified : {false, true}) {
        auto m = fredlundKrahn(modified ? kMethodBishopModified : kMethodBishop);
        const CircleRun run = evaluate(*m, 120, 90, 80);
        ASSERT_EQ(run.masses.size(), 1u);
        const SlipResult& r = run.masses[0].record;
        const double expected = independentF(modified);
        // The program stops within 0.00001 of the fixed point and cuts to 3 decimals.
        EXPECT_LE(r.f, expected + 0.00002) << modified;
        EXPECT_GT(r.f, expected - 0.00102) << modified;
        EXPECT_EQ(run.masses[0].directionSign, -1); // slides to the right: mdw made positive
        EXPECT_EQ(r.mrf, 0.0);
        EXPECT_EQ(r.mrc, r.mr);
        EXPECT_NEAR(r.sx, 120 + std::sqrt(1500.0), 1e-6);
        EXPECT_NEAR(r.ex, 120 - std::sqrt(5500.0), 1e-6);
        EXPECT_EQ(run.capture.slices.size(), fredlundKrahnSlices().size());
        if (!modified) {
            EXPECT_GT(expected, textbookF() + 0.05);
        }
    }
}

TEST(Bishop, IterationWithoutFrictionHalvesTowardsTheFactor)
{
    // With phi = 0 the divisor does not depend on F: every pass gives the same F1, and
    // F0 halves its distance to it, so the pass count is floor(log2(|1 - F1| / 1e-5)) + 2.
    auto m = fredlundKrahn(kMethodBishop, 0);
    const CircleRun run = evaluate(*m, 120, 90, 80);
    const auto trace = lines(run.capture.trace);
    ASSERT_GT(trace.size(), 5u);
    const double f1 = field(trace[0], "ans=");
    EXPECT_EQ(field(trace[0], "init="), 1.0);
    for (const auto& l : trace)
        EXPECT_EQ(field(l, "ans="), f1);
    const double d = std::fabs(1 - f1) / 0.00001;
    EXPECT_EQ(static_cast<double>(trace.size()), std::floor(std::log2(d)) + 2);
    EXPECT_LT(field(trace.back(), "init-ans="), 0.00001);
    EXPECT_EQ(run.masses.at(0).record.f, std::floor(f1 * 1000 + 0.0001) / 1000);
    // The trace shows the cohesion share sum(C)/rr in tf: c l / cos a summed over slices.
    EXPECT_EQ(field(trace[0], "mrf="), 0.0);
}

TEST(Bishop, SliceTermsOfMirroredSlicesAndTheTwoFormulas)
{
    auto m = fredlundKrahn(kMethodBishop, 30);
    const auto polygons = std::make_unique<PolygonTable>(buildPolygonTable(*m));
    PreparedSection section(*m, *polygons);
    const std::vector<BlockColumn> cols{{0, 50, 30, 2.0}};
    // A base rising to the right (a = +35 degrees) and its mirror (a = -35 degrees).
    const double dy = std::tan(35 * kPi / 180);
    const SliceGeometry up{50, 80, 40, 51, 10 + dy, 50, 10, 1, 0, cols};
    const SliceGeometry down{50, 80, 40, 51, 10, 50, 10 + dy, 1, 0, cols};
    for (const bool modified : {false, true}) {
        std::vector<BishopSliceTerms> t;
        const BishopDriving d1 = writeBishopSlice(section, up, modified, t);
        const BishopDriving d2 = writeBishopSlice(section, down, modified, t);
        ASSERT_EQ(t.size(), 2u);
        for (const double f : {0.5, 1.0, 1.7})
            EXPECT_DOUBLE_EQ(t[0].cosTerm + t[0].absTerm / f, t[1].cosTerm + t[1].absTerm / f);
        EXPECT_DOUBLE_EQ(d1.mdw, -d2.mdw);
        // Hand values: W = W' = 2 * 120 = 240, c = 600, tan 30, rr = 40, a = 35 degrees.
        const double a = 35 * kPi / 180, tn = std::tan(30 * kPi / 180);
        EXPECT_NEAR(d1.mdw, 240 * 40 * std::sin(a), 1e-9);
        if (!modified) {
            EXPECT_NEAR(t[0].cohesionPart, 600 * (1 / std::cos(a)) * 40, 1e-9); // c l rr
            EXPECT_NEAR(t[0].absTerm, std::sin(a) * tn, 1e-12);
        } else {
            const double kappa = 1 + std::tan(a) * std::tan(2 * a / 7);
            EXPECT_NEAR(t[0].cohesionPart, kappa * 600 * 1 * 40, 1e-9); // kappa c b rr
            EXPECT_NEAR(t[0].cosTerm, kappa * std::cos(a), 1e-12);
            EXPECT_GE(kappa, 1.0);
        }
        EXPECT_NEAR(t[0].frictionPart, 240 * tn * 40, 1e-9);
        EXPECT_NEAR(t[0].numerator, t[0].cohesionPart + t[0].frictionPart, 1e-9);
    }
}

TEST(Bishop, SandPilesAndSheetPilesTakeNoPartInTheSearch)
{
    test::TempDir d0, d1, d2, d3;
    auto plain = fredlundKrahn();
    const CalcRunFiles base = calc(*plain, d0.path());
    ASSERT_EQ(base.outcome.status, 0);
    ASSERT_TRUE(base.results->hasCritical);

    // A block flagged as sand-pile improved acts with its own values.
    auto piles = fredlundKrahn();
    SoilBlock& b = piles->blocks[0];
    b.hasSandPiles = 1;
    b.pileReplacementRatio = 0.3;
    b.stressShareRatio = 3;
    b.pileUnitWeight = 19;
    b.pileFrictionAngle = 35;
    const CalcRunFiles sand = calc(*piles, d1.path());
    EXPECT_EQ(sand.answer1, base.answer1);
    EXPECT_EQ(sand.results->critical.f, base.results->critical.f);

    // An uncut sheet pile does not reject circles.
    auto uncut = fredlundKrahn();
    uncut->sheetPile.method = 1;
    uncut->sheetPile.x = 115;
    uncut->sheetPile.topY = 70;
    uncut->sheetPile.toeY = 0;
    EXPECT_EQ(calc(*uncut, d2.path()).answer1, base.answer1);

    // A shear-capacity pile leaves the search alone and raises only the reported
    // critical result: (mrf + mrc + mry) / md with the circle's sheet pile moment.
    auto shear = fredlundKrahn();
    shear->sheetPile.method = 3;
    shear->sheetPile.x = 115;
    shear->sheetPile.topY = 100;
    shear->sheetPile.toeY = -20;
    shear->sheetPile.allowableShear = 5e7;
    shear->sheetPile.sectionArea = 0.01;
    const CalcRunFiles pile = calc(*shear, d3.path());
    EXPECT_EQ(pile.answer1, base.answer1);
    const SlipResult& c = pile.results->critical;
    EXPECT_GT(c.mry, 0.0);
    EXPECT_EQ(c.mry, sheetPileMoment(*shear, c.cx, c.cy, c.rr));
    EXPECT_EQ(c.f, std::floor((c.mrf + c.mrc + c.mry) / c.md * 1000 + 0.0001) / 1000);
    EXPECT_GT(c.f, base.results->critical.f);
}

TEST(Bishop, WaterPressureBlockSplitsTheCircleAndEachMassIteratesFromOne)
{
    // Flat ground at 10 with a water-filled trench 40..60 down to 5.
    auto m = std::make_unique<SlopeModel>();
    resetModel(*m);
    const double xy[][2] = {{0, 0},  {100, 0}, {100, 10}, {60, 10},
                            {60, 5}, {40, 5},  {40, 10},  {0, 10}};
    for (const auto& p : xy)
        addPoint(*m, p[0], p[1]);
    for (int i = 0; i < 8; ++i)
        addLine(*m, kBoundaryLine, i, (i + 1) % 8);
    addLine(*m, kBoundaryLine, 3, 6);
    SoilBlock soil;
    soil.seed = {20, 3};
    soil.unitWeight = soil.effectiveUnitWeight = 18;
    soil.baseCohesion = 20;
    soil.frictionAngle = 25;
    addBlock(*m, soil);
    SoilBlock water;
    water.seed = {50, 8};
    water.kind = kWaterPressureBlock;
    water.unitWeight = 10;
    addBlock(*m, water);
    m->conditions.method = kMethodBishop;
    m->bishopCircle.direction = 1;

    const CircleRun run = evaluate(*m, 50, 30, 24);
    int withSlices = 0;
    for (const auto& mass : run.masses)
        if (mass.record.sx > -999999.0) {
            ++withSlices;
            EXPECT_LT(mass.record.f, 100.0);
        }
    EXPECT_EQ(withSlices, 2);
    // The last mass (the left one) starts its own iteration at 1.0 over its own slices.
    const auto trace = lines(run.capture.trace);
    ASSERT_FALSE(trace.empty());
    EXPECT_EQ(field(trace[0], "init="), 1.0);
    EXPECT_LT(field(trace.back(), "init-ans="), 0.00001);
    EXPECT_LT(run.masses.back().record.sx, 40.0 + 1e-9);
}

TEST(Bishop, ScratchFilesHoldTheLastMassAndMatchInParallel)
{
    test::TempDir serialDir, parallelDir;
    auto m = fredlundKrahn();
    m->bishopCircle.finestGrid = 2;
    const CalcRunFiles serial = calc(*m, serialDir.path(), 1);
    const CalcRunFiles parallel = calc(*m, parallelDir.path(), 3);
    ASSERT_EQ(serial.outcome.status, 0);
    EXPECT_EQ(parallel.answer1, serial.answer1);
    EXPECT_EQ(test::readBytes(parallelDir / "answer2.dmp"),
              test::readBytes(serialDir / "answer2.dmp"));
    EXPECT_EQ(parallel.bishopDmp, serial.bishopDmp);
    EXPECT_EQ(parallel.trace, serial.trace);

    // The last circle of the serial order: the last centre of grid 2 and its largest
    // radius. Its slices are the 40-byte little-endian records of bishop.dmp.
    const SearchGrid& g = serial.results->grids[1];
    const auto cols = gridValues(g.xmin, g.xmax, g.dx, false, 1000, nullptr);
    const auto rows = gridValues(g.ymin, g.ymax, g.dy, true, 1000, nullptr);
    const CircleRun last = evaluate(*m, cols.back(), rows.back(), 90);
    ASSERT_EQ(serial.bishopDmp.size(), last.capture.slices.size() * 40);
    ASSERT_FALSE(last.capture.slices.empty());
    for (std::size_t i = 0; i < last.capture.slices.size(); ++i) {
        double v[5];
        for (int k = 0; k < 5; ++k) {
            std::uint64_t bits = 0;
            for (int byte = 7; byte >= 0; --byte)
                bits =
                    bits << 8 | static_cast<unsigned char>(serial.bishopDmp[i * 40 + k * 8 + byte]);
            v[k] = std::bit_cast<double>(bits);
        }
        const BishopSliceTerms& t = last.capture.slices[i];
        EXPECT_EQ(v[0], t.numerator);
        EXPECT_EQ(v[1], t.cosTerm);
        EXPECT_EQ(v[2], t.absTerm);
        EXPECT_EQ(v[3], t.cohesionPart);
        EXPECT_EQ(v[4], t.frictionPart);
    }
    // test_dmp.txt: CR LF lines, the last one converged.
    EXPECT_NE(serial.trace.find("\r\n"), std::string::npos);
    const auto trace = lines(serial.trace);
    ASSERT_FALSE(trace.empty());
    EXPECT_LT(field(trace.back(), "init-ans="), 0.00001);
    EXPECT_EQ(field(trace.back(), "rr="), 90.0);
}

TEST(Bishop, ScratchFilesSkipTheLastCentresWithoutCircles)
{
    // Centres x 110, 120, 130 (ascending), y 100, 90, 80 (descending), each offset by
    // 0.00001 as the search does; radii 70..90 at 5. A small arc-limit point at (130, 175)
    // raises Rmin to the distance from each centre: 95 from (130, 80), sqrt(10^2 + 95^2)
    // = 95.5 from (120, 80), 97.1 from (110, 80), all beyond Rmax = 90: those centres have
    // no circle, and (130, 80) is the last centre of the serial order. The last one with
    // circles is (130, 90), at a distance of 84.99999: its radii run from floor(84.99999)
    // = 84 in steps of 5, that is 84.99999 (84 clamped) and 89. The files hold the last
    // mass of the circle (130.00001, 90.00001) r 89.
    auto m = fredlundKrahn();
    const int p = *addPoint(*m, 130, 175);
    addLine(*m, kArcLimitPointSmall, p, p);
    for (int threads : {1, 3}) {
        test::TempDir dir;
        const CalcRunFiles run = calc(*m, dir.path(), threads);
        ASSERT_EQ(run.outcome.status, 0);
        const SearchGrid& g = run.results->grids[0];
        const auto cols = gridValues(g.xmin, g.xmax, g.dx, false, 1000, nullptr);
        const auto rows = gridValues(g.ymin, g.ymax, g.dy, true, 1000, nullptr);
        ASSERT_EQ(rows.size(), 3u);
        EXPECT_NEAR(cols.back(), 130.00001, 1e-9);
        EXPECT_NEAR(rows[1], 90.00001, 1e-9);
        const CircleRun last = evaluate(*m, cols.back(), rows[1], 89);
        ASSERT_FALSE(last.capture.slices.empty());
        ASSERT_EQ(run.bishopDmp.size(), last.capture.slices.size() * 40) << threads;
        std::string expected;
        for (const BishopSliceTerms& t : last.capture.slices)
            for (double v : {t.numerator, t.cosTerm, t.absTerm, t.cohesionPart, t.frictionPart}) {
                auto bits = std::bit_cast<std::uint64_t>(v);
                for (int k = 0; k < 8; ++k, bits >>= 8)
                    expected += static_cast<char>(bits & 0xffu);
            }
        EXPECT_EQ(run.bishopDmp, expected) << threads;
        const auto trace = lines(run.trace);
        ASSERT_FALSE(trace.empty());
        EXPECT_EQ(field(trace.back(), "rr="), 89.0);
    }
}

TEST(Bishop, IterationThatCannotEndStoresNoFactor)
{
    // A driving moment that is NaN never ends the iteration: no factor, never a NaN.
    auto m = fredlundKrahn();
    const auto polygons = std::make_unique<PolygonTable>(buildPolygonTable(*m));
    const PreparedSection section(*m, *polygons);
    MassState mass;
    resetMass(mass, 0, 120, 90, 80);
    mass.rec.sx = 150;
    mass.rec.ex = 50;
    mass.rec.mdk = NAN;
    const std::vector<BishopSliceTerms> terms{{1000, 0.9, 0.1, 400, 600}};
    BishopIteration it;
    finishBishopMass(section, mass, terms, &it);
    EXPECT_FALSE(it.ended);
    EXPECT_EQ(it.passes, kBishopMaxPasses);
    EXPECT_EQ(mass.rec.f, kNoSafetyFactor);

    // No driving moment: F1 = 999999.99 and the iteration ends at once.
    resetMass(mass, 0, 120, 90, 80);
    finishBishopMass(section, mass, terms, &it);
    EXPECT_TRUE(it.ended);
    EXPECT_EQ(it.passes, 1);
    EXPECT_TRUE(it.trace.empty());
    EXPECT_NEAR(mass.rec.f, 999999.99, 1e-6);

    // A small positive factor is stored as it is (no lower guard).
    resetMass(mass, 0, 120, 90, 80);
    mass.rec.mdw = 1e9;
    finishBishopMass(section, mass, terms, &it);
    EXPECT_TRUE(it.ended);
    EXPECT_GE(mass.rec.f, 0.0);
    EXPECT_LT(mass.rec.f, 0.001);
}

TEST(Bishop, UnwritableScratchFilesAreReported)
{
    // Folders in the way of both files: each failure is reported; the factors come from
    // the terms in memory and stand.
    test::TempDir dir;
    std::filesystem::create_directory(dir / "bishop.dmp");
    std::filesystem::create_directory(dir / "test_dmp.txt");
    auto m = fredlundKrahn();
    auto results = std::make_unique<CalculationResults>();
    CalcOptions o;
    o.workDir = dir.path();
    o.now = std::tm{};
    const CalcOutcome out = runCalculation(*m, *results, o);
    ASSERT_GE(out.messages.size(), 3u);
    EXPECT_EQ(out.messages[0].text, "not openned bishop.dmp\n");
    EXPECT_EQ(out.messages[0].caption, "ERROR");
    EXPECT_EQ(out.messages[1].text, "not openned test_dmp.txt\n");
    EXPECT_TRUE(results->hasCritical);
    EXPECT_NE(out.verdict, Verdict::None);
}
