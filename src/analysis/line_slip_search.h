// The searches for the critical straight slip line: over a range of angles from a start
// point (method 3) and over the pairs of points of a start and an end segment (method 5),
// each with an optional finer second level; and the run of both methods.
#pragma once

#include <filesystem>
#include <optional>
#include <vector>

#include "analysis/calculation.h"
#include "analysis/line_slip.h"
#include "analysis/observer.h"
#include "analysis/results.h"
#include "model/message.h"
#include "model/model.h"

namespace keltora {

// A level that would evaluate more lines than this is refused (each line is held in memory
// while the level runs, and it would not finish in any useful time).
inline constexpr double kMaxLinesPerLevel = 1e6;

// The working angle range of method 3 and the sense of its lines.
struct AngleRange {
    double amin = 0, amax = 0, step = 0;
    int slipSign = -1;
};

// The settings' range narrowed by the arc-limit lines and points: the direction of the
// nearest small limit (counter-clockwise from the right, folded to the acute angle with
// the horizontal) raises the first angle, that of the large limit lowers the last and
// decides the sense of the lines.
AngleRange angleRange(const SlopeModel& model, double x0, double y0);

// The angles one level evaluates: multiples of the step from floor(amin/step) to
// ceil(amax/step), clamped to [amin, amax]; nothing when amin > amax + 0.0001.
std::vector<double> levelAngles(double amin, double amax, double step);

// The points of a segment divided at `pitch`: n = floor(|B - A| / pitch) + 1 intervals,
// n + 1 points from A to B. Empty for a pitch that is not positive or too many points.
std::vector<Point2> segmentPoints(Point2 a, Point2 b, double pitch, std::size_t limit);

struct LineSearchOptions {
    std::filesystem::path workDir; // where the dump files go; empty = current folder
    int threads = 0;               // 0 = all cores, 1 = serial
};

// The search of method 3 / method 5: fills the level tables and minima of `results` (the
// level of a line is its grid number), writes answer1.dmp .. per level, sends the message
// lines to the observer and asks it once per line whether to abort. Lines are evaluated
// in parallel and stored in their serial order. Returns 0, or -1 when aborted.
int searchLinesByAngle(const SlopeModel& model, const LineSection& section,
                       const LineSearchOptions& options, CalculationResults& results,
                       CalculationObserver* observer, MessageList& messages);
int searchLinesBySegments(const SlopeModel& model, const LineSection& section,
                          const LineSearchOptions& options, CalculationResults& results,
                          CalculationObserver* observer, MessageList& messages);

// The setting guards of method 3 or 5, in their order; nothing when the settings can run.
std::optional<Message> checkLineSettings(const SlopeModel& model,
                                         double maxLines = kMaxLinesPerLevel);

// The run of method codes 3 and 5: guards, block polygons, search, the critical result
// (without any sheet pile moment: mry stays 0 for straight lines) and the verdict.
CalcOutcome runStraightSlip(const SlopeModel& model, CalculationResults& results,
                            const CalcOptions& options, CalculationObserver* observer = nullptr);

} // namespace keltora
