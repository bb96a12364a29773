// Rules of the point table editor.
#include "edit/point_table_rules.h"

#include <algorithm>
#include <cmath>

#include "model/c_format.h"

namespace keltora {

namespace {

// The cell as typed, or the stored value when the cell still shows it.
double cellValue(const std::string& text, double stored, bool storedShown)
{
    if (storedShown && trimmedText(text) == trimmedText(showTableCoordinate(stored))) return stored;
    return readEditNumber(text);
}

} // namespace

std::string tableRowNumber(int row)
{
    return cformat("%4d", row);
}

std::string showTableCoordinate(double value)
{
    return cformat("%10.4f", value);
}

std::vector<PointRow> pointTableRows(const SlopeModel& model)
{
    std::vector<PointRow> rows(kTableRows);
    for (int i = 0; i < kTableRows && i < model.pointCount; ++i) {
        const TerrainPoint& p = model.points[static_cast<size_t>(i)];
        if (p.number < 0) continue;
        rows[static_cast<size_t>(i)] = {showTableCoordinate(p.x), showTableCoordinate(p.y)};
    }
    return rows;
}

std::vector<std::optional<Point2>> typedPoints(const std::vector<PointRow>& rows)
{
    std::vector<std::optional<Point2>> out(rows.size());
    for (size_t i = 0; i < rows.size(); ++i)
        if (isFilled(rows[i].x) && isFilled(rows[i].y))
            out[i] = Point2{readEditNumber(rows[i].x), readEditNumber(rows[i].y)};
    return out;
}

DialogOutcome applyPointTable(SlopeModel& model, const std::vector<PointRow>& rows)
{
    const int n = std::min(static_cast<int>(rows.size()), kTableRows);

    // The values of the filled rows; a cell that still shows the stored value keeps it exactly.
    std::vector<std::optional<Point2>> values(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        const PointRow& r = rows[static_cast<size_t>(i)];
        if (!isFilled(r.x) || !isFilled(r.y)) continue;
        const TerrainPoint& p = model.points[static_cast<size_t>(i)];
        const bool shown = i < model.pointCount && p.number >= 0;
        values[static_cast<size_t>(i)] =
            Point2{cellValue(r.x, p.x, shown), cellValue(r.y, p.y, shown)};
    }

    // Every filled row against the earlier ones (the last row too).
    for (int i = 0; i < n; ++i) {
        const auto& a = values[static_cast<size_t>(i)];
        if (!a) continue;
        for (int j = 0; j < i; ++j) {
            const auto& b = values[static_cast<size_t>(j)];
            if (b && std::fabs(a->x - b->x) <= kTolDuplicatePoint &&
                std::fabs(a->y - b->y) <= kTolDuplicatePoint)
                return refused(
                    {cformat("エラー：点の重複があります！！　No%d- No%d", j, i), "error"});
        }
    }

    ChangeRecorder rec(model);
    int lastFilled = -1;
    for (int i = 0; i < n; ++i) {
        TerrainPoint& p = model.points[static_cast<size_t>(i)];
        if (const auto& v = values[static_cast<size_t>(i)]) {
            rec.code(p.number, i, true);
            rec.value(p.x, v->x, true);
            rec.value(p.y, v->y, true);
            lastFilled = i;
        } else if (p.number >= 0) {
            p = TerrainPoint{}; // freed: number -1, coordinates 0
            rec.changed(true);
        }
    }
    // Slots beyond the table are not the table's to free: the count keeps them.
    int count = lastFilled + 1;
    for (int i = kMaxPoints - 1; i >= n; --i)
        if (i < model.pointCount && model.points[static_cast<size_t>(i)].number >= 0) {
            count = std::max(count, i + 1);
            break;
        }
    rec.code(model.pointCount, count, true);

    auto pointFree = [&](int32_t number) {
        return number < 0 || number >= kMaxPoints || number >= model.pointCount ||
               model.points[static_cast<size_t>(number)].number < 0;
    };
    for (int i = 0; i < model.lineCount && i < kMaxLines; ++i) {
        TerrainLine& l = model.lines[static_cast<size_t>(i)];
        if (l.kind < 0 || l.kind > 6) continue;
        if (pointFree(l.startPoint) || pointFree(l.endPoint)) {
            l = TerrainLine{};
            rec.changed(true);
        }
    }
    return rec.finish();
}

} // namespace keltora
