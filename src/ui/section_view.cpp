// The drawing area: image, marks, rubber band and mouse events in section coordinates.
#include "ui/section_view.h"

#include <QMouseEvent>
#include <QPainter>

namespace keltora::ui {

SectionView::SectionView(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Image1"));
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::CrossCursor);
    setMinimumSize(50, 50);
    transform_.setImageSize(width(), height());
}

void SectionView::setImage(QImage image)
{
    image_ = std::move(image);
    update();
}

void SectionView::setOverlay(Overlay overlay)
{
    overlay_ = std::move(overlay);
    update();
}

void SectionView::setRubberBand(std::optional<std::pair<QPoint, QPoint>> band)
{
    band_ = std::move(band);
    update();
}

void SectionView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (image_.isNull())
        p.fillRect(rect(), Qt::black);
    else
        p.drawImage(0, 0, image_);
    if (overlay_) {
        p.save();
        overlay_(p, transform_);
        p.restore();
    }
    if (band_) {
        // Inverting pen: the band shows on every colour of the figure.
        p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        p.setPen(QPen(Qt::white, 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRect(band_->first, band_->second).normalized());
    }
}

void SectionView::resizeEvent(QResizeEvent* event)
{
    transform_.setImageSize(width(), height());
    QWidget::resizeEvent(event);
    emit resized(size());
}

void SectionView::mousePressEvent(QMouseEvent* event)
{
    const QPoint px = event->position().toPoint();
    const Point2 world = transform_.screenToWorld(px.x(), px.y());
    if (event->button() == Qt::LeftButton) {
        if (filter_ && filter_(MouseKind::LeftDown, px)) return;
        emit leftClicked(world, px);
    } else if (event->button() == Qt::RightButton) {
        if (filter_ && filter_(MouseKind::RightDown, px)) return;
        emit rightClicked(world, px);
    }
}

void SectionView::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint px = event->position().toPoint();
    const Point2 world = transform_.screenToWorld(px.x(), px.y());
    if (filter_ && filter_(MouseKind::Move, px)) {
        // still reported: the coordinate readout follows the mouse in every mode
    }
    emit mouseMoved(world, px);
}

} // namespace keltora::ui
