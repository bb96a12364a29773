// The summary at the front of the report: the governing factor of safety and its verdict,
// the conditions, the critical surface with the grid level it was found in, the figure, the
// soil blocks and the slices of the critical mass. Written as one more report data file
// (with a figure record) beside the report data files, so that the command line and the
// report viewer lay it out like every other page.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "analysis/results.h"
#include "model/model.h"
#include "output/figure.h"
#include "output/report_pdt.h"

namespace keltora {

inline constexpr const char* kSummaryFileName = "SB_SUMMARY.PDT";
inline constexpr const char* kSummaryFigureName = "SB_SUMMARY.VOV";
// The factor-of-safety map of the circle methods, on the page after the figure.
inline constexpr const char* kSummaryMapName = "SB_SUMMARY_MAP.VOV";
// Body lines the figure and the map take on the summary pages.
inline constexpr int kSummaryFigureLines = 27;
inline constexpr int kSummaryMapLines = 30;

// Which pages a report holds: everything (the summary, then the check list and the files
// of every level), or the summary with the check list and the minimum files only.
enum class ReportSelection { Full, Summary };

// The words of the grid level the critical result was found in, shared by the summary
// page and `keltora calc`: "第 1 次格子" and, when finer grids ran without a lower
// factor of safety, what they added.
struct GridLevelWords {
    int found = 0;       // level of the critical result (1..4)
    int searched = 0;    // levels that ran
    std::string level;   // "第 1 次格子"
    std::string note;    // Japanese sentence for the summary, empty when found == searched
    std::string english; // the same for the command line, e.g. "found in grid 1; grids 2..3
                         // found no lower F"
};
GridLevelWords gridLevelWords(const CalculationResults& results);

// "OK" or "OUT" of the critical result against the allowable factor of safety (the
// calculation's own verdict), empty without a result.
std::string summaryVerdict(const SlopeModel& model, const CalculationResults& results);

// The records of the summary data file (UTF-8 lines): title and stamp lines, then the
// blocks of our summary forms and the figure record "$G  SB_SUMMARY.VOV  N".
ReportText summaryText(const SlopeModel& model, const CalculationResults& results,
                       const std::string& dataPathWithoutExtension);

// The calculation figure of the summary: the same composition as the plot file.
Figure summaryFigure(const SlopeModel& model, const CalculationResults& results);

// The factor-of-safety map of the summary: empty items for straight slips.
Figure summaryMap(const SlopeModel& model, const CalculationResults& results);

// A figure with filled areas as plot command records: the records of the plot file, the
// pens of the map's layers ("LY" records of layers 17..20) and, in item order among the
// other records, one record per filled area,
// "FP" layer, colour (0xRRGGBB as a decimal number), corner count, then the corners as
// x, y pairs in the plot file's units and sheet position. Only our own files beside the
// report data use it; the plot file of the figure never holds filled areas.
std::string plotBytesWithAreas(const Figure& figure);

// Writes the summary data file, its figure and (circle methods) its map into dir when the
// results are valid; otherwise removes the files of an earlier run. Failures go into log.
void writeReportSummary(const SlopeModel& model, const CalculationResults& results,
                        const std::string& dataPathWithoutExtension,
                        const std::filesystem::path& dir, ReportFileLog& log);

// The data files of a folder to lay out for a selection, in order: the summary (when the
// folder holds one), then the check list and the files of every level (Full), or the
// check list and the minimum files (Summary).
std::vector<std::string> reportFilesForSelection(const std::filesystem::path& folder,
                                                 ReportSelection selection);

} // namespace keltora
