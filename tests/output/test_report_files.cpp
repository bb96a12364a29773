// Report data files: golden output of each method family from hand-made result lists, and
// the record rules (row forms, column groups, page starts, closing blocks, truncation).
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "model/text_encoding.h"
#include "output/report_files.h"
#include "test_support.h"

namespace keltora {
namespace {

namespace fs = std::filesystem;
using test::readBytes;
using test::TempDir;

SlipResult mass(double cx, double cy, double rr, double f, double mrf = 100.0, double mrc = 50.0,
                double md = 120.0)
{
    SlipResult r;
    r.grid = 1;
    r.cx = cx;
    r.cy = cy;
    r.rr = rr;
    r.mrf = mrf;
    r.mrc = mrc;
    r.mr = mrf + mrc;
    r.md = md;
    r.f = f;
    return r;
}

std::unique_ptr<SlopeModel> baseModel(int method)
{
    auto m = std::make_unique<SlopeModel>();
    resetModel(*m);
    m->title = "岸壁背面の検討";
    m->conditions.method = method;
    m->calcDate = {26, 12, 8};
    m->calcTime = {9, 5, 30};
    return m;
}

ReportInput inputFor(const SlopeModel& m)
{
    ReportInput in;
    in.model = &m;
    in.resultsValid = true;
    in.dataPathWithoutExtension = "/data/岸壁";
    return in;
}

// The file as UTF-8 text with LF line ends (after checking that it is CR LF throughout).
std::string fileText(const fs::path& p)
{
    const std::string bytes = readBytes(p);
    std::string lf;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            EXPECT_TRUE(i > 0 && bytes[i - 1] == '\r') << p;
        }
        if (bytes[i] != '\r') lf.push_back(bytes[i]);
    }
    return cp932ToUtf8(lf);
}

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

void compareWithGolden(const fs::path& dir, const std::string& caseName,
                       const std::vector<std::string>& written)
{
    const fs::path golden = test::testDataDir() / "report" / caseName;
    if (test::updateGolden()) {
        fs::remove_all(golden);
        fs::create_directories(golden);
        for (const auto& name : written)
            fs::copy_file(dir / name, golden / name);
    }
    std::vector<std::string> expected;
    for (const auto& e : fs::directory_iterator(golden))
        expected.push_back(e.path().filename());
    std::vector<std::string> got = written;
    std::sort(expected.begin(), expected.end());
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, expected) << caseName;
    for (const auto& name : written)
        EXPECT_EQ(readBytes(dir / name), readBytes(golden / name)) << caseName << "/" << name;
}

// Values chosen by hand so that every field is exercised: two levels, a centre with two
// radii, a never-evaluated cell, and the passive sheet pile block.
TEST(ReportFiles, GoldenFilesOfEveryMethodFamily)
{
    {
        auto m = baseModel(kMethodFellenius);
        m->conditions.seismicCoefficient = 0.1;
        m->conditions.fsTableWithRadius = 1;
        m->sheetPile.method = 2;
        m->sheetPile.x = 3.0;
        m->sheetPile.lm1 = 2.0;
        m->sheetPile.passiveCount = 3;
        m->sheetPile.passiveY[0] = 0.0;
        m->sheetPile.passiveY[1] = -3.0;
        m->sheetPile.passiveY[2] = -8.0;
        m->sheetPile.passiveIntensity[0] = 0.0;
        m->sheetPile.passiveIntensity[1] = 30.0;
        m->sheetPile.passiveIntensity[2] = 80.0;
        ReportInput in = inputFor(*m);
        in.levels[0] = {mass(0, 10, 12, 1.25), mass(0, 10, 13, 1.2), mass(0, 11, 12, 1.3),
                        mass(1, 10, 12, 1.1)};
        in.levels[0][2].mry = 40.0;
        in.levels[1] = {mass(0.5, 10.5, 12.5, 1.05, 110.0, 20.0, 124.0)};
        in.levels[1][0].mry = 25.0;
        TempDir dir;
        ReportOutcome out = writeReportData(in, dir.path());
        ASSERT_EQ(out.status, 0);
        EXPECT_TRUE(out.log.messages.empty());
        compareWithGolden(dir.path(), "fellenius", out.log.written);
    }
    {
        auto m = baseModel(kMethodBishopModified);
        ReportInput in = inputFor(*m);
        in.levels[0] = {mass(-2, 8, 10, 1.412, 300, 200, 350), mass(-2, 9, 10, 1.5),
                        mass(-1, 8, 11, 1.398)};
        TempDir dir;
        ReportOutcome out = writeReportData(in, dir.path());
        ASSERT_EQ(out.status, 0);
        compareWithGolden(dir.path(), "bishop", out.log.written);
    }
    {
        auto m = baseModel(kMethodLineByAngle);
        m->conditions.seismicCoefficient = 0.15;
        ReportInput in = inputFor(*m);
        in.levels[0] = {mass(5, 2, 20, 1.8, 210.5, 80.25, 160.0), mass(5, 2, 25, 1.6),
                        mass(5, 2, 30, 1.7)};
        in.levels[1] = {mass(5, 2, 24.5, 1.55)};
        TempDir dir;
        ReportOutcome out = writeReportData(in, dir.path());
        ASSERT_EQ(out.status, 0);
        compareWithGolden(dir.path(), "line", out.log.written);
    }
}

