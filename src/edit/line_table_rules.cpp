// Rules of the line table editor.
#include "edit/line_table_rules.h"

#include <algorithm>
#include <utility>

#include "model/c_format.h"

namespace keltora {

namespace {

std::optional<TypedLine> typedLine(const LineRow& r)
{
    if (!isFilled(r.kind) || !isFilled(r.start) || !isFilled(r.end)) return std::nullopt;
    TypedLine l{readEditInteger(r.kind), readEditInteger(r.start), readEditInteger(r.end)};
    if (l.kind < kBoundaryLine || l.kind > kArcLimitPointLarge) return std::nullopt;
    return l;
}

bool sameRow(const LineRow& a, const LineRow& b)
{
    const auto t = trimmedText;
    return t(a.kind) == t(b.kind) && t(a.start) == t(b.start) && t(a.end) == t(b.end);
}

} // namespace

std::vector<LineRow> lineTableRows(const SlopeModel& model)
{
    std::vector<LineRow> rows(kTableRows);
    for (int i = 0; i < kTableRows && i < model.lineCount; ++i) {
        const TerrainLine& l = model.lines[static_cast<size_t>(i)];
        if (l.kind < 0) continue;
        rows[static_cast<size_t>(i)] = {showEditInteger(l.kind), showEditInteger(l.startPoint),
                                        showEditInteger(l.endPoint)};
    }
    return rows;
}

std::vector<std::optional<TypedLine>> typedLines(const std::vector<LineRow>& rows)
{
    std::vector<std::optional<TypedLine>> out(rows.size());
    for (size_t i = 0; i < rows.size(); ++i)
        out[i] = typedLine(rows[i]);
    return out;
}

DialogOutcome applyLineTable(SlopeModel& model, const std::vector<LineRow>& rows)
{
    const int n = std::min(static_cast<int>(rows.size()), kTableRows);
    const std::vector<LineRow> shown = lineTableRows(model);
    auto pointExists = [&](int32_t number) {
        return number >= 0 && number < kMaxPoints && number < model.pointCount &&
               model.points[static_cast<size_t>(number)].number >= 0;
    };

    // Check the changed rows before anything is stored.
    for (int i = 0; i < n; ++i) {
        const auto k = static_cast<size_t>(i);
        if (sameRow(rows[k], shown[k])) continue;
        const auto l = typedLine(rows[k]);
        if (!l) continue;
        for (int32_t p : {l->startPoint, l->endPoint})
            if (!pointExists(p))
                return refused(
                    {cformat("エラー：線分 No%d の点 No%d がありません。", i, p), "error"});
        const bool pointKind = l->kind == kArcLimitPointSmall || l->kind == kArcLimitPointLarge;
        if (pointKind && l->startPoint != l->endPoint)
            return refused({cformat("エラー：線分 No%d は円弧制限点です。始点と終点に同じ点を"
                                    "指定してください。",
                                    i),
                            "error"});
        const bool joinsTwo = l->kind == kBoundaryLine || l->kind == kUncutLine;
        if (joinsTwo && l->startPoint == l->endPoint)
            return refused({cformat("エラー：線分 No%d の始点と終点が同じ点です。", i), "error"});
    }

    ChangeRecorder rec(model);
    int lastStored = -1;
    for (int i = 0; i < n; ++i) {
        const auto k = static_cast<size_t>(i);
        TerrainLine& line = model.lines[k];
        const bool inUse = i < model.lineCount && line.kind >= 0;
        if (inUse && sameRow(rows[k], shown[k])) {
            lastStored = i; // left as it was, draw flag and order included
            continue;
        }
        if (const auto l = typedLine(rows[k])) {
            const int32_t a = std::min(l->startPoint, l->endPoint);
            const int32_t b = std::max(l->startPoint, l->endPoint);
            rec.code(line.kind, l->kind, true);
            rec.code(line.startPoint, a, true);
            rec.code(line.endPoint, b, true);
            rec.code(line.drawFlag, 1, true);
            lastStored = i;
        } else if (line.kind != -1) {
            line = TerrainLine{};
            rec.changed(true);
        }
    }
    int count = lastStored + 1;
    for (int i = std::min(model.lineCount, kMaxLines) - 1; i >= n; --i)
        if (model.lines[static_cast<size_t>(i)].kind >= 0) {
            count = std::max(count, i + 1);
            break;
        }
    rec.code(model.lineCount, count, true);
    return rec.finish();
}

} // namespace keltora
