// The construction modes: intersections with their splits, nearness, perpendicular foot,
// horizontal and vertical intersections, the move variants, end point change, merge,
// split and the parallel line, with the click protocol of picks and back steps.
#include <gtest/gtest.h>

#include "edit/constructions.h"
#include "edit_harness.h"

using namespace keltora;
using keltora::test::EditBench;

TEST(Constructions, ParallelLinesHaveNoIntersection)
{
    EditBench b;
    b.point(0, 0);
    b.point(10, 0);
    b.point(0, 5);
    b.point(10, 5);
    b.line(0, 1);
    b.line(2, 3);
    b.enter(kModeIntersectionAdd);
    EXPECT_EQ(b.edit.statusText(),
              "交点を計算する線分１をマウス(左)で選択してください。マウス(右)：取り消し");
    b.left(5, 1);
    EXPECT_EQ(b.edit.statusText(),
              "交点を計算する線分２をマウス(左)で選択してください。マウス(右)：取り消し");
    b.left(5, 1); // line 1 is not a candidate for line 2: the other line is taken
    b.right();
    ASSERT_EQ(b.messages.size(), 1u);
    EXPECT_EQ(b.messages[0].text, "交点が計算できません！");
    EXPECT_EQ(b.model->pointCount, 4);
    // The second pick is dropped: the next right click steps back to line 1.
    EXPECT_EQ(b.edit.mode(), kModeIntersectionAdd + 1);
    b.right();
    EXPECT_EQ(b.edit.mode(), kModeIntersectionAdd);
    b.right();
    EXPECT_EQ(b.edit.mode(), 0);
}

TEST(Constructions, IntersectionBeyondLineTwoSplitsOnlyLineOne)
{
    EditBench b;
    b.point(0, 0); // line 1: 0-1 horizontal from 0 to 10
    b.point(10, 0);
    b.point(5, 2); // line 2: 2-3 ends above line 1 (its extension crosses at (5, 0))
    b.point(5, 6);
    b.line(0, 1);
    b.line(2, 3);
    b.model->calcState = 1;
    b.enter(kModeIntersectionAdd);
    b.left(2, 0.5);
    b.left(5, 4);
    b.host.answers = {true};
    b.right();
    EXPECT_EQ(b.host.questions.back(), "交点を追加してよろしいですか？");
    ASSERT_EQ(b.model->pointCount, 5);
    EXPECT_DOUBLE_EQ(b.pointAt(4).x, 5);
    EXPECT_DOUBLE_EQ(b.pointAt(4).y, 0);
    EXPECT_EQ(b.lines(), (std::vector<std::string>{"1:0-4", "1:2-3", "1:1-4"}));
    EXPECT_EQ(b.model->calcState, 0);
    EXPECT_EQ(b.edit.mode(), kModeIntersectionAdd); // back to the first step

    // The same construction again lands on point 4: refused as too near, nothing asked.
    b.left(2, 0.5);
    b.left(5, 4);
    b.right();
    EXPECT_EQ(b.messages.back().text, "交点の近くに点があるため追加できません！");
    EXPECT_EQ(b.model->pointCount, 5);
}

TEST(Constructions, NearnessRefusesAtOneMillimetreAcceptsAtTwo)
{
    for (double gap : {0.001, 0.002}) {
        EditBench b;
        b.point(0, 0);
        b.point(10, 0);
        b.point(4, -3);
        b.point(4, 3);
        b.point(4 + gap, gap); // an existing point next to the crossing (4, 0)
        b.line(0, 1);
        b.line(2, 3);
        b.enter(kModeIntersectionAdd);
        b.left(1, 0);
        b.left(4, 2);
        b.host.answers = {true};
        b.right();
        if (gap < 0.0015) {
            ASSERT_EQ(b.messages.size(), 1u) << gap;
            EXPECT_EQ(b.messages[0].text, "交点の近くに点があるため追加できません！");
            EXPECT_EQ(b.model->pointCount, 5);
            EXPECT_EQ(b.host.answers.size(), 1u); // nothing asked
        } else {
            EXPECT_TRUE(b.messages.empty()) << gap;
            EXPECT_EQ(b.model->pointCount, 6);
            EXPECT_EQ(b.lines().size(), 4u); // both lines split at (4, 0)
        }
    }
}