TEST(ReportFiles, StatusAndDeletions)
{
    auto m = baseModel(kMethodFellenius);
    TempDir dir;
    for (const auto& name : staleReportFileNames())
        test::writeBytes(dir / name, "old");
    test::writeBytes(dir / "SB_CA20.PFM", "kept");
    EXPECT_EQ(staleReportFileNames().size(), 84u);

    ReportInput in = inputFor(*m);
    in.resultsValid = false;
    in.levels[0] = {mass(0, 10, 12, 1.25)};
    ReportOutcome out = writeReportData(in, dir.path());
    EXPECT_EQ(out.status, 1);
    for (const auto& name : staleReportFileNames())
        EXPECT_FALSE(fs::exists(dir / name)) << name;
    EXPECT_TRUE(fs::exists(dir / "SB_CA20.PFM"));

    in.resultsValid = true;
    in.levels[0].clear();
    out = writeReportData(in, dir.path());
    EXPECT_EQ(out.status, -1);
    ASSERT_EQ(out.log.messages.size(), 1u);
    EXPECT_EQ(out.log.messages[0].text, "maxdims < 1");
    EXPECT_EQ(out.log.messages[0].caption, "error");

    m->conditions.method = 7;
    in.levels[0] = {mass(0, 10, 12, 1.25)};
    EXPECT_EQ(writeReportData(in, dir.path()).status, -1);
}

