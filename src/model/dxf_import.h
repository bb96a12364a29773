// The DXF terrain import: reads the line work of an ASCII DXF drawing (LINE, POLYLINE
// vertices, LWPOLYLINE; a closed polyline gets its closing side) and replaces the terrain
// points and lines of the document by it.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "model/message.h"
#include "model/model.h"

namespace keltora {

// The import stores at most this many points and lines (less than the table capacities).
inline constexpr int kDxfMaxPoints = 960;
inline constexpr int kDxfMaxLines = 960;

// Start values of the extents; a drawing without segments keeps them.
inline constexpr double kDxfNoExtent = 99999999.999;

struct DxfSegment {
    double x1 = 0.0;
    double y1 = 0.0;
    double x2 = 0.0;
    double y2 = 0.0;
};

struct DxfExtents {
    double xmin = kDxfNoExtent;
    double xmax = -kDxfNoExtent;
    double ymin = kDxfNoExtent;
    double ymax = -kDxfNoExtent;
};

// What a drawing contains, in file order and in drawing coordinates.
struct DxfDrawing {
    std::vector<DxfSegment> segments;
    DxfExtents extents;         // over every segment end and every vertex, also a lone one
    int lineSegments = 0;       // from LINE entities
    int polylineSegments = 0;   // from POLYLINE vertex chains
    int lwpolylineSegments = 0; // from LWPOLYLINE entities
    int blockSegments = 0;      // of the above, those inside block definitions (BLOCKS)
    int closingSegments = 0;    // of the above, the sides added to close closed polylines
    // Where the terrain differs from the drawing, by entity type and count: entities that
    // were not read at all (ARC, CIRCLE, SPLINE, INSERT, TEXT, ...), and polyline arcs
    // (bulges) that were read as straight chords (key: "LWPOLYLINE", "POLYLINE").
    std::map<std::string, int> skippedEntities;
    std::map<std::string, int> straightenedArcs;
    MessageList warnings; // things the user should know (the above in words, damaged entities)
};

struct DxfReadResult {
    int status = 0;               // 0 read, 1 cannot be opened, -1 not a readable ASCII DXF
    std::optional<Message> error; // set when status != 0
    DxfDrawing drawing;           // valid when status == 0
};

// Origin shift and scale: c' = c * scale + shift, rounded to 0.001.
struct DxfTransform {
    double shiftX = 0.0;
    double shiftY = 0.0;
    double scale = 1.0;
};

// What an import stored and what it left out.
struct DxfImportResult {
    bool ok = true;
    std::optional<Message> error; // set when !ok; the model is then unchanged
    int distinctPoints = 0;       // after merging, before the capacity limit
    int pointsStored = 0;
    int pointsDropped = 0; // beyond the 960-point limit
    int zeroLengthSegments = 0;
    int segmentsOnDroppedPoints = 0;
    int duplicateSegments = 0;
    int linesStored = 0;
    int linesDropped = 0; // kept segments beyond the 960-line limit
    MessageList warnings; // capacity limits reached
};

// Reads a DXF file (CR LF or LF). The drawing is read once; the caller may show it, try
// transformations on its extents and then import it.
DxfReadResult readDxfFile(const std::filesystem::path& path);

// The reading itself, on the bytes of a file. displayName is used in messages.
DxfReadResult parseDxf(const std::string& bytes, const std::string& displayName);

// One transformed coordinate: floor(c*s*1000 + h*1000 + 0.5) * 0.001, halves upwards.
double transformDxfCoordinate(double c, double scale, double shift);

// The extents as they would be after the transformation (no rounding), for a trial.
DxfExtents transformDxfExtents(const DxfExtents& extents, const DxfTransform& t);

// Checks the parameters of a transformation: the scale must be a positive finite number,
// the shifts finite. Returns the message to show when they are not.
std::optional<Message> checkDxfTransform(const DxfTransform& t);

// Replaces the terrain points and lines of the model by the drawing's segments as
// boundary lines: merges points within 0.001, drops zero-length, duplicate and
// over-capacity segments. Blocks, conditions and settings are not touched. On success
// modified = 1 and calcState = 0; on failure (bad transformation, coordinates too large)
// the model is unchanged.
DxfImportResult importDxf(SlopeModel& model, const DxfDrawing& drawing, const DxfTransform& t);

} // namespace keltora
