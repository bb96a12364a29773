// The circle walk as a template over the method's slice terms, so that the methods' own
// terms are called directly (and inlined) slice by slice; walkCircle is its virtual form.
#pragma once

#include <algorithm>
#include <cmath>
#include <concepts>
#include <vector>

#include "analysis/slice_walk.h"
#include "geometry/primitives.h"

namespace keltora {

namespace walk_detail {

inline constexpr double kTolExtent = 0.0000001;

// A block with a column in a sub-interval: its top and bottom there.
struct SubExtent {
    int block = -1;
    const PreparedBlock* prepared = nullptr;
    ColumnExtent extent;
};

// Terms that take the slices a chunk at a time: the walk works out the chunk's geometry
// and column sums (with the unit weights blockWeights gives), then calls
// prepareChunk(chunk, n, k, strips) once and addSlices(mass, chunk, count, k, strips) for
// the chunk's first `count` slices that the mass takes, which the terms add in slice order
// (chunkSlice gives a slice's SliceGeometry where it is needed).
template <typename Terms>
concept TakesChunks = requires(Terms& t, const PreparedBlock& b, MassState& m, const SliceChunk& c,
                               const std::vector<int>& strips)
{
    {
        Terms::blockWeights(b)
        } -> std::same_as<BlockWeights>;
    t.prepareChunk(c, std::size_t{0}, 0, strips);
    t.addSlices(m, c, std::size_t{0}, 0, strips);
};

// The walk's working lists, one set per thread, reused from circle to circle (a circle's
// walk runs on one thread from start to end, and walks are never nested).
struct WalkScratch {
    std::vector<SubExtent> active;
    std::vector<BlockColumn> columns;
    std::vector<int> strips;
};

inline WalkScratch& walkScratch()
{
    thread_local WalkScratch scratch;
    return scratch;
}

template <typename Terms> class Walker {
  public:
    Walker(const PreparedSection& s, double cx, double cy, double rr, Terms& terms)
        : s_(s), cx_(cx), cy_(cy), rr_(rr), terms_(terms), active_(walkScratch().active),
          columns_(walkScratch().columns), strips_(walkScratch().strips)
    {
        active_.clear();
        if (columns_.size() < s.blocks.size())
            columns_.resize(s.blocks.size()); // at most one column per block
    }

    long slices() const { return slices_; }

    // Slices the interval [xb, xa] of base block k.
    void sliceInterval(double xa, double xb, int k, const SliceBreaks& breaks, MassState& mass)
    {
        size_t j = 0;
        while (j < breaks.size() && breaks[j] >= xa)
            ++j;
        double prev = xa;
        for (;;) {
            const double cur = (j < breaks.size() && breaks[j] > xb) ? breaks[j] : xb;
            subInterval(prev, cur, k, mass);
            if (std::fabs(cur - xb) < kTolCoincident || mass.invalid) break;
            prev = cur;
            ++j;
        }
    }

  private:
    void subInterval(double prev, double cur, int k, MassState& mass)
    {
        if (!(prev > cur + kTolLoop)) return; // no slice fits
        const double d = (prev - cur) / 3;
        const double xa = prev - d, xb = cur + d;
        // The lowest the arc comes in this sub-interval, less a margin far beyond rounding:
        // a block whose top lies below it has no column in any slice here (a slice takes
        // a block only up to the middle of its chord, which lies above the arc), so its
        // extents are not worked out.
        const double low = arcHeight(cx_, cy_, rr_, std::clamp(cx_, cur, prev)) -
                           1e-6 * (1 + std::fabs(cy_) + rr_);
        // The blocks with an extent at both inner third points, in block order; the
        // others have no column anywhere in this sub-interval.
        active_.clear();
        for (size_t i = 0; i < s_.blocks.size(); ++i) {
            const PreparedBlock& blk = s_.blocks[i];
            if (blk.ymax < low) continue;
            const VerticalExtent a = s_.columnExtent(blk, xa);
            if (!(a.bottom < a.top + kTolExtent)) continue;
            const VerticalExtent b = s_.columnExtent(blk, xb);
            if (!(b.bottom < b.top + kTolExtent)) continue;
            const double topPrev = a.top + (a.top - b.top), topCur = b.top - (a.top - b.top);
            const double bottomPrev = a.bottom + (a.bottom - b.bottom);
            const double bottomCur = b.bottom - (a.bottom - b.bottom);
            active_.push_back({static_cast<int>(i),
                               &blk,
                               {topCur, topPrev - topCur, bottomCur, bottomPrev - bottomCur}});
        }
        // The surcharge strips that reach into this sub-interval (the slices' left ends
        // may fall short of cur by rounding only); the others add nothing to its slices.
        strips_.clear();
        const double reach = cur - 1e-6 * (1 + std::fabs(cur));
        for (int strip : s_.loadedStrips) {
            const auto i = static_cast<size_t>(strip);
            if (s_.conditions.surchargeXmin[i] >= prev || s_.conditions.surchargeXmax[i] < reach)
                continue;
            strips_.push_back(strip);
        }
        const double m = std::max(1.0, std::ceil((prev - cur) / s_.sliceWidth));
        const double w = (prev - cur) / m;
        // Every x the slices below take lies in [cur - w, prev] (the last left end falls
        // short of cur by rounding only). Where the circle's side is farther than the
        // tangency tolerance from all of them, the arc heights need no tangency test:
        // x - cx and rr - |x - cx| are rounded monotonically, so the ends decide.
        const double widest = std::max(std::fabs((cur - w) - cx_), std::fabs(prev - cx_));
        slices(prev, cur, w, rr_ - widest >= kTolCoincident, k, mass);
    }

    void slices(double prev, double cur, double w, bool clear, int k, MassState& mass)
    {
        // The ends of the slices summed here: x falls from slice to slice, so the first
        // right end and the last left end are all the mass's ends can take from them.
        double firstX = 0, firstY = 0, lastX = 0, lastY = 0;
        bool any = false;
        // x accumulates by repeated subtraction, as the slices are laid from the right;
        // each slice's left end is the next one's right end, height included. The slices
        // go a chunk at a time, the chunk's geometry worked out first.
        SliceChunk& c = chunk_;
        double x = prev;
        while (x > cur + kTolLoop && !mass.invalid) {
            const std::size_t n = layChunk(c, x, cur, w);
            sliceChunkGeometry(c, n, cx_, cy_, rr_, clear, cur, prev);
            if constexpr (TakesChunks<Terms>) {
                for (const SubExtent& e : active_)
                    addChunkColumns(c, n, *e.prepared, e.extent, Terms::blockWeights(*e.prepared),
                                    e.block == k, s_.massHeights);
                terms_.prepareChunk(c, n, k, strips_);
            }
            // The chunk's slices in order until the mass becomes invalid: the sheet pile
            // ends it before its slice, an uncut line after. The tests do not depend on
            // the sums, so they run first and the sums then take the slices in one go.
            const std::size_t summed = slicesBeforeEnd(c, n, mass);
            if constexpr (TakesChunks<Terms>) {
                if (s_.massHeights)
                    for (std::size_t i = 0; i < summed; ++i) {
                        mass.top = std::max(mass.top, c.top[i]);
                        mass.bottom = std::min(mass.bottom, c.bottom[i]);
                    }
                if (summed > 0) terms_.addSlices(mass, c, summed, k, strips_);
            } else {
                for (std::size_t i = 0; i < summed; ++i)
                    slice(c, i, w, k, mass);
            }
            slices_ += static_cast<long>(summed);
            if (summed > 0) {
                if (!any) firstX = c.x[0], firstY = c.y[0];
                any = true;
                lastX = c.x[summed];
                lastY = c.y[summed];
            }
        }
        if (!any) return;
        SlipResult& r = mass.rec;
        if (firstX > r.sx) r.sx = firstX, r.sy = firstY;
        if (lastX < r.ex) r.ex = lastX, r.ey = lastY;
        if (s_.blocks[static_cast<size_t>(k)].kind == kSoilBlock) {
            if (firstX > r.csx) r.csx = firstX, r.csy = firstY;
            if (lastX < r.cex) r.cex = lastX, r.cey = lastY;
        }
        r.f = kNoSafetyFactor; // the validity flag stays as the mass has it
    }

    // How many of the chunk's n slices the mass takes: all of them, unless a slice's base
    // crosses an uncut line (the mass becomes invalid and ends after that slice) or meets
    // the sheet pile of method 1 (the mass becomes invalid and ends before it).
    std::size_t slicesBeforeEnd(const SliceChunk& c, std::size_t n, MassState& mass) const
    {
        const SheetPileSettings& pile = s_.sheetPile;
        if (s_.uncut.empty() && pile.method != 1) return n;
        for (std::size_t i = 0; i < n; ++i) {
            const double x1 = c.x[i], y1 = c.y[i], x2 = c.x[i + 1], y2 = c.y[i + 1];
            const bool crosses = s_.crossesUncutLine({x1, y1}, {x2, y2});
            if (crosses) invalidateMass(mass);
            if (pile.method == 1 && x2 - kTolBreakpoint <= pile.x &&
                pile.x <= x1 + kTolBreakpoint && std::max(y1, y2) - kTolBreakpoint <= pile.topY &&
                pile.toeY <= std::min(y1, y2) + kTolBreakpoint) {
                invalidateMass(mass);
                return i;
            }
            if (crosses) return i + 1;
        }
        return n;
    }

    // Sums slice i of chunk c into the mass, its columns listed for the terms.
    void slice(const SliceChunk& c, std::size_t i, double w, int k, MassState& mass)
    {
        const double x1 = c.x[i], y1 = c.y[i], x2 = c.x[i + 1], y2 = c.y[i + 1];
        const BaseChord chord{c.length[i], c.sinTheta[i], c.cosTheta[i]};
        const double xm = c.xMid[i], ym = c.yMid[i], ya = c.yArc[i], t = c.t[i];
        std::size_t n = 0;
        for (const SubExtent& s : active_) {
            const PreparedBlock& b = *s.prepared;
            if (!(b.xmin <= xm && xm <= b.xmax && b.ymax >= ym)) continue;
            const ColumnExtent& e = s.extent;
            double top = e.topCur + e.topRise * t;
            double bottom = e.bottomCur + e.bottomRise * t;
            top = std::max(top, ya);
            bottom = std::max(bottom, ya);
            columns_[n++] = {s.block, xm, (top + bottom) / 2, (top - bottom) * w};
            mass.top = std::max(mass.top, top);
            mass.bottom = std::min(mass.bottom, bottom);
        }
        const SliceGeometry g{cx_,      cy_,   rr_, x1, y1, x2, y2, w, k, {columns_.data(), n},
                              &strips_, &chord};
        terms_.addSlice(g, mass);
    }

    const PreparedSection& s_;
    double cx_, cy_, rr_;
    Terms& terms_;
    std::vector<SubExtent>& active_;
    std::vector<BlockColumn>& columns_;
    std::vector<int>& strips_;
    long slices_ = 0;
    SliceChunk chunk_;
};

} // namespace walk_detail

// walkCircle with the terms' own type: Terms has addSlice(const SliceGeometry&, MassState&)
// and finishMass(MassState&, std::vector<EvaluatedMass>&), called without virtual dispatch
// when Terms is a final class or no SliceTerms at all.
template <typename Terms>
long walkCircleWith(const PreparedSection& section, int grid, double cx, double cy, double rr,
                    const SliceBreaks& breaks, Terms& terms, std::vector<EvaluatedMass>& out)
{
    MassState mass;
    resetMass(mass, grid, cx, cy, rr);
    if (!std::isfinite(cx) || !std::isfinite(cy) || !(rr > 0.0) || !std::isfinite(rr)) return 0;
    const CircleCut cut = section.cutCircle(cx, cy, rr);
    walk_detail::Walker<Terms> walker(section, cx, cy, rr, terms);
    const size_t n = cut.points.size();
    for (size_t i = 0; i + 1 < n; ++i) {
        const CutPoint& a = cut.points[i];
        const CutPoint& b = cut.points[i + 1];
        if (std::fabs(a.x - b.x) < kTolBreakpoint) {
            // A vertical cut: it must not cross an uncut line. Two crossings at one place
            // (the circle through a vertex where two boundary lines meet) do not end the
            // mass: the soil on both sides is one body turning about the centre, and
            // splitting it there would leave two masses each ending inside the soil.
            // (Straight lines end their mass at such a place; see walkLine.)
            if (std::fabs(a.y - b.y) > kTolBreakpoint && !mass.invalid &&
                section.crossesUncutLine({a.x, a.y}, {b.x, b.y}))
                invalidateMass(mass);
            continue;
        }
        const int k = cut.blocks[i];
        const PreparedBlock* blk = k >= 0 ? &section.blocks[static_cast<size_t>(k)] : nullptr;
        if (!blk || blk->kind == kWaterPressureBlock || blk->noStrength) {
            // Air, water acting as pressure or soil without strength ends the mass.
            terms.finishMass(mass, out);
            resetMass(mass, grid, cx, cy, rr);
            continue;
        }
        if (blk->kind == kStructureBlock) {
            invalidateMass(mass); // and the rest of the circle is not examined
            break;
        }
        if (!mass.invalid) walker.sliceInterval(a.x, b.x, k, breaks, mass);
    }
    terms.finishMass(mass, out);
    return walker.slices();
}

} // namespace keltora
