// The factor-of-safety map: per-centre minima of a grid, contour lines and filled bands on a
// triangulation of the grid cells, and their layout as figure primitives.
#include "output/safety_map.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

#include "edit/result_table.h"
#include "model/c_format.h"

namespace keltora {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
// Values that differ by less than this are the same level.
constexpr double kLevelTolerance = 1e-9;

struct Vertex {
    Point2 p;
    double v;
};
using Tri = std::array<Vertex, 3>;

// The triangles of cell (ix, iy): four about the centre when all corners have values, the
// one of the three present corners when one is missing, none otherwise.
std::vector<Tri> cellTriangles(const SafetyMap& m, int ix, int iy)
{
    const int cx[4] = {ix, ix + 1, ix + 1, ix};
    const int cy[4] = {iy, iy, iy + 1, iy + 1};
    std::vector<Vertex> corners;
    for (int k = 0; k < 4; ++k)
        if (m.hasValue(cx[k], cy[k]))
            corners.push_back(
                {{m.xs[static_cast<std::size_t>(cx[k])], m.ys[static_cast<std::size_t>(cy[k])]},
                 m.value(cx[k], cy[k])});
    std::vector<Tri> out;
    if (corners.size() == 3) {
        out.push_back({corners[0], corners[1], corners[2]});
    } else if (corners.size() == 4) {
        Vertex c{{0.0, 0.0}, 0.0};
        for (const Vertex& v : corners) {
            c.p.x += v.p.x / 4.0;
            c.p.y += v.p.y / 4.0;
            c.v += v.v / 4.0;
        }
        for (std::size_t k = 0; k < 4; ++k)
            out.push_back({corners[k], corners[(k + 1) % 4], c});
    }
    return out;
}

Vertex between(const Vertex& a, const Vertex& b, double level)
{
    const double t = (level - a.v) / (b.v - a.v);
    return {{a.p.x + t * (b.p.x - a.p.x), a.p.y + t * (b.p.y - a.p.y)}, level};
}

// The part of a convex polygon where the value is >= level (keepAbove) or <= level.
std::vector<Vertex> clipAt(const std::vector<Vertex>& poly, double level, bool keepAbove)
{
    std::vector<Vertex> out;
    auto inside = [&](const Vertex& v) { return keepAbove ? v.v >= level : v.v <= level; };
    for (std::size_t i = 0; i < poly.size(); ++i) {
        const Vertex& a = poly[i];
        const Vertex& b = poly[(i + 1) % poly.size()];
        if (inside(a)) out.push_back(a);
        if (inside(a) != inside(b)) out.push_back(between(a, b, level));
    }
    return out;
}

double polygonArea(const std::vector<Vertex>& poly)
{
    double a = 0.0;
    for (std::size_t i = 0; i < poly.size(); ++i) {
        const Point2& p = poly[i].p;
        const Point2& q = poly[(i + 1) % poly.size()].p;
        a += p.x * q.y - q.x * p.y;
    }
    return a / 2.0;
}

// The band (0..levels.size()) a value falls in.
int bandOf(double v, const std::vector<double>& levels)
{
    return static_cast<int>(std::upper_bound(levels.begin(), levels.end(), v) - levels.begin());
}

// Fewest decimals (0..3) that write every value exactly enough for an axis label.
int axisDecimals(const std::vector<double>& values)
{
    for (int d = 0; d < 3; ++d) {
        const double k = std::pow(10.0, d);
        bool exact = true;
        // The search offsets its centres by 0.00001 m from the entered values.
        for (double v : values)
            if (std::fabs(v - std::round(v * k) / k) > 0.0005) exact = false;
        if (exact) return d;
    }
    return 3;
}

std::string levelText(double level)
{
    // Two decimals for the 0.1 levels; three when the value needs them (an allowable 1.125).
    const bool three = std::fabs(level * 100.0 - std::round(level * 100.0)) > 1e-6;
    return cformat(three ? "%.3f" : "%.2f", level);
}

class Painter {
  public:
    explicit Painter(Figure& f) : f_(f) {}
    void line(Point2 a, Point2 b, int layer)
    {
        FigureItem it;
        it.kind = FigureItemKind::Line;
        it.layer = layer;
        it.p1 = a;
        it.p2 = b;
        f_.items.push_back(std::move(it));
    }
    void rect(double x1, double y1, double x2, double y2, int layer)
    {
        line({x1, y1}, {x2, y1}, layer);
        line({x2, y1}, {x2, y2}, layer);
        line({x2, y2}, {x1, y2}, layer);
        line({x1, y2}, {x1, y1}, layer);
    }
    void fill(std::vector<Point2> points, unsigned colour, int layer)
    {
        FigureItem it;
        it.kind = FigureItemKind::Polygon;
        it.layer = layer;
        it.points = std::move(points);
        it.fill = colour;
        f_.items.push_back(std::move(it));
    }
    void box(double x1, double y1, double x2, double y2, unsigned colour, int layer)
    {
        fill({{x1, y1}, {x2, y1}, {x2, y2}, {x1, y2}}, colour, layer);
    }
    double text(Point2 at, double t, const std::string& s, int layer)
    {
        FigureItem it;
        it.kind = FigureItemKind::Text;
        it.layer = layer;
        it.p1 = at;
        it.size = t;
        it.size2 = t;
        it.text = s;
        f_.items.push_back(std::move(it));
        return figureTextWidth(s, t);
    }
    void mark(Point2 at, double r, int layer)
    {
        FigureItem it;
        it.kind = FigureItemKind::PointMark;
        it.layer = layer;
        it.p1 = at;
        it.size = r;
        it.style = 11;
        f_.items.push_back(std::move(it));
    }

