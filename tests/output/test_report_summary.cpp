// The summary pages in front of the report: which rows, texts and numbers they hold for
// circles, Bishop and straight slips, the words of the grid level, the figure record, the
// slices of the critical mass against its sums, and that the report data files stay
// byte for byte what they are without the summary.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "analysis/calculation.h"
#include "analysis/slice_table.h"
#include "model/c_format.h"
#include "model/sdw_file.h"
#include "model/text_encoding.h"
#include "output/plot_file.h"
#include "output/report_files.h"
#include "output/report_handoff.h"
#include "output/report_layout.h"
#include "output/report_summary.h"
#include "test_support.h"

namespace keltora {
namespace {

namespace fs = std::filesystem;

struct Run {
    std::unique_ptr<SlopeModel> model = std::make_unique<SlopeModel>();
    std::unique_ptr<CalculationResults> results = std::make_unique<CalculationResults>();
    CalcOutcome outcome;
};

std::unique_ptr<Run> calculateExample(const std::string& name, const fs::path& workDir)
{
    auto r = std::make_unique<Run>();
    resetModel(*r->model);
    EXPECT_EQ(readDataFile(*r->model, test::examplesDir() / name).status, 0) << name;
    CalcOptions o;
    o.workDir = workDir;
    o.now = std::tm{};
    r->outcome = runCalculation(*r->model, *r->results, o);
    return r;
}

bool has(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// The value of field NN after the form record `form` (the first such record).
std::string fieldAfter(const std::string& text, const std::string& form, int field)
{
    std::size_t at = text.find("$0  " + form);
    if (at == std::string::npos) return "<no " + form + ">";
    const std::string key =
        "\n" + std::string(field < 10 ? "0" : "") + std::to_string(field) + "  ";
    const std::size_t next = text.find("\n$", at + 1);
    const std::size_t f = text.find(key, at);
    if (f == std::string::npos || (next != std::string::npos && f > next)) return "<no field>";
    const std::size_t end = text.find('\n', f + 1);
    return text.substr(f + key.size(), end - f - key.size());
}

TEST(ReportSummary, CircleSummaryHoldsVerdictConditionsAndCriticalCircle)
{
    test::TempDir dir;
    auto run = calculateExample("quay_backfill.SDW", dir.path());
    ASSERT_EQ(run->outcome.verdict, Verdict::Ok);
    const SlipResult& c = run->results->critical;
    const std::string text = summaryText(*run->model, *run->results, "/data/quay").utf8();

    // The verdict box: F and the allowable value as the minimum file prints them.
    EXPECT_EQ(fieldAfter(text, "SB_SM02.PFM", 0), "OK");
    EXPECT_EQ(fieldAfter(text, "SB_SM02.PFM", 1), cformat("%6.3f", c.f));
    EXPECT_EQ(fieldAfter(text, "SB_SM02.PFM", 2), "≧");
    EXPECT_EQ(fieldAfter(text, "SB_SM02.PFM", 3), " 1.000");
    // Title block, conditions, the loads that are set and the critical circle.
    EXPECT_EQ(fieldAfter(text, "SB_SM01.PFM", 1), "/data/quay");
    EXPECT_EQ(fieldAfter(text, "SB_SM01.PFM", 3), "円弧(修正フェレニウス法)");
    EXPECT_TRUE(has(text, "計算方法：円弧(修正フェレニウス法)")) << text;
    EXPECT_TRUE(has(text, "上載荷重 1：")) << text;
    EXPECT_TRUE(has(text, "水平外力 1：")) << text;
    EXPECT_TRUE(has(text, "00  円弧中心 Ｘ\n01  " + cformat("%.3f", c.cx))) << text;
    EXPECT_TRUE(has(text, "00  円弧半径 Ｒ\n01  " + cformat("%.3f", c.rr))) << text;
    EXPECT_TRUE(has(text, "抵抗モーメント Ｍｒ\n01  " + cformat("%.3f", c.mr))) << text;
    EXPECT_TRUE(has(text, "最小安全率の円弧：第 1 次格子")) << text;
    // The figure record sits between the critical circle and the soil table.
    const std::size_t fig = text.find(cformat("$G  SB_SUMMARY.VOV  %d", kSummaryFigureLines));
    ASSERT_NE(fig, std::string::npos);
    EXPECT_LT(text.find("臨界すべり円"), fig);
    EXPECT_LT(fig, text.find("土質ブロック"));
    // One row per block, and the slices of the critical mass.
    int blocks = 0;
    for (int i = 0; i < run->model->blockCount; ++i)
        blocks += run->model->blocks[static_cast<std::size_t>(i)].number >= 0;
    int rows = 0;
    for (std::size_t p = text.find("SB_SM12.PFM"); p != std::string::npos;
         p = text.find("SB_SM12.PFM", p + 1))
        ++rows;
    EXPECT_EQ(rows, blocks);
    EXPECT_TRUE(has(text, "$0  SB_SM22.PFM"));
    EXPECT_TRUE(text.ends_with("$L\n")) << text.substr(text.size() - 40);
}

TEST(ReportSummary, OutVerdictAndGridWords)
{
    test::TempDir dir;
    auto run = calculateExample("benchmark.SDW", dir.path());
    ASSERT_EQ(run->outcome.verdict, Verdict::Out);
    const std::string text = summaryText(*run->model, *run->results, "").utf8();
    EXPECT_EQ(fieldAfter(text, "SB_SM02.PFM", 0), "OUT");
    EXPECT_EQ(fieldAfter(text, "SB_SM02.PFM", 2), "＜");
    EXPECT_EQ(fieldAfter(text, "SB_SM01.PFM", 1), "（無題）");
    EXPECT_EQ(summaryVerdict(*run->model, *run->results), "OUT");

    // The critical result keeps the first grid its F was met in; finer grids that met
    // no lower F are named, in the words of the minimum pages ("第 N 次格子").
    CalculationResults r;
    r.validFlag = kResultsValid;
    r.hasCritical = true;
    r.critical.grid = 1;
    r.gridsRun = 3;
    GridLevelWords w = gridLevelWords(r);
    EXPECT_EQ(w.level, "第 1 次格子");
    EXPECT_EQ(w.note, "（第 2～3 次格子でも、これより小さい安全率は得られませんでした。）");
    EXPECT_EQ(w.english, "found in grid 1; grids 2..3 found no lower F");
    r.critical.grid = 2;
    EXPECT_EQ(gridLevelWords(r).english, "found in grid 2; grid 3 found no lower F");
    r.critical.grid = 3;
    EXPECT_EQ(gridLevelWords(r).english, "found in grid 3");
    EXPECT_TRUE(gridLevelWords(r).note.empty());
    r.validFlag = kResultsAborted;
    EXPECT_EQ(summaryVerdict(*run->model, r), "");
}

TEST(ReportSummary, StraightAndBishopSummaries)
{
    test::TempDir dir;
    auto line = calculateExample("wedge_segments.SDW", dir.path());
    ASSERT_NE(line->outcome.verdict, Verdict::None);
    std::string text = summaryText(*line->model, *line->results, "/x").utf8();
    EXPECT_TRUE(has(text, "臨界すべり線")) << text;
    EXPECT_TRUE(has(text, "すべり終了点 Ｘ\n01  " + cformat("%.3f", line->results->critical.dx)));
    EXPECT_TRUE(has(text, "すべり角度 α"));
    EXPECT_FALSE(has(text, "SB_SM22.PFM")); // no slice table for lines
    EXPECT_FALSE(has(text, "円弧中心"));

    auto bishop = calculateExample("embankment_bishop.SDW", dir.path());
    ASSERT_NE(bishop->outcome.verdict, Verdict::None);
    text = summaryText(*bishop->model, *bishop->results, "/x").utf8();
    const SlipResult& c = bishop->results->critical;
    EXPECT_TRUE(has(text, "抵抗力 Ｍｒ／Ｒ\n01  " + cformat("%.3f", c.mr / c.rr))) << text;
    EXPECT_FALSE(has(text, "Ｍｒｆ（摩擦）"));
    EXPECT_TRUE(has(text, "$0  SB_SM22.PFM"));
}

// The slice table repeats the search's arithmetic: its resisting column sums to the
// mass's mr (Bishop with the trial factor of the iteration's last pass), and its driving
// column differs from md only by the end-face water thrust and the horizontal forces.
TEST(ReportSummary, SliceTableAddsUpToTheCriticalMass)
{
    test::TempDir dir;
    for (const char* name : {"quay_backfill.SDW", "embankment.SDW", "yamagami_ueta.SDW"}) {
        auto run = calculateExample(name, dir.path());
        const SlipResult& c = run->results->critical;
        const SliceTable t = criticalSliceTable(*run->model, c);
        ASSERT_TRUE(t.found) << name;
        EXPECT_GT(t.rows.size(), 10u) << name;
        EXPECT_NEAR(t.sumResisting, c.mrf + c.mrc, 1e-6 * std::fabs(c.mr)) << name;
        EXPECT_NEAR(t.mass.md, c.md, 1e-9 * std::fabs(c.md)) << name;
        double width = 0.0;
        for (const SliceRow& s : t.rows) {
            width += s.width;
            EXPECT_GT(s.baseLength, 0.0);
            EXPECT_GE(s.weight, 0.0);
        }
        // The slices cover the mass from its left to its right end.
        EXPECT_NEAR(width, c.sx - c.ex, 1e-6) << name;
        EXPECT_GE(t.rows.front().x, t.rows.back().x) << name;
    }
    {
        auto run = calculateExample("embankment.SDW", dir.path());
        // Without water blocks and forces the driving column sums to md itself.
        if (run->results->critical.mdh == 0.0) {
            const SliceTable t = criticalSliceTable(*run->model, run->results->critical);
            EXPECT_NEAR(t.sumDriving, run->results->critical.md,
                        1e-6 * std::fabs(run->results->critical.md));
        }
    }
    auto bishop = calculateExample("embankment_bishop.SDW", dir.path());
    const SlipResult& b = bishop->results->critical;
    const SliceTable t = criticalSliceTable(*bishop->model, b);
    ASSERT_TRUE(t.found);
    EXPECT_NEAR(t.sumResisting, b.mr, 1e-9 * b.mr);
    // A circle that cuts no mass, and a straight slip: no table.
    SlipResult nowhere = b;
    nowhere.cx += 1000.0;
    EXPECT_FALSE(criticalSliceTable(*bishop->model, nowhere).found);
    auto line = calculateExample("wedge_line.SDW", dir.path());
    EXPECT_FALSE(criticalSliceTable(*line->model, line->results->critical).found);
}

// The report command writes the summary beside the report data, and the report data files
// are the same bytes as the writer alone gives without it.
TEST(ReportSummary, ReportDataFilesUnchangedBySummary)
{
    test::TempDir dir;
    for (const char* name : {"quay_backfill.SDW", "embankment_bishop.SDW", "wedge_line.SDW"}) {
        auto run = calculateExample(name, dir / "calc");
        const ReportInput input = reportInputFrom(*run->model, *run->results, "/data/x");
        const fs::path with = dir / (std::string(name) + "-with");
        const fs::path without = dir / (std::string(name) + "-without");
        fs::create_directories(with);
        fs::create_directories(without);
        const ReportCommandOutcome cmd = runReportCommand(input, with, false);
        ASSERT_EQ(cmd.reportStatus, 0);
        ReportInput plain = input;
        plain.results = nullptr;
        const ReportOutcome data = writeReportData(plain, without);
        ASSERT_EQ(data.status, 0);
        for (const std::string& f : data.log.written)
            EXPECT_EQ(test::readBytes(with / f), test::readBytes(without / f)) << name << " " << f;
        EXPECT_TRUE(fs::exists(with / kSummaryFileName)) << name;
        EXPECT_TRUE(fs::exists(with / kSummaryFigureName)) << name;
        // The factor-of-safety map lies over the circle centres: none for a straight slip.
        EXPECT_EQ(fs::exists(with / kSummaryMapName), std::string(name) != "wedge_line.SDW")
            << name;
        // The summary is CP932 with CR LF like every report data file.
        const std::string bytes = test::readBytes(with / kSummaryFileName);
        EXPECT_NE(bytes.find("\r\n"), std::string::npos);
        EXPECT_TRUE(cp932ToUtf8(bytes).starts_with("安定計算の要約\r\n"));
        // Selections: the summary first; the short report has the check list and the
        // minimum files only.
        const auto full = reportFilesForSelection(with, ReportSelection::Full);
        const auto shortList = reportFilesForSelection(with, ReportSelection::Summary);
        ASSERT_FALSE(full.empty());
        EXPECT_EQ(full.front(), kSummaryFileName);
        EXPECT_EQ(full.size(), reportFilesInFolder(with).size() + 1);
        EXPECT_EQ(shortList.front(), kSummaryFileName);
        for (const auto& f : shortList)
            EXPECT_TRUE(f == kSummaryFileName || f == "SB_CHECK.PDT" || f.ends_with("2.PDT")) << f;
        EXPECT_NE(std::find(shortList.begin(), shortList.end(), "SB_ANS12.PDT"), shortList.end());

        // A later report without results removes the summary (it would show the old verdict).
        CalculationResults none;
        const ReportInput noResults = reportInputFrom(*run->model, none, "/data/x");
        runReportCommand(noResults, with, false);
        EXPECT_FALSE(fs::exists(with / kSummaryFileName)) << name;
        EXPECT_FALSE(fs::exists(with / kSummaryFigureName)) << name;
        EXPECT_FALSE(fs::exists(with / kSummaryMapName)) << name;
    }
}

// The summary lays out with its forms: no missing form, no value too wide, the figure's
// lines kept free on the first page and the plot file named from the data folder.
TEST(ReportSummary, LaysOutWithItsFormsAndFigure)
{
    test::TempDir dir;
    for (const char* name :
         {"quay_backfill.SDW", "benchmark.SDW", "wedge_segments.SDW", "embankment_bishop.SDW"}) {
        auto run = calculateExample(name, dir.path());
        const fs::path out = dir / (std::string(name) + "-out");
        fs::create_directories(out);
        ReportFileLog log;
        writeReportSummary(*run->model, *run->results, "/data/x", out, log);
        ASSERT_TRUE(log.failed.empty());
        FormLibrary forms({test::sourceDir() / "forms"});
        const ReportLayout layout = layoutReport(out, {kSummaryFileName}, forms);
        EXPECT_TRUE(layout.warnings.empty()) << name << ": " << layout.warnings.front();
        ASSERT_FALSE(layout.pages.empty());
        ASSERT_EQ(layout.pages[0].figures.size(), 1u) << name;
        const ReportFigure& f = layout.pages[0].figures[0];
        EXPECT_EQ(f.lines, kSummaryFigureLines);
        EXPECT_EQ(f.file, out / kSummaryFigureName);
        for (int i = f.firstLine; i < f.firstLine + f.lines; ++i)
            EXPECT_EQ(layout.pages[0].lines[static_cast<std::size_t>(i)], "");
        for (const auto& page : layout.pages)
            for (const auto& l : page.lines) {
                EXPECT_EQ(l.find("**"), std::string::npos) << name << ": " << l;
                EXPECT_LE(reportTextWidth(l), kReportPageColumns) << l;
            }
        // The map, when there is one, on a page of its own lines after the figure.
        int maps = 0;
        for (const auto& page : layout.pages)
            for (const auto& fig : page.figures)
                if (fig.file == out / kSummaryMapName) {
                    ++maps;
                    EXPECT_EQ(fig.lines, kSummaryMapLines);
                }
        EXPECT_EQ(maps, std::string(name) == "wedge_segments.SDW" ? 0 : 1) << name;
        // The figure is the plot file's composition of the same results.
        EXPECT_EQ(test::readBytes(out / kSummaryFigureName),
                  plotFileBytes(summaryFigure(*run->model, *run->results)));
    }

    // A figure record naming a path, or too tall, is skipped with a warning.
    ReportText t;
    t.line("t");
    t.line("");
    t.line("$G  ../../etc/passwd  10");
    t.line("$G  /etc/passwd  10");
    t.line("$G  FIG.VOV  200");
    t.line("$G  FIG.VOV  5");
    FormLibrary none({});
    ReportLayout l;
    layoutReportFile(t.bytes(), "G.PDT", none, l, "/data");
    EXPECT_EQ(l.warnings.size(), 3u);
    ASSERT_EQ(l.pages.size(), 1u);
    ASSERT_EQ(l.pages[0].figures.size(), 1u);
    EXPECT_EQ(l.pages[0].figures[0].file, fs::path("/data/FIG.VOV"));
    EXPECT_EQ(l.pages[0].lines.size(), 5u);
}

} // namespace
} // namespace keltora
