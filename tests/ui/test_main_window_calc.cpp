// The calculation commands in the main window: a calculation on the worker thread
// completed and aborted (results, flag, stamp and messages in the document, the commands
// locked meanwhile), the result table with its remembered size, the figure and the report.
#include <gtest/gtest.h>

#include <QAction>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTableWidget>
#include <QTimer>
#include <cstdlib>

#include "analysis/results.h"
#include "ui/calculation_commands.h"
#include "ui/message_window.h"
#include "ui/result_table_dialog.h"
#include "ui_test_support.h"

namespace keltora {
namespace {

using test::WindowFixture;
namespace fs = std::filesystem;

ui::CalculationCommands& commandsOf(ui::MainWindow& w)
{
    auto* c = w.findChild<ui::CalculationCommands*>();
    EXPECT_NE(c, nullptr);
    return *c;
}

// Opens an example in the window's start directory.
void openExample(WindowFixture& f, const char* example)
{
    const fs::path path = f.copyExample(example, "section.SDW");
    ASSERT_TRUE(f.window->openFile(QString::fromStdString(path.string())));
}

TEST(MainWindowCalc, CalculationCompletesOnTheWorkerThread)
{
    WindowFixture f;
    ui::MainWindow& w = *f.window;
    openExample(f, "quay_backfill.SDW");
    ui::CalculationCommands& calc = commandsOf(w);
    QAction* run = w.action(QStringLiteral("CalRun"));
    ASSERT_TRUE(run->isEnabled());
    EXPECT_TRUE(run->statusTip().isEmpty());

    QSignalSpy done(&calc, &ui::CalculationCommands::calculationFinished);
    run->trigger();
    // Running: the message window is up and modal, commands that change the model are
    // locked, the view commands are not; the document has no results meanwhile.
    ASSERT_TRUE(calc.isCalculating());
    EXPECT_TRUE(calc.messageWindow().isVisible());
    EXPECT_TRUE(calc.messageWindow().isModal() ||
                calc.messageWindow().windowModality() != Qt::NonModal);
    for (const char* name :
         {"CalRun", "Save", "SaveAs", "Open", "New_Data", "Kekka", "PlotDraw", "ReportPrint"})
        EXPECT_FALSE(w.action(QString::fromLatin1(name))->isEnabled()) << name;
    EXPECT_TRUE(w.action(QStringLiteral("ZoomIn"))->isEnabled());
    EXPECT_FALSE(w.sectionDocument().hasValidResults());

    ASSERT_TRUE(done.wait(60000));
    EXPECT_FALSE(calc.isCalculating());
    EXPECT_FALSE(calc.messageWindow().isVisible());
    const SlopeModel& m = w.sectionDocument().model();
    EXPECT_EQ(m.calcState, kResultsValid);
    EXPECT_TRUE(w.sectionDocument().hasValidResults());
    EXPECT_GT(m.calcDate[1], 0) << "the date is stamped";
    ASSERT_TRUE(w.sectionDocument().results()->hasCritical);
    // The verdict in its own box with its caption.
    ASSERT_FALSE(f.asker.told.empty());
    EXPECT_EQ(f.asker.told.back().caption, "終わり");
    EXPECT_EQ(f.asker.told.back().text.rfind("計算：正常終了しました。判定(", 0), 0u)
        << f.asker.told.back().text;
    EXPECT_TRUE(fs::exists(f.start / "answer1.dmp")) << "dumps go into the start directory";
    for (const char* name : {"CalRun", "Save", "Open", "Kekka", "PlotDraw", "ReportPrint"})
        EXPECT_TRUE(w.action(QString::fromLatin1(name))->isEnabled()) << name;
    // The message window showed the search.
    EXPECT_TRUE(calc.messageWindow().line(1).startsWith(QString::fromUtf8("計算次数=")));
}

TEST(MainWindowCalc, AbortedCalculationLeavesNoResult)
{
    WindowFixture f;
    ui::MainWindow& w = *f.window;
    openExample(f, "quay_backfill.SDW");
    ui::CalculationCommands& calc = commandsOf(w);
    QSignalSpy done(&calc, &ui::CalculationCommands::calculationFinished);
    w.action(QStringLiteral("CalRun"))->trigger();
    ASSERT_TRUE(calc.isCalculating());
    calc.messageWindow().stopControl()->click();
    ASSERT_TRUE(done.wait(60000));
    EXPECT_EQ(w.sectionDocument().model().calcState, kResultsAborted);
    EXPECT_FALSE(w.sectionDocument().hasValidResults());
    ASSERT_FALSE(f.asker.told.empty());
    EXPECT_EQ(f.asker.told.back().text, "計算：計算結果が得られませんでした。\n");
    EXPECT_EQ(f.asker.told.back().caption, "メッセージ");
    EXPECT_FALSE(w.action(QStringLiteral("Kekka"))->isEnabled());
    EXPECT_TRUE(w.action(QStringLiteral("CalRun"))->isEnabled());
}

TEST(MainWindowCalc, ResultTableOpensWithTheRememberedSize)
{
    WindowFixture f;
    ui::MainWindow& w = *f.window;
    openExample(f, "quay_backfill.SDW");
    ui::CalculationCommands& calc = commandsOf(w);
    QSignalSpy done(&calc, &ui::CalculationCommands::calculationFinished);
    w.action(QStringLiteral("CalRun"))->trigger();
    ASSERT_TRUE(done.wait(60000));

    w.settings().rememberWindowSize(ui::ResultTableDialog::kWindowSizeEntry, QSize(720, 510));
    ui::ResultTableDialog& table = calc.resultTable();
    int tabs = -1, rows = -1;
    QSize shown;
    QTimer::singleShot(0, &table, [&] {
        tabs = table.tabBar()->count();
        rows = table.grid()->rowCount();
        shown = table.size();
        table.resize(700, 480); // remembered for the next opening
        table.findChild<QPushButton*>(QStringLiteral("Button1"))->click();
    });
    w.action(QStringLiteral("Kekka"))->trigger();
    EXPECT_GE(tabs, 1);
    EXPECT_GT(rows, 0);
    EXPECT_EQ(shown, QSize(720, 510));
    EXPECT_EQ(w.settings().windowSize(ui::ResultTableDialog::kWindowSizeEntry), QSize(700, 480));
    EXPECT_EQ(w.sectionDocument().model().calcState, kResultsValid) << "the viewer changes nothing";
}

TEST(MainWindowCalc, FigureAndReportIntoTheStartDirectory)
{
    WindowFixture f;
    ui::MainWindow& w = *f.window;
    openExample(f, "quay_backfill.SDW");
    ui::CalculationCommands& calc = commandsOf(w);
    QSignalSpy done(&calc, &ui::CalculationCommands::calculationFinished);
    w.action(QStringLiteral("CalRun"))->trigger();
    ASSERT_TRUE(done.wait(60000));
    const std::size_t toldBefore = f.asker.told.size();

    setenv("KELTORA_PLOTTER", "sleep 0.3", 1);
    setenv("KELTORA_REPORT_VIEWER", "true", 1);
    QSignalSpy launched(&calc.launcher(), &ui::ExternalLauncher::finished);
    w.action(QStringLiteral("PlotDraw"))->trigger();
    // One helper program at a time; the window goes on meanwhile.
    EXPECT_FALSE(w.action(QStringLiteral("PlotDraw"))->isEnabled());
    EXPECT_FALSE(w.action(QStringLiteral("ReportPrint"))->isEnabled());
    EXPECT_TRUE(w.action(QStringLiteral("CalRun"))->isEnabled());
    ASSERT_TRUE(launched.wait(10000));
    EXPECT_TRUE(fs::exists(f.start / "SBPLOT01.VOV"));
    EXPECT_TRUE(fs::exists(f.start / "DirPath2.inf"));
    EXPECT_TRUE(w.action(QStringLiteral("ReportPrint"))->isEnabled());

    w.action(QStringLiteral("ReportPrint"))->trigger();
    ASSERT_TRUE(launched.wait(10000));
    EXPECT_TRUE(fs::exists(f.start / "SB_ANS10.PDT"));
    EXPECT_TRUE(fs::exists(f.start / "DirPath.inf"));
    EXPECT_EQ(f.asker.told.size(), toldBefore) << "nothing to tell";
    unsetenv("KELTORA_PLOTTER");
    unsetenv("KELTORA_REPORT_VIEWER");
}

} // namespace
} // namespace keltora
