// The report data files of a calculation: per grid level the result list, the
// factor-of-safety list with its generated forms (circular methods) and the minimum file.
#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "analysis/results.h"
#include "analysis/slip_result.h"
#include "model/model.h"
#include "output/report_pdt.h"

namespace keltora {

// What the report writers read of a calculation. For straight slips cx, cy of a record
// hold the start point, rr the slip angle, and the sums are forces.
struct ReportInput {
    const SlopeModel* model = nullptr;             // conditions, settings, title, date and time
    bool resultsValid = false;                     // the last calculation finished with results
    std::array<std::vector<SlipResult>, 4> levels; // stored masses of grid levels 1..4
    std::string dataPathWithoutExtension;          // UTF-8; empty for an untitled document
    // The whole run, for the summary pages in front of the report (none without it).
    const CalculationResults* results = nullptr;
};

// Largest number of distinct centre X (or Y) values of one level's factor-of-safety table.
inline constexpr int kFsTableCapacity = 100;

struct ReportOutcome {
    // 0 = the result files were written, 1 = no valid results (only the deletions ran),
    // -1 = no level holds a result ("maxdims < 1") or the method code is unknown.
    int status = 0;
    ReportFileLog log;
};

// The report input of a finished calculation: each grid's table as far as the result
// table can show it (kGridTableCapacity records).
ReportInput reportInputFrom(const SlopeModel& model, const CalculationResults& results,
                            std::string dataPathWithoutExtension);

// Deletes the report files of an earlier run in dir, then writes this run's files there.
ReportOutcome writeReportData(const ReportInput& input, const std::filesystem::path& dir);

// The names deleted before every report: twelve data files, then 72 generated forms.
std::vector<std::string> staleReportFileNames();

} // namespace keltora
