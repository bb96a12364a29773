// The full redraw of the main view.
#include "ui/screen_renderer.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>

#include "analysis/results.h"
#include "edit/screen_display.h"
#include "geometry/block_polygons.h"
#include "model/c_format.h"
#include "output/figure_results.h"
#include "render/plot_painter.h"

namespace keltora::ui {

namespace {

namespace col = screen_colour;

constexpr int kLabelPixels = 12;    // height of point numbers, block numbers, grid labels
constexpr double kClipMargin = 8.0; // lines are cut to the image widened by this
constexpr long long kMaxCentreGridLines = 20000;

bool isCircularMethod(int method)
{
    return method != kMethodLineByAngle && method != kMethodLineBySegments;
}

// Liang-Barsky: the part of a-b inside r; false when none.
bool clipLine(QPointF& a, QPointF& b, const QRectF& r)
{
    double t0 = 0.0, t1 = 1.0;
    const double dx = b.x() - a.x(), dy = b.y() - a.y();
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x() - r.left(), r.right() - a.x(), a.y() - r.top(), r.bottom() - a.y()};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0) return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0) {
            if (t > t1) return false;
            t0 = std::max(t0, t);
        } else {
            if (t < t0) return false;
            t1 = std::min(t1, t);
        }
    }
    if (!std::isfinite(t0) || !std::isfinite(t1)) return false;
    const QPointF a0 = a;
    a = QPointF(a0.x() + t0 * dx, a0.y() + t0 * dy);
    b = QPointF(a0.x() + t1 * dx, a0.y() + t1 * dy);
    return true;
}

class Canvas {
  public:
    Canvas(QImage& image, const ViewTransform& view)
        : painter_(&image), view_(view),
          clip_(-kClipMargin, -kClipMargin, image.width() + 2 * kClipMargin,
                image.height() + 2 * kClipMargin)
    {
        painter_.setRenderHint(QPainter::Antialiasing, false);
        painter_.setRenderHint(QPainter::TextAntialiasing, true);
        painter_.setBrush(Qt::NoBrush);
        labelFont_ = QFont(plotFontFamily());
        labelFont_.setPixelSize(kLabelPixels);
        painter_.setFont(labelFont_);
        ascent_ = QFontMetrics(labelFont_).ascent();
    }

    QPainter& painter() { return painter_; }
    const ViewTransform& view() const { return view_; }
    QPointF toScreen(double x, double y) const { return {view_.screenX(x), view_.screenY(y)}; }

    void pen(const QColor& c, int width = 1, Qt::PenStyle style = Qt::SolidLine)
    {
        QPen p(c, width, style);
        p.setCapStyle(Qt::FlatCap);
        painter_.setPen(p);
    }
    // A line between two pixel points, cut to the image first (far-away points stay exact).
    void line(QPointF a, QPointF b)
    {
        if (!clipLine(a, b, clip_)) return;
        painter_.drawLine(a, b);
    }
    void worldLine(Point2 a, Point2 b) { line(toScreen(a.x, a.y), toScreen(b.x, b.y)); }
    // A horizontal line across the whole image at section height y.
    void acrossAt(double y)
    {
        const double py = view_.screenY(y);
        line(QPointF(clip_.left(), py), QPointF(clip_.right(), py));
    }
    // A circle mark of `radius` pixels.
    void mark(QPointF at, int radius)
    {
        if (!clip_.contains(at)) return;
        painter_.drawEllipse(at, radius, radius);
    }
    // Text with its top left corner at the point.
    void text(QPointF at, const QString& s, const QColor& c)
    {
        if (at.x() > clip_.right() || at.y() > clip_.bottom() || at.y() < clip_.top() - 20 ||
            at.x() < clip_.left() - 200)
            return;
        painter_.setPen(c);
        painter_.drawText(QPointF(at.x(), at.y() + ascent_), s);
    }
    int textWidth(const QString& s) const { return QFontMetrics(labelFont_).horizontalAdvance(s); }
    const QRectF& clip() const { return clip_; }

