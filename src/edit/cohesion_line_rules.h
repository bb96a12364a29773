// The cohesion reference line table: up to 64 (X, Y) vertices, duplicates skipped, sorted by X.
#pragma once

#include <string>
#include <vector>

#include "edit/dialog_fields.h"
#include "model/model.h"

namespace keltora {

// Two texts of a row of the small tables (reference line, passive pressure).
struct PairRow {
    std::string a;
    std::string b;
};

// Rows of the reference line and passive pressure grids: the model's whole capacity, so
// that a full table read from a file survives the dialog.
inline constexpr int kReferenceRows = kMaxReferenceVertices;
inline constexpr int kPassiveRows = kMaxPassiveRows;

// The vertices as rows ("%10.4f"); rows beyond the count are empty.
std::vector<PairRow> referenceLineRows(const SlopeModel& model);

// The filled rows in their order, without rows within 0.00009 of an earlier one in both
// values. A cell that still shows its stored value keeps the stored value exactly.
std::vector<Point2> readPairRows(const std::vector<PairRow>& rows,
                                 const std::vector<Point2>& stored, int maxRows);

// Stores the rows sorted by X ascending (rows with equal X keep their order), the count,
// and 0 in the slots after them. Changes discard the results.
DialogOutcome applyReferenceLine(SlopeModel& model, const std::vector<PairRow>& rows);

} // namespace keltora