  private:
    Figure& f_;
};

bool overlaps(const std::array<double, 4>& a, const std::array<double, 4>& b)
{
    return a[0] < b[2] && b[0] < a[2] && a[1] < b[3] && b[1] < a[3];
}

unsigned mix(unsigned a, unsigned b, double u)
{
    u = std::clamp(u, 0.0, 1.0);
    unsigned out = 0;
    for (int shift = 16; shift >= 0; shift -= 8) {
        const double ca = (a >> shift) & 0xFF, cb = (b >> shift) & 0xFF;
        out |= static_cast<unsigned>(std::lround(ca + (cb - ca) * u)) << shift;
    }
    return out;
}

} // namespace

bool SafetyMap::hasValue(int ix, int iy) const
{
    return ix >= 0 && iy >= 0 && ix < columns() && iy < rows() && !std::isnan(value(ix, iy));
}

std::vector<int> safetyMapGrids(const CalculationResults& results)
{
    return resultTableLevels(results);
}

SafetyMap buildSafetyMap(const CalculationResults& results, int grid)
{
    SafetyMap m;
    if (grid < 1 || grid > kMaxGrids) return m;
    const ResultTable t = buildResultTable(results, grid);
    if (t.minimumX < 0) return m;
    m.grid = grid;
    // The table keeps x in storage order and y descending; the map wants both ascending.
    std::vector<int> xorder(t.xs.size());
    std::iota(xorder.begin(), xorder.end(), 0);
    std::stable_sort(xorder.begin(), xorder.end(), [&](int a, int b) {
        return t.xs[static_cast<std::size_t>(a)] < t.xs[static_cast<std::size_t>(b)];
    });
    const int nx = t.columns(), ny = t.rows();
    for (int i : xorder)
        m.xs.push_back(t.xs[static_cast<std::size_t>(i)]);
    for (int j = ny - 1; j >= 0; --j)
        m.ys.push_back(t.ys[static_cast<std::size_t>(j)]);
    m.values.assign(static_cast<std::size_t>(nx * ny), kNaN);
    bool first = true;
    for (int ix = 0; ix < nx; ++ix) {
        for (int iy = 0; iy < ny; ++iy) {
            const int tx = xorder[static_cast<std::size_t>(ix)], ty = ny - 1 - iy;
            const double v = t.cell(tx, ty);
            if (v > kResultTableShownLimit) continue;
            m.values[static_cast<std::size_t>(iy * nx + ix)] = v;
            m.fmin = first ? v : std::min(m.fmin, v);
            m.fmax = first ? v : std::max(m.fmax, v);
            first = false;
            if (tx == t.minimumX && ty == t.minimumY) {
                m.minimumX = ix;
                m.minimumY = iy;
            }
        }
    }
    m.fmin = t.minimum;
    return m;
}

