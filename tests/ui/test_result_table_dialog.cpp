// The result table viewer on a known four-grid search: one tab per grid, the cell texts,
// the red minimum and the blue other cells, headers, and the remembered window size.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTableWidget>
#include <QTest>
#include <cmath>

#include "analysis/calculation.h"
#include "analysis/test_search_fake.h"
#include "model/c_format.h"
#include "test_support.h"
#include "ui/result_table_dialog.h"
#include "ui_test_support.h"

using namespace keltora;
using namespace keltora::ui;

namespace {

// f of a circle: a bowl around (3.3, 7.6) that grows with the radius, so every centre's
// smallest f is that of its smallest radius, and each finer grid closes in on the bowl.
double bowl(double cx, double cy, double rr)
{
    return 1.1 + 0.05 * std::hypot(cx - 3.3, cy - 7.6) + 0.001 * rr;
}

std::shared_ptr<const CalculationResults> fourGridSearch(const std::filesystem::path& dir)
{
    SlopeModel m;
    resetModel(m);
    m.felleniusCircle.centreX = {0, 6, 1};
    m.felleniusCircle.centreY = {5, 10, 1};
    m.felleniusCircle.radius = {4, 6, 1};
    m.felleniusCircle.finestGrid = 4;
    CalcOptions o;
    o.workDir = dir;
    o.now = std::tm{};
    o.circleEvaluator = [](const SlopeModel&, const PolygonTable&) {
        return std::make_unique<test::FakeEvaluator>(
            [](double cx, double cy, double rr, int) { return bowl(cx, cy, rr); });
    };
    CalculationRun run = calculate(m, o);
    EXPECT_EQ(run.outcome.verdict, Verdict::Ok);
    return run.results;
}

} // namespace

TEST(ResultTableDialog, KnownFourGridSearch)
{
    test::guiApp();
    test::TempDir dir;
    const auto results = fourGridSearch(dir.path());
    ASSERT_EQ(results->gridsRun, 4);

    ResultTableDialog dialog;
    EXPECT_EQ(dialog.objectName(), "TAns_Frm");
    EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("計算結果表示"));
    auto* close = dialog.findChild<QPushButton*>("Button1");
    ASSERT_TRUE(close);
    EXPECT_EQ(close->text(), QString::fromUtf8("閉じる"));
    ASSERT_TRUE(dialog.findChild<QTabBar*>("TabControl1"));
    QTableWidget* grid = dialog.findChild<QTableWidget*>("StringGrid1");
    ASSERT_TRUE(grid);

    dialog.setResults(results);
    QTabBar* tabs = dialog.tabBar();
    ASSERT_EQ(tabs->count(), 4);
    EXPECT_EQ(tabs->tabText(0), QString::fromUtf8("１次格子"));
    EXPECT_EQ(tabs->tabText(3), QString::fromUtf8("４次格子"));

    // Level 1: centres X 0..6, Y 5..10 at 1 m; x left to right ascending, y top down
    // descending; each cell holds the smallest f (radius 4); the minimum at (3, 8):
    // 1.1 + 0.05 * hypot(0.3, 0.4) + 0.004 = 1.129.
    EXPECT_EQ(grid->columnCount(), 7);
    EXPECT_EQ(grid->rowCount(), 6);
    EXPECT_EQ(grid->horizontalHeaderItem(0)->text(), "0.000");
    EXPECT_EQ(grid->horizontalHeaderItem(6)->text(), "6.000");
    EXPECT_EQ(grid->verticalHeaderItem(0)->text(), "10.000");
    EXPECT_EQ(grid->verticalHeaderItem(5)->text(), "5.000");
    EXPECT_EQ(grid->item(2, 3)->text(), "1.129");
    EXPECT_EQ(grid->item(2, 3)->foreground().color(), QColor(255, 0, 0));
    // (0, 10): 1.1 + 0.05 * hypot(3.3, 2.4) + 0.004 = 1.30802..
    EXPECT_EQ(grid->item(0, 0)->text(), "1.308");
    EXPECT_EQ(grid->item(0, 0)->foreground().color(), QColor(0, 0, 255));
    EXPECT_EQ(grid->item(0, 0)->background().color(), QColor(Qt::white));
    EXPECT_TRUE(grid->item(0, 0)->textAlignment() & Qt::AlignRight);
    EXPECT_TRUE(grid->horizontalHeaderItem(0)->textAlignment() & Qt::AlignHCenter);

    // Every level: every cell as the table rules give it, exactly one red cell, at the
    // level's minimum, which is the grid minimum of the search.
    for (int tab = 0; tab < 4; ++tab) {
        SCOPED_TRACE(tab);
        dialog.selectTab(tab);
        const ResultTable& t = dialog.table();
        EXPECT_EQ(t.level, tab + 1);
        ASSERT_EQ(grid->columnCount(), t.columns());
        ASSERT_EQ(grid->rowCount(), t.rows());
        EXPECT_GE(t.columns(), 3);
        int red = 0;
        for (int r = 0; r < grid->rowCount(); ++r) {
            const double y = grid->verticalHeaderItem(r)->text().toDouble();
            if (r > 0) {
                EXPECT_LT(y, grid->verticalHeaderItem(r - 1)->text().toDouble());
            }
            for (int c = 0; c < grid->columnCount(); ++c) {
                const double x = grid->horizontalHeaderItem(c)->text().toDouble();
                const QTableWidgetItem* item = grid->item(r, c);
                ASSERT_TRUE(item);
                EXPECT_EQ(item->text().toStdString(), resultTableCellText(t, c + 1, r + 1));
                if (item->text() != QString::fromUtf8("－－－")) {
                    EXPECT_NEAR(item->text().toDouble(), bowl(x, y, 4.0), 0.0011);
                }
                if (item->foreground().color() == QColor(255, 0, 0)) {
                    ++red;
                    EXPECT_EQ(item->text().toStdString(),
                              cformat("%4.3f", results->minima[static_cast<std::size_t>(tab)].f));
                }
            }
        }
        EXPECT_EQ(red, 1);
    }
    // The finest grid closes in on the bowl's centre.
    const GridMinimum& finest = results->minima[3];
    EXPECT_NEAR(finest.cx, 3.3, 0.2);
    EXPECT_NEAR(finest.cy, 7.6, 0.2);
}

TEST(ResultTableDialog, NoResultsAndTheWindowSize)
{
    test::guiApp();
    ResultTableDialog dialog;
    dialog.setResults(std::make_shared<CalculationResults>());
    EXPECT_EQ(dialog.tabBar()->count(), 0);
    EXPECT_EQ(dialog.grid()->rowCount(), 0);
    dialog.setResults(nullptr);
    EXPECT_EQ(dialog.grid()->columnCount(), 0);

    // Resizing the open window reports the size to remember.
    QSignalSpy sizes(&dialog, &ResultTableDialog::sizeChanged);
    dialog.show();
    dialog.resize(700, 500);
    QApplication::processEvents();
    ASSERT_GE(sizes.count(), 1);
    EXPECT_EQ(sizes.last().at(0).toSize(), QSize(700, 500));
    dialog.hide();
}
