// The modified Fellenius method (also offered as Tschebotarioff) for one trial circle:
// the slice terms, the finishing of a mass and the evaluator the circle search calls.
#pragma once

#include <cmath>
#include <memory>
#include <vector>

#include "analysis/circle_evaluator.h"
#include "analysis/slice_section.h"
#include "analysis/slice_walk.h"
#include "geometry/block_polygons.h"
#include "model/model.h"

namespace keltora {

// What every circular method takes from a slice: base chord, cohesion at the base, the
// weights of the block columns above it and the surcharge on it.
struct SliceLoads {
    double length = 0;                 // l, of the base chord
    double sinTheta = 0, cosTheta = 1; // of the base angle (see BaseChord)
    double cohesion = 0;               // c = (z0 - mid height)*K + C0 of the base block
    double weight = 0;                 // W = sum of area*gamma
    double effectiveWeight = 0;        // W' = sum of area*gamma'
    double weightY = 0;                // centroid height of W (unnormalised when |W| tiny)
    double baseArea = 0;               // A_k, the base block's own column
    double sideWeight = 0;             // S', the other blocks (sand-pile blocks by Ws)
    double surcharge = 0;              // Q
};

SliceLoads sliceLoads(const PreparedSection& section, const SliceGeometry& slice);

// The centroid height of a weight from its moment sum: normalised only for a weight worth
// the name.
inline double centroidY(double weight, double sumY)
{
    return std::fabs(weight) > kTolCoincident ? sumY / weight : sumY;
}

// The moments of one slice by the modified Fellenius method.
struct FelleniusSliceTerms {
    double mrf = 0, mrc = 0, mdw = 0, mdh = 0, mdk = 0;
};

// The slice terms for a slice on base block `slice.baseBlock` (soil without or with sand
// piles by the section's sand-pile formula, surcharge, seismic terms).
FelleniusSliceTerms felleniusSlice(const PreparedSection& section, const SliceGeometry& slice);

// Finishes a mass by the modified Fellenius method: end-face water thrust, horizontal
// forces, direction, mr, md and the truncated factor of safety; mry is the sheet pile
// moment of the circle (reported, not part of mr). Returns the direction sign.
int finishFelleniusMass(const PreparedSection& section, MassState& mass, double mry);

// The per-circle evaluation of methods 0 and 1, prepared once per run from the model and
// its polygon table. Holds no mutable state: evaluateCircle may run on several threads.
class FelleniusEvaluator final : public CircleEvaluator {
  public:
    FelleniusEvaluator(const SlopeModel& model, const PolygonTable& polygons);

    SliceBreaks buildSliceBreaks(double cx) const override;
    void evaluateCircle(int grid, double cx, double cy, double rr, const SliceBreaks& breaks,
                        std::vector<EvaluatedMass>& out) const override;
    long evaluateRadii(int grid, double cx, double cy, const std::vector<double>& radii,
                       const SliceBreaks& breaks, std::vector<EvaluatedMass>& out) const override;
    // As evaluateCircle; returns the number of slices summed (for benchmarks).
    long evaluateCircleCounting(int grid, double cx, double cy, double rr,
                                const SliceBreaks& breaks, std::vector<EvaluatedMass>& out) const;

    const PreparedSection& section() const { return section_; }

  private:
    PreparedSection section_;
};

} // namespace keltora
