// The condition dialogs and table editors as the user meets them: text typed into the real
// controls (found by their objectNames), the confirmation, and the model afterwards.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

#include "analysis/results.h"
#include "test_support.h"
#include "ui/block_dialog.h"
#include "ui/calc_conditions_dialog.h"
#include "ui/cohesion_line_dialog.h"
#include "ui/coordinate_input_dialog.h"
#include "ui/dialog_test_support.h"
#include "ui/display_settings_dialog.h"
#include "ui/draw_settings_dialog.h"
#include "ui/dxf_import_dialog.h"
#include "ui/point_table_dialog.h"
#include "ui/sheet_pile_dialog.h"
#include "ui/slip_settings_dialog.h"
#include "ui/table_grid.h"

using namespace keltora;
using namespace keltora::test;
using namespace keltora::ui;

namespace {

// A click where the user clicks: on the box of a check box or radio button, in the middle
// of a push button.
void click(QWidget* dialog, const char* objectName)
{
    auto* b = child<QAbstractButton>(dialog, objectName);
    if (!b) return;
    const bool box = qobject_cast<QCheckBox*>(b) || qobject_cast<QRadioButton*>(b);
    QTest::mouseClick(b, Qt::LeftButton, {}, box ? QPoint(7, b->height() / 2) : b->rect().center());
}

// The widget that receives the keys of the grid: the cell editor while a cell is typed.
QWidget* gridKeys(TableGrid& g)
{
    QWidget* editor = g.indexWidget(g.currentIndex());
    return editor ? editor : &g;
}

void typeInGrid(TableGrid& g, const QString& text)
{
    for (QChar c : text)
        QTest::keyClick(gridKeys(g), c.toLatin1());
}

void keyInGrid(TableGrid& g, Qt::Key key)
{
    QTest::keyClick(gridKeys(g), key);
    QCoreApplication::processEvents(); // the cell editor commits through a queued call
}

} // namespace

TEST(CalcConditionsDialogUi, TypedValuesAreStoredAndTheDialogCloses)
{
    DialogFixture fx;
    CalcConditionsDialog d(*fx.document, fx.host);
    d.show();
    EXPECT_EQ(d.objectName(), "TCal_Frm");
    EXPECT_EQ(d.size(), QSize(400, 400).expandedTo(d.minimumSizeHint()));
    typeInto(&d, "Edit2", "0.15");
    typeInto(&d, "Edit9", "abc"); // surcharge (2) Xmin: unreadable reads as 0
    EXPECT_EQ(child<QLineEdit>(&d, "Edit9")->text(), "0.0000");
    typeInto(&d, "Edit8", "12.5"); // surcharge (1) load at Xmax
    click(&d, "RadioButton3");     // simplified Bishop
    click(&d, "Button1");
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.result(), QDialog::Accepted);
    const CalcConditions& c = fx.model().conditions;
    EXPECT_DOUBLE_EQ(c.seismicCoefficient, 0.15);
    EXPECT_DOUBLE_EQ(c.surchargeQmax[0], 12.5);
    EXPECT_EQ(c.method, 2);
    EXPECT_EQ(fx.model().modified, 1);
    EXPECT_EQ(fx.model().calcState, 0);
    ASSERT_FALSE(fx.host.redraws.empty());
    EXPECT_EQ(fx.host.redraws.back(), 0);
}

TEST(CalcConditionsDialogUi, TitleOnlyKeepsResultsAndALongTitleKeepsTheDialogOpen)
{
    DialogFixture fx;
    {
        CalcConditionsDialog d(*fx.document, fx.host);
        d.show();
        typeInto(&d, "Edit1", QString(40, QChar(0x6e2f))); // 80 bytes in CP932
        click(&d, "Button1");
        EXPECT_TRUE(d.isVisible());
        ASSERT_EQ(fx.host.told.size(), 1u);
        EXPECT_EQ(fx.host.told[0].caption, "error");
        EXPECT_EQ(fx.model().title, "");
        EXPECT_EQ(fx.model().modified, 0);

        typeInto(&d, "Edit1", QStringLiteral("ＸＸ港改修事業"));
        click(&d, "Button1");
        EXPECT_FALSE(d.isVisible());
    }
    EXPECT_EQ(fx.model().title, "ＸＸ港改修事業");
    EXPECT_EQ(fx.model().modified, 1);
    EXPECT_EQ(fx.model().calcState, 1);
}

