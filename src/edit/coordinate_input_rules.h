// The coordinate input dialog of the point modes: one point's number and coordinates typed
// instead of clicked.
#pragma once

#include <optional>
#include <string>

#include "edit/dialog_fields.h"
#include "model/model.h"

namespace keltora {

enum class CoordinateMode { Add, Move };

struct CoordinateFields {
    int slot = -1;      // the point slot the dialog writes; -1 when the point table is full
    std::string number; // "%4d"
    std::string x;      // "%10.4f" when moving, empty when adding
    std::string y;
};

// Add: the first free point slot and empty coordinates. Move: the picked point.
// When the table is full, `why` (if given) receives the message.
CoordinateFields coordinateFields(const SlopeModel& model, CoordinateMode mode, int movingSlot,
                                  Message* why = nullptr);

// The typed position, or nothing when another used point (not fields.slot) lies within
// 0.00009 m in X and Y. A text that still shows the stored coordinate keeps it exactly.
std::optional<Point2> typedCoordinate(const SlopeModel& model, const CoordinateFields& fields);

// Stores the point into fields.slot (extending the point count when the slot lies at or
// beyond it). Refused without a message when another point lies within 0.00009 m in X and
// Y. Changes discard the results.
DialogOutcome applyCoordinate(SlopeModel& model, const CoordinateFields& fields);

} // namespace keltora
