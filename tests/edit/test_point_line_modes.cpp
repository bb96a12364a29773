// The point and line modes driven by clicks: chains with the rubber line, additions refused
// onto existing points, deletions with their lines, arc-limit points and draw flags.
#include <gtest/gtest.h>

#include "edit_harness.h"

using namespace keltora;
using keltora::test::EditBench;

TEST(PointModes, AddTakesTheLowestFreeSlotAfterAYes)
{
    EditBench b;
    b.point(0, 0);
    b.point(5, 0);
    b.point(9, 0);
    freePoint(*b.model, 1);
    b.enter(kModePointAdd);
    EXPECT_EQ(b.edit.statusText(),
              "追加する点の位置をマウス(左)で指定してください。マウス(右)：取り消し");
    EXPECT_TRUE(b.edit.xyButtonVisible());

    b.host.answers = {false};
    b.left(3, 4);
    EXPECT_EQ(b.host.questions.back(), "点を追加してよろしいですか？");
    ASSERT_EQ(b.host.questionMarks.back().points.size(), 1u); // the new point is highlighted
    EXPECT_EQ(b.pointAt(1).number, -1);                       // No: the slot stays free

    b.host.answers = {true};
    b.left(3, 4);
    EXPECT_EQ(b.pointAt(1).number, 1);
    EXPECT_DOUBLE_EQ(b.pointAt(1).x, 3);
    EXPECT_EQ(b.model->pointCount, 3);
    EXPECT_EQ(b.model->modified, 1);
    EXPECT_EQ(b.edit.mode(), kModePointAdd); // the mode stays

    // Onto an existing point (within 0.00009 m in X and Y): refused without a question.
    b.left(3.00008, 4.00008);
    EXPECT_EQ(b.host.questions.size(), 2u);
    b.host.answers = {true};
    b.left(3.0002, 4); // far enough in X
    EXPECT_EQ(b.model->pointCount, 4);

    b.right();
    EXPECT_EQ(b.edit.mode(), 0);
    EXPECT_EQ(b.edit.statusText(), kIdleStatusText);
    EXPECT_FALSE(b.edit.xyButtonVisible());
}

TEST(PointModes, MoveShowsAtOnceAndWritesOnlyWhenConfirmed)
{
    EditBench b;
    const int p = b.point(0, 0);
    const int q = b.point(10, 0);
    b.line(p, q);
    b.model->calcState = 1;
    b.enter(kModePointMove);
    b.left(1, 1);
    EXPECT_EQ(b.edit.mode(), kModePointMoveTo);
    EXPECT_EQ(b.edit.statusText(),
              "点を移動する先の位置をマウス(左)で指定してください。マウス(右)：取り消し");
    b.left(10.00005, 0); // onto the other point: ignored
    b.left(2, 3);
    b.left(2, 4); // repeatable
    // The marks show the point at its new place with its line following it.
    const Marks marks = b.edit.marks(*b.model, nullptr);
    ASSERT_EQ(marks.lines.size(), 1u);
    EXPECT_DOUBLE_EQ(marks.lines[0].a.y, 4);
    EXPECT_DOUBLE_EQ(b.pointAt(p).y, 0); // not written yet

    b.host.answers = {false};
    b.right();
    EXPECT_EQ(b.host.questions.back(), "点を移動してよろしいですか？");
    EXPECT_DOUBLE_EQ(b.pointAt(p).y, 0);
    EXPECT_EQ(b.model->calcState, 1);
    EXPECT_EQ(b.edit.mode(), kModePointMove);

    b.left(1, 1);
    b.left(2, 4);
    b.host.answers = {true};
    b.right();
    EXPECT_DOUBLE_EQ(b.pointAt(p).x, 2);
    EXPECT_DOUBLE_EQ(b.pointAt(p).y, 4);
    EXPECT_EQ(b.model->calcState, 0);

    // Right click without a move asks nothing; leaving mid-move changes nothing.
    b.left(2, 4);
    b.right();
    b.left(2, 4);
    b.left(7, 7);
    b.enter(kModePointDelete);
    EXPECT_DOUBLE_EQ(b.pointAt(p).x, 2);
    EXPECT_EQ(b.host.questions.size(), 2u);
}

