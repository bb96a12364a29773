// The rules of the table editors (points, lines, cohesion reference line, sheet pile), the
// coordinate input and the DXF import dialog.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "edit/cohesion_line_rules.h"
#include "edit/coordinate_input_rules.h"
#include "edit/dxf_import_rules.h"
#include "edit/line_table_rules.h"
#include "edit/point_table_rules.h"
#include "edit/sheet_pile_rules.h"

using namespace keltora;

namespace {

// Points 0..3 on a square and lines 0-1, 1-2, 2-3 (boundary) and a limit point at 3;
// loaded (modified 0) with valid results.
std::unique_ptr<SlopeModel> squareModel()
{
    auto m = std::make_unique<SlopeModel>();
    resetModel(*m);
    addPoint(*m, 0, 0);
    addPoint(*m, 10, 0);
    addPoint(*m, 10, 10);
    addPoint(*m, 0, 10);
    addLine(*m, kBoundaryLine, 0, 1);
    addLine(*m, kBoundaryLine, 1, 2);
    addLine(*m, kBoundaryLine, 2, 3);
    addLine(*m, kArcLimitPointSmall, 3, 3);
    m->modified = 0;
    m->calcState = 1;
    return m;
}

} // namespace

TEST(PointTable, ShowsSlotsAsRowsAndConfirmWithoutChangeKeepsEverything)
{
    auto m = squareModel();
    m->points[1].x = 10.123456789; // more decimals than the grid shows
    freePoint(*m, 2);              // frees point 2 and lines 1, 2
    m->modified = 0;
    const auto rows = pointTableRows(*m);
    ASSERT_EQ(rows.size(), 1000u);
    EXPECT_EQ(rows[1].x, "   10.1235");
    EXPECT_EQ(rows[2].x, "");
    EXPECT_EQ(tableRowNumber(7), "   7");
    const SlopeModel before = *m;
    EXPECT_FALSE(applyPointTable(*m, rows).stored);
    EXPECT_EQ(m->modified, 0);
    EXPECT_EQ(m->calcState, 1);
    EXPECT_EQ(m->points[1].x, before.points[1].x);
}

TEST(PointTable, DuplicatesWithinTheToleranceAreRefused)
{
    auto m = squareModel();
    auto rows = pointTableRows(*m);
    rows[10] = {"10.00008", "0.00008"}; // within 0.00009 of point 1 in both
    const DialogOutcome out = applyPointTable(*m, rows);
    EXPECT_FALSE(out.accepted);
    ASSERT_EQ(out.messages.size(), 1u);
    EXPECT_EQ(out.messages[0].text, "エラー：点の重複があります！！　No1- No10");
    EXPECT_EQ(m->pointCount, 4);
    EXPECT_EQ(m->modified, 0);

    rows[10] = {"10.0001", "0"}; // farther apart in X
    EXPECT_TRUE(applyPointTable(*m, rows).accepted);
    EXPECT_EQ(m->pointCount, 11);
    EXPECT_EQ(m->points[10].number, 10);
    EXPECT_EQ(m->calcState, 0);

    // The last row of the table is checked as well.
    rows = pointTableRows(*m);
    rows[999] = {"0", "0"};
    EXPECT_FALSE(applyPointTable(*m, rows).accepted);
}

TEST(PointTable, FreedPointsDeleteTheirLinesAndHalfFilledRowsCountAsEmpty)
{
    auto m = squareModel();
    auto rows = pointTableRows(*m);
    rows[2].y = ""; // one cell only: the row is empty
    rows[3] = {"", ""};
    const DialogOutcome out = applyPointTable(*m, rows);
    EXPECT_TRUE(out.stored);
    EXPECT_EQ(m->points[2].number, -1);
    EXPECT_EQ(m->points[3].number, -1);
    EXPECT_DOUBLE_EQ(m->points[3].x, 0.0);
    EXPECT_EQ(m->pointCount, 2);
    EXPECT_EQ(m->lines[0].kind, kBoundaryLine); // 0-1 stays
    EXPECT_EQ(m->lines[1].kind, -1);            // 1-2
    EXPECT_EQ(m->lines[2].kind, -1);            // 2-3
    EXPECT_EQ(m->lines[3].kind, -1);            // limit point at 3
    EXPECT_EQ(m->lineCount, 4);                 // the count is a high-water mark
    EXPECT_EQ(m->calcState, 0);
}

