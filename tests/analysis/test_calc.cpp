// The calculation run around the search: guards and their order, dispatch, verdicts,
// abort, date and time stamp, the critical result and the label list.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <stdexcept>

#include "analysis/calculation.h"
#include "analysis/test_search_fake.h"
#include "test_support.h"

using namespace keltora;
using keltora::test::FakeEvaluator;

namespace {

std::unique_ptr<SlopeModel> gridModel()
{
    auto m = std::make_unique<SlopeModel>();
    resetModel(*m);
    CircleSearchSettings& s = m->felleniusCircle;
    s.centreX = {0, 2, 1};
    s.centreY = {5, 7, 1};
    s.radius = {4, 6, 1};
    s.finestGrid = 2;
    return m;
}

CalcOptions fakeOptions(const std::filesystem::path& dir, FakeEvaluator::MassFunction f,
                        int masses = 1)
{
    CalcOptions o;
    o.workDir = dir;
    o.threads = 2;
    o.now = std::tm{};
    o.circleEvaluator = [f, masses](const SlopeModel&, const PolygonTable&) {
        return std::make_unique<FakeEvaluator>(f, masses);
    };
    return o;
}

class AbortAfter : public CalculationObserver {
  public:
    explicit AbortAfter(int n) : n_(n) {}
    bool abortRequested() override { return ++asked_ > n_; }

  private:
    int n_;
    int asked_ = 0;
};

} // namespace

TEST(CalcRun, GuardsInOrderWithTheirMessages)
{
    keltora::test::TempDir dir;
    const auto opts = fakeOptions(dir.path(), [](double, double, double, int) { return 1.0; });
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        Range3 x, y, r;
        const char* text;
    };
    const Case cases[] = {
        // Several faults at once: the first in the guard order is reported.
        {{3, 2, 0.0005}, {9, 1, 0}, {9, 1, 0}, "円弧中心　Xmax/Xmin　の値が不正です。"},
        {{2, 2, 0.0009}, {9, 1, 0}, {1, 2, 1}, "円弧中心　ΔＸ　の値が不正です。"},
        {{2, 3, 1}, {9, 1, 0}, {1, 2, 1}, "円弧中心　Ymax/Ymin　の値が不正です。"},
        {{2, 3, 1}, {1, 1, 0}, {1, 2, 1}, "円弧中心　ΔＹ　の値が不正です。"},
        {{2, 3, 1}, {1, 1, 1}, {3, 2, 0}, "円弧半径　Rmax/Rmin　の値が不正です。"},
        {{2, 3, 1}, {1, 1, 1}, {1, 2, 0.0009}, "円弧半径　ΔＲ　の値が不正です。"},
        // NaN and infinity fail the same guards.
        {{nan, 3, 1}, {1, 1, 1}, {1, 2, 1}, "円弧中心　Xmax/Xmin　の値が不正です。"},
        {{2, 3, nan}, {1, 1, 1}, {1, 2, 1}, "円弧中心　ΔＸ　の値が不正です。"},
        {{2, 3, 1}, {-inf, 1, 1}, {1, 2, 1}, "円弧中心　Ymax/Ymin　の値が不正です。"},
        {{2, 3, 1}, {1, 1, 1}, {1, 2, inf}, "円弧半径　ΔＲ　の値が不正です。"},
    };
    for (const Case& c : cases) {
        auto m = gridModel();
        m->felleniusCircle.centreX = c.x;
        m->felleniusCircle.centreY = c.y;
        m->felleniusCircle.radius = c.r;
        m->calcState = 1;
        CalculationResults results;
        const CalcOutcome out = runCalculation(*m, results, opts);
        EXPECT_EQ(out.status, -1) << c.text;
        ASSERT_EQ(out.messages.size(), 1u) << c.text;
        EXPECT_EQ(out.messages[0].text, c.text);
        EXPECT_EQ(out.messages[0].caption, "error");
        EXPECT_EQ(m->calcState, 0);
        EXPECT_EQ(m->calcDate[0], 0) << "a refused run stamps nothing";
    }

    // A grid that could never finish is refused before anything runs.
    auto m = gridModel();
    m->felleniusCircle.centreX = {0, 1000, 0.001};
    m->felleniusCircle.centreY = {0, 1000, 0.001};
    CalculationResults results;
    CalcOutcome out = runCalculation(*m, results, opts);
    EXPECT_EQ(out.status, -1);
    EXPECT_NE(out.messages.at(0).text.find("円弧の数が多すぎます"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir / "answer1.dmp"));

    // X min = X max is one column, accepted.
    m = gridModel();
    m->felleniusCircle.centreX = {2, 2, 1};
    EXPECT_EQ(runCalculation(*m, results, opts).status, 0);

    // Methods: an unknown code stops at the method guard; the Bishop codes run with their
    // own settings.
    m->conditions.method = 9;
    out = runCalculation(*m, results, opts);
    EXPECT_EQ(out.messages.at(0).text, "cm.kt != 0,1");
    EXPECT_EQ(out.messages.at(0).caption, "break");
    m->conditions.method = kMethodBishop;
    m->bishopCircle.centreX = {3, 2, 1};
    out = runCalculation(*m, results, opts);
    EXPECT_EQ(out.status, -1);
    EXPECT_EQ(out.messages.at(0).text, "円弧中心　Xmax/Xmin　の値が不正です。");
}

