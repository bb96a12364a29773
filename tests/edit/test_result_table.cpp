// The result table: columns in search order, rows descending, the smallest f per cell,
// "no result" cells, the first minimum, the sameness tolerance and the 100-value limit.
#include <gtest/gtest.h>

#include "edit/result_table.h"

using namespace keltora;

namespace {

SlipResult rec(double cx, double cy, double f, double rr = 5.0)
{
    SlipResult r;
    r.grid = 1;
    r.cx = cx;
    r.cy = cy;
    r.rr = rr;
    r.f = f;
    return r;
}

std::vector<std::string> row(const ResultTable& t, int r)
{
    std::vector<std::string> out;
    for (int c = 0; c <= t.columns(); ++c)
        out.push_back(resultTableCellText(t, c, r));
    return out;
}

} // namespace

// A 3 x 3 circle grid stored as the search stores it (x outer, y inner, ascending), with
// two radii per centre and one centre without any stored circle.
TEST(ResultTable, GridOfCentres)
{
    std::vector<SlipResult> records;
    for (double x : {10.0, 11.0, 12.0})
        for (double y : {20.0, 21.0, 22.0}) {
            if (x == 11.0 && y == 22.0) continue; // every circle above the maximum F
            const double base = 1.0 + 0.1 * (x - 10.0) + 0.01 * (y - 20.0);
            records.push_back(rec(x, y, base + 0.5, 5.0));
            records.push_back(rec(x, y, base, 6.0)); // the smaller second radius wins
        }
    const ResultTable t = buildResultTable(records, 1);
    ASSERT_EQ(t.columns(), 3);
    ASSERT_EQ(t.rows(), 3);
    EXPECT_EQ(row(t, 0), (std::vector<std::string>{"Ｙ＼Ｘ", "10.000", "11.000", "12.000"}));
    EXPECT_EQ(row(t, 1), (std::vector<std::string>{"22.000", "1.020", "－－－", "1.220"}));
    EXPECT_EQ(row(t, 2), (std::vector<std::string>{"21.000", "1.010", "1.110", "1.210"}));
    EXPECT_EQ(row(t, 3), (std::vector<std::string>{"20.000", "1.000", "1.100", "1.200"}));
    // The minimum 1.000 at (10, 20): after the sort, bottom left.
    EXPECT_DOUBLE_EQ(t.minimum, 1.0);
    EXPECT_EQ(resultTableCellStyle(t, 1, 3), ResultCellStyle::Minimum);
    EXPECT_EQ(resultTableCellStyle(t, 1, 2), ResultCellStyle::Value);
    EXPECT_EQ(resultTableCellStyle(t, 0, 3), ResultCellStyle::Header);
    EXPECT_EQ(resultTableCellStyle(t, 1, 0), ResultCellStyle::Header);
    EXPECT_EQ(t.recordsLeftOut, 0u);
    // Outside the grid: no text.
    EXPECT_EQ(resultTableCellText(t, 4, 0), "");
    EXPECT_EQ(resultTableCellText(t, -1, 0), "");
}

// Columns keep the order in which the search first stored them (not sorted); rows are
// sorted descending whatever their order; the minimum's row follows the sort.
TEST(ResultTable, ColumnsInStorageOrderRowsDescending)
{
    const std::vector<SlipResult> records = {rec(3, 1, 2.0), rec(-1, 5, 1.8), rec(3, 9, 1.5),
                                             rec(2, -4, 1.7), rec(-1, 1, 1.9)};
    const ResultTable t = buildResultTable(records, 2);
    EXPECT_EQ(t.level, 2);
    EXPECT_EQ(t.xs, (std::vector<double>{3, -1, 2}));
    EXPECT_EQ(t.ys, (std::vector<double>{9, 5, 1, -4}));
    EXPECT_EQ(resultTableCellText(t, 1, 1), "1.500");
    EXPECT_EQ(resultTableCellStyle(t, 1, 1), ResultCellStyle::Minimum);
    EXPECT_EQ(resultTableCellText(t, 2, 3), "1.900");
    EXPECT_EQ(resultTableCellText(t, 3, 4), "1.700");
    EXPECT_EQ(resultTableCellText(t, 3, 1), "－－－");
    EXPECT_EQ(resultTableCellText(t, 0, 4), "-4.000");
}

// One centre for every record (a straight slip from one start point over its angles):
// a single body cell with the minimum over all of them.
TEST(ResultTable, OneCentreOneCell)
{
    const ResultTable t =
        buildResultTable({rec(4, 7, 1.31, 30), rec(4, 7, 1.27, 35), rec(4, 7, 1.29, 40)}, 1);
    ASSERT_EQ(t.columns(), 1);
    ASSERT_EQ(t.rows(), 1);
    EXPECT_EQ(resultTableCellText(t, 1, 1), "1.270");
    EXPECT_EQ(resultTableCellStyle(t, 1, 1), ResultCellStyle::Minimum);
}

