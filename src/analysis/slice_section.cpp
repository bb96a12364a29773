// Per-run preparation of the section for the circle walk, and the cut, breaks, extents,
// cohesion reference height, surcharge and sheet pile terms shared by the circular methods.
#include "analysis/slice_section.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "geometry/primitives.h"
#include "model/c_format.h"

namespace keltora {

namespace {

constexpr double kGravity = 9.80665;
constexpr double kTolHeight = 0.000001; // y comparison of crossing points with equal x

Lengthened lengthen(Point2 a, Point2 b)
{
    Lengthened l{a, b};
    extendSegment(a, b, kTolBreakpoint, l.b);
    extendSegment(b, a, kTolBreakpoint, l.a);
    l.xmin = std::min(l.a.x, l.b.x);
    l.xmax = std::max(l.a.x, l.b.x);
    // A crossing within the 1e-9 parameter slack may lie this far outside the x range.
    l.slack = 0.001 + 1e-8 * (l.xmax - l.xmin);
    return l;
}

// How far outside an edge's box a crossing accepted by the cut may lie, at least.
constexpr double kCutSlack = 0.001;

// Whether circle (cx, cy, rr) may pass within `slack` of the box: false when the box lies
// wholly outside the circle or wholly inside it, by more than slack.
bool circleMayMeetBox(const EdgeBox& box, double cx, double cy, double rr, double slack)
{
    const double nx = std::max({box.xmin - cx, 0.0, cx - box.xmax});
    const double ny = std::max({box.ymin - cy, 0.0, cy - box.ymax});
    if (std::sqrt(nx * nx + ny * ny) > rr + slack) return false;
    const double fx = std::max(std::fabs(box.xmin - cx), std::fabs(box.xmax - cx));
    const double fy = std::max(std::fabs(box.ymin - cy), std::fabs(box.ymax - cy));
    return !(std::sqrt(fx * fx + fy * fy) < rr - slack);
}

// Highest and lowest crossing of the polygon with the vertical line x: an end within
// 0.00001 of x gives its own y; edges whose ends differ in x by less than minDx (or by
// no more than minDx when inclusive) are skipped; others containing x are interpolated.
VerticalExtent extentAt(const PreparedBlock& b, double x, double minDx, bool skipInclusive)
{
    VerticalExtent e;
    if (x < b.xmin - kTolCoincident || x > b.xmax + kTolCoincident) return e;
    // The order of the edges does not matter to a highest and lowest value, so the
    // search runs over the edges sorted by their left end and stops past x.
    for (const PolygonEdge& edge : b.edges) {
        if (edge.lo - kTolCoincident > x) break;
        if (edge.hi + kTolCoincident < x) continue;
        const Point2 p = edge.p;
        const Point2 q = edge.q;
        double y;
        if (std::fabs(p.x - x) < kTolCoincident) {
            y = p.y;
        } else if (std::fabs(q.x - x) < kTolCoincident) {
            y = q.y;
        } else {
            const double dx = std::fabs(p.x - q.x);
            if (skipInclusive ? dx <= minDx : dx < minDx) continue;
            if (x < std::min(p.x, q.x) || x > std::max(p.x, q.x)) continue;
            y = p.y + (x - p.x) * (q.y - p.y) / (q.x - p.x);
        }
        if (y > e.top) e.top = y;
        if (y < e.bottom) e.bottom = y;
    }
    return e;
}

} // namespace

double radians(double degrees)
{
    return static_cast<double>(static_cast<long double>(degrees) * std::numbers::pi_v<long double> *
                               (1.0L / 180.0L));
}

void appendOutsideBlockWarnings(const SlopeModel& model, const PolygonTable& polygons,
                                MessageList& messages)
{
    const int count = std::clamp(model.blockCount, 0, kMaxBlocks);
    for (int i = 0; i < count; ++i)
        if (model.blocks[static_cast<size_t>(i)].number >= 0 &&
            polygons.blocks[static_cast<size_t>(i)].outside)
            messages.push_back({cformat("ブロック %d の内部点が閉じた領域の外にあるため、このブロ"
                                        "ックは計算に含めません。",
                                        i),
                                "メッセージ"});
}

PreparedSection::PreparedSection(const SlopeModel& model, const PolygonTable& polygons)
    : boundary(boundaryEdges(model)), conditions(model.conditions),
      referenceLine(model.referenceLine), sheetPile(model.sheetPile),
      direction(model.activeCircle().direction),
      // Beyond 0..15 decimals the cut of the factor of safety has no meaning (negative
      // counts would raise f by whole units, large ones overflow).
      decimals(std::clamp(model.draw.decimals[kDecSafetyFactor], 0, 15))
{
    // Slices narrower than the loop tolerance cannot be walked (and zero or a negative
    // width would never end the walk); an infinite width means one slice per sub-interval.
    sliceWidth = conditions.sliceWidth >= kTolLoop ? conditions.sliceWidth : kTolLoop;
    massHeights = false;
    for (size_t i = 0; i < 2; ++i)
        if (conditions.forceH[i] != 0.0 || !std::isfinite(conditions.forceY[i])) massHeights = true;
    for (const BoundaryEdge& e : boundary)
        boundaryBoxes.push_back({std::min(e.start.x, e.end.x), std::max(e.start.x, e.end.x),
                                 std::min(e.start.y, e.end.y), std::max(e.start.y, e.end.y)});
    for (int i = 0; i < kSurchargeStrips; ++i) {
        const auto k = static_cast<size_t>(i);
        const bool unloaded = conditions.surchargeQmin[k] == 0.0 &&
                              conditions.surchargeQmax[k] == 0.0 &&
                              std::isfinite(conditions.surchargeXmin[k]) &&
                              std::isfinite(conditions.surchargeXmax[k]);
        if (!unloaded) loadedStrips.push_back(i);
    }

    const int points = std::min(model.pointCount, kMaxPoints);
    for (int i = 0; i < points; ++i)
        if (model.points[static_cast<size_t>(i)].number >= 0)
            pointXs.push_back(model.points[static_cast<size_t>(i)].x);

    const int lines = std::min(model.lineCount, kMaxLines);
    for (int i = 0; i < lines; ++i) {
        const TerrainLine& l = model.lines[static_cast<size_t>(i)];
        if (l.kind != kUncutLine) continue;
        const std::optional<Point2> a = terrainPoint(model, l.startPoint);
        const std::optional<Point2> b = terrainPoint(model, l.endPoint);
        if (a && b) uncut.push_back(lengthen(*a, *b));
    }

    const int count = std::min(model.blockCount, kMaxBlocks);
    for (int s = 0; s < count; ++s) {
        const SoilBlock& sb = model.blocks[static_cast<size_t>(s)];
        const BlockPolygon& poly = polygons.blocks[static_cast<size_t>(s)];
        if (sb.number < 0 || poly.edges < 1) continue;
        PreparedBlock b;
        b.slot = s;
        b.kind = sb.kind;
        b.sandPiles = sb.hasSandPiles == 1;
        b.unitWeight = sb.unitWeight;
        b.effectiveUnitWeight = sb.effectiveUnitWeight;
        b.cohesionGradient = sb.cohesionGradient;
        b.baseCohesion = sb.baseCohesion;
        b.frictionAngle = sb.frictionAngle;
        b.pileRatio = sb.pileReplacementRatio;
        b.shareRatio = sb.stressShareRatio;
        b.pileUnitWeight = sb.pileUnitWeight;
        b.pileFrictionAngle = sb.pileFrictionAngle;
        if (b.sandPiles) {
            b.gamma =
                (b.pileUnitWeight + kGravity) * b.pileRatio + (1 - b.pileRatio) * b.unitWeight;
            b.gammaEff = b.pileUnitWeight * b.pileRatio + (1 - b.pileRatio) * b.effectiveUnitWeight;
            b.sideWeight = b.pileUnitWeight;
        } else {
            b.gamma = b.unitWeight;
            b.gammaEff = b.effectiveUnitWeight;
            b.sideWeight = b.effectiveUnitWeight;
        }
        b.tanPhi = std::tan(radians(b.frictionAngle));
        b.tanPhiS = std::tan(radians(b.pileFrictionAngle));
        b.noStrength = b.kind == kSoilBlock && b.baseCohesion < kTolBreakpoint &&
                       b.cohesionGradient < kTolBreakpoint && b.frictionAngle < kTolBreakpoint;
        bool sound = true;
        for (int n : poly.points) {
            const std::optional<Point2> p = terrainPoint(model, n);
            if (!p) {
                sound = false;
                break;
            }
            b.vertices.push_back(*p);
        }
        if (!sound || b.vertices.size() < 2) continue;
        for (size_t k = 0; k + 1 < b.vertices.size(); ++k) {
            const Point2 p = b.vertices[k], q = b.vertices[k + 1];
            b.edges.push_back({p, q, std::min(p.x, q.x), std::max(p.x, q.x)});
        }
        std::stable_sort(b.edges.begin(), b.edges.end(),
                         [](const PolygonEdge& a, const PolygonEdge& c) { return a.lo < c.lo; });
        b.xmin = poly.xmin;
        b.xmax = poly.xmax;
        b.ymin = poly.ymin;
        b.ymax = poly.ymax;
        if (b.kind == kWaterPressureBlock)
            waterPressureBlocks.push_back(static_cast<int>(blocks.size()));
        blocks.push_back(std::move(b));
    }
}

int segmentCircleCrossings(Point2 a, Point2 b, Point2 centre, double radius, Point2& p1, Point2& p2)
{
    const int status = segmentCircleIntersection(a, b, centre, radius, p1, p2);
    if (status != -1) return status;
    // The routine gives -1 also for a line through the centre; its crossings are then
    // centre +- radius along the line.
    Point2 f;
    if (perpendicularFoot(a, b, centre, f) < 0) return -1;
    const double dx = centre.x - f.x, dy = centre.y - f.y;
    if (!(std::sqrt(dx * dx + dy * dy) < kTolDegenerate) || !(radius >= kTolCoincident)) return -1;
    const double len = std::sqrt((b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y));
    const double ux = (b.x - a.x) / len, uy = (b.y - a.y) / len;
    const Point2 q1{f.x + radius * ux, f.y + radius * uy};
    const Point2 q2{f.x - radius * ux, f.y - radius * uy};
    p1 = q1;
    p2 = q2;
    return (onSegmentAxis(a, b, q1) ? 0 : 2) + (onSegmentAxis(a, b, q2) ? 0 : 1);
}

CircleCut PreparedSection::cutCircle(double cx, double cy, double rr) const
{
    CircleCut cut;
    const Point2 centre{cx, cy};
    const Point2 r0{cx + rr, cy - kTolCoincident}, r1{cx + rr, cy + 9999.0};
    const Point2 l0{cx - rr, cy - kTolCoincident}, l1{cx - rr, cy + 9999.0};
    // Edges that cannot yield a point are passed over without the intersection routines:
    // a point they accept lies on the edge (within 0.00001 along it, 1e-9 of its length
    // for the vertical sides) and on the circle or side up to rounding, far inside slack.
    const double slack = kCutSlack + 1e-6 * (rr + std::fabs(cx) + std::fabs(cy));
    for (size_t i = 0; i < boundary.size(); ++i) {
        const BoundaryEdge& e = boundary[i];
        const EdgeBox& box = boundaryBoxes[i];
        if (box.ymin <= cy + slack && circleMayMeetBox(box, cx, cy, rr, slack)) {
            Point2 p1, p2;
            const int s = segmentCircleCrossings(e.start, e.end, centre, rr, p1, p2);
            if ((s == 0 || s == 1) && p1.y < cy + kTolCoincident)
                cut.points.push_back({p1.x, p1.y, e.startPoint, e.endPoint});
            if ((s == 0 || s == 2) && p2.y < cy + kTolCoincident)
                cut.points.push_back({p2.x, p2.y, e.startPoint, e.endPoint});
        }
        if (box.ymax < cy - slack) continue;
        const double sideSlack = slack + 2e-9 * (box.xmax - box.xmin);
        Point2 q;
        if (r0.x >= box.xmin - sideSlack && r0.x <= box.xmax + sideSlack &&
            segmentIntersection(e.start, e.end, r0, r1, q) == 0)
            cut.points.push_back({q.x, q.y, e.startPoint, e.endPoint});
        if (l0.x >= box.xmin - sideSlack && l0.x <= box.xmax + sideSlack &&
            segmentIntersection(e.start, e.end, l0, l1, q) == 0)
            cut.points.push_back({q.x, q.y, e.startPoint, e.endPoint});
    }
    // From the right: x descending; on equal x, right of the centre the higher point
    // first (down the right cut), left of it the lower first (up the left cut).
    combSort(cut.points, [cx](const CutPoint& a, const CutPoint& b) {
        if (std::fabs(a.x - b.x) < kTolCoincident) {
            if (a.x > cx) return b.y > a.y + kTolHeight;
            return b.y < a.y - kTolHeight;
        }
        return b.x > a.x;
    });

    const size_t n = cut.points.size();
    cut.blocks.assign(n > 0 ? n - 1 : 0, -1);
    for (size_t i = 0; i + 1 < n; ++i) {
        const double xa = cut.points[i].x, xb = cut.points[i + 1].x;
        if (!(std::fabs(xa - xb) >= kTolBreakpoint)) continue;
        const double xm = (xa + xb) / 2;
        const double ym = arcHeight(cx, cy, rr, xm);
        for (size_t k = 0; k < blocks.size(); ++k) {
            // A block whose box lies wholly below ym, or above it by more than twice the
            // tolerance, cannot hold it (its extents lie within its box up to rounding).
            if (ym > blocks[k].ymax || ym < blocks[k].ymin - 2 * kTolCoincident) continue;
            const VerticalExtent e = cutExtent(blocks[k], xm);
            if (e.bottom - kTolCoincident < ym && ym < e.top - kTolCoincident) {
                cut.blocks[i] = static_cast<int>(k);
                break;
            }
        }
    }
    return cut;
}

SliceBreaks PreparedSection::sliceBreaks(double cx) const
{
    std::vector<double> v;
    v.reserve(pointXs.size() + 8);
    v.push_back(cx);
    v.insert(v.end(), pointXs.begin(), pointXs.end());
    for (int i = 0; i < kSurchargeStrips; ++i) {
        if (conditions.surchargeQmin[static_cast<size_t>(i)] > 0.0) {
            v.push_back(conditions.surchargeXmin[static_cast<size_t>(i)]);
            v.push_back(conditions.surchargeXmax[static_cast<size_t>(i)]);
        }
    }
    combSort(v, [](double a, double b) { return b > a; });
    SliceBreaks out;
    out.reserve(v.size() + 1);
    for (double x : v)
        if (out.empty() || !(std::fabs(x - out.back()) < kTolBreakpoint)) out.push_back(x);
    out.push_back(kBreakSentinel);
    return out;
}

VerticalExtent PreparedSection::columnExtent(const PreparedBlock& b, double x) const
{
    return extentAt(b, x, kTolBreakpoint, false);
}

VerticalExtent PreparedSection::cutExtent(const PreparedBlock& b, double x) const
{
    return extentAt(b, x, kTolCoincident, true);
}

double PreparedSection::referenceLineHeight(double x1, double x2) const
{
    const double xm = (x1 + x2) / 2;
    const int n = std::clamp(referenceLine.count, 0, kMaxReferenceVertices);
    const auto& x = referenceLine.x;
    const auto& y = referenceLine.y;
    if (n == 0 || xm < x[0]) return y[0]; // an empty line reads as its first vertex
    for (int i = 1; i < n; ++i) {
        const size_t k = static_cast<size_t>(i);
        if (xm < x[k]) return y[k - 1] + (xm - x[k - 1]) * (y[k] - y[k - 1]) / (x[k] - x[k - 1]);
    }
    return y[static_cast<size_t>(n - 1)];
}

double PreparedSection::stripLoads(double x1, double x2, const std::vector<int>& strips) const
{
    double q = 0.0;
    for (int strip : strips) {
        const auto i = static_cast<size_t>(strip);
        const double xmin = conditions.surchargeXmin[i], xmax = conditions.surchargeXmax[i];
        const double q1 = conditions.surchargeQmin[i], q2 = conditions.surchargeQmax[i];
        const double hi = std::min(x1, xmax);
        const double lo = std::max(x2, xmin);
        if (lo < hi) {
            // lo < hi implies xmax > xmin: no division by zero.
            const double qhi = (hi - xmin) * (q2 - q1) / (xmax - xmin) + q1;
            const double qlo = (lo - xmin) * (q2 - q1) / (xmax - xmin) + q1;
            q += (qhi + qlo) * (hi - lo) / 2;
        }
    }
    return q;
}

bool PreparedSection::crossesAnyUncut(Point2 a, Point2 b) const
{
    const Lengthened s = lengthen(a, b);
    for (const Lengthened& u : uncut) {
        if (u.xmax + u.slack < s.xmin - s.slack || u.xmin - u.slack > s.xmax + s.slack) continue;
        Point2 p;
        if (segmentIntersection(s.a, s.b, u.a, u.b, p) == 0) return true;
    }
    return false;
}

double sheetPileMoment(const SheetPileSettings& pile, double cx, double cy, double rr)
{
    if (pile.method != 2 && pile.method != 3) return 0.0;
    Point2 p1, p2;
    const int s =
        segmentCircleCrossings({pile.x, pile.topY}, {pile.x, pile.toeY}, {cx, cy}, rr, p1, p2);
    double yp;
    if (s == 0)
        yp = std::min(p1.y, p2.y);
    else if (s == 2)
        yp = p2.y;
    else if (s == 1)
        yp = p1.y;
    else
        return 0.0;
    const double dp = std::sqrt((pile.x - cx) * (pile.x - cx) + (yp - cy) * (yp - cy));
    if (!(dp > 0.0)) return 0.0; // a crossing at the centre has no lever
    const double ca = std::fabs(cy - yp) / dp;

    if (pile.method == 3) {
        if (!(ca > 0.0)) return 0.0; // crossing at the centre's height: no shear component
        return (0.001 * pile.allowableShear * pile.sectionArea / ca) * rr;
    }

    const double lo = yp - pile.lm1;
    double force = 0.0, moment = 0.0;
    if (pile.lm1 > 0.0) {
        const int rows = std::clamp(pile.passiveCount, 0, kMaxPassiveRows);
        for (int j = 0; j + 1 < rows; ++j) {
            const double h0 = pile.passiveY[static_cast<size_t>(j)];
            const double h1 = pile.passiveY[static_cast<size_t>(j + 1)];
            const double q0 = pile.passiveIntensity[static_cast<size_t>(j)];
            const double q1 = pile.passiveIntensity[static_cast<size_t>(j + 1)];
            if (!(h0 > h1)) continue; // rows must descend
            if (h1 >= yp || h0 <= lo) continue;
            auto at = [&](double y) { return q1 + (q0 - q1) * (y - h1) / (h0 - h1); };
            double top, ptop, bottom, pbottom;
            if (h0 <= yp) {
                top = h0;
                ptop = q0;
            } else {
                top = yp;
                ptop = at(yp);
            }
            if (h1 >= lo) {
                bottom = h1;
                pbottom = q1;
            } else {
                bottom = lo;
                pbottom = at(lo);
            }
            force += (top - bottom) * (ptop + pbottom) / 2;
            moment += (top - bottom) * pbottom / 2 * (top + 2 * bottom) / 3 +
                      (top - bottom) * ptop / 2 * (2 * top + bottom) / 3;
        }
    }
    double ybar;
    if (force <= 0.0001) {
        force = 0.0;
        ybar = 0.0;
    } else {
        ybar = moment / force;
    }
    return (rr * ca + yp - ybar) * force;
}

double sheetPileMoment(const SlopeModel& model, double cx, double cy, double rr)
{
    return sheetPileMoment(model.sheetPile, cx, cy, rr);
}

} // namespace keltora