TEST(CalcRun, VerdictsAndTheDateStamp)
{
    keltora::test::TempDir dir;
    auto m = gridModel();
    m->conditions.allowableSafetyFactor = 1.2;
    // Every circle has f = 1.2 exactly: equal to the allowable factor is OK.
    CalcOptions opts = fakeOptions(dir.path(), [](double, double, double, int) { return 1.2; });
    opts.now = std::tm{};
    opts.now->tm_year = 2026 - 1900;
    opts.now->tm_mon = 11;
    opts.now->tm_mday = 8;
    opts.now->tm_hour = 16;
    opts.now->tm_min = 5;
    opts.now->tm_sec = 9;
    CalculationResults results;
    CalcOutcome out = runCalculation(*m, results, opts);
    EXPECT_EQ(out.status, 0);
    EXPECT_EQ(out.verdict, Verdict::Ok);
    ASSERT_EQ(out.messages.size(), 1u);
    EXPECT_EQ(out.messages[0].text, "計算：正常終了しました。判定(1.200 >= 1.200) OK");
    EXPECT_EQ(out.messages[0].caption, "終わり");
    EXPECT_EQ(m->calcState, 1);
    EXPECT_EQ(m->calcDate, (std::array<int32_t, 3>{26, 12, 8}));
    EXPECT_EQ(m->calcTime, (std::array<int32_t, 3>{16, 5, 9}));

    m->conditions.allowableSafetyFactor = 1.201;
    out = runCalculation(*m, results, opts);
    EXPECT_EQ(out.verdict, Verdict::Out);
    EXPECT_EQ(out.messages.at(0).text, "計算：正常終了しました。判定(1.200 < 1.201) OUT");

    // Nothing stored: no result, flag 0.
    opts = fakeOptions(dir.path(), [](double, double, double, int) { return std::nan(""); });
    out = runCalculation(*m, results, opts);
    EXPECT_EQ(out.status, 0);
    EXPECT_EQ(out.verdict, Verdict::None);
    EXPECT_EQ(out.messages.at(0).text, "計算：計算結果が得られませんでした。\n");
    EXPECT_EQ(out.messages.at(0).caption, "メッセージ");
    EXPECT_EQ(m->calcState, 0);
}

TEST(CalcRun, AbortLeavesFlagMinusOneAndNoResult)
{
    keltora::test::TempDir dir;
    auto m = gridModel();
    const auto opts = fakeOptions(dir.path(), [](double, double, double, int) { return 1.5; });
    CalculationResults results;
    AbortAfter observer(4);
    const CalcOutcome out = runCalculation(*m, results, opts, &observer);
    EXPECT_EQ(out.status, 0);
    EXPECT_EQ(out.verdict, Verdict::None);
    EXPECT_EQ(results.validFlag, -1);
    EXPECT_EQ(m->calcState, -1);
    EXPECT_FALSE(results.hasCritical);
    EXPECT_EQ(results.tables[0].size(), 12u); // 4 centres x 3 radii were stored
    ASSERT_EQ(out.messages.size(), 1u);
    EXPECT_EQ(out.messages[0].text, "計算：計算結果が得られませんでした。\n");
}

