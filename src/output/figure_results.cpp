// Mapping the stored results of a run onto the figure's input.
#include "output/figure_results.h"

namespace keltora {

FigureResults figureResultsFrom(const SlopeModel& model, const CalculationResults& r)
{
    FigureResults out;
    out.valid = r.validFlag == kResultsValid && r.hasCritical;
    out.method = model.conditions.method;
    out.critical = r.critical;
    const int grid = r.critical.grid;
    if (grid >= 1 && grid <= kMaxGrids)
        out.directionSign = r.minima[static_cast<std::size_t>(grid - 1)].directionSign;
    out.labels.reserve(r.labels.size());
    for (const SafetyLabel& s : r.labels)
        out.labels.push_back({s.f, s.cx, s.cy, s.x, s.y, s.sx, s.sy, s.ex, s.ey, s.csx, s.csy,
                              s.cex, s.cey, s.rr, s.drawFlag, s.grid, s.showCircle});
    return out;
}

} // namespace keltora
