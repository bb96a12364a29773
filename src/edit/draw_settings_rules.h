// The plot settings dialog: paper, scale, arrow lengths, text sizes, the per-grid factor of
// safety switches, the decimals and the soil label layout. Changes mark the document
// modified only; confirming rebuilds the critical result and the label list.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "edit/dialog_fields.h"
#include "model/model.h"

namespace keltora {

struct CalculationResults;

struct DrawSettingsFields {
    int32_t paper = 0; // 1 A4, 2 B4, 0 A3 (shown for every other stored code)
    std::string scaleDenominator;
    // Arrow lengths in dialog order: surcharge, horizontal force, earth pressure.
    std::array<std::string, 3> arrows;
    // Text sizes in dialog order: title, soil, scale, FS list, minimum FS, point numbers.
    std::array<std::string, 6> textSizes;
    std::array<bool, 4> gridFs{};
    // Decimals in dialog order: FS, γt, horizontal force, surcharge, C, φ, earth pressure,
    // moments and forces (integers).
    std::array<std::string, 8> decimals;
    bool drawZeroStrength = true;
    bool soilOnSection = true; // false: soil conditions as a table
};

// The model slots behind the dialog's orders.
inline constexpr std::array<int, 3> kArrowSlots{kSizeSurchargeArrow, kSizeForceArrow,
                                                kSizePressureArrow};
inline constexpr std::array<int, 6> kTextSizeSlots{kSizeTitle,  kSizeSoil,  kSizeScale,
                                                   kSizeFsList, kSizeMinFs, kSizePointNumber};
inline constexpr std::array<int, 8> kDecimalSlots{kDecSafetyFactor, kDecUnitWeight, kDecForce,
                                                  kDecSurcharge,    kDecCohesion,   kDecFriction,
                                                  kDecPressure,     kDecMoment};

DrawSettingsFields drawSettingsFields(const SlopeModel& model);

// Stores the fields (modified only, results kept).
DialogOutcome applyDrawSettings(SlopeModel& model, const DrawSettingsFields& fields);

// Rebuilds the critical result (with the sheet pile moment) and the factor-of-safety label
// list of valid results, for new factor-of-safety decimals; moved labels return to their
// initial places. Returns the number of labels.
int rebuildResultLabels(const SlopeModel& model, CalculationResults& results);

} // namespace keltora
