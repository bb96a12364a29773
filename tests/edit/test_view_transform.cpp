// The view transform, the all-show fit, zoom, scrolling and the area commands; the grid
// plan of the main view.
#include <gtest/gtest.h>

#include <cmath>

#include "edit/screen_display.h"
#include "edit/view_transform.h"
#include "model/model.h"

namespace keltora {
namespace {

SlopeModel emptyModel()
{
    SlopeModel m;
    resetModel(m);
    return m;
}

ViewTransform viewOf(int w, int h, double scale, double cx = 0.0, double cy = 0.0)
{
    ViewTransform v;
    v.setImageSize(w, h);
    v.setScale(scale);
    v.setCentre(cx, cy);
    return v;
}

TEST(ViewTransform, TruncatesTowardZeroAfterAddingATenth)
{
    const ViewTransform v = viewOf(201, 101, 50.0);
    EXPECT_EQ(v.halfWidth(), 100);
    EXPECT_EQ(v.halfHeight(), 50);
    // 0.01 m is 0.5 px: trunc(0.6) = 0; -0.01 m: trunc(-0.4) = 0; 0.019 m: trunc(1.05) = 1.
    EXPECT_EQ(v.worldToScreen(0.01, 0.0), (PixelPoint{100, 50}));
    EXPECT_EQ(v.worldToScreen(-0.01, 0.0), (PixelPoint{100, 50}));
    EXPECT_EQ(v.worldToScreen(0.019, 0.0), (PixelPoint{101, 50}));
    // -0.019 m: trunc(-0.85) = 0 (toward zero, not floor).
    EXPECT_EQ(v.worldToScreen(-0.019, 0.0), (PixelPoint{100, 50}));
    // y upwards: 1 m up is 50 px up.
    EXPECT_EQ(v.worldToScreen(0.0, 1.0), (PixelPoint{100, 0}));
    const Point2 back = v.screenToWorld(150, 0);
    EXPECT_DOUBLE_EQ(back.x, 1.0);
    EXPECT_DOUBLE_EQ(back.y, 1.0);
    // Far-away points saturate instead of overflowing.
    EXPECT_EQ(v.worldToScreen(1e300, -1e300).x, 1000000000);
    EXPECT_EQ(v.worldToScreen(1e300, -1e300).y, 1000000000);
}

TEST(ViewTransform, ScaleStaysWithinItsBoundsAndIgnoresNaN)
{
    ViewTransform v = viewOf(100, 100, 50.0);
    v.setScale(std::nan(""));
    EXPECT_EQ(v.scale(), 50.0);
    v.setScale(0.0);
    EXPECT_EQ(v.scale(), kMinViewScale);
    v.setScale(1e300);
    EXPECT_EQ(v.scale(), kMaxViewScale);
}

TEST(ViewTransform, ZoomInThenOutReturnsToTheSameScale)
{
    ViewTransform v = viewOf(640, 480, 7.3, 12.0, -3.0);
    v.zoomIn();
    EXPECT_DOUBLE_EQ(v.scale(), 7.3 * 1.5);
    v.zoomOut();
    EXPECT_NEAR(v.scale(), 7.3, 1e-12);
    EXPECT_EQ(v.centreX(), 12.0);
    EXPECT_EQ(v.centreY(), -3.0);
}

TEST(FitAll, EmptyDocumentShowsMinus100To100)
{
    SlopeModel m = emptyModel();
    for (auto [w, h] : {std::pair{1000, 600}, std::pair{500, 900}}) {
        ViewTransform v = viewOf(w, h, 50.0, 7.0, 7.0);
        const ScrollState bars = fitAll(v, m);
        EXPECT_EQ(v.centreX(), 0.0);
        EXPECT_EQ(v.centreY(), 0.0);
        EXPECT_NEAR(v.scale(), 0.8333333333333334 * std::min(w, h) / 210.0, 1e-9);
        EXPECT_EQ(bars.horizontal.minimum, -200);
        EXPECT_EQ(bars.horizontal.maximum, 200);
        EXPECT_EQ(bars.horizontal.position, 0);
    }
    // A circle grid that is not a number takes no part either.
    m.felleniusCircle.centreX = {std::nan(""), 5.0, 1.0};
    ViewTransform v = viewOf(400, 400, 50.0);
    fitAll(v, m);
    EXPECT_EQ(fitExtent(m).xmax, 5.0);
    EXPECT_EQ(fitExtent(m).xmin, 5.0);
}

TEST(FitAll, UnitesPointsLoadsForcesAndTheCentreGrid)
{
    SlopeModel m = emptyModel();
    addPoint(m, 0.0, 0.0);
    addPoint(m, 40.0, 10.0);
    const int freed = *addPoint(m, 500.0, 500.0);
    freePoint(m, freed); // a free slot takes no part
    m.conditions.method = kMethodFellenius;
    m.felleniusCircle.centreX = {10.0, 30.0, 1.0};
    m.felleniusCircle.centreY = {20.0, 50.0, 1.0};
    m.bishopCircle.centreY = {-900.0, 900.0, 1.0}; // not the active method
    m.conditions.surchargeXmin[0] = -30.0;         // loaded: takes part
    m.conditions.surchargeXmax[0] = -20.0;
    m.conditions.surchargeQmax[0] = 10.0;
    m.conditions.surchargeXmin[1] = 900.0; // unloaded: no part
    m.conditions.surchargeXmax[1] = 950.0;
    m.conditions.forceH[2] = 5.0;
    m.conditions.forceY[2] = -10.0;
    const ViewExtent e = fitExtent(m);
    EXPECT_EQ(e.xmin, -30.0);
    EXPECT_EQ(e.xmax, 40.0);
    EXPECT_EQ(e.ymin, -10.0);
    EXPECT_EQ(e.ymax, 50.0);

    ViewTransform v = viewOf(800, 600, 1.0);
    const ScrollState bars = fitAll(v, m);
    // Centre: trunc(5.0) = 5, trunc(20.0) = 20. Scale: 5/6 * min(800/80, 600/70).
    EXPECT_EQ(v.centreX(), 5.0);
    EXPECT_EQ(v.centreY(), 20.0);
    EXPECT_NEAR(v.scale(), 0.8333333333333334 * 600.0 / 70.0, 1e-9);
    // The bars cover one range either side of the centre and sit on it.
    EXPECT_EQ(bars.horizontal.minimum, 5 - 70);
    EXPECT_EQ(bars.horizontal.maximum, 5 + 70);
    EXPECT_EQ(bars.horizontal.position, 5);
    EXPECT_GE(bars.horizontal.singleStep, 1);
    EXPECT_GE(bars.vertical.pageStep, 1);
    // Vertical bar runs the other way: centre Y = max + min - position.
    EXPECT_EQ(bars.vertical.maximum + bars.vertical.minimum - bars.vertical.position, 20);

    // Straight slips take the start point instead of a circle grid.
    m.conditions.method = kMethodLineByAngle;
    m.lineSlip.startX[0] = 100.0;
    m.lineSlip.startY[0] = -50.0;
    const ViewExtent s = fitExtent(m);
    EXPECT_EQ(s.xmax, 100.0);
    EXPECT_EQ(s.ymin, -50.0);
    EXPECT_EQ(s.ymax, 10.0);
}

TEST(Scrolling, BarPositionsMoveTheCentre)
{
    SlopeModel m = emptyModel();
    addPoint(m, 0.0, 0.0);
    addPoint(m, 100.0, 40.0);
    ViewTransform v = viewOf(800, 600, 1.0);
    ScrollState bars = fitAll(v, m);
    scrollHorizontal(v, bars.horizontal, 70);
    EXPECT_EQ(v.centreX(), 70.0);
    const int pos = bars.vertical.position + 5; // down the bar = lower in the section
    scrollVertical(v, bars.vertical, pos);
    EXPECT_EQ(v.centreY(), 15.0);
}

TEST(AreaZoom, EnlargeTakesTheRectangleWithItsMargin)
{
    ViewTransform v = viewOf(400, 300, 10.0);
    AreaZoom z;
    z.start(true);
    EXPECT_EQ(z.mode(), AreaZoom::kEnlargeFirst);
    EXPECT_EQ(z.guideText(),
              "拡大する矩形領域の１点目をマウス(左)で指定してください。マウス(右)：取り消し");
    EXPECT_EQ(z.leftClick(v, {100, 100}), AreaZoom::Step::Continue);
    EXPECT_EQ(z.mode(), AreaZoom::kEnlargeSecond);
    EXPECT_EQ(z.guideText(), "拡大する矩形領域の２点目をマウス(左)で指定してください。マウス("
                             "右)：１点目の指定に戻る");
    z.mouseMove({180, 140});
    EXPECT_EQ(z.bandCurrent(), (PixelPoint{180, 140}));
    // Corners (100, 100) and (200, 150) px are (-10, 5) and (0, 0) m.
    EXPECT_EQ(z.leftClick(v, {200, 150}), AreaZoom::Step::Applied);
    EXPECT_FALSE(z.active());
    EXPECT_DOUBLE_EQ(v.centreX(), -5.0);
    EXPECT_DOUBLE_EQ(v.centreY(), 2.5);
    EXPECT_DOUBLE_EQ(v.scale(), std::min(400.0 / 12.0, 300.0 / 6.0));
    EXPECT_EQ(z.guideText(), kIdleGuideText);
}

TEST(AreaZoom, ShrinkScalesByTheRectangleAgainstHalfTheImage)
{
    ViewTransform v = viewOf(400, 300, 10.0);
    AreaZoom z;
    z.start(false);
    EXPECT_EQ(z.mode(), AreaZoom::kShrinkFirst);
    z.leftClick(v, {100, 100});
    EXPECT_EQ(z.mode(), AreaZoom::kShrinkSecond);
    EXPECT_EQ(z.leftClick(v, {200, 150}), AreaZoom::Step::Applied);
    // |A1 - A2| = hw / scale = 20 m, |B1 - B2| = 15 m:
    // scale = min(100 / (1.2 * 20), 50 / (1.2 * 15)).
    EXPECT_DOUBLE_EQ(v.scale(), std::min(100.0 / 24.0, 50.0 / 18.0));
    EXPECT_DOUBLE_EQ(v.centreX(), -5.0);
}

TEST(AreaZoom, RightClicksStepBackThenEndTheCommand)
{
    ViewTransform v = viewOf(400, 300, 10.0);
    AreaZoom z;
    EXPECT_EQ(z.rightClick(), AreaZoom::Step::Nothing);
    EXPECT_EQ(z.leftClick(v, {1, 1}), AreaZoom::Step::Nothing);
    z.start(false);
    z.leftClick(v, {10, 10});
    EXPECT_EQ(z.rightClick(), AreaZoom::Step::Continue); // back to the first corner
    EXPECT_EQ(z.mode(), AreaZoom::kShrinkFirst);
    EXPECT_FALSE(z.hasBand());
    EXPECT_EQ(z.rightClick(), AreaZoom::Step::Cancelled);
    EXPECT_EQ(z.mode(), AreaZoom::kIdle);
    EXPECT_EQ(v.scale(), 10.0);
}

TEST(AreaZoom, DegenerateRectangleKeepsTheScale)
{
    for (bool enlarge : {true, false}) {
        ViewTransform v = viewOf(400, 300, 10.0);
        AreaZoom z;
        z.start(enlarge);
        z.leftClick(v, {100, 100});
        EXPECT_EQ(z.leftClick(v, {100, 200}), AreaZoom::Step::Applied); // one vertical line
        EXPECT_TRUE(z.lastWasDegenerate());
        EXPECT_EQ(v.scale(), 10.0);
        EXPECT_TRUE(std::isfinite(v.centreY()));
        z.start(enlarge);
        z.leftClick(v, {50, 60});
        z.leftClick(v, {50, 60}); // the same pixel twice
        EXPECT_EQ(v.scale(), 10.0);
    }
}

TEST(AreaZoom, RubberBandStaysAnchoredToItsSectionPoint)
{
    ViewTransform v = viewOf(400, 300, 10.0);
    AreaZoom z;
    z.start(true);
    z.leftClick(v, {100, 100});
    // -10 m left of the centre: trunc(-100 + 0.1) = -99 (toward zero), so pixel 101; the
    // transform rounds toward the centre on its left and upper side.
    EXPECT_EQ(z.bandFirst(v), (PixelPoint{101, 100}));
    v.setCentre(5.0, 0.0); // the view scrolls 5 m to the right
    // -15 m from the centre: trunc(-150 + 0.1) = -149 (toward zero), so pixel 51.
    EXPECT_EQ(z.bandFirst(v), (PixelPoint{51, 100}));
}

TEST(GridPlan, MinorReplacedByMajorBelowTenPixels)
{
    const ViewTransform v = viewOf(400, 300, 10.0);
    // 0.5 m at 10 px/m is 5 px: the major spacing is used, 1 px wide.
    GridPlan g = gridPlan(v, 10.0, 0.5);
    ASSERT_TRUE(g.draw);
    EXPECT_EQ(g.spacing, 10.0);
    EXPECT_EQ(g.majorWidth, 1);
    // Visible x: -20 .. 20 m -> multiples -2 .. 2.
    EXPECT_EQ(g.firstX, -2);
    EXPECT_EQ(g.lastX, 2);
    EXPECT_EQ(g.firstY, -1);
    EXPECT_EQ(g.lastY, 1);
    // 5 m minor at 50 px: major lines 3 px wide, every second line.
    g = gridPlan(v, 10.0, 5.0);
    EXPECT_EQ(g.spacing, 5.0);
    EXPECT_EQ(g.majorWidth, 3);
    EXPECT_TRUE(g.isMajor(-2));
    EXPECT_FALSE(g.isMajor(1));
    EXPECT_TRUE(g.isMajor(0));
    // Major below 10 px: nothing; zero spacing: nothing.
    EXPECT_FALSE(gridPlan(v, 0.5, 0.5).draw);
    EXPECT_FALSE(gridPlan(v, 0.0, 0.0).draw);
    EXPECT_EQ(gridLabel(-10.0), "-10.00");
    EXPECT_EQ(gridLabel(-0.0), "0.00");
}

} // namespace
} // namespace keltora
