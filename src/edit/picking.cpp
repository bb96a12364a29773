// Picking and the line writing routine of the editing modes.
#include "edit/picking.h"

#include "geometry/primitives.h"

namespace keltora {

namespace {

double squared(Point2 a, Point2 b)
{
    const double dx = a.x - b.x, dy = a.y - b.y;
    return dx * dx + dy * dy;
}

bool lineInUse(const TerrainLine& l)
{
    return l.kind >= 0 && l.kind <= 6;
}

} // namespace

bool pointInUse(const SlopeModel& model, int n)
{
    return n >= 0 && n < model.pointCount && n < kMaxPoints &&
           model.points[static_cast<size_t>(n)].number >= 0;
}

Point2 pointAt(const SlopeModel& model, int n)
{
    if (!pointInUse(model, n)) return {};
    const TerrainPoint& tp = model.points[static_cast<size_t>(n)];
    return {tp.x, tp.y};
}

int pickPoint(const SlopeModel& model, Point2 p)
{
    int best = -1;
    double bestD = kPickStart;
    for (int i = 0; i < model.pointCount && i < kMaxPoints; ++i) {
        if (!pointInUse(model, i)) continue;
        const double d = squared(pointAt(model, i), p);
        if (d < bestD) {
            bestD = d;
            best = i;
        }
    }
    return best;
}

int pickBlock(const SlopeModel& model, Point2 p)
{
    int best = -1;
    double bestD = kPickStart;
    for (int i = 0; i < model.blockCount && i < kMaxBlocks; ++i) {
        const SoilBlock& b = model.blocks[static_cast<size_t>(i)];
        if (b.number < 0) continue;
        const double d = squared(b.seed, p);
        if (d < bestD) {
            bestD = d;
            best = i;
        }
    }
    return best;
}

int pickCentre(const std::vector<SafetyLabel>& labels, Point2 p)
{
    int best = -1;
    double bestD = kPickStart;
    for (size_t i = 0; i < labels.size(); ++i) {
        const double d = squared({labels[i].cx, labels[i].cy}, p);
        if (d < bestD) {
            bestD = d;
            best = static_cast<int>(i);
        }
    }
    return best;
}

double lineMeasure(const SlopeModel& model, const TerrainLine& line, Point2 p)
{
    if (!pointInUse(model, line.startPoint) || !pointInUse(model, line.endPoint)) return -1.0;
    const Point2 a = pointAt(model, line.startPoint), b = pointAt(model, line.endPoint);
    if (line.kind == kArcLimitPointSmall || line.kind == kArcLimitPointLarge) return squared(a, p);
    if ((line.kind == kArcLimitLineSmall || line.kind == kArcLimitLineLarge) &&
        line.startPoint == line.endPoint) {
        const double dy = a.y - p.y;
        return dy * dy;
    }
    Point2 foot;
    if (perpendicularFoot(a, b, p, foot) == 0) return squared(foot, p);
    return minOf(squared(a, p), squared(b, p));
}

int pickLineOfKind(const SlopeModel& model, int kind, Point2 p, int exclude)
{
    int best = -1;
    double bestD = kPickStart;
    for (int i = 0; i < model.lineCount && i < kMaxLines; ++i) {
        const TerrainLine& l = model.lines[static_cast<size_t>(i)];
        if (i == exclude || l.kind != kind) continue;
        const double d = lineMeasure(model, l, p);
        if (d >= 0.0 && d < bestD) {
            bestD = d;
            best = i;
        }
    }
    return best;
}

int pointNear(const SlopeModel& model, Point2 p, double tolerance, int except)
{
    for (int i = 0; i < model.pointCount && i < kMaxPoints; ++i) {
        if (i == except || !pointInUse(model, i)) continue;
        const Point2 q = pointAt(model, i);
        if (std::abs(q.x - p.x) <= tolerance && std::abs(q.y - p.y) <= tolerance) return i;
    }
    return -1;
}

int findLine(const SlopeModel& model, int kind, int a, int b, int except)
{
    if (a > b) std::swap(a, b);
    for (int i = 0; i < model.lineCount && i < kMaxLines; ++i) {
        const TerrainLine& l = model.lines[static_cast<size_t>(i)];
        if (i == except || l.kind != kind) continue;
        int s = l.startPoint, e = l.endPoint;
        if (s > e) std::swap(s, e);
        if (s == a && e == b) return i;
    }
    return -1;
}

std::optional<int> freeLineSlot(const SlopeModel& model)
{
    for (int i = 0; i < model.lineCount && i < kMaxLines; ++i)
        if (!lineInUse(model.lines[static_cast<size_t>(i)])) return i;
    if (model.lineCount < kMaxLines) return model.lineCount;
    return std::nullopt;
}

bool lineWouldBeAdded(const SlopeModel& model, int kind, int a, int b)
{
    if ((kind == kBoundaryLine || kind == kUncutLine) && a == b) return false;
    if (findLine(model, kind, a, b) >= 0) return false;
    return freeLineSlot(model).has_value();
}

int setLine(SlopeModel& model, int slot, int kind, int a, int b, Message* why)
{
    if ((kind == kBoundaryLine || kind == kUncutLine) && a == b) return 1;
    if (a > b) std::swap(a, b);
    const bool duplicate = findLine(model, kind, a, b, slot) >= 0;
    if (slot < 0) {
        if (duplicate) return 1;
        const auto free = freeLineSlot(model);
        if (!free) {
            if (why) *why = {"線分は最大1024本までです。これ以上追加できません。", "error"};
            return 1;
        }
        model.lines[static_cast<size_t>(*free)] = {kind, a, b, 1};
        if (*free >= model.lineCount) model.lineCount = *free + 1;
        return 0;
    }
    if (slot >= kMaxLines) return 1;
    if (duplicate)
        model.lines[static_cast<size_t>(slot)] = TerrainLine{};
    else
        model.lines[static_cast<size_t>(slot)] = {kind, a, b, 1};
    if (slot >= model.lineCount) model.lineCount = slot + 1;
    return 0;
}

} // namespace keltora
