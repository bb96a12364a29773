// Rules of the sheet pile dialog.
#include "edit/sheet_pile_rules.h"

#include <algorithm>
#include <cmath>

#include "edit/point_table_rules.h"

namespace keltora {

SheetPileFields sheetPileFields(const SlopeModel& model)
{
    const SheetPileSettings& s = model.sheetPile;
    SheetPileFields f;
    f.method = (s.method >= 0 && s.method <= 3) ? s.method : 0;
    f.x = showEditNumber(s.x);
    f.topY = showEditNumber(s.topY);
    f.toeY = showEditNumber(s.toeY);
    f.allowableShear = showEditNumber(s.allowableShear);
    f.sectionArea = showEditNumber(s.sectionArea);
    f.lm1 = showEditNumber(s.lm1);
    f.passive.resize(kPassiveRows);
    const int n = std::clamp(s.passiveCount, 0, kMaxPassiveRows);
    for (int i = 0; i < n && i < kPassiveRows; ++i) {
        const auto k = static_cast<size_t>(i);
        f.passive[k] = {showTableCoordinate(s.passiveY[k]),
                        showTableCoordinate(s.passiveIntensity[k])};
    }
    return f;
}

std::vector<Point2> passiveTableAtTip(std::vector<Point2> rows, double tipY)
{
    // Elevation descending; NaN (a damaged file only) last, so the order stays strict.
    std::stable_sort(rows.begin(), rows.end(), [](const Point2& a, const Point2& b) {
        if (std::isnan(a.x)) return false;
        if (std::isnan(b.x)) return true;
        return a.x > b.x;
    });
    for (size_t i = 0; i + 1 < rows.size(); ++i) {
        const Point2 upper = rows[i];
        const Point2 lower = rows[i + 1];
        if (!(upper.x >= tipY && lower.x < tipY)) continue;
        if (upper.x - tipY <= kTolDuplicatePoint) {
            // The upper row already lies at the tip: a second row there would repeat it.
            rows.resize(i + 1);
        } else {
            const double t = (tipY - upper.x) / (lower.x - upper.x);
            rows[i + 1] = {tipY, upper.y + (lower.y - upper.y) * t};
            rows.resize(i + 2);
        }
        break;
    }
    return rows;
}

DialogOutcome applySheetPile(SlopeModel& model, const SheetPileFields& f)
{
    const SheetPileFields shown = sheetPileFields(model);
    SheetPileSettings& s = model.sheetPile;
    ChangeRecorder rec(model);
    if (f.method != shown.method && f.method >= 0 && f.method <= 3)
        rec.code(s.method, f.method, true);
    rec.number(s.x, f.x, true);
    rec.number(s.topY, f.topY, true);
    const bool toeChanged = rec.number(s.toeY, f.toeY, true);
    rec.number(s.allowableShear, f.allowableShear, true);
    rec.number(s.sectionArea, f.sectionArea, true);
    rec.number(s.lm1, f.lm1, true);

    bool rowsChanged = f.passive.size() != shown.passive.size();
    for (size_t i = 0; !rowsChanged && i < f.passive.size(); ++i)
        rowsChanged = trimmedText(f.passive[i].a) != trimmedText(shown.passive[i].a) ||
                      trimmedText(f.passive[i].b) != trimmedText(shown.passive[i].b);
    if (rowsChanged || toeChanged) {
        std::vector<Point2> stored;
        const int count = std::clamp(s.passiveCount, 0, kMaxPassiveRows);
        for (int i = 0; i < count; ++i)
            stored.push_back(
                {s.passiveY[static_cast<size_t>(i)], s.passiveIntensity[static_cast<size_t>(i)]});
        const std::vector<Point2> rows =
            passiveTableAtTip(readPairRows(f.passive, stored, kPassiveRows), s.toeY);
        for (int i = 0; i < kMaxPassiveRows; ++i) {
            const auto k = static_cast<size_t>(i);
            const Point2 v = k < rows.size() ? rows[k] : Point2{};
            rec.value(s.passiveY[k], v.x, true);
            rec.value(s.passiveIntensity[k], v.y, true);
        }
        rec.code(s.passiveCount, static_cast<int32_t>(rows.size()), true);
    }
    return rec.finish();
}

} // namespace keltora
