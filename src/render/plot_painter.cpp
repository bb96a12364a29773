// QPainter drawing of lines, arcs with their direction, arrows with heads, point marks and
// texts in IPAGothic at their height.
#include "render/plot_painter.h"
#include "render/qt_environment.h"

#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QPolygonF>
#include <QPrinter>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>

namespace keltora {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kFontReferencePixels = 100.0;

// Sheet millimetres (y up) to device coordinates (y down): the figure's own mapping, or
// the caller's (the main view goes through its view transform).
struct SheetMap {
    double k = 1.0, x0 = 0.0, y0 = 0.0; // device = (x0 + k x, y0 - k y)
    const FigureDeviceMap* custom = nullptr;
    QPointF operator()(Point2 p) const
    {
        return custom ? custom->toDevice(p) : QPointF{x0 + k * p.x, y0 - k * p.y};
    }
};

QFont referenceFont()
{
    QFont font(plotFontFamily());
    font.setPixelSize(static_cast<int>(kFontReferencePixels));
    font.setStyleHint(QFont::TypeWriter);
    font.setKerning(false);
    return font;
}

void drawText(QPainter& p, const SheetMap& map, const FigureItem& it, const QFont& font,
              double descent)
{
    if (!(it.size > 0.0) || it.text.empty()) return;
    const double scale = it.size * map.k / kFontReferencePixels;
    // A full-width character is `size2` wide; the font's own is one em.
    const double stretch = it.size2 > 0.0 ? it.size2 / it.size : 1.0;
    const QPointF bottomLeft = map(it.p1);
    p.save();
    p.translate(bottomLeft);
    p.scale(scale * stretch, scale);
    p.setFont(font);
    p.drawText(QPointF(0.0, -descent), QString::fromStdString(it.text));
    p.restore();
}

void drawArc(QPainter& p, const SheetMap& map, const FigureItem& it)
{
    const double r = std::hypot(it.p1.x - it.centre.x, it.p1.y - it.centre.y);
    if (!(r > 1e-9)) return;
    const double a1 = std::atan2(it.p1.y - it.centre.y, it.p1.x - it.centre.x) * 180.0 / kPi;
    const double a2 = std::atan2(it.p2.y - it.centre.y, it.p2.x - it.centre.x) * 180.0 / kPi;
    double sweep = std::fmod(a2 - a1 + 720.0, 360.0); // counter-clockwise
    if (it.style < 0) sweep = sweep > 0.0 ? sweep - 360.0 : 0.0;
    if (sweep == 0.0) return;
    const QPointF c = map(it.centre);
    const double rd = r * map.k;
    const QRectF box(c.x() - rd, c.y() - rd, 2.0 * rd, 2.0 * rd);
    QPainterPath path;
    path.arcMoveTo(box, a1);
    path.arcTo(box, a1, sweep);
    p.drawPath(path);
}

void drawArrow(QPainter& p, const SheetMap& map, const FigureItem& it)
{
    const QPointF tail = map(it.p1), tip = map(it.p2);
    p.drawLine(tail, tip);
    const double dx = it.p2.x - it.p1.x, dy = it.p2.y - it.p1.y, len = std::hypot(dx, dy);
    if (!(len > 1e-9)) return;
    const double ux = dx / len, uy = dy / len;
    const double head = std::min(it.size > 0.0 ? it.size : len / 4.0, len);
    const double half = (it.size2 > 0.0 ? it.size2 : head) / 2.0;
    const Point2 base{it.p2.x - ux * head, it.p2.y - uy * head};
    const QPointF left = map({base.x - uy * half, base.y + ux * half});
    const QPointF right = map({base.x + uy * half, base.y - ux * half});
    if (it.style == 10) {
        const QPointF head3[3] = {tip, left, right};
        p.save();
        p.setBrush(p.pen().color());
        p.drawPolygon(head3, 3);
        p.restore();
    } else {
        p.drawLine(tip, left);
        p.drawLine(tip, right);
    }
}

void drawMark(QPainter& p, const SheetMap& map, const FigureItem& it)
{
    const double r = std::max(it.size, 0.0) * map.k;
    if (it.style == 11) {
        p.save();
        p.setBrush(p.pen().color());
        p.drawEllipse(map(it.p1), r, r);
        p.restore();
    } else {
        p.drawEllipse(map(it.p1), r, r);
    }
}

void drawPolygon(QPainter& p, const SheetMap& map, const FigureItem& it)
{
    if (it.points.size() < 3) return;
    QPolygonF poly;
    for (const Point2& pt : it.points)
        poly << map(pt);
    const QColor colour(static_cast<int>((it.fill >> 16) & 0xFF),
                        static_cast<int>((it.fill >> 8) & 0xFF), static_cast<int>(it.fill & 0xFF));
    p.save();
    // Outlined in its own colour: neighbouring pieces of one band then meet without the
    // hairline gaps that antialiasing leaves between filled areas.
    QPen pen(colour, 0.0);
    pen.setCosmetic(true);
    p.setPen(pen);
    p.setBrush(colour);
    p.drawPolygon(poly);
    p.restore();
}

void paintItems(QPainter& painter, const std::vector<FigureItem>& items, const SheetMap& map,
                const std::function<QPen(const FigureItem&)>& penFor)
{
    const QFont font = referenceFont();
    const double descent = QFontMetricsF(font).descent();
    for (const FigureItem& it : items) {
        painter.setPen(penFor(it));
        switch (it.kind) {
        case FigureItemKind::Line: painter.drawLine(map(it.p1), map(it.p2)); break;
        case FigureItemKind::Arc: drawArc(painter, map, it); break;
        case FigureItemKind::Arrow: drawArrow(painter, map, it); break;
        case FigureItemKind::PointMark: drawMark(painter, map, it); break;
        case FigureItemKind::Text: drawText(painter, map, it, font, descent); break;
        case FigureItemKind::Polygon: drawPolygon(painter, map, it); break;
        }
    }
}

} // namespace

