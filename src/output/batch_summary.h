// The summary of a batch of calculations (`keltora calc A.SDW B.SDW ... --summary`): one
// row per section file, written as CSV or JSON.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "analysis/slip_result.h"

namespace keltora {

struct CalculationResults;

// One section file of a batch. A file that could not be read or calculated keeps its
// error and no factor of safety.
struct BatchRow {
    std::string file; // as given on the command line, made absolute
    int method = -1;  // SlipMethod code; -1 when the file could not be read
    bool hasResult = false;
    double f = kNoSafetyFactor; // the governing factor of safety (truncated as printed)
    double allowable = 0.0;     // the allowable factor of safety of the section
    std::string verdict;        // "OK", "OUT" or empty (no result)
    bool line = false;          // straight slip: x, y start point, angle in degrees
    double x = 0.0, y = 0.0;    // circle centre or start point of the line
    double radius = 0.0;        // circle radius
    double angle = 0.0;         // slip angle of a straight line (degrees)
    bool hasEnd = false;        // a line between segments: its end point
    double endX = 0.0, endY = 0.0;
    int grid = 0;                      // grid level (1..4) the governing result was found in
    int gridsSearched = 0;             // grid levels that ran
    double seconds = 0.0;              // wall time of the calculation
    int exitCode = 2;                  // that of `keltora calc` for this file alone
    int decimals = 3;                  // decimals of the factor of safety
    std::vector<std::string> warnings; // read warnings, meaningless values, run messages
    std::string error;                 // why there is no result (empty when there is one)
};

// The method's name as the figure title and the report name it ("修正フェレニウス法").
std::string methodName(int method);

// The row of a finished calculation (the caller fills file, seconds, warnings, error and
// the exit code).
void fillBatchResult(BatchRow& row, int method, double allowable, int decimals,
                     const CalculationResults& results);

// The summary as CSV (RFC 4180: a header line, one line per file, CR LF, UTF-8 with a
// byte order mark so that spreadsheet programs read the Japanese texts) or as JSON
// (UTF-8, an object with a "files" array). Numbers in the C locale.
std::string batchCsv(const std::vector<BatchRow>& rows);
std::string batchJson(const std::vector<BatchRow>& rows);

// Which of the two a summary file name asks for: by its extension (".csv" or ".json",
// any case); nothing for another extension.
enum class BatchFormat { Csv, Json };
std::optional<BatchFormat> batchFormatOf(const std::filesystem::path& file);

} // namespace keltora
