// Rules of the plot settings dialog.
#include "edit/draw_settings_rules.h"

#include "analysis/calculation.h"
#include "analysis/slice_section.h"

namespace keltora {

namespace {

int32_t paperChoice(int32_t paper)
{
    return (paper == 1 || paper == 2) ? paper : 0;
}

} // namespace

DrawSettingsFields drawSettingsFields(const SlopeModel& model)
{
    const DrawSettings& d = model.draw;
    DrawSettingsFields f;
    f.paper = paperChoice(d.paper);
    f.scaleDenominator = showEditNumber(d.scaleDenominator);
    for (size_t i = 0; i < kArrowSlots.size(); ++i)
        f.arrows[i] = showEditNumber(d.sizes[static_cast<size_t>(kArrowSlots[i])]);
    for (size_t i = 0; i < kTextSizeSlots.size(); ++i)
        f.textSizes[i] = showEditNumber(d.sizes[static_cast<size_t>(kTextSizeSlots[i])]);
    for (size_t i = 0; i < f.gridFs.size(); ++i)
        f.gridFs[i] = d.gridFsSwitch[i] == 1;
    for (size_t i = 0; i < kDecimalSlots.size(); ++i)
        f.decimals[i] = showEditInteger(d.decimals[static_cast<size_t>(kDecimalSlots[i])]);
    f.drawZeroStrength = d.drawZeroStrength != 0;
    f.soilOnSection = !(d.sizes[kSizeSoilLayout] < 0.0);
    return f;
}

DialogOutcome applyDrawSettings(SlopeModel& model, const DrawSettingsFields& f)
{
    const DrawSettingsFields shown = drawSettingsFields(model);
    DrawSettings& d = model.draw;
    ChangeRecorder rec(model);
    constexpr bool kModifiedOnly = false;
    // Choices left as shown keep the stored code they stand for (a new document's paper 3
    // and soil layout 4.0 are not rewritten as 0 and 1.0 by a mere confirmation).
    if (f.paper != shown.paper) rec.code(d.paper, paperChoice(f.paper), kModifiedOnly);
    rec.number(d.scaleDenominator, f.scaleDenominator, kModifiedOnly);
    for (size_t i = 0; i < kArrowSlots.size(); ++i)
        rec.number(d.sizes[static_cast<size_t>(kArrowSlots[i])], f.arrows[i], kModifiedOnly);
    for (size_t i = 0; i < kTextSizeSlots.size(); ++i)
        rec.number(d.sizes[static_cast<size_t>(kTextSizeSlots[i])], f.textSizes[i], kModifiedOnly);
    for (size_t i = 0; i < f.gridFs.size(); ++i)
        if (f.gridFs[i] != shown.gridFs[i])
            rec.code(d.gridFsSwitch[i], f.gridFs[i] ? 1 : -1, kModifiedOnly);
    for (size_t i = 0; i < kDecimalSlots.size(); ++i)
        if (f.decimals[i] != shown.decimals[i])
            rec.code(d.decimals[static_cast<size_t>(kDecimalSlots[i])],
                     readEditInteger(f.decimals[i]), kModifiedOnly);
    if (f.drawZeroStrength != shown.drawZeroStrength)
        rec.code(d.drawZeroStrength, f.drawZeroStrength ? 1 : 0, kModifiedOnly);
    if (f.soilOnSection != shown.soilOnSection)
        rec.value(d.sizes[kSizeSoilLayout], f.soilOnSection ? 1.0 : -1.0, kModifiedOnly);
    return rec.finish();
}

int rebuildResultLabels(const SlopeModel& model, CalculationResults& results)
{
    return collectResults(model, results, [](const SlopeModel& m, double cx, double cy, double rr) {
        return sheetPileMoment(m, cx, cy, rr);
    });
}

} // namespace keltora
