// The sheet pile dialog: handling code, position, section data of the pile and the passive earth
// pressure table (sorted top-down and cut at the pile tip).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "edit/cohesion_line_rules.h"
#include "edit/dialog_fields.h"
#include "model/model.h"

namespace keltora {

struct SheetPileFields {
    int32_t method = 0;           // 0 ignore, 1 not crossed, 2 passive pressure, 3 shear capacity
    std::string x;                // "矢板位置Ｘ座標値"
    std::string topY;             // "矢板天端高"
    std::string toeY;             // "矢板根入れ高"
    std::string allowableShear;   // N/cm2
    std::string sectionArea;      // cm2/m
    std::string lm1;              // m
    std::vector<PairRow> passive; // elevation, intensity
};

SheetPileFields sheetPileFields(const SlopeModel& model);

// The passive rows as stored: sorted by elevation, top first; at the first pair that
// straddles the tip (upper at or above it, lower below it) the lower row moves up to the
// tip with the intensity interpolated there, and the rows below it are dropped.
std::vector<Point2> passiveTableAtTip(std::vector<Point2> rows, double tipY);

// Stores the fields; every change discards the results. The passive table is rebuilt from
// the rows on every confirmation (a table read from a file that runs below the tip is cut).
DialogOutcome applySheetPile(SlopeModel& model, const SheetPileFields& fields);

} // namespace keltora
