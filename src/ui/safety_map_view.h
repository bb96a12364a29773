// A widget that shows the factor-of-safety map of one grid, composed for the widget's size
// and painted by the figure painter; the result table's second tab.
#pragma once

#include <QWidget>

#include "output/safety_map.h"

namespace keltora::ui {

class SafetyMapView : public QWidget {
  public:
    // Device pixels per paper millimetre of the composed map (2.5 mm texts ~ 9 pixels).
    static constexpr double kPixelsPerMm = 3.8;

    explicit SafetyMapView(QWidget* parent = nullptr);

    // The map to show and the allowable factor of safety for its colours and line.
    void setMap(SafetyMap map, double allowable);
    const SafetyMap& map() const { return map_; }
    // The map as composed for the current size (rebuilt on every resize, never in paint).
    const Figure& figure() const { return figure_; }
    const SafetyMapPlacement& placement() const { return placement_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void recompose();

    SafetyMap map_;
    double allowable_ = 0.0;
    Figure figure_;
    SafetyMapPlacement placement_;
};

} // namespace keltora::ui
