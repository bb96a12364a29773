// The grid plan, the display presets and the placement menu rules of the main view.
#include "edit/screen_display.h"

#include <algorithm>
#include <cmath>

#include "model/c_format.h"

namespace keltora {

namespace {

constexpr double kMinGridPixels = 10.0;

bool setSwitch(int32_t& s, int32_t v)
{
    if (s == v) return false;
    s = v;
    return true;
}

} // namespace

bool GridPlan::isMajor(long long k) const
{
    if (!(major > 0.0) || !(spacing > 0.0)) return false;
    const double ratio = major / spacing;
    const long long n = std::llround(ratio);
    if (n <= 1 || std::fabs(ratio - static_cast<double>(n)) > 1e-6) {
        // Spacings that are not whole multiples: a line is major when its position lies on
        // a multiple of the major spacing.
        const double v = static_cast<double>(k) * spacing / major;
        return std::fabs(v - std::round(v)) < 1e-6;
    }
    return k % n == 0;
}

GridPlan gridPlan(const ViewTransform& view, double major, double minor)
{
    GridPlan g;
    const double s = view.scale();
    if (!(major > 0.0) || !std::isfinite(major) || major * s < kMinGridPixels) return g;
    double spacing = minor;
    if (!(spacing > 0.0) || !std::isfinite(spacing) || spacing * s < kMinGridPixels)
        spacing = major;
    g.draw = true;
    g.spacing = spacing;
    g.major = major;
    g.majorWidth = spacing < major ? 3 : 1;
    const Point2 topLeft = view.screenToWorld(0, 0);
    const Point2 bottomRight = view.screenToWorld(view.imageWidth(), view.imageHeight());
    g.firstX = static_cast<long long>(std::ceil(topLeft.x / spacing));
    g.lastX = static_cast<long long>(std::floor(bottomRight.x / spacing));
    g.firstY = static_cast<long long>(std::ceil(bottomRight.y / spacing));
    g.lastY = static_cast<long long>(std::floor(topLeft.y / spacing));
    return g;
}

std::string gridLabel(double value)
{
    return cformat("%3.2f", value == 0.0 ? 0.0 : value);
}

bool applyDisplayPresets(DisplaySettings& d, bool results)
{
    if (d.autoSwitch != 1) return false;
    DisplaySettings t = d;
    const int32_t base = results ? 1 : 0;
    for (int32_t* s :
         {&t.showGrid, &t.showPointNames, &t.showBoundaryLines, &t.showUncutLines,
          &t.showArcLimitLines, &t.showArcLimitPoints, &t.showBlockCentres, &t.showFrame,
          &t.showCircleCentres, &t.showSlipSurfaces, &t.showSoilInfo, &t.showSurcharge,
          &t.showForces, &t.showCohesionLine, &t.showSheetPile, &t.showPassivePressure})
        *s = base;
    if (results) {
        for (int32_t* s : {&t.showGrid, &t.showPointNames, &t.showUncutLines, &t.showArcLimitLines,
                           &t.showArcLimitPoints, &t.showCohesionLine})
            *s = 0;
    } else {
        for (int32_t* s : {&t.showGrid, &t.showPointNames, &t.showBoundaryLines, &t.showUncutLines,
                           &t.showArcLimitLines, &t.showArcLimitPoints, &t.showBlockCentres,
                           &t.showCircleCentres, &t.showCohesionLine, &t.showSheetPile})
            *s = 1;
    }
    bool changed = false;
    for (auto [from, to] : {std::pair{&t.showGrid, &d.showGrid},
                            {&t.showPointNames, &d.showPointNames},
                            {&t.showBoundaryLines, &d.showBoundaryLines},
                            {&t.showUncutLines, &d.showUncutLines},
                            {&t.showArcLimitLines, &d.showArcLimitLines},
                            {&t.showArcLimitPoints, &d.showArcLimitPoints},
                            {&t.showBlockCentres, &d.showBlockCentres},
                            {&t.showFrame, &d.showFrame},
                            {&t.showCircleCentres, &d.showCircleCentres},
                            {&t.showSlipSurfaces, &d.showSlipSurfaces},
                            {&t.showSoilInfo, &d.showSoilInfo},
                            {&t.showSurcharge, &d.showSurcharge},
                            {&t.showForces, &d.showForces},
                            {&t.showCohesionLine, &d.showCohesionLine},
                            {&t.showSheetPile, &d.showSheetPile},
                            {&t.showPassivePressure, &d.showPassivePressure}})
        changed |= setSwitch(*to, *from);
    return changed;
}

PlacementMenus placementMenus(const SlopeModel& m, bool results)
{
    PlacementMenus p;
    p.figureMenuVisible = results;
    p.resultsEnabled = results;
    const CalcConditions& c = m.conditions;
    bool anyStrip = false;
    for (size_t i = 0; i < kSurchargeStrips; ++i) {
        const double q1 = c.surchargeQmin[i], q2 = c.surchargeQmax[i];
        PlacementItem& left = p.surcharge[2 * i];
        PlacementItem& right = p.surcharge[2 * i + 1];
        const int n = static_cast<int>(i) + 1;
        left.visible = q1 >= kTolBreakpoint;
        left.caption = cformat("(%dL)%8.3f", n, q1);
        right.visible = q2 >= kTolBreakpoint;
        right.caption = cformat("(%dR)%8.3f", n, q2);
        if (q1 > kTolCoincident && std::fabs(q1 - q2) < kTolCoincident) {
            left.caption = cformat("(%dB)%8.3f", n, q1);
            right.visible = false;
        }
        if (!(q1 < kTolLoop && q2 < kTolBreakpoint)) anyStrip = true;
    }
    p.surchargeMenuVisible = anyStrip;
    bool anyForce = false;
    for (size_t i = 0; i < kHorizontalForces; ++i) {
        const double h = c.forceH[i];
        p.forces[i].visible = h >= kTolBreakpoint;
        p.forces[i].caption = cformat("(%d)%8.3f", static_cast<int>(i) + 1, h);
        if (!(h < kTolLoop)) anyForce = true;
    }
    p.forceMenuVisible = anyForce;
    const SheetPileSettings& sp = m.sheetPile;
    const int rows = std::clamp(sp.passiveCount, 0, kMaxPassiveRows);
    for (int i = 0; i < kMaxPassiveRows; ++i) {
        const double v = sp.passiveIntensity[static_cast<size_t>(i)];
        PlacementItem& item = p.passive[static_cast<size_t>(i)];
        item.caption = cformat("%8.3f", v);
        item.visible = i < rows && v >= kTolBreakpoint &&
                       (i == 0 || std::fabs(v - sp.passiveIntensity[static_cast<size_t>(i - 1)]) >=
                                      kTolBreakpoint);
    }
    p.passiveMenuVisible = sp.passiveCount > 0;
    return p;
}

bool hideUnusedSurchargeLabels(DrawSettings& draw, const PlacementMenus& menus)
{
    bool changed = false;
    for (size_t i = 0; i < kSurchargeStrips; ++i) {
        if (!menus.surcharge[2 * i].visible)
            changed |= setSwitch(draw.surchargeLabelMode[0][i], -1);
        if (!menus.surcharge[2 * i + 1].visible)
            changed |= setSwitch(draw.surchargeLabelMode[1][i], -1);
    }
    return changed;
}

} // namespace keltora
