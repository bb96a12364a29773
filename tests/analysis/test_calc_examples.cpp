// The calculation with the program's own evaluation on whole sections: a published search
// problem, golden dump files, serial = parallel on every example, the sheet pile on the
// critical result and the command line.
#include <gtest/gtest.h>

#include <memory>

#include "analysis/calculation.h"
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

struct Calc {
    CalculationResults results;
    CalcOutcome outcome;
};

std::unique_ptr<Calc> calculate(SlopeModel& m, const std::filesystem::path& dir, int threads)
{
    auto c = std::make_unique<Calc>();
    CalcOptions o;
    o.workDir = dir;
    o.threads = threads;
    o.now = std::tm{};
    c->outcome = runCalculation(m, c->results, o);
    return c;
}

} // namespace

// Yamagami & Ueta (1988): ground (0,5)-(5,5)-(15,10)-(25,10) over a base at y = 0,
// c = 9.8 kN/m2, phi = 10 deg, gamma = 17.64 kN/m3, dry; the ordinary method of slices
// gives a minimum of 1.282. In examples/yamagami_ueta.SDW the toe and crest are extended
// flat (x -15 .. 40) so that the model's ends do not cut the circles, a large arc-limit
// line at y = 0 keeps the circles above the base, and the search runs centres X 0..15,
// Y 8..20 at 1 m, radii 4..20 at 0.25 m, with extension and four grids, slices 0.1 m.
// With kh = 0 and W' = W the modified Fellenius terms are those of the ordinary method.
TEST(CalcExamples, PublishedSearchProblem)
{
    kt::TempDir dir;
    auto m = load(kt::examplesDir() / "yamagami_ueta.SDW");
    auto c = calculate(*m, dir.path(), 0);
    ASSERT_EQ(c->outcome.verdict, Verdict::Ok);
    // A finer search than the paper's finds a slightly lower minimum: within 0.02.
    EXPECT_NEAR(c->results.critical.f, 1.282, 0.02);
    EXPECT_LE(c->results.critical.f, 1.282);
    // The critical circle passes near the toe (5, 5) and cuts the crest.
    const SlipResult& r = c->results.critical;
    EXPECT_NEAR(r.ex, 4.0, 2.0);
    EXPECT_GT(r.sx, 15.0);
}

TEST(CalcExamples, GoldenDumpFiles)
{
    // A coarse search of the quay backfill: a clay layer with C = C0 + K z, two sand layers,
    // a water-pressure block, a surcharge, a horizontal force and kh = 0.1; grid 2 extends.
    const auto golden = kt::testDataDir() / "calc" / "quay_coarse";
    kt::TempDir dir;
    auto m = load(kt::testDataDir() / "calc" / "quay_coarse.SDW");
    auto c = calculate(*m, dir.path(), 0);
    ASSERT_EQ(c->outcome.status, 0);
    for (const char* name : {"answer1.dmp", "answer2.dmp"}) {
        const std::string bytes = kt::readBytes(dir / name);
        ASSERT_FALSE(bytes.empty()) << name;
        if (kt::updateGolden()) {
            std::filesystem::create_directories(golden);
            kt::writeBytes(golden / name, bytes);
        }
        EXPECT_EQ(bytes, kt::readBytes(golden / name)) << name;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "answer3.dmp"));
}

TEST(CalcExamples, ParallelRunsEqualTheSerialRun)
{
    for (const char* example : {"quay_backfill.SDW", "embankment.SDW", "yamagami_ueta.SDW"}) {
        auto m = load(kt::examplesDir() / example);
        kt::TempDir serial, parallel;
        auto a = calculate(*m, serial.path(), 1);
        auto b = calculate(*m, parallel.path(), 3);
        ASSERT_EQ(a->outcome.verdict, b->outcome.verdict) << example;
        EXPECT_EQ(a->outcome.messages.back().text, b->outcome.messages.back().text);
        EXPECT_EQ(a->results.critical.f, b->results.critical.f) << example;
        EXPECT_EQ(a->results.critical.cx, b->results.critical.cx) << example;
        EXPECT_EQ(a->results.critical.cy, b->results.critical.cy) << example;
        EXPECT_EQ(a->results.critical.rr, b->results.critical.rr) << example;
        EXPECT_EQ(a->results.labels.size(), b->results.labels.size()) << example;
        for (int g = 1; g <= 4; ++g) {
            const std::string name = "answer" + std::to_string(g) + ".dmp";
            EXPECT_EQ(kt::readBytes(serial / name), kt::readBytes(parallel / name))
                << example << " " << name;
        }
    }
}

