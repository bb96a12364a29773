// The walk over a circle's cut into masses and slices with their block columns, and the
// finishing steps shared by the circular methods.
#include "analysis/slice_walk.h"

#include <algorithm>
#include <cmath>

#include "analysis/slice_walker.h"
#include "geometry/primitives.h"

namespace keltora {

namespace {

constexpr double kNoEnd = 999999.9;

} // namespace

void resetMass(MassState& mass, int grid, double cx, double cy, double rr)
{
    SlipResult r;
    r.grid = grid + 1;
    r.cx = cx;
    r.cy = cy;
    r.rr = rr;
    r.cx2 = cx;
    r.cy2 = cy;
    r.sx = -kNoEnd;
    r.ex = kNoEnd;
    r.csx = -kNoEnd;
    r.cex = kNoEnd;
    r.sy = r.ey = r.csy = r.cey = 0.0;
    r.f = kNoSafetyFactor;
    r.valid = 1;
    mass.rec = r;
    mass.invalid = false;
    mass.top = kFarAbove;
    mass.bottom = kFarBelow;
}

void invalidateMass(MassState& mass)
{
    mass.invalid = true;
    mass.rec.f = kNoSafetyFactor;
    mass.rec.valid = 0; // stored so, it keeps its f when the critical result is rebuilt
}

long walkCircle(const PreparedSection& section, int grid, double cx, double cy, double rr,
                const SliceBreaks& breaks, SliceTerms& terms, std::vector<EvaluatedMass>& out)
{
    return walkCircleWith(section, grid, cx, cy, rr, breaks, terms, out);
}

void prepareChunkInputs(const PreparedSection& section, const SliceChunk& c, std::size_t n, int k,
                        const std::vector<int>& strips, ChunkInputs& in)
{
    const PreparedBlock& kb = section.blocks[static_cast<size_t>(k)];
    const CalcConditions& cc = section.conditions;
    in.kh = cc.seismicCoefficient;
    in.tanPhi = kb.tanPhi;
    in.gradient = kb.cohesionGradient;
    in.cohesion = kb.baseCohesion;
    in.onSurcharge = cc.seismicOnSurcharge == 1;
    in.z0PerSlice = cc.referenceMode == 1;
    if (in.z0PerSlice)
        for (std::size_t i = 0; i < n; ++i)
            in.z0s[i] = section.cohesionReferenceHeight(c.x[i], c.x[i + 1]);
    else
        in.z0 = section.cohesionReferenceHeight(c.x[0], c.x[0]);
    in.loaded = !strips.empty();
    if (in.loaded)
        for (std::size_t i = 0; i < n; ++i)
            in.q[i] = section.surchargeLoad(c.x[i], c.x[i + 1], &strips);
}

void addEndWaterThrust(const PreparedSection& section, MassState& mass)
{
    SlipResult& r = mass.rec;
    auto thrust = [&](const PreparedBlock& b, double x, double y) {
        VerticalExtent e = section.columnExtent(b, x);
        if (e.bottom < y) e.bottom = y;
        if (!(e.bottom < e.top)) return 0.0;
        const double h = e.top - e.bottom;
        return (r.cy - (e.top + 2 * e.bottom) / 3) * h * h * b.unitWeight * 0.5;
    };
    for (int k : section.waterPressureBlocks)
        r.mdw += thrust(section.blocks[static_cast<size_t>(k)], r.sx, r.sy);
    for (int k : section.waterPressureBlocks)
        r.mdw -= thrust(section.blocks[static_cast<size_t>(k)], r.ex, r.ey);
}

void addHorizontalForces(const PreparedSection& section, MassState& mass)
{
    SlipResult& r = mass.rec;
    const CalcConditions& c = section.conditions;
    for (size_t i = 0; i < 2; ++i)
        if (mass.bottom <= c.forceY[i] && c.forceY[i] <= mass.top)
            r.mdh += (r.cy - c.forceY[i]) * c.forceH[i];
    r.mdh += (r.cy - c.forceY[2]) * c.forceH[2];
}

int applyDirection(const PreparedSection& section, MassState& mass)
{
    int sign;
    if (section.direction == 1)
        sign = mass.rec.mdw >= 0.0 ? 1 : -1;
    else if (section.direction == 2)
        sign = -1;
    else
        sign = 1;
    if (sign < 0) mass.rec.mdw = -mass.rec.mdw;
    return sign;
}

} // namespace keltora
