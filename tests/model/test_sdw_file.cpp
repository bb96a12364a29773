// The SDW data file: exact bytes, round trips, old versions, damaged files, safe saving.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <memory>

#include "model/c_format.h"
#include "model/sdw_file.h"
#include "model/text_encoding.h"
#include "test_support.h"

using namespace keltora;
using keltora::test::TempDir;

namespace {

std::unique_ptr<SlopeModel> fresh()
{
    auto m = std::make_unique<SlopeModel>();
    resetModel(*m);
    return m;
}

// Converts a UTF-8 text written with "\n" into the bytes of a file (CP932, CR LF).
std::string windowsFile(const std::string& utf8)
{
    std::string crlf;
    for (char c : utf8) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    return utf8ToCp932(crlf);
}

// A file of version 2000, in that version's layout (the lines added later are absent).
const char* kVersion2000 = R"(2000   $   バージョン番号
$   検討条件
$   データファイル(ファイルのみ)
OLD
$   計算した   年/月/日
1999,12,31
$   計算した   時/分/秒
23,59,58
$   業務名称
旧データ
$   検討方法 修正ﾌｪﾚ(0) ﾁｪﾎﾞ法(1),ﾋﾞｼｮｯﾌﾟ法(2),直線すべり法(3)
3
$   水平震度  (常時なら0.000,ビショップなら常に0.000)
0.150000
$   上載荷重 Xmin(m) x 3
1.000000,2.000000,3.000000
$   上載荷重 Xmax(m) x 3
4.000000,5.000000,6.000000
$   上載荷重 荷重１(t/m2) x 3
7.000000,8.000000,9.000000
$   水平外力,作用位置Y(m) x 3
1.500000,0.000000,0.000000
$   水平外力,外力H(t/m) x 3
20.000000,0.000000,0.000000
$   粘着力基準高(m)
-2.500000
$   最大安全率
5.000000
$   検討条件-修正フェレニウス法、チェボタリオフ法
$   検討条件が入力された(1)入力されてない(2)
1
$   円弧中心 Xパラメータ(m) :(0)Min,(1)Max,(2)Δ
10.000000,20.000000,1.000000
$   円弧中心 Yパラメータ(m) :同上
5.000000,15.000000,1.000000
$   円弧半径 Rパラメータ(m) :同上
3.000000,30.000000,0.500000
$   1次格子; 拡張あり(1), 拡張なし(2)
1
$   N次格子    発生しない(1), 2次格子(2), 3次格子(3), 4次格子(4)
3
$   すべり方向 自動(1), 左→右(2), 右→左(3)
2
$   検討条件-ビショップ法
$   検討条件が入力された(1)入力されてない(2)
2
$   円弧中心 Xパラメータ(m) :(0)Min,(1)Max,(2)Δ
0.000000,0.000000,1.000000
$   円弧中心 Yパラメータ(m) :同上
0.000000,0.000000,1.000000
$   円弧半径 Rパラメータ(m) :同上
1.000000,100.000000,1.000000
$   1次格子; 拡張あり(1), 拡張なし(2)
2
$   N次格子    発生しない(1), 2次格子(2), 3次格子(3), 4次格子(4)
1
$   すべり方向 自動(1), 左→右(2), 右→左(3)
3
$   検討条件-直線すべり法
$   検討条件が入力された(1)入力されてない(2) すべり線指定ＳＷ
1
$   すべり開始点 X(m)
12.500000
$   すべり開始点 Y(m)
-3.000000
$   すべり角度 αパラメータ(度) :(0)Min,(1)Max,(2)Δ
10.000000,40.000000,3.000000
$   水平外力 作用位置 X(m)
8.000000
$   すべり方向, 下(1),上(2),上下(3)
1
$   すべり角の2次分割    行う(1), 行わない(2)
2
$   作図条件
$   用紙   (1)A4横、(2)B4横、(3)A3横
2
$   作図スケール分母
250.000000
$   文字サイズ(mm) 業務名､土質条件､スケール､安全率､最大最小率､上載荷重スケール､水平外力スケール
5.000000,3.000000,3.500000,2.500000,4.500000,0.100000,0.200000,2.000000
$   枠中心の配置位置(m)
10.000000,-5.000000
$   表示範囲のXmin,Ymin
0.000000,0.000000
$   表示範囲のXmax,Yman
0.000000,0.000000
$   業務名称を作図 (1)する、(-1)しない
-1
$   業務名称の配置位置(m)
1.000000,2.000000
$   上載荷重の作図方法
1,-1,1
$   上載荷重の配置位置(m)
1.000000,2.000000,3.000000,4.000000,5.000000,6.000000
$   水平外力の作図方法
2,-1,3
$   水平外力の配置位置(m)
7.000000,8.000000,9.000000,10.000000,11.000000,12.000000
$   地形構成座標
$   点番号、Ｘ座標、Ｙ座標
0,0.000000,0.000000
1,10.000000,0.000000
2,10.000000,5.000000
$   地形構成線分
$   線分の種類、始点点番号、終点点番号
1,0,1,1
1,1,2,1
1,2,0,-1
$   地形構成ブロック
0
7.000000,1.000000
18.000000
9.000000
0.000000
12.000000
30.000000
0.000000
0.000000
0.000000
0.000000
1
7.000000,1.000000
0.000000,0.000000
0.000000,0.000000
0
0
$   データエンド
)";