// Values closer than 1e-7 fall into one cell (the first value names it); 2e-7 apart
// are two columns. Of equal minima the first stored is the red one, even when a later
// one lands in a higher row.
TEST(ResultTable, SamenessAndTheFirstMinimum)
{
    ResultTable t = buildResultTable({rec(1, 1, 1.4), rec(1 + 5e-8, 1 - 5e-8, 1.3)}, 1);
    EXPECT_EQ(t.columns(), 1);
    EXPECT_EQ(t.rows(), 1);
    EXPECT_EQ(resultTableCellText(t, 1, 1), "1.300");
    EXPECT_EQ(resultTableCellText(t, 1, 0), "1.000");

    t = buildResultTable({rec(1, 1, 1.4), rec(1 + 2e-7, 1, 1.3)}, 1);
    EXPECT_EQ(t.columns(), 2);

    t = buildResultTable({rec(1, 1, 1.2), rec(2, 3, 1.2), rec(1, 3, 1.25)}, 1);
    EXPECT_EQ(t.minimumX, 0);
    EXPECT_EQ(t.minimumY, 1); // y = 1 is the lower row after the sort
    EXPECT_EQ(resultTableCellStyle(t, 1, 2), ResultCellStyle::Minimum);
    EXPECT_EQ(resultTableCellStyle(t, 2, 1), ResultCellStyle::Value);
}

// A stored "no factor of safety" (999999.9) shows as no result and is never the minimum;
// a level of only such records has no red cell.
TEST(ResultTable, NoFactorOfSafety)
{
    const ResultTable t = buildResultTable({rec(0, 0, kNoSafetyFactor)}, 1);
    EXPECT_EQ(resultTableCellText(t, 1, 1), "－－－");
    EXPECT_EQ(t.minimumX, -1);
    EXPECT_EQ(resultTableCellStyle(t, 1, 1), ResultCellStyle::Value);
    // 99999.0 still shows; above it does not.
    EXPECT_EQ(resultTableCellText(buildResultTable({rec(0, 0, 99999.0)}, 1), 1, 1), "99999.000");
    EXPECT_EQ(resultTableCellText(buildResultTable({rec(0, 0, 99999.05)}, 1), 1, 1), "－－－");
}

// More than 100 distinct x (or y) values: the records of the 101st value on are left out
// and counted, the rest of the table stays correct, the minimum is among the shown cells.
TEST(ResultTable, MoreThanAHundredValues)
{
    std::vector<SlipResult> records;
    for (int i = 0; i < 150; ++i)
        records.push_back(rec(i, 0, 2.0 - i * 0.001)); // the smallest f lies beyond column 100
    records.push_back(rec(5, 0, 0.5));                 // an existing column still counts
    ResultTable t = buildResultTable(records, 1);
    EXPECT_EQ(t.columns(), 100);
    EXPECT_EQ(t.rows(), 1);
    EXPECT_EQ(t.recordsLeftOut, 50u);
    EXPECT_EQ(resultTableCellText(t, 100, 0), "99.000");
    EXPECT_EQ(resultTableCellText(t, 6, 1), "0.500");
    EXPECT_EQ(resultTableCellStyle(t, 6, 1), ResultCellStyle::Minimum);

    records.clear();
    for (int i = 0; i < 120; ++i)
        records.push_back(rec(0, i, 1.0 + i));
    records.push_back(rec(1, 119, 1.0)); // a new x with a y that has no room: left out
    t = buildResultTable(records, 1);
    EXPECT_EQ(t.rows(), 100);
    EXPECT_EQ(t.columns(), 1);
    EXPECT_EQ(t.recordsLeftOut, 21u);
    EXPECT_EQ(resultTableCellText(t, 0, 1), "99.000");
    EXPECT_EQ(resultTableCellText(t, 1, 100), "1.000");
}

TEST(ResultTable, LevelsAndTabs)
{
    CalculationResults r;
    EXPECT_TRUE(resultTableLevels(r).empty());
    r.tables[0] = {rec(1, 1, 1.5)};
    r.tables[2] = {rec(1, 1, 1.4)};
    EXPECT_EQ(resultTableLevels(r), (std::vector<int>{1, 3}));
    EXPECT_EQ(resultTableTabText(1), "１次格子");
    EXPECT_EQ(resultTableTabText(4), "４次格子");
    EXPECT_EQ(resultTableTabText(5), "");
    EXPECT_EQ(buildResultTable(r, 3).level, 3);
    EXPECT_EQ(buildResultTable(r, 2).columns(), 0);
    EXPECT_EQ(buildResultTable(r, 0).columns(), 0);
    EXPECT_EQ(resultTableCellText(buildResultTable(r, 2), 0, 0), "Ｙ＼Ｘ");
}