TEST(CalcConditionsDialogUi, EnablingFollowsTheReferenceModeAndTheStoredMethod)
{
    DialogFixture fx;
    CalcConditionsDialog d(*fx.document, fx.host);
    d.show();
    EXPECT_TRUE(child<QPushButton>(&d, "Button4")->isEnabled()); // method 0: sheet pile
    EXPECT_TRUE(child<QLineEdit>(&d, "Edit23")->isEnabled());
    EXPECT_FALSE(child<QPushButton>(&d, "Button3")->isEnabled());
    click(&d, "RadioButton8");
    EXPECT_FALSE(child<QLineEdit>(&d, "Edit23")->isEnabled());
    EXPECT_TRUE(child<QPushButton>(&d, "Button3")->isEnabled());
    click(&d, "RadioButton3"); // choosing Bishop does not change the stored method yet
    EXPECT_TRUE(child<QPushButton>(&d, "Button4")->isEnabled());
    click(&d, "CheckBox1");
    EXPECT_EQ(child<QLabel>(&d, "Label2")->text().toStdString(), "　　分は除いて考える");

    auto* formula = child<QSpinBox>(&d, "UpDown1");
    EXPECT_EQ(formula->value(), 3); // stored code 0
    QTest::keyClick(formula, Qt::Key_Up);
    EXPECT_EQ(formula->value(), 3); // no wrap-around
    QTest::keyClick(formula, Qt::Key_Down);
    QTest::keyClick(formula, Qt::Key_Down);
    click(&d, "Button1");
    EXPECT_EQ(fx.model().conditions.sandPileFormula, 2);
    EXPECT_EQ(fx.model().conditions.referenceMode, 1);
    EXPECT_EQ(fx.model().conditions.seismicOnSurcharge, 0);
}

TEST(SlipSettingsDialogUi, CircleDialogEditsTheSetOfTheMethodAndCancelStoresNothing)
{
    DialogFixture fx;
    fx.document->adjust([](SlopeModel& m) {
        m.conditions.method = 2;
        return true;
    });
    {
        CircleSettingsDialog d(*fx.document, fx.host);
        d.show();
        EXPECT_EQ(d.windowTitle(), "すべり円の設定－簡易ビショップ法");
        typeInto(&d, "Edit10", "0.5");
        click(&d, "Button2");
    }
    EXPECT_DOUBLE_EQ(fx.model().bishopCircle.radius.step, 1.0);
    {
        CircleSettingsDialog d(*fx.document, fx.host);
        d.show();
        typeInto(&d, "Edit10", "0.5");
        click(&d, "CheckBox1");
        click(&d, "RadioButton4");
        click(&d, "Button1");
    }
    EXPECT_DOUBLE_EQ(fx.model().bishopCircle.radius.step, 0.5);
    EXPECT_EQ(fx.model().bishopCircle.firstGridExtension, 1);
    EXPECT_EQ(fx.model().bishopCircle.finestGrid, 4);
    EXPECT_DOUBLE_EQ(fx.model().felleniusCircle.radius.step, 1.0);
}

TEST(SlipSettingsDialogUi, StraightSlipDialogsStoreTheirFields)
{
    DialogFixture fx;
    {
        LineByAngleDialog d(*fx.document, fx.host);
        d.show();
        typeInto(&d, "Edit2", "4");
        typeInto(&d, "Edit6", "0.5");
        click(&d, "RadioButton3");
        click(&d, "CheckBox1");
        click(&d, "Button1");
    }
    EXPECT_DOUBLE_EQ(fx.model().lineSlip.startX[0], 4.0);
    EXPECT_DOUBLE_EQ(fx.model().lineSlip.angle.step, 0.5);
    EXPECT_EQ(fx.model().lineSlip.direction, 0);
    EXPECT_EQ(fx.model().lineSlip.angleRefinement, 2);
    {
        LineBySegmentsDialog d(*fx.document, fx.host);
        d.show();
        typeInto(&d, "Edit11", "0.25"); // end pitch
        click(&d, "Button1");
    }
    EXPECT_DOUBLE_EQ(fx.model().lineSlip.angle.max, 0.25);
}

