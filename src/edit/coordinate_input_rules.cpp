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

std::optional<Point2> typedCoordinate(const SlopeModel& model, const CoordinateFields& f)
{
    const bool inTable = f.slot >= 0 && f.slot < kMaxPoints;
    const TerrainPoint* p = inTable ? &model.points[static_cast<size_t>(f.slot)] : nullptr;
    const bool used = p && f.slot < model.pointCount && p->number >= 0;
    auto value = [&](const std::string& text, double stored) {
        if (used && trimmedText(text) == trimmedText(showTableCoordinate(stored))) return stored;
        return readEditNumber(text);
    };
    const Point2 v{value(f.x, p ? p->x : 0.0), value(f.y, p ? p->y : 0.0)};
    for (int i = 0; i < model.pointCount && i < kMaxPoints; ++i) {
        if (i == f.slot) continue;
        const TerrainPoint& q = model.points[static_cast<size_t>(i)];
        if (q.number >= 0 && std::fabs(q.x - v.x) <= kTolDuplicatePoint &&
            std::fabs(q.y - v.y) <= kTolDuplicatePoint)
            return std::nullopt;
    }
    return v;
}

DialogOutcome applyCoordinate(SlopeModel& model, const CoordinateFields& f)
{
    if (f.slot < 0 || f.slot >= kMaxPoints)
        return refused({"点の数が上限に達しているため、点を追加できません。", "error"});
    const std::optional<Point2> v = typedCoordinate(model, f);
    if (!v) {
        DialogOutcome out;
        out.accepted = false; // the dialog stays open; the point stays where it was
        return out;
    }
    TerrainPoint& p = model.points[static_cast<size_t>(f.slot)];
    ChangeRecorder rec(model);
    rec.code(p.number, f.slot, true);
    rec.value(p.x, v->x, true);
    rec.value(p.y, v->y, true);
    if (f.slot >= model.pointCount) rec.code(model.pointCount, f.slot + 1, true);
    return rec.finish();
}

} // namespace keltora
