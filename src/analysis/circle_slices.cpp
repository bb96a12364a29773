// The modified Fellenius slice terms and mass finishing, and the evaluator of one circle.
#include "analysis/circle_slices.h"

#include <cmath>

#include "analysis/slice_walker.h"
#include "analysis/vector_clones.h"

namespace keltora {

namespace {

// The unit weights of a block in the Fellenius column sums.
BlockWeights felleniusWeights(const PreparedBlock& b)
{
    return {b.gamma, b.gammaEff, b.sideWeight};
}

ColumnSums columnSums(const PreparedSection& section, const SliceGeometry& g)
{
    return listedColumnSums(section, g, felleniusWeights);
}

// The slice loads without the centroid division (weightY holds the unnormalised moment
// sum): the walk's terms need the centroid only for a seismic coefficient other than 0.
[[gnu::always_inline]] inline SliceLoads loadsOf(const PreparedSection& section,
                                                 const SliceGeometry& g, const ColumnSums& cw)
{
    const PreparedBlock& kb = section.blocks[static_cast<size_t>(g.baseBlock)];
    SliceLoads s;
    const BaseChord chord = baseChord(g);
    s.length = chord.length;
    s.sinTheta = chord.sinTheta;
    s.cosTheta = chord.cosTheta;

    const double z0 = section.cohesionReferenceHeight(g.x1, g.x2);
    s.cohesion = (z0 - (g.y1 + g.y2) / 2) * kb.cohesionGradient + kb.baseCohesion;

    s.weight = cw.weight;
    s.effectiveWeight = cw.effective;
    s.weightY = cw.momentY;
    s.baseArea = cw.baseArea;
    s.sideWeight = cw.side;
    s.surcharge = section.surchargeLoad(g.x1, g.x2, g.strips);
    return s;
}

[[gnu::always_inline]] inline FelleniusSliceTerms
termsOf(const PreparedSection& section, const SliceGeometry& g, const ColumnSums& cw)
{
    const PreparedBlock& kb = section.blocks[static_cast<size_t>(g.baseBlock)];
    const CalcConditions& c = section.conditions;
    const double kh = c.seismicCoefficient;
    const double rr = g.rr;
    const SliceLoads s = loadsOf(section, g, cw);
    const double l = s.length, coh = s.cohesion, sinT = s.sinTheta, cosT = s.cosTheta;
    const double w = s.weight, we = s.effectiveWeight;
    const double ak = s.baseArea, side = s.sideWeight, q = s.surcharge;

    FelleniusSliceTerms t;
    if (!kb.sandPiles) {
        const double tanPhi = kb.tanPhi;
        // Without a seismic coefficient e is |+-0| = +0 (every factor is finite).
        const double e = kh == 0.0                   ? 0.0
                         : c.seismicOnSurcharge == 1 ? std::fabs((w + q) * rr * kh * sinT * tanPhi)
                                                     : std::fabs(rr * kh * w * sinT * tanPhi);
        t.mrf = (we + q) * rr * cosT * tanPhi - e;
        t.mrc = rr * coh * l;
    } else {
        const double as = kb.pileRatio, n = kb.shareRatio, ws = kb.pileUnitWeight;
        const double den = (n - 1) * as + 1;
        // A zero denominator (n = 0 with As = 1) would make the share ratio infinite:
        // such a pile carries nothing.
        const double mus = den != 0.0 ? n / den : 0.0;
        const double ts = kb.tanPhiS;
        const double gm = ws * as + (1 - as) * kb.effectiveUnitWeight;
        const double wE = c.seismicOnSurcharge == 1 ? w + q : w;
        switch (c.sandPileFormula) {
        case 0:
            t.mrf = (ws * ak + mus * (side + q)) * rr * as * ts * cosT -
                    std::fabs(wE * rr * kh * as * sinT * ts);
            t.mrc = (1 - as) * rr * coh * l;
            break;
        case 1:
            t.mrf = (gm * ak + side + q) * rr * mus * as * ts * cosT -
                    std::fabs(wE * rr * kh * mus * as * sinT * ts);
            t.mrc = (1 - as) * rr * coh * l;
            break;
        case 2:
            t.mrf = (gm * ak + side + q) * rr * ts * cosT - std::fabs(wE * rr * kh * sinT * ts);
            t.mrc = 0.0;
            break;
        default:
            t.mrf = (gm * ak + side + q) * rr * mus * as * ts * cosT -
                    std::fabs(wE * rr * kh * mus * as * sinT * ts);
            t.mrc = 0.0;
            break;
        }
    }
    t.mdw = (w + q) * rr * sinT;
    // Without a seismic coefficient the term is +-0, which leaves the mass's sum at +0:
    // the centroid's division is spared.
    t.mdk = kh != 0.0 ? (g.cy - centroidY(w, s.weightY)) * kh * w : 0.0;
    t.mdh = 0.0;
    return t;
}

// The terms of a chunk's slices on a base block without sand piles, as termsOf gives them
// slice by slice: the four moments.
struct FelleniusChunk {
    static constexpr std::size_t kSlices = SliceChunk::kSlices;
    double mrf[kSlices], mrc[kSlices], mdw[kSlices], mdk[kSlices];
};

template <bool Seismic>
[[gnu::always_inline]] inline void felleniusChunkLoop(const SliceChunk& c, std::size_t n,
                                                      const ChunkInputs& in, FelleniusChunk& t)
{
    const double rr = c.rr, cy = c.cy, kh = in.kh, tanPhi = in.tanPhi;
    const double gradient = in.gradient, cohesion = in.cohesion, z0c = in.z0;
    const bool z0PerSlice = in.z0PerSlice, loaded = in.loaded, onSurcharge = in.onSurcharge;
    for (std::size_t i = 0; i < n; ++i) {
        const double l = c.length[i], sinT = c.sinTheta[i], cosT = c.cosTheta[i];
        const double w = c.weight[i], we = c.effective[i];
        const double q = loaded ? in.q[i] : 0.0;
        const double z0 = z0PerSlice ? in.z0s[i] : z0c;
        const double coh = (z0 - c.yMid[i]) * gradient + cohesion; // yMid = (y1 + y2) / 2
        double e = 0.0;
        if constexpr (Seismic)
            e = onSurcharge ? std::fabs((w + q) * rr * kh * sinT * tanPhi)
                            : std::fabs(rr * kh * w * sinT * tanPhi);
        t.mrf[i] = (we + q) * rr * cosT * tanPhi - e;
        t.mrc[i] = rr * coh * l;
        t.mdw[i] = (w + q) * rr * sinT;
        if constexpr (Seismic)
            t.mdk[i] = (cy - centroidY(w, c.momentY[i])) * kh * w;
        else
            t.mdk[i] = 0.0;
    }
}

KELTORA_VECTOR_CLONES
void felleniusChunkTerms(const SliceChunk& c, std::size_t n, const ChunkInputs& in,
                         FelleniusChunk& t)
{
    // kh == 0 as termsOf tells it (a NaN coefficient is seismic there too).
    if (in.kh == 0.0)
        felleniusChunkLoop<false>(c, n, in, t);
    else
        felleniusChunkLoop<true>(c, n, in, t);
}

// Called by the walk directly (no virtual dispatch), so that the slice terms inline.
class FelleniusTerms {
  public:
    FelleniusTerms(const PreparedSection& s, double mry) : s_(s), mry_(mry) {}

