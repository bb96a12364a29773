// The calculation on a const model: the run writes nothing into the model, hands back
// results, flag and time stamp, and gives exactly what the run on a writable model gives.
#include <gtest/gtest.h>

#include <memory>

#include "analysis/calculation.h"
#include "analysis/test_search_fake.h"
#include "model/sdw_file.h"
#include "test_support.h"

using namespace keltora;
namespace kt = keltora::test;

namespace {

std::unique_ptr<SlopeModel> load(const std::filesystem::path& path)
{
    auto m = std::make_unique<SlopeModel>();
    resetModel(*m);
    EXPECT_EQ(readDataFile(*m, path).status, 0) << path;
    return m;
}

CalcOptions optionsIn(const std::filesystem::path& dir)
{
    CalcOptions o;
    o.workDir = dir;
    o.threads = 2;
    o.now = std::tm{};
    o.now->tm_year = 2026 - 1900;
    o.now->tm_mon = 0;
    o.now->tm_mday = 31;
    o.now->tm_hour = 23;
    o.now->tm_min = 59;
    o.now->tm_sec = 58;
    return o;
}

void expectSameRecords(const std::vector<SlipResult>& a, const std::vector<SlipResult>& b)
{
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(formatDumpRecord(a[i]), formatDumpRecord(b[i])) << i;
        EXPECT_EQ(a[i].f, b[i].f) << i; // bit for bit, not only as printed
        EXPECT_EQ(a[i].mr, b[i].mr) << i;
        EXPECT_EQ(a[i].md, b[i].md) << i;
        EXPECT_EQ(a[i].grid, b[i].grid) << i;
    }
}

} // namespace

// Every method family on a section of ours: the const run and the run on the model agree
// in every record, the critical result, the labels, the dump files and the verdict; the
// const run leaves the model's bytes as they were and carries the flag and the stamp.
TEST(CalcConst, SameResultsAsTheRunOnTheModel)
{
    const std::filesystem::path sections[] = {
        kt::testDataDir() / "calc" / "quay_coarse.SDW",
        kt::examplesDir() / "wedge_line.SDW",
        kt::examplesDir() / "wedge_segments.SDW",
    };
    for (const auto& path : sections) {
        SCOPED_TRACE(path.filename().string());
        kt::TempDir oldDir, newDir;
        auto old = load(path);
        CalculationResults oldResults;
        const CalcOutcome oldOutcome = runCalculation(*old, oldResults, optionsIn(oldDir.path()));

        const auto model = load(path);
        const std::string before = formatDataFile(*model, "x");
        const CalculationRun run = calculate(*model, optionsIn(newDir.path()));
        EXPECT_EQ(formatDataFile(*model, "x"), before) << "the run wrote the model";
        EXPECT_EQ(model->calcState, 0);

        ASSERT_TRUE(run.results);
        EXPECT_EQ(run.outcome.status, oldOutcome.status);
        EXPECT_EQ(run.outcome.verdict, oldOutcome.verdict);
        ASSERT_EQ(run.outcome.messages.size(), oldOutcome.messages.size());
        for (std::size_t i = 0; i < run.outcome.messages.size(); ++i)
            EXPECT_EQ(run.outcome.messages[i].text, oldOutcome.messages[i].text);
        for (std::size_t g = 0; g < oldResults.tables.size(); ++g)
            expectSameRecords(run.results->tables[g], oldResults.tables[g]);
        ASSERT_EQ(run.results->hasCritical, oldResults.hasCritical);
        expectSameRecords({run.results->critical}, {oldResults.critical});
        ASSERT_EQ(run.results->labels.size(), oldResults.labels.size());
        for (int k = 1; k <= 4; ++k) {
            const std::string name = "answer" + std::to_string(k) + ".dmp";
            ASSERT_EQ(std::filesystem::exists(oldDir / name),
                      std::filesystem::exists(newDir / name));
            if (std::filesystem::exists(oldDir / name)) {
                EXPECT_EQ(kt::readBytes(oldDir / name), kt::readBytes(newDir / name)) << name;
            }
        }

        // The run carries what the model run wrote; applying it writes the same.
        EXPECT_EQ(run.outcome.calcState, old->calcState);
        ASSERT_TRUE(run.outcome.stamp);
        EXPECT_EQ(old->calcDate, (std::array<int32_t, 3>{26, 1, 31}));
        EXPECT_EQ(old->calcTime, (std::array<int32_t, 3>{23, 59, 58}));
        SlopeModel applied = *model;
        applyCalculation(run.outcome, applied);
        EXPECT_EQ(formatDataFile(applied, "x"), formatDataFile(*old, "x"));
        EXPECT_EQ(applied.calcState, old->calcState);
        EXPECT_EQ(applied.calcDate, old->calcDate);
        EXPECT_EQ(applied.calcTime, old->calcTime);
    }
}

// A refused run hands back flag 0 and no stamp: applying it clears the flag and keeps the
// date and time of the calculation before. An aborted run hands back -1 with a stamp.
TEST(CalcConst, RefusedAndAbortedRunsApply)
{
    kt::TempDir dir;
    SlopeModel m;
    resetModel(m);
    m.felleniusCircle.centreX = {0, 2, 1};
    m.felleniusCircle.centreY = {5, 7, 1};
    m.felleniusCircle.radius = {4, 6, 1};
    CalcOptions o = optionsIn(dir.path());
    o.circleEvaluator = [](const SlopeModel&, const PolygonTable&) {
        return std::make_unique<kt::FakeEvaluator>(
            [](double, double, double, int) { return 1.25; });
    };
    m.calcState = 1;
    m.calcDate = {25, 5, 6};
    m.calcTime = {7, 8, 9};

    SlopeModel refusedModel = m;
    refusedModel.felleniusCircle.radius.step = 0.0;
    const CalculationRun refused = calculate(refusedModel, o);
    EXPECT_EQ(refused.outcome.status, -1);
    EXPECT_FALSE(refused.outcome.stamp);
    applyCalculation(refused.outcome, refusedModel);
    EXPECT_EQ(refusedModel.calcState, 0);
    EXPECT_EQ(refusedModel.calcDate, (std::array<int32_t, 3>{25, 5, 6}));

    class AbortAtOnce : public CalculationObserver {
        bool abortRequested() override { return true; }
    } abort;
    const CalculationRun aborted = calculate(m, o, &abort);
    EXPECT_EQ(aborted.outcome.calcState, kResultsAborted);
    EXPECT_EQ(aborted.results->validFlag, kResultsAborted);
    ASSERT_TRUE(aborted.outcome.stamp);
    Document doc(dir.path());
    doc.model() = m;
    applyCalculation(aborted, doc);
    EXPECT_EQ(doc.model().calcState, kResultsAborted);
    EXPECT_EQ(doc.model().calcDate, (std::array<int32_t, 3>{26, 1, 31}));
    EXPECT_EQ(doc.results(), aborted.results);
}
