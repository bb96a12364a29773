// The circle search against synthetic evaluations: radius ranges and alignment, grid
// order, the mass store, extension, refinement, ties, abort, large tables, dump files and
// serial = parallel.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <random>

#include "analysis/bishop.h"
#include "analysis/circle_search.h"
#include "analysis/test_search_fake.h"
#include "model/c_format.h"
#include "test_support.h"

using namespace keltora;
using keltora::test::FakeEvaluator;

namespace {

std::unique_ptr<SlopeModel> freshModel()
{
    auto m = std::make_unique<SlopeModel>();
    resetModel(*m);
    return m;
}

CircleSearchSettings settings(Range3 x, Range3 y, Range3 r, int grids = 1, int extension = 2)
{
    CircleSearchSettings s;
    s.centreX = x;
    s.centreY = y;
    s.radius = r;
    s.finestGrid = grids;
    s.firstGridExtension = extension;
    return s;
}

struct Run {
    CalculationResults results;
    MessageList messages;
    int status = 0;
};

std::unique_ptr<Run> search(const SlopeModel& model, const CircleSearchSettings& s,
                            const CircleEvaluator& ev, const std::filesystem::path& dir,
                            int threads = 1, CalculationObserver* observer = nullptr)
{
    auto run = std::make_unique<Run>();
    CircleSearchOptions o;
    o.workDir = dir;
    o.threads = threads;
    run->status = runCircleSearch(model, s, ev, o, run->results, observer, run->messages);
    return run;
}

int countLines(const std::string& s, const std::string& start)
{
    int n = 0;
    std::size_t pos = 0;
    while ((pos = s.find(start, pos)) != std::string::npos) {
        ++n;
        pos += start.size();
    }
    return n;
}

class LineRecorder : public CalculationObserver {
  public:
    void setLine(int line, const std::string& text) override
    {
        lines.push_back(cformat("%d:", line) + text);
    }
    bool abortRequested() override { return ++asked > abortAfter; }
    std::vector<std::string> lines;
    long long asked = 0;
    long long abortAfter = std::numeric_limits<long long>::max();
};

} // namespace

TEST(RadiusAlignment, AlignedToUnitAndClamped)
{
    // Pitch 0.5 aligns to multiples of 0.5: 10.0 -> 10.2 and 13.0 -> 12.9 are clamped.
    EXPECT_EQ(alignedRadii({10.2, 12.9, 0.5}),
              (std::vector<double>{10.2, 10.5, 11.0, 11.5, 12.0, 12.5, 12.9}));
    // Pitch 1 aligns to whole metres.
    EXPECT_EQ(alignedRadii({8.3, 10.6, 1.0}), (std::vector<double>{8.3, 9.0, 10.0, 10.6}));
    // Pitch 3 also aligns to unit 1: 8 (clamped to 8.3), 11; 14 lies beyond the aligned
    // end 12, so Rmax itself is not evaluated.
    EXPECT_EQ(alignedRadii({8.3, 12.0, 3.0}), (std::vector<double>{8.3, 11.0}));
    // A range of one value, and a range closed by the limits.
    EXPECT_EQ(alignedRadii({7.0, 7.00005, 1.0}), (std::vector<double>{7.0}));
    EXPECT_TRUE(alignedRadii({9.0, 8.0, 1.0}).empty());
    // A hopeless pitch gives nothing instead of a runaway loop.
    bool tooMany = false;
    EXPECT_TRUE(alignedRadii({1.0, 1e12, 0.001}, 1000000, &tooMany).empty());
    EXPECT_TRUE(tooMany);
}

