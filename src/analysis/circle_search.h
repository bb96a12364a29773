// The search for the critical slip circle: grids of centres (extended while the minimum
// lies on an edge, then refined), the radius range of each centre, the store of the
// masses found and the per-grid dump files answer1.dmp .. answer4.dmp.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "analysis/circle_evaluator.h"
#include "analysis/dump_file.h"
#include "analysis/observer.h"
#include "analysis/results.h"
#include "model/message.h"
#include "model/model.h"

namespace keltora {

// A grid computation that would evaluate more circles than this is refused: it would not
// finish in any useful time.
inline constexpr double kMaxCirclesPerGrid = 1e8;
// The whole search (extensions included) stops extending beyond this many circles, so
// that a minimum that keeps moving outwards cannot keep the search going for hours.
inline constexpr double kMaxCirclesPerSearch = 3e8;

// The dump lines of one stored mass (each ending in "\n"; the file gets CR LF).
using DumpRecordFormatter = std::string (*)(const SlipResult&);
// The same bytes with CR LF, appended without printf; false (nothing appended) for a
// value it cannot format, and the formatter is used instead.
using DumpRecordAppender = bool (*)(std::string&, const SlipResult&);

// Appends the dump lines of a stored mass with CR LF line ends: the bytes of
// formatDumpRecord, formatted without the C library's printf (the search writes tens of
// thousands of them). Returns false, appending nothing, for a value it cannot format
// (NaN, infinite or |v| >= 1e12); the caller then uses formatDumpRecord.
bool appendDumpRecord(std::string& out, const SlipResult& record);
// The same record with the mry column (withMry) or with that column left blank (the Bishop
// dump's layout); appendDumpRecord and appendBishopRecord are its two uses.
bool appendMassRecord(std::string& out, const SlipResult& record, bool withMry);

struct CircleSearchOptions {
    std::filesystem::path workDir; // where the dump files go; empty = current folder
    int threads = 0;               // 0 = all cores, 1 = serial
    DumpRecordFormatter formatRecord = formatDumpRecord;
    // Must write formatRecord's bytes (with CR LF); null: formatRecord alone.
    DumpRecordAppender appendRecord = appendDumpRecord;
    // Show "すべり円  (X,Y)=..." on line 4 at every centre (the Bishop search does).
    bool showCentreLine = false;
    double maxCirclesPerGrid = kMaxCirclesPerGrid;
    double maxCirclesPerSearch = kMaxCirclesPerSearch;
};

struct RadiusRange {
    double rmin = 0.0, rmax = 0.0, dr = 0.0;
};

// The radius range of centre (cx, cy): the settings' range narrowed by the arc-limit
// lines and points of the model (small ones raise Rmin, large ones lower Rmax).
RadiusRange radiusRange(const SlopeModel& model, const Range3& radius, double cx, double cy);

// The radii evaluated for a range: multiples of the alignment unit of dr, clamped to
// [rmin, rmax] (so a limit may appear twice); empty when rmin > rmax + 0.0001. At most
// `limit` values are produced (a range that would give more yields nothing and *tooMany).
std::vector<double> alignedRadii(const RadiusRange& range, std::size_t limit = 100000000,
                                 bool* tooMany = nullptr);

// Centre coordinates from `from` while below `to` + 0.001 in steps of `step` (ascending),
// or from `to` while above `from` - 0.001 (descending). Nothing, and *tooMany, when more
// than `limit` values would result or the step does not advance the value.
std::vector<double> gridValues(double from, double to, double step, bool descending,
                               std::size_t limit, bool* tooMany);

// An upper bound of the circles of one grid computation (inf for a hopeless grid).
double estimateCircles(const SearchGrid& grid, const Range3& radius);

// The working grid at the start of a search: the settings with 0.00001 added to the four
// limits.
SearchGrid initialGrid(const CircleSearchSettings& settings);

// Whether the mass store keeps a mass: f within the maximum factor of safety and at least
// one slice. Independent of the order of the masses.
bool massIsKept(const SlipResult& record, double maxSafetyFactor);

// The strict-minimum rule: takes the mass when its f is strictly below the minimum's.
bool updateMinimum(GridMinimum& minimum, const EvaluatedMass& mass);

// Runs the search with the given settings and per-circle evaluation. Replaces `results`:
// fills the tables, minima and grids and the validFlag (1 once a mass is stored, -1 on abort).
// Returns 0 when the search ended, -1 when it was aborted. Problems the user must know
// about (an unwritable dump file, a stopped extension, a table beyond what the result
// table shows) are appended to `messages`; the search still ends cleanly.
int runCircleSearch(const SlopeModel& model, const CircleSearchSettings& settings,
                    const CircleEvaluator& evaluator, const CircleSearchOptions& options,
                    CalculationResults& results, CalculationObserver* observer,
                    MessageList& messages);

} // namespace keltora
