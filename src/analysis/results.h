// The results of a calculation: the per-grid tables of stored masses, their minima, the
// critical result and the factor-of-safety label list, as the document keeps them.
#pragma once

#include <array>
#include <cstddef>
#include <vector>

#include "analysis/slip_result.h"

namespace keltora {

inline constexpr int kMaxGrids = 4;
// What the result table, the figure and the reports can show of one grid's table and of
// the label list. The run keeps storing beyond these and warns the user instead.
inline constexpr std::size_t kGridTableCapacity = 65535;
inline constexpr std::size_t kSafetyLabelCapacity = 65536;

// The best stored mass of a grid (strict minimum: among equal f the first stored wins).
// A grid without a stored mass keeps f = kNoSafetyFactor and centre (0, 0).
struct GridMinimum {
    double f = kNoSafetyFactor;
    double cx = 0.0, cy = 0.0, rr = 0.0;
    int directionSign = 1;
};

// A working grid of centres: X and Y ranges with their pitches (m).
struct SearchGrid {
    double xmin = 0.0, xmax = 0.0, dx = 0.0;
    double ymin = 0.0, ymax = 0.0, dy = 0.0;
};

// One entry of the factor-of-safety label list (one per distinct centre).
struct SafetyLabel {
    double f = kNoSafetyFactor;
    double cx = 0.0, cy = 0.0;
    double x = 0.0, y = 0.0; // label position, initially the centre
    double sx = 0.0, sy = 0.0, ex = 0.0, ey = 0.0;
    double csx = 0.0, csy = 0.0, cex = 0.0, cey = 0.0;
    double rr = 0.0;
    int drawFlag = -1; // 1 when the grid's figure switch is 1
    int grid = 0;      // 1..4
    int showCircle = 0;
};

// Results-valid flag values (also SlopeModel::calcState).
inline constexpr int kResultsNone = 0;
inline constexpr int kResultsValid = 1;
inline constexpr int kResultsAborted = -1;

struct CalculationResults {
    std::array<std::vector<SlipResult>, kMaxGrids> tables;
    std::array<GridMinimum, kMaxGrids> minima;
    std::array<SearchGrid, kMaxGrids> grids; // each grid as last computed
    int gridsRun = 0;                        // grid indexes that started computing
    std::array<bool, kMaxGrids> gridCompleted{};

    bool hasCritical = false;
    SlipResult critical; // with mry and the recomputed f
    std::vector<SafetyLabel> labels;

    int validFlag = kResultsNone;
    long long circlesEvaluated = 0; // over all grids and extensions (statistics)
    long long massesEvaluated = 0;  // masses handed back by the evaluation, stored or not

    void clear() { *this = CalculationResults{}; }
};

} // namespace keltora