TEST(ReportFiles, ResultRowsAndTableCells)
{
    auto m = baseModel(kMethodFellenius);
    ReportInput in = inputFor(*m);
    TempDir dir;

    // One result: a single new-X row, then the following-page header.
    in.levels[0] = {mass(2, 3, 4, 1.5)};
    ASSERT_EQ(writeReportData(in, dir.path()).status, 0);
    std::string list = fileText(dir / "SB_ANS10.PDT");
    EXPECT_EQ(list.substr(0, list.find('\n')), "修正フェレニウス(1次) 計算結果一覧表");
    EXPECT_TRUE(contains(list, "\n26  12  8   9   5   30          /data/岸壁\n"));
    EXPECT_TRUE(contains(list, "$0  SB_CD01.PFM\n01    2.00\n02    3.00\n03    4.00\n"
                               "04     100.000\n05      50.000\n06     150.000\n"
                               "07     120.000\n08   1.500\n$H  SB_CA02.PFM     SB_CA02.PZK\n"));
    EXPECT_TRUE(list.ends_with("$H\n$F\n$0  SB_CB01.PFM\n$L\n"));

    // Same centre: the second row is SB_CD03; the cell keeps the smaller F (first on a tie).
    in.levels[0] = {mass(2, 3, 4, 1.5), mass(2, 3, 5, 1.5), mass(2, 3, 6, 1.7), mass(2, 4, 6, 1.9)};
    m->conditions.fsTableWithRadius = 1;
    ASSERT_EQ(writeReportData(in, dir.path()).status, 0);
    list = fileText(dir / "SB_ANS10.PDT");
    EXPECT_EQ(count(list, "$0  SB_CD01.PFM"), 1);
    EXPECT_EQ(count(list, "$0  SB_CD03.PFM"), 2);
    EXPECT_EQ(count(list, "$0  SB_CD02.PFM"), 1);
    std::string fs = fileText(dir / "SB_ANS11.PDT");
    // Y descending: 4 first, then 3 with radius 4 (the first of the equal minima).
    EXPECT_TRUE(contains(fs, "00    4.00\n01   1.900\n11    6.00\n"));
    EXPECT_TRUE(contains(fs, "00    3.00\n01   1.500\n11    4.00\n$0  SB_CD10.PFM\n"));

    // A centre never evaluated: "-----" and no radius field.
    in.levels[0] = {mass(1, 3, 4, 1.5), mass(2, 4, 5, 1.6)};
    ASSERT_EQ(writeReportData(in, dir.path()).status, 0);
    fs = fileText(dir / "SB_ANS11.PDT");
    EXPECT_TRUE(contains(fs, "00    4.00\n01   -----\n02   1.600\n12    5.00\n"));
    EXPECT_TRUE(contains(fs, "00    3.00\n01   1.500\n11    4.00\n02   -----\n$0  SB_CD10.PFM\n"));
}

TEST(ReportFiles, ColumnGroupsAndPageStarts)
{
    auto m = baseModel(kMethodFellenius);
    ReportInput in = inputFor(*m);
    TempDir dir;
    auto grid = [&](int nx, int ny) {
        in.levels[0].clear();
        for (int x = 0; x < nx; ++x)
            for (int y = 0; y < ny; ++y)
                in.levels[0].push_back(mass(x, y, 10, 1.0 + 0.01 * y));
    };

    // Nine X values: columns 1-8 and a one-column group.
    grid(9, 2);
    ASSERT_EQ(writeReportData(in, dir.path()).status, 0);
    const std::string ca0 = fileText(dir / "SB_CA10.PFM");
    const std::string ca1 = fileText(dir / "SB_CA11.PFM");
    EXPECT_EQ(ca0, "円形すべり(修正フェレニウス法)ヘッダーファイル\n6\n\n\n"
                   "［ 円 形 す べ り 安 全 率 一 覧 表 ］ 1次格子\n"
                   "┏━━━┳━━━┯━━━┯━━━┯━━━┯━━━┯━━━┯━━━┯━━━┓\n"
                   "┃　　Ｘ┃　　　│　　　│　　　│　　　│　　　│　　　│　　　│　　　┃\n"
                   "┃Ｙ　　┃$01^^^│$02^^^│$03^^^│$04^^^│$05^^^│$06^^^│$07^^^│$08^^^┃\n"
                   "┣━━━╋━━━┿━━━┿━━━┿━━━┿━━━┿━━━┿━━━┿━━━┫\n");
    EXPECT_EQ(ca1, "円形すべり(修正フェレニウス法)ヘッダーファイル\n6\n\n\n"
                   "［ 円 形 す べ り 安 全 率 一 覧 表 ］ 1次格子\n"
                   "┏━━━┳━━━┓\n┃　　Ｘ┃　　　┃\n┃Ｙ　　┃$01^^^┃\n┣━━━╋━━━┫\n");
    EXPECT_EQ(fileText(dir / "SB_CC11.PFM"),
              "円形すべり(修正フェレニウス法)データファイル\n2\n┠───╂───┨\n┃$00^^^┃$01^^^┃\n");
    EXPECT_EQ(fileText(dir / "SB_CD11.PFM"),
              "円形すべり(修正フェレニウス法)フッターファイル\n2\n┗━━━┻━━━┛\n\n");
    EXPECT_EQ(fileText(dir / "SB_CE11.PFM"),
              "円形すべり(修正フェレニウス法)フッターファイル\n4\n┗━━━┻━━━┛\n\n");
    EXPECT_EQ(fileText(dir / "SB_CF11.PFM"),
              "円形すべり(修正フェレニウス法)フッターファイル\n2\n\n\n");
    EXPECT_FALSE(fs::exists(dir / "SB_CA12.PFM"));
    std::string fs = fileText(dir / "SB_ANS11.PDT");
    EXPECT_TRUE(contains(fs, "$H  SB_CA11.PFM     SB_CA10.PZK\n01    8.00\n"
                             "$0  SB_CB11.PFM     SB_CB10.PZK\n01    8.00\n"
                             "$F  SB_CE11.PFM\n$0  SB_CC11.PFM\n00    1.00\n01   1.010\n"));
    EXPECT_TRUE(fs.ends_with("$0  SB_CD11.PFM\n$H\n$F\n$0  SB_CF11.PFM\n$L\n"));

    // 20 Y values: the continuation header is placed in the body.
    grid(9, 20);
    ASSERT_EQ(writeReportData(in, dir.path()).status, 0);
    fs = fileText(dir / "SB_ANS11.PDT");
    EXPECT_TRUE(contains(fs, "$0  SB_CB11.PFM"));
    EXPECT_FALSE(contains(fs, "$1  "));
    // 21: no continuation header; the second group starts a new page.
    grid(9, 21);
    ASSERT_EQ(writeReportData(in, dir.path()).status, 0);
    fs = fileText(dir / "SB_ANS11.PDT");
    EXPECT_FALSE(contains(fs, "$0  SB_CB11.PFM"));
    EXPECT_EQ(count(fs, "$1  "), 1);
    EXPECT_TRUE(contains(fs, "01    8.00\n$F  SB_CF11.PFM\n$1  SB_CC11.PFM\n00   20.00\n"));
}