// A document that uses most fields, with freed slots in every table.
std::unique_ptr<SlopeModel> sampleDocument()
{
    auto m = fresh();
    m->title = "$で始まる業務名　テスト";
    m->conditions.method = 2;
    m->conditions.seismicCoefficient = 0.12;
    m->conditions.surchargeQmax = {1.25, 2.5, 3.75};
    m->conditions.sliceWidth = 0.25;
    m->referenceLine.count = 3;
    m->referenceLine.x = {0.0, 5.0, 9.5};
    m->referenceLine.y = {-1.0, -2.0, -2.5};
    m->bishopCircle.centreX = {1.5, 2.5, 0.25};
    m->lineSlip.startX = {1, 2, 3, 4};
    m->sheetPile.method = 2;
    m->sheetPile.passiveCount = 2;
    m->sheetPile.passiveY[1] = -4.5;
    m->sheetPile.passiveIntensity[1] = 33.3;
    m->sheetPile.passiveLabelMode[1] = 1;
    m->sheetPile.lm1 = 1.75;
    m->draw.sizes[9] = 1.125;
    m->draw.surchargeLabelY[1][2] = -7.0;
    for (int k = 0; k < 6; ++k)
        addPoint(*m, k * 1.5, -k * 0.5);
    for (int k = 0; k < 5; ++k)
        addLine(*m, kBoundaryLine, k, k + 1);
    addLine(*m, kArcLimitPointLarge, 5, 5);
    SoilBlock b;
    b.seed = {2.0, -1.0};
    b.unitWeight = 17.5;
    b.frictionAngle = 32.0;
    b.reserved = {0, 0, 0, 0};
    b.kind = kStructureBlock;
    addBlock(*m, b);
    addBlock(*m, b);
    addBlock(*m, b);
    freePoint(*m, 2); // frees lines 1 and 2 as well
    freeBlock(*m, 1);
    return m;
}

} // namespace