void paintFigureItems(QPainter& painter, const std::vector<FigureItem>& items,
                      const FigureDeviceMap& map,
                      const std::function<QPen(const FigureItem&)>& penFor)
{
    if (!map.toDevice || !penFor) return;
    SheetMap sheet;
    sheet.k = map.pixelsPerMm;
    sheet.custom = &map;
    painter.save();
    painter.setBrush(Qt::NoBrush);
    paintItems(painter, items, sheet, penFor);
    painter.restore();
}

QString plotFontFamily()
{
    static const QString family = [] {
        const QStringList families = QFontDatabase::families();
        for (const char* name : {"IPAGothic", "IPAゴシック", "IPAexGothic"})
            if (families.contains(QString::fromUtf8(name))) return QString::fromUtf8(name);
        return QString::fromUtf8("Monospace");
    }();
    return family;
}

double paintPlot(QPainter& painter, const PlotDocument& doc, const QRectF& target,
                 const PlotPaintOptions& options)
{
    const double W = std::max(doc.sheetWidth, 1.0), H = std::max(doc.sheetHeight, 1.0);
    SheetMap map;
    map.k = std::min(target.width() / W, target.height() / H);
    map.x0 = target.center().x() - map.k * W / 2.0;
    map.y0 = target.center().y() + map.k * H / 2.0;

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setBrush(Qt::NoBrush);
    const QRectF sheet(map(Point2{0.0, H}), map(Point2{W, 0.0}));
    painter.fillRect(sheet, options.paper);
    if (options.sheetOutline) {
        painter.setPen(QPen(QColor(128, 128, 128), 0));
        painter.drawRect(sheet);
    }

    paintItems(painter, doc.items, map, [&](const FigureItem& it) {
        const double widthMm = it.layer >= 1 && it.layer < static_cast<int>(doc.penWidth.size())
                                   ? doc.penWidth[static_cast<size_t>(it.layer)]
                                   : 0.13;
        QPen pen(options.ink, std::max(widthMm * map.k, options.minPenPixels));
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
        return pen;
    });
    painter.restore();
    return map.k;
}

