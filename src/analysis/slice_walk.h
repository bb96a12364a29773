// The walk over one circle's cut: masses, intervals, sub-intervals between slice breaks,
// slices and their block columns. The slice terms and the finishing of a mass belong to
// the method and are plugged in through SliceTerms.
#pragma once

#include <cmath>
#include <span>
#include <vector>

#include "analysis/circle_evaluator.h"
#include "analysis/slice_section.h"
#include "analysis/slip_result.h"

namespace keltora {

// The mass being summed: the record plus the working values that do not go into it.
struct MassState {
    SlipResult rec;
    bool invalid = false;
    double top = kFarAbove;    // highest block top met in the mass
    double bottom = kFarBelow; // lowest block bottom met in the mass
};

// Starts a new mass of circle (cx, cy, rr); grid is the 0-based grid index.
void resetMass(MassState& mass, int grid, double cx, double cy, double rr);

// Marks the mass invalid: it keeps f = kNoSafetyFactor, and its record's validity flag
// becomes 0, so that the critical result built from a stored invalid mass keeps it too.
void invalidateMass(MassState& mass);

// The part of one block inside a slice column above the arc.
struct BlockColumn {
    int block = -1;      // index into PreparedSection::blocks
    double x = 0, y = 0; // centroid
    double area = 0;
};

// The base chord of a slice from (x2, y2) to (x1, y1): its length l and the sine and cosine
// of its angle, taken from the chord itself (dy / l, dx / l) rather than through atan2 and
// sin / cos, which cost a third of a slice. A chord of no length has angle 0.
struct BaseChord {
    double length = 0, sinTheta = 0, cosTheta = 1;
};

inline BaseChord baseChord(double x1, double y1, double x2, double y2)
{
    const double dx = x1 - x2, dy = y1 - y2;
    BaseChord c;
    c.length = std::sqrt(dx * dx + dy * dy);
    if (c.length > 0) {
        c.sinTheta = dy / c.length;
        c.cosTheta = dx / c.length;
    }
    return c;
}

// One slice as the method's terms see it.
struct SliceGeometry {
    double cx = 0, cy = 0, rr = 0;
    double x1 = 0, y1 = 0; // right end of the base chord
    double x2 = 0, y2 = 0; // left end
    double w = 0;          // width
    int baseBlock = -1;    // index into PreparedSection::blocks
    // The columns of the blocks above this slice, in block order; blocks not listed
    // have area 0 here.
    std::span<const BlockColumn> columns;
    // The surcharge strips that can load this slice (null: every loaded strip).
    const std::vector<int>* strips = nullptr;
    // The base chord as baseChord gives it, worked out beforehand (null: from the ends).
    const BaseChord* chord = nullptr;
};

inline BaseChord baseChord(const SliceGeometry& g)
{
    return g.chord ? *g.chord : baseChord(g.x1, g.y1, g.x2, g.y2);
}

// The geometry of up to kSlices slices laid from the right, worked out together so that
// their square roots and divisions overlap: x holds the n + 1 ends (x[i] the right end of
// slice i, x[i + 1] its left end); sliceChunkGeometry fills the rest with the values the
// walk would work out slice by slice, bit for bit.
struct SliceChunk {
    static constexpr std::size_t kSlices = 64;
    double cx, cy, rr;                     // the circle
    double w;                              // the slices' width
    double x[kSlices + 1], y[kSlices + 1]; // ends and the arc's heights there
    double xMid[kSlices], yMid[kSlices];   // the middle of the chord
    double yArc[kSlices];                  // the arc's height below the slice's middle
    double t[kSlices];                     // (middle - cur) / (prev - cur)
    double length[kSlices], sinTheta[kSlices], cosTheta[kSlices]; // the base chord
    // The slices' block columns (addChunkColumns): sums in block order of area * unit
    // weight, area * effective unit weight, area * unit weight * centroid height, the base
    // block's area and area * side weight of the other blocks; highest column top and
    // lowest column bottom (kFarAbove and kFarBelow without columns).
    double weight[kSlices], effective[kSlices], momentY[kSlices];
    double baseArea[kSlices], side[kSlices];
    double top[kSlices], bottom[kSlices];
};

// One slice's column sums as SliceChunk keeps them.
struct ColumnSums {
    double weight = 0, effective = 0, momentY = 0, baseArea = 0, side = 0;
};

// The column sums of slice i of a chunk.
inline ColumnSums columnSumsOf(const SliceChunk& c, std::size_t i)
{
    return {c.weight[i], c.effective[i], c.momentY[i], c.baseArea[i], c.side[i]};
}

// Slice i of base block k of a chunk as SliceGeometry, without its columns (the chunk has
// their sums), with `chord` (which must outlive it) holding the chunk's base chord.
inline SliceGeometry chunkSlice(const SliceChunk& c, std::size_t i, int k,
                                const std::vector<int>& strips, BaseChord& chord)
{
    chord = {c.length[i], c.sinTheta[i], c.cosTheta[i]};
    return {c.cx, c.cy, c.rr, c.x[i], c.y[i], c.x[i + 1], c.y[i + 1], c.w, k, {}, &strips, &chord};
}

// Lays the next slices of width w of a sub-interval that ends at cur into chunk c, as the
// walk lays them from the right: from x, x accumulating by repeated subtraction while it
// lies more than kTolLoop right of cur, at most kSlices of them. x becomes the last left
// end. Returns the number of slices laid.
inline std::size_t layChunk(SliceChunk& c, double& x, double cur, double w)
{
    std::size_t n = 0;
    c.x[0] = x;
    c.w = w;
    while (n < SliceChunk::kSlices && x > cur + kTolLoop) {
        x = x - w;
        c.x[++n] = x;
    }
    return n;
}

// Fills chunk for its n slices on circle (cx, cy, rr) in the sub-interval [cur, prev];
// clear: every x lies farther than the tangency tolerance from the circle's sides. The
// column sums start empty.
void sliceChunkGeometry(SliceChunk& chunk, std::size_t n, double cx, double cy, double rr,
                        bool clear, double cur, double prev);

// A block's part in the column sums: the unit weights the method takes for it.
struct BlockWeights {
    double unit = 0, effective = 0, side = 0;
};

// The column sums of a slice whose columns are listed (SliceGeometry::columns), added in
// block order as addChunkColumns adds them, with the unit weights weightsOf(block) gives.
template <typename WeightsOf>
ColumnSums listedColumnSums(const PreparedSection& section, const SliceGeometry& g,
                            WeightsOf weightsOf)
{
    ColumnSums sums;
    for (const BlockColumn& col : g.columns) {
        const BlockWeights f = weightsOf(section.blocks[static_cast<std::size_t>(col.block)]);
        const double unit = col.area * f.unit;
        sums.weight += unit;
        sums.effective += col.area * f.effective;
        sums.momentY += unit * col.y;
        if (col.block == g.baseBlock)
            sums.baseArea = col.area;
        else
            sums.side += col.area * f.side;
    }
    return sums;
}

// A block's extents over a sub-interval: top and bottom at its left end and their rise
// to its right end (the slice's share t of the rise is added).
struct ColumnExtent {
    double topCur = 0, topRise = 0, bottomCur = 0, bottomRise = 0;
};

// Adds block `b`'s column to every slice of the chunk whose middle lies within the block's
// box and not above its top, exactly as the walk adds one column to one slice; base: b is
// the slices' base block (its area goes to baseArea, not side); heights: the highest top
// and lowest bottom are kept too.
void addChunkColumns(SliceChunk& chunk, std::size_t n, const PreparedBlock& b,
                     const ColumnExtent& extent, const BlockWeights& weights, bool base,
                     bool heights);

// What the circular methods' chunk terms take besides the chunk, for slices on base block
// k: the seismic coefficient, the base block's soil values, the cohesion
// reference height (one value, or per slice when the reference line gives it) and the
// surcharge per slice when strips load the slices (else 0).
struct ChunkInputs {
    double kh = 0, tanPhi = 0, gradient = 0, cohesion = 0;
    double z0 = 0;            // when not per slice
    bool z0PerSlice = false;  // z0s holds it
    bool loaded = false;      // q holds the surcharge
    bool onSurcharge = false; // the seismic term takes the surcharge too
    double z0s[SliceChunk::kSlices], q[SliceChunk::kSlices];
};

void prepareChunkInputs(const PreparedSection& section, const SliceChunk& c, std::size_t n, int k,
                        const std::vector<int>& strips, ChunkInputs& in);

class SliceTerms {
  public:
    virtual ~SliceTerms() = default;
    // Adds the slice's terms to the mass's sums (the walk updates the mass ends itself).
    virtual void addSlice(const SliceGeometry& slice, MassState& mass) = 0;
    // Finishes the mass (end thrusts, forces, direction, factor of safety) and appends it.
    virtual void finishMass(MassState& mass, std::vector<EvaluatedMass>& out) = 0;
};

// Walks circle (cx, cy, rr): every mass the circle cuts out is summed slice by slice
// through `terms` and finished into `out`. Its working lists are per thread: safe to call
// from several threads on the same section. Returns the number of slices summed.
long walkCircle(const PreparedSection& section, int grid, double cx, double cy, double rr,
                const SliceBreaks& breaks, SliceTerms& terms, std::vector<EvaluatedMass>& out);

// The finishing steps shared by the circular methods.
// Hydrostatic thrust of the water-pressure blocks on the end faces of the mass, into mdw.
void addEndWaterThrust(const PreparedSection& section, MassState& mass);
// The horizontal external forces into mdh: forces 1 and 2 only when their height lies
// within the mass's top and bottom, force 3 always.
void addHorizontalForces(const PreparedSection& section, MassState& mass);
// The slip direction sign by the direction setting (1 automatic from mdw, 2 left to
// right = -1, otherwise +1); with -1 mdw is negated.
int applyDirection(const PreparedSection& section, MassState& mass);

} // namespace keltora
