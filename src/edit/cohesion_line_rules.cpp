// Rules of the cohesion reference line table.
#include "edit/cohesion_line_rules.h"

#include <algorithm>
#include <cmath>

#include "edit/point_table_rules.h"

namespace keltora {

namespace {

double cellValue(const std::string& text, const double* stored)
{
    if (stored && trimmedText(text) == trimmedText(showTableCoordinate(*stored))) return *stored;
    return readEditNumber(text);
}

// NaN (only from a damaged file) sorts last, so the comparison stays a strict order.
bool lessX(double a, double b)
{
    if (std::isnan(a)) return false;
    if (std::isnan(b)) return true;
    return a < b;
}

} // namespace

std::vector<PairRow> referenceLineRows(const SlopeModel& model)
{
    std::vector<PairRow> rows(kReferenceRows);
    const int n = std::clamp(model.referenceLine.count, 0, kMaxReferenceVertices);
    for (int i = 0; i < n && i < kReferenceRows; ++i) {
        const auto k = static_cast<size_t>(i);
        rows[k] = {showTableCoordinate(model.referenceLine.x[k]),
                   showTableCoordinate(model.referenceLine.y[k])};
    }
    return rows;
}

std::vector<Point2> readPairRows(const std::vector<PairRow>& rows,
                                 const std::vector<Point2>& stored, int maxRows)
{
    std::vector<Point2> taken;
    const int n = std::min(static_cast<int>(rows.size()), maxRows);
    for (int i = 0; i < n; ++i) {
        const PairRow& r = rows[static_cast<size_t>(i)];
        if (!isFilled(r.a) || !isFilled(r.b)) continue;
        const bool has = static_cast<size_t>(i) < stored.size();
        const Point2 v{cellValue(r.a, has ? &stored[static_cast<size_t>(i)].x : nullptr),
                       cellValue(r.b, has ? &stored[static_cast<size_t>(i)].y : nullptr)};
        const bool duplicate = std::any_of(taken.begin(), taken.end(), [&](const Point2& t) {
            return std::fabs(t.x - v.x) <= kTolDuplicatePoint &&
                   std::fabs(t.y - v.y) <= kTolDuplicatePoint;
        });
        if (!duplicate) taken.push_back(v);
    }
    return taken;
}

DialogOutcome applyReferenceLine(SlopeModel& model, const std::vector<PairRow>& rows)
{
    CohesionReferenceLine& line = model.referenceLine;
    std::vector<Point2> stored;
    const int count = std::clamp(line.count, 0, kMaxReferenceVertices);
    for (int i = 0; i < count; ++i)
        stored.push_back({line.x[static_cast<size_t>(i)], line.y[static_cast<size_t>(i)]});

    std::vector<Point2> taken = readPairRows(rows, stored, kReferenceRows);
    std::stable_sort(taken.begin(), taken.end(),
                     [](const Point2& a, const Point2& b) { return lessX(a.x, b.x); });

    ChangeRecorder rec(model);
    for (int i = 0; i < kMaxReferenceVertices; ++i) {
        const auto k = static_cast<size_t>(i);
        const Point2 v = k < taken.size() ? taken[k] : Point2{};
        rec.value(line.x[k], v.x, true);
        rec.value(line.y[k], v.y, true);
    }
    rec.code(line.count, static_cast<int32_t>(taken.size()), true);
    return rec.finish();
}

} // namespace keltora
