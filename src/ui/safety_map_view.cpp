// The factor-of-safety map widget: composition at the widget's size in paper millimetres,
// painted with the figure painter on white.
#include "ui/safety_map_view.h"

#include <QPainter>

#include "render/plot_painter.h"

namespace keltora::ui {

SafetyMapView::SafetyMapView(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("SafetyMapView"));
    setAutoFillBackground(false);
    setMinimumSize(240, 180);
}

void SafetyMapView::setMap(SafetyMap map, double allowable)
{
    map_ = std::move(map);
    allowable_ = allowable;
    recompose();
    update();
}

void SafetyMapView::recompose()
{
    figure_ = Figure{};
    const double w = width() / kPixelsPerMm, h = height() / kPixelsPerMm;
    figure_.halfWidth = w / 2.0;
    figure_.halfHeight = h / 2.0;
    SafetyMapStyle style;
    style.allowable = allowable_;
    style.textHeight = 2.5;
    placement_ = appendSafetyMap(figure_, map_, 3.0, 3.0, w - 3.0, h - 3.0, style);
}

void SafetyMapView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    recompose();
}

void SafetyMapView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    FigureDeviceMap map;
    map.pixelsPerMm = kPixelsPerMm;
    const double h = height();
    map.toDevice = [h](Point2 pt) { return QPointF(pt.x * kPixelsPerMm, h - pt.y * kPixelsPerMm); };
    paintFigureItems(p, figure_.items, map, [](const FigureItem& it) {
        if (it.layer == kLayerMapAllowable) return QPen(QColor(160, 0, 0), 2.0);
        if (it.layer == kLayerMapContours) return QPen(QColor(40, 40, 40), 1.0);
        return QPen(Qt::black, 1.0);
    });
}

} // namespace keltora::ui
