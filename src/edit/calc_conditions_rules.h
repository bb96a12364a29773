// The calculation conditions dialog: the conditions as field texts, and the texts stored
// back into the conditions with their change flags.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "edit/dialog_fields.h"
#include "model/model.h"

namespace keltora {

struct CalcConditionsFields {
    std::string title;
    int32_t method = 0; // radio index = method code 0..5; -1 when the stored code is none of them
    std::string seismicCoefficient;
    bool seismicOnSurcharge = true;
    std::string maxSafetyFactor;
    std::string allowableSafetyFactor;
    std::array<std::string, kSurchargeStrips> surchargeXmin;
    std::array<std::string, kSurchargeStrips> surchargeXmax;
    std::array<std::string, kSurchargeStrips> surchargeQmin;
    std::array<std::string, kSurchargeStrips> surchargeQmax;
    std::array<std::string, kHorizontalForces> forceY;
    std::array<std::string, kHorizontalForces> forceH;
    int32_t referenceMode = 0; // 0 reference height, 1 reference line
    std::string referenceHeight;
    int sandPilePosition = 3; // up/down position 0..3; the formula code is 3 minus it
    int32_t fsTableWithRadius = 0;
    int32_t roundingRule = 0;
    std::string sliceWidth;
};

inline constexpr int kSandPileFormulas = 4;

CalcConditionsFields calcConditionsFields(const SlopeModel& model);

// Stores the fields: the title, the seismic switch, the cohesion reference mode, the FS list
// format and the rounding rule mark the document modified only; every other field discards
// the results. A title that does not fit is refused and nothing is stored.
DialogOutcome applyCalcConditions(SlopeModel& model, const CalcConditionsFields& fields);

// The up/down position of a formula code and back (position = 3 - code, clamped to 0..3).
int sandPilePositionOf(int32_t formula);
int32_t sandPileFormulaAt(int position);

// The sheet pile button works only for the circular slip by Fellenius / Tschebotarioff.
bool sheetPileButtonEnabled(int32_t storedMethod);

// The reference height field with mode 0, the reference line button with mode 1.
struct ReferenceEnabling {
    bool heightField = true;
    bool lineButton = false;
};
ReferenceEnabling referenceEnabling(int32_t referenceMode);

// Second line of the note beside the seismic switch.
std::string seismicSwitchNote(bool checked);

} // namespace keltora
