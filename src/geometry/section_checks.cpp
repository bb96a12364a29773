// The connection check, the block check and their findings in words.
#include "geometry/section_checks.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "geometry/block_polygons.h"
#include "geometry/primitives.h"
#include "model/c_format.h"

namespace keltora {

namespace {

constexpr double kShortenPixels = 5.0;
constexpr int kMarkPixels = 5;
constexpr size_t kMaxFaceEdges = 1023;
// Two distinct points closer than this look joined on screen but do not connect lines.
constexpr double kNearMiss = 0.05;

int pointLimit(const SlopeModel& m)
{
    return std::min(m.pointCount, kMaxPoints);
}

} // namespace

CheckDrawing showConnections(const SlopeModel& model, double metresPerPixel)
{
    CheckDrawing d;
    const double e = -kShortenPixels * metresPerPixel;
    for (const BoundaryEdge& b : boundaryEdges(model)) {
        Point2 end = b.end;
        Point2 start = b.start;
        extendSegment(b.start, b.end, e, end);   // shortened at the end ...
        extendSegment(b.end, b.start, e, start); // ... and at the start
        d.marks.push_back({CheckMark::Shape::Line, start, end, 1, kCheckAqua, b.line, -1});
    }
    for (int i = 0; i < pointLimit(model); ++i)
        if (const std::optional<Point2> p = terrainPoint(model, i))
            d.marks.push_back({CheckMark::Shape::Square, *p, *p, kMarkPixels, kCheckAqua, -1, i});
    return d;
}

std::vector<int> linesOutsideClosedFaces(const SlopeModel& model)
{
    const std::vector<BoundaryEdge> edges = boundaryEdges(model);
    // Directed edge 2i runs start->end of edges[i], 2i+1 end->start.
    const size_t n = 2 * edges.size();
    auto tail = [&](size_t e) { return e % 2 ? edges[e / 2].endPoint : edges[e / 2].startPoint; };
    auto head = [&](size_t e) { return e % 2 ? edges[e / 2].startPoint : edges[e / 2].endPoint; };
    auto headAt = [&](size_t e) { return e % 2 ? edges[e / 2].start : edges[e / 2].end; };
    auto tailAt = [&](size_t e) { return e % 2 ? edges[e / 2].end : edges[e / 2].start; };

    // Outgoing directed edges per point, in directed-edge order.
    std::vector<std::vector<size_t>> outgoing(static_cast<size_t>(pointLimit(model)));
    for (size_t e = 0; e < n; ++e)
        outgoing[static_cast<size_t>(tail(e))].push_back(e);

    std::vector<char> used(n, 0);
    std::vector<size_t> path;
    for (size_t e0 = 0; e0 < n; ++e0) {
        if (used[e0]) continue;
        path.assign(1, e0);
        size_t cur = e0;
        bool closed = false;
        while (path.size() <= kMaxFaceEdges) {
            const Point2 pv = headAt(cur);
            const Point2 pu = tailAt(cur);
            const double back = std::atan2(pu.y - pv.y, pu.x - pv.x);
            double best = 999.9;
            size_t next = n;
            for (size_t cand : outgoing[static_cast<size_t>(head(cur))]) {
                if (cand / 2 == cur / 2) continue;     // the same line
                if (head(cand) == tail(cur)) continue; // straight back
                const Point2 pw = headAt(cand);
                double turn = std::atan2(pw.y - pv.y, pw.x - pv.x) - back;
                if (turn < 0.0) turn += 2.0 * std::numbers::pi;
                if (turn <= best) {
                    best = turn;
                    next = cand;
                }
            }
            if (next == n) break; // dead end
            if (next == e0) {
                closed = true;
                break;
            }
            path.push_back(next);
            cur = next;
        }
        if (closed && path.size() >= 3)
            for (size_t e : path)
                used[e] = 1;
    }
    std::vector<int> open;
    for (size_t i = 0; i < edges.size(); ++i)
        if (!used[2 * i] || !used[2 * i + 1]) open.push_back(edges[i].line);
    return open;
}

CheckDrawing showOpenBoundaries(const SlopeModel& model)
{
    CheckDrawing d;
    const std::vector<BoundaryEdge> edges = boundaryEdges(model);
    for (const BoundaryEdge& b : edges)
        d.marks.push_back({CheckMark::Shape::Line, b.start, b.end, 1, kCheckWhite, b.line, -1});
    const std::vector<int> open = linesOutsideClosedFaces(model);
    for (const BoundaryEdge& b : edges)
        if (std::binary_search(open.begin(), open.end(), b.line))
            d.marks.push_back({CheckMark::Shape::Line, b.start, b.end, 1, kCheckRed, b.line, -1});
    return d;
}

bool SectionFindings::clean() const
{
    return lineReferences.empty() && unmetEnds.empty() && pointsWithoutLines.empty() &&
           openLines.empty() && blocksOutside.empty() && blockKinds.empty();
}

SectionFindings checkSection(const SlopeModel& model)
{
    SectionFindings f;
    const int lines = std::min(model.lineCount, kMaxLines);
    const int points = pointLimit(model);
    std::vector<int> boundaryUse(static_cast<size_t>(points), 0);
    std::vector<int> otherUse(static_cast<size_t>(points), 0);

    for (int i = 0; i < lines; ++i) {
        const TerrainLine& l = model.lines[static_cast<size_t>(i)];
        if (l.kind < 0) continue;
        if (l.kind < kBoundaryLine || l.kind > kArcLimitPointLarge) {
            f.lineReferences.push_back(cformat("line %d has the unknown kind %d", i, l.kind));
            continue;
        }
        bool sound = true;
        for (int p : {l.startPoint, l.endPoint}) {
            if (!terrainPoint(model, p)) {
                f.lineReferences.push_back(cformat(
                    "line %d (kind %d) refers to point %d, which does not exist", i, l.kind, p));
                sound = false;
            }
        }
        if (sound && l.startPoint == l.endPoint &&
            (l.kind == kBoundaryLine || l.kind == kUncutLine)) {
            f.lineReferences.push_back(cformat(
                "line %d (kind %d) starts and ends at the same point %d", i, l.kind, l.startPoint));
            sound = false;
        }
        if (!sound) continue;
        auto& use = l.kind == kBoundaryLine ? boundaryUse : otherUse;
        ++use[static_cast<size_t>(l.startPoint)];
        if (l.endPoint != l.startPoint) ++use[static_cast<size_t>(l.endPoint)];
    }

    // Ends that nearly meet: distinct boundary points that lie almost on top of each
    // other, and boundary line ends that lie on another line without being its point.
    const std::vector<BoundaryEdge> edges = boundaryEdges(model);
    for (int i = 0; i < points; ++i) {
        if (!boundaryUse[static_cast<size_t>(i)]) continue;
        const Point2 pi = *terrainPoint(model, i); // a point a boundary line uses
        for (int j = i + 1; j < points; ++j) {
            if (!boundaryUse[static_cast<size_t>(j)]) continue;
            const Point2 pj = *terrainPoint(model, j);
            const double d =
                std::sqrt((pi.x - pj.x) * (pi.x - pj.x) + (pi.y - pj.y) * (pi.y - pj.y));
            if (d < kNearMiss)
                f.unmetEnds.push_back(cformat(
                    "points %d and %d are %.4f m apart: boundary lines ending at them do not meet",
                    i, j, d));
        }
        for (const BoundaryEdge& e : edges) {
            if (e.startPoint == i || e.endPoint == i) continue;
            Point2 foot;
            if (perpendicularFoot(e.start, e.end, pi, foot) != 0) continue;
            const double d = std::fabs(lineDistance(e.start, e.end, pi));
            const double toEnds = std::min(std::hypot(pi.x - e.start.x, pi.y - e.start.y),
                                           std::hypot(pi.x - e.end.x, pi.y - e.end.y));
            if (d < kTolLoop && toEnds >= kNearMiss)
                f.unmetEnds.push_back(cformat(
                    "point %d lies on boundary line %d (points %d-%d) but is not one of its "
                    "points: the lines do not connect there",
                    i, e.line, e.startPoint, e.endPoint));
        }
    }

    for (int i = 0; i < points; ++i) {
        if (model.points[static_cast<size_t>(i)].number < 0 || boundaryUse[static_cast<size_t>(i)])
            continue;
        f.pointsWithoutLines.push_back(
            otherUse[static_cast<size_t>(i)]
                ? cformat("point %d is used only by uncut or arc-limit lines, by no boundary line",
                          i)
                : cformat("point %d belongs to no line", i));
    }

    for (int line : linesOutsideClosedFaces(model)) {
        const TerrainLine& l = model.lines[static_cast<size_t>(line)];
        f.openLines.push_back(
            cformat("boundary line %d (points %d-%d) is not part of a closed region", line,
                    l.startPoint, l.endPoint));
    }

    const int blocks = std::min(model.blockCount, kMaxBlocks);
    for (int b = 0; b < blocks; ++b) {
        const SoilBlock& blk = model.blocks[static_cast<size_t>(b)];
        if (blk.number < 0) continue;
        if (blk.kind < kSoilBlock || blk.kind > kStructureBlock)
            f.blockKinds.push_back(cformat("block %d has the unknown kind %d", b, blk.kind));
        const BlockOutline o = traceOutline(model, edges, blk.seed.x, blk.seed.y);
        if (o.closed() && o.entries() > 3 &&
            polygonContains(model, o.points, blk.seed.x, blk.seed.y))
            continue;
        const bool used = o.entries() > 3;
        f.blocksOutside.push_back(
            cformat("block %d: its inner point (%.3f, %.3f) lies in no closed region%s", b,
                    blk.seed.x, blk.seed.y,
                    used ? " (a calculation would still use the traced outline of it)"
                         : " (it takes no part in a calculation)"));
    }
    return f;
}

} // namespace keltora
