// The soil block dialog: one block's parameters as field texts, the three kind check boxes
// that behave as one choice, what is enabled for each kind, and the storing rules per kind.
#pragma once

#include <cstdint>
#include <string>

#include "edit/dialog_fields.h"
#include "model/model.h"

namespace keltora {

struct BlockFields {
    std::string unitWeight;          // W
    std::string effectiveUnitWeight; // W'
    std::string cohesionGradient;    // K
    std::string baseCohesion;        // C0
    std::string frictionAngle;       // φ
    bool water = false;
    bool soil = true;
    bool structure = false;
    int32_t waterMode = kWaterPressureBlock; // 1 water pressure, 2 weight
    bool hasSandPiles = false;
    std::string pileUnitWeight;       // Ws
    std::string pileReplacementRatio; // As
    std::string stressShareRatio;     // n
    std::string pileFrictionAngle;    // φs
};

BlockFields blockFields(const SoilBlock& block);

enum class BlockKindBox { Water, Soil, Structure };

// The user (un)checked one of the kind boxes: checking one unchecks the other two;
// unchecking "水ブロック" checks "土ブロック"; unchecking "土ブロック" or "構造物ブロック"
// while "水ブロック" is unchecked checks the other of the two. Exactly one stays checked.
void setBlockKindBox(BlockFields& fields, BlockKindBox box, bool checked);

// The BlockKind code the fields stand for.
int32_t blockKindOf(const BlockFields& fields);

struct BlockEnabling {
    bool effectiveUnitWeight = true;
    bool strength = true; // K, C0, φ
    bool sandPileBox = true;
    bool sandPileFields = true; // Ws, As, n, φs
    bool waterMode = false;
};
BlockEnabling blockEnabling(const BlockFields& fields);

// Stores the fields into the block by the rules of its kind: W always; W' for soil and
// structure blocks; K, C0 and φ for soil blocks, 0 otherwise; the sand pile values only for
// a soil block with "砂杭がある" checked, 0 otherwise. Returns whether anything changed.
bool storeBlockFields(SoilBlock& block, const BlockFields& fields);

// The same on the block in slot `slot` of the model: every change discards the results.
DialogOutcome applyBlockFields(SlopeModel& model, int slot, const BlockFields& fields);

} // namespace keltora
