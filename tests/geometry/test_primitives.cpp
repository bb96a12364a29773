// Status codes and results of the plane geometry primitives (values worked by hand).
#include <gtest/gtest.h>

#include "geometry/primitives.h"

using namespace keltora;

TEST(Primitives, ProductsAndLineDistance)
{
    EXPECT_DOUBLE_EQ(dot({0, 0}, {2, 1}, {1, 1}, {4, 3}), 2 * 3 + 1 * 2);
    EXPECT_DOUBLE_EQ(cross({0, 0}, {2, 1}, {1, 1}, {4, 3}), 2 * 2 - 1 * 3);
    // P left of A->B is positive; degenerate AB gives the distance to A.
    EXPECT_DOUBLE_EQ(lineDistance({0, 0}, {4, 0}, {1, 3}), 3.0);
    EXPECT_DOUBLE_EQ(lineDistance({0, 0}, {4, 0}, {1, -3}), -3.0);
    EXPECT_DOUBLE_EQ(lineDistance({1, 1}, {1, 1}, {4, 5}), 5.0);
}

TEST(Primitives, SegmentIntersectionStatusCodes)
{
    Point2 p{-7, -7};
    EXPECT_EQ(segmentIntersection({0, 0}, {2, 2}, {0, 2}, {2, 0}, p), 0);
    EXPECT_DOUBLE_EQ(p.x, 1.0);
    EXPECT_DOUBLE_EQ(p.y, 1.0);
    // Meeting at a shared end point.
    EXPECT_EQ(segmentIntersection({0, 0}, {1, 1}, {1, 1}, {2, 0}, p), 0);
    EXPECT_DOUBLE_EQ(p.x, 1.0);
    // Off the first segment only (+1), off the second only (+2), off both (3).
    EXPECT_EQ(segmentIntersection({0, 0}, {1, 0}, {2, -1}, {2, 1}, p), 1);
    EXPECT_DOUBLE_EQ(p.x, 2.0);
    EXPECT_EQ(segmentIntersection({2, -1}, {2, 1}, {0, 0}, {1, 0}, p), 2);
    EXPECT_EQ(segmentIntersection({0, 0}, {1, 0}, {2, 1}, {2, 3}, p), 3);
    // Just inside the 1e-9 parameter slack still counts as on the segment.
    EXPECT_EQ(segmentIntersection({0, 0}, {1, 0}, {1 + 0.5e-9, -1}, {1 + 0.5e-9, 1}, p), 0);
    EXPECT_EQ(segmentIntersection({0, 0}, {1, 0}, {1 + 2e-9, -1}, {1 + 2e-9, 1}, p), 1);
    // Collinear overlapping and parallel segments: -1, point unchanged.
    p = {-7, -7};
    EXPECT_EQ(segmentIntersection({0, 0}, {2, 0}, {1, 0}, {3, 0}, p), -1);
    EXPECT_EQ(segmentIntersection({0, 0}, {2, 0}, {0, 1}, {2, 1}, p), -1);
    EXPECT_DOUBLE_EQ(p.x, -7.0);
}

