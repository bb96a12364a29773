// The point table editor: point numbers 0 to 999 as rows of X and Y texts, the duplicate
// check and the storing of a whole table (lines of freed points are deleted).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "edit/dialog_fields.h"
#include "model/model.h"

namespace keltora {

// Rows of the point and line tables (point and line slots 0..999).
inline constexpr int kTableRows = 1000;

struct PointRow {
    std::string x;
    std::string y;
};

// The number column: "%4d".
std::string tableRowNumber(int row);

// A point number's coordinates as the table shows them: "%10.4f".
std::string showTableCoordinate(double value);

// The 1000 rows of the model's points; free slots give empty rows.
std::vector<PointRow> pointTableRows(const SlopeModel& model);

// The points the rows stand for (a row with one cell empty counts as empty), as the view
// draws them while the table is open.
std::vector<std::optional<Point2>> typedPoints(const std::vector<PointRow>& rows);

// Stores the rows: refused with "エラー：点の重複があります！！　No..." when two filled rows
// lie within 0.00009 m in X and Y; otherwise row n becomes point n or frees it, the point
// count becomes the last filled row plus one (points in slots beyond the table are kept),
// and every line of a freed point is deleted. Changes discard the results.
DialogOutcome applyPointTable(SlopeModel& model, const std::vector<PointRow>& rows);

} // namespace keltora
