// The edit modes in the main window: menu commands enter modes, clicks at the pixels of
// known section points change the model through the document, the guide line follows, the
// marks are drawn, and undo/redo restore the model. Screenshots of a line chain with its
// rubber line, a picked block with its outline and a construction highlight are written
// when KELTORA_SCREENSHOT_DIR names a folder.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <cstdlib>
#include <functional>

#include "analysis/results.h"
#include "edit/edit_session.h"
#include "model/sdw_file.h"
#include "ui/edit_mode_wiring.h"
#include "ui/section_view.h"
#include "ui_test_support.h"

namespace keltora {
namespace {

using test::WindowFixture;
using ui::Answer;

// A small section: a ground of two blocks over a base line, and loose points to draw with.
//   3(0,10) ---- 2(20,10) ---- 5(40,10)
//     |            |             |
//   0(0,0) ----- 1(20,0) ----- 4(40,0)        6(50,5) 7(60,5) (loose)
SlopeModel section()
{
    SlopeModel m;
    resetModel(m);
    const double xy[][2] = {{0, 0},  {20, 0},  {20, 10}, {0, 10},
                            {40, 0}, {40, 10}, {50, 5},  {60, 5}};
    for (auto& p : xy)
        addPoint(m, p[0], p[1]);
    const int lines[][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {1, 4}, {4, 5}, {5, 2}};
    for (auto& l : lines)
        addLine(m, kBoundaryLine, l[0], l[1]);
    SoilBlock b;
    b.seed = {10, 5};
    b.labelPos = b.seed;
    b.unitWeight = 18;
    addBlock(m, b);
    b.seed = {30, 5};
    b.labelPos = b.seed;
    addBlock(m, b);
    m.draw.frameCentre = {30, 5}; // A3 at 1:100: x from 11 to 49, y from -8 to 18
    return m;
}

struct ModesFixture : WindowFixture {
    ui::EditModeWiring* modes = nullptr;
    ModesFixture()
    {
        window->show();
        // The first fit waits for the window's layout: let it happen before the section.
        QCoreApplication::processEvents();
        SlopeModel m = section();
        const auto file = start / "section.SDW";
        EXPECT_TRUE(writeDataFile(m, file).ok);
        EXPECT_TRUE(window->openFile(QString::fromStdString(file.string())));
        modes = window->findChild<ui::EditModeWiring*>("EditModes");
    }
    ui::SectionView& view() { return window->view(); }
    QPoint pixel(double x, double y)
    {
        const PixelPoint p = view().transform().worldToScreen(x, y);
        return {p.x, p.y};
    }
    void left(double x, double y) { QTest::mouseClick(&view(), Qt::LeftButton, {}, pixel(x, y)); }
    void right(double x = 0, double y = 0)
    {
        QTest::mouseClick(&view(), Qt::RightButton, {}, pixel(x, y));
    }
    void command(const char* name)
    {
        QAction* a = window->action(QString::fromLatin1(name));
        ASSERT_NE(a, nullptr) << name;
        ASSERT_TRUE(a->isEnabled()) << name;
        a->trigger();
    }
    const SlopeModel& model() { return window->sectionDocument().model(); }
    void screenshot(const char* name)
    {
        const char* dir = std::getenv("KELTORA_SCREENSHOT_DIR");
        if (!dir) return;
        window->grab().save(QString::fromLocal8Bit(dir) + "/" + name);
    }
};

int usedLines(const SlopeModel& m)
{
    int n = 0;
    for (int i = 0; i < m.lineCount; ++i)
        n += m.lines[static_cast<size_t>(i)].kind >= 0;
    return n;
}

TEST(EditModesUi, PointAddAndMoveWithTheGuideLine)
{
    ModesFixture f;
    ASSERT_NE(f.modes, nullptr);
    f.command("PAdd");
    EXPECT_EQ(f.window->guideText(),
              "追加する点の位置をマウス(左)で指定してください。マウス(右)：取り消し");
    EXPECT_TRUE(f.window->action("BitBtnXY")->isVisible());
    f.asker.answers = {Answer::Yes};
    f.left(30, 20);
    ASSERT_EQ(f.asker.questions.size(), 1u);
    EXPECT_EQ(f.asker.questions[0], "点を追加してよろしいですか？");
    EXPECT_EQ(f.model().pointCount, 9);
    // The click lands within a pixel of the section point.
    EXPECT_NEAR(f.model().points[8].x, 30, 1.0 / f.view().transform().scale() + 1e-9);
    EXPECT_EQ(f.model().modified, 1);
    f.right();
    EXPECT_EQ(f.window->guideText(), "メニュー・ボタンで処理したい機能を選択してください。");
    EXPECT_FALSE(f.window->action("BitBtnXY")->isVisible());

    // Move point 6 onto the pixel of (55, 8) and confirm.
    f.command("PMove");
    f.left(50, 5);
    EXPECT_EQ(f.window->guideText(),
              "点を移動する先の位置をマウス(左)で指定してください。マウス(右)：取り消し");
    f.left(55, 8);
    EXPECT_DOUBLE_EQ(f.model().points[6].x, 50); // shown, not yet written
    f.asker.answers = {Answer::Yes};
    f.right();
    EXPECT_NEAR(f.model().points[6].x, 55, 1.0 / f.view().transform().scale() + 1e-9);
}

TEST(EditModesUi, LineChainWithTheRubberLine)
{
    ModesFixture f;
    f.command("LAddK");
    f.left(50, 5);
    EXPECT_EQ(f.window->guideText(),
              "追加する境界線の終点をマウス(左)で選択してください。マウス(右)：取り消し");
    f.left(60, 5);
    EXPECT_EQ(usedLines(f.model()), 8);
    QTest::mouseMove(&f.view(), f.pixel(45, 12));
    const Marks marks = f.modes->controller().marks(f.model(), nullptr);
    EXPECT_TRUE(marks.rubber);
    EXPECT_NEAR(marks.rubberFrom.x, 60, 1e-9);
    // The rubber line is painted yellow over the view.
    const QImage shot = f.view().grab().toImage();
    const QPoint mid = (f.pixel(60, 5) + f.pixel(45, 12)) / 2;
    bool yellow = false;
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx)
            yellow = yellow || shot.pixelColor(mid + QPoint(dx, dy)) == QColor(255, 255, 0);
    EXPECT_TRUE(yellow);
    f.screenshot("edit_line_chain.png");
    f.right();
    f.right();
    EXPECT_EQ(f.modes->controller().mode(), 0);
}

TEST(EditModesUi, BlockPickedWithItsOutlineAndDeleted)
{
    ModesFixture f;
    f.command("DJTate");
    f.left(29, 6);
    EXPECT_EQ(f.window->guideText(),
              "土質条件を配置する位置をマウス(左)で指定してください。マウス(右)：取り消し");
    const Marks marks = f.modes->controller().marks(f.model(), nullptr);
    ASSERT_EQ(marks.outlines.size(), 1u);
    EXPECT_EQ(marks.outlines[0].size(), 5u);
    f.screenshot("edit_block_outline.png");
    f.left(32, 3);
    EXPECT_EQ(f.model().blocks[1].labelMode, 1);
    EXPECT_EQ(f.model().modified, 1);

    f.command("BDel");
    f.asker.answers = {Answer::No, Answer::Yes};
    f.left(11, 4);
    EXPECT_EQ(f.model().blocks[0].number, 0);
    f.left(11, 4);
    EXPECT_EQ(f.asker.questions.back(), "ブロックを削除してよろしいですか？");
    EXPECT_EQ(f.model().blocks[0].number, -1);
}

TEST(EditModesUi, TitleOutsideTheFrame)
{
    ModesFixture f;
    f.command("Name");
    f.left(5, 0); // beyond the frame's left edge at 11 m
    EXPECT_EQ(f.model().draw.drawTitle, -1);
    EXPECT_NEAR(f.model().draw.titlePos.x, 5, 0.5);
    f.left(30, 5);
    EXPECT_EQ(f.model().draw.drawTitle, 1);
}

TEST(EditModesUi, IntersectionHighlightSplitAndUndo)
{
    ModesFixture f;
    // A line from 6 (50, 5) up to a new point 8 (5, 20), crossing line 5-2 (y = 10) at
    // x = 35.
    SlopeModel m = f.model();
    addPoint(m, 5, 20);
    addLine(m, kBoundaryLine, 6, 8);
    f.window->sectionDocument().replaceModel("準備", m);
    const std::string before = formatDataFile(f.model(), "x");

    f.command("KAdd");
    f.left(30, 10.2); // line 1: 5-2 (y = 10)
    f.left(14, 17);   // line 2: 6-8
    const Marks marks = f.modes->controller().marks(f.model(), nullptr);
    EXPECT_EQ(marks.lines.size(), 2u);
    f.screenshot("edit_construction_highlight.png");
    f.asker.answers = {Answer::Yes};
    f.right();
    EXPECT_EQ(f.asker.questions.back(), "交点を追加してよろしいですか？");
    EXPECT_EQ(f.model().pointCount, 10);
    EXPECT_NEAR(f.model().points[9].x, 35, 1e-9);
    EXPECT_EQ(usedLines(f.model()), 10); // both lines split
    EXPECT_EQ(f.window->guideText(),
              "交点を計算する線分１をマウス(左)で選択してください。マウス(右)：取り消し");

    // Undo (Ctrl+Z) back to the state before; redo (Ctrl+Y) forward again.
    QAction* undo = f.window->action("Undo");
    QAction* redo = f.window->action("Redo");
    ASSERT_TRUE(undo->isEnabled());
    EXPECT_FALSE(redo->isEnabled());
    EXPECT_EQ(undo->shortcut(), QKeySequence(QKeySequence::Undo));
    EXPECT_TRUE(redo->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_Y)));
    EXPECT_TRUE(redo->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)));
    undo->trigger();
    EXPECT_EQ(formatDataFile(f.model(), "x"), before);
    EXPECT_TRUE(redo->isEnabled());
    redo->trigger();
    EXPECT_EQ(f.model().pointCount, 10);
    undo->trigger();
    undo->trigger(); // the preparation too, back to the saved section
    EXPECT_EQ(f.model().modified, 0);
}