TEST(Constructions, FootHorizontalAndVerticalWithTheirMoveVariants)
{
    EditBench b;
    b.point(0, 0);
    b.point(10, 10); // line 0: the diagonal
    b.point(8, 2);
    b.point(3, 20);
    b.line(0, 1);
    b.enter(kModeFootAdd);
    b.left(5, 5);
    EXPECT_EQ(b.edit.statusText(),
              "垂線の足を下ろす点をマウス(左)で選択してください。マウス(右)：取り消し");
    b.left(8, 2);
    b.host.answers = {true};
    b.right();
    EXPECT_DOUBLE_EQ(b.pointAt(4).x, 5);
    EXPECT_DOUBLE_EQ(b.pointAt(4).y, 5);
    EXPECT_EQ(b.lines(), (std::vector<std::string>{"1:0-4", "1:1-4"}));

    // Horizontal through point 3 (y = 20) meets the line beyond its end: a point, no split.
    b.enter(kModeHorizontalAdd);
    b.left(2, 2);
    b.left(3, 20);
    b.host.answers = {true};
    b.right();
    EXPECT_EQ(b.host.questions.back(), "水平交点を追加してよろしいですか？");
    EXPECT_DOUBLE_EQ(b.pointAt(5).x, 20);
    EXPECT_DOUBLE_EQ(b.pointAt(5).y, 20);
    EXPECT_EQ(b.lines().size(), 2u);

    // Move point 3 to where line 0-4 meets the vertical through point 3 itself.
    b.enter(kModeVerticalMove);
    EXPECT_EQ(b.edit.statusText(),
              "垂直線との交点に移動する点をマウス(左)で選択してください。マウス(右)：取り消し");
    b.left(3, 19);
    EXPECT_EQ(b.edit.statusText(),
              "垂直線との交点を計算する線分をマウス(左)で指定してください。マウス(右)：取り消し");
    b.left(1, 1);
    b.right(); // no point picked yet: back one step (the line pick is dropped)
    EXPECT_EQ(b.edit.mode(), kModeVerticalMove + 1);
    b.left(1, 1);
    b.left(3, 20); // the point defining the vertical: point 3 itself
    EXPECT_EQ(b.edit.marks(*b.model, nullptr).points.front().colour, MarkColour::Highlight);
    b.host.answers = {true};
    b.right();
    EXPECT_EQ(b.host.questions.back(), "垂直交点に移動してよろしいですか？");
    EXPECT_DOUBLE_EQ(b.pointAt(3).x, 3);
    EXPECT_DOUBLE_EQ(b.pointAt(3).y, 3);
    EXPECT_EQ(b.lines(), (std::vector<std::string>{"1:0-3", "1:1-4", "1:3-4"}));

    // Moving onto an existing point is refused with the move text.
    b.enter(kModeFootMove);
    b.left(8, 2);
    b.left(9, 9);
    b.left(3, 3); // the foot of point 3 on the extension of line 1-4 is point 3 itself
    b.right();
    EXPECT_EQ(b.messages.back().text, "垂線の足の近くに点があるため移動できません！");
    EXPECT_DOUBLE_EQ(b.pointAt(2).x, 8);
}

TEST(Constructions, MergeAtAnAngleKeepsTheSharedPoint)
{
    EditBench b;
    b.point(0, 0);
    b.point(5, 3);
    b.point(10, 0);
    b.point(50, 50);
    b.line(1, 0);
    b.line(1, 2);
    b.line(3, 2); // shares nothing with line 0
    b.enter(kModeMerge);
    b.left(1, 1);
    b.left(40, 40); // shares no end with line 1: not taken
    b.right();      // line 2 missing: back to the first step
    EXPECT_EQ(b.edit.mode(), kModeMerge);
    b.left(1, 1);
    b.left(9, 1);
    b.host.answers = {true};
    b.right();
    EXPECT_EQ(b.host.questions.back(), "線分を合成してよろしいですか？");
    EXPECT_EQ(b.lines(), (std::vector<std::string>{"1:0-2", "1:3-2"}));
    EXPECT_EQ(b.pointAt(1).number, 1); // the shared point stays, now without lines
}

