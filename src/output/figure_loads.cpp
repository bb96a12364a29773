// The loads of the calculation figure: surcharge strips on their ground profile (load
// line, arrows, labels, the width dimension of the Bishop methods) and horizontal forces.
#include <algorithm>
#include <cmath>
#include <map>

#include "geometry/primitives.h"
#include "model/c_format.h"
#include "model/text_encoding.h"
#include "output/figure_builder.h"

namespace keltora {
namespace {

inline constexpr size_t kMaxProfilePoints = 1024;

// The outline of the union of the non-water blocks: their edges, an edge shared by two
// blocks cancelling out, chained into loops of point numbers (first repeated at the end).
std::vector<std::vector<int>> soilOutlineLoops(const SlopeModel& m, const PolygonTable& poly)
{
    std::map<std::pair<int, int>, int> count;
    std::vector<std::pair<int, int>> edges;
    for (int i = 0; i < std::min(m.blockCount, kMaxBlocks); ++i) {
        const SoilBlock& blk = m.blocks[static_cast<size_t>(i)];
        if (blk.number < 0 || blk.kind == kWaterPressureBlock || blk.kind == kWaterWeightBlock)
            continue;
        const BlockPolygon& pg = poly.blocks[static_cast<size_t>(i)];
        for (int k = 0; k < pg.edges && k + 1 < static_cast<int>(pg.points.size()); ++k) {
            const int a = pg.points[static_cast<size_t>(k)];
            const int c = pg.points[static_cast<size_t>(k + 1)];
            if (a == c || !terrainPoint(m, a) || !terrainPoint(m, c)) continue;
            edges.emplace_back(a, c);
            ++count[{std::min(a, c), std::max(a, c)}];
        }
    }
    std::vector<std::pair<int, int>> remaining;
    for (const auto& e : edges)
        if (count[{std::min(e.first, e.second), std::max(e.first, e.second)}] == 1)
            remaining.push_back(e);

    std::vector<std::vector<int>> loops;
    std::vector<bool> used(remaining.size(), false);
    for (size_t first = 0; first < remaining.size(); ++first) {
        if (used[first]) continue;
        used[first] = true;
        std::vector<int> loop{remaining[first].first, remaining[first].second};
        for (;;) {
            const int end = loop.back();
            if (end == loop.front()) break;
            bool found = false;
            for (size_t k = 0; k < remaining.size() && !found; ++k) {
                if (used[k]) continue;
                if (remaining[k].first == end)
                    loop.push_back(remaining[k].second);
                else if (remaining[k].second == end)
                    loop.push_back(remaining[k].first);
                else
                    continue;
                used[k] = true;
                found = true;
            }
            if (!found) break; // an open chain: kept as it is
        }
        loops.push_back(std::move(loop));
    }
    return loops;
}

struct Crossing {
    size_t loop = 0, edge = 0;
    double y = 0.0;
    bool found = false;
};

Crossing highestCrossing(const SlopeModel& m, const std::vector<std::vector<int>>& loops, double x)
{
    Crossing best;
    for (size_t l = 0; l < loops.size(); ++l) {
        for (size_t k = 0; k + 1 < loops[l].size(); ++k) {
            const Point2 p = *terrainPoint(m, loops[l][k]);
            const Point2 q = *terrainPoint(m, loops[l][k + 1]);
            if (x < std::min(p.x, q.x) - kTolParameter || x > std::max(p.x, q.x) + kTolParameter)
                continue;
            double y;
            if (std::fabs(q.x - p.x) <= kTolBreakpoint)
                y = std::min(p.y, q.y);
            else
                y = p.y + (q.y - p.y) * (x - p.x) / (q.x - p.x);
            if (!best.found || y > best.y) best = {l, k, y, true};
        }
    }
    return best;
}

} // namespace

std::vector<Point2> surchargeProfile(const SlopeModel& model, const PolygonTable& polygons,
                                     double x1, double x2)
{
    const auto loops = soilOutlineLoops(model, polygons);
    const Crossing a = highestCrossing(model, loops, x1);
    const Crossing c = highestCrossing(model, loops, x2);
    if (!a.found || !c.found || a.loop != c.loop) return {};
    const std::vector<int>& loop = loops[a.loop];
    const size_t edges = loop.size() - 1;
    const bool closed = loop.front() == loop.back();

    // The vertices between the two crossings, walking forward or backward along the loop.
    auto walk = [&](bool forward, std::vector<Point2>& out) {
        out.clear();
        if (a.edge == c.edge) return true;
        size_t k = a.edge;
        for (size_t steps = 0; steps <= edges; ++steps) {
            if (forward) {
                if (!closed && k + 1 >= edges) return false;
                k = (k + 1) % edges;
                out.push_back(*terrainPoint(model, loop[k]));
            } else {
                out.push_back(*terrainPoint(model, loop[k]));
                if (!closed && k == 0) return false;
                k = (k + edges - 1) % edges;
            }
            if (k == c.edge) return true;
        }
        return false;
    };
    std::vector<Point2> fwd, bwd;
    const bool okF = walk(true, fwd), okB = walk(false, bwd);
    // The ground under the strip: the walk whose vertices stay within the strip, else the
    // higher one.
    const double lo = std::min(x1, x2) - kTolBreakpoint, hi = std::max(x1, x2) + kTolBreakpoint;
    auto within = [&](const std::vector<Point2>& v) {
        return std::all_of(v.begin(), v.end(), [&](Point2 p) { return p.x >= lo && p.x <= hi; });
    };
    auto meanY = [](const std::vector<Point2>& v) {
        double s = 0;
        for (Point2 p : v)
            s += p.y;
        return v.empty() ? 0.0 : s / static_cast<double>(v.size());
    };
    const std::vector<Point2>* between = nullptr;
    if (okF && okB) {
        const bool wf = within(fwd), wb = within(bwd);
        if (wf != wb)
            between = wf ? &fwd : &bwd;
        else
            between = meanY(fwd) >= meanY(bwd) ? &fwd : &bwd;
    } else if (okF) {
        between = &fwd;
    } else if (okB) {
        between = &bwd;
    } else {
        return {};
    }

    std::vector<Point2> profile{{x1, a.y}};
    auto append = [&](Point2 p) {
        if (std::fabs(p.x - profile.back().x) <= kTolBreakpoint) return;
        if (profile.size() < kMaxProfilePoints) profile.push_back(p);
    };
    for (Point2 p : *between)
        append(p);
    const Point2 end{x2, c.y};
    if (profile.size() > 1 && std::fabs(end.x - profile.back().x) <= kTolBreakpoint)
        profile.back() = end;
    else
        append(end);
    return profile;
}

namespace figure_detail {
namespace {

// The height of a paper polyline at x (the highest where it passes x more than once).
double heightAt(const std::vector<Point2>& pts, double x)
{
    double y = pts.front().y;
    bool found = false;
    for (size_t k = 0; k + 1 < pts.size(); ++k) {
        const Point2 p = pts[k], q = pts[k + 1];
        if (x < std::min(p.x, q.x) - kTolParameter || x > std::max(p.x, q.x) + kTolParameter)
            continue;
        const double yy = std::fabs(q.x - p.x) <= kTolDegenerate
                              ? std::max(p.y, q.y)
                              : p.y + (q.y - p.y) * (x - p.x) / (q.x - p.x);
        if (!found || yy > y) y = yy;
        found = true;
    }
    return y;
}

void composeWidthDimension(FigureBuilder& b, double xs, double xe, double y, double t,
                           double widthMetres)
{
    const ClipRect& in = b.inner();
    const double l = std::min(xs, xe), r = std::max(xs, xe), a = t / 2.0, c = t / 4.0;
    b.line({l, y}, {r, y}, kLayerSurcharge, in);
    b.line({l, y - a}, {l, y + a}, kLayerSurcharge, in);
    b.line({r, y - a}, {r, y + a}, kLayerSurcharge, in);
    b.line({l, y}, {l + a, y + c}, kLayerSurcharge, in);
    b.line({l, y}, {l + a, y - c}, kLayerSurcharge, in);
    b.line({r, y}, {r - a, y + c}, kLayerSurcharge, in);
    b.line({r, y}, {r - a, y - c}, kLayerSurcharge, in);
    const std::string s = cformat("%4.3f m", widthMetres);
    b.text({(l + r) / 2.0 - static_cast<double>(cp932Length(s)) * t / 4.0, y + 0.2 * t}, t, s,
           kLayerSurcharge);
}

} // namespace

void composeSurcharges(FigureBuilder& b, const FigureResults& results, const PolygonTable* poly)
{
    (void)results;
    const SlopeModel& m = b.model();
    const CalcConditions& cc = m.conditions;
    const double La = m.draw.sizes[kSizeSurchargeArrow];
    const double t = m.draw.sizes[kSizeSoil];
    if (!poly || !(La >= kTolSize)) return;
    const int dQ = std::clamp(m.draw.decimals[kDecSurcharge], 0, 15);
    const bool bishop = cc.method == kMethodBishop || cc.method == kMethodBishopModified;
    const ClipRect& in = b.inner();

    for (size_t i = 0; i < static_cast<size_t>(kSurchargeStrips); ++i) {
        const double x1 = cc.surchargeXmin[i], x2 = cc.surchargeXmax[i];
        const double q1 = cc.surchargeQmin[i], q2 = cc.surchargeQmax[i];
        if (!(q1 >= kTolSize) && !(q2 >= kTolSize)) continue;
        const std::vector<Point2> ground = surchargeProfile(m, *poly, x1, x2);
        if (ground.size() < 2) continue;
        auto load = [&](double x) {
            return std::fabs(x2 - x1) < kTolDegenerate ? q1 : q1 + (q2 - q1) * (x - x1) / (x2 - x1);
        };

        std::vector<Point2> surface, loadLine;
        for (Point2 g : ground) {
            const Point2 p = b.toPaper(g);
            surface.push_back(p);
            loadLine.push_back({p.x, p.y + load(g.x) * La});
        }
        for (size_t k = 0; k + 1 < loadLine.size(); ++k)
            b.line(loadLine[k], loadLine[k + 1], kLayerSurcharge, in);

        double top = -1e300;
        for (Point2 p : loadLine)
            top = std::max(top, p.y);
        if (t >= kTolSize) {
            const double xs = surface.front().x, xe = surface.back().x;
            const int n = std::max(
                1, static_cast<int>(std::min(4096.0, std::ceil(std::fabs(xe - xs) / (t / 2.0)))));
            const double spacing = (xe - xs) / n;
            for (int k = 0; k <= n; ++k) {
                const double x = xs + spacing * k;
                const double ys = heightAt(surface, x);
                const Point2 tail{x, ys + load(b.toSectionX(x)) * La}, tip{x, ys};
                if (!in.contains(tail) || !in.contains(tip)) continue;
                b.arrow(tail, tip, t / 3.0, std::fabs(spacing) * 2.0 / 3.0, 10, kLayerSurcharge);
            }
            for (int end = 0; end < 2; ++end) {
                const double q = end == 0 ? q1 : q2;
                if (m.draw.surchargeLabelMode[static_cast<size_t>(end)][i] < 0 || !(q > kTolSize))
                    continue;
                const std::string s = cformat("%7.*f kN/m", dQ, q);
                const Point2 p = b.toPaper(m.draw.surchargeLabelX[static_cast<size_t>(end)][i],
                                           m.draw.surchargeLabelY[static_cast<size_t>(end)][i]);
                const Point2 at{p.x - (static_cast<double>(cp932Length(s)) - 2.0) * t / 4.0,
                                p.y - t / 2.0};
                if (b.screen()) {
                    b.text(at, t, s + "2", kLayerSurcharge);
                } else {
                    const double width = b.text(at, t, s, kLayerSurcharge);
                    b.raisedUnit(at.x + width, at.y, t, "２", kLayerSurcharge);
                }
                top = std::max(top, at.y + t);
            }
            if (bishop)
                composeWidthDimension(b, surface.front().x, surface.back().x, top + t, t,
                                      std::fabs(x2 - x1));
        }
    }
}

void composeForces(FigureBuilder& b, const FigureResults& results)
{
    const SlopeModel& m = b.model();
    const CalcConditions& cc = m.conditions;
    const double t = m.draw.sizes[kSizeSoil], Lh = m.draw.sizes[kSizeForceArrow];
    if (!(t >= kTolSize) || !(Lh >= kTolSize)) return;
    const int dF = std::clamp(m.draw.decimals[kDecForce], 0, 15);
    // The arrow points the way the mass slips: with slip direction 1 (the mass moving
    // towards -x) the shaft runs from the tip towards +x, else towards -x.
    const double dir = results.directionSign == 1 ? 1.0 : -1.0;
    const ClipRect& in = b.inner();
    for (size_t i = 0; i < static_cast<size_t>(kHorizontalForces); ++i) {
        const double H = cc.forceH[i];
        const int style = m.draw.forceLabelMode[i];
        if (!(H >= kTolSize) || style < 0) continue;
        const Point2 tip = b.toPaper(m.draw.forceLabelX[i], cc.forceY[i]);
        const Point2 tail{tip.x + dir * H * Lh, tip.y};
        b.line(tail, tip, kLayerForces, in);
        b.line(tip, {tip.x + dir * t, tip.y + 0.2 * t}, kLayerForces, in);
        b.line(tip, {tip.x + dir * t, tip.y - 0.2 * t}, kLayerForces, in);

        const std::string s = cformat("%4.*f kN/m", dF, H);
        const double width = figureTextWidth(s, t);
        const double mid = (tail.x + tip.x) / 2.0;
        Point2 at;
        if (style == 1)
            at = {mid - width / 2.0, tip.y + t / 4.0};
        else if (style == 2)
            at = {mid - width / 2.0, tip.y - t / 4.0 - t};
        else
            at = {dir > 0 ? tail.x + t : tail.x - t - width, tip.y - t / 2.0}; // beyond the tail
        b.text(at, t, s, kLayerForces);
    }
}

} // namespace figure_detail
} // namespace keltora
