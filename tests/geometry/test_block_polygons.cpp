// Outline tracing, the polygon table and the two section checks on small hand-drawn
// sections.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "geometry/block_polygons.h"
#include "geometry/section_checks.h"

using namespace keltora;

namespace {

std::unique_ptr<SlopeModel> emptyModel()
{
    auto m = std::make_unique<SlopeModel>();
    resetModel(*m);
    return m;
}

void addBoundary(SlopeModel& m, int a, int b)
{
    addLine(m, kBoundaryLine, a, b);
}

// Square 0(0,0) 1(10,0) 2(10,10) 3(0,10), lines drawn anticlockwise.
std::unique_ptr<SlopeModel> square()
{
    auto m = emptyModel();
    addPoint(*m, 0, 0);
    addPoint(*m, 10, 0);
    addPoint(*m, 10, 10);
    addPoint(*m, 0, 10);
    for (int i = 0; i < 4; ++i)
        addBoundary(*m, i, (i + 1) % 4);
    return m;
}

} // namespace

TEST(TraceOutline, ClosedSquareRunsClockwise)
{
    auto m = square();
    // Nearest line to (5, 2) is 0-1; seen from the point, walking 1 -> 0 keeps it on the right.
    BlockOutline o = traceOutline(*m, 5, 2);
    EXPECT_EQ(o.entries(), 5);
    EXPECT_TRUE(o.closed());
    EXPECT_EQ(o.points, (std::vector<int>{1, 0, 3, 2, 1}));

    // Outside the square, left of it: the nearest line 3-0 is walked downwards (the point
    // on its right), then around the square's outside: closed, but not containing it.
    BlockOutline outside = traceOutline(*m, -3, 5);
    EXPECT_EQ(outside.points, (std::vector<int>{3, 0, 1, 2, 3}));
    EXPECT_FALSE(polygonContains(*m, outside.points, -3, 5));
    EXPECT_TRUE(polygonContains(*m, o.points, 5, 2));

    // No boundary line at all: -1.
    auto none = emptyModel();
    addPoint(*none, 0, 0);
    EXPECT_EQ(traceOutline(*none, 1, 1).entries(), -1);
}

TEST(TraceOutline, OpenChainAndTwoRegions)
{
    // An open chain 0(0,0)-1(10,0)-2(10,10): from (5,2) the walk turns right at 1 to 2
    // and stops there.
    auto m = emptyModel();
    addPoint(*m, 0, 0);
    addPoint(*m, 10, 0);
    addPoint(*m, 10, 10);
    addBoundary(*m, 0, 1);
    addBoundary(*m, 1, 2);
    BlockOutline o = traceOutline(*m, 5, -2);
    EXPECT_EQ(o.points, (std::vector<int>{0, 1, 2}));
    EXPECT_FALSE(o.closed());

    // Two squares sharing the side 1-2: each inner point gets its own square.
    auto two = square();
    addPoint(*two, 20, 0);  // 4
    addPoint(*two, 20, 10); // 5
    addBoundary(*two, 1, 4);
    addBoundary(*two, 4, 5);
    addBoundary(*two, 5, 2);
    EXPECT_EQ(traceOutline(*two, 5, 5).entries(), 5);
    BlockOutline right = traceOutline(*two, 15, 1);
    EXPECT_EQ(right.points, (std::vector<int>{4, 1, 2, 5, 4}));
}

