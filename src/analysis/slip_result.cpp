// Truncation of the factor of safety and the dump lines of a stored mass.
#include "analysis/slip_result.h"

#include <cmath>

#include "model/c_format.h"

namespace keltora {

double cutSafetyFactor(double ratio, int decimals)
{
    // 10^0 .. 10^22 are exact doubles, as pow gives them.
    static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                         1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    const double p = decimals >= 0 && decimals <= 22 ? kPowers[decimals] : std::pow(10.0, decimals);
    const double guard = p < 100.0 ? 0.001 : 0.1 / p; // 2 decimals and more: 0.1/p as it was
    return std::floor(ratio * p + guard) / p;
}

double truncateSafetyFactor(double ratio, int decimals)
{
    const double f = cutSafetyFactor(ratio, decimals);
    // Also catches NaN, and infinity from a ratio or decimals that overflow. The lower
    // bound is judged on the ratio: a cut to 0 of a positive ratio is a factor of safety.
    if (!(ratio >= 0.0000001) || !(f >= 0.0) || std::isinf(f)) return kNoSafetyFactor;
    return f;
}

double safetyFactorFrom(double mr, double md, int decimals)
{
    if (!(std::fabs(md) > 0.00001)) return kNoSafetyFactor;
    return truncateSafetyFactor(mr / md, decimals);
}

std::string formatDumpRecord(const SlipResult& r)
{
    std::string s = cformat("cx,cy=%7.3f,%7.3f rr=%7.3f sx,sy=%7.3f,%7.3f ex,ey=%7.3f,%7.3f\n",
                            r.cx, r.cy, r.rr, r.sx, r.sy, r.ex, r.ey);
    s += cformat("                             csx,csy=%7.3f,%7.3f cex,cey=%7.3f,%7.3f\n", r.csx,
                 r.csy, r.cex, r.cey);
    s += cformat("      mrf=%10.3f mrc=%10.3f mry=%10.3f mr=%10.3f \n", r.mrf, r.mrc, r.mry, r.mr);
    s += cformat("      mdw=%10.3f mdh=%10.3f mdk=%10.3f md=%10.3f f=%5.3f\n", r.mdw, r.mdh, r.mdk,
                 r.md, r.f);
    return s;
}

} // namespace keltora
