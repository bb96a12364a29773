// The rules of the condition dialogs: what each field shows, what a confirmation stores and
// which change flags it sets.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

#include "analysis/results.h"
#include "edit/block_rules.h"
#include "edit/calc_conditions_rules.h"
#include "edit/circle_settings_rules.h"
#include "edit/dialog_fields.h"
#include "edit/display_settings_rules.h"
#include "edit/draw_settings_rules.h"
#include "edit/line_settings_rules.h"
#include "edit/parallel_line_rules.h"

using namespace keltora;

namespace {

// A loaded document with valid results: modified 0, calcState 1.
std::unique_ptr<SlopeModel> loadedModel()
{
    auto m = std::make_unique<SlopeModel>();
    resetModel(*m);
    m->modified = 0;
    m->calcState = 1;
    return m;
}

} // namespace

TEST(DialogFields, NumbersShowWithFourDecimalsAndUnreadableTextReadsAsZero)
{
    EXPECT_EQ(showEditNumber(0.1), "0.1000");
    EXPECT_EQ(showEditNumber(-12.34567), "-12.3457");
    EXPECT_EQ(reformatEditNumber(""), "0.0000");
    EXPECT_EQ(reformatEditNumber("abc"), "0.0000");
    EXPECT_EQ(reformatEditNumber("  2.5xyz"), "2.5000");
    // Not-a-number texts are not numbers: the field shows what they became.
    EXPECT_EQ(reformatEditNumber("nan"), "0.0000");
    EXPECT_EQ(reformatEditNumber("inf"), "0.0000");
    EXPECT_EQ(reformatEditNumber("1e999"), "0.0000");
    EXPECT_EQ(showEditNumber(std::nan("")), "  nan");
    EXPECT_EQ(readEditInteger("2.6"), 3);
    EXPECT_EQ(readEditInteger("1e20"), 0);
    EXPECT_EQ(reformatEditInteger("x"), "0");
}

TEST(DialogFields, TitleMustFitSixtyThreeCp932BytesAndBeEncodable)
{
    EXPECT_FALSE(checkTitle(std::string(63, 'A')));
    EXPECT_TRUE(checkTitle(std::string(64, 'A')));
    std::string wide;
    for (int i = 0; i < 31; ++i)
        wide += "港";
    EXPECT_FALSE(checkTitle(wide));       // 62 bytes
    EXPECT_TRUE(checkTitle(wide + "港")); // 64 bytes
    EXPECT_FALSE(checkTitle(wide + "A")); // 63 bytes
    const auto emoji = checkTitle("岸壁😀");
    ASSERT_TRUE(emoji);
    EXPECT_NE(emoji->text.find("シフトJIS"), std::string::npos);
}

TEST(CalcConditionsDialog, ConfirmWithoutChangeLeavesFlagsAndValuesAlone)
{
    auto m = loadedModel();
    m->conditions.seismicCoefficient = 0.123456789; // more decimals than the field shows
    m->conditions.sandPileFormula = 7;              // a code the up/down control cannot show
    m->title = "ＸＸ港改修事業";
    const SlopeModel before = *m;
    const DialogOutcome out = applyCalcConditions(*m, calcConditionsFields(*m));
    EXPECT_TRUE(out.accepted);
    EXPECT_FALSE(out.stored);
    EXPECT_EQ(m->modified, 0);
    EXPECT_EQ(m->calcState, 1);
    EXPECT_EQ(m->conditions.seismicCoefficient, before.conditions.seismicCoefficient);
    EXPECT_EQ(m->conditions.sandPileFormula, 7);
}

TEST(CalcConditionsDialog, ChangeBelowTheToleranceChangesNothing)
{
    auto m = loadedModel();
    m->conditions.sliceWidth = 0.1;
    CalcConditionsFields f = calcConditionsFields(*m);
    f.sliceWidth = "0.10000009";
    EXPECT_FALSE(applyCalcConditions(*m, f).stored);
    EXPECT_EQ(m->modified, 0);
    f.sliceWidth = "0.1000002";
    EXPECT_TRUE(applyCalcConditions(*m, f).stored);
    EXPECT_DOUBLE_EQ(m->conditions.sliceWidth, 0.1000002);
    EXPECT_EQ(m->calcState, 0);
}