TEST(BlockDialogUi, KindBoxesActAsOneChoiceAndTheConfirmationFollowsTheKindRules)
{
    SoilBlock b;
    b.number = 0;
    b.unitWeight = 18;
    b.effectiveUnitWeight = 9;
    b.frictionAngle = 30;
    FakeDialogHost host;
    DialogFixture fx; // the application
    BlockDialog d(host, b);
    d.show();
    EXPECT_TRUE(child<QCheckBox>(&d, "CheckBox2")->isChecked());
    click(&d, "CheckBox1"); // water
    EXPECT_FALSE(child<QCheckBox>(&d, "CheckBox2")->isChecked());
    EXPECT_FALSE(child<QLineEdit>(&d, "Edit2")->isEnabled());
    EXPECT_TRUE(child<QRadioButton>(&d, "RadioButton2")->isEnabled());
    click(&d, "CheckBox1"); // unchecking water checks soil
    EXPECT_TRUE(child<QCheckBox>(&d, "CheckBox2")->isChecked());
    click(&d, "CheckBox2"); // unchecking soil checks structure
    EXPECT_TRUE(child<QCheckBox>(&d, "CheckBox3")->isChecked());
    typeInto(&d, "Edit1", "20");
    click(&d, "Button1");
    EXPECT_TRUE(d.changed());
    EXPECT_EQ(d.block().kind, kStructureBlock);
    EXPECT_DOUBLE_EQ(d.block().unitWeight, 20.0);
    EXPECT_DOUBLE_EQ(d.block().effectiveUnitWeight, 9.0);
    EXPECT_DOUBLE_EQ(d.block().frictionAngle, 0.0);
}

TEST(DrawAndDisplayDialogsUi, DisplayKeepsModifiedAndDrawKeepsResults)
{
    DialogFixture fx;
    {
        DisplaySettingsDialog d(*fx.document, fx.host);
        d.show();
        EXPECT_TRUE(child<QCheckBox>(&d, "CheckBox17")->isChecked());
        EXPECT_FALSE(child<QCheckBox>(&d, "CheckBox15")->isEnabled());
        click(&d, "CheckBox17");
        EXPECT_TRUE(child<QCheckBox>(&d, "CheckBox15")->isEnabled());
        click(&d, "CheckBox15"); // sheet pile
        typeInto(&d, "Edit1", "1");
        typeInto(&d, "Edit2", "2");
        click(&d, "Button1");
    }
    EXPECT_EQ(fx.model().display.showSheetPile, 1);
    EXPECT_DOUBLE_EQ(fx.model().display.gridMajor, 2.0);
    EXPECT_EQ(fx.model().modified, 0);
    EXPECT_EQ(fx.model().calcState, 1);
    // Valid results with one circle: the label list is rebuilt for the new decimals.
    auto results = std::make_shared<CalculationResults>();
    results->validFlag = kResultsValid;
    SlipResult r;
    r.mrf = 1.23456;
    r.mdw = 1.0;
    r.f = 1.234;
    results->tables[0].push_back(r);
    fx.document->setResults(results);
    {
        DrawSettingsDialog d(*fx.document, fx.host);
        d.show();
        EXPECT_TRUE(child<QRadioButton>(&d, "RadioButton3")->isChecked()); // A3
        typeInto(&d, "Edit11", "2.4"); // factor of safety decimals
        EXPECT_EQ(child<QLineEdit>(&d, "Edit11")->text(), "2");
        click(&d, "Button1");
    }
    EXPECT_EQ(fx.model().draw.decimals[kDecSafetyFactor], 2);
    ASSERT_NE(fx.document->validResults(), nullptr);
    EXPECT_EQ(fx.document->resultSets, 2);
    EXPECT_DOUBLE_EQ(fx.document->validResults()->critical.f, 1.23);
    EXPECT_EQ(fx.model().modified, 1);
    EXPECT_EQ(fx.model().calcState, 1);
}

