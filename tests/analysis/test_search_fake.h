// A synthetic per-circle evaluation for the search tests: every circle yields the masses
// that a function of (cx, cy, rr) describes, so grid order, minima, ties and extension
// can be checked against hand-known values.
#pragma once

#include <cmath>
#include <functional>
#include <vector>

#include "analysis/circle_evaluator.h"

namespace keltora::test {

class FakeEvaluator : public CircleEvaluator {
  public:
    // f of mass k (0-based) of circle (cx, cy, rr); NaN = no such mass.
    using MassFunction = std::function<double(double cx, double cy, double rr, int k)>;

    explicit FakeEvaluator(MassFunction f, int massesPerCircle = 1)
        : f_(std::move(f)), masses_(massesPerCircle)
    {
    }

    SliceBreaks buildSliceBreaks(double cx) const override { return {cx, -99999999.9}; }

    void evaluateCircle(int grid, double cx, double cy, double rr, const SliceBreaks& breaks,
                        std::vector<EvaluatedMass>& out) const override
    {
        (void)breaks;
        for (int k = 0; k < masses_; ++k) {
            const double f = f_(cx, cy, rr, k);
            if (std::isnan(f)) continue;
            EvaluatedMass m;
            SlipResult& r = m.record;
            r.grid = grid + 1;
            r.cx = r.cx2 = cx;
            r.cy = r.cy2 = cy;
            r.rr = rr;
            r.sx = r.csx = cx + 0.8 * rr - k;
            r.sy = r.csy = cy - 0.6 * rr;
            r.ex = r.cex = cx - 0.8 * rr + k;
            r.ey = r.cey = cy - 0.6 * rr;
            r.md = r.mdw = 1000.0;
            r.mr = r.mrc = f * 1000.0;
            r.f = f;
            m.directionSign = k == 0 ? 1 : -1;
            out.push_back(m);
        }
    }

  private:
    MassFunction f_;
    int masses_;
};

// A mass without slices: ends never moved (the store drops it).
inline EvaluatedMass emptyMass(int grid, double cx, double cy, double rr)
{
    EvaluatedMass m;
    m.record.grid = grid + 1;
    m.record.cx = cx;
    m.record.cy = cy;
    m.record.rr = rr;
    m.record.sx = -999999.9;
    m.record.ex = 999999.9;
    return m;
}

} // namespace keltora::test
