// The slices of one critical circle with their terms, for the report's summary: the same
// walk and slice terms as the search, recorded slice by slice instead of only summed.
#pragma once

#include <string>
#include <vector>

#include "analysis/slip_result.h"
#include "model/model.h"

namespace keltora {

// One slice of a sliding mass. Moments about the circle centre (kNm/m).
struct SliceRow {
    double x = 0.0;          // middle of the slice's base (m)
    double width = 0.0;      // b (m)
    double weight = 0.0;     // W, the weight of the block columns above the base (kN/m)
    double baseAngle = 0.0;  // alpha of the base chord (degrees), positive rising to the right
    double baseLength = 0.0; // l (m)
    double cohesion = 0.0;   // c at the base (kN/m2)
    double friction = 0.0;   // phi of the base block (degrees)
    double resisting = 0.0;  // the slice's share of mr (Fellenius: mrf + mrc; Bishop: the
                             // resisting term with the final factor of safety)
    double driving = 0.0;    // the slice's share of md by weight, surcharge and seismic force
    int block = -1;          // number of the base block
};

struct SliceTable {
    bool found = false;         // the mass of the critical result was met again
    std::vector<SliceRow> rows; // from the right end of the mass to the left
    double sumResisting = 0.0, sumDriving = 0.0;
    SlipResult mass; // the mass as evaluated (mr, md without the sheet pile moment)
};

// The slices of the mass of circle (critical.cx, critical.cy, critical.rr) whose ends are
// those of `critical`, by the section's circular method (modified Fellenius /
// Tschebotarioff or simplified Bishop). Not found for straight slips or when no mass of
// that circle matches.
SliceTable criticalSliceTable(const SlopeModel& model, const SlipResult& critical);

} // namespace keltora