TEST(PointModes, XyButtonAddsAndMovesTypedCoordinates)
{
    EditBench b;
    b.point(0, 0);
    b.enter(kModePointAdd);
    b.host.dialog = [](DialogRequest& r) {
        EXPECT_EQ(r.kind, DialogKind::PointCoordinates);
        EXPECT_EQ(r.slot, 1);
        r.position = {4, 5};
        return true;
    };
    b.xy(); // the dialog is the confirmation
    EXPECT_EQ(b.model->pointCount, 2);
    EXPECT_DOUBLE_EQ(b.pointAt(1).y, 5);

    b.enter(kModePointMove);
    EXPECT_FALSE(b.edit.xyButtonVisible());
    b.left(4, 5);
    EXPECT_TRUE(b.edit.xyButtonVisible());
    b.host.dialog = [](DialogRequest& r) {
        EXPECT_TRUE(r.moving);
        EXPECT_DOUBLE_EQ(r.position.x, 4);
        r.position = {6, 6};
        return true;
    };
    b.xy();
    EXPECT_DOUBLE_EQ(b.pointAt(1).x, 6);
    EXPECT_EQ(b.edit.mode(), 0); // closing the dialog of a move ends the mode
    EXPECT_EQ(b.edit.statusText(), kIdleStatusText);
}

TEST(PointModes, DeletingAPointFreesItsThreeLinesInOneConfirmation)
{
    EditBench b;
    const int c = b.point(0, 0);
    const int n1 = b.point(5, 0), n2 = b.point(0, 5), n3 = b.point(-5, 0);
    b.line(c, n1);
    b.line(n2, c);
    b.line(c, n3);
    b.line(n1, n2);
    b.enter(kModePointDelete);
    b.host.answers = {true};
    b.left(0.5, 0.5);
    ASSERT_EQ(b.host.questions.size(), 1u);
    EXPECT_EQ(b.host.questions[0], "点を削除してよろしいですか？(関連する線分も削除されます)");
    EXPECT_EQ(b.host.questionMarks[0].lines.size(), 3u); // the three lines are highlighted
    EXPECT_EQ(b.pointAt(c).number, -1);
    EXPECT_EQ(b.lines(), (std::vector<std::string>{"1:1-2"}));
    EXPECT_EQ(b.model->pointCount, 4); // counts stay
    EXPECT_EQ(b.model->lineCount, 4);
    EXPECT_EQ(b.edit.mode(), kModePointDelete);
}

TEST(LineModes, ChainThroughThreePointsWithARepeatedClick)
{
    EditBench b;
    b.point(0, 0); // 0 (unused by the chain)
    const int p1 = b.point(10, 0), p2 = b.point(20, 5), p3 = b.point(30, 5);
    b.enter(kModeLineAddFirst);
    EXPECT_EQ(b.edit.statusText(),
              "追加する境界線の始点をマウス(左)で選択してください。マウス(右)：取り消し");
    b.left(10.2, 0.1); // start: point 1
    EXPECT_EQ(b.edit.mode(), 511);
    EXPECT_EQ(b.edit.statusText(),
              "追加する境界線の終点をマウス(左)で選択してください。マウス(右)：取り消し");
    // The rubber line runs from the start point to the cursor.
    b.edit.mouseMove({15, 15});
    Marks m = b.edit.marks(*b.model, nullptr);
    EXPECT_TRUE(m.rubber);
    EXPECT_DOUBLE_EQ(m.rubberFrom.x, 10);
    EXPECT_DOUBLE_EQ(m.rubberTo.y, 15);

    b.left(10, 0.3); // the start point itself: ignored
    EXPECT_TRUE(b.lines().empty());
    b.left(19, 5); // 1-2
    b.left(29, 5); // 2-3
    b.left(30, 5); // point 3 again: nothing, the chain goes on from 3
    EXPECT_EQ(b.lines(), (std::vector<std::string>{"1:1-2", "1:2-3"}));
    EXPECT_EQ(b.edit.mode(), 511);
    m = b.edit.marks(*b.model, nullptr);
    EXPECT_DOUBLE_EQ(m.rubberFrom.x, 30);
    b.left(20, 5); // back to 2: a duplicate of 2-3, refused, the chain continues from 2
    b.left(10, 0); // 2-1 is a duplicate of 1-2
    EXPECT_EQ(b.lines().size(), 2u);
    b.left(0, 0); // 1-0
    EXPECT_EQ(b.lines().back(), "1:0-1");
    EXPECT_EQ(b.lineAt(2).drawFlag, 1);
    EXPECT_EQ(b.model->modified, 1);
    (void)p1;
    (void)p2;
    (void)p3;

    b.right(); // back to the start pick
    EXPECT_EQ(b.edit.mode(), 501);
    EXPECT_FALSE(b.edit.marks(*b.model, nullptr).rubber);
    b.right();
    EXPECT_EQ(b.edit.mode(), 0);
}

