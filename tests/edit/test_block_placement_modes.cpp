// Block modes (add with the dialog, move, copy, delete, edit), the placement of figure
// elements against the frame rectangle, and the menu refresh with its display presets.
#include <gtest/gtest.h>

#include "edit/placement_modes.h"
#include "edit_harness.h"

using namespace keltora;
using keltora::test::EditBench;

namespace {

// Two squares side by side: 0(0,0) 1(10,0) 2(10,10) 3(0,10) and 4(20,0) 5(20,10).
void twoSquares(EditBench& b)
{
    b.point(0, 0);
    b.point(10, 0);
    b.point(10, 10);
    b.point(0, 10);
    b.point(20, 0);
    b.point(20, 10);
    b.line(0, 1);
    b.line(1, 2);
    b.line(2, 3);
    b.line(3, 0);
    b.line(1, 4);
    b.line(4, 5);
    b.line(5, 2);
}

SoilBlock soil(Point2 seed, double w)
{
    SoilBlock blk;
    blk.seed = seed;
    blk.labelPos = {seed.x + 1, seed.y + 1};
    blk.labelMode = 2;
    blk.unitWeight = w;
    blk.frictionAngle = 30;
    blk.hasSandPiles = 1;
    blk.pileReplacementRatio = 0.3;
    return blk;
}

} // namespace

TEST(BlockModes, AddOpensTheDialogInAClosedRegionOnly)
{
    EditBench b;
    b.enter(kModeBlockAdd);
    b.left(5, 5); // no boundary line at all: nothing
    EXPECT_TRUE(b.host.dialogs.empty());
    twoSquares(b);
    b.host.dialog = [](DialogRequest& r) {
        EXPECT_EQ(r.kind, DialogKind::Block);
        EXPECT_EQ(r.block.labelMode, -1);
        EXPECT_DOUBLE_EQ(r.block.labelPos.x, r.block.seed.x);
        EXPECT_EQ(r.block.unitWeight, 0.0);
        r.block.unitWeight = 18;
        return r.slot == 0; // the first is confirmed, the next cancelled
    };
    b.left(5, 5);
    EXPECT_EQ(b.model->blockCount, 1);
    EXPECT_EQ(b.model->blocks[0].number, 0);
    EXPECT_DOUBLE_EQ(b.model->blocks[0].unitWeight, 18);
    EXPECT_DOUBLE_EQ(b.model->blocks[0].seed.x, 5);
    EXPECT_EQ(b.model->calcState, 0);
    b.left(15, 5); // cancelled: no block
    EXPECT_EQ(b.model->blockCount, 1);
    EXPECT_EQ(b.model->blocks[1].number, -1);
    EXPECT_EQ(b.edit.mode(), kModeBlockAdd);
}

TEST(BlockModes, ACopyTakesTheLowestFreeSlotAndKeepsParametersAndLabel)
{
    EditBench b;
    twoSquares(b);
    addBlock(*b.model, soil({5, 5}, 18));
    addBlock(*b.model, soil({15, 5}, 19));
    addBlock(*b.model, soil({15, 8}, 20));
    freeBlock(*b.model, 1);
    b.enter(kModeBlockCopy);
    b.left(5, 6); // source: block 0
    EXPECT_EQ(b.edit.mode(), kModeBlockCopyTo);
    EXPECT_EQ(b.edit.statusText(),
              "ブロックを複写する先の位置をマウス(左)で指定してください。マウス(右)：取り消し");
    b.right(); // never placed: nothing asked, nothing copied
    EXPECT_TRUE(b.host.questions.empty());
    EXPECT_EQ(b.edit.statusText(),
              "複写するブロックをマウス(左)で選択してください。マウス(右)：取り消し");
    b.left(5, 6);
    b.left(16, 4);
    // The copy and its outline are shown before the question.
    EXPECT_EQ(b.edit.marks(*b.model, nullptr).outlines.size(), 2u);
    b.host.answers = {true};
    b.right();
    EXPECT_EQ(b.host.questions.back(), "ブロックを複写してよろしいですか？");
    const SoilBlock& copy = b.model->blocks[1];
    EXPECT_EQ(copy.number, 1);
    EXPECT_DOUBLE_EQ(copy.seed.x, 16);
    EXPECT_DOUBLE_EQ(copy.unitWeight, 18);
    EXPECT_DOUBLE_EQ(copy.pileReplacementRatio, 0.3);
    EXPECT_DOUBLE_EQ(copy.labelPos.x, 6); // the source's label position
    EXPECT_EQ(copy.labelMode, 2);
    EXPECT_EQ(b.model->blockCount, 3);
    EXPECT_EQ(b.edit.mode(), kModeBlockCopy);

    // Declined: nothing is written.
    b.left(5, 5);
    b.left(3, 3);
    b.host.answers = {false};
    b.right();
    EXPECT_EQ(b.model->blockCount, 3);
}

