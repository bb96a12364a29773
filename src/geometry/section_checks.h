// The connection check and the block check of a section, computed headlessly as lists of
// what to draw (the GUI only paints them), and the same findings in words.
#pragma once

#include <string>
#include <vector>

#include "model/model.h"

namespace keltora {

struct Rgb {
    int red = 0, green = 0, blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb kCheckBlack{0, 0, 0};
inline constexpr Rgb kCheckAqua{0, 255, 255};
inline constexpr Rgb kCheckWhite{255, 255, 255};
inline constexpr Rgb kCheckRed{255, 0, 0};

// One thing to draw, in section coordinates (metres).
struct CheckMark {
    enum class Shape { Line, Square };
    Shape shape = Shape::Line;
    Point2 a, b;        // Line: from a to b; Square: centred on a
    int sizePixels = 1; // Line: pen width; Square: side length
    Rgb colour;
    int line = -1;  // the line slot drawn (Line), or -1
    int point = -1; // the point number marked (Square), or -1
};

// The view is first filled with `background`, then the marks are drawn in order.
struct CheckDrawing {
    Rgb background = kCheckBlack;
    std::vector<CheckMark> marks;
};

// Connection check: every boundary line in aqua, one pixel wide, shortened by 5 pixels
// at each end, and every valid point as a 5-pixel aqua square, so that a line that does
// not reach its points, or a point without a line, stands out. metresPerPixel is the
// view's scale.
CheckDrawing showConnections(const SlopeModel& model, double metresPerPixel);

// The boundary line slots (ascending) with a directed side that no closed face walk of
// at least 3 edges uses: lines that enclose no region on that side.
std::vector<int> linesOutsideClosedFaces(const SlopeModel& model);

// Block check: all boundary lines in white, then the lines of linesOutsideClosedFaces
// in red, each one pixel wide.
CheckDrawing showOpenBoundaries(const SlopeModel& model);

// The findings of both checks in words (English, one finding a line), grouped.
struct SectionFindings {
    std::vector<std::string> lineReferences; // lines pointing at missing points
    std::vector<std::string> unmetEnds;      // line ends that nearly, but do not, meet
    std::vector<std::string> pointsWithoutLines;
    std::vector<std::string> openLines;     // lines not part of any closed region
    std::vector<std::string> blocksOutside; // inner points in no closed region
    std::vector<std::string> blockKinds;    // blocks with a kind outside 0..3
    bool clean() const;
};

SectionFindings checkSection(const SlopeModel& model);

} // namespace keltora