TEST(ReportFiles, LevelsClosingBlocksAndSheetPileTruncation)
{
    auto m = baseModel(kMethodFellenius);
    ReportInput in = inputFor(*m);
    TempDir dir;

    // Levels 1 and 2 with results, 3 empty (4 is never reached).
    in.levels[0] = {mass(0, 10, 12, 1.25)};
    in.levels[1] = {mass(0, 10, 12, 1.2)};
    in.levels[3] = {mass(0, 10, 12, 1.1)};
    ReportOutcome out = writeReportData(in, dir.path());
    ASSERT_EQ(out.status, 0);
    EXPECT_TRUE(fs::exists(dir / "SB_ANS22.PDT"));
    EXPECT_FALSE(fs::exists(dir / "SB_ANS30.PDT"));
    EXPECT_FALSE(fs::exists(dir / "SB_ANS40.PDT"));
    // The deepest level is 4, which is never written, so no closing block stands anywhere.
    EXPECT_FALSE(contains(fileText(dir / "SB_ANS22.PDT"), "SB_CD51"));
    in.levels[3].clear();
    ASSERT_EQ(writeReportData(in, dir.path()).status, 0);
    EXPECT_FALSE(contains(fileText(dir / "SB_ANS12.PDT"), "SB_CD51"));
    EXPECT_TRUE(contains(fileText(dir / "SB_ANS22.PDT"), "$0  SB_CD51.PFM"));
    EXPECT_TRUE(fileText(dir / "SB_ANS22.PDT").starts_with("修正フェレニウス(2次) 最小安全率\n"));

    // kh exactly 0.0001 selects the seismic closing forms, for every family.
    in.levels[1].clear();
    m->conditions.seismicCoefficient = 0.0001;
    ASSERT_EQ(writeReportData(in, dir.path()).status, 0);
    EXPECT_TRUE(contains(fileText(dir / "SB_ANS12.PDT"), "$0  SB_CE51.PFM"));
    m->conditions.method = kMethodBishop;
    ASSERT_EQ(writeReportData(in, dir.path()).status, 0);
    EXPECT_TRUE(contains(fileText(dir / "SB_ANS12.PDT"), "$0  SB_BE51.PFM"));
    m->conditions.method = kMethodLineBySegments;
    ASSERT_EQ(writeReportData(in, dir.path()).status, 0);
    EXPECT_TRUE(contains(fileText(dir / "SB_ANS12.PDT"), "$0  SB_LE51.PFM"));
    EXPECT_FALSE(fs::exists(dir / "SB_ANS11.PDT"));
    m->conditions.seismicCoefficient = 0.0000999;
    ASSERT_EQ(writeReportData(in, dir.path()).status, 0);
    EXPECT_TRUE(contains(fileText(dir / "SB_ANS12.PDT"), "$0  SB_LD51.PFM"));

    // Shear block: mr = 100 + 23.499 + 0 ... F = (mrf + mrc + mry) / md truncated:
    // 123.499 / 100 = 1.23499 -> 1.234.
    m->conditions.method = kMethodFellenius;
    m->sheetPile.method = 3;
    m->sheetPile.x = 3.0;
    m->sheetPile.allowableShear = 100.0;
    m->sheetPile.sectionArea = 50.0;
    in.levels[0] = {mass(0, 10, 5, 1.0, 100.0, 13.499, 100.0)};
    in.levels[0][0].mry = 10.0;
    ASSERT_EQ(writeReportData(in, dir.path()).status, 0);
    std::string minimum = fileText(dir / "SB_ANS12.PDT");
    EXPECT_TRUE(contains(minimum, "$0  SB_CC53.PFM\n09      10.000\n00   1.234\n"));
    // d = 3, rr = 5: cos = 0.8, theta = 36.870 deg, S = 5, T = 6.25, Mt = 31.25.
    EXPECT_TRUE(contains(minimum, "$0  SB_CC61.PFM\n00    36.870\n01     100.0\n02    50.000\n"
                                  "03     5.000\n04   0.80000\n05     6.250\n06     5.000\n"
                                  "07      31.250\n"))
        << minimum;

    // The pile beyond the circle (d > rr) and too few pressure points: zero resultant.
    m->sheetPile.method = 2;
    m->sheetPile.x = 30.0;
    m->sheetPile.passiveCount = 1;
    ASSERT_EQ(writeReportData(in, dir.path()).status, 0);
    minimum = fileText(dir / "SB_ANS12.PDT");
    EXPECT_FALSE(contains(minimum, "nan"));
    EXPECT_TRUE(contains(minimum, "$0  SB_CC64.PFM\n00     0.000\n01     0.000\n02     5.000\n"
                                  "03   0.00000\n04     0.000\n05       0.000\n"))
        << minimum;
}

