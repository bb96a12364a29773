// The cut, walk, slice forces and finishing of straight slip lines, shared by the search
// by angle and the search by segments.
#include "analysis/line_slip.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "analysis/circle_slices.h"
#include "geometry/primitives.h"
#include "model/c_format.h"

namespace keltora {

namespace {

constexpr double kTolHeight = 0.000001; // y comparison of crossings with equal x
constexpr double kTolExtent = 0.0000001;
constexpr double kForceSlack = 0.0000001; // where forceX falls on a slice edge
constexpr double kLineReach = 10000.0;    // length of each half of a method-3 line

bool crossesPlainUncut(const LineSection& s, Point2 a, Point2 b)
{
    for (const auto& u : s.uncutPlain) {
        Point2 p;
        if (segmentIntersection(a, b, u.first, u.second, p) == 0) return true;
    }
    return false;
}

bool crossesUncut(const LineSection& s, const StraightLine& line, Point2 a, Point2 b)
{
    return line.segment ? crossesPlainUncut(s, a, b) : s.section.crossesUncutLine(a, b);
}

// Sorts the crossings from the right (on equal x: right of x0 the higher first, left of
// it the lower first, at x0 as they are) and finds the block of every interval.
void sortAndAssign(const LineSection& s, CircleCut& cut, double x0)
{
    combSort(cut.points, [x0](const CutPoint& a, const CutPoint& b) {
        if (std::fabs(a.x - b.x) < kTolCoincident) {
            if (a.x > x0) return b.y > a.y + kTolHeight;
            if (a.x < x0) return b.y < a.y - kTolHeight;
            return false;
        }
        return b.x > a.x;
    });
    const std::size_t n = cut.points.size();
    cut.blocks.assign(n > 0 ? n - 1 : 0, -1);
    const std::vector<PreparedBlock>& blocks = s.section.blocks;
    for (std::size_t i = 0; i + 1 < n; ++i) {
        const CutPoint& a = cut.points[i];
        const CutPoint& b = cut.points[i + 1];
        if (!(std::fabs(a.x - b.x) >= kTolBreakpoint)) continue;
        const double xm = (a.x + b.x) / 2, ym = (a.y + b.y) / 2;
        for (std::size_t k = 0; k < blocks.size(); ++k) {
            const VerticalExtent e = s.section.cutExtent(blocks[k], xm);
            if (e.bottom - kTolCoincident < ym && ym < e.top - kTolCoincident) {
                cut.blocks[i] = static_cast<int>(k);
                break;
            }
        }
    }
}

struct SubExtent {
    bool has = false;
    double topPrev = 0, topCur = 0, bottomPrev = 0, bottomCur = 0;
};

// The slices of the line's intervals: the sub-intervals between slice breaks, the block
// extents extrapolated from the inner third points, the block columns above the line.
class LineWalker {
  public:
    LineWalker(const LineSection& s, const StraightLine& line)
        : s_(s), line_(line), ext_(s.section.blocks.size())
    {
        columns_.reserve(s.section.blocks.size());
    }

    void sliceInterval(double xa, double xb, int k, const SliceBreaks& breaks, MassState& mass)
    {
        std::size_t j = 0;
        while (j < breaks.size() && breaks[j] >= xa)
            ++j;
        double prev = xa;
        for (;;) {
            const double cur = (j < breaks.size() && breaks[j] > xb) ? breaks[j] : xb;
            subInterval(prev, cur, k, mass);
            if (std::fabs(cur - xb) < kTolCoincident || mass.invalid) break;
            prev = cur;
            ++j;
        }
    }

  private:
    void subInterval(double prev, double cur, int k, MassState& mass)
    {
        if (!(prev > cur + kTolLoop)) return;
        const double d = (prev - cur) / 3;
        const double xa = prev - d, xb = cur + d;
        const std::vector<PreparedBlock>& blocks = s_.section.blocks;
        for (std::size_t i = 0; i < blocks.size(); ++i) {
            SubExtent& e = ext_[i];
            e.has = false;
            const VerticalExtent a = s_.section.columnExtent(blocks[i], xa);
            if (!(a.bottom < a.top + kTolExtent)) continue;
            const VerticalExtent b = s_.section.columnExtent(blocks[i], xb);
            if (!(b.bottom < b.top + kTolExtent)) continue;
            e.has = true;
            e.topPrev = a.top + (a.top - b.top);
            e.topCur = b.top - (a.top - b.top);
            e.bottomPrev = a.bottom + (a.bottom - b.bottom);
            e.bottomCur = b.bottom - (a.bottom - b.bottom);
        }
        const double m = std::ceil((prev - cur) / s_.section.sliceWidth);
        const double w = (prev - cur) / m;
        for (double x1 = prev; x1 > cur + kTolLoop && !mass.invalid; x1 -= w)
            slice(x1, x1 - w, w, prev, cur, k, mass);
    }