TEST(CalcConditionsDialog, ModifiedOnlyFieldsKeepTheResults)
{
    auto apply = [](auto edit) {
        auto m = loadedModel();
        CalcConditionsFields f = calcConditionsFields(*m);
        edit(f);
        const DialogOutcome out = applyCalcConditions(*m, f);
        EXPECT_TRUE(out.stored);
        EXPECT_EQ(m->modified, 1);
        return m->calcState;
    };
    EXPECT_EQ(apply([](auto& f) { f.title = "検討"; }), 1);
    EXPECT_EQ(apply([](auto& f) { f.fsTableWithRadius = 1; }), 1);
    EXPECT_EQ(apply([](auto& f) { f.seismicOnSurcharge = false; }), 1);
    EXPECT_EQ(apply([](auto& f) { f.referenceMode = 1; }), 1);
    EXPECT_EQ(apply([](auto& f) { f.roundingRule = 1; }), 1);
    EXPECT_EQ(apply([](auto& f) { f.method = 2; }), 0);
    EXPECT_EQ(apply([](auto& f) { f.seismicCoefficient = "0.15"; }), 0);
    EXPECT_EQ(apply([](auto& f) { f.surchargeQmax[2] = "10"; }), 0);
    EXPECT_EQ(apply([](auto& f) { f.forceH[1] = "5"; }), 0);
    EXPECT_EQ(apply([](auto& f) { f.referenceHeight = "-3"; }), 0);
    EXPECT_EQ(apply([](auto& f) { f.sandPilePosition = 0; }), 0);
    EXPECT_EQ(apply([](auto& f) { f.allowableSafetyFactor = "1.2"; }), 0);
    EXPECT_EQ(apply([](auto& f) { f.maxSafetyFactor = "50"; }), 0);
}

TEST(CalcConditionsDialog, StoredNanIsReplacedAndUnreadableTextStoresZero)
{
    auto m = loadedModel();
    m->conditions.seismicCoefficient = std::nan("");
    m->conditions.referenceHeight = 5.0;
    CalcConditionsFields f = calcConditionsFields(*m);
    EXPECT_EQ(f.seismicCoefficient, "  nan");
    // Left as shown, the damaged value stays (nothing was typed).
    EXPECT_FALSE(applyCalcConditions(*m, f).stored);
    f.seismicCoefficient = "0.2";
    f.referenceHeight = "abc";
    EXPECT_TRUE(applyCalcConditions(*m, f).stored);
    EXPECT_DOUBLE_EQ(m->conditions.seismicCoefficient, 0.2);
    EXPECT_DOUBLE_EQ(m->conditions.referenceHeight, 0.0);
}

TEST(CalcConditionsDialog, TooLongOrUnencodableTitleIsRefusedAndNothingStored)
{
    auto m = loadedModel();
    CalcConditionsFields f = calcConditionsFields(*m);
    f.title = std::string(70, 'x');
    f.method = 3;
    const DialogOutcome out = applyCalcConditions(*m, f);
    EXPECT_FALSE(out.accepted);
    ASSERT_EQ(out.messages.size(), 1u);
    EXPECT_EQ(m->conditions.method, 0);
    EXPECT_EQ(m->title, "");
    EXPECT_EQ(m->modified, 0);
}

TEST(CalcConditionsDialog, FormulaPositionAndEnabling)
{
    EXPECT_EQ(sandPilePositionOf(0), 3);
    EXPECT_EQ(sandPilePositionOf(3), 0);
    EXPECT_EQ(sandPileFormulaAt(1), 2);
    EXPECT_EQ(sandPileFormulaAt(9), 0); // no wrap-around
    auto m = loadedModel();
    CalcConditionsFields f = calcConditionsFields(*m);
    f.sandPilePosition = 1;
    applyCalcConditions(*m, f);
    EXPECT_EQ(m->conditions.sandPileFormula, 2);

    EXPECT_TRUE(sheetPileButtonEnabled(0));
    EXPECT_TRUE(sheetPileButtonEnabled(1));
    for (int code : {2, 3, 4, 5})
        EXPECT_FALSE(sheetPileButtonEnabled(code));
    EXPECT_TRUE(referenceEnabling(0).heightField);
    EXPECT_FALSE(referenceEnabling(0).lineButton);
    EXPECT_FALSE(referenceEnabling(1).heightField);
    EXPECT_TRUE(referenceEnabling(1).lineButton);
    EXPECT_EQ(seismicSwitchNote(true), "　　分も含めて考える");
    EXPECT_EQ(seismicSwitchNote(false), "　　分は除いて考える");
}