TEST(EditModesUi, SafetyLabelsAndAutomaticSwitching)
{
    ModesFixture f;
    auto results = std::make_shared<CalculationResults>();
    results->validFlag = kResultsValid;
    results->labels.resize(2);
    results->labels[0].cx = 25;
    results->labels[0].cy = 30;
    results->labels[1].cx = 35;
    results->labels[1].cy = 30;
    f.window->sectionDocument().setResults(results);
    // Results: the result display set (no grid, the frame shown).
    EXPECT_EQ(f.model().display.showGrid, 0);
    EXPECT_EQ(f.model().display.showFrame, 1);

    f.command("Anzen");
    f.left(34, 29);
    EXPECT_EQ(f.window->guideText(),
              "安全率(数値)を配置する位置をマウス(左)で指定してください。マウス(右)：取り消し");
    f.left(40, 15);
    const CalculationResults* r = f.window->sectionDocument().results();
    ASSERT_NE(r, nullptr);
    EXPECT_NEAR(r->labels[1].x, 40, 0.5);
    EXPECT_EQ(r->labels[1].drawFlag, 1);
    EXPECT_EQ(f.model().modified, 0); // the labels belong to the results
    EXPECT_EQ(f.model().calcState, 1);
    f.command("Circ");
    f.left(25, 30);
    EXPECT_EQ(f.window->sectionDocument().results()->labels[0].showCircle, 1);

    // An edit that drops the results switches back to the input display set.
    f.command("PDel");
    f.asker.answers = {Answer::Yes};
    f.left(60, 5);
    EXPECT_EQ(f.model().calcState, 0);
    EXPECT_EQ(f.window->sectionDocument().results(), nullptr);
    EXPECT_EQ(f.model().display.showGrid, 1);
    EXPECT_EQ(f.model().display.showFrame, 0);
}

