// The chunk loops of the circle walk (vector code, built for AVX and the baseline) against
// the slice-by-slice formulas they replace: every value must be the same to the last bit,
// or the dumps and factors of safety would move with the processor or the compiler flags.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <random>

#include "analysis/slice_walk.h"

using namespace keltora;

namespace {

std::uint64_t bits(double v)
{
    return std::bit_cast<std::uint64_t>(v);
}

// Lays n slices of width w from `prev` to the left as the walk does (by repeated
// subtraction) and works out the chunk's geometry.
std::size_t layChunk(SliceChunk& c, double cx, double cy, double rr, double prev, double cur,
                     double w, bool clear)
{
    double x = prev;
    const std::size_t n = layChunk(c, x, cur, w);
    sliceChunkGeometry(c, n, cx, cy, rr, clear, cur, prev);
    return n;
}

} // namespace

TEST(SliceChunk, GeometryIsTheSliceBySliceArithmeticBitForBit)
{
    std::mt19937_64 rng(20261210);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    int tangent = 0;
    for (int round = 0; round < 4000; ++round) {
        const double cx = -50 + 100 * u(rng), cy = -20 + 60 * u(rng), rr = 0.5 + 40 * u(rng);
        // Sub-intervals anywhere across the circle, some reaching its sides (the tangency
        // rule), some with a width of a few rounding steps at the end.
        const double a = cx - rr + 2 * rr * u(rng), b = cx - rr + 2 * rr * u(rng);
        double prev = std::max(a, b), cur = std::min(a, b);
        if (round % 10 == 1) prev = cx + rr + 1e-5 * (u(rng) - 0.5); // at the right side
        if (round % 10 == 2) cur = cx - rr + 1e-5 * (u(rng) - 0.5);  // and the left
        if (!(prev > cur + kTolLoop)) continue;
        const double m = std::max(1.0, std::ceil((prev - cur) / (0.05 + u(rng))));
        const double w = (prev - cur) / m;
        const double widest = std::max(std::fabs((cur - w) - cx), std::fabs(prev - cx));
        const bool clear = rr - widest >= kTolCoincident;
        SliceChunk c;
        const std::size_t n = layChunk(c, cx, cy, rr, prev, cur, w, clear && round % 2 == 0);
        for (std::size_t i = 0; i <= n; ++i) {
            ASSERT_EQ(bits(c.y[i]), bits(arcHeight(cx, cy, rr, c.x[i]))) << round << " " << i;
            if (std::fabs(rr - std::fabs(c.x[i] - cx)) < kTolCoincident) ++tangent;
        }
        for (std::size_t i = 0; i < n; ++i) {
            const double x1 = c.x[i], y1 = c.y[i], x2 = c.x[i + 1], y2 = c.y[i + 1];
            const double xm = (x1 + x2) / 2;
            ASSERT_EQ(bits(c.xMid[i]), bits(xm));
            ASSERT_EQ(bits(c.yMid[i]), bits((y1 + y2) / 2));
            ASSERT_EQ(bits(c.yArc[i]), bits(arcHeight(cx, cy, rr, xm)));
            ASSERT_EQ(bits(c.t[i]), bits((xm - cur) / (prev - cur)));
            const BaseChord chord = baseChord(x1, y1, x2, y2);
            ASSERT_EQ(bits(c.length[i]), bits(chord.length)) << round << " " << i;
            ASSERT_EQ(bits(c.sinTheta[i]), bits(chord.sinTheta));
            ASSERT_EQ(bits(c.cosTheta[i]), bits(chord.cosTheta));
            ASSERT_EQ(c.weight[i], 0.0);
            ASSERT_EQ(c.top[i], kFarAbove);
        }
    }
    EXPECT_GT(tangent, 0); // the tangency rule was met

    // A chord too short for its square to be a number: no length, angle 0.
    SliceChunk c;
    c.x[0] = 1e-200;
    c.x[1] = 0.0;
    sliceChunkGeometry(c, 1, 1e6, 0.0, 1.0, false, 0.0, 1e-200);
    EXPECT_EQ(c.length[0], 0.0);
    EXPECT_EQ(bits(c.sinTheta[0]), bits(0.0));
    EXPECT_EQ(c.cosTheta[0], 1.0);
}

TEST(SliceChunk, ColumnsAreTheWalksColumnByColumnSumsBitForBit)
{
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    for (int round = 0; round < 2000; ++round) {
        const double cx = 10 * u(rng), cy = 30 + 10 * u(rng), rr = 25 + 10 * u(rng);
        const double prev = cx + 5 + 10 * u(rng), cur = prev - 0.5 - 8 * u(rng);
        SliceChunk c;
        const std::size_t n = layChunk(c, cx, cy, rr, prev, cur, 0.1 + 0.2 * u(rng), false);
        const bool heights = round % 3 != 0;
        // Three blocks in block order, their boxes covering part of the slices only; the
        // second is the base block.
        struct Block {
            PreparedBlock b;
            ColumnExtent e;
            BlockWeights f;
        } blocks[3];
        for (Block& k : blocks) {
            k.b.xmin = cur - 1 + 3 * u(rng);
            k.b.xmax = k.b.xmin + 2 + 10 * u(rng);
            k.b.ymax = cy - rr + 30 * u(rng);
            k.e = {cy - rr + 20 * u(rng), 4 * u(rng) - 2, cy - rr + 10 * u(rng) - 5,
                   4 * u(rng) - 2};
            k.f = {15 + 5 * u(rng), 5 + 5 * u(rng), 3 * u(rng)};
        }
        for (int k = 0; k < 3; ++k)
            addChunkColumns(c, n, blocks[k].b, blocks[k].e, blocks[k].f, k == 1, heights);
        for (std::size_t i = 0; i < n; ++i) {
            // The walk's columns of slice i, one block after the other.
            double weight = 0, effective = 0, momentY = 0, baseArea = 0, side = 0;
            double top = kFarAbove, bottom = kFarBelow;
            for (int k = 0; k < 3; ++k) {
                const Block& blk = blocks[k];
                const double xm = c.xMid[i], ym = c.yMid[i], ya = c.yArc[i];
                if (!(blk.b.xmin <= xm && xm <= blk.b.xmax && blk.b.ymax >= ym)) continue;
                const double t = c.t[i];
                const double ct = std::max(blk.e.topCur + blk.e.topRise * t, ya);
                const double cb = std::max(blk.e.bottomCur + blk.e.bottomRise * t, ya);
                const double y = (ct + cb) / 2, area = (ct - cb) * c.w;
                weight += area * blk.f.unit;
                effective += area * blk.f.effective;
                momentY += area * blk.f.unit * y;
                if (k == 1)
                    baseArea = area;
                else
                    side += area * blk.f.side;
                top = std::max(top, ct);
                bottom = std::min(bottom, cb);
            }
            ASSERT_EQ(bits(c.weight[i]), bits(weight)) << round << " " << i;
            ASSERT_EQ(bits(c.effective[i]), bits(effective));
            ASSERT_EQ(bits(c.momentY[i]), bits(momentY));
            ASSERT_EQ(bits(c.baseArea[i]), bits(baseArea));
            ASSERT_EQ(bits(c.side[i]), bits(side));
            if (heights) {
                ASSERT_EQ(c.top[i], top);
                ASSERT_EQ(c.bottom[i], bottom);
            }
        }
    }
}
