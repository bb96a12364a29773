// Internal to the figure composition: the drawing window, section-to-paper conversion,
// clipping and the primitive appenders shared by the figure_*.cpp units.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "output/figure.h"

namespace keltora::figure_detail {

// Sizes below this remove their element.
inline constexpr double kTolSize = 0.0001;

struct ClipRect {
    double x1, y1, x2, y2;
    bool contains(Point2 p) const { return p.x >= x1 && p.x <= x2 && p.y >= y1 && p.y <= y2; }
};

// The segment a-b cut to the rectangle; nothing when no part of it lies inside.
std::optional<std::pair<Point2, Point2>> clipSegment(Point2 a, Point2 b, const ClipRect& r);

// The pieces of the arc from `from` to `to` about `centre` (direction +1 counter-clockwise,
// -1 clockwise; the radius is that of `from`) that lie inside the rectangle, in the arc's
// order, each as its start and end point. An arc wholly inside comes back as it was, one
// wholly outside gives nothing.
std::vector<std::pair<Point2, Point2>> clipArc(Point2 from, Point2 to, Point2 centre, int direction,
                                               const ClipRect& r);

class FigureBuilder {
  public:
    FigureBuilder(const SlopeModel& model, Figure& figure, const FigureOptions& options = {});

    const SlopeModel& model() const { return model_; }
    // Composing for the screen view (see FigureOptions).
    bool screen() const { return options_.screen; }
    double w() const { return w_; }
    double h() const { return h_; }
    double width() const { return 2.0 * w_; }
    double height() const { return 2.0 * h_; }
    // Metres of section per paper millimetre.
    double metresPerMm() const { return s_; }
    double windowXmin() const { return xmin_; }
    double windowYmin() const { return ymin_; }

    // The window extended by 10 mm (frame, title, result block) and the inner area of the
    // section elements.
    const ClipRect& outer() const { return outer_; }
    const ClipRect& inner() const { return inner_; }

    Point2 toPaper(double x, double y) const { return {(x - xmin_) / s_, (y - ymin_) / s_}; }
    Point2 toPaper(Point2 p) const { return toPaper(p.x, p.y); }
    double toSectionX(double xp) const { return xmin_ + xp * s_; }

    void line(Point2 a, Point2 b, int layer, const ClipRect& clip);
    // The arc clipped to `clip`: one arc record per piece inside.
    void arc(Point2 from, Point2 to, Point2 centre, int direction, int layer, const ClipRect& clip);
    void arrow(Point2 tail, Point2 tip, double size1, double size2, int style, int layer);
    void mark(Point2 at, double radius, int style, int layer);
    // Returns the width of the text; writes nothing for an empty text or t below kTolSize.
    double text(Point2 at, double t, const std::string& s, int layer);
    // A raised unit digit ("２", "３") at half size after a text that ends at x.
    void raisedUnit(double x, double y, double t, const char* digit, int layer);

  private:
    const SlopeModel& model_;
    Figure& figure_;
    FigureOptions options_;
    double w_, h_, s_, xmin_, ymin_;
    ClipRect outer_, inner_;
};

// The parts of the composition, in the units that hold them.
void composeSoilLabels(FigureBuilder& b);
void composeSurcharges(FigureBuilder& b, const FigureResults& results, const PolygonTable* poly);
void composeForces(FigureBuilder& b, const FigureResults& results);

} // namespace keltora::figure_detail