TEST(BlockModes, MoveDeleteAndEdit)
{
    EditBench b;
    twoSquares(b);
    addBlock(*b.model, soil({5, 5}, 18));
    addBlock(*b.model, soil({15, 5}, 19));
    b.enter(kModeBlockMove);
    b.left(14, 4);
    b.left(12, 2);
    b.host.answers = {true};
    b.right();
    EXPECT_DOUBLE_EQ(b.model->blocks[1].seed.x, 12);
    EXPECT_DOUBLE_EQ(b.model->blocks[1].labelPos.x, 16); // the label does not move
    EXPECT_EQ(b.edit.mode(), kModeBlockMove);

    b.enter(kModeBlockDelete);
    b.host.answers = {true};
    b.left(4, 4);
    EXPECT_EQ(b.host.questions.back(), "ブロックを削除してよろしいですか？");
    EXPECT_EQ(b.model->blocks[0].number, -1);

    b.enter(kModeBlockEdit);
    b.model->modified = 0;
    b.host.dialog = [](DialogRequest&) { return true; }; // confirmed unchanged
    b.left(12, 2);
    EXPECT_EQ(b.model->modified, 0);
    b.host.dialog = [](DialogRequest& r) {
        r.block.frictionAngle = 35;
        return true;
    };
    b.left(12, 2);
    EXPECT_DOUBLE_EQ(b.model->blocks[1].frictionAngle, 35);
    EXPECT_EQ(b.model->modified, 1);
}

TEST(Placement, OutsideTheFrameStoresThePositionWithModeMinusOne)
{
    EditBench b;
    // A3 at 1:100 around (0, 0): 38 m by 26 m.
    const FrameRect r = figureFrameRect(*b.model);
    EXPECT_DOUBLE_EQ(r.xmax, 19.0);
    EXPECT_DOUBLE_EQ(r.ymin, -13.0);
    b.model->calcState = 1;
    b.enter(kModeTitle);
    b.left(25, 0);
    EXPECT_EQ(b.model->draw.drawTitle, -1);
    EXPECT_DOUBLE_EQ(b.model->draw.titlePos.x, 25);
    EXPECT_EQ(b.model->modified, 1);
    EXPECT_EQ(b.model->calcState, 1);
    b.left(19, 13); // on the edge is inside
    EXPECT_EQ(b.model->draw.drawTitle, 1);

    b.enter(kModeFrame);
    b.left(100, 50);
    EXPECT_DOUBLE_EQ(b.model->draw.frameCentre.x, 100);
    b.enter(kModeTitle);
    b.left(19, 13); // now outside the moved frame
    EXPECT_EQ(b.model->draw.drawTitle, -1);

    // Surcharge (2R), force 3 behind the arrow, earth pressure row 5.
    b.enter(1403);
    EXPECT_EQ(b.edit.statusText(), "上載荷重２(右)を作図する位置をマウス(左)で指定してください。"
                                   "マウス(右)：取り消し");
    b.left(101, 51);
    EXPECT_EQ(b.model->draw.surchargeLabelMode[1][1], 2);
    EXPECT_DOUBLE_EQ(b.model->draw.surchargeLabelX[1][1], 101);
    b.enter(1508);
    b.left(90, 40);
    EXPECT_EQ(b.model->draw.forceLabelMode[2], 3);
    b.left(0, 0);
    EXPECT_EQ(b.model->draw.forceLabelMode[2], -1);
    b.enter(3005);
    b.left(100, 50);
    EXPECT_EQ(b.model->sheetPile.passiveLabelMode[5], 1);
}

TEST(Placement, SoilLabelsOfSoilAndWaterBlocks)
{
    EditBench b;
    twoSquares(b);
    addBlock(*b.model, soil({5, 5}, 18));
    SoilBlock water = soil({15, 5}, 10);
    water.kind = kWaterWeightBlock;
    addBlock(*b.model, water);
    b.enter(kModeSoilVertical);
    b.left(5, 5);
    EXPECT_EQ(b.edit.mode(), kModeSoilVerticalPlace);
    EXPECT_EQ(b.edit.marks(*b.model, nullptr).outlines.size(), 1u);
    b.left(3, 3);
    EXPECT_EQ(b.model->blocks[0].labelMode, 1);
    b.right();
    EXPECT_EQ(b.edit.mode(), kModeSoilVertical);
    b.enter(kModeSoilHorizontal);
    b.left(15, 5);
    b.left(14, 4);
    EXPECT_EQ(b.model->blocks[1].labelMode, 3); // a water block label whatever the mode
    b.left(140, 4);
    EXPECT_EQ(b.model->blocks[1].labelMode, -1);
}