    static BlockWeights blockWeights(const PreparedBlock& b) { return felleniusWeights(b); }

    // The terms of the chunk's slices at once, except on a base with sand piles (whose
    // slices take termsOf one by one).
    void prepareChunk(const SliceChunk& c, std::size_t n, int k, const std::vector<int>& strips)
    {
        const PreparedBlock& kb = s_.blocks[static_cast<size_t>(k)];
        chunkTerms_ = !kb.sandPiles;
        if (!chunkTerms_) return;
        prepareChunkInputs(s_, c, n, k, strips, inputs_);
        felleniusChunkTerms(c, n, inputs_, chunk_);
    }

    // Adds the terms of the chunk's first `count` slices to the mass in slice order (the
    // sums kept in registers meanwhile).
    [[gnu::always_inline]] void addSlices(MassState& mass, const SliceChunk& c, std::size_t count,
                                          int k, const std::vector<int>& strips)
    {
        SlipResult& r = mass.rec;
        double mrf = r.mrf, mrc = r.mrc, mdw = r.mdw, mdh = r.mdh, mdk = r.mdk;
        if (chunkTerms_) {
            for (std::size_t i = 0; i < count; ++i) {
                mrf += chunk_.mrf[i];
                mrc += chunk_.mrc[i];
                mdw += chunk_.mdw[i];
                mdh += 0.0;
                mdk += chunk_.mdk[i];
            }
        } else {
            for (std::size_t i = 0; i < count; ++i) {
                BaseChord chord;
                const SliceGeometry slice = chunkSlice(c, i, k, strips, chord);
                const FelleniusSliceTerms t = termsOf(s_, slice, columnSumsOf(c, i));
                mrf += t.mrf;
                mrc += t.mrc;
                mdw += t.mdw;
                mdh += t.mdh;
                mdk += t.mdk;
            }
        }
        r.mrf = mrf;
        r.mrc = mrc;
        r.mdw = mdw;
        r.mdh = mdh;
        r.mdk = mdk;
    }