TEST(PointTableUi, GridKeysMoveEditAndClearAndTheConfirmationStoresTheRows)
{
    DialogFixture fx;
    PointTableDialog d(*fx.document, fx.host);
    d.show();
    TableGrid& g = d.grid();
    EXPECT_EQ(g.rowCount(), 1000);
    EXPECT_EQ(g.item(3, 0)->text(), "   3");
    EXPECT_EQ(g.cell(1, 0), "   10.0000");

    g.setFocus();
    g.setCurrentCell(4, 1);
    typeInGrid(g, "20");
    keyInGrid(g, Qt::Key_Return);
    EXPECT_EQ(g.currentRow(), 4);
    EXPECT_EQ(g.currentColumn(), 2);
    typeInGrid(g, "5");
    keyInGrid(g, Qt::Key_Tab);
    EXPECT_EQ(g.currentRow(), 5); // from the last column to the first of the next row
    EXPECT_EQ(g.currentColumn(), 1);
    EXPECT_EQ(g.cell(4, 0), "20");
    EXPECT_EQ(g.cell(4, 1), "5");

    // The view draws the typed point.
    ASSERT_TRUE(fx.host.preview);
    EXPECT_EQ(fx.host.redraws.back(), 1);
    SlopeModel copy = fx.model();
    fx.host.preview(copy);
    EXPECT_EQ(copy.points[4].number, 4);
    EXPECT_DOUBLE_EQ(copy.points[4].x, 20.0);

    // Esc clears the row and does not close the dialog; arrows and PageDown move.
    g.setCurrentCell(3, 1);
    QTest::keyClick(&g, Qt::Key_Escape);
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(g.cell(3, 0), "");
    QTest::keyClick(&g, Qt::Key_Down);
    EXPECT_EQ(g.currentRow(), 4);
    QTest::keyClick(&g, Qt::Key_PageDown);
    EXPECT_GT(g.currentRow(), 5);
    QTest::keyClick(&g, Qt::Key_PageUp);
    EXPECT_LT(g.currentRow(), 6);
    // F2 edits the current cell.
    g.setCurrentCell(9, 1);
    QTest::keyClick(&g, Qt::Key_F2);
    EXPECT_TRUE(g.editing());
    keyInGrid(g, Qt::Key_Escape); // leaves the cell unchanged
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(g.cell(9, 0), "");

    click(&d, "Button1");
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(fx.model().points[3].number, -1);
    EXPECT_EQ(fx.model().points[4].number, 4);
    EXPECT_DOUBLE_EQ(fx.model().points[4].y, 5.0);
    EXPECT_EQ(fx.model().lines[2].kind, -1); // 2-3 lost its end
    EXPECT_EQ(fx.model().calcState, 0);
}

TEST(PointTableUi, DuplicateRowsAreRefusedWithTheMessage)
{
    DialogFixture fx;
    PointTableDialog d(*fx.document, fx.host);
    d.show();
    d.grid().setCell(7, 0, "0.00005");
    d.grid().setCell(7, 1, "0");
    click(&d, "Button1");
    EXPECT_TRUE(d.isVisible());
    ASSERT_EQ(fx.host.told.size(), 1u);
    EXPECT_EQ(fx.host.told[0].text, "エラー：点の重複があります！！　No0- No7");
    EXPECT_EQ(fx.model().pointCount, 4);
}

TEST(LineTableUi, SevenThreeTypedIsStoredThreeSeven)
{
    DialogFixture fx;
    fx.document->adjust([](SlopeModel& m) {
        for (int i = 4; i < 8; ++i)
            addPoint(m, 20.0 + i, 1.0);
        return true;
    });
    LineTableDialog d(*fx.document, fx.host);
    d.show();
    TableGrid& g = d.grid();
    g.setFocus();
    g.setCurrentCell(3, 1);
    for (const char* text : {"1", "7", "3"}) {
        typeInGrid(g, text);
        keyInGrid(g, Qt::Key_Return);
    }
    EXPECT_EQ(g.currentRow(), 4);
    EXPECT_EQ(fx.host.redraws.back(), 2);
    click(&d, "Button1");
    EXPECT_EQ(fx.model().lines[3].kind, kBoundaryLine);
    EXPECT_EQ(fx.model().lines[3].startPoint, 3);
    EXPECT_EQ(fx.model().lines[3].endPoint, 7);
    EXPECT_EQ(fx.model().lineCount, 4);
}

TEST(SheetPileDialogUi, ImportFillsTheFieldsAndConfirmCutsTheTableAtTheTip)
{
    DialogFixture fx;
    const auto dat = fx.start / "EXP_TVR1.DAT";
    writeBytes(dat, "2.5\r\n-12.0\r\n150.0\r\n3.0\r\n0.0,0.0\r\n-6.0,30.0\r\n-14.0,70.0\r\n");
    SheetPileDialog d(*fx.document, fx.host);
    d.show();
    click(&d, "RadioButton3"); // passive earth pressure
    fx.host.files.push_back(QString::fromStdString(dat.string()));
    click(&d, "Button3");
    EXPECT_TRUE(fx.host.told.empty());
    EXPECT_EQ(fx.host.fits, 1);
    EXPECT_EQ(child<QLineEdit>(&d, "Edit2")->text(), "2.5000");
    EXPECT_EQ(child<QLineEdit>(&d, "Edit3")->text(), "-12.0000");
    EXPECT_EQ(fx.model().sheetPile.passiveCount, 3); // the import is in the document already
    EXPECT_TRUE(child<QRadioButton>(&d, "RadioButton3")->isChecked());
    typeInto(&d, "Edit1", "15");
    click(&d, "Button1");
    const SheetPileSettings& s = fx.model().sheetPile;
    EXPECT_EQ(s.method, 2);
    EXPECT_DOUBLE_EQ(s.x, 15.0);
    ASSERT_EQ(s.passiveCount, 3);
    EXPECT_DOUBLE_EQ(s.passiveY[2], -12.0); // cut at the tip
    EXPECT_DOUBLE_EQ(s.passiveIntensity[2], 60.0);
}