bool exportPlotPdf(const PlotDocument& doc, const QString& path, QString* error)
{
    QPdfWriter writer(path);
    writer.setTitle(QString::fromStdString(doc.name));
    writer.setCreator(QStringLiteral("keltora-plotter"));
    writer.setResolution(1200);
    const QPageSize size(QSizeF(doc.sheetWidth, doc.sheetHeight), QPageSize::Millimeter, QString(),
                         QPageSize::ExactMatch);
    writer.setPageLayout(QPageLayout(size, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    QPainter painter;
    if (!painter.begin(&writer)) {
        if (error) *error = QStringLiteral("cannot write ") + path;
        return false;
    }
    paintPlot(painter, doc, QRectF(0, 0, writer.width(), writer.height()));
    painter.end();
    if (!QFileInfo(path).isFile()) {
        if (error) *error = QStringLiteral("cannot write ") + path;
        return false;
    }
    return true;
}

bool exportPlotSvg(const PlotDocument& doc, const QString& path, QString* error)
{
    // 10 user units per millimetre (254 dpi), so the SVG has the sheet's size in mm.
    constexpr double kUnitsPerMm = 10.0;
    const QSizeF size(doc.sheetWidth * kUnitsPerMm, doc.sheetHeight * kUnitsPerMm);
    QSvgGenerator svg;
    svg.setFileName(path);
    svg.setTitle(QString::fromStdString(doc.name));
    svg.setResolution(254);
    svg.setSize(size.toSize());
    svg.setViewBox(QRectF(QPointF(0, 0), size));
    QPainter painter;
    if (!painter.begin(&svg)) {
        if (error) *error = QStringLiteral("cannot write ") + path;
        return false;
    }
    paintPlot(painter, doc, QRectF(QPointF(0, 0), size));
    painter.end();
    if (!QFileInfo(path).isFile()) {
        if (error) *error = QStringLiteral("cannot write ") + path;
        return false;
    }
    return true;
}

bool exportPlotPng(const PlotDocument& doc, const QString& path, double dotsPerMm, QString* error)
{
    dotsPerMm = std::clamp(dotsPerMm, 0.5, 40.0);
    const int w = static_cast<int>(std::lround(doc.sheetWidth * dotsPerMm));
    const int h = static_cast<int>(std::lround(doc.sheetHeight * dotsPerMm));
    QImage image(std::max(w, 1), std::max(h, 1), QImage::Format_RGB32);
    image.setDotsPerMeterX(static_cast<int>(std::lround(dotsPerMm * 1000.0)));
    image.setDotsPerMeterY(static_cast<int>(std::lround(dotsPerMm * 1000.0)));
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        paintPlot(painter, doc, QRectF(0, 0, image.width(), image.height()));
    }
    if (!image.save(path, "PNG")) {
        if (error) *error = QStringLiteral("cannot write ") + path;
        return false;
    }
    return true;
}

bool exportPlotByExtension(const PlotDocument& doc, const std::string& path, std::string* error)
{
    // Fonts and text layout need a GUI application; without a display the offscreen
    // platform serves.
    static int argc = 1;
    static char name[] = "keltora";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) {
        prepareQtEnvironment(true);
        routeQtMessages();
        static QGuiApplication* app = new QGuiApplication(argc, argv);
        (void)app;
    }
    const QString file = QString::fromStdString(path);
    const QString ext = QFileInfo(file).suffix().toLower();
    QString message;
    bool ok = false;
    if (ext == "pdf")
        ok = exportPlotPdf(doc, file, &message);
    else if (ext == "svg")
        ok = exportPlotSvg(doc, file, &message);
    else if (ext == "png")
        ok = exportPlotPng(doc, file, 8.0, &message);
    else
        message = QStringLiteral("unknown figure format (use .pdf, .svg or .png): ") + file;
    if (!ok && error) *error = message.toStdString();
    return ok;
}

void printPlot(const PlotDocument& doc, QPrinter& printer)
{
    QPainter painter;
    if (!painter.begin(&printer)) return;
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    paintPlot(painter, doc, QRectF(0, 0, page.width(), page.height()));
    painter.end();
}

} // namespace keltora