TEST(Primitives, FootExtensionOffset)
{
    Point2 f{-7, -7};
    EXPECT_EQ(perpendicularFoot({0, 0}, {4, 0}, {1, 5}, f), 0);
    EXPECT_DOUBLE_EQ(f.x, 1.0);
    EXPECT_DOUBLE_EQ(f.y, 0.0);
    EXPECT_EQ(perpendicularFoot({0, 0}, {4, 0}, {6, 5}, f), 1);
    EXPECT_DOUBLE_EQ(f.x, 6.0);
    EXPECT_EQ(perpendicularFoot({0, 0}, {4, 0}, {4, 1}, f), 0); // t = 1 exactly is on
    f = {-7, -7};
    EXPECT_EQ(perpendicularFoot({1, 1}, {1, 1}, {4, 5}, f), -1);
    EXPECT_DOUBLE_EQ(f.x, -7.0);

    // Shortening by e = -5 "pixels" (0.5 m) at B, then at A with the ends swapped.
    Point2 e;
    EXPECT_EQ(extendSegment({0, 0}, {10, 0}, -0.5, e), 0);
    EXPECT_DOUBLE_EQ(e.x, 9.5);
    EXPECT_EQ(extendSegment({10, 0}, {0, 0}, -0.5, e), 0);
    EXPECT_DOUBLE_EQ(e.x, 0.5);
    EXPECT_EQ(extendSegment({0, 0}, {0, 0}, 1.0, e), -1);

    // Offset from F perpendicular to CF: C = (0,0), F = (2,0): +h turns to +y.
    Point2 o;
    EXPECT_EQ(offsetPerpendicular({0, 0}, {2, 0}, 3.0, o), 0);
    EXPECT_DOUBLE_EQ(o.x, 2.0);
    EXPECT_DOUBLE_EQ(o.y, 3.0);
    EXPECT_EQ(offsetPerpendicular({2, 0}, {2, 0}, 3.0, o), -1);
}

TEST(Primitives, SegmentCircleIntersectionStatusCodes)
{
    const Point2 c{0, 0};
    Point2 p1{-7, -7}, p2{-7, -7};
    // Horizontal chord y = -3 of the circle r = 5: crossings at x = +-4. The first point
    // is offset by +h from the foot (0,-3) perpendicular to C->F, i.e. towards +x... the
    // offset rule gives (Fx + (Cy - Fy)t, ...) = (0 + 3t, -3) with t = 4/3: x = +4.
    EXPECT_EQ(segmentCircleIntersection({-10, -3}, {10, -3}, c, 5.0, p1, p2), 0);
    EXPECT_DOUBLE_EQ(p1.x, 4.0);
    EXPECT_DOUBLE_EQ(p1.y, -3.0);
    EXPECT_DOUBLE_EQ(p2.x, -4.0);
    // Only the first (x = +4) on the segment: 1; only the second: 2; neither: 3.
    EXPECT_EQ(segmentCircleIntersection({0, -3}, {10, -3}, c, 5.0, p1, p2), 1);
    EXPECT_EQ(segmentCircleIntersection({-10, -3}, {0, -3}, c, 5.0, p1, p2), 2);
    EXPECT_EQ(segmentCircleIntersection({-1, -3}, {1, -3}, c, 5.0, p1, p2), 3);
    // The 0.00001 slack on the dominant axis.
    EXPECT_EQ(segmentCircleIntersection({4.000005, -3}, {10, -3}, c, 5.0, p1, p2), 1);
    EXPECT_EQ(segmentCircleIntersection({4.00002, -3}, {10, -3}, c, 5.0, p1, p2), 3);
    // Tangent: both points the touching point, 10 on / 11 off the segment.
    EXPECT_EQ(segmentCircleIntersection({-10, -5}, {10, -5}, c, 5.0, p1, p2), 10);
    EXPECT_DOUBLE_EQ(p1.x, 0.0);
    EXPECT_DOUBLE_EQ(p2.y, -5.0);
    EXPECT_EQ(segmentCircleIntersection({1, -5}, {10, -5}, c, 5.0, p1, p2), 11);
    // Missing the circle, through the centre, degenerate: -1 and outputs unchanged.
    p1 = {-7, -7};
    EXPECT_EQ(segmentCircleIntersection({-10, -6}, {10, -6}, c, 5.0, p1, p2), -1);
    EXPECT_EQ(segmentCircleIntersection({-10, 0}, {10, 0}, c, 5.0, p1, p2), -1);
    EXPECT_EQ(segmentCircleIntersection({1, 1}, {1, 1}, c, 5.0, p1, p2), -1);
    EXPECT_DOUBLE_EQ(p1.x, -7.0);
}