TEST(SheetPileDialogUi, MissingFileIsToldAndNothingChanges)
{
    DialogFixture fx;
    SheetPileDialog d(*fx.document, fx.host);
    d.show();
    fx.host.files.push_back(QString::fromStdString((fx.start / "NONE.DAT").string()));
    click(&d, "Button3");
    ASSERT_EQ(fx.host.told.size(), 1u);
    EXPECT_EQ(fx.host.told[0].caption, "error");
    EXPECT_EQ(fx.model().modified, 0);
}

TEST(CohesionLineDialogUi, RowsAreSortedByX)
{
    DialogFixture fx;
    CohesionLineDialog d(*fx.document, fx.host);
    d.show();
    d.grid().setCell(0, 0, "30");
    d.grid().setCell(0, 1, "-2");
    d.grid().setCell(1, 0, "10");
    d.grid().setCell(1, 1, "-1");
    click(&d, "Button1");
    EXPECT_EQ(fx.model().referenceLine.count, 2);
    EXPECT_DOUBLE_EQ(fx.model().referenceLine.x[0], 10.0);
}

TEST(CoordinateInputUi, AddsAPointAndStaysOpenOnADuplicate)
{
    DialogFixture fx;
    CoordinateInputDialog d(*fx.document, fx.host, CoordinateMode::Add, -1);
    d.show();
    EXPECT_EQ(child<QLineEdit>(&d, "Edit1")->text(), "   4");
    typeInto(&d, "Edit2", "10");
    typeInto(&d, "Edit3", "10");
    click(&d, "Button1");
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(fx.model().pointCount, 4);
    typeInto(&d, "Edit3", "12");
    click(&d, "Button1");
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(fx.model().pointCount, 5);
    EXPECT_DOUBLE_EQ(fx.model().points[4].y, 12.0);
}

TEST(DxfImportDialogUi, TrialRestoreAndImport)
{
    DialogFixture fx;
    DxfReadResult read = parseDxf("0\nSECTION\n2\nENTITIES\n0\nLINE\n10\n1\n20\n1\n11\n2\n21\n3\n"
                                  "0\nENDSEC\n0\nEOF\n",
                                  "SITE.DXF");
    ASSERT_EQ(read.status, 0);
    DxfImportDialog d(*fx.document, fx.host, read.drawing, QStringLiteral("SITE.DXF"));
    d.show();
    EXPECT_EQ(child<QLineEdit>(&d, "Edit2")->text(), "2");
    EXPECT_EQ(child<QLineEdit>(&d, "Edit3")->text(), "1");
    typeInto(&d, "Edit8", "10");
    typeInto(&d, "Edit9", "5");
    typeInto(&d, "Edit10", "2");
    click(&d, "Button1");
    EXPECT_EQ(child<QLineEdit>(&d, "Edit4")->text(), "14.000");
    click(&d, "Button4");
    EXPECT_EQ(child<QLineEdit>(&d, "Edit4")->text(), "2.000");
    EXPECT_EQ(child<QLineEdit>(&d, "Edit10")->text(), "1.000");
    typeInto(&d, "Edit10", "2");
    click(&d, "Button2");
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(fx.model().pointCount, 2);
    EXPECT_DOUBLE_EQ(fx.model().points[1].x, 4.0);
    EXPECT_EQ(fx.model().blockCount, 1); // blocks stay
}

TEST(ParallelLineDialogUi, ShowsAndReadsTheDistance)
{
    DialogFixture fx;
    ParallelLineDialog d(fx.host, 1.0);
    d.show();
    EXPECT_EQ(child<QLineEdit>(&d, "Edit1")->text(), "  1.000");
    typeInto(&d, "Edit1", "2.5");
    EXPECT_DOUBLE_EQ(d.distance(), 2.5);
    EXPECT_EQ(child<QPushButton>(&d, "Button1")->text(), "Ｏ　　　　Ｋ");
}

TEST(DialogSizesUi, SizeComesFromTheSettingsAndResizesAreRemembered)
{
    DialogFixture fx;
    fx.host.sizes[kSizeDisplaySettings] = QSize(600, 500);
    DisplaySettingsDialog d(*fx.document, fx.host);
    d.show();
    EXPECT_EQ(d.size(), QSize(600, 500));
    d.resize(650, 520);
    QCoreApplication::processEvents();
    EXPECT_EQ(fx.host.sizes[kSizeDisplaySettings], QSize(650, 520));
}
