// The two straight slip dialogs: start point and angle (method 3), start and end segments
// (method 5). Every change discards the results.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "edit/dialog_fields.h"
#include "model/model.h"

namespace keltora {

struct LineByAngleFields {
    std::string startX;
    std::string startY;
    std::array<std::string, 3> angle; // αmin, αmax, Δα
    int32_t direction = 2;            // 1 above, 2 below, 0 both
    bool refine = false;              // stored 2 when checked, 1 when not
    std::string forceX;
};

LineByAngleFields lineByAngleFields(const SlopeModel& model);
DialogOutcome applyLineByAngle(SlopeModel& model, const LineByAngleFields& fields);

struct LineBySegmentsFields {
    std::array<std::string, 2> start1; // X, Y of the start segment's first point
    std::array<std::string, 2> start2;
    std::string startPitch;          // kept in angle.min
    std::array<std::string, 2> end1; // X, Y of the end segment's first point
    std::array<std::string, 2> end2;
    std::string endPitch; // kept in angle.max
    bool refine = false;  // stored 2 when checked, 1 when not
    std::string forceX;
};

LineBySegmentsFields lineBySegmentsFields(const SlopeModel& model);
DialogOutcome applyLineBySegments(SlopeModel& model, const LineBySegmentsFields& fields);

} // namespace keltora