    void slice(double x1, double x2, double w, double prev, double cur, int k, MassState& mass)
    {
        const double y1 = line_.heightAt(x1);
        const double y2 = line_.heightAt(x2);
        if (crossesUncut(s_, line_, {x1, y1}, {x2, y2})) invalidateMass(mass); // still summed

        const double xm = (x1 + x2) / 2;
        const double ym = (y1 + y2) / 2;
        const double floor = line_.heightAt(xm);
        columns_.clear();
        const std::vector<PreparedBlock>& blocks = s_.section.blocks;
        for (std::size_t i = 0; i < blocks.size(); ++i) {
            const SubExtent& e = ext_[i];
            const PreparedBlock& b = blocks[i];
            if (!e.has || !(b.xmin <= xm && xm <= b.xmax && b.ymax >= ym)) continue;
            const double t = (xm - cur) / (prev - cur);
            double top = e.topCur + (e.topPrev - e.topCur) * t;
            double bottom = e.bottomCur + (e.bottomPrev - e.bottomCur) * t;
            top = std::max(top, floor);
            bottom = std::max(bottom, floor);
            columns_.push_back({static_cast<int>(i), xm, (top + bottom) / 2, (top - bottom) * w});
        }

        const SliceGeometry g{line_.x0, line_.y0, line_.angle, x1, y1, x2, y2, w, k, columns_};
        const LineSliceForces f = lineSliceForces(s_, line_, g);
        SlipResult& r = mass.rec;
        r.mrf += f.t;
        r.mrc += f.rc;
        r.mdw += f.dw;
        r.mdh += f.dh;
        r.mdk += f.dk;
        if (x1 > r.sx) r.sx = x1, r.sy = y1;
        if (x2 < r.ex) r.ex = x2, r.ey = y2;
        r.f = kNoSafetyFactor; // the validity flag stays as the mass has it
    }

