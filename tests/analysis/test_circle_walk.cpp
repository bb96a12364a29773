// The walk lays slices between the slice breaks (centre x, terrain point x, edges of
// loaded surcharge strips), from the right, no wider than the slice width.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "analysis/circle_slices.h"

using namespace keltora;

namespace {

class RecordingTerms final : public SliceTerms {
  public:
    std::vector<SliceGeometry> slices;
    int finished = 0;
    void addSlice(const SliceGeometry& s, MassState&) override { slices.push_back(s); }
    void finishMass(MassState& m, std::vector<EvaluatedMass>& out) override
    {
        ++finished;
        out.push_back({m.rec, 1});
    }
};

} // namespace

TEST(CircleWalk, SlicesFollowTheBreaks)
{
    // The published slope (crest 0..60 at y 60, slope to (140, 20), toe to 180) with a
    // surcharge strip 90..110 loaded 10 at its left end, and a second strip 20..40 whose
    // load at Xmin is 0 (no breaks from it).
    auto m = std::make_unique<SlopeModel>();
    resetModel(*m);
    for (auto [x, y] : std::initializer_list<std::pair<double, double>>{
             {0, 0}, {180, 0}, {180, 20}, {140, 20}, {60, 60}, {0, 60}})
        addPoint(*m, x, y);
    for (int i = 0; i < 6; ++i)
        addLine(*m, kBoundaryLine, i, (i + 1) % 6);
    SoilBlock b;
    b.seed = {50, 30};
    b.unitWeight = b.effectiveUnitWeight = 120;
    b.baseCohesion = 600;
    addBlock(*m, b);
    CalcConditions& c = m->conditions;
    c.surchargeXmin = {90, 20, 0};
    c.surchargeXmax = {110, 40, 0};
    c.surchargeQmin = {10, 0, 0};
    c.surchargeQmax = {10, 5, 0};
    c.sliceWidth = 0.75;

    const PreparedSection s(*m, buildPolygonTable(*m));
    const SliceBreaks breaks = s.sliceBreaks(120.5);
    EXPECT_EQ(breaks, (SliceBreaks{180, 140, 120.5, 110, 90, 60, 0, kBreakSentinel}));

    RecordingTerms terms;
    std::vector<EvaluatedMass> out;
    const long n = walkCircle(s, 0, 120.5, 90, 80, breaks, terms, out);
    ASSERT_EQ(terms.finished, 1);
    ASSERT_EQ(static_cast<long>(terms.slices.size()), n);
    const auto& sl = terms.slices;
    // From the right, contiguous, never across a break, never wider than 0.75; slices of
    // neighbouring sub-intervals meet within the drift of the repeated subtraction.
    for (size_t i = 0; i < sl.size(); ++i) {
        EXPECT_GT(sl[i].x1, sl[i].x2);
        EXPECT_LE(sl[i].x1 - sl[i].x2, 0.75 + 1e-12);
        if (i > 0) {
            EXPECT_NEAR(sl[i].x1, sl[i - 1].x2, 1e-9);
        }
        for (double x : breaks) {
            EXPECT_FALSE(sl[i].x2 < x - 1e-9 && x + 1e-9 < sl[i].x1) << x;
        }
    }
    EXPECT_DOUBLE_EQ(sl.front().x1, out[0].record.sx);
    EXPECT_NEAR(sl.back().x2, out[0].record.ex, 1e-9);
    // Between the breaks 110 and 120.5: m = ceil(10.5/0.75) = 14 slices of exactly 0.75;
    // between 90 and 110: ceil(20/0.75) = 27 slices of 20/27.
    int inUpper = 0, inLower = 0;
    for (const auto& g : sl) {
        if (g.x2 >= 110 - 1e-9 && g.x1 <= 120.5 + 1e-9) ++inUpper;
        if (g.x2 >= 90 - 1e-9 && g.x1 <= 110 + 1e-9) {
            ++inLower;
            EXPECT_NEAR(g.x1 - g.x2, 20.0 / 27, 1e-9);
        }
    }
    EXPECT_EQ(inUpper, 14);
    EXPECT_EQ(inLower, 27);
}