  private:
    QPainter painter_;
    const ViewTransform& view_;
    QRectF clip_;
    QFont labelFont_;
    int ascent_ = 0;
};

std::optional<Point2> pointOf(const SlopeModel& m, int number)
{
    if (number < 0 || number >= kMaxPoints || number >= m.pointCount) return std::nullopt;
    const TerrainPoint& p = m.points[static_cast<size_t>(number)];
    if (p.number < 0) return std::nullopt;
    return Point2{p.x, p.y};
}

void drawGrid(Canvas& c, const SlopeModel& m)
{
    if (m.display.showGrid == 0) return;
    const ViewTransform& v = c.view();
    const GridPlan g = gridPlan(v, m.display.gridMajor, m.display.gridMinor);
    if (!g.draw) return;
    const double w = v.imageWidth(), h = v.imageHeight();
    double labelEnd = -1e300; // right end of the last x label: labels never overlap
    for (long long k = g.firstX; k <= g.lastX; ++k) {
        const bool major = g.isMajor(k);
        const double x = static_cast<double>(k) * g.spacing;
        const double px = v.screenX(x);
        c.pen(col::grey, major ? g.majorWidth : 1);
        c.line(QPointF(px, 0), QPointF(px, h));
        // Labels stay clear of the corners, where the labels of the other direction sit.
        if (major && px > 50 && px < w - 60 && px + 2 > labelEnd + 6) {
            const QString s = QString::fromStdString(gridLabel(x));
            labelEnd = px + 2 + c.textWidth(s);
            c.text(QPointF(px + 2, 1), s, col::grey);
            c.text(QPointF(px + 2, h - kLabelPixels - 2), s, col::grey);
        }
    }
    double labelTop = 1e300; // top of the last y label (lines run upwards)
    for (long long k = g.firstY; k <= g.lastY; ++k) {
        const bool major = g.isMajor(k);
        const double y = static_cast<double>(k) * g.spacing;
        const double py = v.screenY(y);
        c.pen(col::grey, major ? g.majorWidth : 1);
        c.line(QPointF(0, py), QPointF(w, py));
        if (major && py > 2 * kLabelPixels + 4 && py < h - kLabelPixels - 4 &&
            py - 1 < labelTop - 2) {
            labelTop = py - kLabelPixels - 1;
            const QString s = QString::fromStdString(gridLabel(y));
            c.text(QPointF(2, py - kLabelPixels - 1), s, col::grey);
            c.text(QPointF(w - c.textWidth(s) - 2, py - kLabelPixels - 1), s, col::grey);
        }
    }
}

// The multiples min, min + step, ... <= max (with the loop tolerance); none for a step
// below 1e-7; at most kMaxCentreGridLines.
long long stepsOf(const Range3& r)
{
    if (!(r.step >= kTolChanged) || !std::isfinite(r.min) || !std::isfinite(r.max)) return 0;
    const double n = std::floor((r.max - r.min) / r.step + kTolLoop) + 1.0;
    if (!(n >= 1.0)) return 0;
    return static_cast<long long>(std::min(n, static_cast<double>(kMaxCentreGridLines)));
}

void drawCentreGrid(Canvas& c, const SlopeModel& m)
{
    if (m.display.showCircleCentres == 0) return;
    const int method = m.conditions.method;
    c.pen(col::blue);
    if (isCircularMethod(method)) {
        const CircleSearchSettings& cs = m.activeCircle();
        const long long nx = stepsOf(cs.centreX), ny = stepsOf(cs.centreY);
        if (nx == 0 || ny == 0) return;
        for (long long i = 0; i < nx; ++i) {
            const double x = cs.centreX.min + static_cast<double>(i) * cs.centreX.step;
            c.worldLine({x, cs.centreY.min}, {x, cs.centreY.max});
        }
        for (long long j = 0; j < ny; ++j) {
            const double y = cs.centreY.min + static_cast<double>(j) * cs.centreY.step;
            c.worldLine({cs.centreX.min, y}, {cs.centreX.max, y});
        }
    } else if (method == kMethodLineByAngle) {
        const QPointF p = c.toScreen(m.lineSlip.startX[0], m.lineSlip.startY[0]);
        c.mark(p, 3);
        c.mark(p, 5);
    } else {
        const auto& ls = m.lineSlip;
        c.pen(col::blue, 3);
        c.worldLine({ls.startX[0], ls.startY[0]}, {ls.startX[1], ls.startY[1]});
        c.pen(col::blue, 5);
        c.worldLine({ls.startX[2], ls.startY[2]}, {ls.startX[3], ls.startY[3]});
    }
}

