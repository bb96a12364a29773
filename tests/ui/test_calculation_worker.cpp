// The calculation on the worker thread: completed and aborted runs come back to the GUI
// thread with their results, flag, stamp and messages; the message window and its abort
// control.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <chrono>
#include <cmath>
#include <thread>

#include "analysis/test_search_fake.h"
#include "test_support.h"
#include "ui/calculation_worker.h"
#include "ui/message_window.h"
#include "ui_test_support.h"

using namespace keltora;
using namespace keltora::ui;

namespace {

SlopeModel gridModel()
{
    SlopeModel m;
    resetModel(m);
    m.felleniusCircle.centreX = {0, 2, 1};
    m.felleniusCircle.centreY = {5, 7, 1};
    m.felleniusCircle.radius = {4, 6, 1};
    m.felleniusCircle.finestGrid = 1;
    m.conditions.allowableSafetyFactor = 1.2;
    return m;
}

CalcOptions fakeOptions(const std::filesystem::path& dir, test::FakeEvaluator::MassFunction f)
{
    CalcOptions o;
    o.workDir = dir;
    o.threads = 1;
    o.now = std::tm{};
    o.now->tm_year = 126;
    o.now->tm_mon = 11;
    o.now->tm_mday = 9;
    o.now->tm_hour = 1;
    o.now->tm_min = 2;
    o.now->tm_sec = 3;
    o.circleEvaluator = [f](const SlopeModel&, const PolygonTable&) {
        return std::make_unique<test::FakeEvaluator>(f);
    };
    return o;
}

CalculationRun runOf(const QSignalSpy& spy)
{
    return spy.at(0).at(0).value<CalculationRun>();
}

} // namespace

TEST(CalculationWorker, CompletedRunComesBackToTheGuiThread)
{
    test::guiApp();
    test::TempDir dir;
    SlopeModel model = gridModel();
    const Qt::HANDLE guiThread = QThread::currentThreadId();
    std::atomic<Qt::HANDLE> evaluatedOn{nullptr};
    CalculationWorker worker;
    QSignalSpy finished(&worker, &CalculationWorker::finished);
    QSignalSpy progress(&worker, &CalculationWorker::progressChanged);
    ASSERT_TRUE(worker.start(model, fakeOptions(dir.path(), [&](double cx, double cy, double, int) {
                                 evaluatedOn = QThread::currentThreadId();
                                 std::this_thread::sleep_for(std::chrono::milliseconds(5));
                                 return 1.5 + 0.1 * std::fabs(cx - 1.0) +
                                        0.01 * std::fabs(cy - 6.0);
                             })));
    EXPECT_TRUE(worker.isRunning());
    EXPECT_FALSE(worker.start(model, CalcOptions{})) << "one calculation at a time";
    // The model the worker was given a copy of may change meanwhile.
    model.felleniusCircle.centreX = {100, 100, 1};
    ASSERT_TRUE(finished.wait(20000));
    EXPECT_FALSE(worker.isRunning());
    EXPECT_NE(evaluatedOn.load(), guiThread);

    const CalculationRun run = runOf(finished);
    ASSERT_TRUE(run.results);
    EXPECT_EQ(run.outcome.status, 0);
    EXPECT_EQ(run.outcome.verdict, Verdict::Ok);
    EXPECT_EQ(run.outcome.calcState, kResultsValid);
    ASSERT_TRUE(run.outcome.stamp);
    EXPECT_EQ(run.outcome.stamp->date, (std::array<int32_t, 3>{26, 12, 9}));
    EXPECT_EQ(run.outcome.stamp->time, (std::array<int32_t, 3>{1, 2, 3}));
    ASSERT_EQ(run.outcome.messages.size(), 1u);
    EXPECT_EQ(run.outcome.messages[0].text, "計算：正常終了しました。判定(1.500 >= 1.200) OK");
    EXPECT_EQ(run.outcome.messages[0].caption, "終わり");
    EXPECT_EQ(run.results->tables[0].size(), 27u);    // 3 x 3 centres, 3 radii, from the copy
    EXPECT_NEAR(run.results->critical.cx, 1.0, 1e-4); // the grid starts 0.00001 off
    EXPECT_NEAR(run.results->critical.cy, 6.0, 1e-4);

    // Applied to a document in one step: flag, stamp and results.
    Document doc(dir.path());
    doc.model() = model;
    applyCalculation(run, doc);
    EXPECT_EQ(doc.model().calcState, 1);
    EXPECT_EQ(doc.model().calcTime, (std::array<int32_t, 3>{1, 2, 3}));
    EXPECT_EQ(doc.results(), run.results);

    // The last progress reached the GUI thread: the grid lines and the grid minimum.
    ASSERT_GE(progress.count(), 1);
    const auto last = progress.last().at(0).value<CalculationProgress>();
    EXPECT_TRUE(last.lines[0].startsWith(QString::fromUtf8("計算次数= 1")))
        << last.lines[0].toStdString();
    EXPECT_TRUE(last.lines[4].contains(QString::fromUtf8("1.500"))) << last.lines[4].toStdString();
    EXPECT_EQ(last.done, 9);
    EXPECT_EQ(last.total, 9);
}