double safetyMapStep(const SafetyMap& map)
{
    // Multiples of the step are written as k / divisor, so that 1.3 is the double nearest
    // to 1.3. The finer steps serve the refined grids, whose factors often differ by
    // less than 0.1 over the whole grid: they keep every 0.1 line and add lines between.
    for (int divisor : {10, 20, 50})
        if (std::floor(map.fmax * divisor - kLevelTolerance) -
                std::floor(map.fmin * divisor + kLevelTolerance) >=
            kSafetyMapMinLevels)
            return 1.0 / divisor;
    return 0.01;
}

std::vector<double> safetyMapLevels(const SafetyMap& map, double allowable)
{
    std::vector<double> levels;
    if (map.empty()) return levels;
    const double divisor = std::round(1.0 / safetyMapStep(map));
    for (long k = static_cast<long>(std::floor(map.fmin * divisor + kLevelTolerance)) + 1;
         static_cast<int>(levels.size()) < kSafetyMapMaxLevels; ++k) {
        const double level = static_cast<double>(k) / divisor;
        if (!(level < map.fmax - kLevelTolerance)) break;
        levels.push_back(level);
    }
    if (allowable > map.fmin + kLevelTolerance && allowable < map.fmax - kLevelTolerance) {
        bool known = false;
        for (double l : levels)
            if (std::fabs(l - allowable) < kLevelTolerance) known = true;
        if (!known)
            levels.insert(std::upper_bound(levels.begin(), levels.end(), allowable), allowable);
    }
    return levels;
}

std::vector<ContourSegment> safetyMapContours(const SafetyMap& map,
                                              const std::vector<double>& levels)
{
    std::vector<ContourSegment> out;
    if (!map.contourable()) return out;
    for (int ix = 0; ix + 1 < map.columns(); ++ix) {
        for (int iy = 0; iy + 1 < map.rows(); ++iy) {
            for (const Tri& tri : cellTriangles(map, ix, iy)) {
                for (double level : levels) {
                    // A vertex exactly at the level counts as above it, so that a line
                    // through a vertex is drawn once and never as a point.
                    std::vector<Point2> cross;
                    for (int e = 0; e < 3; ++e) {
                        const Vertex& a = tri[static_cast<std::size_t>(e)];
                        const Vertex& b = tri[static_cast<std::size_t>((e + 1) % 3)];
                        if ((a.v >= level) != (b.v >= level))
                            cross.push_back(between(a, b, level).p);
                    }
                    if (cross.size() == 2) out.push_back({level, cross[0], cross[1]});
                }
            }
        }
    }
    return out;
}

