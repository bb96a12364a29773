// Straight slip lines (method codes 3 and 5): the cut of a line through the section, the
// walk into masses and slices, the slice forces, the finishing of a mass and the dump lines.
#pragma once

#include <string>
#include <vector>

#include "analysis/slice_section.h"
#include "analysis/slice_walk.h"
#include "analysis/slip_result.h"
#include "geometry/block_polygons.h"
#include "model/model.h"

namespace keltora {

// One straight slip line: through (x0, y0) at the signed angle `angle` (degrees; for
// method 3 slip_sign times the slip angle, for method 5 the angle of S-E), with its
// sense slipSign (+1: the upper part rises to the right of the start point).
struct StraightLine {
    double x0 = 0, y0 = 0;
    double angle = 0;
    double cosA = 1, sinA = 0;
    int slipSign = -1;
    // Method 5: the end point; the mass is bounded by S = (x0, y0) and E.
    bool segment = false;
    double ex = 0, ey = 0;

    // The base height at x: y0 + (x - x0) tan a, or y0 for a line within 0.00001 of vertical.
    double heightAt(double x) const;
};

// The line of method 3 from its start point, slip angle alpha (degrees) and slip_sign.
StraightLine lineByAngle(double x0, double y0, double alpha, int slipSign);
// The line of method 5 from S to E: its angle folded into (-90, 90], slip_sign +1 when it
// rises to the right.
StraightLine lineBetween(Point2 s, Point2 e);

// The section as the straight walk needs it, prepared once per run.
class LineSection {
  public:
    LineSection(const SlopeModel& model, const PolygonTable& polygons);

    PreparedSection section; // sheet piles cleared: they take no part in straight slips
    std::vector<std::pair<Point2, Point2>> uncutPlain; // uncut lines as they are
    int direction = 2;   // which part of a method-3 line slips: 1 above, 2 below, else both
    double forceX = 0.0; // where the horizontal forces act

    // Slice breaks from the given x values in place of a centre x (method 3: the start
    // point; method 5: P1 and P3), the terrain points and the loaded surcharge strips.
    SliceBreaks breaks(std::initializer_list<double> xs) const;
};

// The crossings of a method-3 line with the boundary lines (the parts above and/or below
// the start point by `direction`), from the right, with the block of every interval.
CircleCut cutLine(const LineSection& s, const StraightLine& line);
// The crossings of the line through S and E with the boundary lines, those beyond S or E
// moved onto them, from the right, with the block of every interval.
CircleCut cutLineBetween(const LineSection& s, const StraightLine& line);

// The forces of one slice (kN/m): friction T, cohesion Rc, weight Dw, external Dh,
// seismic Dk.
struct LineSliceForces {
    double t = 0, rc = 0, dw = 0, dh = 0, dk = 0;
};
LineSliceForces lineSliceForces(const LineSection& s, const StraightLine& line,
                                const SliceGeometry& g);

// mdw made positive, mr and md summed, f cut to the decimals of the factor of safety
// (kNoSafetyFactor when |md| <= 0.00001 or the mass is invalid; no lower guard). Returns
// the direction sign (+1 when slip_sign >= 0).
int finishLineMass(const LineSection& s, const StraightLine& line, MassState& mass);

// Starts a mass of `line` for level (0-based): rr = the line's angle, dx, dy = E for a
// method-5 line.
void resetLineMass(MassState& mass, int level, const StraightLine& line);

// Walks one line: every mass is summed slice by slice, finished and appended to `out` in
// walk order (masses without slices included). Safe on several threads.
void walkLine(const LineSection& s, const StraightLine& line, int level, const SliceBreaks& breaks,
              std::vector<EvaluatedMass>& out);

// The three dump lines of a stored straight mass (method 3) and of a method-5 mass.
std::string formatLineRecord(const SlipResult& r);
std::string formatSegmentLineRecord(const SlipResult& r);

} // namespace keltora