TEST(SlipSettingsDialogs, MethodChoosesTheDialogAndTheCircleSet)
{
    EXPECT_EQ(slipSettingsDialogFor(3), SlipSettingsDialog::LineByAngle);
    EXPECT_EQ(slipSettingsDialogFor(5), SlipSettingsDialog::LineBySegments);
    for (int code : {0, 1, 2, 4})
        EXPECT_EQ(slipSettingsDialogFor(code), SlipSettingsDialog::Circle);

    auto m = loadedModel();
    m->conditions.method = 4;
    CircleSettingsFields f = circleSettingsFields(*m);
    EXPECT_EQ(f.caption, "すべり円の設定－簡易ビショップ法(修正式)");
    EXPECT_EQ(f.methodName, "簡易ビショップ法(修正式)");
    f.radius = {"2", "50", "0.5"};
    f.extendFirstGrid = true;
    f.finestGrid = 3;
    f.direction = 2;
    EXPECT_TRUE(applyCircleSettings(*m, f).stored);
    EXPECT_DOUBLE_EQ(m->bishopCircle.radius.step, 0.5);
    EXPECT_EQ(m->bishopCircle.firstGridExtension, 1);
    EXPECT_EQ(m->bishopCircle.finestGrid, 3);
    EXPECT_EQ(m->bishopCircle.direction, 2);
    EXPECT_DOUBLE_EQ(m->felleniusCircle.radius.step, 1.0); // the other set is untouched
    EXPECT_EQ(m->calcState, 0);

    m->conditions.method = 1;
    EXPECT_EQ(circleSettingsFields(*m).caption, "すべり円の設定－チェボタリオフ法");
}

TEST(SlipSettingsDialogs, UnknownDirectionShowsRightToLeftAndSurvivesConfirmation)
{
    auto m = loadedModel();
    m->felleniusCircle.direction = 0; // the program start value
    CircleSettingsFields f = circleSettingsFields(*m);
    EXPECT_EQ(f.direction, 3);
    EXPECT_FALSE(applyCircleSettings(*m, f).stored);
    EXPECT_EQ(m->modified, 0);
    f.direction = 1;
    applyCircleSettings(*m, f);
    EXPECT_EQ(m->felleniusCircle.direction, 1);
}

TEST(SlipSettingsDialogs, StraightSlipDialogsWriteTheLineSettingsOnly)
{
    auto m = loadedModel();
    m->conditions.method = 3;
    const CircleSearchSettings fellenius = m->felleniusCircle;
    LineByAngleFields a = lineByAngleFields(*m);
    EXPECT_EQ(a.direction, 2);
    EXPECT_FALSE(a.refine);
    a.startX = "12.5";
    a.angle = {"10", "40", "2"};
    a.direction = 0;
    a.refine = true;
    a.forceX = "7";
    EXPECT_TRUE(applyLineByAngle(*m, a).stored);
    EXPECT_DOUBLE_EQ(m->lineSlip.startX[0], 12.5);
    EXPECT_DOUBLE_EQ(m->lineSlip.angle.max, 40.0);
    EXPECT_EQ(m->lineSlip.direction, 0);
    EXPECT_EQ(m->lineSlip.angleRefinement, 2);
    EXPECT_EQ(m->calcState, 0);
    EXPECT_DOUBLE_EQ(m->felleniusCircle.radius.max, fellenius.radius.max);

    auto m2 = loadedModel();
    LineBySegmentsFields s = lineBySegmentsFields(*m2);
    s.start2 = {"3", "4"};
    s.startPitch = "0.5";
    s.end1 = {"20", "1"};
    s.endPitch = "0.25";
    EXPECT_TRUE(applyLineBySegments(*m2, s).stored);
    EXPECT_DOUBLE_EQ(m2->lineSlip.startX[1], 3.0);
    EXPECT_DOUBLE_EQ(m2->lineSlip.startY[1], 4.0);
    EXPECT_DOUBLE_EQ(m2->lineSlip.startX[2], 20.0);
    EXPECT_DOUBLE_EQ(m2->lineSlip.angle.min, 0.5);
    EXPECT_DOUBLE_EQ(m2->lineSlip.angle.max, 0.25);
    EXPECT_FALSE(applyLineBySegments(*m2, lineBySegmentsFields(*m2)).stored);
}