TEST(RadiusRange, ArcLimitLinesAndPoints)
{
    auto m = freshModel();
    const Range3 r{1.0, 100.0, 1.0};
    // No limits: the settings.
    RadiusRange rr = radiusRange(*m, r, 0.0, 10.0);
    EXPECT_DOUBLE_EQ(rr.rmin, 1.0);
    EXPECT_DOUBLE_EQ(rr.rmax, 100.0);

    // Horizontal small limit line at y = 2 (a line from a point to itself): Rmin = 10 - 2.
    const int p0 = *addPoint(*m, 50.0, 2.0);
    addLine(*m, kArcLimitLineSmall, p0, p0);
    rr = radiusRange(*m, r, 0.0, 10.0);
    EXPECT_DOUBLE_EQ(rr.rmin, 8.0);

    // A sloped small line from (-3, 0) to (3, 6): the foot of the perpendicular from
    // (0, 10) is (3.5, 6.5), off the segment, so the nearer end (3, 6) counts: 5.
    const int a = *addPoint(*m, -3.0, 0.0);
    const int b = *addPoint(*m, 3.0, 6.0);
    addLine(*m, kArcLimitLineSmall, a, b);
    rr = radiusRange(*m, r, 0.0, 10.0);
    EXPECT_DOUBLE_EQ(rr.rmin, 5.0); // the nearest small line wins

    // A small point at (0, 3) pushes every circle beyond it: Rmin = 7.
    const int sp = *addPoint(*m, 0.0, 3.0);
    addLine(*m, kArcLimitPointSmall, sp, sp);
    rr = radiusRange(*m, r, 0.0, 10.0);
    EXPECT_DOUBLE_EQ(rr.rmin, 7.0);

    // Large limits: a point at distance 30 and a segment from (-10, -15) to (10, -15) whose
    // foot (0, -15) lies on it: distance 25.
    const int lp = *addPoint(*m, 30.0, 10.0);
    addLine(*m, kArcLimitPointLarge, lp, lp);
    const int c = *addPoint(*m, -10.0, -15.0);
    const int d = *addPoint(*m, 10.0, -15.0);
    addLine(*m, kArcLimitLineLarge, c, d);
    rr = radiusRange(*m, r, 0.0, 10.0);
    EXPECT_DOUBLE_EQ(rr.rmax, 25.0);
    EXPECT_DOUBLE_EQ(rr.dr, 1.0);

    // A limit line that refers to a free or absent point is ignored, not read.
    TerrainLine bad;
    bad.kind = kArcLimitLineLarge;
    bad.startPoint = 5000;
    bad.endPoint = -7;
    m->lines[static_cast<std::size_t>(m->lineCount)] = bad;
    ++m->lineCount;
    rr = radiusRange(*m, r, 0.0, 10.0);
    EXPECT_DOUBLE_EQ(rr.rmax, 25.0);

    // Small limits below Rmin leave Rmin: with Rmin 9 the small line at distance 5 counts
    // as 9, the small point (7) does not raise it.
    rr = radiusRange(*m, {9.0, 100.0, 1.0}, 0.0, 10.0);
    EXPECT_DOUBLE_EQ(rr.rmin, 9.0);
}

TEST(CircleSearch, GridOrderOffsetsDumpFormatAndStaleDumps)
{
    auto m = freshModel();
    keltora::test::TempDir dir;
    // Stale dumps of an earlier run, in both spellings, must go.
    for (const char* name : {"ANSWER2.DMP", "answer2.dmp", "ANSWER4.DMP", "answer1.dmp"})
        keltora::test::writeBytes(dir / name, "old");
    FakeEvaluator ev([](double cx, double cy, double rr, int) { return 1.0 + cx + cy + rr; });
    // X 0..1 step 1, Y 0..1 step 1, radii 2..3: centres (0,1), (0,0), (1,1), (1,0).
    auto run = search(*m, settings({0, 1, 1}, {0, 1, 1}, {2, 3, 1}), ev, dir.path());
    ASSERT_EQ(run->status, 0);
    EXPECT_EQ(run->results.validFlag, kResultsValid);
    const auto& t = run->results.tables[0];
    ASSERT_EQ(t.size(), 8u);
    const double o = 0.00001; // the centres are offset from the entered values
    const double expected[8][3] = {{0 + o, 1 + o, 2}, {0 + o, 1 + o, 3}, {0 + o, 0 + o, 2},
                                   {0 + o, 0 + o, 3}, {1 + o, 1 + o, 2}, {1 + o, 1 + o, 3},
                                   {1 + o, 0 + o, 2}, {1 + o, 0 + o, 3}};
    for (std::size_t i = 0; i < t.size(); ++i) {
        EXPECT_NEAR(t[i].cx, expected[i][0], 1e-12) << i; // the loop accumulates the pitch
        EXPECT_NEAR(t[i].cy, expected[i][1], 1e-12) << i;
        EXPECT_DOUBLE_EQ(t[i].rr, expected[i][2]) << i;
    }
    EXPECT_DOUBLE_EQ(run->results.minima[0].f, 3.00002);

    EXPECT_FALSE(std::filesystem::exists(dir / "ANSWER2.DMP"));
    EXPECT_FALSE(std::filesystem::exists(dir / "answer2.dmp"));
    EXPECT_FALSE(std::filesystem::exists(dir / "ANSWER4.DMP"));
    const std::string dump = keltora::test::readBytes(dir / "answer1.dmp");
    // First record, written by hand from the fake's values (f = 1 + 0.00001 + 1.00001 + 2).
    const std::string first =
        "cx,cy=  0.000,  1.000 rr=  2.000 sx,sy=  1.600, -0.200 ex,ey= -1.600, -0.200\r\n"
        "                             csx,csy=  1.600, -0.200 cex,cey= -1.600, -0.200\r\n"
        "      mrf=     0.000 mrc=  4000.020 mry=     0.000 mr=  4000.020 \r\n"
        "      mdw=  1000.000 mdh=     0.000 mdk=     0.000 md=  1000.000 f=4.000\r\n";
    EXPECT_EQ(dump.substr(0, first.size()), first);
    EXPECT_EQ(countLines(dump, "cx,cy="), 8);
}

