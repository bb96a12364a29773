// Building the result table of one search level: distinct x and y lists, the smallest f
// per cell, the exchange sort of the rows and the cell texts.
#include "edit/result_table.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "model/c_format.h"
#include "model/model.h"

namespace keltora {
namespace {

// Two coordinates closer than this are the same column (or row).
constexpr double kSameValue = kTolChanged;

// The index of v in list (the first entry within the tolerance), -1 when new.
int find(const std::vector<double>& list, double v)
{
    for (std::size_t i = 0; i < list.size(); ++i)
        if (std::fabs(list[i] - v) < kSameValue) return static_cast<int>(i);
    return -1;
}

bool full(const std::vector<double>& list)
{
    return list.size() >= static_cast<std::size_t>(kResultTableCapacity);
}

int append(std::vector<double>& list, double v)
{
    list.push_back(v);
    return static_cast<int>(list.size()) - 1;
}

} // namespace

std::vector<int> resultTableLevels(const CalculationResults& results)
{
    std::vector<int> levels;
    for (int k = 1; k <= kMaxGrids; ++k)
        if (!results.tables[static_cast<std::size_t>(k - 1)].empty()) levels.push_back(k);
    return levels;
}

std::string resultTableTabText(int level)
{
    static const char* const texts[] = {"１次格子", "２次格子", "３次格子", "４次格子"};
    if (level < 1 || level > kMaxGrids) return {};
    return texts[level - 1];
}

ResultTable buildResultTable(const std::vector<SlipResult>& records, int level)
{
    ResultTable t;
    t.level = level;
    // Working matrix at full capacity, indexed [x][y] while the lists grow.
    constexpr auto cap = static_cast<std::size_t>(kResultTableCapacity);
    std::vector<double> m(cap * cap, kResultTableEmpty);
    const auto at = [&](int x, int y) -> double& {
        return m[static_cast<std::size_t>(x) * cap + static_cast<std::size_t>(y)];
    };

    const std::size_t n = std::min(records.size(), kGridTableCapacity);
    for (std::size_t i = 0; i < n; ++i) {
        const SlipResult& r = records[i];
        // A record whose x or y has no room is left out whole, so that no list holds a
        // value that no shown cell belongs to.
        int ix = find(t.xs, r.cx);
        int iy = find(t.ys, r.cy);
        if ((ix < 0 && full(t.xs)) || (iy < 0 && full(t.ys))) {
            ++t.recordsLeftOut;
            continue;
        }
        if (ix < 0) ix = append(t.xs, r.cx);
        if (iy < 0) iy = append(t.ys, r.cy);
        double& c = at(ix, iy);
        if (r.f < c) c = r.f;
        if (r.f < t.minimum) {
            t.minimum = r.f;
            t.minimumX = ix;
            t.minimumY = iy;
        }
    }

    // Rows descending by exchange, the matrix and the minimum's row following.
    const int ny = t.rows();
    for (int i = 0; i + 1 < ny; ++i) {
        for (int j = i + 1; j < ny; ++j) {
            if (t.ys[static_cast<std::size_t>(i)] <= t.ys[static_cast<std::size_t>(j)]) {
                std::swap(t.ys[static_cast<std::size_t>(i)], t.ys[static_cast<std::size_t>(j)]);
                for (int x = 0; x < t.columns(); ++x)
                    std::swap(at(x, i), at(x, j));
                if (t.minimumY == i)
                    t.minimumY = j;
                else if (t.minimumY == j)
                    t.minimumY = i;
            }
        }
    }

    t.cells.assign(t.xs.size() * t.ys.size(), kResultTableEmpty);
    for (int y = 0; y < ny; ++y)
        for (int x = 0; x < t.columns(); ++x)
            t.cells[static_cast<std::size_t>(y) * t.xs.size() + static_cast<std::size_t>(x)] =
                at(x, y);
    return t;
}

ResultTable buildResultTable(const CalculationResults& results, int level)
{
    if (level < 1 || level > kMaxGrids) return ResultTable{};
    return buildResultTable(results.tables[static_cast<std::size_t>(level - 1)], level);
}

std::string resultTableCellText(const ResultTable& t, int column, int row)
{
    if (column < 0 || row < 0 || column > t.columns() || row > t.rows()) return {};
    if (column == 0 && row == 0) return kResultTableCornerText;
    if (row == 0) return cformat("%4.3f", t.xs[static_cast<std::size_t>(column - 1)]);
    if (column == 0) return cformat("%4.3f", t.ys[static_cast<std::size_t>(row - 1)]);
    const double v = t.cell(column - 1, row - 1);
    if (!(v <= kResultTableShownLimit)) return kResultTableNoValueText;
    return cformat("%4.3f", v);
}

ResultCellStyle resultTableCellStyle(const ResultTable& t, int column, int row)
{
    if (column == 0 || row == 0) return ResultCellStyle::Header;
    if (t.minimumX >= 0 && column == t.minimumX + 1 && row == t.minimumY + 1)
        return ResultCellStyle::Minimum;
    return ResultCellStyle::Value;
}

} // namespace keltora
