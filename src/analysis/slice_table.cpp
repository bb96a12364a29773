// Recording the slices of one circle: the search's slice terms wrapped so that every slice
// is kept with its geometry, loads and moments.
#include "analysis/slice_table.h"

#include <cmath>
#include <numbers>

#include "analysis/bishop.h"
#include "analysis/circle_slices.h"
#include "analysis/slice_walk.h"
#include "geometry/block_polygons.h"

namespace keltora {
namespace {

constexpr double kSameEnd = 1e-9; // mass ends recomputed from the same circle are equal

double degrees(double radians)
{
    return radians * 180.0 / std::numbers::pi;
}

SliceRow rowOf(const PreparedSection& section, const SliceGeometry& g)
{
    const SliceLoads loads = sliceLoads(section, g);
    const PreparedBlock& b = section.blocks[static_cast<std::size_t>(g.baseBlock)];
    SliceRow r;
    r.x = (g.x1 + g.x2) / 2;
    r.width = g.w;
    r.weight = loads.weight;
    r.baseAngle = degrees(std::atan2(g.y1 - g.y2, g.x1 - g.x2));
    r.baseLength = loads.length;
    r.cohesion = loads.cohesion;
    r.friction = degrees(std::atan(b.tanPhi));
    r.block = b.slot;
    return r;
}

// One mass as it was walked: its slices and, once finished, its record and direction.
struct WalkedMass {
    std::vector<SliceRow> rows;
    std::vector<double> mdw; // the weight term of each slice before the direction sign
    std::vector<BishopSliceTerms> bishop;
    SlipResult record;
    int sign = 1;
};

class RecordingTerms final : public SliceTerms {
  public:
    RecordingTerms(const PreparedSection& s, bool bishop, bool modified, double mry)
        : s_(s), bishop_(bishop), modified_(modified), mry_(mry)
    {
    }

    void addSlice(const SliceGeometry& g, MassState& mass) override
    {
        SliceRow row = rowOf(s_, g);
        SlipResult& r = mass.rec;
        if (bishop_) {
            const BishopDriving d = writeBishopSlice(s_, g, modified_, current_.bishop);
            r.mdw += d.mdw;
            r.mdh += d.mdh;
            r.mdk += d.mdk;
            current_.mdw.push_back(d.mdw);
            row.driving = d.mdk + d.mdh;
        } else {
            const FelleniusSliceTerms t = felleniusSlice(s_, g);
            r.mrf += t.mrf;
            r.mrc += t.mrc;
            r.mdw += t.mdw;
            r.mdh += t.mdh;
            r.mdk += t.mdk;
            current_.mdw.push_back(t.mdw);
            row.resisting = t.mrf + t.mrc;
            row.driving = t.mdk + t.mdh;
        }
        current_.rows.push_back(row);
    }

    void finishMass(MassState& mass, std::vector<EvaluatedMass>& out) override
    {
        BishopIteration iteration;
        const int sign = bishop_ ? finishBishopMass(s_, mass, current_.bishop, &iteration)
                                 : finishFelleniusMass(s_, mass, mry_);
        out.push_back({mass.rec, sign});
        current_.record = mass.rec;
        current_.sign = sign;
        // The direction turns the weight terms (the walk negates mdw for a slip to the
        // right); the Bishop resisting terms take the trial factor of the iteration's last
        // pass, so that they add up to the mass's mr.
        const double trial = bishop_ ? lastTrial(mass.rec.mr, iteration.f1) : 0.0;
        for (std::size_t i = 0; i < current_.rows.size(); ++i) {
            current_.rows[i].driving += sign * current_.mdw[i];
            if (bishop_ && i < current_.bishop.size())
                current_.rows[i].resisting = resistingTerm(current_.bishop[i], trial);
        }
        masses.push_back(std::move(current_));
        current_ = WalkedMass{};
    }

    std::vector<WalkedMass> masses;

  private:
    static double resistingTerm(const BishopSliceTerms& t, double f)
    {
        const double m = t.cosTerm + (f != 0.0 ? t.absTerm / f : 0.0);
        return m != 0.0 ? t.numerator / m : 0.0;
    }

    // The trial factor f0 of the last pass: the pass ended within kBishopConverged of its
    // result f1, and its resisting sum is mr, which grows with f0; found by halving the
    // interval around f1. f1 itself when the sum does not reach mr there.
    double lastTrial(double mr, double f1) const
    {
        auto sum = [this](double f) {
            double total = 0.0;
            for (const BishopSliceTerms& t : current_.bishop)
                total += resistingTerm(t, f);
            return std::fabs(total);
        };
        double lo = f1 - 2 * kBishopConverged, hi = f1 + 2 * kBishopConverged;
        if (!(lo > 0.0) || !std::isfinite(f1)) return f1;
        const bool rising = sum(hi) >= sum(lo);
        if ((sum(lo) - mr) * (sum(hi) - mr) > 0.0) return f1;
        for (int i = 0; i < 80; ++i) {
            const double mid = (lo + hi) / 2;
            if ((sum(mid) < mr) == rising)
                lo = mid;
            else
                hi = mid;
        }
        return (lo + hi) / 2;
    }

    const PreparedSection& s_;
    bool bishop_, modified_;
    double mry_;
    WalkedMass current_;
};

bool sameEnds(const SlipResult& a, const SlipResult& b)
{
    return std::fabs(a.sx - b.sx) < kSameEnd && std::fabs(a.sy - b.sy) < kSameEnd &&
           std::fabs(a.ex - b.ex) < kSameEnd && std::fabs(a.ey - b.ey) < kSameEnd;
}

} // namespace

SliceTable criticalSliceTable(const SlopeModel& model, const SlipResult& critical)
{
    SliceTable table;
    const int method = model.conditions.method;
    const bool bishop = method == kMethodBishop || method == kMethodBishopModified;
    if (!bishop && method != kMethodFellenius && method != kMethodTschebotarioff) return table;
    const PolygonTable polygons = buildPolygonTable(model);
    std::vector<EvaluatedMass> out;
    std::vector<WalkedMass> masses;
    const int grid = critical.grid >= 1 ? critical.grid - 1 : 0;
    if (bishop) {
        const BishopEvaluator ev(model, polygons);
        RecordingTerms terms(ev.section(), true, ev.modified(), 0.0);
        walkCircle(ev.section(), grid, critical.cx, critical.cy, critical.rr,
                   ev.buildSliceBreaks(critical.cx), terms, out);
        masses = std::move(terms.masses);
    } else {
        const FelleniusEvaluator ev(model, polygons);
        const double mry =
            sheetPileMoment(ev.section().sheetPile, critical.cx, critical.cy, critical.rr);
        RecordingTerms terms(ev.section(), false, false, mry);
        walkCircle(ev.section(), grid, critical.cx, critical.cy, critical.rr,
                   ev.buildSliceBreaks(critical.cx), terms, out);
        masses = std::move(terms.masses);
    }
    for (WalkedMass& m : masses) {
        if (m.rows.empty() || !sameEnds(m.record, critical)) continue;
        table.found = true;
        table.rows = std::move(m.rows);
        table.mass = m.record;
        for (const SliceRow& r : table.rows) {
            table.sumResisting += r.resisting;
            table.sumDriving += r.driving;
        }
        break;
    }
    return table;
}

} // namespace keltora