TEST(CalcExamples, SheetPileRaisesOnlyTheReportedCriticalFactor)
{
    kt::TempDir dir;
    auto m = load(kt::examplesDir() / "yamagami_ueta.SDW");
    // A pile by shear capacity at x = 10 through the whole slope crosses the critical circle.
    m->sheetPile.method = 3;
    m->sheetPile.x = 10.0;
    m->sheetPile.topY = 10.0;
    m->sheetPile.toeY = 0.0;
    m->sheetPile.allowableShear = 180000.0;
    m->sheetPile.sectionArea = 0.01;
    auto c = calculate(*m, dir.path(), 0);
    ASSERT_TRUE(c->results.hasCritical);
    const SlipResult& crit = c->results.critical;
    EXPECT_GT(crit.mry, 0.0);
    const auto& table = c->results.tables[static_cast<std::size_t>(crit.grid - 1)];
    bool found = false;
    for (const SlipResult& r : table)
        if (r.cx == crit.cx && r.cy == crit.cy && r.rr == crit.rr && r.mr + crit.mry == crit.mr) {
            EXPECT_GT(crit.f, r.f);
            found = true;
            break;
        }
    EXPECT_TRUE(found);
}

TEST(CalcExamples, CommandLine)
{
    kt::TempDir dir;
    std::string out;
    const std::string cli = kt::cliPath().string();
    int rc = kt::runCommand(cli + " calc " + (kt::examplesDir() / "yamagami_ueta.SDW").string() +
                                " --workdir " + dir.path().string() + " --quiet",
                            &out);
    EXPECT_EQ(rc, 0) << out;
    EXPECT_NE(out.find("critical circle: F = 1.2"), std::string::npos) << out;
    EXPECT_NE(out.find("[終わり] 計算：正常終了しました。判定(1.2"), std::string::npos) << out;
    EXPECT_TRUE(std::filesystem::exists(dir / "answer4.dmp"));

    // The quay example passes its allowable factor; with a stricter one it is OUT (exit 1).
    rc = kt::runCommand(cli + " calc " + (kt::examplesDir() / "quay_backfill.SDW").string() +
                            " --workdir " + dir.path().string() + " --quiet",
                        &out);
    EXPECT_EQ(rc, 0) << out;
    {
        auto strict = load(kt::examplesDir() / "quay_backfill.SDW");
        strict->conditions.allowableSafetyFactor = 1.5;
        ASSERT_TRUE(writeDataFile(*strict, dir / "strict.SDW").ok);
    }
    rc = kt::runCommand(cli + " calc " + (dir / "strict.SDW").string() + " --workdir " +
                            dir.path().string() + " --threads 2",
                        &out);
    EXPECT_EQ(rc, 1) << out;
    EXPECT_NE(out.find("OUT"), std::string::npos);
    EXPECT_NE(out.find("grid 2/2 ["), std::string::npos) << "progress on stderr";

    // Circles that never reach the ground: every grid is named, no result, exit 2.
    auto m = load(kt::examplesDir() / "yamagami_ueta.SDW");
    m->felleniusCircle.centreY = {40, 42, 1};
    m->felleniusCircle.radius = {1, 5, 1};
    ASSERT_TRUE(writeDataFile(*m, dir / "nothing.SDW").ok);
    rc = kt::runCommand(cli + " calc " + (dir / "nothing.SDW").string() + " --workdir " +
                            dir.path().string() + " --quiet",
                        &out);
    EXPECT_EQ(rc, 2) << out;
    EXPECT_NE(out.find("grid 1 found no sliding mass"), std::string::npos) << out;
    EXPECT_NE(out.find("grid 4 found no sliding mass"), std::string::npos) << out;
    EXPECT_NE(out.find("計算：計算結果が得られませんでした。"), std::string::npos) << out;

    // Ctrl+C stops a long search at the next centre: no result, exit 2, the dump of the
    // interrupted grid closed with what was stored.
    m->felleniusCircle.centreX = {0, 15, 0.05};
    m->felleniusCircle.centreY = {8, 20, 0.05};
    m->felleniusCircle.radius = {4, 20, 0.05};
    ASSERT_TRUE(writeDataFile(*m, dir / "long.SDW").ok);
    rc = kt::runCommand("timeout --preserve-status -s INT 0.5 " + cli + " calc " +
                            (dir / "long.SDW").string() + " --workdir " + dir.path().string(),
                        &out);
    EXPECT_EQ(rc, 2) << out;
    EXPECT_NE(out.find("interrupted"), std::string::npos) << out;
    EXPECT_NE(out.find("計算：計算結果が得られませんでした。"), std::string::npos) << out;
    EXPECT_TRUE(std::filesystem::exists(dir / "answer1.dmp"));
    EXPECT_FALSE(std::filesystem::exists(dir / "answer2.dmp"));

    // Errors: a missing file, a bad thread count, refused settings.
    EXPECT_EQ(kt::runCommand(cli + " calc " + (dir / "missing.SDW").string(), &out), 2);
    EXPECT_EQ(
        kt::runCommand(cli + " calc " + (dir / "nothing.SDW").string() + " --threads 0", &out), 2);
    m->felleniusCircle.radius = {5, 1, 1};
    ASSERT_TRUE(writeDataFile(*m, dir / "refused.SDW").ok);
    EXPECT_EQ(kt::runCommand(cli + " calc " + (dir / "refused.SDW").string(), &out), 2);
    EXPECT_NE(out.find("[error] 円弧半径　Rmax/Rmin　の値が不正です。"), std::string::npos) << out;
}

