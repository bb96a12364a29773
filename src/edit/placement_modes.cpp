// Placing the frame, title and labels of the calculation figure with the mouse, and the
// captions of the placement menus.
#include "edit/placement_modes.h"

#include <cmath>

#include "edit/block_modes.h"
#include "edit/picking.h"
#include "model/c_format.h"
#include "output/figure.h"

namespace keltora {

namespace {

bool isSurcharge(int mode)
{
    return mode >= kModeSurchargeFirst && mode <= kModeSurchargeLast;
}
bool isForce(int mode)
{
    return mode >= kModeForceFirst && mode <= kModeForceLast;
}
bool isPassive(int mode)
{
    return mode >= kModePassiveFirst && mode <= kModePassiveLast;
}

EditOutcome figureChange(std::function<bool(SlopeModel&)> change, const char* undoText)
{
    EditOutcome out;
    out.change = std::move(change);
    out.effect = ChangeEffect::Figure;
    out.undoText = undoText;
    return out;
}

// Stores a label position and mode; true when anything changed.
bool place(double& x, double& y, int32_t& mode, Point2 p, int value)
{
    bool changed = assignIfChanged(x, p.x);
    changed = assignIfChanged(y, p.y) || changed;
    changed = assignIfChanged(mode, value) || changed;
    return changed;
}

} // namespace

FrameRect figureFrameRect(const SlopeModel& model)
{
    const Point2 half = paperHalfSize(model.draw.paper);
    double denominator = model.draw.scaleDenominator;
    // The figure is composed at 1:100 when the scale is unusable; so is its frame.
    if (!(denominator > kTolDegenerate) || !std::isfinite(denominator)) denominator = 100.0;
    const double s = 0.001 * denominator;
    const Point2 c = model.draw.frameCentre;
    return {c.x - half.x * s, c.x + half.x * s, c.y - half.y * s, c.y + half.y * s};
}

bool PlacementModes::handles(int mode) const
{
    return mode == kModeFrame || mode == kModeTitle || mode == kModeSoilVertical ||
           mode == kModeSoilVerticalPlace || mode == kModeSoilHorizontal ||
           mode == kModeSoilHorizontalPlace || isSurcharge(mode) || isForce(mode) ||
           isPassive(mode) || mode == kModeSafetyLabel || mode == kModeSafetyLabelPlace ||
           mode == kModeExtraCircle;
}

EditOutcome PlacementModes::leftClick(EditSession& s, const EditContext& c, Point2 p)
{
    const SlopeModel& model = c.model;
    const bool inside = figureFrameRect(model).contains(p);
    const int mode = s.mode;
    if (mode == kModeFrame)
        return figureChange(
            [p](SlopeModel& m) {
                bool changed = assignIfChanged(m.draw.frameCentre.x, p.x);
                return assignIfChanged(m.draw.frameCentre.y, p.y) || changed;
            },
            "作図枠の配置");
    if (mode == kModeTitle)
        return figureChange(
            [p, inside](SlopeModel& m) {
                int32_t unused = 0;
                bool changed = place(m.draw.titlePos.x, m.draw.titlePos.y, unused, p, 0);
                return assignIfChanged(m.draw.drawTitle, inside ? 1 : -1) || changed;
            },
            "業務名の配置");
    if (mode == kModeSoilVertical || mode == kModeSoilHorizontal) {
        const int i = pickBlock(model, p);
        if (i < 0) return {};
        s.picked = i;
        s.mode = mode + 1;
        s.status = modeStatusText(s.mode);
        return {};
    }
    if (mode == kModeSoilVerticalPlace || mode == kModeSoilHorizontalPlace) {
        const int i = s.picked;
        if (i < 0 || i >= model.blockCount || model.blocks[static_cast<size_t>(i)].number < 0)
            return {};
        const int kind = model.blocks[static_cast<size_t>(i)].kind;
        int value = kind == kWaterPressureBlock || kind == kWaterWeightBlock ? 3
                    : mode == kModeSoilVerticalPlace                         ? 1
                                                                             : 2;
        if (!inside) value = -1;
        return figureChange(
            [i, p, value](SlopeModel& m) {
                SoilBlock& b = m.blocks[static_cast<size_t>(i)];
                return place(b.labelPos.x, b.labelPos.y, b.labelMode, p, value);
            },
            "土質条件の配置");
    }
    if (isSurcharge(mode)) {
        const int strip = (mode - kModeSurchargeFirst) / 2;
        const int end = (mode - kModeSurchargeFirst) % 2;
        const int value = inside ? end + 1 : -1;
        return figureChange(
            [strip, end, p, value](SlopeModel& m) {
                auto e = static_cast<size_t>(end), k = static_cast<size_t>(strip);
                return place(m.draw.surchargeLabelX[e][k], m.draw.surchargeLabelY[e][k],
                             m.draw.surchargeLabelMode[e][k], p, value);
            },
            "上載荷重の配置");
    }
    if (isForce(mode)) {
        const auto i = static_cast<size_t>((mode - kModeForceFirst) / 3);
        const int value = inside ? (mode - kModeForceFirst) % 3 + 1 : -1;
        return figureChange(
            [i, p, value](SlopeModel& m) {
                return place(m.draw.forceLabelX[i], m.draw.forceLabelY[i], m.draw.forceLabelMode[i],
                             p, value);
            },
            "水平外力の配置");
    }
    if (isPassive(mode)) {
        const auto r = static_cast<size_t>(mode - kModePassiveFirst);
        const int value = inside ? 1 : -1;
        return figureChange(
            [r, p, value](SlopeModel& m) {
                SheetPileSettings& sp = m.sheetPile;
                return place(sp.passiveLabelX[r], sp.passiveLabelY[r], sp.passiveLabelMode[r], p,
                             value);
            },
            "受動土圧の配置");
    }
    if (mode == kModeSafetyLabel || mode == kModeExtraCircle) {
        if (!c.labels) return {};
        const int i = pickCentre(*c.labels, p);
        if (i < 0) return {};
        if (mode == kModeExtraCircle) {
            EditOutcome out;
            out.labelChange = [i](std::vector<SafetyLabel>& labels) {
                if (static_cast<size_t>(i) < labels.size())
                    labels[static_cast<size_t>(i)].showCircle =
                        1 - labels[static_cast<size_t>(i)].showCircle;
            };
            out.effect = ChangeEffect::Display;
            return out;
        }
        s.picked = i;
        s.mode = kModeSafetyLabelPlace;
        s.status = modeStatusText(s.mode);
        return {};
    }
    if (mode == kModeSafetyLabelPlace) {
        if (!c.labels || s.picked < 0 || static_cast<size_t>(s.picked) >= c.labels->size())
            return {};
        const int i = s.picked;
        EditOutcome out;
        out.labelChange = [i, p, inside](std::vector<SafetyLabel>& labels) {
            if (static_cast<size_t>(i) >= labels.size()) return;
            SafetyLabel& l = labels[static_cast<size_t>(i)];
            l.x = p.x;
            l.y = p.y;
            l.drawFlag = inside ? 1 : -1;
        };
        out.effect = ChangeEffect::Display;
        return out;
    }
    return {};
}

EditOutcome PlacementModes::rightClick(EditSession& s, const EditContext&, Point2)
{
    const int mode = s.mode;
    if (mode == kModeSoilVerticalPlace || mode == kModeSoilHorizontalPlace ||
        mode == kModeSafetyLabelPlace) {
        s.clearPicks();
        s.mode = mode - 1;
        s.status = modeStatusText(s.mode);
        return {};
    }
    leaveMode(s);
    return {};
}

void PlacementModes::addMarks(const EditSession& s, const EditContext& c, Marks& m) const
{
    if (s.mode == kModeSoilVerticalPlace || s.mode == kModeSoilHorizontalPlace) {
        if (s.picked >= 0 && s.picked < c.model.blockCount &&
            c.model.blocks[static_cast<size_t>(s.picked)].number >= 0)
            markBlockAt(c.model, c.model.blocks[static_cast<size_t>(s.picked)].seed, m);
    } else if (s.mode == kModeSafetyLabelPlace && c.labels && s.picked >= 0 &&
               static_cast<size_t>(s.picked) < c.labels->size()) {
        const SafetyLabel& l = (*c.labels)[static_cast<size_t>(s.picked)];
        m.points.push_back({{l.cx, l.cy}, MarkColour::Highlight});
    }
}

MenuState refreshMenus(SlopeModel& model, bool results, bool* changed)
{
    bool wrote = false;
    auto set = [&wrote](int32_t& field, int32_t value) {
        wrote = assignIfChanged(field, value) || wrote;
    };
    MenuState st;
    st.results = results;
    DisplaySettings& d = model.display;
    if (d.autoSwitch == 1) {
        int32_t* all[] = {&d.showGrid,           &d.autoSwitch,         &d.showPointNames,
                          &d.showBoundaryLines,  &d.showUncutLines,     &d.showArcLimitLines,
                          &d.showArcLimitPoints, &d.showBlockCentres,   &d.showFrame,
                          &d.showCircleCentres,  &d.showSlipSurfaces,   &d.showSoilInfo,
                          &d.showSurcharge,      &d.showForces,         &d.showCohesionLine,
                          &d.showSheetPile,      &d.showPassivePressure};
        if (!results) {
            for (int32_t* f : all)
                set(*f, f == &d.showGrid || f == &d.autoSwitch || f == &d.showPointNames ||
                                f == &d.showBoundaryLines || f == &d.showUncutLines ||
                                f == &d.showArcLimitLines || f == &d.showArcLimitPoints ||
                                f == &d.showBlockCentres || f == &d.showCircleCentres ||
                                f == &d.showCohesionLine || f == &d.showSheetPile
                            ? 1
                            : 0);
        } else {
            for (int32_t* f : all)
                set(*f, f == &d.showGrid || f == &d.showPointNames || f == &d.showUncutLines ||
                                f == &d.showArcLimitLines || f == &d.showArcLimitPoints ||
                                f == &d.showCohesionLine
                            ? 0
                            : 1);
        }
    }

    const CalcConditions& k = model.conditions;
    bool anyStrip = false;
    for (int i = 0; i < kSurchargeStrips; ++i) {
        const auto u = static_cast<size_t>(i);
        const double ql = k.surchargeQmin[u], qr = k.surchargeQmax[u];
        MenuItemState& left = st.surcharge[u * 2];
        MenuItemState& right = st.surcharge[u * 2 + 1];
        left.caption = cformat("(%dL)%8.3f", i + 1, ql);
        right.caption = cformat("(%dR)%8.3f", i + 1, qr);
        left.visible = ql >= kTolBreakpoint;
        right.visible = qr >= kTolBreakpoint;
        if (ql > kTolCoincident && std::fabs(ql - qr) < kTolCoincident) {
            left.caption = cformat("(%dB)%8.3f", i + 1, ql);
            right.visible = false;
        }
        if (!left.visible) set(model.draw.surchargeLabelMode[0][u], -1);
        if (!right.visible) set(model.draw.surchargeLabelMode[1][u], -1);
        if (!(ql < kTolLoop && qr < kTolBreakpoint)) anyStrip = true;
    }
    st.surchargeMenu = anyStrip;

    bool anyForce = false;
    for (int i = 0; i < kHorizontalForces; ++i) {
        const double h = k.forceH[static_cast<size_t>(i)];
        st.forces[static_cast<size_t>(i)] = {cformat("(%d)%8.3f", i + 1, h), h >= kTolBreakpoint};
        if (!(h < kTolLoop)) anyForce = true;
    }
    st.forceMenu = anyForce;

    const SheetPileSettings& sp = model.sheetPile;
    for (int r = 0; r < kMaxPassiveRows; ++r) {
        const auto u = static_cast<size_t>(r);
        const double q = sp.passiveIntensity[u];
        st.passive[u].caption = cformat("%8.3f", q);
        st.passive[u].visible =
            r < sp.passiveCount && q >= kTolBreakpoint &&
            (r == 0 || std::fabs(q - sp.passiveIntensity[u - 1]) >= kTolBreakpoint);
    }
    st.passiveMenu = sp.passiveCount > 0;
    if (changed) *changed = wrote;
    return st;
}

} // namespace keltora
