// Rules of the main view's drawing that need no display: the grid plan. (The display
// presets and the placement menus are refreshMenus of edit/placement_modes.h.)
#pragma once

#include <string>

#include "edit/view_transform.h"
#include "model/model.h"

namespace keltora {

// The grid of the view. Nothing is drawn when the major spacing is below 10 pixels (or
// not positive); a minor spacing below 10 pixels (or not positive) is replaced by the
// major one. Major lines are 3 pixels wide when a finer minor spacing is in use.
struct GridPlan {
    bool draw = false;
    double spacing = 0.0; // spacing of all lines drawn (m)
    double major = 0.0;   // lines on multiples of this carry labels
    int majorWidth = 1;
    // Multiples k of `spacing` whose lines cross the image: first..last (inclusive).
    long long firstX = 0, lastX = -1, firstY = 0, lastY = -1;
    // True when the line at k * spacing is on a multiple of the major spacing.
    bool isMajor(long long k) const;
};
GridPlan gridPlan(const ViewTransform& view, double major, double minor);
// The label of a major grid line, "%3.2f".
std::string gridLabel(double value);

} // namespace keltora