TEST(EditModesUi, XyButtonAndParallelDistanceThroughTheDialogs)
{
    ModesFixture f;
    std::vector<DialogKind> opened;
    f.modes->setDialogOpener([&opened](DialogRequest& r) {
        opened.push_back(r.kind);
        if (r.kind == DialogKind::PointCoordinates) r.position = {45, 15};
        if (r.kind == DialogKind::ParallelOffset) {
            if (opened.size() > 2) return false; // the second distance is cancelled
            r.offset = 2.5;
        }
        return true;
    });
    f.command("PAdd");
    f.command("BitBtnXY");
    EXPECT_EQ(f.model().pointCount, 9);
    EXPECT_DOUBLE_EQ(f.model().points[8].x, 45);
    EXPECT_TRUE(f.asker.questions.empty()); // the dialog is the confirmation

    f.command("PLine");
    f.left(30, 10.1); // line 5-2 (y = 10)
    EXPECT_EQ(f.window->guideText(),
              "平行線を追加する位置をマウス(左)で選択してください。マウス(右)：取り消し");
    f.left(30, 15); // above line 5-2 (y = 10): a parallel at y = 12.5
    EXPECT_EQ(f.model().pointCount, 11);
    EXPECT_NEAR(f.model().points[10].y, 12.5, 1e-9);
    EXPECT_EQ(opened.size(), 3u);
    EXPECT_EQ(f.window->guideText(),
              "平行線を作図する線分をマウス(左)で選択してください。マウス(右)：取り消し");
}

