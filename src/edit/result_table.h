// The result table viewer's table without Qt: per search level, the smallest factor of
// safety at each first point (circle centre or line start) as rows of y and columns of x,
// with the level minimum marked.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "analysis/results.h"

namespace keltora {

// A cell without a stored result holds this value and shows kResultTableNoValueText.
inline constexpr double kResultTableEmpty = 99999.9;
// Values above this show as "no result".
inline constexpr double kResultTableShownLimit = 99999.0;
inline constexpr const char* kResultTableNoValueText = "－－－";
inline constexpr const char* kResultTableCornerText = "Ｙ＼Ｘ";
// Largest number of distinct x (and of distinct y) values of one level's table.
inline constexpr int kResultTableCapacity = 100;

struct ResultTable {
    int level = 0;             // 1..4
    std::vector<double> xs;    // columns, in the order the search first stored them
    std::vector<double> ys;    // rows, descending
    std::vector<double> cells; // xs.size() * ys.size(), cells[y * xs.size() + x]
    double minimum = kResultTableEmpty;
    int minimumX = -1, minimumY = -1; // the minimum's cell; -1 when no value is below empty
    // Records left out because their x or y would have been value number 101 or later.
    std::size_t recordsLeftOut = 0;

    int columns() const { return static_cast<int>(xs.size()); }
    int rows() const { return static_cast<int>(ys.size()); }
    double cell(int x, int y) const
    {
        return cells[static_cast<std::size_t>(y) * xs.size() + static_cast<std::size_t>(x)];
    }
};

// The levels (1..4) that have at least one stored record, in order: one tab each.
std::vector<int> resultTableLevels(const CalculationResults& results);

// The tab text of a level: "１次格子" .. "４次格子".
std::string resultTableTabText(int level);

// Builds the table of one level from its stored records in storage order (at most as many
// as the result tables can show). Two x (or y) values are the same when they differ by
// less than 1e-7; a cell keeps the smallest f; the first of equal minima is the minimum.
ResultTable buildResultTable(const std::vector<SlipResult>& records, int level);
ResultTable buildResultTable(const CalculationResults& results, int level);

// The text of a grid cell: column 0 and row 0 are the headers ("Ｙ＼Ｘ" in the corner,
// x and y values "%4.3f"); body cells show "%4.3f" or "－－－".
std::string resultTableCellText(const ResultTable& table, int column, int row);

enum class ResultCellStyle { Header, Value, Minimum };
ResultCellStyle resultTableCellStyle(const ResultTable& table, int column, int row);

} // namespace keltora