    const LineSection& s_;
    const StraightLine& line_;
    std::vector<SubExtent> ext_;
    std::vector<BlockColumn> columns_;
};

} // namespace

double StraightLine::heightAt(double x) const
{
    if (cosA < kTolCoincident) return y0;
    return y0 + (x - x0) * sinA / cosA;
}

StraightLine lineByAngle(double x0, double y0, double alpha, int slipSign)
{
    StraightLine l;
    l.x0 = x0;
    l.y0 = y0;
    l.slipSign = slipSign;
    l.angle = slipSign * alpha;
    l.cosA = std::cos(radians(l.angle));
    l.sinA = std::sin(radians(l.angle));
    return l;
}

StraightLine lineBetween(Point2 s, Point2 e)
{
    StraightLine l;
    l.x0 = s.x;
    l.y0 = s.y;
    l.segment = true;
    l.ex = e.x;
    l.ey = e.y;
    double a = std::atan2(e.y - s.y, e.x - s.x) * (180.0 / std::numbers::pi);
    if (a < -90.0) a += 180.0;
    if (a > 90.0) a -= 180.0;
    l.angle = a;
    l.cosA = std::cos(radians(a));
    l.sinA = std::sin(radians(a));
    l.slipSign = a > 0.0 ? 1 : -1;
    return l;
}

LineSection::LineSection(const SlopeModel& model, const PolygonTable& polygons)
    : section(model, polygons), direction(model.lineSlip.direction), forceX(model.lineSlip.forceX)
{
    section.sheetPile = SheetPileSettings{};
    const int lines = std::min(model.lineCount, kMaxLines);
    for (int i = 0; i < lines; ++i) {
        const TerrainLine& l = model.lines[static_cast<std::size_t>(i)];
        if (l.kind != kUncutLine) continue;
        const std::optional<Point2> a = terrainPoint(model, l.startPoint);
        const std::optional<Point2> b = terrainPoint(model, l.endPoint);
        if (a && b) uncutPlain.push_back({*a, *b});
    }
}

SliceBreaks LineSection::breaks(std::initializer_list<double> xs) const
{
    std::vector<double> v(xs);
    v.insert(v.end(), section.pointXs.begin(), section.pointXs.end());
    const CalcConditions& c = section.conditions;
    for (std::size_t i = 0; i < static_cast<std::size_t>(kSurchargeStrips); ++i) {
        if (c.surchargeQmin[i] > 0.0) {
            v.push_back(c.surchargeXmin[i]);
            v.push_back(c.surchargeXmax[i]);
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

CircleCut cutLine(const LineSection& s, const StraightLine& line)
{
    CircleCut cut;
    const double alpha = radians(line.angle);
    const double dx = line.slipSign * std::fabs(std::cos(alpha)) * kLineReach;
    const double dy = std::fabs(std::sin(alpha)) * kLineReach;
    const Point2 p0{line.x0, line.y0};
    const Point2 up{line.x0 + dx, line.y0 + dy};
    const Point2 down{line.x0 - dx, line.y0 - dy};
    for (const BoundaryEdge& e : s.section.boundary) {
        Point2 q;
        if (s.direction != 2 && segmentIntersection(e.start, e.end, p0, up, q) == 0)
            cut.points.push_back({q.x, q.y, e.startPoint, e.endPoint});
        if (s.direction != 1 && segmentIntersection(e.start, e.end, p0, down, q) == 0)
            cut.points.push_back({q.x, q.y, e.startPoint, e.endPoint});
    }
    sortAndAssign(s, cut, line.x0);
    return cut;
}

CircleCut cutLineBetween(const LineSection& s, const StraightLine& line)
{
    CircleCut cut;
    const Point2 sp{line.x0, line.y0}, ep{line.ex, line.ey};
    const Point2& left = sp.x <= ep.x ? sp : ep;
    const Point2& right = sp.x <= ep.x ? ep : sp;
    // The smaller x of S and E takes the y of that point (S on a tie, as the left one).
    const double xlo = std::min(sp.x, ep.x), xhi = std::max(sp.x, ep.x);
    for (const BoundaryEdge& e : s.section.boundary) {
        Point2 q;
        const int status = segmentIntersection(e.start, e.end, sp, ep, q);
        if (status != 0 && status != 2) continue;
        if (q.x < xlo) q = {xlo, left.y};
        if (q.x > xhi) q = {xhi, right.y};
        cut.points.push_back({q.x, q.y, e.startPoint, e.endPoint});
    }
    sortAndAssign(s, cut, line.x0);
    return cut;
}

LineSliceForces lineSliceForces(const LineSection& s, const StraightLine& line,
                                const SliceGeometry& g)
{
    const PreparedSection& sec = s.section;
    const PreparedBlock& kb = sec.blocks[static_cast<std::size_t>(g.baseBlock)];
    const CalcConditions& c = sec.conditions;
    const double kh = c.seismicCoefficient;
    const double cosL = std::fabs(line.cosA), sinL = std::fabs(line.sinA);

    // The chord, cohesion, column weights and surcharge are those of the circle slices;
    // only the angle is the line's.
    const SliceLoads loads = sliceLoads(sec, g);
    const double l = loads.length, coh = loads.cohesion, w = loads.weight;
    const double we = loads.effectiveWeight, ak = loads.baseArea, side = loads.sideWeight;
    const double q = loads.surcharge;
    const double tanPhi = kb.tanPhi;

    LineSliceForces f;
    if (!kb.sandPiles) {
        const double e = c.seismicOnSurcharge == 1 ? std::fabs((w + q) * kh * sinL * tanPhi)
                                                   : std::fabs(kh * w * sinL * tanPhi);
        f.t = (we + q) * cosL * tanPhi - e;
        f.rc = coh * l;
        f.dw = (we + q) * sinL;
    } else {
        const double as = kb.pileRatio, n = kb.shareRatio, ws = kb.pileUnitWeight;
        const double den = (n - 1) * as + 1;
        const double mus = den != 0.0 ? n / den : 0.0; // as the circle terms do
        const double ts = kb.tanPhiS;
        const double gm = ws * as + (1 - as) * kb.effectiveUnitWeight;
        const double wE = c.seismicOnSurcharge == 1 ? w + q : w;
        switch (c.sandPileFormula) {
        case 0:
            f.t =
                (ws * ak + mus * (side + q)) * as * ts * cosL - std::fabs(wE * kh * as * sinL * ts);
            f.rc = (1 - as) * coh * l;
            break;
        case 1:
            f.t = (gm * ak + side + q) * mus * as * ts * cosL -
                  std::fabs(wE * kh * mus * as * sinL * ts);
            f.rc = (1 - as) * coh * l;
            break;
        case 2:
            f.t = (gm * ak + side + q) * ts * cosL - std::fabs(wE * kh * sinL * ts);
            f.rc = 0.0;
            break;
        default:
            f.t = (gm * ak + side + q) * mus * as * ts * cosL -
                  std::fabs(wE * kh * mus * as * sinL * ts);
            f.rc = 0.0;
            break;
        }
        f.dw = (w + q) * sinL;
    }
    const double at = s.forceX + kForceSlack;
    if (g.x2 < at && at <= g.x1) {
        for (std::size_t i = 0; i < static_cast<std::size_t>(kHorizontalForces); ++i) {
            f.dh += c.forceH[i] * cosL;
            f.t -= c.forceH[i] * sinL * cosL * tanPhi;
        }
    }
    f.dk = kh * w * cosL;
    return f;
}

int finishLineMass(const LineSection& s, const StraightLine& line, MassState& mass)
{
    SlipResult& r = mass.rec;
    r.mdw = std::fabs(r.mdw);
    r.mr = r.mrf + r.mrc;
    r.md = r.mdw + r.mdh + r.mdk;
    if (!mass.invalid) {
        r.f = kNoSafetyFactor;
        if (std::fabs(r.md) > kTolCoincident) {
            const double f = cutSafetyFactor(r.mr / r.md, s.section.decimals);
            if (std::isfinite(f)) r.f = f; // no lower guard
        }
    }
    return line.slipSign >= 0 ? 1 : -1;
}

void resetLineMass(MassState& mass, int level, const StraightLine& line)
{
    resetMass(mass, level, line.x0, line.y0, line.angle);
    SlipResult& r = mass.rec;
    // The soil-only ends belong to circles.
    r.csx = r.csy = r.cex = r.cey = 0.0;
    if (line.segment) {
        r.dx = line.ex;
        r.dy = line.ey;
    }
}

void walkLine(const LineSection& s, const StraightLine& line, int level, const SliceBreaks& breaks,
              std::vector<EvaluatedMass>& out)
{
    MassState mass;
    resetLineMass(mass, level, line);
    if (!std::isfinite(line.x0) || !std::isfinite(line.y0) || !std::isfinite(line.angle) ||
        !std::isfinite(line.ex) || !std::isfinite(line.ey))
        return;
    auto finish = [&] {
        const int sign = finishLineMass(s, line, mass);
        out.push_back({mass.rec, sign});
    };
    const CircleCut cut = line.segment ? cutLineBetween(s, line) : cutLine(s, line);
    LineWalker walker(s, line);
    const std::size_t n = cut.points.size();
    for (std::size_t i = 0; i + 1 < n; ++i) {
        const CutPoint& a = cut.points[i];
        const CutPoint& b = cut.points[i + 1];
        if (std::fabs(a.x - b.x) < kTolBreakpoint) {
            if (std::fabs(a.y - b.y) > kTolBreakpoint) {
                // A vertical cut: it must not cross an uncut line.
                if (!mass.invalid && crossesUncut(s, line, {a.x, a.y}, {b.x, b.y}))
                    invalidateMass(mass);
                continue;
            }
            // Two crossings at one place: the interval keeps no block and ends the mass
            // like air. With both parts of a method-3 line slipping and the start point on
            // the ground, the parts meet the surface there: each is a mass of its own.
            // (The circles keep one mass at such a place; see walkCircle.)
            finish();
            resetLineMass(mass, level, line);
            continue;
        }
        const int k = cut.blocks[i];
        const PreparedBlock* blk =
            k >= 0 ? &s.section.blocks[static_cast<std::size_t>(k)] : nullptr;
        if (!blk || blk->kind == kWaterPressureBlock || blk->kind == kWaterWeightBlock ||
            blk->noStrength) {
            // Only soil (and, between segments, structures) carries slices.
            finish();
            resetLineMass(mass, level, line);
            continue;
        }
        if (blk->kind == kStructureBlock && !line.segment) {
            invalidateMass(mass);
            break;
        }
        if (!mass.invalid) walker.sliceInterval(a.x, b.x, k, breaks, mass);
    }
    finish();
}

std::string formatLineRecord(const SlipResult& r)
{
    std::string s = cformat("cx,cy=%7.3f,%7.3f rr=%7.3f sx,sy=%7.3f,%7.3f ex,ey=%7.3f,%7.3f\n",
                            r.cx, r.cy, r.rr, r.sx, r.sy, r.ex, r.ey);
    s += cformat("      mrf=%10.3f mrc=%10.3f                mr=%10.3f \n", r.mrf, r.mrc, r.mr);
    s += cformat("      mdw=%10.3f mdh=%10.3f mdk=%10.3f md=%10.3f f=%5.3f\n", r.mdw, r.mdh, r.mdk,
                 r.md, r.f);
    return s;
}

std::string formatSegmentLineRecord(const SlipResult& r)
{
    std::string s =
        cformat("cx,cy=%7.3f,%7.3f dx,dy=%7.3f,%7.3f sx,sy=%7.3f,%7.3f ex,ey=%7.3f,%7.3f\n", r.cx,
                r.cy, r.dx, r.dy, r.sx, r.sy, r.ex, r.ey);
    s += cformat("      mrf=%10.3f mrc=%10.3f                mr=%10.3f \n", r.mrf, r.mrc, r.mr);
    s += cformat("      mdw=%10.3f mdh=%10.3f mdk=%10.3f md=%10.3f f=%5.3f\n", r.mdw, r.mdh, r.mdk,
                 r.md, r.f);
    return s;
}

} // namespace keltora
