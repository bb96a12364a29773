// The calculation command: checks the search settings, prepares the block polygons, runs
// the method's search, builds the critical result and the label list, stamps the date and
// time and ends with the verdict against the allowable factor of safety. The run reads the
// model only; what it leaves for the document (results, results-valid flag, time stamp) is
// handed back and written by a separate apply step, so that it can run on a worker thread.
#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "analysis/circle_evaluator.h"
#include "analysis/circle_search.h"
#include "analysis/observer.h"
#include "analysis/results.h"
#include "geometry/block_polygons.h"
#include "model/document.h"
#include "model/message.h"
#include "model/model.h"

namespace keltora {

// Builds the per-circle evaluation of a circular method for one run.
using CircleEvaluatorFactory = std::function<std::unique_ptr<CircleEvaluator>(
    const SlopeModel& model, const PolygonTable& polygons)>;
// The sheet pile resisting moment (kNm/m) of the circle (cx, cy, rr).
using SheetPileMomentFunction =
    std::function<double(const SlopeModel& model, double cx, double cy, double rr)>;

struct CalcOptions {
    std::filesystem::path workDir; // the start directory: dump files go here; empty = "."
    int threads = 0;               // 0 = all cores, 1 = serial
    std::optional<std::tm> now;    // the time stamped into the document; empty = the clock
    // The per-circle evaluation and the sheet pile moment; empty = the program's own.
    CircleEvaluatorFactory circleEvaluator;
    SheetPileMomentFunction sheetPileMoment;
    double maxCirclesPerGrid = kMaxCirclesPerGrid;
};

enum class Verdict { None, Ok, Out };

// The calculation date (two-digit year, month, day) and time (hour, minute, second) as the
// model stores them in calcDate and calcTime.
struct CalcStamp {
    std::array<int32_t, 3> date{};
    std::array<int32_t, 3> time{};
};

struct CalcOutcome {
    int status = 0;                  // 0 = the search ran (with or without a result), -1 = refused
    Verdict verdict = Verdict::None; // None: no result (nothing stored, aborted, refused)
    MessageList messages;            // in the order they are to be shown; the verdict last
    int calcState = kResultsNone;    // the results-valid flag the run leaves in the model
    std::optional<CalcStamp> stamp;  // the run's date and time; empty when it was refused
};

// A finished run: its outcome and its results (never null), ready to be applied.
struct CalculationRun {
    CalcOutcome outcome;
    std::shared_ptr<CalculationResults> results;
};

// The calculation of the model's method, reading the model only: replaces `results` and
// returns the outcome with the results-valid flag and the time stamp. Never throws.
CalcOutcome calculate(const SlopeModel& model, CalculationResults& results,
                      const CalcOptions& options, CalculationObserver* observer = nullptr);
CalculationRun calculate(const SlopeModel& model, const CalcOptions& options,
                         CalculationObserver* observer = nullptr);

// Writes what a run leaves in the model: calcState, and calcDate / calcTime when stamped.
void applyCalculation(const CalcOutcome& outcome, SlopeModel& model);
// The same into a document, together with the run's results, in one step.
void applyCalculation(const CalculationRun& run, Document& document);

// The command: calculate, then apply to the model. Replaces `results`; sets
// model.calcState to the results-valid flag and stamps calcDate / calcTime. Never throws.
CalcOutcome runCalculation(SlopeModel& model, CalculationResults& results,
                           const CalcOptions& options, CalculationObserver* observer = nullptr);

// The command on the document: runs its model's calculation with the dumps in its start
// directory (unless options.workDir says otherwise); the new results replace the
// document's.
CalcOutcome runCalculation(Document& document, const CalcOptions& options,
                           CalculationObserver* observer = nullptr);

// The circular run of method codes 0 and 1.
CalcOutcome runCircular(const SlopeModel& model, CalculationResults& results,
                        const CalcOptions& options, CalculationObserver* observer = nullptr);

// The guard on the section's own values, run before every method: refuses a point,
// soil value, load, reference line, sheet pile value or allowable factor that is not a
// number or beyond 1e9 in magnitude (naming the point or block), and factor-of-safety
// decimals outside 0..10. Nothing when every value can be calculated with.
std::optional<Message> checkModelValues(const SlopeModel& model);

// The setting guards of a circle search, in their order; nothing when the settings can
// run. Also refuses non-finite values and a first grid of more than maxCircles circles.
std::optional<Message> checkCircleSettings(const CircleSearchSettings& settings,
                                           double maxCircles = kMaxCirclesPerGrid);

// Rebuilds the critical result (with the sheet pile moment and the recomputed f) and the
// label list from the result tables. Returns the number of labels; 0 and no critical
// result unless the results-valid flag is 1.
int collectResults(const SlopeModel& model, CalculationResults& results,
                   const SheetPileMomentFunction& sheetPileMoment);

// The end of every run after its search: the date and time stamp and the results-valid
// flag into the outcome, the critical result and labels, the verdict message.
void concludeRun(const SlopeModel& model, CalculationResults& results, const CalcOptions& options,
                 CalcOutcome& outcome);

} // namespace keltora