void drawPlotWindow(Canvas& c, const SlopeModel& m)
{
    const PaperMap pm = paperMapOf(m);
    const Point2 half = paperHalfSize(m.draw.paper);
    const double x1 = pm.xmin, y1 = pm.ymin;
    const double x2 = pm.xmin + 2.0 * half.x * pm.metresPerMm;
    const double y2 = pm.ymin + 2.0 * half.y * pm.metresPerMm;
    c.pen(col::green, 1, Qt::DotLine);
    c.worldLine({x1, y1}, {x2, y1});
    c.worldLine({x2, y1}, {x2, y2});
    c.worldLine({x2, y2}, {x1, y2});
    c.worldLine({x1, y2}, {x1, y1});
}

void drawFigure(Canvas& c, const SlopeModel& m, const Figure& figure)
{
    if (figure.items.empty()) return;
    const PaperMap pm = paperMapOf(m);
    const ViewTransform& v = c.view();
    FigureDeviceMap map;
    map.pixelsPerMm = pm.metresPerMm * v.scale();
    map.toDevice = [&](Point2 p) {
        return QPointF(v.screenX(p.x * pm.metresPerMm + pm.xmin),
                       v.screenY(p.y * pm.metresPerMm + pm.ymin));
    };
    QPainter& p = c.painter();
    p.save();
    p.setClipRect(c.clip());
    paintFigureItems(p, figure.items, map, [](const FigureItem& it) {
        QPen pen(it.layer == kLayerSheetPile || it.layer == kLayerPassive ? col::red : col::green,
                 it.layer == kLayerSheetPile ? 5 : 1);
        pen.setCapStyle(Qt::FlatCap);
        return pen;
    });
    p.restore();
}

void drawLines(Canvas& c, const SlopeModel& m)
{
    const DisplaySettings& d = m.display;
    const int count = std::clamp(m.lineCount, 0, kMaxLines);
    // Boundary lines first (solid), then the other kinds (dotted) over them.
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < count; ++i) {
            const TerrainLine& l = m.lines[static_cast<size_t>(i)];
            if ((pass == 0) != (l.kind == kBoundaryLine)) continue;
            QColor colour;
            bool shown = false;
            switch (l.kind) {
            case kBoundaryLine:
                shown = d.showBoundaryLines != 0;
                colour = l.drawFlag == -1 ? col::blue : col::white;
                break;
            case kUncutLine:
                shown = d.showUncutLines != 0;
                colour = col::red;
                break;
            case kArcLimitLineSmall:
            case kArcLimitLineLarge:
                shown = d.showArcLimitLines != 0;
                colour = l.kind == kArcLimitLineSmall ? col::green : col::aqua;
                break;
            case kArcLimitPointSmall:
            case kArcLimitPointLarge:
                shown = d.showArcLimitPoints != 0;
                colour = l.kind == kArcLimitPointSmall ? col::green : col::aqua;
                break;
            default: continue;
            }
            if (!shown) continue;
            const auto a = pointOf(m, l.startPoint);
            const auto b = pointOf(m, l.endPoint);
            if (!a || !b) continue;
            c.pen(colour, 1, l.kind == kBoundaryLine ? Qt::SolidLine : Qt::DotLine);
            if (l.kind == kArcLimitPointSmall || l.kind == kArcLimitPointLarge) {
                c.mark(c.toScreen(a->x, a->y), 3);
            } else if (l.startPoint == l.endPoint) {
                c.acrossAt(a->y);
            } else {
                c.worldLine(*a, *b);
            }
        }
    }
}