TEST(LineModes, LimitLineFromAPointToItselfEndsTheChain)
{
    EditBench b;
    b.point(0, 3);
    b.point(5, 3);
    b.enter(503);
    EXPECT_EQ(b.edit.statusText(), "追加する円弧制限線(小)の始点をマウス(左)で選択してください。"
                                   "マウス(右)：取り消し");
    b.left(0, 3);
    b.left(0, 3); // the same point: a horizontal limit line at its elevation
    EXPECT_EQ(b.lines(), (std::vector<std::string>{"3:0-0"}));
    EXPECT_EQ(b.edit.mode(), 0);
}

TEST(LineModes, ArcLimitPointsAndDeletionByKind)
{
    EditBench b;
    const int p = b.point(0, 0), q = b.point(10, 0);
    b.line(p, q);
    b.enter(kModeArcPointLarge);
    b.host.answers = {true};
    b.left(9, 1);
    EXPECT_EQ(b.host.questions.back(), "円弧制限点(大)を追加してよろしいですか？");
    EXPECT_EQ(b.lines().back(), "6:1-1");
    EXPECT_EQ(b.edit.mode(), 0); // leaves the mode after the answer
    b.enter(kModeArcPointLarge);
    b.host.answers = {true};
    b.left(9, 1); // no duplicate check for arc-limit points
    EXPECT_EQ(b.lines().size(), 3u);

    b.enter(606);
    b.host.answers = {false, true};
    b.left(0, 0); // the only kind 6 lines are at point 1
    EXPECT_EQ(b.host.questions.back(), "指定した円弧制限点(大)を削除してしてよろしいですか？");
    EXPECT_EQ(b.lines().size(), 3u);
    b.left(0, 0);
    EXPECT_EQ(b.lines().size(), 2u);
    EXPECT_EQ(b.pointAt(q).number, q); // its point stays
    EXPECT_EQ(b.edit.mode(), 606);

    b.enter(602); // no uncut lines: nothing happens
    b.left(0, 0);
    EXPECT_EQ(b.host.questions.size(), 4u);
}

TEST(LineModes, DrawFlagOfTheNearestBoundaryLine)
{
    EditBench b;
    b.point(0, 0);
    b.point(10, 0);
    b.point(0, 10);
    b.line(0, 1);
    b.line(0, 2);
    b.line(1, 2, kUncutLine);
    b.model->calcState = 1;
    b.model->modified = 0;
    b.enter(kModeDrawFlagOff);
    b.left(4, 6); // nearest: boundary 0-2 (the uncut line 1-2 is nearer, not a candidate)
    EXPECT_EQ(b.lineAt(0).drawFlag, 1);
    EXPECT_EQ(b.lineAt(1).drawFlag, -1);
    EXPECT_EQ(b.model->modified, 1);
    EXPECT_EQ(b.model->calcState, 1); // a figure setting keeps the results
    b.enter(kModeDrawFlagOn);
    b.left(1, 9);
    EXPECT_EQ(b.lineAt(1).drawFlag, 1);
}