TEST(Placement, SafetyLabelsAndAdditionalCirclesBelongToTheResults)
{
    EditBench b;
    b.withLabels = true;
    b.labels.resize(2);
    b.labels[0].cx = 0;
    b.labels[1].cx = 10;
    b.model->modified = 0;
    b.enter(kModeSafetyLabel);
    b.left(9, 0);
    EXPECT_EQ(b.edit.mode(), kModeSafetyLabelPlace);
    b.left(3, 4);
    EXPECT_DOUBLE_EQ(b.labels[1].x, 3);
    EXPECT_EQ(b.labels[1].drawFlag, 1);
    b.left(300, 4);
    EXPECT_EQ(b.labels[1].drawFlag, -1);
    b.enter(kModeExtraCircle);
    b.left(1, 0);
    b.left(1, 0);
    b.left(1, 0);
    EXPECT_EQ(b.labels[0].showCircle, 1);
    EXPECT_EQ(b.model->modified, 0);

    b.withLabels = false; // no valid results: nothing to pick
    b.left(1, 0);
    EXPECT_EQ(b.labels[0].showCircle, 1);
}

TEST(MenuRefresh, AutomaticSwitchingFollowsTheResults)
{
    EditBench b;
    SlopeModel& m = *b.model;
    bool changed = false;
    MenuState st = refreshMenus(m, true, &changed);
    EXPECT_TRUE(changed);
    EXPECT_TRUE(st.results);
    EXPECT_EQ(m.display.showGrid, 0);
    EXPECT_EQ(m.display.showPointNames, 0);
    EXPECT_EQ(m.display.showFrame, 1);
    EXPECT_EQ(m.display.showSoilInfo, 1);
    EXPECT_EQ(m.display.autoSwitch, 1);
    refreshMenus(m, true, &changed);
    EXPECT_FALSE(changed);

    st = refreshMenus(m, false);
    EXPECT_FALSE(st.results);
    EXPECT_EQ(m.display.showGrid, 1);
    EXPECT_EQ(m.display.showFrame, 0);
    EXPECT_EQ(m.display.showPassivePressure, 0);
    EXPECT_EQ(m.display.showSheetPile, 1);

    m.display.autoSwitch = 0; // off: the user's switches stay
    m.display.showFrame = 1;
    refreshMenus(m, false);
    EXPECT_EQ(m.display.showFrame, 1);
}

TEST(MenuRefresh, UniformSurchargeOffersOneItem)
{
    EditBench b;
    SlopeModel& m = *b.model;
    m.conditions.surchargeQmin = {10, 5, 0};
    m.conditions.surchargeQmax = {10, 8, 0};
    const MenuState st = refreshMenus(m, false);
    EXPECT_TRUE(st.surchargeMenu);
    EXPECT_EQ(st.surcharge[0].caption, "(1B)  10.000");
    EXPECT_TRUE(st.surcharge[0].visible);
    EXPECT_FALSE(st.surcharge[1].visible);
    EXPECT_EQ(m.draw.surchargeLabelMode[1][0], -1); // the hidden right-end item
    EXPECT_EQ(st.surcharge[2].caption, "(2L)   5.000");
    EXPECT_EQ(st.surcharge[3].caption, "(2R)   8.000");
    EXPECT_TRUE(st.surcharge[3].visible);
    EXPECT_EQ(m.draw.surchargeLabelMode[1][1], 1);
    EXPECT_FALSE(st.surcharge[4].visible);
    EXPECT_EQ(m.draw.surchargeLabelMode[0][2], -1);
    EXPECT_FALSE(st.forceMenu);

    m.conditions.surchargeQmin = {0, 0, 0};
    m.conditions.surchargeQmax = {0, 0, 0};
    m.conditions.forceH = {0, 12.5, 0};
    m.sheetPile.passiveCount = 3;
    m.sheetPile.passiveIntensity[0] = 5;
    m.sheetPile.passiveIntensity[1] = 5;
    m.sheetPile.passiveIntensity[2] = 7;
    const MenuState st2 = refreshMenus(m, false);
    EXPECT_FALSE(st2.surchargeMenu);
    EXPECT_TRUE(st2.forceMenu);
    EXPECT_EQ(st2.forces[1].caption, "(2)  12.500");
    EXPECT_TRUE(st2.forces[1].visible);
    EXPECT_FALSE(st2.forces[0].visible);
    EXPECT_TRUE(st2.passiveMenu);
    EXPECT_TRUE(st2.passive[0].visible);
    EXPECT_FALSE(st2.passive[1].visible); // same intensity as the row before
    EXPECT_TRUE(st2.passive[2].visible);
    EXPECT_FALSE(st2.passive[3].visible);
}