void drawCohesionLine(Canvas& c, const SlopeModel& m)
{
    if (m.display.showCohesionLine == 0) return;
    c.pen(col::yellow, 1, Qt::DashDotDotLine);
    if (m.conditions.referenceMode == 0) {
        if (std::isfinite(m.conditions.referenceHeight)) c.acrossAt(m.conditions.referenceHeight);
        return;
    }
    const CohesionReferenceLine& r = m.referenceLine;
    const int n = std::clamp(r.count, 0, kMaxReferenceVertices);
    for (int i = 1; i < n; ++i)
        c.worldLine({r.x[static_cast<size_t>(i - 1)], r.y[static_cast<size_t>(i - 1)]},
                    {r.x[static_cast<size_t>(i)], r.y[static_cast<size_t>(i)]});
}

void drawPoints(Canvas& c, const SlopeModel& m)
{
    const int count = std::clamp(m.pointCount, 0, kMaxPoints);
    const bool names = m.display.showPointNames != 0;
    c.pen(col::fuchsia);
    for (int i = 0; i < count; ++i) {
        const TerrainPoint& p = m.points[static_cast<size_t>(i)];
        if (p.number < 0) continue;
        const QPointF at = c.toScreen(p.x, p.y);
        if (!c.clip().contains(at)) continue;
        c.pen(col::fuchsia);
        c.mark(at, 1);
        if (names) c.text(QPointF(at.x() + 3, at.y() + 1), QString::number(p.number), col::fuchsia);
    }
}

void drawBlockCentres(Canvas& c, const SlopeModel& m)
{
    if (m.display.showBlockCentres == 0) return;
    const int count = std::clamp(m.blockCount, 0, kMaxBlocks);
    for (int i = 0; i < count; ++i) {
        const SoilBlock& b = m.blocks[static_cast<size_t>(i)];
        if (b.number < 0) continue;
        const QPointF at = c.toScreen(b.seed.x, b.seed.y);
        if (!c.clip().contains(at)) continue;
        c.pen(col::aqua);
        c.line(at - QPointF(2, 0), at + QPointF(3, 0));
        c.line(at - QPointF(0, 2), at + QPointF(0, 3));
        // The number sits above left of the cross: the soil label starts at the block's
        // inner point and runs right and down from it.
        const QString n = QString::number(b.number);
        c.text(QPointF(at.x() - c.textWidth(n) - 3, at.y() - kLabelPixels - 2), n, col::aqua);
    }
}

} // namespace

PaperMap paperMapOf(const SlopeModel& m)
{
    double denominator = m.draw.scaleDenominator;
    if (!(denominator > kTolDegenerate) || !std::isfinite(denominator)) denominator = 100.0;
    const Point2 half = paperHalfSize(m.draw.paper);
    PaperMap pm;
    pm.metresPerMm = 0.001 * denominator;
    pm.xmin = m.draw.frameCentre.x - half.x * pm.metresPerMm;
    pm.ymin = m.draw.frameCentre.y - half.y * pm.metresPerMm;
    return pm;
}

Figure composeScreenFigure(const SlopeModel& model, const CalculationResults* results)
{
    FigureResults fr;
    if (results) fr = figureResultsFrom(model, *results);
    const PolygonTable polygons = buildPolygonTable(model);
    FigureOptions options;
    options.screen = true;
    return composeFigure(model, fr, &polygons, options);
}

void renderScene(QImage& image, const ScreenScene& scene, const ViewTransform& view)
{
    image.fill(col::black);
    if (!scene.model) return;
    const SlopeModel& m = *scene.model;
    Canvas c(image, view);
    drawGrid(c, m);
    drawCentreGrid(c, m);
    drawPlotWindow(c, m);
    if (scene.figure) drawFigure(c, m, *scene.figure);
    drawLines(c, m);
    drawCohesionLine(c, m);
    drawPoints(c, m);
    drawBlockCentres(c, m);
}

} // namespace keltora::ui
