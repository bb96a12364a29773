// The simplified Bishop method (method code 2) and its modified formula (code 4): the slice
// terms, the iteration that finishes a mass, the per-circle evaluator, the search and run.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "analysis/calculation.h"
#include "analysis/circle_evaluator.h"
#include "analysis/circle_search.h"
#include "analysis/slice_section.h"
#include "analysis/slice_walk.h"
#include "geometry/block_polygons.h"
#include "model/model.h"

namespace keltora {

// The resisting terms of one slice as the iteration reads them. numerator, cohesionPart
// and frictionPart are moments (kNm/m); cosTerm and absTerm are dimensionless.
struct BishopSliceTerms {
    double numerator = 0, cosTerm = 0, absTerm = 0, cohesionPart = 0, frictionPart = 0;
};

// The driving moments a slice adds to its mass.
struct BishopDriving {
    double mdw = 0, mdh = 0, mdk = 0;
};

// Bounds of the iteration.
inline constexpr double kBishopStart = 1.0; // F0 of the first pass
inline constexpr int kBishopMaxPasses = 1000;
inline constexpr double kBishopConverged = 0.00001; // |F0 - F1| that ends it
inline constexpr double kBishopSmallestTrial = 0.000001;
inline constexpr double kBishopNoDriving = 999999.99; // F1 when |md| < 0.00001
// The constant of the trace lines (1/9.80665): kN shown as tf.
inline constexpr double kBishopTraceScale = 0.10197162129779283;

// The terms of the slice `g` by the simplified formula (modified = false: cohesion on
// the base length l, |sin a tan phi|) or the modified formula (modified = true: kappa
// and the width b), appended to `terms`; returns the slice's driving moments. Sand piles
// play no part: every block acts with its own unit weights, cohesion and friction angle.
BishopDriving writeBishopSlice(const PreparedSection& section, const SliceGeometry& g,
                               bool modified, std::vector<BishopSliceTerms>& terms);

// What the iteration of one mass did: the trace lines (each ending in "\n") and whether
// it ended within the passes (converged, or no driving moment).
struct BishopIteration {
    std::string trace;
    int passes = 0;
    bool ended = false;
    double f1 = 0;
};

// Finishes a mass over its slice terms: end-face water thrust, horizontal forces,
// direction, then the iteration from F0 = 1.0. Leaves mrc = mr = the last resisting
// moment, md and f (f stays kNoSafetyFactor for an invalid mass, an iteration that did
// not end within 1000 passes, or a non-finite result). Returns the direction sign.
int finishBishopMass(const PreparedSection& section, MassState& mass,
                     const std::vector<BishopSliceTerms>& terms, BishopIteration* iteration);

// The slices and the iteration trace of one mass, as "bishop.dmp" and "test_dmp.txt"
// keep them after a run.
struct BishopCapture {
    bool any = false; // a mass was finished
    std::vector<BishopSliceTerms> slices;
    std::string trace;
};

// The per-circle evaluation of methods 2 and 4, prepared once per run. Sheet piles take
// no part (not even as uncut lines). Holds no mutable state: safe on several threads.
class BishopEvaluator final : public CircleEvaluator {
  public:
    BishopEvaluator(const SlopeModel& model, const PolygonTable& polygons);

    SliceBreaks buildSliceBreaks(double cx) const override;
    void evaluateCircle(int grid, double cx, double cy, double rr, const SliceBreaks& breaks,
                        std::vector<EvaluatedMass>& out) const override;
    // The masses of all radii walked first, then their iterations run two masses at a
    // time (their passes share one loop over the slices, each adding its own quotients in
    // slice order): the same results as evaluateCircle radius by radius.
    long evaluateRadii(int grid, double cx, double cy, const std::vector<double>& radii,
                       const SliceBreaks& breaks, std::vector<EvaluatedMass>& out) const override;
    // As evaluateCircle; returns the number of slices summed (for benchmarks).
    long evaluateCircleCounting(int grid, double cx, double cy, double rr,
                                const SliceBreaks& breaks, std::vector<EvaluatedMass>& out) const;
    // As evaluateCircle; every finished mass replaces *capture (when given), so that it
    // ends holding the last mass of the circle.
    void evaluateCircleCapturing(int grid, double cx, double cy, double rr,
                                 const SliceBreaks& breaks, std::vector<EvaluatedMass>& out,
                                 BishopCapture* capture) const;

    const PreparedSection& section() const { return section_; }
    bool modified() const { return modified_; }

  private:
    PreparedSection section_;
    bool modified_ = false;
};

// The dump lines of a stored Bishop mass: as the circle lines, without mry.
std::string formatBishopRecord(const SlipResult& r);
// The same bytes with CR LF line ends, without printf; false (nothing appended) for a
// value it cannot format (NaN, infinite, |v| >= 1e12).
bool appendBishopRecord(std::string& out, const SlipResult& r);

// The circle search driven by the Bishop settings and evaluator. *last receives the
// slices and trace of the last mass evaluated in the order of the serial search (also
// when centres run in parallel, up to the abort point, and when the last centres have no
// circle). Returns 0, or -1 when aborted.
int runBishopSearch(const SlopeModel& model, const BishopEvaluator& evaluator,
                    const CircleSearchOptions& options, CalculationResults& results,
                    CalculationObserver* observer, MessageList& messages, BishopCapture& last);

// Writes "bishop.dmp" (40-byte little-endian records) and "test_dmp.txt" (CR LF) into dir.
// A failure is appended to messages; the factors of safety do not depend on these files.
void writeBishopFiles(const std::filesystem::path& dir, const BishopCapture& capture,
                      MessageList& messages);

// The run of method codes 2 and 4: guards, block polygons, search, the two files, the
// critical result and the verdict.
CalcOutcome runBishop(const SlopeModel& model, CalculationResults& results,
                      const CalcOptions& options, CalculationObserver* observer = nullptr);

} // namespace keltora
