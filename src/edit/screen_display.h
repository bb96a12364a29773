// Rules of the main view's drawing that need no display: the grid plan, the automatic
// display presets and the captions and visibility of the label placement menu items.
#pragma once

#include <array>
#include <string>
#include <vector>

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

// The automatic display presets: with autoSwitch 1 the switches take the input set
// (results = false) or the result set (results = true). Returns true when a switch changed.
bool applyDisplayPresets(DisplaySettings& d, bool results);

// The label placement items of the figure menu.
struct PlacementItem {
    bool visible = false;
    std::string caption; // UTF-8
};
struct PlacementMenus {
    bool figureMenuVisible = false; // "作図(&Z)": only with valid results
    bool resultsEnabled = false;    // "計算結果の表示(&D)"
    bool surchargeMenuVisible = false;
    std::array<PlacementItem, 6> surcharge; // K1..K6: (1L) (1R) (2L) (2R) (3L) (3R)
    bool forceMenuVisible = false;
    std::array<PlacementItem, 3> forces; // G1..G3
    bool passiveMenuVisible = false;
    std::array<PlacementItem, kMaxPassiveRows> passive; // earth pressure rows 1..64
};
PlacementMenus placementMenus(const SlopeModel& model, bool results);

// The label modes of hidden surcharge items become -1 (not drawn). Returns true when a
// mode changed.
bool hideUnusedSurchargeLabels(DrawSettings& draw, const PlacementMenus& menus);

} // namespace keltora
