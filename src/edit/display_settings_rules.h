// The display settings dialog: the items shown on the screen and the grid spacings. Its
// changes never mark the document modified and never discard results.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "edit/dialog_fields.h"
#include "model/model.h"

namespace keltora {

// The item check boxes in the dialog's order.
enum DisplayItem : int {
    kShowBoundaryLines,
    kShowUncutLines,
    kShowArcLimitLines,
    kShowArcLimitPoints,
    kShowCircleCentres,
    kShowSlipSurfaces,
    kShowFrame,
    kShowSurcharge,
    kShowForces,
    kShowPointNames,
    kShowBlockCentres,
    kShowSoilInfo,
    kShowGrid,
    kShowCohesionLine,
    kShowSheetPile,
    kShowPassivePressure,
    kDisplayItemCount
};

// The switch of the display settings behind each item.
int32_t& displaySwitch(DisplaySettings& display, DisplayItem item);
int32_t displaySwitch(const DisplaySettings& display, DisplayItem item);

struct DisplaySettingsFields {
    std::array<bool, kDisplayItemCount> items{};
    bool autoSwitch = true;
    std::string gridMajor; // thick line spacing
    std::string gridMinor; // thin line spacing
};

DisplaySettingsFields displaySettingsFields(const SlopeModel& model);

struct DisplayEnabling {
    bool items = true;       // every item box but the automatic switch
    bool gridSpacing = true; // only while "グリッド" is checked
};
DisplayEnabling displayEnabling(const DisplaySettingsFields& fields);

// Stores the fields; a thick spacing below the thin spacing becomes the thin spacing.
// The modified flag stays as it was and the results stay.
DialogOutcome applyDisplaySettings(SlopeModel& model, const DisplaySettingsFields& fields);

} // namespace keltora
