// The figure and report commands: files into the start directory, the helper program
// waited for on a thread while the event loop runs on, one at a time, and failures told.
#include <gtest/gtest.h>

#include <QApplication>
#include <QSignalSpy>
#include <QTimer>
#include <cstdlib>
#include <filesystem>

#include "analysis/calculation.h"
#include "model/sdw_file.h"
#include "test_support.h"
#include "ui/external_launch.h"
#include "ui_test_support.h"

using namespace keltora;
using namespace keltora::ui;
namespace fs = std::filesystem;

namespace {

struct Calculated {
    SlopeModel model;
    std::shared_ptr<const CalculationResults> results;
};

Calculated calculated(const fs::path& dir)
{
    Calculated c;
    resetModel(c.model);
    EXPECT_EQ(readDataFile(c.model, test::testDataDir() / "calc" / "quay_coarse.SDW").status, 0);
    CalcOptions o;
    o.workDir = dir;
    CalculationRun run = calculate(c.model, o);
    applyCalculation(run.outcome, c.model);
    c.results = run.results;
    EXPECT_EQ(c.model.calcState, kResultsValid);
    return c;
}

LaunchOutcome outcomeOf(const QSignalSpy& spy, int i = 0)
{
    return spy.at(i).at(1).value<LaunchOutcome>();
}

} // namespace

// The plotter runs for a while: the event loop goes on meanwhile, a second command is
// refused until it has ended, and the plot file and hand-off file are in the folder.
TEST(ExternalLaunch, PlotWaitsOnAThreadOneAtATime)
{
    test::guiApp();
    test::TempDir dir;
    const Calculated c = calculated(dir.path());
    setenv("KELTORA_PLOTTER", "sleep 0.6", 1);
    ExternalLauncher launcher;
    QSignalSpy finished(&launcher, &ExternalLauncher::finished);
    QSignalSpy busy(&launcher, &ExternalLauncher::busyChanged);
    ASSERT_TRUE(launcher.startPlot(c.model, c.results.get(), dir.path()));
    EXPECT_TRUE(launcher.isBusy());
    EXPECT_FALSE(launcher.startReport(c.model, c.results, {}, dir.path()));
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
    timer.start(50);
    ASSERT_TRUE(finished.wait(10000));
    timer.stop();
    EXPECT_GE(ticks, 5) << "the window did not go on while the plotter ran";
    EXPECT_FALSE(launcher.isBusy());
    EXPECT_EQ(busy.count(), 2);
    EXPECT_EQ(finished.at(0).at(0).value<ExternalLauncher::Job>(), ExternalLauncher::Job::Plot);
    EXPECT_TRUE(outcomeOf(finished).messages.empty());
    EXPECT_TRUE(outcomeOf(finished).note.isEmpty());
    EXPECT_TRUE(fs::exists(dir / "SBPLOT01.VOV"));
    EXPECT_TRUE(fs::exists(dir / "DirPath2.inf"));
    EXPECT_NE(test::readBytes(dir / "SBPLOT01.VOV").find("GC"), std::string::npos)
        << "the figure carries the critical circle";

    // A plotter that cannot be started is told.
    setenv("KELTORA_PLOTTER", "/no/such/plotter", 1);
    ASSERT_TRUE(launcher.startPlot(c.model, c.results.get(), dir.path()));
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_FALSE(outcomeOf(finished, 1).note.isEmpty());
    unsetenv("KELTORA_PLOTTER");
}

// The report command writes the report data, the check list and the hand-off file, then
// starts the viewer with "/PDTOPEN"; without results only the check list is named.
TEST(ExternalLaunch, ReportFilesAndViewer)
{
    test::guiApp();
    test::TempDir dir;
    const Calculated c = calculated(dir.path());
    setenv("KELTORA_REPORT_VIEWER", "echo >viewer-args.txt", 1);
    ExternalLauncher launcher;
    QSignalSpy finished(&launcher, &ExternalLauncher::finished);
    ASSERT_TRUE(launcher.startReport(c.model, c.results, dir / "quay.SDW", dir.path()));
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_EQ(finished.at(0).at(0).value<ExternalLauncher::Job>(), ExternalLauncher::Job::Report);
    EXPECT_TRUE(outcomeOf(finished).note.isEmpty());
    EXPECT_EQ(test::readBytes(dir / "viewer-args.txt"), "/PDTOPEN\n");
    for (const char* name : {"SB_ANS10.PDT", "SB_ANS12.PDT", "SB_CHECK.PDT", "DirPath.inf"})
        EXPECT_TRUE(fs::exists(dir / name)) << name;
    EXPECT_EQ(test::readBytes(dir / "DirPath.inf"), dir.path().string() + "/\r\n");
    EXPECT_NE(test::readBytes(dir / "SB_ANS10.PDT").find((dir / "quay").string()),
              std::string::npos);

    // No results: the check list is named in the hand-off file.
    ASSERT_TRUE(launcher.startReport(c.model, nullptr, {}, dir.path()));
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_EQ(test::readBytes(dir / "DirPath.inf"),
              dir.path().string() + "/\r\nSB_CHECK.PDT\r\n$$$$$$$$\r\n");
    unsetenv("KELTORA_REPORT_VIEWER");
}

// A start directory that cannot take the plot file: the message comes back and nothing is
// started.
TEST(ExternalLaunch, UnwritableFolderIsTold)
{
    test::guiApp();
    test::TempDir dir;
    const Calculated c = calculated(dir.path());
    test::writeBytes(dir / "file", "x");
    setenv("KELTORA_PLOTTER", "touch started", 1);
    ExternalLauncher launcher;
    QSignalSpy finished(&launcher, &ExternalLauncher::finished);
    ASSERT_TRUE(launcher.startPlot(c.model, c.results.get(), dir / "file"));
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_FALSE(outcomeOf(finished).messages.empty());
    EXPECT_FALSE(fs::exists(dir / "started"));
    unsetenv("KELTORA_PLOTTER");
}
