// The cut of a circle passes over boundary edges by their boxes; every circle must still
// get exactly the crossing points of the full test of every edge, in the same order.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>

#include "analysis/slice_section.h"
#include "geometry/primitives.h"
#include "model/sdw_file.h"
#include "test_support.h"

using namespace keltora;

namespace {

// The cut's points as the full test of every edge finds them, ordered as the cut orders them.
std::vector<CutPoint> everyEdgeCut(const PreparedSection& s, double cx, double cy, double rr)
{
    std::vector<CutPoint> points;
    const Point2 centre{cx, cy};
    const Point2 r0{cx + rr, cy - kTolCoincident}, r1{cx + rr, cy + 9999.0};
    const Point2 l0{cx - rr, cy - kTolCoincident}, l1{cx - rr, cy + 9999.0};
    for (const BoundaryEdge& e : s.boundary) {
        Point2 p1, p2, q;
        const int st = segmentCircleCrossings(e.start, e.end, centre, rr, p1, p2);
        if ((st == 0 || st == 1) && p1.y < cy + kTolCoincident)
            points.push_back({p1.x, p1.y, e.startPoint, e.endPoint});
        if ((st == 0 || st == 2) && p2.y < cy + kTolCoincident)
            points.push_back({p2.x, p2.y, e.startPoint, e.endPoint});
        if (segmentIntersection(e.start, e.end, r0, r1, q) == 0)
            points.push_back({q.x, q.y, e.startPoint, e.endPoint});
        if (segmentIntersection(e.start, e.end, l0, l1, q) == 0)
            points.push_back({q.x, q.y, e.startPoint, e.endPoint});
    }
    combSort(points, [cx](const CutPoint& a, const CutPoint& b) {
        if (std::fabs(a.x - b.x) < kTolCoincident) {
            if (a.x > cx) return b.y > a.y + 0.000001;
            return b.y < a.y - 0.000001;
        }
        return b.x > a.x;
    });
    return points;
}

} // namespace

TEST(CircleCut, SkippedEdgesNeverHoldACrossing)
{
    // Random circles over each example, and the hard ones: through a vertex, touching an
    // edge's line, with a vertical side through a vertex, with the centre on an edge.
    std::mt19937_64 rng(20261209);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    long compared = 0, withPoints = 0;
    for (const char* name : {"benchmark.SDW", "yamagami_ueta.SDW", "quay_backfill.SDW",
                             "embankment.SDW", "verification/acads_1c.SDW"}) {
        auto model = std::make_unique<SlopeModel>();
        resetModel(*model);
        ASSERT_EQ(readDataFile(*model, test::examplesDir() / name).status, 0) << name;
        const PolygonTable polygons = buildPolygonTable(*model);
        const PreparedSection s(*model, polygons);
        ASSERT_FALSE(s.boundary.empty()) << name;
        double xmin = 1e300, xmax = -1e300, ymin = 1e300, ymax = -1e300;
        for (const BoundaryEdge& e : s.boundary)
            for (Point2 p : {e.start, e.end}) {
                xmin = std::min(xmin, p.x), xmax = std::max(xmax, p.x);
                ymin = std::min(ymin, p.y), ymax = std::max(ymax, p.y);
            }
        const double w = xmax - xmin, h = ymax - ymin;
        std::uniform_int_distribution<std::size_t> pick(0, s.boundary.size() - 1);
        for (int i = 0; i < 4000; ++i) {
            double cx = xmin - 0.3 * w + 1.6 * w * unit(rng);
            double cy = ymin - 0.2 * h + 2.5 * h * unit(rng);
            const BoundaryEdge& e = s.boundary[pick(rng)];
            const Point2 v = unit(rng) < 0.5 ? e.start : e.end;
            double rr = 0.05 * w + 1.5 * w * unit(rng);
            switch (i % 5) {
            case 1: rr = std::hypot(v.x - cx, v.y - cy); break;
            case 2: {
                const double d = lineDistance(e.start, e.end, {cx, cy});
                if (std::fabs(d) > 1e-6) rr = std::fabs(d);
                break;
            }
            case 3: rr = std::fabs(v.x - cx) > 1e-6 ? std::fabs(v.x - cx) : rr; break;
            case 4: {
                const double t = unit(rng);
                cx = e.start.x + t * (e.end.x - e.start.x);
                cy = e.start.y + t * (e.end.y - e.start.y);
                break;
            }
            default: break;
            }
            const std::vector<CutPoint> expected = everyEdgeCut(s, cx, cy, rr);
            const CircleCut cut = s.cutCircle(cx, cy, rr);
            ASSERT_EQ(cut.points.size(), expected.size()) << name << " circle " << i;
            for (std::size_t k = 0; k < expected.size(); ++k) {
                ASSERT_EQ(cut.points[k].x, expected[k].x) << name << " circle " << i;
                ASSERT_EQ(cut.points[k].y, expected[k].y) << name << " circle " << i;
                ASSERT_EQ(cut.points[k].startPoint, expected[k].startPoint);
                ASSERT_EQ(cut.points[k].endPoint, expected[k].endPoint);
            }
            ++compared;
            if (!expected.empty()) ++withPoints;
        }
    }
    EXPECT_GT(withPoints, compared / 2); // most circles do cut the sections
}
