// Rules of the soil block dialog.
#include "edit/block_rules.h"

namespace keltora {

BlockFields blockFields(const SoilBlock& b)
{
    BlockFields f;
    f.unitWeight = showEditNumber(b.unitWeight);
    f.effectiveUnitWeight = showEditNumber(b.effectiveUnitWeight);
    f.cohesionGradient = showEditNumber(b.cohesionGradient);
    f.baseCohesion = showEditNumber(b.baseCohesion);
    f.frictionAngle = showEditNumber(b.frictionAngle);
    f.water = b.kind == kWaterPressureBlock || b.kind == kWaterWeightBlock;
    f.structure = b.kind == kStructureBlock;
    f.soil = !f.water && !f.structure;
    f.waterMode = b.kind == kWaterWeightBlock ? kWaterWeightBlock : kWaterPressureBlock;
    f.hasSandPiles = b.hasSandPiles != 0;
    f.pileUnitWeight = showEditNumber(b.pileUnitWeight);
    f.pileReplacementRatio = showEditNumber(b.pileReplacementRatio);
    f.stressShareRatio = showEditNumber(b.stressShareRatio);
    f.pileFrictionAngle = showEditNumber(b.pileFrictionAngle);
    return f;
}

void setBlockKindBox(BlockFields& f, BlockKindBox box, bool checked)
{
    if (checked) {
        f.water = box == BlockKindBox::Water;
        f.soil = box == BlockKindBox::Soil;
        f.structure = box == BlockKindBox::Structure;
        return;
    }
    switch (box) {
    case BlockKindBox::Water:
        f.water = false;
        f.soil = true;
        f.structure = false;
        break;
    case BlockKindBox::Soil:
        f.soil = false;
        if (!f.water) f.structure = true;
        break;
    case BlockKindBox::Structure:
        f.structure = false;
        if (!f.water) f.soil = true;
        break;
    }
}

int32_t blockKindOf(const BlockFields& f)
{
    if (f.water) return f.waterMode == kWaterWeightBlock ? kWaterWeightBlock : kWaterPressureBlock;
    if (f.structure) return kStructureBlock;
    return kSoilBlock;
}

BlockEnabling blockEnabling(const BlockFields& f)
{
    BlockEnabling e;
    const int32_t kind = blockKindOf(f);
    if (kind == kWaterPressureBlock || kind == kWaterWeightBlock) {
        e.effectiveUnitWeight = false;
        e.strength = false;
        e.sandPileBox = false;
        e.sandPileFields = false;
        e.waterMode = true;
    } else if (kind == kStructureBlock) {
        // K, C0 and φ of a structure are stored as 0: fields that cannot be stored are off.
        e.effectiveUnitWeight = true;
        e.strength = false;
        e.sandPileBox = false;
        e.sandPileFields = false;
        e.waterMode = false;
    } else {
        e.sandPileFields = f.hasSandPiles;
    }
    return e;
}

namespace {

// Stores into a copy of the block and reports through the recorder.
void storeInto(ChangeRecorder& rec, SoilBlock& b, const BlockFields& f)
{
    const int32_t kind = blockKindOf(f);
    const bool water = kind == kWaterPressureBlock || kind == kWaterWeightBlock;
    const bool soil = kind == kSoilBlock;
    // A kind left as shown keeps an unknown stored code.
    if (kind != blockKindOf(blockFields(b))) rec.code(b.kind, kind, true);

    rec.number(b.unitWeight, f.unitWeight, true);
    if (water)
        rec.value(b.effectiveUnitWeight, 0.0, true);
    else
        rec.number(b.effectiveUnitWeight, f.effectiveUnitWeight, true);
    if (soil) {
        rec.number(b.cohesionGradient, f.cohesionGradient, true);
        rec.number(b.baseCohesion, f.baseCohesion, true);
        rec.number(b.frictionAngle, f.frictionAngle, true);
    } else {
        rec.value(b.cohesionGradient, 0.0, true);
        rec.value(b.baseCohesion, 0.0, true);
        rec.value(b.frictionAngle, 0.0, true);
    }
    // Sand piles exist only in soil blocks (the box is disabled for the other kinds).
    const bool piles = soil && f.hasSandPiles;
    rec.code(b.hasSandPiles, piles ? 1 : 0, true);
    if (piles) {
        rec.number(b.pileUnitWeight, f.pileUnitWeight, true);
        rec.number(b.pileReplacementRatio, f.pileReplacementRatio, true);
        rec.number(b.stressShareRatio, f.stressShareRatio, true);
        rec.number(b.pileFrictionAngle, f.pileFrictionAngle, true);
    } else {
        rec.value(b.pileUnitWeight, 0.0, true);
        rec.value(b.pileReplacementRatio, 0.0, true);
        rec.value(b.stressShareRatio, 0.0, true);
        rec.value(b.pileFrictionAngle, 0.0, true);
    }
}

} // namespace

bool storeBlockFields(SoilBlock& block, const BlockFields& fields)
{
    ChangeRecorder rec;
    storeInto(rec, block, fields);
    return rec.anyChange();
}

DialogOutcome applyBlockFields(SlopeModel& model, int slot, const BlockFields& fields)
{
    if (slot < 0 || slot >= kMaxBlocks)
        return refused({"エラー：ブロックの番号が正しくありません。", "error"});
    ChangeRecorder rec(model);
    storeInto(rec, model.blocks[static_cast<size_t>(slot)], fields);
    return rec.finish();
}

} // namespace keltora