TEST(EditModesUi, ConnectionCheckDrawsOverTheViewUntilTheNextChange)
{
    ModesFixture f;
    f.command("Kessen");
    QImage shot = f.view().grab().toImage();
    // The grid is gone (black background); the point marks are aqua squares.
    EXPECT_EQ(shot.pixelColor(f.pixel(60, 5)), QColor(0, 255, 255));
    EXPECT_EQ(shot.pixelColor(f.pixel(60, 15)), QColor(0, 0, 0));
    f.command("BlkCheck");
    shot = f.view().grab().toImage();
    EXPECT_EQ(shot.pixelColor(f.pixel(30, 0)), QColor(255, 255, 255)); // a closed region's line
    f.command("Name");
    f.left(30, 5);
    shot = f.view().grab().toImage();
    EXPECT_NE(shot.pixelColor(f.pixel(30, 0)), QColor(255, 255, 255));
}

// Runs `fill` on the modal dialog named `form` as soon as it is the active modal window
// (fails the test when it does not appear).
void whenShown(const char* form, std::function<void(QDialog&)> fill, int tries = 200)
{
    QTimer::singleShot(5, [form, fill, tries] {
        auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!d || d->objectName() != QString::fromLatin1(form)) {
            if (tries > 0)
                whenShown(form, fill, tries - 1);
            else
                ADD_FAILURE() << form << " did not open";
            return;
        }
        fill(*d);
    });
}

void type(QDialog& d, const char* edit, const char* text)
{
    auto* e = d.findChild<QLineEdit*>(QString::fromLatin1(edit));
    ASSERT_NE(e, nullptr) << edit;
    e->selectAll();
    QTest::keyClicks(e, QString::fromUtf8(text));
}

void press(QDialog& d, const char* button)
{
    auto* b = d.findChild<QPushButton*>(QString::fromLatin1(button));
    ASSERT_NE(b, nullptr) << button;
    QTest::mouseClick(b, Qt::LeftButton);
}

