// Plane geometry primitives with the status codes their callers branch on.
#include "geometry/primitives.h"

#include <cmath>

namespace keltora {

std::optional<Point2> terrainPoint(const SlopeModel& model, int number)
{
    if (number < 0 || number >= model.pointCount || number >= kMaxPoints) return std::nullopt;
    const TerrainPoint& p = model.points[static_cast<std::size_t>(number)];
    if (p.number < 0) return std::nullopt;
    return Point2{p.x, p.y};
}

double dot(Point2 a, Point2 b, Point2 c, Point2 d)
{
    return (b.x - a.x) * (d.x - c.x) + (b.y - a.y) * (d.y - c.y);
}

double cross(Point2 a, Point2 b, Point2 c, Point2 d)
{
    return (b.x - a.x) * (d.y - c.y) - (b.y - a.y) * (d.x - c.x);
}

namespace {

double length(double dx, double dy)
{
    return std::sqrt(dx * dx + dy * dy);
}

bool parameterOff(double t)
{
    return t < -kTolParameter || t > 1.0 + kTolParameter;
}

} // namespace

int segmentIntersection(Point2 a, Point2 b, Point2 c, Point2 d, Point2& p)
{
    const double den = cross(a, b, c, d);
    if (std::fabs(den) < kTolDegenerate) return -1;
    const double t1 = cross(a, c, c, d) / den;
    const double t2 = cross(c, a, a, b) / cross(c, d, a, b);
    if (std::fabs(t2) < std::fabs(t1))
        p = {c.x + t2 * (d.x - c.x), c.y + t2 * (d.y - c.y)};
    else
        p = {a.x + t1 * (b.x - a.x), a.y + t1 * (b.y - a.y)};
    int status = 0;
    if (parameterOff(t1)) status += 1;
    if (parameterOff(t2)) status += 2;
    return status;
}

int perpendicularFoot(Point2 a, Point2 b, Point2 p, Point2& foot)
{
    const double l2 = (b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y);
    if (l2 < kTolDegenerate) return -1;
    const double t = dot(a, b, a, p) / l2;
    foot = {a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)};
    return (t >= 0.0 && t <= 1.0) ? 0 : 1;
}

int extendSegment(Point2 a, Point2 b, double e, Point2& p)
{
    const double l = length(b.x - a.x, b.y - a.y);
    if (!(l >= kTolDegenerate)) return -1;
    const double t = (l + e) / l;
    p = {a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)};
    return 0;
}

int offsetPerpendicular(Point2 c, Point2 f, double h, Point2& p)
{
    const double d = length(f.x - c.x, f.y - c.y);
    if (!(d >= kTolDegenerate)) return -1;
    const double t = h / d;
    p = {f.x + (c.y - f.y) * t, f.y + (f.x - c.x) * t};
    return 0;
}

double lineDistance(Point2 a, Point2 b, Point2 p)
{
    const double l = length(b.x - a.x, b.y - a.y);
    if (l >= kTolDegenerate) return cross(a, b, a, p) / l;
    return length(p.x - a.x, p.y - a.y);
}

bool onSegmentAxis(Point2 a, Point2 b, Point2 p)
{
    if (std::fabs(a.x - b.x) <= std::fabs(a.y - b.y))
        return p.y >= minOf(a.y, b.y) - kTolCoincident && p.y <= maxOf(a.y, b.y) + kTolCoincident;
    return p.x >= minOf(a.x, b.x) - kTolCoincident && p.x <= maxOf(a.x, b.x) + kTolCoincident;
}

int segmentCircleIntersection(Point2 a, Point2 b, Point2 centre, double radius, Point2& p1,
                              Point2& p2)
{
    Point2 f;
    if (perpendicularFoot(a, b, centre, f) < 0) return -1;
    const double d = length(centre.x - f.x, centre.y - f.y);
    if (!(d <= radius)) return -1;
    if (std::fabs(radius - d) < kTolCoincident) {
        p1 = f;
        p2 = f;
        return onSegmentAxis(a, b, f) ? 10 : 11;
    }
    const double h = std::sqrt(radius * radius - d * d);
    Point2 q1, q2;
    if (offsetPerpendicular(centre, f, h, q1) < 0 || offsetPerpendicular(centre, f, -h, q2) < 0)
        return -1;
    p1 = q1;
    p2 = q2;
    int status = 0;
    if (!onSegmentAxis(a, b, q1)) status += 2;
    if (!onSegmentAxis(a, b, q2)) status += 1;
    return status;
}

} // namespace keltora
