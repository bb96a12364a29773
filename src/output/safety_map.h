// The factor-of-safety map: the smallest factor of safety at each centre of a search grid,
// contoured (filled bands, a line every 0.1 and at the allowable value) as figure primitives.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "analysis/results.h"
#include "output/figure.h"

namespace keltora {

// Layers of the map's primitives. They lie beyond the calculation figure's sixteen layers,
// so a map never shares a layer (or a pen, or a DXF layer name) with the figure.
enum SafetyMapLayer : int {
    kLayerMapBands = 17,     // filled bands
    kLayerMapContours = 18,  // contour lines every 0.1, grid outlines of the finer grids
    kLayerMapAllowable = 19, // the contour at the allowable factor of safety
    kLayerMapText = 20,      // frame, axes, title, legend, contour labels, minimum
};
inline constexpr int kLastFigureLayer = 20;

// The contour interval, and the least number of levels a map should show before a finer
// interval (0.05, 0.02, 0.01) is chosen.
inline constexpr double kSafetyMapStep = 0.1;
inline constexpr int kSafetyMapMinLevels = 3;
// At most this many contour levels of the interval are drawn above the smallest value; the
// band above the last one is open ("≥"). A map of a grid whose factors run from 1.2 to 40
// stays readable where it matters, near the minimum.
inline constexpr int kSafetyMapMaxLevels = 20;

// The smallest factor of safety per centre of one grid (the numbers of the result table,
// arranged for contouring: both axes ascending).
struct SafetyMap {
    int grid = 0;           // 1..4; 0 for an empty map
    std::vector<double> xs; // ascending centre x (m)
    std::vector<double> ys; // ascending centre y (m)
    // values[iy * xs.size() + ix]; NaN where no mass of that centre was stored.
    std::vector<double> values;
    double fmin = 0.0, fmax = 0.0;    // over the values present
    int minimumX = -1, minimumY = -1; // indexes of the grid minimum (first stored wins)

    int columns() const { return static_cast<int>(xs.size()); }
    int rows() const { return static_cast<int>(ys.size()); }
    bool empty() const { return minimumX < 0; }
    double value(int ix, int iy) const
    {
        return values[static_cast<std::size_t>(iy) * xs.size() + static_cast<std::size_t>(ix)];
    }
    bool hasValue(int ix, int iy) const;
    // Contours need an area: two columns and two rows at least.
    bool contourable() const { return columns() >= 2 && rows() >= 2; }
};

// The grids (1..4) that have stored results, in order.
std::vector<int> safetyMapGrids(const CalculationResults& results);

// The map of one grid (1..4) from its stored records; empty when it has none.
SafetyMap buildSafetyMap(const CalculationResults& results, int grid);

// The contour interval of a map: 0.1, or the largest of 0.05, 0.02 and 0.01 that puts
// kSafetyMapMinLevels levels between fmin and fmax (0.01 when none does).
double safetyMapStep(const SafetyMap& map);

// The contour levels of a map: the multiples of the interval above fmin and below fmax (at
// most kSafetyMapMaxLevels of them) and the allowable value when it lies in that range;
// ascending, without repeats. Empty for a map whose values are all equal.
std::vector<double> safetyMapLevels(const SafetyMap& map, double allowable);

// One piece of a contour line in section metres.
struct ContourSegment {
    double level = 0.0;
    Point2 a, b;
};

// The contour lines of the levels. Each grid cell is split into four triangles about its
// centre (with the mean of its corners), on which the factor varies linearly, so the lines
// pass exactly through the points where the interpolated value equals the level. A cell
// with one missing corner uses the triangle of the other three; others are left out.
std::vector<ContourSegment> safetyMapContours(const SafetyMap& map,
                                              const std::vector<double>& levels);

// One filled piece of a band (convex, section metres). Band 0 lies below levels[0], band k
// between levels[k-1] and levels[k], band levels.size() above the last level.
struct BandPolygon {
    int band = 0;
    std::vector<Point2> points;
};
std::vector<BandPolygon> safetyMapBands(const SafetyMap& map, const std::vector<double>& levels);

// The fill colour (0xRRGGBB) of a factor of safety: reds and oranges below the allowable
// value (deeper for lower factors), greens turning to blues above it.
std::uint32_t safetyMapColour(double f, double allowable);

struct SafetyMapStyle {
    double allowable = 0.0;  // the allowable factor of safety; not drawn when <= 0
    double textHeight = 2.5; // mm, labels and axes (the title is 1.4 times that)
    bool legend = true;      // a colour scale at the right of the rectangle
    std::string title;       // above the map; empty: "安全率分布図　１次格子" etc.
    // Outlines of other grids (the finer grids inside this one) in section metres:
    // xmin, ymin, xmax, ymax; drawn dashed-free as thin rectangles and labelled.
    struct Outline {
        double xmin, ymin, xmax, ymax;
        std::string label;
    };
    std::vector<Outline> outlines;
};

// Where a map panel's drawing went (paper mm), for callers and tests.
struct SafetyMapPlacement {
    double x0 = 0.0, y0 = 0.0; // paper position of section point (xs.front(), ys.front())
    double mmPerMetre = 0.0;
    Point2 toPaper(double x, double y, const SafetyMap& map) const
    {
        return {x0 + (x - map.xs.front()) * mmPerMetre, y0 + (y - map.ys.front()) * mmPerMetre};
    }
    std::vector<std::array<double, 4>> labelBoxes; // contour labels: x1, y1, x2, y2 (mm)
    std::vector<double> labelLevels;               // the level of each label box
};

// Appends the map of one grid, drawn into the paper rectangle (x1, y1)-(x2, y2) in mm of
// `figure` (title on top, the map with equal scales in x and y, axes with centre
// coordinates, the legend at the right): bands, contour lines, one label per contour
// level where it finds room, the grid minimum marked and written, centres without a
// result crossed. An empty map draws only its title and "結果なし". A map of a single
// row or column shows its values as texts.
SafetyMapPlacement appendSafetyMap(Figure& figure, const SafetyMap& map, double x1, double y1,
                                   double x2, double y2, const SafetyMapStyle& style = {});

// A whole sheet (the paper size of the calculation figure): the title with the method and
// the allowable value, then one panel per grid with results (the first grid showing the
// outline of the next). Empty items when there are no results.
Figure composeSafetyMapFigure(const SlopeModel& model, const CalculationResults& results);

} // namespace keltora
