// The per-circle evaluation as the circle search sees it: prepared once per run, asked
// for the slice breaks of each centre column, then for the masses of each circle.
#pragma once

#include <vector>

#include "analysis/slip_result.h"

namespace keltora {

// Slice break x values of one centre column, descending, ended by -99999999.9.
using SliceBreaks = std::vector<double>;

class CircleEvaluator {
  public:
    virtual ~CircleEvaluator() = default;

    // The slice breaks for centre x (built once per centre column).
    virtual SliceBreaks buildSliceBreaks(double cx) const = 0;

    // Evaluates the circle (cx, cy, rr) and appends every finished mass, in the order the
    // walk finishes them, to `out` (masses without slices included; the search drops
    // them). grid is the 0-based grid index. Must be safe to call from several threads
    // at once on the same evaluator.
    virtual void evaluateCircle(int grid, double cx, double cy, double rr,
                                const SliceBreaks& breaks,
                                std::vector<EvaluatedMass>& out) const = 0;

    // The circles of one centre, radius by radius: appends the masses evaluateCircle would
    // give for each radius in turn, in that order, to `out`. An evaluator may finish the
    // masses of several circles together (the results are the same). Returns the number of
    // slices summed, or 0 where the evaluator does not count them.
    virtual long evaluateRadii(int grid, double cx, double cy, const std::vector<double>& radii,
                               const SliceBreaks& breaks, std::vector<EvaluatedMass>& out) const
    {
        for (double rr : radii)
            evaluateCircle(grid, cx, cy, rr, breaks, out);
        return 0;
    }
};

} // namespace keltora
