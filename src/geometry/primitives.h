// Plane geometry on Point2 values with numeric status codes: dot and cross products,
// segment/segment and segment/circle intersection, perpendicular foot, extension, offset.
#pragma once

#include <optional>

#include "model/model.h"

namespace keltora {

// The point of slot `number` of the terrain point table: nothing for a number below 0 or
// at or beyond the point count, or for a free slot (negative point number). Every reader
// of point references (lines, polygons, limits) goes through this one lookup.
std::optional<Point2> terrainPoint(const SlopeModel& model, int number);

// (B - A).(D - C)
double dot(Point2 a, Point2 b, Point2 c, Point2 d);
// (B - A)x(D - C) = (Bx - Ax)(Dy - Cy) - (By - Ay)(Dx - Cx)
double cross(Point2 a, Point2 b, Point2 c, Point2 d);

inline double minOf(double a, double b)
{
    return a < b ? a : b;
}
inline double maxOf(double a, double b)
{
    return a > b ? a : b;
}

// Every routine below returns a status and writes its output point(s) only when the
// status is not -1; on -1 (degenerate input) the outputs are left unchanged.

// Intersection of lines AB and CD. -1 parallel (|cross| < 1e-10); otherwise 0, plus 1
// when the crossing lies off AB, plus 2 when it lies off CD (parameter slack 1e-9):
// 0 = a crossing within both segments, end points included.
int segmentIntersection(Point2 a, Point2 b, Point2 c, Point2 d, Point2& p);

// Foot of the perpendicular from P on line AB. -1 when |B - A|^2 < 1e-10; 0 when the
// foot lies on the segment (0 <= t <= 1), else 1.
int perpendicularFoot(Point2 a, Point2 b, Point2 p, Point2& foot);

// The point at distance e beyond B on line AB (e < 0 shortens the segment at B).
// -1 when |B - A| < 1e-10, else 0.
int extendSegment(Point2 a, Point2 b, double e, Point2& p);

// The point at distance h from F perpendicular to CF: (Fx + (Cy - Fy)t, Fy + (Fx - Cx)t),
// t = h/|F - C|. -1 when |F - C| < 1e-10, else 0.
int offsetPerpendicular(Point2 c, Point2 f, double h, Point2& p);

// Signed distance from P to line AB, positive when P lies left of A->B; |P - A| when AB
// is degenerate. Callers take the absolute value as the distance.
double lineDistance(Point2 a, Point2 b, Point2 p);

// Whether P lies on segment AB, judged on the segment's dominant axis with 0.00001 slack.
bool onSegmentAxis(Point2 a, Point2 b, Point2 p);

// Intersection of segment AB with the circle (centre, radius).
// -1: the perpendicular foot fails, the line misses the circle, or the line passes
//     through the centre;
// 10 / 11: tangent (|radius - d| < 0.00001), both points = the touching point, on / off
//     the segment;
// otherwise 0, plus 2 when the first point is off the segment, plus 1 when the second
//     is: 0 both on, 1 only the first on, 2 only the second on, 3 neither.
int segmentCircleIntersection(Point2 a, Point2 b, Point2 centre, double radius, Point2& p1,
                              Point2& p2);

} // namespace keltora
