// The results of a calculation run as the calculation figure reads them.
#pragma once

#include "analysis/results.h"
#include "output/figure.h"

namespace keltora {

// Valid when the run's results-valid flag is 1 and it has a critical result. The slip
// direction is the one stored with the minimum of the critical result's grid.
FigureResults figureResultsFrom(const SlopeModel& model, const CalculationResults& results);

} // namespace keltora