std::vector<BandPolygon> safetyMapBands(const SafetyMap& map, const std::vector<double>& levels)
{
    std::vector<BandPolygon> out;
    if (!map.contourable()) return out;
    for (int ix = 0; ix + 1 < map.columns(); ++ix) {
        for (int iy = 0; iy + 1 < map.rows(); ++iy) {
            const std::vector<Tri> tris = cellTriangles(map, ix, iy);
            if (tris.empty()) continue;
            // A cell wholly inside one band is one polygon (fewer seams, smaller files).
            double lo = kInf, hi = -kInf;
            for (const Tri& tri : tris)
                for (const Vertex& v : tri) {
                    lo = std::min(lo, v.v);
                    hi = std::max(hi, v.v);
                }
            const int bandLo = bandOf(lo, levels), bandHi = bandOf(hi, levels);
            if (bandLo == bandHi) {
                BandPolygon b{bandLo, {}};
                if (tris.size() == 4)
                    for (const Tri& tri : tris)
                        b.points.push_back(tri[0].p);
                else
                    for (const Vertex& v : tris[0])
                        b.points.push_back(v.p);
                out.push_back(std::move(b));
                continue;
            }
            for (const Tri& tri : tris) {
                for (int band = bandLo; band <= bandHi; ++band) {
                    std::vector<Vertex> poly(tri.begin(), tri.end());
                    if (band > 0)
                        poly = clipAt(poly, levels[static_cast<std::size_t>(band - 1)], true);
                    if (band < static_cast<int>(levels.size()) && poly.size() >= 3)
                        poly = clipAt(poly, levels[static_cast<std::size_t>(band)], false);
                    if (poly.size() < 3 || std::fabs(polygonArea(poly)) < 1e-12) continue;
                    BandPolygon b{band, {}};
                    for (const Vertex& v : poly)
                        b.points.push_back(v.p);
                    out.push_back(std::move(b));
                }
            }
        }
    }
    return out;
}

std::uint32_t safetyMapColour(double f, double allowable)
{
    if (!(allowable > 0.0)) allowable = 1.0;
    const double d = f - allowable;
    if (d < 0.0) return mix(0xFFC078, 0xB41414, -d / 0.5); // light orange .. deep red
    if (d < 0.3) return mix(0xE6F0A0, 0x78C878, d / 0.3);  // pale yellow-green .. green
    return mix(0x78C878, 0x5A82DC, (d - 0.3) / 0.9);       // green .. blue
}