TEST(BlockDialog, KindBoxesBehaveAsOneChoice)
{
    BlockFields f = blockFields(SoilBlock{});
    EXPECT_TRUE(f.soil);
    setBlockKindBox(f, BlockKindBox::Water, true);
    EXPECT_TRUE(f.water && !f.soil && !f.structure);
    setBlockKindBox(f, BlockKindBox::Water, false);
    EXPECT_TRUE(!f.water && f.soil && !f.structure);
    setBlockKindBox(f, BlockKindBox::Soil, false);
    EXPECT_TRUE(!f.water && !f.soil && f.structure);
    setBlockKindBox(f, BlockKindBox::Structure, false);
    EXPECT_TRUE(!f.water && f.soil && !f.structure);
    setBlockKindBox(f, BlockKindBox::Structure, true);
    EXPECT_EQ(blockKindOf(f), kStructureBlock);
    setBlockKindBox(f, BlockKindBox::Water, true);
    f.waterMode = kWaterWeightBlock;
    EXPECT_EQ(blockKindOf(f), kWaterWeightBlock);

    const BlockEnabling water = blockEnabling(f);
    EXPECT_FALSE(water.effectiveUnitWeight || water.strength || water.sandPileBox);
    EXPECT_TRUE(water.waterMode);
    setBlockKindBox(f, BlockKindBox::Structure, true);
    const BlockEnabling structure = blockEnabling(f);
    EXPECT_FALSE(structure.sandPileBox || structure.waterMode || structure.strength);
    EXPECT_TRUE(structure.effectiveUnitWeight);
    setBlockKindBox(f, BlockKindBox::Soil, true);
    const BlockEnabling soil = blockEnabling(f);
    EXPECT_TRUE(soil.sandPileBox && soil.strength && !soil.waterMode);
}

TEST(BlockDialog, StoringRulesPerKind)
{
    auto m = loadedModel();
    SoilBlock b;
    b.number = 0;
    addBlock(*m, b);
    m->calcState = 1;
    m->modified = 0;
    BlockFields f = blockFields(m->blocks[0]);
    f.unitWeight = "18";
    f.effectiveUnitWeight = "10";
    f.cohesionGradient = "1.5";
    f.baseCohesion = "20";
    f.frictionAngle = "30";
    f.hasSandPiles = true;
    f.pileUnitWeight = "19";
    f.pileReplacementRatio = "0.3";
    f.stressShareRatio = "3";
    f.pileFrictionAngle = "35";
    EXPECT_TRUE(applyBlockFields(*m, 0, f).stored);
    const SoilBlock& s = m->blocks[0];
    EXPECT_EQ(s.kind, kSoilBlock);
    EXPECT_DOUBLE_EQ(s.baseCohesion, 20.0);
    EXPECT_EQ(s.hasSandPiles, 1);
    EXPECT_DOUBLE_EQ(s.stressShareRatio, 3.0);
    EXPECT_EQ(m->calcState, 0);

    // Structure: W and W' stay, strength and sand piles become 0.
    f = blockFields(m->blocks[0]);
    setBlockKindBox(f, BlockKindBox::Structure, true);
    applyBlockFields(*m, 0, f);
    EXPECT_EQ(s.kind, kStructureBlock);
    EXPECT_DOUBLE_EQ(s.unitWeight, 18.0);
    EXPECT_DOUBLE_EQ(s.effectiveUnitWeight, 10.0);
    EXPECT_EQ(s.cohesionGradient + s.baseCohesion + s.frictionAngle, 0.0);
    EXPECT_EQ(s.hasSandPiles, 0);
    EXPECT_EQ(s.pileUnitWeight + s.pileReplacementRatio + s.stressShareRatio, 0.0);

    // Water: only W stays.
    f = blockFields(m->blocks[0]);
    setBlockKindBox(f, BlockKindBox::Water, true);
    applyBlockFields(*m, 0, f);
    EXPECT_EQ(s.kind, kWaterPressureBlock);
    EXPECT_DOUBLE_EQ(s.unitWeight, 18.0);
    EXPECT_DOUBLE_EQ(s.effectiveUnitWeight, 0.0);

    // Unchanged confirmation of the stored block.
    m->modified = 0;
    m->calcState = 1;
    EXPECT_FALSE(applyBlockFields(*m, 0, blockFields(m->blocks[0])).stored);
    EXPECT_EQ(m->modified, 0);

    // A block outside the model (a new one from the mouse) through storeBlockFields.
    SoilBlock fresh;
    BlockFields ff = blockFields(fresh);
    ff.unitWeight = "17";
    EXPECT_TRUE(storeBlockFields(fresh, ff));
    EXPECT_DOUBLE_EQ(fresh.unitWeight, 17.0);
    EXPECT_FALSE(storeBlockFields(fresh, blockFields(fresh)));
}