TEST(CircleSearch, StaleDumpsGoWhetherAGridRunsOrNot)
{
    // The old dumps are removed while the helpers start on the first grid, before its dump
    // is opened; when no grid runs (the first is too large), they go all the same.
    auto m = freshModel();
    FakeEvaluator ev([](double cx, double cy, double rr, int) { return 1.0 + cx + cy + rr; });
    const CircleSearchSettings s = settings({0, 4, 1}, {0, 4, 1}, {2, 3, 1});
    for (int threads : {1, 2}) {
        for (double limit : {1e9, 10.0}) {
            keltora::test::TempDir dir;
            for (const char* name : {"ANSWER1.DMP", "answer1.dmp", "answer3.dmp", "ANSWER4.DMP"})
                keltora::test::writeBytes(dir / name, "old");
            CircleSearchOptions o;
            o.workDir = dir.path();
            o.threads = threads;
            o.maxCirclesPerSearch = limit;
            CalculationResults results;
            MessageList messages;
            EXPECT_EQ(runCircleSearch(*m, s, ev, o, results, nullptr, messages), 0);
            const bool ran = limit > 100.0;
            EXPECT_EQ(results.gridsRun, ran ? 1 : 0) << threads;
            for (const char* name : {"ANSWER1.DMP", "answer3.dmp", "ANSWER4.DMP"})
                EXPECT_FALSE(std::filesystem::exists(dir / name)) << name << threads;
            EXPECT_EQ(std::filesystem::exists(dir / "answer1.dmp"), ran) << threads;
            if (ran)
                EXPECT_EQ(countLines(keltora::test::readBytes(dir / "answer1.dmp"), "cx,cy="), 50);
            else
                ASSERT_EQ(messages.size(), 1u);
        }
    }
}

TEST(CircleSearch, StoreDropsAboveMaximumAndMassesWithoutSlices)
{
    auto m = freshModel();
    m->conditions.maxSafetyFactor = 2.0;
    keltora::test::TempDir dir;
    // Radius 1 gives f 2.0 (kept: not above the maximum), radius 2 gives 2.5 (dropped).
    FakeEvaluator ev([](double, double, double rr, int) { return 1.5 + 0.5 * rr; });
    auto run = search(*m, settings({0, 0, 1}, {0, 0, 1}, {1, 2, 1}), ev, dir.path());
    ASSERT_EQ(run->results.tables[0].size(), 1u);
    EXPECT_DOUBLE_EQ(run->results.tables[0][0].rr, 1.0);

    EvaluatedMass empty = keltora::test::emptyMass(0, 0, 0, 1);
    EXPECT_FALSE(massIsKept(empty.record, 1e9));
    empty.record.f = 0.5;
    EXPECT_FALSE(massIsKept(empty.record, 1e9));

    // Nothing kept at all: the flag stays 0 and the grid minimum stays at (0, 0).
    m->conditions.maxSafetyFactor = 1.0;
    run = search(*m, settings({3, 5, 1}, {3, 5, 1}, {1, 2, 1}), ev, dir.path());
    EXPECT_EQ(run->results.validFlag, kResultsNone);
    EXPECT_TRUE(run->results.tables[0].empty());
    EXPECT_EQ(run->results.minima[0].cx, 0.0);
    EXPECT_EQ(keltora::test::readBytes(dir / "answer1.dmp"), "");
}