TEST(PointTable, PointsBeyondTheTableAreKeptAndTypedRowsFeedTheView)
{
    auto m = squareModel();
    m->pointCount = 1010;
    m->points[1005] = {1005, 50.0, 50.0};
    auto rows = pointTableRows(*m);
    rows[3] = {"", ""};
    applyPointTable(*m, rows);
    EXPECT_EQ(m->pointCount, 1006);
    EXPECT_EQ(m->points[1005].number, 1005);

    rows[5] = {"1", "2"};
    rows[6] = {"1", ""};
    const auto typed = typedPoints(rows);
    ASSERT_TRUE(typed[5]);
    EXPECT_DOUBLE_EQ(typed[5]->y, 2.0);
    EXPECT_FALSE(typed[6]);
    EXPECT_FALSE(typed[3]);
}

TEST(PointTable, StoredNanPointIsReplacedWhenRetyped)
{
    auto m = squareModel();
    m->points[2].x = std::nan("");
    auto rows = pointTableRows(*m);
    EXPECT_FALSE(applyPointTable(*m, rows).stored);
    rows[2].x = "9";
    EXPECT_TRUE(applyPointTable(*m, rows).stored);
    EXPECT_DOUBLE_EQ(m->points[2].x, 9.0);
}

TEST(LineTable, OrderingRemovalAndCount)
{
    auto m = squareModel();
    auto rows = lineTableRows(*m);
    EXPECT_EQ(rows[0].kind, "1");
    EXPECT_EQ(rows[3].start, "3");
    EXPECT_FALSE(applyLineTable(*m, rows).stored);
    EXPECT_EQ(m->modified, 0);

    rows[5] = {"2", "3", "0"}; // stored as 0-3
    rows[1] = {"7", "1", "2"}; // kind 7: removed
    rows[2] = {"1", "2", ""};  // blank cell: removed
    const DialogOutcome out = applyLineTable(*m, rows);
    EXPECT_TRUE(out.stored);
    EXPECT_EQ(m->lines[5].kind, kUncutLine);
    EXPECT_EQ(m->lines[5].startPoint, 0);
    EXPECT_EQ(m->lines[5].endPoint, 3);
    EXPECT_EQ(m->lines[5].drawFlag, 1);
    EXPECT_EQ(m->lines[1].kind, -1);
    EXPECT_EQ(m->lines[2].kind, -1);
    EXPECT_EQ(m->lineCount, 6);
    EXPECT_EQ(m->calcState, 0);

    rows = lineTableRows(*m);
    rows[5] = {"", "", ""};
    applyLineTable(*m, rows);
    EXPECT_EQ(m->lineCount, 4); // last stored row 3
}

TEST(LineTable, SevenThreeIsStoredAsThreeSevenAndUnchangedRowsKeepTheirDrawFlag)
{
    auto m = squareModel();
    for (int i = 4; i < 8; ++i)
        addPoint(*m, 20.0 + i, 0.0);
    m->lines[0].drawFlag = -1; // "作図不要指示"
    auto rows = lineTableRows(*m);
    rows[4] = {"1", "7", "3"};
    applyLineTable(*m, rows);
    EXPECT_EQ(m->lines[4].startPoint, 3);
    EXPECT_EQ(m->lines[4].endPoint, 7);
    EXPECT_EQ(m->lines[0].drawFlag, -1);
}

TEST(LineTable, RowsNamingMissingPointsOrBreakingTheKindRulesAreRefused)
{
    auto m = squareModel();
    auto rows = lineTableRows(*m);
    rows[6] = {"1", "0", "40"};
    DialogOutcome out = applyLineTable(*m, rows);
    EXPECT_FALSE(out.accepted);
    EXPECT_EQ(out.messages.at(0).text, "エラー：線分 No6 の点 No40 がありません。");
    rows[6] = {"5", "0", "1"};
    EXPECT_FALSE(applyLineTable(*m, rows).accepted);
    rows[6] = {"1", "2", "2"};
    EXPECT_FALSE(applyLineTable(*m, rows).accepted);
    rows[6] = {"3", "2", "2"}; // a horizontal limit line
    EXPECT_TRUE(applyLineTable(*m, rows).accepted);
    EXPECT_EQ(m->lines[6].kind, kArcLimitLineSmall);
    rows[7] = {"0", "0", "1"}; // kind 0 is no line kind: removed like 7
    applyLineTable(*m, rows);
    EXPECT_EQ(m->lines[7].kind, -1);
    EXPECT_EQ(m->lineCount, 7);
}

TEST(LineTable, TypedLinesForTheView)
{
    std::vector<LineRow> rows(3);
    rows[0] = {"1", "2", "3"};
    rows[1] = {"9", "2", "3"};
    rows[2] = {"1", "", "3"};
    const auto typed = typedLines(rows);
    ASSERT_TRUE(typed[0]);
    EXPECT_EQ(typed[0]->endPoint, 3);
    EXPECT_FALSE(typed[1]);
    EXPECT_FALSE(typed[2]);
}

