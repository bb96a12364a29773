// The full redraw of the main view into an off-screen image: grid, centre grid, plot
// window, the composed calculation figure (painted by the plotter's painting code through
// the view transform), the terrain lines, the cohesion reference line, points and block
// centres, in that order and in the view's colours.
#pragma once

#include <QColor>
#include <QImage>

#include <memory>

#include "edit/view_transform.h"
#include "output/figure.h"

namespace keltora {
struct CalculationResults;
}

namespace keltora::ui {

// The colours of the view.
namespace screen_colour {
inline const QColor black{0, 0, 0};
inline const QColor grey{128, 128, 128};
inline const QColor blue{0, 0, 255};
inline const QColor green{0, 255, 0};
inline const QColor red{255, 0, 0};
inline const QColor aqua{0, 255, 255};
inline const QColor white{255, 255, 255};
inline const QColor fuchsia{255, 0, 255};
inline const QColor yellow{255, 255, 0};
} // namespace screen_colour

// What one redraw draws. `model` null: no document (a black image).
struct ScreenScene {
    const SlopeModel* model = nullptr;
    const CalculationResults* results = nullptr; // valid results only, else null
    const Figure* figure = nullptr;              // composed with the screen options
};

// The figure of the scene's model and results, composed for the screen.
Figure composeScreenFigure(const SlopeModel& model, const CalculationResults* results);

// Draws the scene into `image` (which keeps its size) under `view`.
void renderScene(QImage& image, const ScreenScene& scene, const ViewTransform& view);

// The paper-to-screen mapping of the figure under `view`: a paper point (mm) goes to the
// section (x S 0.001 + Xmin) and then through the view transform.
struct PaperMap {
    double metresPerMm = 0.1, xmin = 0.0, ymin = 0.0;
};
PaperMap paperMapOf(const SlopeModel& model);

} // namespace keltora::ui