TEST(CircleSearch, TiesKeepTheFirstStoredMass)
{
    auto m = freshModel();
    keltora::test::TempDir dir;
    // Two masses of equal f on every circle; the second has direction -1.
    FakeEvaluator ev([](double, double, double, int) { return 1.5; }, 2);
    auto run = search(*m, settings({0, 2, 1}, {0, 2, 1}, {3, 5, 1}), ev, dir.path());
    const GridMinimum& g = run->results.minima[0];
    EXPECT_DOUBLE_EQ(g.f, 1.5);
    EXPECT_DOUBLE_EQ(g.cx, 0.00001); // lowest cx
    EXPECT_DOUBLE_EQ(g.cy, 2.00001); // highest cy
    EXPECT_DOUBLE_EQ(g.rr, 3.0);     // smallest radius
    EXPECT_EQ(g.directionSign, 1);   // the first mass of the circle

    GridMinimum min;
    EvaluatedMass a = keltora::test::emptyMass(0, 1, 1, 1);
    a.record.f = 1.2;
    EXPECT_TRUE(updateMinimum(min, a));
    a.record.cx = 7;
    EXPECT_FALSE(updateMinimum(min, a));
    EXPECT_DOUBLE_EQ(min.cx, 1.0);
}

TEST(CircleSearch, ExtensionOnEdgesAndSingleColumn)
{
    auto m = freshModel();
    keltora::test::TempDir dir;
    // f is smallest at cx = 2.5 and cy = 6: from X 4..8 the grid extends left twice
    // (cx 4 -> 3 -> 2), then the minimum (cx 3) is inside; Y 5..7 has its minimum inside.
    FakeEvaluator ev([](double cx, double cy, double, int) {
        return 1.0 + (cx - 2.6) * (cx - 2.6) + (cy - 6.0) * (cy - 6.0);
    });
    auto run = search(*m, settings({4, 8, 1}, {5, 7, 1}, {10, 10, 1}, 1, 1), ev, dir.path());
    const SearchGrid& g = run->results.grids[0];
    EXPECT_NEAR(g.xmin, 2.00001, 1e-12);
    EXPECT_NEAR(g.xmax, 8.00001, 1e-12);
    EXPECT_NEAR(run->results.minima[0].cx, 3.00001, 1e-12);
    // The dump and the table hold only the last computation: 7 columns x 3 rows.
    EXPECT_EQ(run->results.tables[0].size(), 21u);
    const std::string dump = keltora::test::readBytes(dir / "answer1.dmp");
    EXPECT_EQ(countLines(dump, "cx,cy="), 21);
    EXPECT_EQ(dump.substr(0, 14), "cx,cy=  2.000,");
    // Three computations of grid 1: 15 + 18 + 21 circles.
    EXPECT_EQ(run->results.circlesEvaluated, 54);

    // Without the setting nothing extends.
    run = search(*m, settings({4, 8, 1}, {5, 7, 1}, {10, 10, 1}, 1, 2), ev, dir.path());
    EXPECT_NEAR(run->results.grids[0].xmin, 4.00001, 1e-12);

    // A single column is never extended in X, though its minimum is on both X edges; Y
    // still extends upwards (f smallest at cy = 6, grid 2..4) until the minimum is inside.
    run = search(*m, settings({5, 5, 1}, {2, 4, 1}, {10, 10, 1}, 1, 1), ev, dir.path());
    const SearchGrid& s = run->results.grids[0];
    EXPECT_NEAR(s.xmin, 5.00001, 1e-12);
    EXPECT_NEAR(s.xmax, 5.00001, 1e-12);
    EXPECT_NEAR(s.ymax, 7.00001, 1e-12);
    EXPECT_NEAR(run->results.minima[0].cy, 6.00001, 1e-12);
}