TEST(Constructions, EndPointChangeAndSplit)
{
    EditBench b;
    b.point(0, 0);
    b.point(10, 0);
    b.point(5, 5);
    b.line(0, 1);
    b.enter(kModeEndPoint);
    b.left(8, 0); // the end nearer the click: point 1
    EXPECT_EQ(b.edit.marks(*b.model, nullptr).points.back().colour, MarkColour::Moving);
    b.left(5, 4);
    b.host.answers = {false};
    b.right(); // No: the new point pick is dropped, the line stays picked
    EXPECT_EQ(b.edit.mode(), kModeEndPoint + 1);
    EXPECT_EQ(b.lines(), (std::vector<std::string>{"1:0-1"}));
    b.left(5, 4);
    b.host.answers = {true};
    b.right();
    EXPECT_EQ(b.lines(), (std::vector<std::string>{"1:0-2"}));

    // Reattaching so that the line would start and end at one point deletes it.
    b.left(4, 4); // nearer end: point 2
    b.left(0, 0);
    b.host.answers = {true};
    b.right();
    EXPECT_TRUE(b.lines().empty());

    // Split: an end of the line is not taken; the point need not lie on the line.
    b.line(0, 1);
    b.enter(kModeSplit);
    b.left(5, 0);
    b.left(0.1, 0); // point 0 is an end: not taken
    b.right();      // back to the first step
    EXPECT_EQ(b.edit.mode(), kModeSplit);
    b.left(5, 0);
    b.left(5, 5);
    b.host.answers = {true};
    b.right();
    EXPECT_EQ(b.lines(), (std::vector<std::string>{"1:0-2", "1:1-2"}));
}

TEST(Constructions, ParallelLineReusesPointsAndAsksForTheNextDistance)
{
    EditBench b;
    b.point(0, 0);
    b.point(10, 0);
    b.point(10.0005, 2.0005); // within 0.001 of the left end of a line 2 m above
    b.line(0, 1);
    std::vector<double> distances = {2.0, 3.0};
    b.host.dialog = [&distances](DialogRequest& r) {
        EXPECT_EQ(r.kind, DialogKind::ParallelOffset);
        if (distances.empty()) return false;
        r.offset = distances.front();
        distances.erase(distances.begin());
        return true;
    };
    b.enter(kModeParallel);
    b.left(5, 0.1);
    EXPECT_DOUBLE_EQ(b.edit.session().parallelOffset, 2.0);
    EXPECT_EQ(b.edit.statusText(),
              "平行線を追加する位置をマウス(左)で選択してください。マウス(右)：取り消し");
    b.left(5, 1); // above: the side of the click
    // One end reuses point 2, the other is new.
    EXPECT_EQ(b.model->pointCount, 4);
    EXPECT_DOUBLE_EQ(b.pointAt(3).x, 0);
    EXPECT_DOUBLE_EQ(b.pointAt(3).y, 2);
    EXPECT_EQ(b.lines().back(), "1:2-3");
    // The dialog opened again: 3 m, then below the line.
    EXPECT_EQ(b.edit.mode(), kModeParallel + 1);
    b.left(5, -1);
    EXPECT_DOUBLE_EQ(b.pointAt(5).y, -3);
    EXPECT_DOUBLE_EQ(b.pointAt(5).x, 10);
    // The third dialog is cancelled: back to the line pick.
    EXPECT_EQ(b.edit.mode(), kModeParallel);
    EXPECT_EQ(b.host.dialogs.size(), 3u);

    // Both ends on existing points that are joined already: nothing changes.
    b.host.dialog = [](DialogRequest& r) {
        r.offset = 2.0;
        return true;
    };
    b.left(5, 0.2);
    const int lines = b.model->lineCount, points = b.model->pointCount;
    b.model->modified = 0;
    b.left(5, 1);
    EXPECT_EQ(b.model->lineCount, lines);
    EXPECT_EQ(b.model->pointCount, points);
    EXPECT_EQ(b.model->modified, 0);
}

TEST(Constructions, PositionRoutines)
{
    EditBench b;
    b.point(0, 0);
    b.point(10, 0);
    b.point(3, 4);
    b.line(0, 1);
    Construction k = construct(*b.model, ConstructionKind::Vertical, 0, -1, 2);
    EXPECT_EQ(k.status, 0);
    EXPECT_DOUBLE_EQ(k.position.x, 3);
    EXPECT_TRUE(k.splitLine1);
    k = construct(*b.model, ConstructionKind::Horizontal, 0, -1, 2);
    EXPECT_EQ(k.status, -1); // parallel to the horizontal
    EXPECT_TRUE(tooNearPoint(*b.model, {3.0009, 4.0009}));
    EXPECT_FALSE(tooNearPoint(*b.model, {3.0009, 4.0009}, 2));
    EXPECT_FALSE(tooNearPoint(*b.model, {3.0011, 4}));
}