TEST(ReferenceLine, DuplicatesSkippedSortedByXAndRestZeroed)
{
    auto m = squareModel();
    m->referenceLine.count = 3;
    m->referenceLine.x[2] = 99.0;
    std::vector<PairRow> rows = referenceLineRows(*m);
    EXPECT_EQ(rows.size(), 64u);
    for (auto& r : rows)
        r = {};
    rows[0] = {"20", "1"};
    rows[1] = {"5", "2"};
    rows[2] = {"20.00005", "1.00005"}; // duplicate of row 0
    rows[3] = {"12", ""};              // half filled
    rows[4] = {"-3", "4"};
    const DialogOutcome out = applyReferenceLine(*m, rows);
    EXPECT_TRUE(out.stored);
    EXPECT_EQ(m->referenceLine.count, 3);
    EXPECT_DOUBLE_EQ(m->referenceLine.x[0], -3.0);
    EXPECT_DOUBLE_EQ(m->referenceLine.x[1], 5.0);
    EXPECT_DOUBLE_EQ(m->referenceLine.x[2], 20.0);
    EXPECT_DOUBLE_EQ(m->referenceLine.y[2], 1.0);
    EXPECT_DOUBLE_EQ(m->referenceLine.x[3], 0.0);
    EXPECT_EQ(m->calcState, 0);

    m->modified = 0;
    m->calcState = 1;
    EXPECT_FALSE(applyReferenceLine(*m, referenceLineRows(*m)).stored);
    EXPECT_EQ(m->calcState, 1);
}

TEST(SheetPile, PassiveRowsSortedTopDownAndCutAtTheTip)
{
    // Typed bottom-up, extending below the tip at -10.
    const auto rows = passiveTableAtTip({{-12, 60}, {-6, 30}, {0, 0}, {-8, 40}}, -10);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_DOUBLE_EQ(rows[0].x, 0.0);
    EXPECT_DOUBLE_EQ(rows[1].x, -6.0);
    EXPECT_DOUBLE_EQ(rows[2].x, -8.0);
    EXPECT_DOUBLE_EQ(rows[3].x, -10.0);
    EXPECT_DOUBLE_EQ(rows[3].y, 50.0); // halfway between 40 at -8 and 60 at -12

    // Entirely above the tip: unchanged; a row exactly at the tip ends the table.
    EXPECT_EQ(passiveTableAtTip({{0, 0}, {-5, 10}}, -10).size(), 2u);
    const auto atTip = passiveTableAtTip({{0, 0}, {-10, 20}, {-15, 30}}, -10);
    ASSERT_EQ(atTip.size(), 2u);
    EXPECT_DOUBLE_EQ(atTip[1].y, 20.0);
}

TEST(SheetPile, DialogStoresHandlingSectionDataAndTable)
{
    auto m = squareModel();
    SheetPileFields f = sheetPileFields(*m);
    EXPECT_EQ(f.passive.size(), 64u);
    EXPECT_FALSE(applySheetPile(*m, f).stored);
    f.method = 2;
    f.x = "15";
    f.topY = "3";
    f.toeY = "-10";
    f.allowableShear = "1400";
    f.sectionArea = "200";
    f.lm1 = "2.5";
    f.passive[0] = {"-12", "60"};
    f.passive[1] = {"0", "0"};
    f.passive[2] = {"-8", "40"};
    f.passive[3] = {"-8.00001", "40.00001"}; // duplicate
    EXPECT_TRUE(applySheetPile(*m, f).stored);
    const SheetPileSettings& s = m->sheetPile;
    EXPECT_EQ(s.method, 2);
    EXPECT_DOUBLE_EQ(s.x, 15.0);
    EXPECT_DOUBLE_EQ(s.lm1, 2.5);
    ASSERT_EQ(s.passiveCount, 3);
    EXPECT_DOUBLE_EQ(s.passiveY[0], 0.0);
    EXPECT_DOUBLE_EQ(s.passiveY[2], -10.0);
    EXPECT_DOUBLE_EQ(s.passiveIntensity[2], 50.0);
    EXPECT_EQ(m->calcState, 0);

    // A confirmation without typing changes nothing; a table read from a file bottom-up
    // and below the tip is put in order by the next confirmation.
    m->modified = 0;
    m->calcState = 1;
    EXPECT_FALSE(applySheetPile(*m, sheetPileFields(*m)).stored);
    EXPECT_EQ(m->calcState, 1);
    m->sheetPile.passiveY[0] = -12;
    m->sheetPile.passiveIntensity[0] = 60;
    m->sheetPile.passiveY[2] = 0;
    m->sheetPile.passiveIntensity[2] = 0;
    EXPECT_TRUE(applySheetPile(*m, sheetPileFields(*m)).stored);
    EXPECT_DOUBLE_EQ(m->sheetPile.passiveY[0], 0.0);
    EXPECT_DOUBLE_EQ(m->sheetPile.passiveY[2], -10.0);
    EXPECT_DOUBLE_EQ(m->sheetPile.passiveIntensity[2], 50.0);
}

