// Tracing block outlines around their inner points and the per-run polygon table.
#include "geometry/block_polygons.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "geometry/primitives.h"

namespace keltora {

namespace {

double squared(Point2 a, Point2 b)
{
    return (a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y);
}

} // namespace

std::vector<BoundaryEdge> boundaryEdges(const SlopeModel& model)
{
    std::vector<BoundaryEdge> out;
    const int count = std::min(model.lineCount, kMaxLines);
    for (int i = 0; i < count; ++i) {
        const TerrainLine& l = model.lines[static_cast<size_t>(i)];
        if (l.kind != kBoundaryLine) continue;
        const std::optional<Point2> a = terrainPoint(model, l.startPoint);
        const std::optional<Point2> b = terrainPoint(model, l.endPoint);
        if (!a || !b || l.startPoint == l.endPoint) continue;
        out.push_back({i, l.startPoint, l.endPoint, *a, *b});
    }
    return out;
}

BlockOutline traceOutline(const SlopeModel& model, double x, double y)
{
    return traceOutline(model, boundaryEdges(model), x, y);
}

BlockOutline traceOutline(const SlopeModel& model, const std::vector<BoundaryEdge>& edges, double x,
                          double y)
{
    BlockOutline out;
    if (edges.empty()) return out;
    out.hasBoundary = true;
    const Point2 p{x, y};

    // The nearest boundary line (first on ties).
    double best = 1e12;
    int first = -1;
    for (size_t i = 0; i < edges.size(); ++i) {
        const BoundaryEdge& e = edges[i];
        Point2 foot;
        double d2;
        if (perpendicularFoot(e.start, e.end, p, foot) == 0)
            d2 = squared(p, foot);
        else
            d2 = std::min(squared(p, e.start), squared(p, e.end));
        if (d2 < best) {
            best = d2;
            first = static_cast<int>(i);
        }
    }
    if (first < 0) return out;

    // Orientation: clockwise around p.
    const BoundaryEdge& e0 = edges[static_cast<size_t>(first)];
    const double a1 = std::atan2(e0.start.y - y, e0.start.x - x);
    const double a2 = std::atan2(e0.end.y - y, e0.end.x - x);
    double d = a1 - a2;
    if (d < 0.0) d += 2.0 * std::numbers::pi;
    if (d > std::numbers::pi)
        out.points = {e0.endPoint, e0.startPoint};
    else
        out.points = {e0.startPoint, e0.endPoint};

    // Walk: at each vertex the sharpest right turn (the smallest angle counter-clockwise
    // from the way back). A face walk uses each directed line at most once, so
    // 2 * lines + 1 entries bound any closed walk; the bound also ends a walk that
    // circles without returning to its first point.
    const size_t cap = 2 * edges.size() + 1;
    // The lines at each point, in table order (the tie rule depends on it).
    std::vector<std::vector<int>> at(static_cast<size_t>(std::min(model.pointCount, kMaxPoints)));
    for (size_t i = 0; i < edges.size(); ++i) {
        at[static_cast<size_t>(edges[i].startPoint)].push_back(static_cast<int>(i));
        at[static_cast<size_t>(edges[i].endPoint)].push_back(static_cast<int>(i));
    }
    int used = first;
    while (out.points.size() < cap) {
        const int u = out.points[out.points.size() - 2];
        const int v = out.points.back();
        // Outline points come from sound edges: they are in use.
        const Point2 pu = *terrainPoint(model, u);
        const Point2 pv = *terrainPoint(model, v);
        const double back = std::atan2(pu.y - pv.y, pu.x - pv.x);
        double bestTurn = 999.9;
        int next = -1;
        int nextPoint = -1;
        for (int i : at[static_cast<size_t>(v)]) {
            if (i == used) continue;
            const BoundaryEdge& e = edges[static_cast<size_t>(i)];
            const bool fromStart = e.startPoint == v;
            const int w = fromStart ? e.endPoint : e.startPoint;
            const Point2 pw = fromStart ? e.end : e.start;
            double turn = std::atan2(pw.y - pv.y, pw.x - pv.x) - back;
            if (turn < 0.0) turn += 2.0 * std::numbers::pi;
            if (turn <= bestTurn) { // on equal turns the later line wins
                bestTurn = turn;
                next = i;
                nextPoint = w;
            }
        }
        if (next < 0) break; // open chain
        out.points.push_back(nextPoint);
        used = next;
        if (nextPoint == out.points.front()) break; // closed
    }
    return out;
}

PolygonTable buildPolygonTable(const SlopeModel& model)
{
    PolygonTable table;
    const std::vector<BoundaryEdge> edges = boundaryEdges(model);
    const int count = std::min(model.blockCount, kMaxBlocks);
    for (int b = 0; b < count; ++b) {
        const SoilBlock& block = model.blocks[static_cast<size_t>(b)];
        if (block.number < 0) continue;
        BlockOutline outline = traceOutline(model, edges, block.seed.x, block.seed.y);
        if (outline.entries() <= 3) continue;
        BlockPolygon& poly = table.blocks[static_cast<size_t>(b)];
        if (outline.closed() &&
            !polygonContains(model, outline.points, block.seed.x, block.seed.y)) {
            // Outside every closed region: the trace went round the outside of the
            // section (or of a region beside the point). It takes no part.
            poly.outside = true;
            continue;
        }
        poly.edges = outline.entries() - 1;
        poly.points = std::move(outline.points);
        // The box over the listed points (taken from the points themselves, so that
        // coordinates beyond +-9999.9 still give a true box).
        const Point2 p0 = *terrainPoint(model, poly.points.front());
        poly.xmax = poly.xmin = p0.x;
        poly.ymax = poly.ymin = p0.y;
        for (int n : poly.points) {
            const Point2 q = *terrainPoint(model, n);
            poly.xmax = std::max(poly.xmax, q.x);
            poly.xmin = std::min(poly.xmin, q.x);
            poly.ymax = std::max(poly.ymax, q.y);
            poly.ymin = std::min(poly.ymin, q.y);
        }
    }
    return table;
}

bool polygonContains(const SlopeModel& model, const std::vector<int>& points, double x, double y)
{
    if (points.size() < 4 || points.front() != points.back()) return false;
    bool inside = false;
    for (size_t k = 0; k + 1 < points.size(); ++k) {
        const std::optional<Point2> pa = terrainPoint(model, points[k]);
        const std::optional<Point2> pb = terrainPoint(model, points[k + 1]);
        if (!pa || !pb) return false; // a list naming a missing point holds nothing
        const Point2 a = *pa, b = *pb;
        if ((a.y > y) != (b.y > y)) {
            const double xc = a.x + (y - a.y) * (b.x - a.x) / (b.y - a.y);
            if (x < xc) inside = !inside;
        }
    }
    return inside;
}

} // namespace keltora
