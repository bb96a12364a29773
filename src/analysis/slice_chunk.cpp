// The geometry and block columns of a chunk of slices, worked out together so that the
// compiler turns the loops into vector operations (the search sources are compiled with
// -fno-trapping-math, without which GCC does not turn the comparisons into vector
// selects; no value changes by it).
#include <cmath>

#include "analysis/slice_section.h"
#include "analysis/slice_walk.h"
#include "analysis/vector_clones.h"
#include "model/model.h"

namespace keltora {

namespace {

// arcHeight written for a loop the compiler turns into vector operations: both roots
// taken (of a non-negative value), the answer chosen afterwards.
template <bool Clear>
[[gnu::always_inline]] inline double arcAt(double cx, double cy, double rr, double x)
{
    const double d = x - cx;
    const double v = rr * rr - d * d;
    const double root = std::sqrt(v > 0.0 ? v : 0.0);
    if constexpr (Clear)
        return v > 0.0 ? cy - root : cy;
    else
        return std::fabs(rr - std::fabs(d)) < kTolCoincident || !(v > 0.0) ? cy : cy - root;
}

template <bool Clear>
[[gnu::always_inline]] inline void chunkGeometry(SliceChunk& chunk, std::size_t n, double cx,
                                                 double cy, double rr, double cur, double prev)
{
    const double* __restrict x = chunk.x;
    double* __restrict y = chunk.y;
    for (std::size_t i = 0; i <= n; ++i)
        y[i] = arcAt<Clear>(cx, cy, rr, x[i]);
    const double span = prev - cur;
    double* __restrict yMid = chunk.yMid;
    double* __restrict t = chunk.t;
    double* __restrict length = chunk.length;
    double* __restrict sinTheta = chunk.sinTheta;
    double* __restrict cosTheta = chunk.cosTheta;
    double* __restrict xMid = chunk.xMid;
    double* __restrict yArc = chunk.yArc;
    for (std::size_t i = 0; i < n; ++i) {
        const double xm = (x[i] + x[i + 1]) / 2;
        xMid[i] = xm;
        yMid[i] = (y[i] + y[i + 1]) / 2;
        yArc[i] = arcAt<Clear>(cx, cy, rr, xm);
        t[i] = (xm - cur) / span;
        // baseChord, its two divisions taken by a length that is never 0.
        const double dx = x[i] - x[i + 1], dy = y[i] - y[i + 1];
        const double l = std::sqrt(dx * dx + dy * dy);
        const double by = l > 0 ? l : 1.0;
        const double s = dy / by, c = dx / by;
        length[i] = l;
        sinTheta[i] = l > 0 ? s : 0.0;
        cosTheta[i] = l > 0 ? c : 1.0;
    }
    for (std::size_t i = 0; i < n; ++i) {
        chunk.weight[i] = chunk.effective[i] = chunk.momentY[i] = 0.0;
        chunk.baseArea[i] = chunk.side[i] = 0.0;
        chunk.top[i] = kFarAbove;
        chunk.bottom[i] = kFarBelow;
    }
}

// One block's column in the slices of a chunk. A slice outside the block's box adds +0 to
// its sums, which leaves them as they are (a sum that starts at +0 never becomes -0).
template <bool Base, bool Heights>
[[gnu::always_inline]] inline void chunkColumns(SliceChunk& chunk, std::size_t n,
                                                const PreparedBlock& b, const ColumnExtent& e,
                                                const BlockWeights& f)
{
    const double w = chunk.w;
    const double xmin = b.xmin, xmax = b.xmax, ymax = b.ymax;
    const double topCur = e.topCur, topRise = e.topRise;
    const double bottomCur = e.bottomCur, bottomRise = e.bottomRise;
    const double unitWeight = f.unit, effectiveWeight = f.effective, sideWeight = f.side;
    const double* __restrict xMid = chunk.xMid;
    const double* __restrict yMid = chunk.yMid;
    const double* __restrict yArc = chunk.yArc;
    const double* __restrict share = chunk.t;
    double* __restrict weight = chunk.weight;
    double* __restrict effective = chunk.effective;
    double* __restrict momentY = chunk.momentY;
    double* __restrict baseArea = chunk.baseArea;
    double* __restrict side = chunk.side;
    double* __restrict highest = chunk.top;
    double* __restrict lowest = chunk.bottom;
    for (std::size_t i = 0; i < n; ++i) {
        const double xm = xMid[i], ym = yMid[i], ya = yArc[i];
        // (& rather than &&: no branches in the loop)
        const bool in = (xmin <= xm) & (xm <= xmax) & (ymax >= ym);
        double top = topCur + topRise * share[i];
        double bottom = bottomCur + bottomRise * share[i];
        top = top < ya ? ya : top; // std::max(top, ya)
        bottom = bottom < ya ? ya : bottom;
        const double y = (top + bottom) / 2, area = (top - bottom) * w;
        const double unit = area * unitWeight;
        weight[i] += in ? unit : 0.0;
        effective[i] += in ? area * effectiveWeight : 0.0;
        momentY[i] += in ? unit * y : 0.0;
        if constexpr (Base)
            baseArea[i] = in ? area : baseArea[i];
        else
            side[i] += in ? area * sideWeight : 0.0;
        if constexpr (Heights) {
            const double high = highest[i], low = lowest[i];
            highest[i] = (in & (high < top)) ? top : high;
            lowest[i] = (in & (bottom < low)) ? bottom : low;
        }
    }
}

} // namespace

KELTORA_VECTOR_CLONES
void addChunkColumns(SliceChunk& chunk, std::size_t n, const PreparedBlock& b,
                     const ColumnExtent& extent, const BlockWeights& weights, bool base,
                     bool heights)
{
    if (base && heights)
        chunkColumns<true, true>(chunk, n, b, extent, weights);
    else if (base)
        chunkColumns<true, false>(chunk, n, b, extent, weights);
    else if (heights)
        chunkColumns<false, true>(chunk, n, b, extent, weights);
    else
        chunkColumns<false, false>(chunk, n, b, extent, weights);
}

KELTORA_VECTOR_CLONES
void sliceChunkGeometry(SliceChunk& chunk, std::size_t n, double cx, double cy, double rr,
                        bool clear, double cur, double prev)
{
    chunk.cx = cx;
    chunk.cy = cy;
    chunk.rr = rr;
    if (clear)
        chunkGeometry<true>(chunk, n, cx, cy, rr, cur, prev);
    else
        chunkGeometry<false>(chunk, n, cx, cy, rr, cur, prev);
}

} // namespace keltora
