// The sheet pile import: header and table rows, the end of the table, the 64-row limit,
// missing and damaged files, and the import-piles command.
#include <gtest/gtest.h>

#include <memory>

#include "model/c_format.h"
#include "model/sdw_file.h"
#include "model/sheet_pile_import.h"
#include "test_support.h"

using namespace keltora;
using keltora::test::TempDir;

namespace {

// A document whose sheet pile settings all differ from what the files below hold.
std::unique_ptr<SlopeModel> withPile()
{
    auto m = std::make_unique<SlopeModel>();
    resetModel(*m);
    SheetPileSettings& sp = m->sheetPile;
    sp.method = 2;
    sp.x = 31.5;
    sp.topY = 9.0;
    sp.toeY = -30.0;
    sp.allowableShear = 180.0;
    sp.sectionArea = 1.0;
    sp.dummy = 7;
    sp.lm1 = 9.0;
    sp.passiveCount = 5;
    for (size_t k = 0; k < 5; ++k) {
        sp.passiveY[k] = -static_cast<double>(k);
        sp.passiveIntensity[k] = 100.0;
        sp.passiveLabelX[k] = 40.0;
        sp.passiveLabelY[k] = 2.0;
        sp.passiveLabelMode[k] = 1;
    }
    m->modified = 0;
    m->calcState = 1;
    return m;
}

const char* kHeader = "3.000\n-14.000\n19100.0\n3.000\n";

bool hasWarningContaining(const MessageList& list, const std::string& part)
{
    for (const auto& w : list)
        if (w.text.find(part) != std::string::npos) return true;
    return false;
}

} // namespace

TEST(SheetPileImport, ReadsHeaderAndRowsUntilTheFirstOtherLine)
{
    // A row beginning with a blank or "+" ends the table; a last row without a line end
    // still counts.
    struct Case {
        std::string rows;
        int count;
        bool toldAboutEnd;
    };
    const Case cases[] = {
        {"", 0, false},
        {"-3.0,0.0\r\n-8.0, 60.5\r\n.5e1 ,-1\r\n", 3, false},
        {"-3.0,0.0\n-8.0,60.5", 2, false},
        {"-3.0,0.0\n 1.0,2.0\n-8.0,60.5\n", 1, true},
        {"-3.0,0.0\n+1.0,2.0\n", 1, true},
        {"-3.0,0.0\n\n", 1, false}, // a trailing empty line is no lost row
    };
    for (const Case& c : cases) {
        auto m = withPile();
        SheetPileImportResult r = parseSheetPile(*m, kHeader + c.rows, "EXP_TVR1.DAT");
        ASSERT_EQ(r.status, 0) << c.rows;
        const SheetPileSettings& sp = m->sheetPile;
        EXPECT_EQ(sp.passiveCount, c.count) << c.rows;
        EXPECT_EQ(hasWarningContaining(r.warnings, "表は"), c.toldAboutEnd) << c.rows;
        EXPECT_EQ(sp.topY, 3.0);
        EXPECT_EQ(sp.toeY, -14.0);
        EXPECT_EQ(sp.sectionArea, 19100.0);
        EXPECT_EQ(sp.lm1, 3.0);
        // Position and allowable shear are reset; method and dummy are kept.
        EXPECT_EQ(sp.x, 0.0);
        EXPECT_EQ(sp.allowableShear, 0.0);
        EXPECT_EQ(sp.method, 2);
        EXPECT_EQ(sp.dummy, 7);
        // Every row of the earlier table is gone, labels included.
        for (size_t k = 0; k < 5; ++k) {
            EXPECT_EQ(sp.passiveLabelMode[k], -1);
            EXPECT_EQ(sp.passiveLabelX[k], 0.0);
        }
        EXPECT_EQ(m->modified, 1);
        EXPECT_EQ(m->calcState, 0);
    }
    auto m = withPile();
    ASSERT_EQ(
        parseSheetPile(*m, std::string(kHeader) + "-3.0,0.0\n-8.0, 60.5\n.5e1 ,-1\n", "a").status,
        0);
    EXPECT_EQ(m->sheetPile.passiveY[1], -8.0);
    EXPECT_EQ(m->sheetPile.passiveIntensity[1], 60.5);
    EXPECT_EQ(m->sheetPile.passiveY[2], 5.0);
    EXPECT_EQ(m->sheetPile.passiveIntensity[2], -1.0);
}