TEST(CircleSearch, RunawayExtensionStopsWithAMessage)
{
    auto m = freshModel();
    keltora::test::TempDir dir;
    // f falls without end towards larger cx: the minimum is always on the X max edge.
    FakeEvaluator ev([](double cx, double, double, int) { return 1000.0 - cx; });
    CircleSearchOptions o;
    o.workDir = dir.path();
    o.maxCirclesPerSearch = 200; // 3 x 3 centres x 1 radius, growing by 3 per extension
    CalculationResults results;
    MessageList messages;
    const int status = runCircleSearch(*m, settings({0, 2, 1}, {0, 2, 1}, {5, 5, 1}, 2, 1), ev, o,
                                       results, nullptr, messages);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(results.validFlag, kResultsValid);
    ASSERT_FALSE(messages.empty());
    EXPECT_NE(messages[0].text.find("第1次格子の拡張を打ち切りました"), std::string::npos);
    EXPECT_LE(results.circlesEvaluated, 200);
    EXPECT_TRUE(results.gridCompleted[0]);
}

TEST(CircleSearch, RefinementHalvesThePitchAroundTheMinimum)
{
    auto m = freshModel();
    keltora::test::TempDir dir;
    FakeEvaluator ev([](double cx, double cy, double, int) {
        return 1.0 + std::fabs(cx - 10.3) + std::fabs(cy - 20.6);
    });
    auto run = search(*m, settings({0, 20, 2}, {12, 30, 2}, {10, 10, 1}, 4, 2), ev, dir.path());
    const auto& r = run->results;
    EXPECT_EQ(r.gridsRun, 4);
    const double pitches[4] = {2.0, 1.0, 0.5, 0.25};
    for (int k = 0; k < 4; ++k) {
        EXPECT_DOUBLE_EQ(r.grids[static_cast<std::size_t>(k)].dx, pitches[k]);
        EXPECT_DOUBLE_EQ(r.grids[static_cast<std::size_t>(k)].dy, pitches[k]);
        EXPECT_TRUE(std::filesystem::exists(dir / dumpFileName(k)));
    }
    // Grid 2 spans the previous pitch on both sides of grid 1's minimum (10, 20): 5 x 5.
    EXPECT_NEAR(r.grids[1].xmin, 8.00001, 1e-9);
    EXPECT_NEAR(r.grids[1].xmax, 12.00001, 1e-9);
    EXPECT_EQ(r.tables[1].size(), 25u);
    EXPECT_NEAR(r.minima[3].cx, 10.25001, 1e-9);
    EXPECT_NEAR(r.minima[3].cy, 20.50001, 1e-9);
    EXPECT_EQ(r.tables[1][0].grid, 2);

    // A pitch of 0.001 is not refined any further; a hostile number of grids is bounded.
    CircleSearchSettings s = settings({1, 1.002, 0.001}, {1, 1, 1}, {10, 10, 1}, 99, 2);
    run = search(*m, s, ev, dir.path());
    EXPECT_EQ(run->results.gridsRun, 4);
    EXPECT_DOUBLE_EQ(run->results.grids[3].dx, 0.001);
}

TEST(CircleSearch, AbortStopsAtTheNextCentreSerialAndParallel)
{
    auto m = freshModel();
    for (int threads : {1, 3}) {
        keltora::test::TempDir dir;
        FakeEvaluator ev([](double cx, double cy, double rr, int) { return cx + cy + rr; });
        LineRecorder obs;
        obs.abortAfter = 7; // the 8th centre asks and stops
        auto run =
            search(*m, settings({0, 4, 1}, {0, 4, 1}, {1, 3, 1}, 2), ev, dir.path(), threads, &obs);
        EXPECT_EQ(run->status, -1);
        EXPECT_EQ(run->results.validFlag, kResultsAborted);
        EXPECT_EQ(obs.asked, 8);
        // 7 centres x 3 radii were stored, and the dump keeps exactly those.
        EXPECT_EQ(run->results.tables[0].size(), 21u);
        EXPECT_EQ(countLines(keltora::test::readBytes(dir / "answer1.dmp"), "cx,cy="), 21);
        EXPECT_FALSE(std::filesystem::exists(dir / "answer2.dmp"));
    }
}