SafetyMapPlacement appendSafetyMap(Figure& figure, const SafetyMap& map, double x1, double y1,
                                   double x2, double y2, const SafetyMapStyle& style)
{
    SafetyMapPlacement place;
    Painter P(figure);
    const double t = style.textHeight > 0.0 ? style.textHeight : 2.5;
    const double tt = 1.4 * t;
    const std::string gridName = map.grid >= 1 ? resultTableTabText(map.grid) : std::string("格子");
    const std::string title = style.title.empty() ? "安全率分布図　" + gridName : style.title;
    P.text({x1, y2 - tt}, tt, title, kLayerMapText);
    if (map.empty()) {
        P.text({x1, y2 - tt - 2.0 * t}, t, "結果なし", kLayerMapText);
        return place;
    }
    const double fminX = map.xs[static_cast<std::size_t>(map.minimumX)];
    const double fminY = map.ys[static_cast<std::size_t>(map.minimumY)];
    P.text({x1, y2 - tt - 1.6 * t}, t,
           cformat("最小安全率 Fmin=%.3f  中心 X=%.3f, Y=%.3f  等高線間隔 %.2f", map.fmin, fminX,
                   fminY, safetyMapStep(map)),
           kLayerMapText);

    // The area of the map proper: room for the y labels at the left, the x labels below,
    // the legend at the right.
    const int xd = axisDecimals(map.xs), yd = axisDecimals(map.ys);
    double yLabelWidth = 0.0;
    for (double y : map.ys)
        yLabelWidth = std::max(yLabelWidth, figureTextWidth(cformat("%.*f", yd, y), t));
    const double legendWidth = style.legend ? 8.0 + 3.5 * t : 0.0;
    const double ax1 = x1 + yLabelWidth + 2.5, ax2 = x2 - legendWidth - 2.0;
    const double ay1 = y1 + 2.5 * t + 2.0, ay2 = y2 - tt - 3.8 * t - 1.5;
    if (!(ax2 - ax1 > 1.0 && ay2 - ay1 > 1.0)) return place;
    const double spanX = map.xs.back() - map.xs.front(), spanY = map.ys.back() - map.ys.front();
    // A single row or column still gets a scale from the other direction (or 1 m).
    const double ex = spanX > 0.0 ? spanX : (spanY > 0.0 ? spanY / 4.0 : 1.0);
    const double ey = spanY > 0.0 ? spanY : (spanX > 0.0 ? spanX / 4.0 : 1.0);
    const double k = std::min((ax2 - ax1) / ex, (ay2 - ay1) / ey);
    const double midX = (map.xs.front() + map.xs.back()) / 2.0;
    const double midY = (map.ys.front() + map.ys.back()) / 2.0;
    const double cpx = (ax1 + ax2) / 2.0, cpy = (ay1 + ay2) / 2.0;
    place.mmPerMetre = k;
    place.x0 = cpx + (map.xs.front() - midX) * k;
    place.y0 = cpy + (map.ys.front() - midY) * k;
    auto paper = [&](Point2 p) { return place.toPaper(p.x, p.y, map); };
    const double fx1 = paper({map.xs.front(), 0}).x, fx2 = paper({map.xs.back(), 0}).x;
    const double fy1 = paper({0, map.ys.front()}).y, fy2 = paper({0, map.ys.back()}).y;

    const std::vector<double> levels = safetyMapLevels(map, style.allowable);
    const double step = safetyMapStep(map);
    auto bandValue = [&](int band) {
        const std::size_t n = levels.size();
        if (n == 0) return (map.fmin + map.fmax) / 2.0;
        if (band == 0) return (map.fmin + levels[0]) / 2.0;
        if (static_cast<std::size_t>(band) >= n) return levels[n - 1] + step / 2.0;
        return (levels[static_cast<std::size_t>(band - 1)] +
                levels[static_cast<std::size_t>(band)]) /
               2.0;
    };

    // Every other band a little lighter, so that neighbouring bands of a refined grid,
    // whose factors differ little, stay apart.
    auto bandColour = [&](int band) {
        const unsigned c = safetyMapColour(bandValue(band), style.allowable);
        return band % 2 == 0 ? c : mix(c, 0xFFFFFF, 0.18);
    };
    std::vector<std::array<double, 4>> taken; // label boxes placed so far (mm)
    if (map.contourable()) {
        for (const BandPolygon& b : safetyMapBands(map, levels)) {
            std::vector<Point2> pts;
            for (const Point2& p : b.points)
                pts.push_back(paper(p));
            P.fill(std::move(pts), bandColour(b.band), kLayerMapBands);
        }
        const std::vector<ContourSegment> segments = safetyMapContours(map, levels);
        for (const ContourSegment& s : segments) {
            const bool allowable =
                style.allowable > 0.0 && std::fabs(s.level - style.allowable) < kLevelTolerance;
            P.line(paper(s.a), paper(s.b), allowable ? kLayerMapAllowable : kLayerMapContours);
        }
        // Outlines of the finer grids, cut to the frame: a finer grid extended beyond its
        // coarser one (its minimum on an edge) shows only the part inside.
        for (const SafetyMapStyle::Outline& o : style.outlines) {
            const Point2 a = paper({o.xmin, o.ymin}), b = paper({o.xmax, o.ymax});
            const double rx1 = std::max(a.x, fx1), ry1 = std::max(a.y, fy1);
            const double rx2 = std::min(b.x, fx2), ry2 = std::min(b.y, fy2);
            if (!(rx2 > rx1 && ry2 > ry1)) continue;
            if (a.y >= fy1) P.line({rx1, a.y}, {rx2, a.y}, kLayerMapContours);
            if (b.y <= fy2) P.line({rx1, b.y}, {rx2, b.y}, kLayerMapContours);
            if (a.x >= fx1) P.line({a.x, ry1}, {a.x, ry2}, kLayerMapContours);
            if (b.x <= fx2) P.line({b.x, ry1}, {b.x, ry2}, kLayerMapContours);
            if (o.label.empty()) continue;
            const double lt = 0.8 * t;
            const Point2 at{rx1 + 0.5, ry2 - lt - 0.5};
            P.text(at, lt, o.label, kLayerMapText);
            taken.push_back({at.x, at.y, at.x + figureTextWidth(o.label, lt), at.y + lt});
        }
        // The minimum first, so that the contour labels keep clear of it.
        const Point2 mp = paper({fminX, fminY});
        P.mark(mp, 0.8, kLayerMapText);
        // One label per level: of the segment midpoints whose box fits inside the frame and
        // clear of the boxes already placed, the one farthest from the frame.
        taken.push_back({mp.x - 1.2, mp.y - 1.2, mp.x + 1.2, mp.y + 1.2});
        // The minimum's value, right of its mark (left of it near the right edge).
        const std::string ftext = cformat("%.3f", map.fmin);
        const double fw = figureTextWidth(ftext, t) + 1.0;
        const double lx = mp.x + 1.2 + fw <= fx2 ? mp.x + 1.2 : mp.x - 1.2 - fw;
        const double ly = std::clamp(mp.y - t / 2.0 - 0.5, fy1, std::max(fy1, fy2 - t - 1.0));
        taken.push_back({lx, ly, lx + fw, ly + t + 1.0});
        P.box(lx, ly, lx + fw, ly + t + 1.0, 0xFFFFFF, kLayerMapText);
        P.text({lx + 0.5, ly + 0.5}, t, ftext, kLayerMapText);
        for (double level : levels) {
            const bool allowable =
                style.allowable > 0.0 && std::fabs(level - style.allowable) < kLevelTolerance;
            const std::string text = (allowable ? "Fa=" : "") + levelText(level);
            const double w = figureTextWidth(text, t) + 1.0, h = t + 1.0;
            double best = -1.0;
            std::array<double, 4> bestBox{};
            for (const ContourSegment& s : segments) {
                if (std::fabs(s.level - level) > kLevelTolerance) continue;
                const Point2 a = paper(s.a), b = paper(s.b);
                const Point2 c{(a.x + b.x) / 2.0, (a.y + b.y) / 2.0};
                const std::array<double, 4> box{c.x - w / 2.0, c.y - h / 2.0, c.x + w / 2.0,
                                                c.y + h / 2.0};
                if (box[0] < fx1 || box[2] > fx2 || box[1] < fy1 || box[3] > fy2) continue;
                bool clear = true;
                for (const auto& other : taken)
                    if (overlaps(box, other)) clear = false;
                if (!clear) continue;
                const double room =
                    std::min({box[0] - fx1, fx2 - box[2], box[1] - fy1, fy2 - box[3]});
                if (room > best + 1e-9) {
                    best = room;
                    bestBox = box;
                }
            }
            if (best < 0.0) continue;
            taken.push_back(bestBox);
            place.labelBoxes.push_back(bestBox);
            place.labelLevels.push_back(level);
            P.box(bestBox[0], bestBox[1], bestBox[2], bestBox[3], 0xFFFFFF, kLayerMapText);
            P.text({bestBox[0] + 0.5, bestBox[1] + 0.5}, t, text, kLayerMapText);
        }
    } else {
        // A row or a column: the values themselves.
        for (int ix = 0; ix < map.columns(); ++ix)
            for (int iy = 0; iy < map.rows(); ++iy) {
                if (!map.hasValue(ix, iy)) continue;
                const Point2 p = paper(
                    {map.xs[static_cast<std::size_t>(ix)], map.ys[static_cast<std::size_t>(iy)]});
                P.mark(p, ix == map.minimumX && iy == map.minimumY ? 0.8 : 0.4, kLayerMapText);
                P.text({p.x + 1.0, p.y + 0.5}, 0.8 * t, cformat("%.3f", map.value(ix, iy)),
                       kLayerMapText);
            }
    }
    // Centres without a stored mass.
    for (int ix = 0; ix < map.columns(); ++ix)
        for (int iy = 0; iy < map.rows(); ++iy)
            if (!map.hasValue(ix, iy)) {
                const Point2 p = paper(
                    {map.xs[static_cast<std::size_t>(ix)], map.ys[static_cast<std::size_t>(iy)]});
                P.line({p.x - 0.7, p.y - 0.7}, {p.x + 0.7, p.y + 0.7}, kLayerMapText);
                P.line({p.x - 0.7, p.y + 0.7}, {p.x + 0.7, p.y - 0.7}, kLayerMapText);
            }

    // Frame and axes: a tick at every column and row, labels as often as they fit.
    P.rect(fx1, fy1, fx2, fy2, kLayerMapText);
    auto every = [](double pitchMm, double need) {
        return pitchMm > 0.0 ? std::max(1, static_cast<int>(std::ceil(need / pitchMm))) : 1;
    };
    const double xPitch = map.columns() > 1 ? (fx2 - fx1) / (map.columns() - 1) : 0.0;
    double xLabelWidth = 0.0;
    for (double x : map.xs)
        xLabelWidth = std::max(xLabelWidth, figureTextWidth(cformat("%.*f", xd, x), t));
    const int xStep = every(xPitch, xLabelWidth + 1.5);
    for (int ix = 0; ix < map.columns(); ++ix) {
        const double x = paper({map.xs[static_cast<std::size_t>(ix)], 0}).x;
        P.line({x, fy1}, {x, fy1 - 1.0}, kLayerMapText);
        if (ix % xStep != 0 && ix != map.columns() - 1) continue;
        if (ix != map.columns() - 1 && ix + xStep > map.columns() - 1 &&
            (map.columns() - 1 - ix) * xPitch < xLabelWidth + 1.5)
            continue; // the last column's label takes this place
        const std::string s = cformat("%.*f", xd, map.xs[static_cast<std::size_t>(ix)]);
        P.text({x - figureTextWidth(s, t) / 2.0, fy1 - 1.5 - t}, t, s, kLayerMapText);
    }
    P.text({fx2 - figureTextWidth("X (m)", t), fy1 - 2.5 - 2.0 * t}, t, "X (m)", kLayerMapText);
    const double yPitch = map.rows() > 1 ? (fy2 - fy1) / (map.rows() - 1) : 0.0;
    const int yStep = every(yPitch, t + 1.0);
    for (int iy = 0; iy < map.rows(); ++iy) {
        const double y = paper({0, map.ys[static_cast<std::size_t>(iy)]}).y;
        P.line({fx1, y}, {fx1 - 1.0, y}, kLayerMapText);
        if (iy % yStep != 0 && iy != map.rows() - 1) continue;
        if (iy != map.rows() - 1 && (map.rows() - 1 - iy) * yPitch < t + 1.0) continue;
        const std::string s = cformat("%.*f", yd, map.ys[static_cast<std::size_t>(iy)]);
        P.text({fx1 - 1.5 - figureTextWidth(s, t), y - t / 2.0}, t, s, kLayerMapText);
    }
    P.text({fx1 - 1.5 - figureTextWidth("Y (m)", t), fy2 + t / 2.0 + 1.0}, t, "Y (m)",
           kLayerMapText);

    // The legend: one box per band from the lowest up, the levels at their boundaries.
    if (style.legend && map.contourable()) {
        const double lx1 = ax2 + 3.0, lx2 = lx1 + 4.0;
        const std::size_t bands = levels.size() + 1;
        // Beside the frame from its bottom, as tall as the frame or as the boxes need.
        const double ly1 = fy1;
        const double room =
            std::max(fy2 - fy1, std::min(ay2 - fy1, 4.0 * static_cast<double>(bands)));
        const double bh = std::min(6.0, (room - t - 1.5) / static_cast<double>(bands));
        P.text({lx1, ly1 + bh * static_cast<double>(bands) + 1.5}, t, "安全率", kLayerMapText);
        for (std::size_t b = 0; b < bands; ++b) {
            const double by = ly1 + bh * static_cast<double>(b);
            P.box(lx1, by, lx2, by + bh, bandColour(static_cast<int>(b)), kLayerMapBands);
            P.rect(lx1, by, lx2, by + bh, kLayerMapText);
        }
        const int step = std::max(1, static_cast<int>(std::ceil((t + 0.3) / bh)));
        double lastLabel = -kInf;
        auto label = [&](double y, const std::string& s) {
            P.line({lx2, y}, {lx2 + 0.8, y}, kLayerMapText);
            P.text({lx2 + 1.2, y - t / 2.0}, t, s, kLayerMapText);
            lastLabel = y;
        };
        std::size_t allowableIndex = levels.size();
        for (std::size_t i = 0; i < levels.size(); ++i)
            if (style.allowable > 0.0 && std::fabs(levels[i] - style.allowable) < kLevelTolerance)
                allowableIndex = i;
        const double allowableY = ly1 + bh * static_cast<double>(allowableIndex + 1);
        label(ly1, cformat("%.3f", map.fmin));
        for (std::size_t i = 0; i < levels.size(); ++i) {
            const double y = ly1 + bh * static_cast<double>(i + 1);
            const bool isAllowable = i == allowableIndex;
            if (!isAllowable &&
                (static_cast<int>(i + 1) % step != 0 || y - lastLabel < t + 0.3 ||
                 (allowableIndex < levels.size() && std::fabs(y - allowableY) < t + 0.3)))
                continue;
            label(y, (isAllowable ? "Fa=" : "") + levelText(levels[i]));
        }
        const double top = ly1 + bh * static_cast<double>(bands);
        if (top - lastLabel >= t + 0.3)
            label(top, levels.size() >= static_cast<std::size_t>(kSafetyMapMaxLevels) &&
                               map.fmax > levels.back() + step
                           ? cformat("≧%.3f", map.fmax)
                           : cformat("%.3f", map.fmax));
    }
    return place;
}