TEST(CalculationWorker, AbortEndsTheRunWithoutResult)
{
    test::guiApp();
    test::TempDir dir;
    SlopeModel model = gridModel();
    model.felleniusCircle.centreX = {0, 40, 1};
    model.felleniusCircle.centreY = {0, 40, 1};
    CalculationWorker worker;
    QSignalSpy finished(&worker, &CalculationWorker::finished);
    QSignalSpy progress(&worker, &CalculationWorker::progressChanged);
    ASSERT_TRUE(worker.start(model, fakeOptions(dir.path(), [](double, double, double, int) {
                                 std::this_thread::sleep_for(std::chrono::milliseconds(2));
                                 return 1.3;
                             })));
    // Abort once the search shows that it runs (1681 centres would take long).
    ASSERT_TRUE(progress.wait(10000));
    worker.requestAbort();
    ASSERT_TRUE(finished.wait(20000));
    const CalculationRun run = runOf(finished);
    EXPECT_EQ(run.outcome.status, 0);
    EXPECT_EQ(run.outcome.verdict, Verdict::None);
    EXPECT_EQ(run.outcome.calcState, kResultsAborted);
    EXPECT_EQ(run.results->validFlag, kResultsAborted);
    EXPECT_FALSE(run.results->hasCritical);
    EXPECT_LT(run.results->tables[0].size(), 41u * 41u * 3u);
    ASSERT_EQ(run.outcome.messages.size(), 1u);
    EXPECT_EQ(run.outcome.messages[0].text, "計算：計算結果が得られませんでした。\n");
    EXPECT_EQ(run.outcome.messages[0].caption, "メッセージ");

    // A refused run comes back the same way, at once.
    model.felleniusCircle.radius.step = 0.0;
    ASSERT_TRUE(worker.start(
        model, fakeOptions(dir.path(), [](double, double, double, int) { return 1.3; })));
    ASSERT_TRUE(finished.wait(20000));
    const CalculationRun refused = finished.last().at(0).value<CalculationRun>();
    EXPECT_EQ(refused.outcome.status, -1);
    EXPECT_EQ(refused.outcome.messages.at(0).text, "円弧半径　ΔＲ　の値が不正です。");
    EXPECT_FALSE(refused.outcome.stamp);
}

TEST(CalculationWorker, DestroyedWhileRunningStopsTheThread)
{
    test::guiApp();
    test::TempDir dir;
    SlopeModel model = gridModel();
    model.felleniusCircle.centreX = {0, 200, 1};
    std::atomic<int> evaluated{0};
    {
        CalculationWorker worker;
        ASSERT_TRUE(worker.start(model, fakeOptions(dir.path(), [&](double, double, double, int) {
                                     ++evaluated;
                                     std::this_thread::sleep_for(std::chrono::milliseconds(1));
                                     return 1.3;
                                 })));
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
    const int atEnd = evaluated.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(evaluated.load(), atEnd) << "the search went on after the worker was gone";
    EXPECT_LT(atEnd, 201 * 3 * 3);
}

TEST(MessageWindow, LinesAndTheAbortControl)
{
    test::guiApp();
    MessageWindow w;
    EXPECT_EQ(w.objectName(), "TMsg_Frm");
    EXPECT_EQ(w.windowTitle(), QString::fromUtf8("メッセージの表示"));
    QPushButton* stop = w.findChild<QPushButton*>("TStop_Frm");
    ASSERT_TRUE(stop);
    EXPECT_EQ(stop->text(), QString::fromUtf8("計算中止"));
    w.begin();
    w.setLine(1, QString::fromUtf8("計算次数= 1    最大次数= 4   "));
    w.setLine(8, QStringLiteral("eight"));
    w.setLine(9, QStringLiteral("ignored"));
    EXPECT_EQ(w.line(8), "eight");
    EXPECT_TRUE(w.line(9).isEmpty());

    QSignalSpy abort(&w, &MessageWindow::abortClicked);
    QTest::mouseClick(stop, Qt::LeftButton);
    QTest::mouseClick(stop, Qt::LeftButton);
    EXPECT_EQ(abort.count(), 1) << "one request per run";
    EXPECT_FALSE(stop->isEnabled());

    // A new run: the lines are cleared and the control works again; Escape and closing
    // the window also ask to stop, and the window stays until the calculation has ended.
    w.begin();
    EXPECT_TRUE(w.line(1).isEmpty());
    EXPECT_TRUE(stop->isEnabled());
    QTest::keyClick(&w, Qt::Key_Escape);
    EXPECT_EQ(abort.count(), 2);
    w.begin();
    w.close();
    EXPECT_EQ(abort.count(), 3);
    EXPECT_TRUE(w.isVisible());
    w.hide();
}
