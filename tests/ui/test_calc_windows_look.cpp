// The message window and the result table as the user sees them: every progress line
// fits without clipping, the table of a real section is laid out with readable cells.
// With KELTORA_SCREENSHOT_DIR set, the windows are saved there as PNG files.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>

#include "analysis/calculation.h"
#include "model/c_format.h"
#include "model/sdw_file.h"
#include "test_support.h"
#include "ui/message_window.h"
#include "ui/result_table_dialog.h"
#include "ui_test_support.h"

using namespace keltora;
using namespace keltora::ui;

namespace {

void saveShot(QWidget& w, const char* name)
{
    const QString dir = qEnvironmentVariable("KELTORA_SCREENSHOT_DIR");
    if (dir.isEmpty()) return;
    QApplication::processEvents();
    EXPECT_TRUE(w.grab().save(dir + QLatin1Char('/') + QLatin1String(name))) << name;
}

} // namespace

// The widest lines the searches write (circle grid, Bishop centre line, straight slips),
// with large coordinates: none is cut off.
TEST(CalcWindowsLook, MessageWindowLinesFit)
{
    test::guiApp();
    MessageWindow w;
    const std::string lines[] = {
        cformat("計算次数=%2d    最大次数=%2d   ", 2, 4),
        cformat("円形中心　X =%8.3f ～%8.3f (step%8.3f )   ", -1234.5, 1234.5, 0.25),
        cformat("　　　　　Y =%8.3f ～%8.3f (step%8.3f )   ", -123.25, 9999.0, 0.25),
        cformat("すべり円  (X,Y)=%7.3f,%7.3f R=%7.3f F=%5.3f        ", -123.456, 999.999, 125.5,
                1.234),
        cformat("最小安全率　Ｆｍｉｎ=%8.3f        ", 1.118),
        cformat("　　　　　　　Ｘ，Ｙ=%8.3f,%8.3f        ", -1234.5, 1234.5),
        cformat("　　　　　　　　　Ｒ=%8.3f        ", 125.5),
        cformat("開始位置 (%7.3f,%7.3f)-(%7.3f,%7.3f)   ", -123.456, -12.5, 999.999, 88.0),
    };
    w.begin();
    for (int i = 0; i < 8; ++i)
        w.setLine(i + 1, QString::fromStdString(lines[i]));
    w.setProgress(37, 121);
    QApplication::processEvents();
    for (int i = 1; i <= 8; ++i) {
        auto* label = w.findChild<QLabel*>(QStringLiteral("Label%1").arg(i));
        ASSERT_TRUE(label);
        const int needed = label->fontMetrics().horizontalAdvance(label->text());
        EXPECT_LE(needed, label->contentsRect().width()) << i << " " << lines[i - 1];
    }
    saveShot(w, "message_window.png");
    w.hide();
}

// The result table of an example after its calculation: headers and values are not cut
// (every text fits its column), the window opens at its default size.
TEST(CalcWindowsLook, ResultTableOfAnExample)
{
    test::guiApp();
    test::TempDir dir;
    SlopeModel m;
    resetModel(m);
    ASSERT_EQ(readDataFile(m, test::examplesDir() / "quay_backfill.SDW").status, 0);
    CalcOptions o;
    o.workDir = dir.path();
    const CalculationRun run = calculate(m, o);
    ASSERT_EQ(run.outcome.calcState, kResultsValid);

    ResultTableDialog dialog;
    dialog.setResults(run.results);
    dialog.show();
    QApplication::processEvents();
    QTableWidget* grid = dialog.grid();
    ASSERT_GT(grid->rowCount(), 0);
    for (int c = 0; c < grid->columnCount(); ++c) {
        const QString header = grid->horizontalHeaderItem(c)->text();
        EXPECT_LE(grid->horizontalHeader()->fontMetrics().horizontalAdvance(header) + 4,
                  grid->columnWidth(c))
            << header.toStdString();
        for (int r = 0; r < grid->rowCount(); ++r) {
            const QString text = grid->item(r, c)->text();
            EXPECT_LE(grid->fontMetrics().horizontalAdvance(text) + 4, grid->columnWidth(c))
                << text.toStdString();
        }
    }
    EXPECT_LE(grid->verticalHeader()->fontMetrics().horizontalAdvance(
                  grid->verticalHeaderItem(0)->text()),
              grid->verticalHeader()->width());
    saveShot(dialog, "result_table.png");
    dialog.hide();
}
