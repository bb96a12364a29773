// Tests of the factor-of-safety map: per-centre minima against the dump files of real runs,
// contour levels, exactness of the contour lines and band tiling on planar data, and the
// layout of labels.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <sstream>

#include "analysis/calculation.h"
#include "model/c_format.h"
#include "model/sdw_file.h"
#include "output/safety_map.h"
#include "test_support.h"

namespace keltora {
namespace {

namespace kt = keltora::test;

SlipResult mass(double cx, double cy, double rr, double f, int grid = 1)
{
    SlipResult r;
    r.cx = cx;
    r.cy = cy;
    r.rr = rr;
    r.f = f;
    r.grid = grid;
    return r;
}

// A grid of nx by ny centres at pitch 1 m from (10, 20), with f(x, y) given, stored as the
// search stores them (ascending x, descending y, several radii per centre).
CalculationResults planarResults(int nx, int ny, double (*f)(double, double))
{
    CalculationResults r;
    r.validFlag = kResultsValid;
    for (int i = 0; i < nx; ++i)
        for (int j = ny - 1; j >= 0; --j) {
            const double x = 10.0 + i, y = 20.0 + j;
            r.tables[0].push_back(mass(x, y, 5.0, f(x, y) + 0.5));
            r.tables[0].push_back(mass(x, y, 6.0, f(x, y)));
            r.tables[0].push_back(mass(x, y, 7.0, f(x, y) + 0.25));
        }
    return r;
}

double planar(double x, double y)
{
    return 1.0 + 0.1 * (x - 10.0) + 0.05 * (y - 20.0);
}

TEST(SafetyMap, PerCentreMinimaAxesAndMissingCentres)
{
    CalculationResults r = planarResults(4, 3, planar);
    // A centre whose masses were all above the maximum factor of safety: drop its records.
    std::erase_if(r.tables[0], [](const SlipResult& s) { return s.cx == 11.0 && s.cy == 21.0; });
    const SafetyMap m = buildSafetyMap(r, 1);
    ASSERT_EQ(m.columns(), 4);
    ASSERT_EQ(m.rows(), 3);
    EXPECT_DOUBLE_EQ(m.xs.front(), 10.0);
    EXPECT_DOUBLE_EQ(m.ys.front(), 20.0); // ascending, unlike the table's rows
    EXPECT_DOUBLE_EQ(m.ys.back(), 22.0);
    for (int ix = 0; ix < 4; ++ix)
        for (int iy = 0; iy < 3; ++iy) {
            if (ix == 1 && iy == 1) {
                EXPECT_FALSE(m.hasValue(ix, iy));
                continue;
            }
            ASSERT_TRUE(m.hasValue(ix, iy));
            EXPECT_DOUBLE_EQ(m.value(ix, iy), planar(m.xs[ix], m.ys[iy])) << ix << "," << iy;
        }
    EXPECT_EQ(m.minimumX, 0);
    EXPECT_EQ(m.minimumY, 0);
    EXPECT_DOUBLE_EQ(m.fmin, 1.0);
    EXPECT_DOUBLE_EQ(m.fmax, planar(13.0, 22.0));

    EXPECT_TRUE(buildSafetyMap(r, 2).empty()) << "a grid without records";
    EXPECT_TRUE(buildSafetyMap(r, 0).empty());
    EXPECT_TRUE(buildSafetyMap(r, 5).empty());
    EXPECT_EQ(safetyMapGrids(r), std::vector<int>{1});
}

TEST(SafetyMap, LevelsEveryTenthFinerOnFlatGridsAndTheAllowableValue)
{
    SafetyMap m;
    m.grid = 1;
    m.minimumX = m.minimumY = 0;
    m.fmin = 1.109;
    m.fmax = 2.124;
    std::vector<double> levels = safetyMapLevels(m, 1.0);
    ASSERT_EQ(levels.size(), 10u);  // 1.2 .. 2.1
    EXPECT_EQ(levels.front(), 1.2); // exactly the double nearest 1.2
    EXPECT_EQ(levels.back(), 2.1);
    EXPECT_DOUBLE_EQ(safetyMapStep(m), 0.1);

    levels = safetyMapLevels(m, 1.25);
    ASSERT_EQ(levels.size(), 11u);
    EXPECT_EQ(levels[1], 1.25) << "the allowable value between 1.2 and 1.3";
    levels = safetyMapLevels(m, 1.3);
    EXPECT_EQ(levels.size(), 10u) << "an allowable value on a level is not repeated";

    // A fmin exactly on a level: no level at fmin itself (it would be a point).
    m.fmin = 1.2;
    EXPECT_EQ(safetyMapLevels(m, 0.0).front(), 1.3);

    // Wide ranges stop after the cap; the top band stays open.
    m.fmax = 40.0;
    EXPECT_EQ(safetyMapLevels(m, 0.0).size(), static_cast<size_t>(kSafetyMapMaxLevels));

    // Refined grids: 1.494 .. 1.596 has one tenth inside, so a finer step is chosen that
    // still holds 1.5.
    m.fmin = 1.494;
    m.fmax = 1.596;
    EXPECT_DOUBLE_EQ(safetyMapStep(m), 0.02);
    levels = safetyMapLevels(m, 1.2);
    EXPECT_EQ(levels, (std::vector<double>{1.5, 1.52, 1.54, 1.56, 1.58}));
    m.fmax = 1.5;
    EXPECT_DOUBLE_EQ(safetyMapStep(m), 0.01);

    m.fmax = m.fmin;
    EXPECT_TRUE(safetyMapLevels(m, 1.0).empty()) << "a flat map has no lines";
}

TEST(SafetyMap, ContoursLieOnTheirLevelAndBandsTileTheGrid)
{
    const CalculationResults r = planarResults(5, 4, planar);
    const SafetyMap m = buildSafetyMap(r, 1);
    const std::vector<double> levels = safetyMapLevels(m, 1.25);
    ASSERT_FALSE(levels.empty());
    // On a plane the interpolation is exact: every end of a line has the level's value.
    const std::vector<ContourSegment> segs = safetyMapContours(m, levels);
    ASSERT_FALSE(segs.empty());
    std::map<double, double> lengthPerLevel;
    for (const ContourSegment& s : segs) {
        EXPECT_NEAR(planar(s.a.x, s.a.y), s.level, 1e-9);
        EXPECT_NEAR(planar(s.b.x, s.b.y), s.level, 1e-9);
        lengthPerLevel[s.level] += std::hypot(s.b.x - s.a.x, s.b.y - s.a.y);
    }
    // The 1.2 line, 0.1 (x - 10) + 0.05 (y - 20) = 0.2, runs from (12, 20) to the top row
    // y = 23 at x = 10.5: length sqrt(1.5^2 + 3^2).
    EXPECT_NEAR(lengthPerLevel[1.2], std::sqrt(1.5 * 1.5 + 9.0), 1e-9);
    EXPECT_TRUE(lengthPerLevel.count(1.25)) << "the allowable value has its line";

    // The bands cover the 4 m x 3 m grid once, each piece within its band's values.
    const std::vector<BandPolygon> bands = safetyMapBands(m, levels);
    double area = 0.0;
    for (const BandPolygon& b : bands) {
        double a = 0.0;
        for (size_t i = 0; i < b.points.size(); ++i) {
            const Point2& p = b.points[i];
            const Point2& q = b.points[(i + 1) % b.points.size()];
            a += (p.x * q.y - q.x * p.y) / 2.0;
            const double lo = b.band > 0 ? levels[b.band - 1] : -1e9;
            const double hi = b.band < static_cast<int>(levels.size()) ? levels[b.band] : 1e9;
            EXPECT_GE(planar(p.x, p.y), lo - 1e-9);
            EXPECT_LE(planar(p.x, p.y), hi + 1e-9);
        }
        EXPECT_GT(a, 0.0) << "counter-clockwise, not degenerate";
        area += a;
    }
    EXPECT_NEAR(area, 12.0, 1e-9);

    // A missing corner: its cell keeps the triangle of the other three corners (half the
    // cell), the other cells are whole.
    CalculationResults holes = planarResults(3, 3, planar);
    std::erase_if(holes.tables[0],
                  [](const SlipResult& s) { return s.cx == 10.0 && s.cy == 20.0; });
    const SafetyMap h = buildSafetyMap(holes, 1);
    double covered = 0.0;
    for (const BandPolygon& b : safetyMapBands(h, safetyMapLevels(h, 0.0)))
        for (size_t i = 0; i < b.points.size(); ++i) {
            const Point2& p = b.points[i];
            const Point2& q = b.points[(i + 1) % b.points.size()];
            covered += (p.x * q.y - q.x * p.y) / 2.0;
        }
    EXPECT_NEAR(covered, 4.0 - 0.5, 1e-9);
}

TEST(SafetyMap, ColoursSayBelowOrAboveTheAllowableValue)
{
    auto red = [](unsigned c) { return static_cast<int>((c >> 16) & 0xFF); };
    auto green = [](unsigned c) { return static_cast<int>((c >> 8) & 0xFF); };
    const unsigned below = safetyMapColour(1.1, 1.2), above = safetyMapColour(1.3, 1.2);
    EXPECT_GT(red(below), green(below));
    EXPECT_GT(green(above), red(above));
    EXPECT_NE(safetyMapColour(0.8, 1.2), below) << "deeper for lower factors";
    EXPECT_NE(safetyMapColour(2.5, 1.2), above);
}

int texts(const Figure& f, const std::string& text)
{
    int n = 0;
    for (const FigureItem& it : f.items)
        if (it.kind == FigureItemKind::Text && it.text == text) ++n;
    return n;
}

TEST(SafetyMap, PanelLabelsEveryLevelInsideTheFrameWithoutOverlap)
{
    const CalculationResults r = planarResults(11, 9, planar);
    const SafetyMap m = buildSafetyMap(r, 1);
    Figure f;
    f.halfWidth = 190.0;
    f.halfHeight = 130.0;
    SafetyMapStyle style;
    style.allowable = 1.25;
    const SafetyMapPlacement p = appendSafetyMap(f, m, 0.0, 0.0, 380.0, 260.0, style);
    ASSERT_GT(p.mmPerMetre, 0.0);
    const std::vector<double> levels = safetyMapLevels(m, 1.25);
    EXPECT_EQ(p.labelLevels.size(), levels.size()) << "a large panel has room for every label";
    const double fx2 = p.toPaper(m.xs.back(), 0, m).x, fy2 = p.toPaper(0, m.ys.back(), m).y;
    for (size_t i = 0; i < p.labelBoxes.size(); ++i) {
        const auto& a = p.labelBoxes[i];
        EXPECT_GE(a[0], p.x0);
        EXPECT_GE(a[1], p.y0);
        EXPECT_LE(a[2], fx2);
        EXPECT_LE(a[3], fy2);
        for (size_t j = i + 1; j < p.labelBoxes.size(); ++j) {
            const auto& b = p.labelBoxes[j];
            EXPECT_FALSE(a[0] < b[2] && b[0] < a[2] && a[1] < b[3] && b[1] < a[3]) << i << " " << j;
        }
    }
    EXPECT_EQ(texts(f, "Fa=1.25"), 2) << "the allowable line's label and its legend entry";
    EXPECT_EQ(texts(f, "1.50"), 2);
    EXPECT_EQ(texts(f, "1.000"), 2) << "the minimum beside its mark and at the legend's foot";
    EXPECT_EQ(texts(f, "安全率分布図　１次格子"), 1);
    // The map's centres in paper: the minimum's mark at (10, 20) is at the frame's corner.
    bool mark = false;
    for (const FigureItem& it : f.items)
        if (it.kind == FigureItemKind::PointMark && std::fabs(it.p1.x - p.x0) < 1e-9 &&
            std::fabs(it.p1.y - p.y0) < 1e-9)
            mark = true;
    EXPECT_TRUE(mark);
    // Equal scales: 10 m across and 8 m up.
    EXPECT_NEAR(p.toPaper(20.0, 28.0, m).x - p.x0, 10.0 * p.mmPerMetre, 1e-9);
    EXPECT_NEAR(p.toPaper(20.0, 28.0, m).y - p.y0, 8.0 * p.mmPerMetre, 1e-9);

    Figure empty;
    appendSafetyMap(empty, SafetyMap{}, 0.0, 0.0, 100.0, 100.0);
    EXPECT_EQ(texts(empty, "結果なし"), 1);

    // A single row: the values are written instead of contoured.
    const SafetyMap row = buildSafetyMap(planarResults(4, 1, planar), 1);
    Figure rf;
    appendSafetyMap(rf, row, 0.0, 0.0, 200.0, 100.0);
    EXPECT_EQ(texts(rf, "1.300"), 1);
    for (const FigureItem& it : rf.items)
        EXPECT_FALSE(it.kind == FigureItemKind::Polygon && it.layer == kLayerMapBands);
}

// The minimum of "f=" per "cx,cy=" centre in a dump file, keyed by the centre as written.
std::map<std::pair<std::string, std::string>, double> dumpMinima(const std::filesystem::path& p)
{
    std::map<std::pair<std::string, std::string>, double> out;
    std::istringstream in(kt::readBytes(p));
    std::string line, cx, cy;
    while (std::getline(in, line)) {
        if (line.rfind("cx,cy=", 0) == 0) {
            const size_t comma = line.find(',', 6);
            cx = line.substr(6, comma - 6);
            cy = line.substr(comma + 1, 7);
            cx.erase(0, cx.find_first_not_of(' '));
            cy.erase(0, cy.find_first_not_of(' '));
        }
        const size_t f = line.find(" f=");
        if (f != std::string::npos) {
            const double v = std::stod(line.substr(f + 3));
            auto [it, added] = out.emplace(std::make_pair(cx, cy), v);
            if (!added) it->second = std::min(it->second, v);
        }
    }
    return out;
}

TEST(SafetyMap, ValuesAtEveryCentreEqualTheDumpMinimaOfTheExamples)
{
    for (const char* name : {"embankment.SDW", "embankment_bishop.SDW", "quay_backfill.SDW"}) {
        SCOPED_TRACE(name);
        kt::TempDir dir;
        auto model = std::make_unique<SlopeModel>();
        resetModel(*model);
        ASSERT_EQ(readDataFile(*model, kt::examplesDir() / name).status, 0);
        auto results = std::make_unique<CalculationResults>();
        CalcOptions o;
        o.workDir = dir.path();
        o.now = std::tm{};
        runCalculation(*model, *results, o);
        const std::vector<int> grids = safetyMapGrids(*results);
        ASSERT_GE(grids.size(), 2u) << "the examples refine their first grid";
        for (int g : grids) {
            const SafetyMap m = buildSafetyMap(*results, g);
            const auto dump = dumpMinima(dir / cformat("answer%d.dmp", g));
            int present = 0;
            for (int ix = 0; ix < m.columns(); ++ix)
                for (int iy = 0; iy < m.rows(); ++iy) {
                    const auto key =
                        std::make_pair(cformat("%.3f", m.xs[ix]), cformat("%.3f", m.ys[iy]));
                    auto it = dump.find(key);
                    ASSERT_EQ(it != dump.end(), m.hasValue(ix, iy))
                        << key.first << "," << key.second;
                    if (it == dump.end()) continue;
                    ++present;
                    EXPECT_EQ(cformat("%5.3f", m.value(ix, iy)), cformat("%5.3f", it->second))
                        << "grid " << g << " at " << key.first << "," << key.second;
                }
            EXPECT_EQ(present, static_cast<int>(dump.size())) << "every dumped centre is mapped";
            // The map's minimum is the grid minimum of the run.
            const GridMinimum& gm = results->minima[static_cast<size_t>(g - 1)];
            EXPECT_DOUBLE_EQ(m.fmin, gm.f);
            EXPECT_DOUBLE_EQ(m.xs[m.minimumX], gm.cx);
            EXPECT_DOUBLE_EQ(m.ys[m.minimumY], gm.cy);
        }
        // The sheet has one panel per grid.
        const Figure sheet = composeSafetyMapFigure(*model, *results);
        for (int g : grids)
            EXPECT_EQ(texts(sheet, g == 1   ? "１次格子"
                                   : g == 2 ? "２次格子"
                                   : g == 3 ? "３次格子"
                                            : "４次格子"),
                      1 + (g > 1 ? 1 : 0))
                << "the title, and the outline in the coarser grid's panel";
    }
}

TEST(SafetyMap, StraightSlipMethodsHaveNoMap)
{
    auto model = std::make_unique<SlopeModel>();
    resetModel(*model);
    model->conditions.method = kMethodLineByAngle;
    const CalculationResults r = planarResults(3, 3, planar);
    EXPECT_TRUE(composeSafetyMapFigure(*model, r).items.empty());
    model->conditions.method = kMethodFellenius;
    EXPECT_FALSE(composeSafetyMapFigure(*model, r).items.empty());
}

} // namespace
} // namespace keltora
