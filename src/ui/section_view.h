// The drawing area of the main window (Image1): shows the off-screen image of the last
// full redraw, the current mode's marks and the rubber band over it, and turns mouse
// events into section coordinates.
#pragma once

#include <QImage>
#include <QPoint>
#include <QWidget>

#include <functional>
#include <optional>

#include "edit/view_transform.h"

namespace keltora::ui {

class SectionView : public QWidget {
    Q_OBJECT
  public:
    explicit SectionView(QWidget* parent = nullptr);

    // The view state: the transform between section metres and image pixels.
    ViewTransform& transform() { return transform_; }
    const ViewTransform& transform() const { return transform_; }

    // The completed image of the last redraw (same size as the widget).
    void setImage(QImage image);
    const QImage& image() const { return image_; }

    // The current mode's marks, painted over the image after every redraw and repaint.
    using Overlay = std::function<void(QPainter&, const ViewTransform&)>;
    void setOverlay(Overlay overlay);

    // A rectangle drawn between two pixel corners in inverting colours (area commands).
    void setRubberBand(std::optional<std::pair<QPoint, QPoint>> band);

    // Mouse events handled before the signals (the area commands): returns true when
    // the event was taken.
    enum class MouseKind { LeftDown, RightDown, Move };
    using MouseFilter = std::function<bool(MouseKind, QPoint)>;
    void setMouseFilter(MouseFilter filter) { filter_ = std::move(filter); }

  signals:
    void leftClicked(keltora::Point2 world, QPoint px);
    void rightClicked(keltora::Point2 world, QPoint px);
    void mouseMoved(keltora::Point2 world, QPoint px);
    void resized(QSize size);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    ViewTransform transform_;
    QImage image_;
    Overlay overlay_;
    MouseFilter filter_;
    std::optional<std::pair<QPoint, QPoint>> band_;
};

} // namespace keltora::ui

Q_DECLARE_METATYPE(keltora::Point2)