TEST(DrawSettingsDialog, ChangesMarkModifiedOnlyAndChoicesKeepEquivalentCodes)
{
    auto m = loadedModel();
    EXPECT_EQ(m->draw.paper, 3);
    DrawSettingsFields f = drawSettingsFields(*m);
    EXPECT_EQ(f.paper, 0); // A3
    EXPECT_EQ(f.decimals[0], "3");
    EXPECT_TRUE(f.soilOnSection);
    EXPECT_FALSE(applyDrawSettings(*m, f).stored);
    EXPECT_EQ(m->draw.paper, 3);
    EXPECT_DOUBLE_EQ(m->draw.sizes[kSizeSoilLayout], 4.0);

    f.paper = 1;
    f.decimals[0] = "2";  // factor of safety
    f.decimals[2] = "1";  // horizontal force
    f.arrows[2] = "0.5";  // earth pressure
    f.textSizes[5] = "2"; // point numbers
    f.gridFs[1] = true;
    f.soilOnSection = false;
    f.drawZeroStrength = false;
    const DialogOutcome out = applyDrawSettings(*m, f);
    EXPECT_TRUE(out.stored);
    EXPECT_FALSE(out.resultsDiscarded);
    EXPECT_EQ(m->modified, 1);
    EXPECT_EQ(m->calcState, 1);
    EXPECT_EQ(m->draw.paper, 1);
    EXPECT_EQ(m->draw.decimals[kDecSafetyFactor], 2);
    EXPECT_EQ(m->draw.decimals[kDecForce], 1);
    EXPECT_DOUBLE_EQ(m->draw.sizes[kSizePressureArrow], 0.5);
    EXPECT_DOUBLE_EQ(m->draw.sizes[kSizePointNumber], 2.0);
    EXPECT_EQ(m->draw.gridFsSwitch[1], 1);
    EXPECT_DOUBLE_EQ(m->draw.sizes[kSizeSoilLayout], -1.0);
    EXPECT_EQ(m->draw.drawZeroStrength, 0);

    f = drawSettingsFields(*m);
    f.paper = 0;
    applyDrawSettings(*m, f);
    EXPECT_EQ(m->draw.paper, 0); // the dialog stores 0 for A3
}

TEST(DrawSettingsDialog, RebuildingLabelsUsesTheNewDecimals)
{
    auto m = loadedModel();
    m->draw.decimals[kDecSafetyFactor] = 1;
    CalculationResults r;
    r.validFlag = kResultsValid;
    SlipResult s;
    s.cx = 1;
    s.cy = 2;
    s.rr = 3;
    s.mrf = 1.2345;
    s.md = 1.0;
    s.mdw = 1.0;
    s.f = 1.234;
    r.tables[0].push_back(s);
    EXPECT_EQ(rebuildResultLabels(*m, r), 1);
    ASSERT_TRUE(r.hasCritical);
    EXPECT_DOUBLE_EQ(r.critical.f, 1.2); // cut to one decimal
}

TEST(DisplaySettingsDialog, NeverMarksModifiedAndKeepsThickSpacingAtLeastThin)
{
    auto m = loadedModel();
    DisplaySettingsFields f = displaySettingsFields(*m);
    EXPECT_TRUE(f.items[kShowBoundaryLines]);
    EXPECT_FALSE(f.items[kShowSheetPile]);
    f.items[kShowSheetPile] = true;
    f.autoSwitch = false;
    f.gridMajor = "2";
    f.gridMinor = "5";
    const DialogOutcome out = applyDisplaySettings(*m, f);
    EXPECT_TRUE(out.stored);
    EXPECT_EQ(m->modified, 0);
    EXPECT_EQ(m->calcState, 1);
    EXPECT_EQ(m->display.showSheetPile, 1);
    EXPECT_EQ(m->display.autoSwitch, 0);
    EXPECT_DOUBLE_EQ(m->display.gridMinor, 5.0);
    EXPECT_DOUBLE_EQ(m->display.gridMajor, 5.0);

    m->modified = -1; // a new document stays untouched as well
    f = displaySettingsFields(*m);
    f.items[kShowGrid] = false;
    applyDisplaySettings(*m, f);
    EXPECT_EQ(m->modified, -1);

    EXPECT_FALSE(displayEnabling(f).gridSpacing);
    f.autoSwitch = true;
    EXPECT_FALSE(displayEnabling(f).items);
}

TEST(ParallelLineDialog, DistanceFormat)
{
    EXPECT_EQ(showParallelOffset(1.0), "  1.000");
    EXPECT_DOUBLE_EQ(readParallelOffset(" 2.5"), 2.5);
    EXPECT_DOUBLE_EQ(readParallelOffset("x"), 0.0);
}