TEST(EditModesUi, BlockAddedThroughTheBlockDialog)
{
    ModesFixture f;
    // The block dialog: W = 19.5, K = 3 (not kept by a structure block), a structure block.
    whenShown("TBlk_Frm", [](QDialog& d) {
        type(d, "Edit1", "19.5");
        type(d, "Edit3", "3.0");
        auto* structure = d.findChild<QCheckBox*>(QStringLiteral("CheckBox3"));
        ASSERT_NE(structure, nullptr);
        QTest::mouseClick(structure, Qt::LeftButton);
        press(d, "Button1");
    });
    f.command("BAdd");
    f.left(12, 3);
    ASSERT_EQ(f.model().blockCount, 3);
    const SoilBlock& b = f.model().blocks[2];
    EXPECT_EQ(b.number, 2);
    EXPECT_DOUBLE_EQ(b.unitWeight, 19.5);
    EXPECT_EQ(b.kind, kStructureBlock);
    EXPECT_DOUBLE_EQ(b.cohesionGradient, 0.0);
    EXPECT_NEAR(b.seed.x, 12, 0.5);
    EXPECT_EQ(b.labelMode, -1);
    EXPECT_EQ(f.model().calcState, 0);

    // Cancelling the dialog adds nothing.
    whenShown("TBlk_Frm", [](QDialog& d) { press(d, "Button2"); });
    f.left(3, 3);
    EXPECT_EQ(f.model().blockCount, 3);
}

TEST(EditModesUi, XyButtonOpensTheCoordinateDialogOfTheMode)
{
    ModesFixture f;
    // Add a point: the dialog shows the new point's number, the typed position is stored.
    f.command("PAdd");
    whenShown("TXY_Frm", [](QDialog& d) {
        auto* number = d.findChild<QLineEdit*>(QStringLiteral("Edit1"));
        ASSERT_NE(number, nullptr);
        EXPECT_EQ(number->text().trimmed(), QStringLiteral("8"));
        type(d, "Edit2", "45.5");
        type(d, "Edit3", "15.25");
        press(d, "Button1");
    });
    f.command("BitBtnXY");
    ASSERT_EQ(f.model().pointCount, 9);
    EXPECT_DOUBLE_EQ(f.model().points[8].x, 45.5);
    EXPECT_DOUBLE_EQ(f.model().points[8].y, 15.25);

    // On another point the dialog stays open; cancelling then leaves the model alone.
    whenShown("TXY_Frm", [](QDialog& d) {
        type(d, "Edit2", "60");
        type(d, "Edit3", "5");
        press(d, "Button1");
        EXPECT_TRUE(d.isVisible());
        press(d, "Button2");
    });
    f.command("BitBtnXY");
    EXPECT_EQ(f.model().pointCount, 9);

    // Add a block: the typed inner point opens the block dialog in that closed region.
    f.command("BAdd");
    whenShown("TXY_Frm", [](QDialog& d) {
        auto* ok = d.findChild<QPushButton*>(QStringLiteral("Button1"));
        ASSERT_NE(ok, nullptr);
        EXPECT_TRUE(ok->isEnabled());
        type(d, "Edit2", "5");
        type(d, "Edit3", "2");
        whenShown("TBlk_Frm", [](QDialog& b) {
            type(b, "Edit1", "17");
            press(b, "Button1");
        });
        press(d, "Button1");
    });
    f.command("BitBtnXY");
    ASSERT_EQ(f.model().blockCount, 3);
    EXPECT_DOUBLE_EQ(f.model().blocks[2].unitWeight, 17);
    EXPECT_NEAR(f.model().blocks[2].seed.x, 5, 1e-9);
}

TEST(EditModesUi, ParallelLineDistanceFromItsDialog)
{
    ModesFixture f;
    f.command("PLine");
    // Picking the line asks for the distance at once.
    whenShown("TPLine_Frm", [](QDialog& d) {
        type(d, "Edit1", "2.5");
        press(d, "Button1");
    });
    f.left(30, 10.1); // line 5-2 (y = 10)
    // Placing it asks for the distance of the next parallel line: cancelled.
    whenShown("TPLine_Frm", [](QDialog& d) { press(d, "Button2"); });
    f.left(30, 15); // above: a parallel at y = 12.5
    ASSERT_EQ(f.model().pointCount, 10);
    EXPECT_NEAR(f.model().points[9].y, 12.5, 1e-9);
}

} // namespace
} // namespace keltora