TEST(PolygonTable, PolygonsBoxesAndUnsoundReferences)
{
    auto m = square();
    addLine(*m, kBoundaryLine, 2, 900); // a line pointing at a missing point is ignored
    SoilBlock b;
    b.seed = {5, 5};
    addBlock(*m, b);
    SoilBlock open;
    open.seed = {50, 50};
    addBlock(*m, open);
    addBlock(*m, b);
    freeBlock(*m, 2);

    PolygonTable t = buildPolygonTable(*m);
    EXPECT_EQ(t.blocks[0].edges, 4);
    EXPECT_EQ(t.blocks[0].points.size(), 5u);
    EXPECT_DOUBLE_EQ(t.blocks[0].xmin, 0.0);
    EXPECT_DOUBLE_EQ(t.blocks[0].xmax, 10.0);
    EXPECT_DOUBLE_EQ(t.blocks[0].ymax, 10.0);
    // The far point traces the square's outside: a closed outline that does not hold
    // it. Outside every closed region, the block has no polygon and is marked; the free
    // slot has no polygon either and is not marked.
    EXPECT_EQ(t.blocks[1].edges, -1);
    EXPECT_TRUE(t.blocks[1].outside);
    EXPECT_FALSE(t.blocks[0].outside);
    EXPECT_EQ(t.blocks[2].edges, -1);
    EXPECT_FALSE(t.blocks[2].outside);

    // An inner point in a region that does not close keeps its open chain, as the block
    // check shows: it is not "outside". From (5,2) the walk runs 1-0-3-4 and stops at 4.
    auto chainModel = emptyModel();
    addPoint(*chainModel, 0, 0);
    addPoint(*chainModel, 10, 0);
    addPoint(*chainModel, 10, 10);
    addPoint(*chainModel, 0, 10);
    addPoint(*chainModel, -5, 15);
    addBoundary(*chainModel, 3, 0);
    addBoundary(*chainModel, 0, 1);
    addBoundary(*chainModel, 1, 2);
    addBoundary(*chainModel, 3, 4);
    SoilBlock inside;
    inside.seed = {5, 2};
    addBlock(*chainModel, inside);
    const PolygonTable u = buildPolygonTable(*chainModel);
    EXPECT_EQ(u.blocks[0].points, (std::vector<int>{1, 0, 3, 4}));
    EXPECT_EQ(u.blocks[0].edges, 3);
    EXPECT_FALSE(u.blocks[0].outside);
}

TEST(SectionChecks, ConnectionAndBlockChecks)
{
    auto m = square();
    addPoint(*m, 10, 5);    // 4: lies on line 1-2 without splitting it
    addPoint(*m, 15, 5);    // 5
    addBoundary(*m, 4, 5);  // a dangling line
    addPoint(*m, 30, 30);   // 6: a point without lines
    addPoint(*m, 0.01, 10); // 7: nearly on point 3
    SoilBlock b;
    b.seed = {5, 5};
    addBlock(*m, b);
    b.seed = {12, 5};
    addBlock(*m, b);

    CheckDrawing c = showConnections(*m, 0.1);
    EXPECT_EQ(c.background, kCheckBlack);
    ASSERT_EQ(c.marks.size(), 5u + 8u); // five lines, eight points
    EXPECT_EQ(c.marks[0].colour, kCheckAqua);
    EXPECT_DOUBLE_EQ(c.marks[0].a.x, 0.5); // 0-1 shortened by 5 px * 0.1 m at both ends
    EXPECT_DOUBLE_EQ(c.marks[0].b.x, 9.5);
    EXPECT_EQ(c.marks.back().shape, CheckMark::Shape::Square);
    EXPECT_EQ(c.marks.back().sizePixels, 5);

    // The loose line 4-5 (point 4 is not a point of line 1-2) encloses nothing.
    EXPECT_EQ(linesOutsideClosedFaces(*m), (std::vector<int>{4}));
    CheckDrawing d = showOpenBoundaries(*m);
    EXPECT_EQ(std::count_if(d.marks.begin(), d.marks.end(),
                            [](const CheckMark& k) { return k.colour == kCheckRed; }),
              1);
    // A line dangling from corner 2 leaves the walk round the square's outside dead-ended,
    // so the outer sides of the square turn red with it; the inner face stays closed.
    auto dangling = square();
    addPoint(*dangling, 15, 15);
    addBoundary(*dangling, 2, 4);
    EXPECT_EQ(linesOutsideClosedFaces(*dangling), (std::vector<int>{0, 1, 2, 3, 4}));

    SectionFindings f = checkSection(*m);
    EXPECT_EQ(f.pointsWithoutLines.size(), 2u); // points 6 and 7
    ASSERT_EQ(f.unmetEnds.size(), 1u);          // point 4 on line 1-2 (7 belongs to no line)
    EXPECT_NE(f.unmetEnds[0].find("point 4 lies on boundary line 1"), std::string::npos);
    ASSERT_EQ(f.blocksOutside.size(), 1u);
    EXPECT_NE(f.blocksOutside[0].find("block 1"), std::string::npos);

    // A clean square with its block inside: no findings.
    auto clean = square();
    b.seed = {5, 5};
    addBlock(*clean, b);
    EXPECT_TRUE(checkSection(*clean).clean());
    EXPECT_TRUE(linesOutsideClosedFaces(*clean).empty());
}
