// Drawing area of the plotter: fitted sheet, wheel zoom about the cursor, drag to move.
#include "render/plot_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

#include "render/plot_painter.h"

namespace keltora {

PlotView::PlotView(QWidget* parent) : QWidget(parent)
{
    setMinimumSize(320, 240);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::OpenHandCursor);
}

void PlotView::setDocument(PlotDocument doc)
{
    doc_ = std::move(doc);
    fitToWindow();
}

void PlotView::fitToWindow()
{
    zoom_ = 1.0;
    pan_ = {};
    update();
}

QRectF PlotView::sheetTarget() const
{
    const double margin = 12.0;
    const QRectF area = QRectF(rect()).adjusted(margin, margin, -margin, -margin);
    const double W = std::max(doc_.sheetWidth, 1.0), H = std::max(doc_.sheetHeight, 1.0);
    const double k = std::min(area.width() / W, area.height() / H) * zoom_;
    const QPointF c = area.center() + pan_;
    return QRectF(c.x() - k * W / 2.0, c.y() - k * H / 2.0, k * W, k * H);
}

void PlotView::zoomBy(double factor, QPointF anchor)
{
    const double newZoom = std::clamp(zoom_ * factor, 0.1, 200.0);
    factor = newZoom / zoom_;
    // Keep the sheet point under the anchor where it is.
    const QPointF centre = QRectF(rect()).center() + pan_;
    pan_ += (centre - anchor) * (factor - 1.0);
    zoom_ = newZoom;
    update();
}

void PlotView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), QColor(96, 96, 96));
    PlotPaintOptions options;
    options.sheetOutline = true;
    options.minPenPixels = 1.0;
    paintPlot(p, doc_, sheetTarget(), options);
}

void PlotView::wheelEvent(QWheelEvent* event)
{
    const double steps = event->angleDelta().y() / 120.0;
    if (steps != 0.0) zoomBy(std::pow(1.25, steps), event->position());
    event->accept();
}

void PlotView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        dragging_ = true;
        dragFrom_ = event->position();
        setCursor(Qt::ClosedHandCursor);
    }
}

void PlotView::mouseMoveEvent(QMouseEvent* event)
{
    if (!dragging_) return;
    pan_ += event->position() - dragFrom_;
    dragFrom_ = event->position();
    update();
}

void PlotView::mouseReleaseEvent(QMouseEvent*)
{
    dragging_ = false;
    setCursor(Qt::OpenHandCursor);
}

} // namespace keltora
