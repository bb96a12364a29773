// The line table editor: line slots 0 to 999 as rows of kind, start and end point numbers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "edit/dialog_fields.h"
#include "edit/point_table_rules.h"
#include "model/model.h"

namespace keltora {

struct LineRow {
    std::string kind;
    std::string start;
    std::string end;
};

// The 1000 rows of the model's lines; free slots give empty rows.
std::vector<LineRow> lineTableRows(const SlopeModel& model);

struct TypedLine {
    int32_t kind = 0;
    int32_t startPoint = 0;
    int32_t endPoint = 0;
};

// The lines the rows stand for (all three cells filled and a kind 1..6), as the view
// draws them while the table is open.
std::vector<std::optional<TypedLine>> typedLines(const std::vector<LineRow>& rows);

// Stores the rows: a filled row of kind 1..6 becomes that line with its smaller point
// number first and drawn in the figure; any other row frees its slot. The line count
// becomes the last stored row plus one (lines beyond the table are kept). A changed row
// that names a point that does not exist, a point kind (5, 6) between two points or a
// boundary or uncut line from a point to itself is refused with a message. A row left as
// shown keeps its line as it is (draw flag included). Changes discard the results.
DialogOutcome applyLineTable(SlopeModel& model, const std::vector<LineRow>& rows);

} // namespace keltora