TEST(CircleSearch, MessageWindowLines)
{
    auto m = freshModel();
    keltora::test::TempDir dir;
    FakeEvaluator ev(
        [](double cx, double, double rr, int) { return cx < 1 ? NAN : 2.0 - rr / 10; });
    LineRecorder obs;
    search(*m, settings({0, 1, 1}, {5, 5, 1}, {2, 3, 1}, 1), ev, dir.path(), 1, &obs);
    const std::vector<std::string> expected = {
        "1:計算次数= 1    最大次数= 1   ", "2:円形中心　X =   0.000 ～   1.000 (step   1.000 )   ",
        "3:　　　　　Y =   5.000 ～   5.000 (step   1.000 )   ", "4:", "5:", "6:", "7:",
        // The first centre stores nothing; the second stores two masses, shown once.
        "4:すべり円  (X,Y)=  1.000,  5.000 R=  3.000 F=1.700        ",
        "5:最小安全率　Ｆｍｉｎ=   1.700        ",
        "6:　　　　　　　Ｘ，Ｙ=   1.000,   5.000        ",
        "7:　　　　　　　　　Ｒ=   3.000        "};
    EXPECT_EQ(obs.lines, expected);
}

TEST(CircleSearch, TablesBeyondTheResultTableAreKeptAndReported)
{
    auto m = freshModel();
    keltora::test::TempDir dir;
    // 11 x 11 centres x 199 radii x 3 masses = 72237 records, beyond 65535.
    FakeEvaluator ev([](double cx, double cy, double rr, int k) { return 1 + cx + cy + rr + k; },
                     3);
    auto run = search(*m, settings({0, 10, 1}, {0, 10, 1}, {1, 199, 1}), ev, dir.path(), 2);
    EXPECT_EQ(run->results.tables[0].size(), 72237u);
    ASSERT_EQ(run->messages.size(), 1u);
    EXPECT_NE(run->messages[0].text.find("72237"), std::string::npos);
}

TEST(CircleSearch, UnwritableDumpIsReportedAndTheSearchEnds)
{
    auto m = freshModel();
    keltora::test::TempDir dir;
    FakeEvaluator ev([](double, double, double, int) { return 1.25; });
    auto run =
        search(*m, settings({0, 1, 1}, {0, 1, 1}, {2, 3, 1}, 2), ev, dir / "no-such-folder", 2);
    EXPECT_EQ(run->status, 0);
    EXPECT_EQ(run->results.validFlag, kResultsValid);
    ASSERT_EQ(run->messages.size(), 2u); // one per grid
    EXPECT_EQ(run->messages[0].text, "ダンプファイル answer1.dmp を書き込めませんでした。");
    EXPECT_EQ(run->messages[0].caption, "ERROR");
}

TEST(CircleSearch, ParallelEqualsSerial)
{
    auto m = freshModel();
    // An irregular surface with plateaus (ties), gaps (no mass) and several masses per
    // circle, over four grids with extension.
    FakeEvaluator ev(
        [](double cx, double cy, double rr, int k) {
            if (std::fmod(cx * 7 + cy * 3 + rr, 5.0) < 0.7) return std::nan("");
            const double f = 1.0 +
                             0.1 * std::floor(std::fabs(std::sin(cx * 1.3) * 5 +
                                                        std::cos(cy * 0.7) * 3 + rr * 0.11)) +
                             0.05 * k;
            return std::floor(f * 1000 + 1e-4) / 1000;
        },
        3);
    const CircleSearchSettings s = settings({0, 12, 1.5}, {3, 15, 1.5}, {4, 24, 0.5}, 4, 1);
    keltora::test::TempDir serialDir, parallelDir;
    auto a = search(*m, s, ev, serialDir.path(), 1);
    auto b = search(*m, s, ev, parallelDir.path(), 4);
    for (int g = 0; g < kMaxGrids; ++g) {
        const auto gi = static_cast<std::size_t>(g);
        const std::string name = dumpFileName(g);
        EXPECT_EQ(keltora::test::readBytes(serialDir / name),
                  keltora::test::readBytes(parallelDir / name))
            << name;
        ASSERT_EQ(a->results.tables[gi].size(), b->results.tables[gi].size());
        for (std::size_t i = 0; i < a->results.tables[gi].size(); ++i) {
            const SlipResult& x = a->results.tables[gi][i];
            const SlipResult& y = b->results.tables[gi][i];
            ASSERT_TRUE(x.cx == y.cx && x.cy == y.cy && x.rr == y.rr && x.f == y.f &&
                        x.sx == y.sx && x.ex == y.ex && x.grid == y.grid)
                << g << " " << i;
        }
        EXPECT_EQ(a->results.minima[gi].f, b->results.minima[gi].f);
        EXPECT_EQ(a->results.minima[gi].cx, b->results.minima[gi].cx);
        EXPECT_EQ(a->results.minima[gi].cy, b->results.minima[gi].cy);
        EXPECT_EQ(a->results.minima[gi].rr, b->results.minima[gi].rr);
    }
    EXPECT_GT(a->results.tables[3].size(), 0u);
}