TEST(SdwWrite, EmptyDocumentBytes)
{
    auto m = fresh();
    const std::string bytes = formatDataFile(*m, "EMPTY");
    const auto golden = test::testDataDir() / "sdw" / "empty.SDW";
    if (test::updateGolden()) test::writeBytes(golden, bytes);
    EXPECT_EQ(bytes, test::readBytes(golden));

    const std::string text = cp932ToUtf8(bytes);
    EXPECT_EQ(text.rfind("2100   $   バージョン番号\r\n", 0), 0u);
    EXPECT_NE(text.find("$   点番号、Ｘ座標、Ｙ座標\r\n$   地形構成線分\r\n"), std::string::npos);
    EXPECT_NE(text.find("$   線分の種類、始点点番号、終点点番号\r\n$   地形構成ブロック\r\n"
                        "$   データエンド\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("\r\n9999.000000\r\n"), std::string::npos);
    // the ideographic space of the comments is written as CP932 0x81 0x40
    EXPECT_NE(bytes.find("\x81\x40"), std::string::npos);
    EXPECT_EQ(bytes.find("\n\n"), std::string::npos);
}

TEST(SdwRoundTrip, EverySlotAndFieldSurvives)
{
    TempDir dir;
    auto m = sampleDocument();
    ASSERT_TRUE(writeDataFile(*m, dir / "case1.SDW").ok);
    EXPECT_EQ(m->dataName, "case1");
    EXPECT_EQ(m->modified, 0);

    auto r = fresh();
    ReadResult res = readDataFile(*r, dir / "case1.SDW");
    ASSERT_EQ(res.status, 0);
    EXPECT_TRUE(res.warnings.empty());
    EXPECT_EQ(r->title, m->title); // a title beginning with "$" is read by position
    EXPECT_EQ(r->dataName, "case1");
    EXPECT_EQ(r->modified, 0);
    EXPECT_EQ(r->pointCount, 6);
    EXPECT_EQ(r->points[2].number, -1);
    EXPECT_EQ(r->points[3].number, 3);
    EXPECT_DOUBLE_EQ(r->points[5].x, 7.5);
    EXPECT_EQ(r->lineCount, 6);
    EXPECT_EQ(r->lines[1].kind, -1);
    EXPECT_EQ(r->lines[5].kind, kArcLimitPointLarge);
    EXPECT_EQ(r->lines[5].startPoint, 5);
    EXPECT_EQ(r->blockCount, 3);
    EXPECT_EQ(r->blocks[1].number, -1);
    EXPECT_EQ(r->blocks[2].number, 2);
    EXPECT_EQ(r->blocks[2].kind, kStructureBlock);
    EXPECT_DOUBLE_EQ(r->blocks[2].unitWeight, 17.5);
    EXPECT_EQ(r->referenceLine.count, 3);
    EXPECT_DOUBLE_EQ(r->referenceLine.y[2], -2.5);
    EXPECT_DOUBLE_EQ(r->bishopCircle.centreX.step, 0.25);
    EXPECT_DOUBLE_EQ(r->lineSlip.startX[3], 4.0);
    EXPECT_EQ(r->sheetPile.passiveCount, 2);
    EXPECT_DOUBLE_EQ(r->sheetPile.passiveIntensity[1], 33.3);
    EXPECT_EQ(r->sheetPile.passiveLabelMode[1], 1);
    EXPECT_DOUBLE_EQ(r->sheetPile.lm1, 1.75);
    EXPECT_DOUBLE_EQ(r->draw.sizes[9], 1.125);
    EXPECT_DOUBLE_EQ(r->draw.surchargeLabelY[1][2], -7.0);
    EXPECT_DOUBLE_EQ(r->conditions.sliceWidth, 0.25);

    // Writing the read document again gives the same bytes.
    EXPECT_EQ(formatDataFile(*r, "case1"), formatDataFile(*m, "case1"));
}

TEST(SdwRoundTrip, RealsComeBackWithSixDecimals)
{
    TempDir dir;
    auto m = fresh();
    m->conditions.seismicCoefficient = 0.123456789;
    m->conditions.referenceHeight = -1.0000004;
    addPoint(*m, 1.23456749, 1e-7);
    ASSERT_TRUE(writeDataFile(*m, dir / "r.SDW").ok);
    auto r = fresh();
    ASSERT_EQ(readDataFile(*r, dir / "r.SDW").status, 0);
    EXPECT_DOUBLE_EQ(r->conditions.seismicCoefficient, 0.123457);
    EXPECT_DOUBLE_EQ(r->conditions.referenceHeight, -1.0);
    EXPECT_DOUBLE_EQ(r->points[0].x, 1.234567);
    EXPECT_DOUBLE_EQ(r->points[0].y, 0.0);
}

TEST(SdwRead, Version2000LayoutAndDefaults)
{
    TempDir dir;
    test::writeBytes(dir / "OLD.SDW", windowsFile(kVersion2000));
    auto m = fresh();
    m->sheetPile.method = 3; // an old file carries no sheet pile: the settings stay
    m->sheetPile.x = 4.25;
    ReadResult r = readDataFile(*m, dir / "OLD.SDW");
    ASSERT_EQ(r.status, 0) << (r.error ? r.error->text : "");
    EXPECT_EQ(r.version, 2000);
    EXPECT_TRUE(r.warnings.empty());
    const CalcConditions& c = m->conditions;
    EXPECT_EQ(m->title, "旧データ");
    EXPECT_EQ(m->calcDate[0], 1999);
    EXPECT_EQ(m->calcTime[2], 58);
    EXPECT_EQ(c.method, 3);
    EXPECT_DOUBLE_EQ(c.seismicCoefficient, 0.15);
    EXPECT_EQ(c.seismicOnSurcharge, 1);
    EXPECT_DOUBLE_EQ(c.surchargeQmax[2], 9.0); // = Qmin
    EXPECT_DOUBLE_EQ(c.forceH[0], 20.0);
    EXPECT_EQ(c.referenceMode, 0);
    EXPECT_DOUBLE_EQ(c.referenceHeight, -2.5);
    EXPECT_EQ(m->referenceLine.count, 0);
    EXPECT_DOUBLE_EQ(c.maxSafetyFactor, 5.0);
    EXPECT_EQ(c.sandPileFormula, 0);
    EXPECT_EQ(c.fsTableWithRadius, 0);
    EXPECT_DOUBLE_EQ(c.allowableSafetyFactor, 1.0);
    EXPECT_DOUBLE_EQ(c.sliceWidth, 0.1);
    EXPECT_EQ(c.roundingRule, 0);
    EXPECT_DOUBLE_EQ(m->felleniusCircle.radius.step, 0.5);
    EXPECT_EQ(m->felleniusCircle.finestGrid, 3);
    EXPECT_EQ(m->bishopCircle.direction, 3);
    EXPECT_EQ(m->lineSlip.entered, 1);
    EXPECT_EQ(m->lineSlip.lineSpecSwitch, 0);
    for (int k = 0; k < 4; ++k) {
        EXPECT_DOUBLE_EQ(m->lineSlip.startX[static_cast<size_t>(k)], 12.5);
        EXPECT_DOUBLE_EQ(m->lineSlip.startY[static_cast<size_t>(k)], -3.0);
    }
    EXPECT_EQ(m->lineSlip.angleRefinement, 2);
    EXPECT_EQ(m->sheetPile.method, 3);
    EXPECT_DOUBLE_EQ(m->sheetPile.x, 4.25);
    EXPECT_EQ(m->draw.paper, 2);
    EXPECT_DOUBLE_EQ(m->draw.sizes[7], 2.0);
    EXPECT_DOUBLE_EQ(m->draw.sizes[8], 0.0);
    EXPECT_DOUBLE_EQ(m->draw.sizes[15], 0.0);
    EXPECT_EQ(m->draw.drawTitle, -1);
    EXPECT_EQ(m->draw.surchargeLabelMode[1][1], -1); // right-end copies of the left end
    EXPECT_DOUBLE_EQ(m->draw.surchargeLabelX[1][2], 3.0);
    EXPECT_DOUBLE_EQ(m->draw.surchargeLabelY[1][0], 4.0);
    EXPECT_EQ(m->draw.forceLabelMode[2], 3);
    EXPECT_DOUBLE_EQ(m->draw.forceLabelY[2], 12.0);
    EXPECT_EQ(m->draw.gridFsSwitch[0], 1);
    EXPECT_EQ(m->draw.gridFsSwitch[3], -1);
    EXPECT_EQ(m->draw.decimals[3], 0);
    EXPECT_EQ(m->draw.decimals[7], 3);
    EXPECT_EQ(m->draw.drawZeroStrength, 1);
    EXPECT_EQ(m->pointCount, 3);
    EXPECT_EQ(m->lineCount, 3);
    EXPECT_EQ(m->lines[2].drawFlag, -1);
    EXPECT_EQ(m->blockCount, 1);
    EXPECT_DOUBLE_EQ(m->blocks[0].frictionAngle, 30.0);

    // Saving upgrades it to the current layout.
    ASSERT_TRUE(writeDataFile(*m, dir / "NEW.SDW").ok);
    auto again = fresh();
    ASSERT_EQ(readDataFile(*again, dir / "NEW.SDW").version, 2100);
    EXPECT_EQ(formatDataFile(*again, "x"), formatDataFile(*m, "x"));
}

TEST(SdwRead, LineEndsAndVersionsAboveCurrent)
{
    TempDir dir;
    auto m = sampleDocument();
    std::string crlf = formatDataFile(*m, "a");
    std::string lf;
    for (char ch : crlf)
        if (ch != '\r') lf += ch;
    test::writeBytes(dir / "crlf.SDW", crlf);
    test::writeBytes(dir / "lf.SDW", lf);
    auto a = fresh();
    auto b = fresh();
    ASSERT_EQ(readDataFile(*a, dir / "crlf.SDW").status, 0);
    ASSERT_EQ(readDataFile(*b, dir / "lf.SDW").status, 0);
    EXPECT_EQ(formatDataFile(*a, "a"), formatDataFile(*b, "a"));
    EXPECT_EQ(a->title, m->title); // no CR left on the title

    std::string future = crlf;
    future.replace(0, 4, "2950");
    test::writeBytes(dir / "future.SDW", future);
    auto c = fresh();
    ReadResult r = readDataFile(*c, dir / "future.SDW");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.version, 2100);
    EXPECT_EQ(formatDataFile(*c, "a"), crlf);
}

TEST(SdwRead, MissingFileAndOldVersionLeaveTheDocument)
{
    TempDir dir;
    auto m = sampleDocument();
    const std::string before = formatDataFile(*m, "x");
    ReadResult missing = readDataFile(*m, dir / "NONE.SDW");
    EXPECT_EQ(missing.status, 1);
    ASSERT_TRUE(missing.error);
    // The message names the full path.
    EXPECT_EQ(missing.error->text,
              "KELTORAデータファイル(" + (dir / "NONE.SDW").string() + ") が見つかりません。");
    EXPECT_EQ(missing.error->caption, "error");

    std::string old = windowsFile(kVersion2000);
    old.replace(0, 4, "1999");
    test::writeBytes(dir / "V1999.SDW", old);
    ReadResult tooOld = readDataFile(*m, dir / "V1999.SDW");
    EXPECT_EQ(tooOld.status, -1);
    EXPECT_EQ(tooOld.error->text, "(Error)データのバージョンが正しくありません");

    test::writeBytes(dir / "empty.SDW", "");
    EXPECT_EQ(readDataFile(*m, dir / "empty.SDW").status, -1);
    test::writeBytes(dir / "binary.SDW", std::string("\x89PNG\r\n\x1a\n\0\0\0", 11));
    EXPECT_EQ(readDataFile(*m, dir / "binary.SDW").status, -1);
    EXPECT_EQ(readDataFile(*m, dir.path()).status, 1); // a folder is no data file
    EXPECT_EQ(formatDataFile(*m, "x"), before);
}

TEST(SdwRead, TruncatedAndGarbledFilesWarnWithoutCrashing)
{
    TempDir dir;
    auto src = sampleDocument();
    const std::string full = formatDataFile(*src, "x");
    // Cut the file at many places: every read must end with a status and no crash.
    for (size_t cut = 8; cut + 24 < full.size(); cut += 97) {
        test::writeBytes(dir / "cut.SDW", full.substr(0, cut));
        auto m = fresh();
        ReadResult r = readDataFile(*m, dir / "cut.SDW");
        ASSERT_EQ(r.status, 0) << cut;
        EXPECT_FALSE(r.warnings.empty()) << cut; // the missing data end is reported
        EXPECT_LE(m->pointCount, kMaxPoints);
    }
    // Garbled value lines keep the fields they could not fill, and are counted.
    std::string text = cp932ToUtf8(full);
    auto pos = text.find("$   最大安全率\r\n");
    ASSERT_NE(pos, std::string::npos);
    text.replace(pos + std::string("$   最大安全率\r\n").size(), 11, "abc");
    test::writeBytes(dir / "bad.SDW", utf8ToCp932(text));
    auto m = fresh();
    m->conditions.maxSafetyFactor = 42.0;
    ReadResult r = readDataFile(*m, dir / "bad.SDW");
    ASSERT_EQ(r.status, 0);
    EXPECT_DOUBLE_EQ(m->conditions.maxSafetyFactor, 42.0);
    // The line is named, and the warning says that data were lost.
    ASSERT_EQ(r.fileWarnings.size(), 1u);
    const int expectedLine =
        1 +
        static_cast<int>(std::count(text.begin(), text.begin() + static_cast<long>(pos), '\n')) + 1;
    EXPECT_EQ(r.fileWarnings[0].line, expectedLine);
    EXPECT_TRUE(r.fileWarnings[0].dataLoss);
    EXPECT_TRUE(r.dataLoss());
    ASSERT_EQ(r.warnings.size(), 1u);
    EXPECT_EQ(r.warnings[0].text.rfind(std::to_string(expectedLine) + "行目: 「abc", 0), 0u)
        << r.warnings[0].text;
}

TEST(SdwRead, TablesBeyondCapacityAreCutAndReported)
{
    std::string text = "2100   $   バージョン番号\n";
    auto m = fresh();
    std::string file = cp932ToUtf8(formatDataFile(*m, "big"));
    std::string rows;
    for (int k = 0; k < kMaxPoints + 5; ++k)
        rows += cformat("%d,%d.000000,0.000000\r\n", k, k);
    const std::string head = "$   点番号、Ｘ座標、Ｙ座標\r\n";
    file.insert(file.find(head) + head.size(), rows);
    ReadResult r = parseDataFile(utf8ToCp932(file), *m, SdwPart::Everything, "big.SDW");
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(m->pointCount, kMaxPoints);
    EXPECT_DOUBLE_EQ(m->points[kMaxPoints - 1].x, kMaxPoints - 1.0);
    ASSERT_EQ(r.warnings.size(), 1u);
    EXPECT_NE(r.warnings[0].text.find("超えた5点"), std::string::npos);
}

TEST(SdwText, JapaneseTitleInCp932AndCutAtCharacterBoundary)
{
    TempDir dir;
    auto m = fresh();
    m->title = "岸壁（－５．５ｍ）ﾃｽﾄ";
    ASSERT_TRUE(writeDataFile(*m, dir / "jp.SDW").ok);
    const std::string bytes = test::readBytes(dir / "jp.SDW");
    EXPECT_NE(bytes.find(utf8ToCp932("岸壁（－５．５ｍ）ﾃｽﾄ") + "\r\n"), std::string::npos);
    auto r = fresh();
    ASSERT_EQ(readDataFile(*r, dir / "jp.SDW").status, 0);
    EXPECT_EQ(r->title, m->title);

    // A title line longer than 63 bytes: cut before a double-byte character that would
    // not fit whole.
    std::string longTitle = "a";
    for (int k = 0; k < 40; ++k)
        longTitle += "漢";
    std::string file = cp932ToUtf8(formatDataFile(*fresh(), "t"));
    const std::string titleComment = "$   業務名称\r\n";
    file.insert(file.find(titleComment) + titleComment.size(), longTitle);
    auto t = fresh();
    ASSERT_EQ(parseDataFile(utf8ToCp932(file), *t, SdwPart::Everything, "t").status, 0);
    EXPECT_EQ(cp932Length(t->title), 63u);
    EXPECT_EQ(
        t->title, "a" + [] {
            std::string s;
            for (int k = 0; k < 31; ++k)
                s += "漢";
            return s;
        }());
}

TEST(SdwPartialLoads, EachTakesOnlyItsPart)
{
    TempDir dir;
    auto other = sampleDocument();
    other->calcDate = {2020, 1, 2};
    ASSERT_TRUE(writeDataFile(*other, dir / "other.SDW").ok);

    auto base = [] {
        auto m = fresh();
        m->title = "base";
        m->dataName = "base";
        m->modified = 0;
        m->calcState = 1;
        addPoint(*m, 100, 100);
        addBlock(*m, SoilBlock{});
        return m;
    };
    auto c = base();
    ASSERT_EQ(readConditions(*c, dir / "other.SDW").status, 0);
    EXPECT_EQ(c->title, other->title);
    EXPECT_EQ(c->conditions.method, 2);
    EXPECT_EQ(c->sheetPile.passiveCount, 2);
    EXPECT_EQ(c->calcDate[0], 0); // dates are not taken
    EXPECT_EQ(c->dataName, "base");
    EXPECT_EQ(c->pointCount, 1);
    EXPECT_EQ(c->modified, 1);
    EXPECT_EQ(c->calcState, 0);

    auto b = base();
    ASSERT_EQ(readBlocks(*b, dir / "other.SDW").status, 0);
    EXPECT_EQ(b->blockCount, 3);
    EXPECT_EQ(b->pointCount, 1);
    EXPECT_EQ(b->title, "base");

    auto t = base();
    ASSERT_EQ(readTerrain(*t, dir / "other.SDW").status, 0);
    EXPECT_EQ(t->pointCount, 6);
    EXPECT_EQ(t->lineCount, 6);
    EXPECT_EQ(t->blockCount, 1);
    EXPECT_EQ(t->conditions.method, 0);
}

TEST(SdwSave, FailedSaveKeepsTheOldFileAndReports)
{
    TempDir dir;
    auto m = sampleDocument();
    ASSERT_TRUE(writeDataFile(*m, dir / "keep.SDW").ok);
    const std::string old = test::readBytes(dir / "keep.SDW");

    // A write-protected file is not replaced.
    ::chmod((dir / "keep.SDW").c_str(), 0444);
    m->title = "changed";
    m->modified = 1;
    m->dataName = "before";
    WriteResult w = writeDataFile(*m, dir / "keep.SDW");
    EXPECT_FALSE(w.ok);
    ASSERT_TRUE(w.error);
    EXPECT_EQ(w.error->caption, "error");
    EXPECT_NE(w.error->text.find("keep.SDW"), std::string::npos);
    EXPECT_EQ(test::readBytes(dir / "keep.SDW"), old);
    EXPECT_EQ(m->modified, 1);
    EXPECT_EQ(m->dataName, "before");

    // A folder that cannot take files (here: the "folder" is a file).
    test::writeBytes(dir / "notadir", "x");
    EXPECT_FALSE(writeDataFile(*m, dir / "notadir" / "x.SDW").ok);
    EXPECT_FALSE(writeDataFile(*m, dir / "missing" / "x.SDW").ok);
    EXPECT_EQ(m->modified, 1);

    // A successful save leaves no temporary file behind and keeps the permissions.
    ::chmod((dir / "keep.SDW").c_str(), 0640);
    ASSERT_TRUE(writeDataFile(*m, dir / "keep.SDW").ok);
    int files = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.path()))
        files += e.is_regular_file();
    EXPECT_EQ(files, 2);
    struct stat st {};
    ::stat((dir / "keep.SDW").c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(SdwRead, HugeRowCountsInAShortFileEndPromptly)
{
    // A hostile count of reference-line vertices or passive rows in a file that ends
    // right after it: the read stops at the end of the file instead of counting on.
    auto m = fresh();
    std::string file = cp932ToUtf8(formatDataFile(*m, "x"));
    for (const std::string comment :
         {"$   粘着力基準線　点数\r\n", "$   矢板受動土圧　データ数\r\n"}) {
        std::string text = file;
        const size_t at = text.find(comment) + comment.size();
        text = text.substr(0, at) + "2147483647\r\n";
        auto r = fresh();
        ReadResult res = parseDataFile(utf8ToCp932(text), *r, SdwPart::Everything, "x");
        EXPECT_EQ(res.status, 0);
        EXPECT_LE(r->referenceLine.count, kMaxReferenceVertices);
        EXPECT_LE(r->sheetPile.passiveCount, kMaxPassiveRows);
        EXPECT_FALSE(res.warnings.empty());
    }
}
