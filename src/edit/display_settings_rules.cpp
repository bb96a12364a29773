// Rules of the display settings dialog.
#include "edit/display_settings_rules.h"

namespace keltora {

namespace {

template <typename Display> auto& switchOf(Display& d, DisplayItem item)
{
    switch (item) {
    case kShowBoundaryLines: return d.showBoundaryLines;
    case kShowUncutLines: return d.showUncutLines;
    case kShowArcLimitLines: return d.showArcLimitLines;
    case kShowArcLimitPoints: return d.showArcLimitPoints;
    case kShowCircleCentres: return d.showCircleCentres;
    case kShowSlipSurfaces: return d.showSlipSurfaces;
    case kShowFrame: return d.showFrame;
    case kShowSurcharge: return d.showSurcharge;
    case kShowForces: return d.showForces;
    case kShowPointNames: return d.showPointNames;
    case kShowBlockCentres: return d.showBlockCentres;
    case kShowSoilInfo: return d.showSoilInfo;
    case kShowGrid: return d.showGrid;
    case kShowCohesionLine: return d.showCohesionLine;
    case kShowSheetPile: return d.showSheetPile;
    case kShowPassivePressure:
    default: return d.showPassivePressure;
    }
}

} // namespace

int32_t& displaySwitch(DisplaySettings& display, DisplayItem item)
{
    return switchOf(display, item);
}

int32_t displaySwitch(const DisplaySettings& display, DisplayItem item)
{
    return switchOf(display, item);
}

DisplaySettingsFields displaySettingsFields(const SlopeModel& model)
{
    DisplaySettingsFields f;
    for (int i = 0; i < kDisplayItemCount; ++i)
        f.items[static_cast<size_t>(i)] =
            displaySwitch(model.display, static_cast<DisplayItem>(i)) != 0;
    f.autoSwitch = model.display.autoSwitch != 0;
    f.gridMajor = showEditNumber(model.display.gridMajor);
    f.gridMinor = showEditNumber(model.display.gridMinor);
    return f;
}

DisplayEnabling displayEnabling(const DisplaySettingsFields& f)
{
    DisplayEnabling e;
    e.items = !f.autoSwitch;
    e.gridSpacing = f.items[kShowGrid];
    return e;
}

DialogOutcome applyDisplaySettings(SlopeModel& model, const DisplaySettingsFields& f)
{
    const int32_t modified = model.modified;
    const DisplaySettingsFields shown = displaySettingsFields(model);
    DisplaySettings& d = model.display;
    ChangeRecorder rec(model);
    for (int i = 0; i < kDisplayItemCount; ++i) {
        const auto k = static_cast<size_t>(i);
        if (f.items[k] != shown.items[k])
            rec.code(displaySwitch(d, static_cast<DisplayItem>(i)), f.items[k] ? 1 : 0, false);
    }
    if (f.autoSwitch != shown.autoSwitch) rec.code(d.autoSwitch, f.autoSwitch ? 1 : 0, false);

    // The spacings as they will be, then the thick one no smaller than the thin one.
    double minor = d.gridMinor;
    double major = d.gridMajor;
    {
        ChangeRecorder probe;
        probe.number(minor, f.gridMinor, false);
        probe.number(major, f.gridMajor, false);
    }
    if (major < minor) major = minor;
    rec.value(d.gridMinor, minor, false);
    rec.value(d.gridMajor, major, false);

    DialogOutcome out = rec.finish();
    model.modified = modified; // display settings are not part of the data
    out.resultsDiscarded = false;
    return out;
}

} // namespace keltora