TEST(DumpRecord, FastLinesEqualTheCLibraryFormat)
{
    // Values of every magnitude and sign, exact ties at the third decimal (odd multiples of
    // 1/16), near-ties written as decimals ending in 5, carries into the next digit,
    // subnormal numbers, the largest values formatted and the sentinels of a mass; each compared
    // with the C library's printf.
    std::mt19937_64 rng(20261208);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::uniform_int_distribution<int> kind(0, 8);
    std::uniform_int_distribution<long long> whole(-200000000, 200000000);
    auto value = [&]() -> double {
        switch (kind(rng)) {
        case 0: return (unit(rng) - 0.5) * std::pow(10.0, unit(rng) * 22 - 10);
        case 1: return static_cast<double>(whole(rng) | 1) / 16.0;
        case 2: return static_cast<double>(whole(rng) * 10 + 5) / 10000.0;
        case 3: return static_cast<double>(whole(rng)) / 1000.0 - 0.0005;
        case 4: return (unit(rng) < 0.5 ? -1 : 1) * kNoSafetyFactor;
        case 5: return unit(rng) < 0.5 ? -0.0 : -1e-9 * unit(rng);
        case 6: return static_cast<double>(whole(rng)) * 5000.0 + 0.9995;
        case 7: // subnormal and just below the largest value it formats
            return unit(rng) < 0.5
                       ? std::numeric_limits<double>::denorm_min() * static_cast<double>(whole(rng))
                       : std::nextafter(1e12, 0.0) * (unit(rng) < 0.5 ? -1 : 1);
        default: return (unit(rng) - 0.5) * 2e6;
        }
    };
    std::string fast, library;
    auto crlf = [](const std::string& text) {
        std::string out;
        for (char c : text) {
            if (c == '\n') out += '\r';
            out += c;
        }
        return out;
    };
    for (int i = 0; i < 100000; ++i) {
        SlipResult r;
        for (double* f :
             {&r.cx,  &r.cy,  &r.rr,  &r.sx,  &r.sy, &r.ex,  &r.ey,  &r.csx, &r.csy, &r.cex,
              &r.cey, &r.mrf, &r.mrc, &r.mry, &r.mr, &r.mdw, &r.mdh, &r.mdk, &r.md,  &r.f})
            *f = value();
        fast.clear();
        ASSERT_TRUE(appendDumpRecord(fast, r));
        ASSERT_EQ(fast, crlf(formatDumpRecord(r))) << "record " << i;
        // The Bishop lines (no mry) by their own fast formatter.
        fast.clear();
        ASSERT_TRUE(appendBishopRecord(fast, r));
        library = crlf(formatBishopRecord(r));
        ASSERT_EQ(fast, library) << "Bishop record " << i;
    }
    // What it cannot format is left to the C library.
    SlipResult r;
    fast = "x";
    r.md = std::nan("");
    EXPECT_FALSE(appendDumpRecord(fast, r));
    r.md = 0.0;
    r.mdw = -1e12;
    EXPECT_FALSE(appendDumpRecord(fast, r));
    EXPECT_FALSE(appendBishopRecord(fast, r));
    r.mdw = std::numeric_limits<double>::infinity();
    EXPECT_FALSE(appendBishopRecord(fast, r));
    EXPECT_EQ(fast, "x");
}
