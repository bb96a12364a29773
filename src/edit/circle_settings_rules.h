// The slip circle dialog of the circular methods, and which search dialog the command
// "すべり円/線設定" opens for a method.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "edit/dialog_fields.h"
#include "model/model.h"

namespace keltora {

enum class SlipSettingsDialog { Circle, LineByAngle, LineBySegments };

// Method 3 opens the straight slip (1) dialog, 5 the straight slip (2) dialog, any other the
// circle dialog.
SlipSettingsDialog slipSettingsDialogFor(int32_t method);

struct CircleSettingsFields {
    std::string caption;                // "すべり円の設定－..." of the method
    std::string methodName;             // read-only method field
    std::array<std::string, 3> centreX; // min, max, pitch
    std::array<std::string, 3> centreY;
    std::array<std::string, 3> radius;
    bool extendFirstGrid = false; // stored 1 when checked, 2 when not
    int32_t finestGrid = 1;       // 1..4
    int32_t direction = 3;        // 1 automatic, 2 left to right, 3 right to left (any other)
};

// The settings of the current method: felleniusCircle for 0 and 1, bishopCircle for 2, 4.
CircleSettingsFields circleSettingsFields(const SlopeModel& model);

// Stores into the settings of the current method; every change discards the results.
DialogOutcome applyCircleSettings(SlopeModel& model, const CircleSettingsFields& fields);

} // namespace keltora