TEST(CalcExamples, BlockOutsideEveryClosedRegionTakesNoPartAndIsNamed)
{
    // A block of W = 100 whose inner point lies far beside the quay backfill: the outline
    // traced around it closes around the whole section without holding it. It takes no
    // part: the critical result is that of the section without it (the independent
    // reference), and the user is told which block it was; the calculation still runs.
    kt::TempDir dir, plain;
    auto reference = load(kt::examplesDir() / "quay_backfill.SDW");
    auto ref = calculate(*reference, plain.path(), 0);
    ASSERT_EQ(ref->outcome.verdict, Verdict::Ok);

    auto m = load(kt::examplesDir() / "quay_backfill.SDW");
    SoilBlock heavy;
    heavy.seed = {-500, 3};
    heavy.unitWeight = heavy.effectiveUnitWeight = 100;
    heavy.baseCohesion = 1;
    const int slot = *addBlock(*m, heavy);
    auto c = calculate(*m, dir.path(), 0);
    ASSERT_EQ(c->outcome.verdict, ref->outcome.verdict);
    EXPECT_EQ(c->results.critical.f, ref->results.critical.f);
    EXPECT_EQ(c->results.critical.cx, ref->results.critical.cx);
    EXPECT_EQ(c->results.critical.rr, ref->results.critical.rr);
    EXPECT_EQ(kt::readBytes(dir / "answer1.dmp"), kt::readBytes(plain / "answer1.dmp"));
    const std::string warning = "ブロック " + std::to_string(slot) +
                                " の内部点が閉じた領域の外にあるため、このブロックは計算に含め"
                                "ません。";
    ASSERT_GE(c->outcome.messages.size(), 2u);
    EXPECT_EQ(c->outcome.messages.front().text, warning);
    EXPECT_EQ(c->outcome.messages.front().caption, "メッセージ");
    EXPECT_EQ(c->outcome.messages.back().caption, "終わり"); // the verdict stays last

    // The Bishop and straight runs say the same.
    m->bishopCircle = m->felleniusCircle;
    m->lineSlip.startX[0] = 0;
    m->lineSlip.startY[0] = 0;
    m->lineSlip.angle = {10, 40, 5};
    for (int method : {kMethodBishop, kMethodLineByAngle}) {
        m->conditions.method = method;
        auto other = calculate(*m, dir.path(), 1);
        ASSERT_FALSE(other->outcome.messages.empty()) << method;
        EXPECT_EQ(other->outcome.messages.front().text, warning) << method;
    }

    // The command line prints it.
    m->conditions.method = kMethodFellenius;
    ASSERT_TRUE(writeDataFile(*m, dir / "outside.SDW").ok);
    std::string out;
    const int rc =
        kt::runCommand(kt::cliPath().string() + " calc " + (dir / "outside.SDW").string() +
                           " --workdir " + dir.path().string() + " --quiet",
                       &out);
    EXPECT_EQ(rc, 0) << out;
    EXPECT_NE(out.find("[メッセージ] " + warning), std::string::npos) << out;
}