    void finishMass(MassState& mass, std::vector<EvaluatedMass>& out)
    {
        const int sign = finishFelleniusMass(s_, mass, mry_);
        out.push_back({mass.rec, sign});
    }

  private:
    const PreparedSection& s_;
    double mry_;
    bool chunkTerms_ = false;
    ChunkInputs inputs_;
    FelleniusChunk chunk_;
};

} // namespace

SliceLoads sliceLoads(const PreparedSection& section, const SliceGeometry& g)
{
    SliceLoads s = loadsOf(section, g, columnSums(section, g));
    s.weightY = centroidY(s.weight, s.weightY);
    return s;
}

FelleniusSliceTerms felleniusSlice(const PreparedSection& section, const SliceGeometry& g)
{
    return termsOf(section, g, columnSums(section, g));
}

int finishFelleniusMass(const PreparedSection& section, MassState& mass, double mry)
{
    addEndWaterThrust(section, mass);
    addHorizontalForces(section, mass);
    const int sign = applyDirection(section, mass);
    SlipResult& r = mass.rec;
    r.mry = mry;
    r.mr = r.mrf + r.mrc;
    r.md = r.mdw + r.mdh + r.mdk;
    if (!mass.invalid) r.f = safetyFactorFrom(r.mr, r.md, section.decimals);
    return sign;
}

FelleniusEvaluator::FelleniusEvaluator(const SlopeModel& model, const PolygonTable& polygons)
    : section_(model, polygons)
{
}

SliceBreaks FelleniusEvaluator::buildSliceBreaks(double cx) const
{
    return section_.sliceBreaks(cx);
}

void FelleniusEvaluator::evaluateCircle(int grid, double cx, double cy, double rr,
                                        const SliceBreaks& breaks,
                                        std::vector<EvaluatedMass>& out) const
{
    evaluateCircleCounting(grid, cx, cy, rr, breaks, out);
}

long FelleniusEvaluator::evaluateRadii(int grid, double cx, double cy,
                                       const std::vector<double>& radii, const SliceBreaks& breaks,
                                       std::vector<EvaluatedMass>& out) const
{
    long slices = 0;
    for (double rr : radii)
        slices += evaluateCircleCounting(grid, cx, cy, rr, breaks, out);
    return slices;
}

long FelleniusEvaluator::evaluateCircleCounting(int grid, double cx, double cy, double rr,
                                                const SliceBreaks& breaks,
                                                std::vector<EvaluatedMass>& out) const
{
    const double mry = sheetPileMoment(section_.sheetPile, cx, cy, rr);
    FelleniusTerms terms(section_, mry);
    return walkCircleWith(section_, grid, cx, cy, rr, breaks, terms, out);
}

} // namespace keltora
