// Geometric constructions on the terrain: positions, nearness, splits and parallels.
#include "edit/constructions.h"

#include "edit/picking.h"
#include "geometry/primitives.h"

namespace keltora {

namespace {

// The slack with which "within 0.001 m" is judged, so that a point exactly 0.001 m away
// counts as near whatever the rounding of its coordinates.
constexpr double kNearSlack = 1e-9;

bool lineEnds(const SlopeModel& model, int line, Point2& a, Point2& b)
{
    if (line < 0 || line >= model.lineCount || line >= kMaxLines) return false;
    const TerrainLine& l = model.lines[static_cast<size_t>(line)];
    if (l.kind < 0 || !pointInUse(model, l.startPoint) || !pointInUse(model, l.endPoint))
        return false;
    a = pointAt(model, l.startPoint);
    b = pointAt(model, l.endPoint);
    return true;
}

} // namespace

Construction construct(const SlopeModel& model, ConstructionKind kind, int line1, int line2,
                       int point)
{
    Construction c;
    Point2 a, b;
    if (!lineEnds(model, line1, a, b)) return c;
    if (kind == ConstructionKind::Intersection) {
        Point2 p, q;
        if (!lineEnds(model, line2, p, q)) return c;
        c.status = segmentIntersection(a, b, p, q, c.position);
        c.splitLine1 = c.status == 0 || c.status == 2;
        c.splitLine2 = c.status == 0 || c.status == 1;
        return c;
    }
    if (!pointInUse(model, point)) return c;
    const Point2 p = pointAt(model, point);
    if (kind == ConstructionKind::Foot) {
        c.status = perpendicularFoot(a, b, p, c.position);
        c.splitLine1 = c.status == 0;
        return c;
    }
    const Point2 from =
        kind == ConstructionKind::Horizontal ? Point2{p.x - 100.0, p.y} : Point2{p.x, p.y - 100.0};
    const Point2 to =
        kind == ConstructionKind::Horizontal ? Point2{p.x + 100.0, p.y} : Point2{p.x, p.y + 100.0};
    c.status = segmentIntersection(a, b, from, to, c.position);
    c.splitLine1 = c.status == 0 || c.status == 2;
    return c;
}

bool tooNearPoint(const SlopeModel& model, Point2 p, int except)
{
    return pointNear(model, p, kTolLoop + kNearSlack, except) >= 0;
}

bool splitLineAt(SlopeModel& model, int line, int point)
{
    if (line < 0 || line >= model.lineCount || line >= kMaxLines) return false;
    const TerrainLine l = model.lines[static_cast<size_t>(line)];
    if (l.kind < 0 || l.startPoint == point || l.endPoint == point) return false;
    freeLine(model, line);
    setLine(model, -1, kBoundaryLine, l.startPoint, point);
    setLine(model, -1, kBoundaryLine, l.endPoint, point);
    return true;
}

int sharedEnd(const SlopeModel& model, int line1, int line2)
{
    if (line1 < 0 || line2 < 0 || line1 >= model.lineCount || line2 >= model.lineCount ||
        line1 == line2)
        return -1;
    const TerrainLine& l1 = model.lines[static_cast<size_t>(line1)];
    const TerrainLine& l2 = model.lines[static_cast<size_t>(line2)];
    const bool s = l1.startPoint == l2.startPoint || l1.startPoint == l2.endPoint;
    const bool e = l1.endPoint == l2.startPoint || l1.endPoint == l2.endPoint;
    if (s == e) return -1; // none, or both (the lines join the same two points)
    return s ? l1.startPoint : l1.endPoint;
}

std::optional<ParallelEnds> parallelEnds(const SlopeModel& model, int line, double distance,
                                         Point2 click)
{
    Point2 a, b;
    if (!lineEnds(model, line, a, b)) return std::nullopt;
    const double side = cross(a, b, a, click);
    if (side == 0.0) return std::nullopt;
    // offsetPerpendicular(C, F, h) goes left of C->F for h > 0: at the end (C = start) the
    // left of the line is +h, at the start (C = end) it is -h.
    const double h = side > 0.0 ? distance : -distance;
    ParallelEnds ends;
    if (offsetPerpendicular(b, a, -h, ends.start) != 0) return std::nullopt;
    if (offsetPerpendicular(a, b, h, ends.end) != 0) return std::nullopt;
    return ends;
}

bool addParallelLine(SlopeModel& model, const ParallelEnds& ends)
{
    bool changed = false;
    int n[2] = {-1, -1};
    const Point2 at[2] = {ends.start, ends.end};
    for (int k = 0; k < 2; ++k) {
        n[k] = pointNear(model, at[k], kTolLoop + kNearSlack);
        if (n[k] < 0) {
            const auto slot = addPoint(model, at[k].x, at[k].y);
            if (!slot) return changed;
            n[k] = *slot;
            changed = true;
        }
    }
    if (setLine(model, -1, kBoundaryLine, n[0], n[1]) == 0) changed = true;
    return changed;
}

} // namespace keltora
