// Rules of the coordinate input dialog.
#include "edit/coordinate_input_rules.h"

#include <cmath>

#include "edit/point_table_rules.h"

namespace keltora {

CoordinateFields coordinateFields(const SlopeModel& model, CoordinateMode mode, int movingSlot,
                                  Message* why)
{
    CoordinateFields f;
    if (mode == CoordinateMode::Add) {
        if (const auto slot = allocatePointSlot(model, why)) {
            f.slot = *slot;
            f.number = tableRowNumber(*slot);
        }
        return f;
    }
    if (movingSlot < 0 || movingSlot >= model.pointCount || movingSlot >= kMaxPoints ||
        model.points[static_cast<size_t>(movingSlot)].number < 0)
        return f;
    const TerrainPoint& p = model.points[static_cast<size_t>(movingSlot)];
    f.slot = movingSlot;
    f.number = tableRowNumber(movingSlot);
    f.x = showTableCoordinate(p.x);
    f.y = showTableCoordinate(p.y);
    return f;
}

DialogOutcome applyCoordinate(SlopeModel& model, const CoordinateFields& f)
{
    if (f.slot < 0 || f.slot >= kMaxPoints)
        return refused({"点の数が上限に達しているため、点を追加できません。", "error"});
    TerrainPoint& p = model.points[static_cast<size_t>(f.slot)];
    const bool used = f.slot < model.pointCount && p.number >= 0;
    auto value = [&](const std::string& text, double stored) {
        if (used && trimmedText(text) == trimmedText(showTableCoordinate(stored))) return stored;
        return readEditNumber(text);
    };
    const double x = value(f.x, p.x);
    const double y = value(f.y, p.y);
    for (int i = 0; i < model.pointCount && i < kMaxPoints; ++i) {
        if (i == f.slot) continue;
        const TerrainPoint& q = model.points[static_cast<size_t>(i)];
        if (q.number >= 0 && std::fabs(q.x - x) <= kTolDuplicatePoint &&
            std::fabs(q.y - y) <= kTolDuplicatePoint) {
            DialogOutcome out;
            out.accepted = false; // the dialog stays open; the point stays where it was
            return out;
        }
    }
    ChangeRecorder rec(model);
    rec.code(p.number, f.slot, true);
    rec.value(p.x, x, true);
    rec.value(p.y, y, true);
    if (f.slot >= model.pointCount) rec.code(model.pointCount, f.slot + 1, true);
    return rec.finish();
}

} // namespace keltora
