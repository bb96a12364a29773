// The input check list and the hand-off file: table shapes, the sections of each method,
// traced block outlines, and golden lists of the bundled examples.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "model/sdw_file.h"
#include "model/text_encoding.h"
#include "output/report_check_list.h"
#include "output/report_handoff.h"
#include "test_support.h"

namespace keltora {
namespace {

namespace fs = std::filesystem;

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

int count(const std::string& text, const std::string& part)
{
    int n = 0;
    for (auto p = text.find(part); p != std::string::npos; p = text.find(part, p + 1))
        ++n;
    return n;
}

TEST(ReportCheckList, TablesAndSections)
{
    SlopeModel m;
    resetModel(m);
    for (int i = 0; i < 7; ++i)
        addPoint(m, i, 10.0 + i);
    m.conditions.seismicOnSurcharge = 0;
    std::string t = checkListText(m, "").utf8();
    EXPECT_TRUE(t.starts_with("斜面の安定計算　チェックリスト\n0   0   0   0   0   0           "
                              "        \n$H  SB_CHK00.PFM\n$F  SB_CHK99.PFM\n$0  SB_CHK01.PFM\n"));
    // 7 points: 3 rows in column-major order, the continuation header after the first.
    EXPECT_TRUE(contains(t, "$0  SB_CHK02.PFM\n00    0\n01     0.000\n02    10.000\n"
                            "03    3\n04     3.000\n05    13.000\n06    6\n07     6.000\n"
                            "08    16.000\n$H  SB_CHK04.PFM\n"
                            "$0  SB_CHK02.PFM\n00    1\n01     1.000\n02    11.000\n"
                            "03    4\n04     4.000\n05    14.000\n"
                            "$0  SB_CHK02.PFM\n00    2\n01     2.000\n02    12.000\n"
                            "03    5\n04     5.000\n05    15.000\n$H  SB_CHK00.PFM\n"
                            "$0  SB_CHK11.PFM\n"));
    // No lines: one empty row.
    EXPECT_TRUE(contains(t, "$0  SB_CHK11.PFM\n$0  SB_CHK12.PFM\n$H  SB_CHK14.PFM\n"
                            "$H  SB_CHK00.PFM\n$0  SB_CHK21.PFM\n"));
    EXPECT_TRUE(
        contains(t, "23  ※抵抗力にかかる荷重の水平震度による低減に上載荷重分も含めて考えない\n"));
    EXPECT_TRUE(contains(t, "$0  SB_CHK27.PFM\n18     0.000\n$H  SB_CHK00.PFM\n"));
    EXPECT_TRUE(contains(t, "$0  SB_CHK22.PFM\n00     0.000\n01     0.000\n02     1.000\n"));
    EXPECT_FALSE(contains(t, "SB_CHK41")); // a pile without length is not listed
    EXPECT_EQ(count(t, "$R18"), 1);
    EXPECT_TRUE(t.ends_with("$R18\n$0  SB_CHK31.PFM\n$H  SB_CHK00.PFM\n"));

    // Tschebotarioff lists the same grid; the pile with its passive table.
    m.conditions.method = kMethodTschebotarioff;
    m.sheetPile.topY = 2.0;
    m.sheetPile.toeY = -10.0;
    m.sheetPile.passiveCount = 2;
    m.sheetPile.passiveY[1] = -5.0;
    m.sheetPile.passiveIntensity[1] = 50.0;
    m.conditions.referenceMode = 1;
    m.referenceLine.count = 1;
    t = checkListText(m, "").utf8();
    EXPECT_TRUE(contains(t,
                         "$0  SB_CHK26.PFM\n$0  SB_CHK02.PFM\n00    1\n01     0.000\n"
                         "02     0.000\n$H  SB_CHK04.PFM\n$H  SB_CHK00.PFM\n$0  SB_CHK22.PFM\n"));
    EXPECT_TRUE(contains(t, "$0  SB_CHK41.PFM\n00     0\n01     0.000\n02     2.000\n"
                            "03   -10.000\n"));
    EXPECT_TRUE(contains(t, "$0  SB_CHK42.PFM\n$0  SB_CHK02.PFM\n00    1\n01     0.000\n"
                            "02     0.000\n03    2\n04    -5.000\n05    50.000\n$H  SB_CHK43.PFM\n"
                            "$H  SB_CHK00.PFM\n$R18\n"));

    m.conditions.method = kMethodLineBySegments;
    m.lineSlip.startX = {1, 2, 3, 4};
    m.lineSlip.angle = {0.5, 0.25, 1.0};
    t = checkListText(m, "").utf8();
    EXPECT_TRUE(contains(t, "$0  SB_CHK29.PFM\n00     1.000\n01     0.000\n02     2.000\n"
                            "03     0.000\n04     0.500\n05     3.000\n06     0.000\n"
                            "07     4.000\n08     0.000\n09     0.250\n10     0.000\n11    1\n"));
}

TEST(ReportCheckList, BlockOutlinesInRowsOfFifteen)
{
    SlopeModel m;
    resetModel(m);
    const int n = 31;
    for (int i = 0; i < n; ++i) {
        const double a = 2 * std::numbers::pi * i / n;
        addPoint(m, 10 * std::cos(a), 10 * std::sin(a));
    }
    for (int i = 0; i < n; ++i)
        addLine(m, kBoundaryLine, i, (i + 1) % n);
    SoilBlock b;
    b.unitWeight = 18.0;
    b.kind = kWaterWeightBlock;
    addBlock(m, b);
    const std::string t = checkListText(m, "").utf8();
    const auto at = t.find("$0  SB_CHK32.PFM");
    ASSERT_NE(at, std::string::npos);
    const std::string blocks = t.substr(at);
    EXPECT_TRUE(contains(blocks, "03    18.000\n"));
    EXPECT_TRUE(contains(blocks, "12   31\n13  水ブロック－重量考慮\n$0  SB_CHK34.PFM\n"));
    EXPECT_EQ(count(blocks, "$0  SB_CHK34.PFM"), 3);
    EXPECT_EQ(count(blocks, "\n14  "), 2); // two full rows of 15
    EXPECT_EQ(count(t, "$H  SB_CHK35.PFM"), 1);
    const std::string lastRow = t.substr(t.rfind("$0  SB_CHK34.PFM\n"));
    EXPECT_EQ(lastRow.size(), std::string("$0  SB_CHK34.PFM\n00   xx\n$H  SB_CHK35.PFM\n"
                                          "$H  SB_CHK00.PFM\n")
                                  .size());
    EXPECT_TRUE(lastRow.ends_with("\n$H  SB_CHK35.PFM\n$H  SB_CHK00.PFM\n"));
}

TEST(ReportCheckList, GoldenListsOfTheExamples)
{
    for (const char* name : {"embankment", "quay_backfill"}) {
        SlopeModel m;
        resetModel(m);
        ASSERT_EQ(readDataFile(m, test::examplesDir() / (std::string(name) + ".SDW")).status, 0);
        test::TempDir dir;
        ReportFileLog log;
        ASSERT_TRUE(writeCheckList(m, name, dir.path(), log));
        const fs::path golden =
            test::testDataDir() / "report" / "check_list" / (std::string(name) + ".PDT");
        if (test::updateGolden()) {
            fs::create_directories(golden.parent_path());
            fs::copy_file(dir / kCheckListFileName, golden, fs::copy_options::overwrite_existing);
        }
        EXPECT_EQ(test::readBytes(dir / kCheckListFileName), test::readBytes(golden)) << name;
    }
}

TEST(ReportHandOff, DirPathFileAndViewerStart)
{
    test::TempDir dir;
    ReportFileLog log;
    ASSERT_TRUE(writeHandOffFile(dir.path(), false, log));
    const std::string expected = dir.path().string() + "/\r\n";
    EXPECT_EQ(test::readBytes(dir / kHandOffFileName), expected);
    ASSERT_TRUE(writeHandOffFile(dir.path(), true, log));
    EXPECT_EQ(test::readBytes(dir / kHandOffFileName), expected + "SB_CHECK.PDT\r\n$$$$$$$$\r\n");

    // The viewer runs in the report folder with "/PDTOPEN" and is waited for.
    const std::string script = (dir / "viewer.sh").string();
    test::writeBytes(script, "#!/bin/sh\necho \"$1\" > seen.txt\n");
    fs::permissions(script, fs::perms::owner_all);
    EXPECT_EQ(startReportViewer(script, dir.path()), 0);
    EXPECT_EQ(test::readBytes(dir / "seen.txt"), "/PDTOPEN\n");
    EXPECT_EQ(startReportViewer((dir / "missing").string(), dir.path()), 2);
    // KELTORA_REPORT_VIEWER replaces the command and may carry its own arguments.
    ::setenv("KELTORA_REPORT_VIEWER", ("'" + script + "' --first").c_str(), 1);
    EXPECT_EQ(startReportViewer(reportViewerCommand(), dir.path()), 0);
    EXPECT_EQ(test::readBytes(dir / "seen.txt"), "--first\n");
    ::unsetenv("KELTORA_REPORT_VIEWER");
    EXPECT_TRUE(reportViewerCommand().ends_with("/keltora-report-viewer"));
    int idles = 0;
    EXPECT_EQ(runProgramAndWait("sleep 0.6", true, {}, dir.path(), [&] { ++idles; }), 0);
    EXPECT_GE(idles, 1);
}

TEST(ReportHandOff, CommandWithoutResultsNamesTheCheckList)
{
    test::TempDir dir;
    SlopeModel m;
    resetModel(m);
    ReportInput in;
    in.model = &m;
    in.resultsValid = false;
    ReportCommandOutcome out = runReportCommand(in, dir.path(), false);
    EXPECT_EQ(out.reportStatus, 1);
    EXPECT_EQ(out.viewerStatus, -1);
    EXPECT_EQ(out.log.written, (std::vector<std::string>{"SB_CHECK.PDT", "DirPath.inf"}));
    EXPECT_EQ(test::readBytes(dir / kHandOffFileName),
              dir.path().string() + "/\r\nSB_CHECK.PDT\r\n$$$$$$$$\r\n");
}

} // namespace
} // namespace keltora
