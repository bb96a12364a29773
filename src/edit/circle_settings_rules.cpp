// Rules of the slip circle dialog.
#include "edit/circle_settings_rules.h"

namespace keltora {

SlipSettingsDialog slipSettingsDialogFor(int32_t method)
{
    if (method == kMethodLineByAngle) return SlipSettingsDialog::LineByAngle;
    if (method == kMethodLineBySegments) return SlipSettingsDialog::LineBySegments;
    return SlipSettingsDialog::Circle;
}

namespace {

void showRange(std::array<std::string, 3>& out, const Range3& r)
{
    out = {showEditNumber(r.min), showEditNumber(r.max), showEditNumber(r.step)};
}

void storeRange(ChangeRecorder& rec, Range3& r, const std::array<std::string, 3>& in)
{
    rec.number(r.min, in[0], true);
    rec.number(r.max, in[1], true);
    rec.number(r.step, in[2], true);
}

} // namespace

CircleSettingsFields circleSettingsFields(const SlopeModel& model)
{
    CircleSettingsFields f;
    switch (model.conditions.method) {
    case kMethodTschebotarioff:
        f.caption = "すべり円の設定－チェボタリオフ法";
        f.methodName = "チェボタリオフ法";
        break;
    case kMethodBishop:
        f.caption = "すべり円の設定－簡易ビショップ法";
        f.methodName = "簡易ビショップ法";
        break;
    case kMethodBishopModified:
        f.caption = "すべり円の設定－簡易ビショップ法(修正式)";
        f.methodName = "簡易ビショップ法(修正式)";
        break;
    default:
        f.caption = "すべり円の設定－修正フェレニウス法";
        f.methodName = "修正フェレニウス法";
        break;
    }
    const CircleSearchSettings& s = model.activeCircle();
    showRange(f.centreX, s.centreX);
    showRange(f.centreY, s.centreY);
    showRange(f.radius, s.radius);
    f.extendFirstGrid = s.firstGridExtension == 1;
    f.finestGrid = (s.finestGrid >= 1 && s.finestGrid <= 4) ? s.finestGrid : 1;
    f.direction = (s.direction == 1 || s.direction == 2) ? s.direction : 3;
    return f;
}

DialogOutcome applyCircleSettings(SlopeModel& model, const CircleSettingsFields& f)
{
    const CircleSettingsFields shown = circleSettingsFields(model);
    CircleSearchSettings& s = model.activeCircle();
    ChangeRecorder rec(model);
    storeRange(rec, s.centreX, f.centreX);
    storeRange(rec, s.centreY, f.centreY);
    storeRange(rec, s.radius, f.radius);
    // A choice left as shown keeps the stored code it stands for (a direction of 0, which
    // the search treats as right to left, is not rewritten as 3 by a mere confirmation).
    if (f.extendFirstGrid != shown.extendFirstGrid)
        rec.code(s.firstGridExtension, f.extendFirstGrid ? 1 : 2, true);
    if (f.finestGrid != shown.finestGrid && f.finestGrid >= 1 && f.finestGrid <= 4)
        rec.code(s.finestGrid, f.finestGrid, true);
    if (f.direction != shown.direction && f.direction >= 1 && f.direction <= 3)
        rec.code(s.direction, f.direction, true);
    return rec.finish();
}

} // namespace keltora