TEST(SheetPileImport, TakesAtMost64RowsAndSaysSo)
{
    std::string rows;
    for (int k = 0; k < 70; ++k)
        rows += cformat("%d.0,%d.0\n", -k, 10 * k);
    auto m = withPile();
    SheetPileImportResult r = parseSheetPile(*m, kHeader + rows, "P.DAT");
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(m->sheetPile.passiveCount, 64);
    EXPECT_EQ(m->sheetPile.passiveY[63], -63.0);
    EXPECT_EQ(r.rowsIgnored, 6);
    EXPECT_TRUE(hasWarningContaining(r.warnings, "6行"));
    EXPECT_FALSE(hasWarningContaining(r.warnings, "上から下")); // heights descend
}

TEST(SheetPileImport, MissingOrDamagedFilesChangeNothing)
{
    TempDir dir;
    auto m = withPile();
    const std::string before = formatDataFile(*m, "t");
    SheetPileImportResult missing = importSheetPile(*m, dir / "EXP_TVR9.DAT");
    EXPECT_EQ(missing.status, 1);
    ASSERT_TRUE(missing.error);
    EXPECT_EQ(missing.error->text, "矢板諸元インポートファイル(EXP_TVR9.DAT) が見つかりません。");
    EXPECT_EQ(missing.error->caption, "error");
    EXPECT_EQ(formatDataFile(*m, "t"), before);

    // A header value or a row that does not read entirely would otherwise leave an old
    // value, or a half-read one, in the pile without a word.
    const std::string damaged[] = {
        "3.0\n-14.0\n19100.0\n",             // header cut short
        "3.0\n-14,5\n19100.0\n3.0\n",        // decimal comma
        "3.0\n\n19100.0\n3.0\n-3.0,0.0\n",   // empty header line
        std::string(kHeader) + "-3.0\n",     // row without intensity
        std::string(kHeader) + "-3.0;5.0\n", // wrong separator
        std::string(kHeader) + "-3.0,0.0\n-\n",
        std::string(kHeader) + "-3.0,5.0,7.0\n",
    };
    for (const auto& text : damaged) {
        SheetPileImportResult r = parseSheetPile(*m, text, "EXP_TVR1.DAT");
        EXPECT_EQ(r.status, -1) << text;
        ASSERT_TRUE(r.error) << text;
        EXPECT_NE(r.error->text.find("行"), std::string::npos);
        EXPECT_EQ(formatDataFile(*m, "t"), before) << text;
    }
}

TEST(SheetPileCommand, ImportsTheExampleFile)
{
    TempDir dir;
    const std::string out = (dir / "OUT.SDW").string();
    std::string output;
    ASSERT_EQ(keltora::test::runCommand(
                  keltora::test::cliPath().string() + " import-piles " +
                      (keltora::test::examplesDir() / "quay_backfill.SDW").string() + " " +
                      (keltora::test::examplesDir() / "EXP_TVR1.DAT").string() + " -o " + out,
                  &output),
              0)
        << output;
    auto m = std::make_unique<SlopeModel>();
    resetModel(*m);
    ASSERT_EQ(readDataFile(*m, out).status, 0);
    EXPECT_EQ(m->sheetPile.topY, 3.0);
    EXPECT_EQ(m->sheetPile.toeY, -14.0);
    EXPECT_EQ(m->sheetPile.passiveCount, 3);
    EXPECT_EQ(m->sheetPile.passiveIntensity[2], 180.0);
}
