// Every table filled to its capacity and one step beyond in a section file: the reader keeps
// the capacity, says what it left out, and reads what follows each table correctly.
#include <gtest/gtest.h>

#include <string>

#include "model/sdw_file.h"
#include "model/text_encoding.h"
#include "test_support.h"

namespace keltora {
namespace {

// The rows of the table that ends right before `nextHeader`: the last row repeated `extra`
// more times.
void repeatLastRow(std::string& text, const std::string& nextHeader, int extra)
{
    const std::size_t at = text.find(nextHeader);
    ASSERT_NE(at, std::string::npos) << nextHeader;
    const std::size_t start = text.rfind("\r\n", at - 3) + 2;
    const std::string row = text.substr(start, at - start);
    std::string rows;
    for (int k = 0; k < extra; ++k)
        rows += row;
    text.insert(at, rows);
}

void replaceCountAfter(std::string& text, const std::string& header, int from, int to)
{
    const std::string old = header + "\r\n" + std::to_string(from) + "\r\n";
    const std::size_t at = text.find(old);
    ASSERT_NE(at, std::string::npos) << header;
    text.replace(at, old.size(), header + "\r\n" + std::to_string(to) + "\r\n");
}

TEST(Capacities, FullTablesPlusOneRowEachAreCutReportedAndTheRestReads)
{
    SlopeModel m;
    resetModel(m);
    for (int k = 0; k < kMaxPoints; ++k)
        ASSERT_TRUE(addPoint(m, k, k % 7));
    for (int k = 0; k < kMaxLines; ++k)
        ASSERT_TRUE(addLine(m, kBoundaryLine, k, (k + 1) % kMaxPoints));
    for (int k = 0; k < kMaxBlocks; ++k) {
        SoilBlock b;
        b.seed = {k + 0.5, 0.5};
        b.unitWeight = 18.0 + k;
        ASSERT_TRUE(addBlock(m, b));
    }
    // The tables refuse one more in memory, with a message.
    Message why;
    EXPECT_FALSE(addPoint(m, -1, -1, &why));
    EXPECT_FALSE(why.text.empty());
    m.referenceLine.count = kMaxReferenceVertices;
    m.sheetPile.passiveCount = kMaxPassiveRows;
    for (int k = 0; k < kMaxPassiveRows; ++k) {
        m.referenceLine.x[static_cast<std::size_t>(k)] = k;
        m.sheetPile.passiveY[static_cast<std::size_t>(k)] = -k;
    }
    m.conditions.maxSafetyFactor = 77.0;
    m.sheetPile.allowableShear = 123.0;
    m.sheetPile.sectionArea = 0.5;

    std::string text = cp932ToUtf8(formatDataFile(m, "full"));
    // One row beyond each capacity (and a few more for the points).
    repeatLastRow(text, "$   地形構成線分\r\n", 3);
    repeatLastRow(text, "$   地形構成ブロック\r\n", 1);
    replaceCountAfter(text, "$   粘着力基準線　点数", kMaxReferenceVertices,
                      kMaxReferenceVertices + 1);
    repeatLastRow(text, "$   最大安全率\r\n", 1);
    replaceCountAfter(text, "$   矢板受動土圧　データ数", kMaxPassiveRows, kMaxPassiveRows + 1);
    repeatLastRow(text, "$   矢板　せん断許容応力度", 1);
    // A block is several rows: the first block's rows once more before the end.
    const std::string blockHeader = "$   地形構成ブロック\r\n";
    const std::size_t blocks = text.find(blockHeader) + blockHeader.size();
    const std::size_t secondBlock = text.find("\r\n1\r\n", blocks) + 2;
    const std::string firstBlock = text.substr(blocks, secondBlock - blocks);
    ASSERT_EQ(firstBlock.substr(0, 3), "0\r\n");
    text.insert(text.find("$   データエンド"), std::to_string(kMaxBlocks) + firstBlock.substr(1));

    SlopeModel r;
    resetModel(r);
    const ReadResult res = parseDataFile(utf8ToCp932(text), r, SdwPart::Everything, "full.SDW");
    ASSERT_EQ(res.status, 0);
    EXPECT_EQ(r.pointCount, kMaxPoints);
    EXPECT_EQ(r.lineCount, kMaxLines);
    EXPECT_EQ(r.blockCount, kMaxBlocks);
    EXPECT_EQ(r.referenceLine.count, kMaxReferenceVertices);
    EXPECT_EQ(r.sheetPile.passiveCount, kMaxPassiveRows);
    std::string warnings;
    for (const Message& w : res.warnings)
        warnings += w.text + "\n";
    for (const char* told :
         {"点が1024点を超えています。超えた3点", "線分が1024本を超えています。超えた1本",
          "ブロックが256個を超えています。超えた1個", "粘着力基準線の折れ点が65点",
          "矢板受動土圧のデータが65行"})
        EXPECT_NE(warnings.find(told), std::string::npos) << told << "\n" << warnings;
    // What follows each table is read from its own place.
    EXPECT_DOUBLE_EQ(r.conditions.maxSafetyFactor, 77.0);
    EXPECT_DOUBLE_EQ(r.sheetPile.allowableShear, 123.0);
    EXPECT_DOUBLE_EQ(r.sheetPile.sectionArea, 0.5);
    EXPECT_DOUBLE_EQ(r.points[kMaxPoints - 1].x, kMaxPoints - 1.0);
    EXPECT_EQ(r.lines[kMaxLines - 1].endPoint, 0);
    EXPECT_DOUBLE_EQ(r.blocks[0].unitWeight, 18.0);
    EXPECT_DOUBLE_EQ(r.blocks[kMaxBlocks - 1].unitWeight, 18.0 + kMaxBlocks - 1);
    EXPECT_DOUBLE_EQ(r.referenceLine.x[kMaxReferenceVertices - 1], kMaxReferenceVertices - 1.0);
    EXPECT_DOUBLE_EQ(r.sheetPile.passiveY[kMaxPassiveRows - 1], 1.0 - kMaxPassiveRows);

    // Counts beyond the tables in memory are written as full tables, never past them.
    r.pointCount = 5000;
    r.referenceLine.count = 5000;
    r.sheetPile.passiveCount = -3;
    SlopeModel back;
    resetModel(back);
    EXPECT_EQ(parseDataFile(formatDataFile(r, "again"), back, SdwPart::Everything, "a").status, 0);
    EXPECT_EQ(back.pointCount, kMaxPoints);
    EXPECT_EQ(back.referenceLine.count, kMaxReferenceVertices);
    EXPECT_EQ(back.sheetPile.passiveCount, 0);
}

} // namespace
} // namespace keltora
