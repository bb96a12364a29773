// The picking rules and setLine: nearest candidates without a radius, the line measures of
// each kind, ordering, duplicates and slot reuse.
#include <gtest/gtest.h>

#include "edit/picking.h"
#include "edit_harness.h"

using namespace keltora;
using keltora::test::EditBench;

TEST(Picking, NearestCandidateAnywhereFirstOnTies)
{
    EditBench b;
    EXPECT_EQ(pickPoint(*b.model, {0, 0}), -1); // empty table: nothing
    b.point(0, 0);
    b.point(10, 0);
    b.point(20, 0);
    freePoint(*b.model, 1);
    EXPECT_EQ(pickPoint(*b.model, {1000, 1000}), 2); // no pick radius
    EXPECT_EQ(pickPoint(*b.model, {9, 0}), 0);       // free slot 1 is skipped
    EXPECT_EQ(pickPoint(*b.model, {10, 0}), 0);      // equal distance: the first wins

    std::vector<SafetyLabel> labels(2);
    labels[0].cx = 5;
    labels[1].cx = 7;
    EXPECT_EQ(pickCentre(labels, {6.5, 3}), 1);
    EXPECT_EQ(pickCentre({}, {0, 0}), -1);
}

TEST(Picking, LineMeasuresOfEachKind)
{
    EditBench b;
    const int p0 = b.point(0, 0), p1 = b.point(10, 0), p2 = b.point(5, 8), p3 = b.point(30, 3);
    const int boundary = b.line(p0, p1);
    const int limitLine = b.line(p2, p2, kArcLimitLineSmall); // horizontal at y = 8
    const int limitPoint = b.line(p3, p3, kArcLimitPointSmall);
    const SlopeModel& m = *b.model;
    // Foot on the segment: squared distance to the foot; beyond it: to the nearer end.
    EXPECT_DOUBLE_EQ(lineMeasure(m, b.lineAt(boundary), {4, 3}), 9.0);
    EXPECT_DOUBLE_EQ(lineMeasure(m, b.lineAt(boundary), {13, 4}), 25.0);
    // A horizontal limit line counts the difference of elevations only, wherever x is.
    EXPECT_DOUBLE_EQ(lineMeasure(m, b.lineAt(limitLine), {500, 5}), 9.0);
    EXPECT_DOUBLE_EQ(lineMeasure(m, b.lineAt(limitPoint), {27, 7}), 25.0);
    // pickLineOfKind looks at its kind only.
    EXPECT_EQ(pickLineOfKind(m, kArcLimitLineSmall, {0, 0}), limitLine);
    EXPECT_EQ(pickLineOfKind(m, kBoundaryLine, {500, 500}), boundary);
    EXPECT_EQ(pickLineOfKind(m, kUncutLine, {0, 0}), -1);
    EXPECT_EQ(pickLineOfKind(m, kBoundaryLine, {0, 0}, boundary), -1);
}

TEST(SetLine, OrdersRefusesDuplicatesAndReusesSlots)
{
    EditBench b;
    for (int i = 0; i < 4; ++i)
        b.point(i, i * i);
    SlopeModel& m = *b.model;
    EXPECT_EQ(setLine(m, -1, kBoundaryLine, 3, 1), 0);
    EXPECT_EQ(b.lines(), (std::vector<std::string>{"1:1-3"})); // start is the smaller
    EXPECT_EQ(b.lineAt(0).drawFlag, 1);
    EXPECT_EQ(setLine(m, -1, kBoundaryLine, 1, 3), 1);      // duplicate
    EXPECT_EQ(setLine(m, -1, kBoundaryLine, 2, 2), 1);      // zero length boundary
    EXPECT_EQ(setLine(m, -1, kUncutLine, 2, 2), 1);         // zero length uncut
    EXPECT_EQ(setLine(m, -1, kUncutLine, 1, 3), 0);         // same points, other kind
    EXPECT_EQ(setLine(m, -1, kArcLimitLineLarge, 2, 2), 0); // horizontal limit line
    EXPECT_EQ(m.lineCount, 3);

    // A slot whose kind is above 6 is free for a new line; the count stays.
    m.lines[1].kind = 9;
    EXPECT_EQ(setLine(m, -1, kBoundaryLine, 0, 2), 0);
    EXPECT_EQ(b.lineAt(1).kind, kBoundaryLine);
    EXPECT_EQ(m.lineCount, 3);

    // Replacing a slot by a duplicate of another line frees the slot; replacing it by
    // itself keeps it.
    EXPECT_EQ(setLine(m, 1, kBoundaryLine, 3, 1), 0);
    EXPECT_EQ(b.lineAt(1).kind, -1);
    EXPECT_EQ(setLine(m, 0, kBoundaryLine, 1, 3), 0);
    EXPECT_EQ(b.lineAt(0).kind, kBoundaryLine);
}

TEST(SetLine, FullTableRefusesWithAMessage)
{
    EditBench b;
    b.point(0, 0);
    b.point(1, 0);
    b.model->lineCount = kMaxLines;
    for (auto& l : b.model->lines)
        l = {kUncutLine, 0, 0, 1};
    Message why;
    EXPECT_EQ(setLine(*b.model, -1, kBoundaryLine, 0, 1, &why), 1);
    EXPECT_FALSE(why.text.empty());
}