TEST(CoordinateInput, AddTakesTheFirstFreeSlotAndRefusesDuplicates)
{
    auto m = squareModel();
    freePoint(*m, 1);
    CoordinateFields f = coordinateFields(*m, CoordinateMode::Add, -1);
    EXPECT_EQ(f.slot, 1);
    EXPECT_EQ(f.number, "   1");
    EXPECT_EQ(f.x, "");
    f.x = "0.00005";
    f.y = "10";
    EXPECT_FALSE(applyCoordinate(*m, f).accepted); // point 3 is there
    EXPECT_EQ(m->points[1].number, -1);
    f.x = "5";
    EXPECT_TRUE(applyCoordinate(*m, f).stored);
    EXPECT_EQ(m->points[1].number, 1);
    EXPECT_DOUBLE_EQ(m->points[1].x, 5.0);
    EXPECT_EQ(m->pointCount, 4);

    f = coordinateFields(*m, CoordinateMode::Add, -1);
    EXPECT_EQ(f.slot, 4);
    f.x = "1";
    f.y = "1";
    applyCoordinate(*m, f);
    EXPECT_EQ(m->pointCount, 5);
}

TEST(CoordinateInput, MoveShowsThePointAndSkipsItselfInTheDuplicateTest)
{
    auto m = squareModel();
    CoordinateFields f = coordinateFields(*m, CoordinateMode::Move, 2);
    EXPECT_EQ(f.x, "   10.0000");
    EXPECT_FALSE(applyCoordinate(*m, f).stored);
    f.y = "10.00005"; // within the tolerance of itself only
    EXPECT_TRUE(applyCoordinate(*m, f).accepted);
    EXPECT_DOUBLE_EQ(m->points[2].y, 10.00005);
    EXPECT_EQ(m->calcState, 0);
}

TEST(DxfDialog, FirstPassTrialRestoreAndImport)
{
    const DxfReadResult read = parseDxf("0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n10\n1\n20\n1\n"
                                        "11\n2\n21\n3\n0\nLINE\n10\n2\n20\n3\n11\n1\n21\n1\n"
                                        "0\nENDSEC\n0\nEOF\n",
                                        "SITE.DXF");
    ASSERT_EQ(read.status, 0);
    DxfDialogFields f = dxfDialogFields(read.drawing, "SITE.DXF");
    EXPECT_EQ(f.points, "4");
    EXPECT_EQ(f.lines, "2");
    EXPECT_EQ(f.xmax, "2.000");
    EXPECT_EQ(f.ymin, "1.000");
    EXPECT_EQ(f.scale, "1.000");

    f.shiftX = "10";
    f.shiftY = "5";
    f.scale = "2";
    dxfTrial(f, read.drawing.extents);
    EXPECT_EQ(f.xmax, "14.000");
    EXPECT_EQ(f.ymax, "11.000");
    dxfRestore(f, read.drawing.extents);
    EXPECT_EQ(f.xmax, "2.000");
    EXPECT_EQ(f.shiftX, "0.000");
    EXPECT_EQ(f.scale, "1.000");

    auto m = squareModel();
    EXPECT_TRUE(dxfImportNeedsConfirmation(*m));
    f.scale = "0";
    EXPECT_FALSE(applyDxfImport(*m, read.drawing, f).accepted);
    EXPECT_EQ(m->pointCount, 4);
    f.shiftX = "10";
    f.shiftY = "5";
    f.scale = "2";
    const DialogOutcome out = applyDxfImport(*m, read.drawing, f);
    EXPECT_TRUE(out.accepted);
    EXPECT_EQ(m->pointCount, 2);
    EXPECT_DOUBLE_EQ(m->points[0].x, 12.0);
    EXPECT_DOUBLE_EQ(m->points[1].y, 11.0);
    EXPECT_EQ(m->lines[0].kind, kBoundaryLine);
    EXPECT_EQ(m->lines[1].kind, -1); // the reversed duplicate
    EXPECT_EQ(m->modified, 1);
    EXPECT_EQ(m->calcState, 0);
    EXPECT_NE(dxfDrawingSummary(read.drawing).find("LINE: 2"), std::string::npos);
}