Figure composeSafetyMapFigure(const SlopeModel& model, const CalculationResults& results)
{
    Figure fig;
    const Point2 half = paperHalfSize(model.draw.paper);
    fig.halfWidth = half.x;
    fig.halfHeight = half.y;
    const int method = model.conditions.method;
    if (method == kMethodLineByAngle || method == kMethodLineBySegments) return fig;
    const std::vector<int> grids = safetyMapGrids(results);
    if (grids.empty()) return fig;
    const double W = 2.0 * half.x, H = 2.0 * half.y;
    const double allowable = model.conditions.allowableSafetyFactor;
    Painter P(fig);
    P.rect(0.0, 0.0, W, H, kLayerMapText);
    std::string heading = "安全率分布図";
    if (!model.title.empty()) heading += "　" + model.title;
    P.text({5.0, H - 10.0}, 5.0, heading, kLayerMapText);
    P.text({5.0, H - 16.0}, 3.0,
           cformat("格子点（円の中心）ごとの最小安全率　許容安全率 Fa=%.3f", allowable),
           kLayerMapText);

    std::vector<SafetyMap> maps;
    for (int g : grids)
        maps.push_back(buildSafetyMap(results, g));
    const int n = static_cast<int>(maps.size());
    const int cols = n == 1 ? 1 : 2, rows = n <= 2 ? 1 : 2;
    const double top = H - 20.0, gap = 6.0;
    const double pw = (W - 10.0 - gap * (cols - 1)) / cols,
                 ph = (top - 5.0 - gap * (rows - 1)) / rows;
    for (int i = 0; i < n; ++i) {
        const double px = 5.0 + (i % cols) * (pw + gap);
        const double py = top - (i / cols + 1) * ph - (i / cols) * gap;
        SafetyMapStyle style;
        style.allowable = allowable;
        style.textHeight = rows == 1 && cols == 1 ? 3.0 : 2.5;
        style.title = resultTableTabText(maps[static_cast<std::size_t>(i)].grid);
        if (i + 1 < n && !maps[static_cast<std::size_t>(i + 1)].empty()) {
            const SafetyMap& next = maps[static_cast<std::size_t>(i + 1)];
            style.outlines.push_back({next.xs.front(), next.ys.front(), next.xs.back(),
                                      next.ys.back(), resultTableTabText(next.grid)});
        }
        appendSafetyMap(fig, maps[static_cast<std::size_t>(i)], px, py, px + pw, py + ph, style);
    }
    return fig;
}

} // namespace keltora
