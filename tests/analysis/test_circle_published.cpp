// The factor of safety of one circle against a published example (Fredlund & Krahn 1977,
// "Comparison of slope stability methods of analysis", Can. Geotech. J. 14(3), dry case)
// checked by an independent integration.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "analysis/circle_slices.h"

using namespace keltora;

namespace {

// Ground (0,60)-(60,60)-(140,20)-(180,20), base at 0; one block c = 600, phi = 20,
// gamma = gamma' = 120 (ft, psf, pcf).
std::unique_ptr<SlopeModel> fredlundKrahn()
{
    auto m = std::make_unique<SlopeModel>();
    resetModel(*m);
    addPoint(*m, 0, 0);
    addPoint(*m, 180, 0);
    addPoint(*m, 180, 20);
    addPoint(*m, 140, 20);
    addPoint(*m, 60, 60);
    addPoint(*m, 0, 60);
    for (int i = 0; i < 6; ++i)
        addLine(*m, kBoundaryLine, i, (i + 1) % 6);
    SoilBlock b;
    b.seed = {50, 30};
    b.unitWeight = 120;
    b.effectiveUnitWeight = 120;
    b.baseCohesion = 600;
    b.frictionAngle = 20;
    addBlock(*m, b);
    m->felleniusCircle.direction = 1;
    return m;
}

std::vector<EvaluatedMass> evaluate(const SlopeModel& m, double cx, double cy, double rr)
{
    const PolygonTable t = buildPolygonTable(m);
    const FelleniusEvaluator ev(m, t);
    std::vector<EvaluatedMass> out;
    ev.evaluateCircle(0, cx, cy, rr, ev.buildSliceBreaks(cx), out);
    return out;
}

} // namespace

TEST(CirclePublished, FredlundKrahnDryOrdinaryMethod)
{
    auto m = fredlundKrahn();
    const auto out = evaluate(*m, 120, 90, 80);
    ASSERT_EQ(out.size(), 1u);
    const SlipResult& r = out[0].record;
    // The paper's ordinary method of slices: 1.928.
    EXPECT_NEAR(r.f, 1.928, 0.002);
    // A fine independent integration (200000 strips) of the same circle gives
    // mrf = 6611878.5, mrc = 80*600*arc = 6496358.6, weight moment 6800000.0, ratio
    // 1.92768; the 0.1 m slices agree to a few parts in a million and cut to 1.927.
    EXPECT_NEAR(r.mrf, 6611878.5, 20.0);
    EXPECT_NEAR(r.mrc, 6496358.6, 20.0);
    EXPECT_NEAR(r.mdw, 6800000.0, 20.0);
    EXPECT_DOUBLE_EQ(r.f, 1.927);
    EXPECT_EQ(out[0].directionSign, -1); // the mass slides to the right
    EXPECT_GT(r.md, 0.0);
    EXPECT_EQ(r.grid, 1);
    // Ends: the circle leaves the crest where it meets y = 60 left of the centre and
    // the toe at y = 20 right of it: x = 120 - sqrt(80^2 - 30^2), 120 + sqrt(80^2 - 70^2).
    EXPECT_NEAR(r.ex, 120 - std::sqrt(80.0 * 80 - 30 * 30), 1e-6);
    EXPECT_NEAR(r.ey, 60, 1e-6);
    EXPECT_NEAR(r.sx, 120 + std::sqrt(80.0 * 80 - 70 * 70), 1e-6);
    EXPECT_NEAR(r.sy, 20, 1e-6);
}
