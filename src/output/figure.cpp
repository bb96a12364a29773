// The calculation figure: frame and title, scale, graduations, result block and soil
// table, section lines, slip surfaces, sheet pile and factor-of-safety labels.
#include "output/figure.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "geometry/primitives.h"
#include "model/c_format.h"
#include "model/text_encoding.h"
#include "output/figure_builder.h"

namespace keltora {

using figure_detail::ClipRect;
using figure_detail::FigureBuilder;
using figure_detail::kTolSize;

Point2 paperHalfSize(int paper)
{
    if (paper == 1) return {130.0, 90.0};
    if (paper == 2) return {160.0, 110.0};
    return {190.0, 130.0};
}

double figureTextWidth(const std::string& utf8, double t)
{
    return static_cast<double>(cp932Length(utf8)) * 0.5 * t;
}

namespace figure_detail {

std::optional<std::pair<Point2, Point2>> clipSegment(Point2 a, Point2 b, const ClipRect& r)
{
    // Parametric cut against the four edges; a segment lying wholly outside is dropped.
    double t0 = 0.0, t1 = 1.0;
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x - r.x1, r.x2 - a.x, a.y - r.y1, r.y2 - a.y};
    for (int i = 0; i < 4; ++i) {
        if (std::fabs(p[i]) < kTolDegenerate) {
            if (q[i] < 0.0) return std::nullopt;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0) {
            if (t > t1) return std::nullopt;
            t0 = std::max(t0, t);
        } else {
            if (t < t0) return std::nullopt;
            t1 = std::min(t1, t);
        }
    }
    Point2 c = t0 > 0.0 ? Point2{a.x + t0 * dx, a.y + t0 * dy} : a;
    Point2 d = t1 < 1.0 ? Point2{a.x + t1 * dx, a.y + t1 * dy} : b;
    return std::make_pair(c, d);
}

std::vector<std::pair<Point2, Point2>> clipArc(Point2 from, Point2 to, Point2 centre, int direction,
                                               const ClipRect& r)
{
    std::vector<std::pair<Point2, Point2>> out;
    const double radius = std::hypot(from.x - centre.x, from.y - centre.y);
    if (!std::isfinite(radius)) return out;
    if (!(radius > kTolDegenerate)) {
        if (r.contains(from)) out.push_back({from, to});
        return out;
    }
    constexpr double kTwoPi = 2.0 * std::numbers::pi;
    const double dir = direction < 0 ? -1.0 : 1.0;
    const double a1 = std::atan2(from.y - centre.y, from.x - centre.x);
    // The parameter of an angle: how far along the arc from `from`, in [0, 2 pi).
    auto along = [&](double a) {
        double u = std::fmod(dir * (a - a1), kTwoPi);
        if (u < 0.0) u += kTwoPi;
        return u;
    };
    const double sweep = along(std::atan2(to.y - centre.y, to.x - centre.x));
    auto at = [&](double u) {
        const double a = a1 + dir * u;
        return Point2{centre.x + radius * std::cos(a), centre.y + radius * std::sin(a)};
    };

    // The crossings of the circle with the four edges that fall strictly inside the arc.
    std::vector<std::pair<double, Point2>> cuts;
    auto onEdge = [&](Point2 p) {
        const double u = along(std::atan2(p.y - centre.y, p.x - centre.x));
        if (u > 0.0 && u < sweep) cuts.push_back({u, p});
    };
    for (double x : {r.x1, r.x2}) {
        const double d = radius * radius - (x - centre.x) * (x - centre.x);
        if (d < 0.0) continue;
        const double h = std::sqrt(d);
        for (double y : {centre.y - h, centre.y + h})
            if (y >= r.y1 && y <= r.y2) onEdge({x, y});
    }
    for (double y : {r.y1, r.y2}) {
        const double d = radius * radius - (y - centre.y) * (y - centre.y);
        if (d < 0.0) continue;
        const double w = std::sqrt(d);
        for (double x : {centre.x - w, centre.x + w})
            if (x >= r.x1 && x <= r.x2) onEdge({x, y});
    }
    std::sort(cuts.begin(), cuts.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    cuts.push_back({sweep, to});

    double u0 = 0.0;
    Point2 p0 = from;
    bool open = false; // the last piece kept ends at p0 and may be continued
    for (const auto& [u1, p1] : cuts) {
        if (u1 > u0 && r.contains(at((u0 + u1) / 2.0))) {
            if (open)
                out.back().second = p1;
            else
                out.push_back({p0, p1});
            open = true;
        } else if (u1 > u0) {
            open = false;
        }
        u0 = u1;
        p0 = p1;
    }
    return out;
}

FigureBuilder::FigureBuilder(const SlopeModel& model, Figure& figure, const FigureOptions& options)
    : model_(model), figure_(figure), options_(options)
{
    const Point2 half = paperHalfSize(model.draw.paper);
    w_ = half.x;
    h_ = half.y;
    double denominator = model.draw.scaleDenominator;
    // A scale of zero or below would divide by zero; such a figure is drawn at 1:100.
    if (!(denominator > kTolDegenerate) || !std::isfinite(denominator)) denominator = 100.0;
    s_ = 0.001 * denominator;
    xmin_ = model.draw.frameCentre.x - w_ * s_;
    ymin_ = model.draw.frameCentre.y - h_ * s_;
    outer_ = {-10.0, -10.0, 2.0 * w_ + 10.0, 2.0 * h_ + 10.0};
    inner_ = {10.0, 10.0, 2.0 * w_, 2.0 * h_ - 10.0};
    figure.halfWidth = w_;
    figure.halfHeight = h_;
}

void FigureBuilder::line(Point2 a, Point2 b, int layer, const ClipRect& clip)
{
    auto c = clipSegment(a, b, clip);
    if (!c) return;
    FigureItem it;
    it.kind = FigureItemKind::Line;
    it.layer = layer;
    it.p1 = c->first;
    it.p2 = c->second;
    figure_.items.push_back(std::move(it));
}

void FigureBuilder::arc(Point2 from, Point2 to, Point2 centre, int direction, int layer,
                        const ClipRect& clip)
{
    for (const auto& [a, b] : clipArc(from, to, centre, direction, clip)) {
        FigureItem it;
        it.kind = FigureItemKind::Arc;
        it.layer = layer;
        it.p1 = a;
        it.p2 = b;
        it.centre = centre;
        it.style = direction;
        figure_.items.push_back(std::move(it));
    }
}

void FigureBuilder::arrow(Point2 tail, Point2 tip, double size1, double size2, int style, int layer)
{
    FigureItem it;
    it.kind = FigureItemKind::Arrow;
    it.layer = layer;
    it.p1 = tail;
    it.p2 = tip;
    it.size = size1;
    it.size2 = size2;
    it.style = style;
    figure_.items.push_back(std::move(it));
}

void FigureBuilder::mark(Point2 at, double radius, int style, int layer)
{
    FigureItem it;
    it.kind = FigureItemKind::PointMark;
    it.layer = layer;
    it.p1 = at;
    it.size = radius;
    it.style = style;
    figure_.items.push_back(std::move(it));
}

double FigureBuilder::text(Point2 at, double t, const std::string& s, int layer)
{
    const double width = figureTextWidth(s, t);
    if (s.empty() || !(t >= kTolSize)) return width;
    FigureItem it;
    it.kind = FigureItemKind::Text;
    it.layer = layer;
    it.p1 = at;
    it.size = t;
    it.size2 = t;
    it.text = s;
    figure_.items.push_back(std::move(it));
    return width;
}

void FigureBuilder::raisedUnit(double x, double y, double t, const char* digit, int layer)
{
    text({x, y + t / 2.0}, t / 2.0, digit, layer);
}

} // namespace figure_detail

namespace {

bool isCircular(int method)
{
    return method == kMethodFellenius || method == kMethodTschebotarioff ||
           method == kMethodBishop || method == kMethodBishopModified;
}

bool isBishop(int method)
{
    return method == kMethodBishop || method == kMethodBishopModified;
}

int decimals(const SlopeModel& m, int slot)
{
    return std::clamp(m.draw.decimals[static_cast<size_t>(slot)], 0, 15);
}

double drawSize(const SlopeModel& m, int slot)
{
    return m.draw.sizes[static_cast<size_t>(slot)];
}

const char* titleText(int method)
{
    switch (method) {
    case kMethodFellenius: return "円形すべり（修正フェレニウス法）計算対照図";
    case kMethodTschebotarioff: return "円形すべり（チェボタリオフ法）計算対照図";
    case kMethodBishop: return "円形すべり（ビショップ法）計算対照図";
    case kMethodBishopModified: return "円形すべり（ビショップ法-修正式）計算対照図";
    default: return "直  線  す  べ  り  計  算  対  照  図";
    }
}

void composeFrame(FigureBuilder& b)
{
    const double W = b.width(), H = b.height();
    const ClipRect& o = b.outer();
    b.line({0, 0}, {W, 0}, kLayerFrame, o);
    b.line({W, 0}, {W, H}, kLayerFrame, o);
    b.line({W, H}, {0, H}, kLayerFrame, o);
    b.line({0, H}, {0, 0}, kLayerFrame, o);
    b.line({0, H - 10.0}, {W, H - 10.0}, kLayerFrame, o);
    b.line({10.0, 10.0}, {W, 10.0}, kLayerFrame, o);
    b.line({10.0, 10.0}, {10.0, H - 10.0}, kLayerFrame, o);

    const std::string title = titleText(b.model().conditions.method);
    b.text({b.w() - 2.0 * static_cast<double>(cp932Length(title)), H - 9.0}, 8.0, title,
           kLayerFrame);

    const double t = drawSize(b.model(), kSizeScale);
    const std::string scale = cformat("Scale 1:%1.0f  ", b.model().draw.scaleDenominator);
    b.text({W - static_cast<double>(cp932Length(scale) + 2) * t / 2.0, H - 9.0}, t, scale,
           kLayerResults);
}

// Tick spacing d and label spacing D (m) by the scale denominator, from the first column
// whose bound S lies below: 1:100 gives 1 m ticks and 5 m labels, 1:200 2 m and 10 m,
// 1:500 5 m and 25 m.
void graduationSpacing(double S, double& d, double& D)
{
    static const double below[] = {10.1, 30.1, 50.1, 100.1, 300.1, 500.1, 1000.1, 3000.1, 5000.1};
    static const double ticks[] = {0.1, 0.2, 0.5, 1, 2, 5, 10, 20, 50, 100};
    static const double labels[] = {0.5, 1, 2.5, 5, 10, 25, 50, 100, 250, 500};
    size_t i = 0;
    while (i < 9 && !(S < below[i]))
        ++i;
    d = ticks[i];
    D = labels[i];
}

// Every multiple k*step in [lo, hi] (with 1e-5 slack), at most a few thousand.
template <typename Fn> void forMultiples(double lo, double hi, double step, Fn&& fn)
{
    const double first = std::ceil(lo / step - kTolCoincident);
    const double last = std::floor(hi / step + kTolCoincident);
    if (!(last - first < 5000.0)) return;
    // "+ 0.0" turns the -0 of ceil(-0.1) into 0, so no label reads "-0".
    for (double k = first; k <= last; k += 1.0)
        fn(k * step + 0.0);
}

void composeGraduations(FigureBuilder& b)
{
    const double S = b.model().draw.scaleDenominator;
    double d = 0, D = 0;
    graduationSpacing(S, d, D);
    const double s = b.metresPerMm();
    const double left = b.windowXmin() + 10.0 * s, right = b.windowXmin() + b.width() * s;
    const double bottom = b.windowYmin() + 10.0 * s, top = b.windowYmin() + (b.height() - 10.0) * s;
    const char* fmt = S < 10.1 ? "%3.1f" : "%1.0f";
    const ClipRect& o = b.outer();
    forMultiples(left, right, d, [&](double x) {
        const double xp = b.toPaper(x, 0).x;
        b.line({xp, 10.0}, {xp, 9.0}, kLayerResults, o);
    });
    forMultiples(left, right, D, [&](double x) {
        const double xp = b.toPaper(x, 0).x;
        const std::string label = cformat(fmt, x);
        b.text({xp - 0.75 * static_cast<double>(cp932Length(label)), 5.0}, 3.0, label,
               kLayerResults);
    });
    forMultiples(bottom, top, d, [&](double y) {
        const double yp = b.toPaper(0, y).y;
        b.line({10.0, yp}, {9.0, yp}, kLayerResults, o);
    });
    forMultiples(bottom, top, D, [&](double y) {
        const double yp = b.toPaper(0, y).y;
        const std::string label = cformat(fmt, y);
        b.text({8.0 - 1.5 * static_cast<double>(cp932Length(label)), yp - 1.5}, 3.0, label,
               kLayerResults);
    });
}

// The result block; returns the y (mm) of its lowest rule, or the title band line when the
// block is not drawn.
double composeResultBlock(FigureBuilder& b, const FigureResults& r)
{
    const double W = b.width(), band = b.height() - 10.0;
    const double t = drawSize(b.model(), kSizeMinFs);
    if (!r.valid || !(t >= kTolSize)) return band;
    const SlopeModel& m = b.model();
    const SlipResult& c = r.critical;
    const int dFs = decimals(m, kDecSafetyFactor), dM = decimals(m, kDecMoment);
    const bool circle = isCircular(r.method);

    struct Row {
        std::string text;
        bool symbolRule; // the label has a symbol column (rule at 8t from the right)
    };
    std::vector<Row> rows;
    rows.push_back({cformat("最小安全率 Fmin%12.*f", dFs, c.f), false});
    if (circle) {
        rows.push_back({cformat("円形中心     X %12.3f", c.cx), true});
        rows.push_back({cformat("             Y %12.3f", c.cy), true});
        rows.push_back({cformat("半    径     R %12.3f", c.rr), true});
    } else {
        rows.push_back({cformat("すべり開始点 X %12.3f", c.cx), true});
        rows.push_back({cformat("             Y %12.3f", c.cy), true});
        if (r.method == kMethodLineBySegments) {
            rows.push_back({cformat("すべり終了点 X %12.3f", c.dx), true});
            rows.push_back({cformat("             Y %12.3f", c.dy), true});
        } else {
            rows.push_back({cformat("すべり角度   α%12.3f", c.rr), true});
        }
    }
    if (circle) {
        rows.push_back({cformat("起動モーメント %12.*f", dM, c.md), false});
        rows.push_back({cformat("抵抗モーメント %12.*f", dM, c.mr), false});
    } else {
        rows.push_back({cformat("起  動  力     %12.*f", dM, c.md), false});
        rows.push_back({cformat("抵  抗  力     %12.*f", dM, c.mr), false});
    }
    if (isBishop(r.method)) {
        // Forces along the circle: the moments over the radius.
        const double rr = std::fabs(c.rr) > kTolDegenerate ? c.rr : 1.0;
        rows.push_back({cformat("起  動  力     %12.*f", dM, c.md / rr), false});
        rows.push_back({cformat("抵  抗  力     %12.*f", dM, c.mr / rr), false});
    } else if (r.method == kMethodFellenius || r.method == kMethodTschebotarioff) {
        if (m.sheetPile.method == 2)
            rows.push_back({cformat("矢板受動土圧M  %12.*f", dM, c.mry), false});
        else if (m.sheetPile.method == 3)
            rows.push_back({cformat("矢板せん断M 　 %12.*f", dM, c.mry), false});
    }

    const ClipRect& o = b.outer();
    const double left = W - 14.0 * t, valueRule = W - 6.5 * t, symbolRule = W - 8.0 * t;
    const double rowH = 1.2 * t;
    for (size_t k = 0; k < rows.size(); ++k) {
        const double y = band - rowH * static_cast<double>(k + 1);
        b.text({left, y + 0.1 * t}, t, rows[k].text, kLayerResults);
        b.line({left, y}, {W, y}, kLayerResults, o);
        if (rows[k].symbolRule) b.line({symbolRule, y + rowH}, {symbolRule, y}, kLayerResults, o);
    }
    const double bottom = band - rowH * static_cast<double>(rows.size());
    b.line({left, band}, {left, bottom}, kLayerResults, o);
    b.line({valueRule, band}, {valueRule, bottom}, kLayerResults, o);
    return bottom;
}

std::string tableValue(const char* fmt, int dec, double v, const char* none)
{
    return std::fabs(v) < kTolCoincident ? std::string(none) : cformat(fmt, dec, v);
}

void composeSoilTable(FigureBuilder& b, double resultBottom)
{
    const SlopeModel& m = b.model();
    const double t = drawSize(m, kSizeSoil);
    if (!(drawSize(m, kSizeSoilLayout) < 0.0) || !(t >= kTolSize)) return;
    const double tr = drawSize(m, kSizeMinFs);
    const double top = resultBottom - 2.4 * (tr >= kTolSize ? tr : t);
    const double right = b.width(), left = right - 24.0 * t, rowH = 1.2 * t;
    const int dW = decimals(m, kDecUnitWeight), dC = decimals(m, kDecCohesion),
              dPhi = decimals(m, kDecFriction);

    std::vector<std::string> rows;
    rows.push_back("  No     W1      W2      C0      K       φ");
    bool anyPiles = false;
    for (int i = 0; i < std::min(m.blockCount, kMaxBlocks); ++i) {
        const SoilBlock& blk = m.blocks[static_cast<size_t>(i)];
        if (blk.number < 0) continue;
        std::string row = blk.hasSandPiles == 1
                              ? cformat(" *%3d %7.*f ", blk.number, dW, blk.unitWeight)
                              : cformat("%5d %7.*f ", blk.number, dW, blk.unitWeight);
        anyPiles = anyPiles || blk.hasSandPiles == 1;
        row += tableValue("%7.*f ", dW, blk.effectiveUnitWeight, "   ---- ");
        row += tableValue("%9.*f ", dC, blk.baseCohesion, "     ---- ");
        row += tableValue("%7.*f ", dC, blk.cohesionGradient, "   ---- ");
        row += tableValue("%7.*f ", dPhi, blk.frictionAngle, "   ---- ");
        rows.push_back(row);
    }
    const ClipRect& o = b.outer();
    b.line({left, top}, {right, top}, kLayerResults, o);
    for (size_t k = 0; k < rows.size(); ++k) {
        const double y = top - rowH * static_cast<double>(k + 1);
        b.text({left, y + 0.1 * t}, t, rows[k], kLayerResults);
        b.line({left, y}, {right, y}, kLayerResults, o);
    }
    const double bottom = top - rowH * static_cast<double>(rows.size());
    for (double c : {24.0, 21.0, 17.0, 13.0, 8.0, 4.0, 0.0})
        b.line({right - c * t, top}, {right - c * t, bottom}, kLayerResults, o);
    if (anyPiles) b.text({left, bottom - rowH + 0.1 * t}, t, " * : 砂杭を含む土層", kLayerResults);
}

void composeProjectTitle(FigureBuilder& b)
{
    const SlopeModel& m = b.model();
    const double t = drawSize(m, kSizeTitle);
    if (m.draw.drawTitle < 0 || !(t >= kTolSize)) return;
    const Point2 p = b.toPaper(m.draw.titlePos);
    b.text({p.x - static_cast<double>(cp932Length(m.title)) * t / 4.0, p.y - t / 2.0}, t, m.title,
           kLayerTitle);
}

void composePointNumbers(FigureBuilder& b)
{
    const SlopeModel& m = b.model();
    const double t = drawSize(m, kSizePointNumber);
    if (!(t >= kTolSize)) return;
    const ClipRect& in = b.inner();
    for (int i = 0; i < std::min(m.pointCount, kMaxPoints); ++i) {
        const TerrainPoint& pt = m.points[static_cast<size_t>(i)];
        if (pt.number < 0) continue;
        const Point2 p = b.toPaper(pt.x, pt.y);
        if (!in.contains(p)) continue;
        const std::string s = cformat("%d", i);
        const double len = static_cast<double>(s.size());
        const Point2 at{p.x - len * t / 4.0, p.y + 0.2 * t};
        if (at.x < in.x1 || at.x + len * t / 2.0 > in.x2 || at.y < in.y1 || at.y + t > in.y2)
            continue;
        b.text(at, t, s, kLayerPointNumbers);
    }
}

void composeBoundaryLines(FigureBuilder& b)
{
    const SlopeModel& m = b.model();
    for (int i = 0; i < std::min(m.lineCount, kMaxLines); ++i) {
        const TerrainLine& ln = m.lines[static_cast<size_t>(i)];
        if (ln.kind != kBoundaryLine || ln.drawFlag != 1) continue;
        auto a = terrainPoint(m, ln.startPoint), c = terrainPoint(m, ln.endPoint);
        if (!a || !c) continue;
        b.line(b.toPaper(*a), b.toPaper(*c), kLayerBoundary, b.inner());
    }
}

// The highest ground at x over the boundary edges of the non-water blocks whose x range
// holds x, starting from y.
double raiseToGround(const FigureBuilder& b, const PolygonTable* poly, double x, double y)
{
    if (!poly) return y;
    const SlopeModel& m = b.model();
    for (int i = 0; i < std::min(m.blockCount, kMaxBlocks); ++i) {
        const SoilBlock& blk = m.blocks[static_cast<size_t>(i)];
        if (blk.number < 0 || blk.kind == kWaterPressureBlock || blk.kind == kWaterWeightBlock)
            continue;
        const BlockPolygon& pg = poly->blocks[static_cast<size_t>(i)];
        for (int k = 0; k < pg.edges && k + 1 < static_cast<int>(pg.points.size()); ++k) {
            auto p = terrainPoint(m, pg.points[static_cast<size_t>(k)]);
            auto q = terrainPoint(m, pg.points[static_cast<size_t>(k + 1)]);
            if (!p || !q) continue;
            if (x < std::min(p->x, q->x) || x > std::max(p->x, q->x)) continue;
            double yy;
            if (std::fabs(q->x - p->x) <= kTolBreakpoint)
                yy = std::max(p->y, q->y);
            else
                yy = p->y + (q->y - p->y) * (x - p->x) / (q->x - p->x);
            y = std::max(y, yy);
        }
    }
    return y;
}

void composeOutline(FigureBuilder& b, const PolygonTable* poly, double cx, double cy, double csx,
                    double csy, double cex, double cey, int layer)
{
    const Point2 p1{cx, cy}, p3{csx, csy}, p4{cex, cey};
    const Point2 p2{csx, raiseToGround(b, poly, csx, csy)};
    const Point2 p5{cex, raiseToGround(b, poly, cex, cey)};
    const ClipRect& in = b.inner();
    b.line(b.toPaper(p1), b.toPaper(p2), layer, in);
    b.line(b.toPaper(p2), b.toPaper(p3), layer, in);
    b.arc(b.toPaper(p3), b.toPaper(p4), b.toPaper(p1), -1, layer, in);
    b.line(b.toPaper(p4), b.toPaper(p5), layer, in);
    b.line(b.toPaper(p5), b.toPaper(p1), layer, in);
}

void composeSlipSurfaces(FigureBuilder& b, const FigureResults& r, const PolygonTable* poly)
{
    if (!r.valid) return;
    const SlipResult& c = r.critical;
    if (isCircular(r.method)) {
        int added = 0;
        for (const FigureLabel& l : r.labels) {
            if (l.showCircle <= 0) continue;
            if (std::fabs(l.cx - c.cx) < kTolLoop && std::fabs(l.cy - c.cy) < kTolLoop) continue;
            if (added++ >= 251) break;
            composeOutline(b, poly, l.cx, l.cy, l.csx, l.csy, l.cex, l.cey, kLayerExtraCircles);
        }
        composeOutline(b, poly, c.cx, c.cy, c.csx, c.csy, c.cex, c.cey, kLayerCritical);
        return;
    }
    Point2 end{c.dx, c.dy};
    if (r.method != kMethodLineBySegments) {
        // The slip line runs from its start point to the far end of the mass on it.
        const double ds = std::hypot(c.sx - c.cx, c.sy - c.cy);
        const double de = std::hypot(c.ex - c.cx, c.ey - c.cy);
        end = ds >= de ? Point2{c.sx, c.sy} : Point2{c.ex, c.ey};
    }
    b.line(b.toPaper(c.cx, c.cy), b.toPaper(end), kLayerCritical, b.inner());
}

void composeSheetPile(FigureBuilder& b, const FigureResults& r)
{
    const SlopeModel& m = b.model();
    const SheetPileSettings& sp = m.sheetPile;
    if (!(sp.topY >= sp.toeY + kTolBreakpoint)) return;
    if (m.display.showSheetPile != 0)
        b.line(b.toPaper(sp.x, sp.topY), b.toPaper(sp.x, sp.toeY), kLayerSheetPile, b.inner());

    const double L = drawSize(m, kSizePressureArrow);
    if (m.display.showPassivePressure == 0 || !(L >= kTolLoop)) return;
    const double side = r.directionSign == 1 ? -1.0 : 1.0;
    const int rowsCount = std::clamp(sp.passiveCount, 0, kMaxPassiveRows);
    Point2 previous{};
    for (int i = 0; i < rowsCount; ++i) {
        const Point2 pile = b.toPaper(sp.x, sp.passiveY[static_cast<size_t>(i)]);
        const Point2 diagram{pile.x + side * sp.passiveIntensity[static_cast<size_t>(i)] * L,
                             pile.y};
        b.line(pile, diagram, kLayerPassive, b.inner());
        if (i > 0) b.line(previous, diagram, kLayerPassive, b.inner());
        previous = diagram;
    }
    const double t = drawSize(m, kSizeSoil);
    for (int i = 0; i < rowsCount; ++i) {
        if (sp.passiveLabelMode[static_cast<size_t>(i)] < 0) continue;
        const std::string s = cformat("%1.*f", decimals(m, kDecPressure),
                                      sp.passiveIntensity[static_cast<size_t>(i)]);
        const Point2 p = b.toPaper(sp.passiveLabelX[static_cast<size_t>(i)],
                                   sp.passiveLabelY[static_cast<size_t>(i)]);
        b.text({p.x - static_cast<double>(cp932Length(s)) * t / 4.0, p.y - t / 2.0}, t, s,
               kLayerPassive);
    }
}

void composeSafetyLabels(FigureBuilder& b, const FigureResults& r)
{
    const SlopeModel& m = b.model();
    const double t = drawSize(m, kSizeFsList);
    if (!r.valid || !isCircular(r.method) || !(t >= kTolSize)) return;
    const int dFs = decimals(m, kDecSafetyFactor);
    for (const FigureLabel& l : r.labels) {
        const Point2 c = b.toPaper(l.cx, l.cy);
        // Centres outside the section area are left out with their labels.
        if (!b.inner().contains(c)) continue;
        b.mark(c, 0.5, 11, kLayerSafetyLabels);
        if (l.drawFlag < 0) continue;
        const Point2 p = b.toPaper(l.x, l.y);
        b.text({p.x - 1.5 * t, p.y + 0.2 * t}, t, cformat("%6.*f", dFs, l.f), kLayerSafetyLabels);
    }
}

} // namespace

Figure composeFigure(const SlopeModel& model, const FigureResults& results,
                     const PolygonTable* polygons, const FigureOptions& options)
{
    Figure figure;
    FigureBuilder b(model, figure, options);
    const DisplaySettings& d = model.display;
    const bool screen = options.screen;
    if (!screen || d.showFrame != 0) {
        composeFrame(b);
        composeGraduations(b);
        const double resultBottom = composeResultBlock(b, results);
        composeSoilTable(b, resultBottom);
        composeProjectTitle(b);
    }
    if (!screen) {
        composePointNumbers(b);
        composeBoundaryLines(b);
    }
    if (!screen || d.showSlipSurfaces != 0) composeSlipSurfaces(b, results, polygons);
    composeSheetPile(b, results);
    if (!screen || d.showCircleCentres != 0) composeSafetyLabels(b, results);
    figure_detail::composeSoilLabels(b);
    if (!screen || d.showSurcharge != 0) figure_detail::composeSurcharges(b, results, polygons);
    if (!screen || d.showForces != 0) figure_detail::composeForces(b, results);
    return figure;
}

} // namespace keltora
