// The geometry of a chunk of slices, worked out together so that the compiler turns the
// loops into vector operations (this file is compiled with -fno-trapping-math, without
// which GCC does not turn the comparisons into vector selects; no value changes by it).
#include <cmath>

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
    for (std::size_t i = 0; i < n; ++i) {
        const double xm = (x[i] + x[i + 1]) / 2;
        yMid[i] = arcAt<Clear>(cx, cy, rr, xm);
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
}

} // namespace

KELTORA_VECTOR_CLONES
void sliceChunkGeometry(SliceChunk& chunk, std::size_t n, double cx, double cy, double rr,
                        bool clear, double cur, double prev)
{
    if (clear)
        chunkGeometry<true>(chunk, n, cx, cy, rr, cur, prev);
    else
        chunkGeometry<false>(chunk, n, cx, cy, rr, cur, prev);
}

} // namespace keltora
