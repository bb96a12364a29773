// The calculation figure composed once as a list of primitives in paper millimetres; the
// plot file writer, the screen view and the plotter all draw this same list.
#pragma once

#include <string>
#include <vector>

#include "analysis/slip_result.h"
#include "geometry/block_polygons.h"
#include "model/model.h"

namespace keltora {

// Layers of the figure (as declared in the plot file).
enum FigureLayer : int {
    kLayerResults = 1, // graduations, result block, soil table
    kLayerTitle = 2,   // project title
    kLayerPointNumbers = 3,
    kLayerBoundary = 4,
    kLayerExtraCircles = 5,
    kLayerCritical = 6,
    kLayerSheetPile = 7,
    kLayerSafetyLabels = 8,
    kLayerSoil = 10,
    kLayerSurcharge = 11,
    kLayerForces = 12,
    kLayerPassive = 13,
    kLayerFrame = 14,
};

enum class FigureItemKind { Line, Arc, Arrow, PointMark, Text, Polygon };

// One primitive, paper millimetres with y upwards, origin at the lower left corner of the
// drawing window.
//   Line:      p1 -> p2.
//   Arc:       from p1 to p2 about centre; style = direction (+1 counter-clockwise,
//              -1 clockwise).
//   Arrow:     tail p1, tip p2; size = head size 1 (length along the shaft), size2 = head
//              size 2 (width across); style = arrow style.
//   PointMark: at p1, radius size; style = mark style.
//   Text:      lower left corner of its first character at p1; size = character height,
//              size2 = character width of a full-width character; text in UTF-8.
//   Polygon:   a filled area bounded by `points` in colour `fill` (0xRRGGBB), without an
//              outline. Only the extras beside the calculation figure (the factor-of-safety
//              map) use it; the plot file has no record for it and leaves it out.
struct FigureItem {
    FigureItemKind kind = FigureItemKind::Line;
    int layer = 0;
    Point2 p1, p2, centre;
    double size = 0.0, size2 = 0.0;
    int style = 0;
    std::string text;
    std::vector<Point2> points;
    unsigned fill = 0xFFFFFF;
};

struct Figure {
    double halfWidth = 190.0; // w: half width of the drawing window (mm)
    double halfHeight = 130.0;
    std::vector<FigureItem> items;
};

// One factor-of-safety label entry of the last calculation.
struct FigureLabel {
    double f = kNoSafetyFactor;
    double cx = 0.0, cy = 0.0; // centre (m)
    double x = 0.0, y = 0.0;   // label position (m)
    double sx = 0.0, sy = 0.0, ex = 0.0, ey = 0.0;
    double csx = 0.0, csy = 0.0, cex = 0.0, cey = 0.0;
    double rr = 0.0;
    int drawFlag = 1;   // not negative = the factor of safety is written
    int grid = 1;       // 1..4
    int showCircle = 0; // > 0 = the label's circle is drawn as an additional circle
};

// What the figure needs of the last calculation. For straight slips the critical result
// holds the start point in cx, cy, the angle in rr and (method 5) the end point in dx, dy.
struct FigureResults {
    bool valid = false; // false: no result block, slip surfaces or labels are drawn
    int method = 0;     // SlipMethod code the results were calculated with
    SlipResult critical;
    int directionSign = 1; // +1: slip direction 1 (the mass moves towards -x)
    std::vector<FigureLabel> labels;
};

// The plot file and the plotter draw the figure as composed by default. The screen view
// composes it with `screen`: units inline ("kN/m3", "kN/m2") instead of raised digits,
// each part only under its display switch, and without the point numbers and boundary
// lines (the screen draws the terrain itself).
struct FigureOptions {
    bool screen = false;
};

// Half sizes (w, h) in mm of the drawing window for a paper code: 1 A4, 2 B4, else A3.
Point2 paperHalfSize(int paper);

// Composes the whole figure. `polygons` are the block polygons of the section (needed for
// the surcharge ground profiles and the circle outlines); without them the surcharges are
// left out and the outline ends are not raised to the ground. Pure: no file access.
Figure composeFigure(const SlopeModel& model, const FigureResults& results,
                     const PolygonTable* polygons, const FigureOptions& options = {});

// The ground profile (section metres) under the strip from x1 to x2: the outline of all
// blocks that are not water blocks, from its highest crossing at x1 to that at x2. Empty
// when either end has no crossing.
std::vector<Point2> surchargeProfile(const SlopeModel& model, const PolygonTable& polygons,
                                     double x1, double x2);

// Width in mm of a text of character height t: half of t per CP932 byte.
double figureTextWidth(const std::string& utf8, double t);

} // namespace keltora