TEST(ReportFiles, OversizedTablesAndUnwritableFiles)
{
    auto m = baseModel(kMethodFellenius);
    ReportInput in = inputFor(*m);
    for (int x = 0; x < 105; ++x)
        in.levels[0].push_back(mass(x, 0, 10, 2.0 - 0.001 * x));
    TempDir dir;
    ReportOutcome out = writeReportData(in, dir.path());
    ASSERT_EQ(out.status, 0);
    const std::string fs = fileText(dir / "SB_ANS11.PDT");
    EXPECT_TRUE(contains(fs, "$0  SB_CN01.PFM\n$L\n"));
    EXPECT_TRUE(fs::exists(dir / "SB_CA112.PFM")); // columns 97..100
    EXPECT_FALSE(fs::exists(dir / "SB_CA113.PFM"));
    ASSERT_EQ(out.log.messages.size(), 1u);
    // The minimum still sees every result (x = 104 has the smallest F).
    EXPECT_TRUE(contains(fileText(dir / "SB_ANS12.PDT"), "05  104.000\n"));

    // A file that cannot be created is skipped and named; the others are written.
    fs::create_directories(dir / "ro" / "SB_ANS10.PDT" / "inside");
    in.levels[0].resize(1);
    out = writeReportData(in, dir / "ro");
    EXPECT_EQ(out.status, 0);
    ASSERT_FALSE(out.log.messages.empty());
    EXPECT_TRUE(contains(out.log.messages[0].text, "SB_ANS10.PDT"));
}

} // namespace
} // namespace keltora