TEST(CalcRun, CriticalResultWithSheetPileAndLabelList)
{
    auto m = gridModel();
    m->draw.gridFsSwitch = {1, -1, -1, -1};
    CalculationResults r;
    r.validFlag = kResultsValid;
    auto record = [](int grid, double cx, double cy, double rr, double f) {
        SlipResult s;
        s.grid = grid;
        s.cx = cx;
        s.cy = cy;
        s.rr = rr;
        s.f = f;
        s.mrf = 100.0;
        s.mrc = 20.0;
        s.mdw = 90.0;
        s.mdh = 6.0;
        s.mdk = 4.0;
        return s;
    };
    r.tables[0] = {record(1, 1, 5, 4, 1.3), record(1, 1, 5, 5, 1.2), record(1, 2, 5, 4, 1.2),
                   record(1, 1.00000005, 5, 6, 1.1999999)};
    r.tables[1] = {record(2, 2, 5, 4, 1.1), record(2, 3, 5, 4, 1.1)};
    // No sheet pile: mry = 0, f = (100 + 20)/(90 + 6 + 4) = 1.2.
    int n = collectResults(*m, r, {});
    EXPECT_EQ(n, 3);
    EXPECT_TRUE(r.hasCritical);
    EXPECT_DOUBLE_EQ(r.critical.cx, 2.0); // the first of the two 1.1 records
    EXPECT_EQ(r.critical.grid, 2);
    EXPECT_DOUBLE_EQ(r.critical.f, 1.2);
    // Labels: centre (1, 5) takes f 1.2 from its second record (1.2 + 1e-7 < 1.3), not
    // the near-equal 1.1999999 (not lower by 1e-7); (2, 5) is replaced by grid 2's 1.1.
    ASSERT_EQ(r.labels.size(), 3u);
    EXPECT_DOUBLE_EQ(r.labels[0].f, 1.2);
    EXPECT_DOUBLE_EQ(r.labels[0].rr, 5.0);
    EXPECT_EQ(r.labels[0].drawFlag, 1);
    EXPECT_DOUBLE_EQ(r.labels[1].f, 1.1);
    EXPECT_EQ(r.labels[1].grid, 2);
    EXPECT_EQ(r.labels[1].drawFlag, -1);
    EXPECT_DOUBLE_EQ(r.labels[2].x, 3.0);

    // Sheet pile by shear capacity: mry enters only the critical result:
    // (100 + 20 + 15.55)/100 = 1.3555, cut to 1.355.
    m->sheetPile.method = 3;
    collectResults(*m, r, [](const SlopeModel&, double, double, double) { return 15.55; });
    EXPECT_DOUBLE_EQ(r.critical.mry, 15.55);
    EXPECT_DOUBLE_EQ(r.critical.mr, 135.55);
    EXPECT_DOUBLE_EQ(r.critical.md, 100.0);
    EXPECT_DOUBLE_EQ(r.critical.f, 1.355);
    // Method 1 (uncut) adds no resistance.
    m->sheetPile.method = 1;
    collectResults(*m, r, [](const SlopeModel&, double, double, double) { return 15.55; });
    EXPECT_DOUBLE_EQ(r.critical.mry, 0.0);

    // Not valid (aborted): nothing is collected.
    r.validFlag = kResultsAborted;
    EXPECT_EQ(collectResults(*m, r, {}), 0);
    EXPECT_FALSE(r.hasCritical);
    EXPECT_TRUE(r.labels.empty());
}

TEST(CalcRun, AFailingEvaluationEndsTheRunWithAMessage)
{
    keltora::test::TempDir dir;
    for (int threads : {1, 2}) {
        auto m = gridModel();
        CalcOptions opts = fakeOptions(dir.path(), [](double cx, double, double, int) {
            if (cx > 1.5) throw std::runtime_error("out of memory");
            return 1.5;
        });
        opts.threads = threads;
        CalculationResults results;
        const CalcOutcome out = runCalculation(*m, results, opts);
        EXPECT_EQ(out.status, -1);
        EXPECT_EQ(out.verdict, Verdict::None);
        ASSERT_EQ(out.messages.size(), 2u);
        EXPECT_EQ(out.messages[0].caption, "ERROR");
        EXPECT_NE(out.messages[0].text.find("out of memory"), std::string::npos);
        EXPECT_EQ(out.messages[1].text, "計算：計算結果が得られませんでした。\n");
        EXPECT_EQ(m->calcState, 0);
        EXPECT_FALSE(results.hasCritical);
    }

    // A failing observer stops the workers as well instead of leaving them running.
    class Failing : public CalculationObserver {
      public:
        void centreDone(long long done, long long) override
        {
            if (done == 3) throw std::runtime_error("window closed");
        }
    } failing;
    auto m = gridModel();
    CalculationResults results;
    const CalcOutcome out = runCalculation(
        *m, results, fakeOptions(dir.path(), [](double, double, double, int) { return 1.5; }),
        &failing);
    EXPECT_EQ(out.status, -1);
    EXPECT_NE(out.messages.at(0).text.find("window closed"), std::string::npos);
}

TEST(CalcRun, OnTheDocument)
{
    keltora::test::TempDir dir;
    Document doc(dir.path());
    doc.model().felleniusCircle = gridModel()->felleniusCircle;
    CalcOptions opts = fakeOptions({}, [](double, double, double, int) { return 1.5; });
    const CalcOutcome out = runCalculation(doc, opts);
    EXPECT_EQ(out.verdict, Verdict::Ok);
    ASSERT_TRUE(doc.results());
    EXPECT_DOUBLE_EQ(doc.results()->critical.f, 1.5);
    EXPECT_EQ(doc.model().calcState, 1);
    EXPECT_TRUE(std::filesystem::exists(dir / "answer1.dmp")); // the start directory
}
