// Block outlines traced from their inner points, and the polygon table a calculation
// builds from them (with bounding boxes).
#pragma once

#include <array>
#include <vector>

#include "model/model.h"

namespace keltora {

// A traced outline: point numbers, the first repeated at the end when it closes.
struct BlockOutline {
    std::vector<int> points;
    int entries() const { return static_cast<int>(points.size()); }
};

struct BlockPolygon {
    int edges = -1;          // -1 = no polygon: the block takes no part in a calculation
    std::vector<int> points; // edges + 1 entries (edge k runs from points[k] to points[k+1])
    double xmax = -9999.9, xmin = 9999.9, ymax = -9999.9, ymin = 9999.9;
};

struct PolygonTable {
    std::array<BlockPolygon, kMaxBlocks> blocks{};
};

// Traces the outline of boundary lines around inner point (x, y). Returns -1 entries
// (an empty outline with ok = false) when there is no boundary line at all.
BlockOutline traceOutline(const SlopeModel& model, double x, double y);

// Every block's polygon: an outline with more than 3 entries becomes a polygon of
// (entries - 1) edges, with its bounding box.
PolygonTable buildPolygonTable(const SlopeModel& model);

} // namespace keltora
