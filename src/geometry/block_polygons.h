// Block outlines traced from their inner points, and the polygon table a calculation
// builds from them (with bounding boxes).
#pragma once

#include <array>
#include <vector>

#include "model/model.h"

namespace keltora {

// A boundary line whose point references are sound: both points in range, in use and
// distinct. Lines of the model that fail this take no part in tracing or cutting.
struct BoundaryEdge {
    int line = -1;       // slot index of the line
    int startPoint = -1; // point numbers
    int endPoint = -1;
    Point2 start, end;
};

// The sound boundary lines of the model, in table order.
std::vector<BoundaryEdge> boundaryEdges(const SlopeModel& model);

// A traced outline: point numbers, the first repeated at the end when it closes.
struct BlockOutline {
    bool hasBoundary = false; // false: the model has no (sound) boundary line at all
    std::vector<int> points;
    // The entry count, or -1 when there is no boundary line at all.
    int entries() const { return hasBoundary ? static_cast<int>(points.size()) : -1; }
    bool closed() const { return points.size() > 1 && points.front() == points.back(); }
};

struct BlockPolygon {
    int edges = -1;          // -1 = no polygon: the block takes no part in a calculation
    std::vector<int> points; // edges + 1 entries (edge k runs from points[k] to points[k+1])
    double xmax = -9999.9, xmin = 9999.9, ymax = -9999.9, ymin = 9999.9;
    // The inner point lies outside every closed region: the outline traced around it
    // closes (around the whole section, or around another region) without holding it.
    // Such a block has no polygon, and the calculation tells the user.
    bool outside = false;
};

struct PolygonTable {
    std::array<BlockPolygon, kMaxBlocks> blocks{};
};

// Traces the outline of boundary lines around inner point (x, y), clockwise (the point
// lies right of every traced edge): from the nearest boundary line, always taking the
// sharpest right turn. The outline ends closed (first point repeated), as an open chain
// where no line continues, or after 2 * (boundary lines) + 1 entries. entries() is -1
// when there is no boundary line.
BlockOutline traceOutline(const SlopeModel& model, double x, double y);
BlockOutline traceOutline(const SlopeModel& model, const std::vector<BoundaryEdge>& edges, double x,
                          double y);

// Every block's polygon: an outline with more than 3 entries becomes a polygon of
// (entries - 1) edges, with its bounding box over the listed points. Free block slots,
// blocks without such an outline and blocks whose inner point lies outside the closed
// outline traced around it (marked `outside`) keep edges = -1. An open chain is kept as
// it is: the block check shows the user where a region does not close.
PolygonTable buildPolygonTable(const SlopeModel& model);

// True when (x, y) lies strictly inside the closed polygon of the given points
// (even-odd rule); open chains contain nothing.
bool polygonContains(const SlopeModel& model, const std::vector<int>& points, double x, double y);

} // namespace keltora
