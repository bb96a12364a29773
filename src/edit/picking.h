// The picking rules of the editing modes (nearest point, block, circle centre, line of a
// kind; no pick radius) and setLine, the one routine through which the modes write lines.
#pragma once

#include <vector>

#include "analysis/results.h"
#include "model/model.h"

namespace keltora {

// The start value of the nearest-candidate searches; the first candidate wins on ties.
inline constexpr double kPickStart = 999999999999.0;

// The used point nearest to p; -1 when there is none.
int pickPoint(const SlopeModel& model, Point2 p);
// The used block whose inner point is nearest to p; -1 when there is none.
int pickBlock(const SlopeModel& model, Point2 p);
// The factor-of-safety label whose circle centre is nearest to p; -1 when there is none.
int pickCentre(const std::vector<SafetyLabel>& labels, Point2 p);

// The squared measure by which pickLineOfKind compares a line with p: the squared distance
// for the point kinds 5 and 6; the squared difference of y for a horizontal limit line
// (kind 3 or 4 from a point to itself); otherwise the squared distance to the foot of the
// perpendicular when it falls on the segment, else to the nearer end point. Negative when
// the line's points are not in use.
double lineMeasure(const SlopeModel& model, const TerrainLine& line, Point2 p);

// Among the used lines of the kind (except `exclude`), the one with the smallest measure;
// -1 when there is none.
int pickLineOfKind(const SlopeModel& model, int kind, Point2 p, int exclude = -1);

// True when point slot n is in use (in range, below the count, number >= 0).
bool pointInUse(const SlopeModel& model, int n);
Point2 pointAt(const SlopeModel& model, int n); // (0, 0) for a slot not in use

// A used point other than `except` within `tolerance` of p in both X and Y; -1 if none.
int pointNear(const SlopeModel& model, Point2 p, double tolerance, int except = -1);

// The used line of this kind joining a and b (in either order), other than `except`; -1.
int findLine(const SlopeModel& model, int kind, int a, int b, int except = -1);

// Writes a line: slot -1 adds it, a slot number replaces that slot. Boundary and uncut
// lines from a point to itself are refused; the point numbers are ordered (start the
// smaller). Adding a duplicate (same kind, start and end) is refused; replacing with a
// duplicate of another line frees the slot. New lines take the first slot whose kind is
// negative or above 6, else the slot at the count, and get draw flag 1.
// Returns 0 when written (or the slot freed), 1 when refused. A full table also refuses and
// explains in *why.
int setLine(SlopeModel& model, int slot, int kind, int a, int b, Message* why = nullptr);

// Whether setLine(-1, kind, a, b) would write, without writing.
bool lineWouldBeAdded(const SlopeModel& model, int kind, int a, int b);

// The first line slot whose kind is negative or above 6, else the slot at the count; none
// when the table is full.
std::optional<int> freeLineSlot(const SlopeModel& model);

} // namespace keltora
