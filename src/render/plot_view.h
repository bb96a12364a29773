// A zoomable view of a plot document: the sheet fitted to the widget, mouse wheel zoom about
// the cursor, drag to move. Used by the plotter.
#pragma once

#include <QPointF>
#include <QWidget>

#include "render/plot_reader.h"

namespace keltora {

class PlotView : public QWidget {
  public:
    explicit PlotView(QWidget* parent = nullptr);

    void setDocument(PlotDocument doc);
    const PlotDocument& document() const { return doc_; }

    void zoomBy(double factor, QPointF anchor);
    void zoomIn() { zoomBy(1.25, rect().center()); }
    void zoomOut() { zoomBy(0.8, rect().center()); }
    void fitToWindow();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    QRectF sheetTarget() const;

    PlotDocument doc_;
    double zoom_ = 1.0; // 1 = the whole sheet fits the window
    QPointF pan_;       // offset of the sheet centre from the window centre (pixels)
    QPointF dragFrom_;
    bool dragging_ = false;
};

} // namespace keltora
