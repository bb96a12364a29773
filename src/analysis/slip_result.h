// One stored sliding mass or slip line, the truncation rule of the factor of safety and
// the dump lines of a stored mass.
#pragma once

#include <string>

namespace keltora {

// The value that stands for "no factor of safety".
inline constexpr double kNoSafetyFactor = 999999.9;

// For circles: centre, radius and moments about the centre (kNm/m). For straight slips
// cx, cy hold the start point, rr the slip angle, and the sums are forces (kN/m).
struct SlipResult {
    int grid = 0; // 1..4
    double cx = 0.0, cy = 0.0;
    double dx = 0.0, dy = 0.0;                         // end point of a straight slip by segments
    double sx = 0.0, sy = 0.0;                         // right end of the mass
    double ex = 0.0, ey = 0.0;                         // left end
    double csx = 0.0, csy = 0.0, cex = 0.0, cey = 0.0; // ends over soil slices only
    double rr = 0.0;
    double mrf = 0.0, mrc = 0.0, mry = 0.0, mr = 0.0;
    double mdw = 0.0, mdh = 0.0, mdk = 0.0, md = 0.0;
    double f = kNoSafetyFactor;
    int valid = 1; // 0: the walk found the mass invalid (structure, uncut line, uncut pile)
    double cx2 = 0.0, cy2 = 0.0; // the centre once more
};

// One finished mass as a per-surface evaluation hands it to the search: the record and
// the slip direction sign decided for it (+1 or -1).
struct EvaluatedMass {
    SlipResult record;
    int directionSign = 1;
};

// The ratio cut (not rounded) to `decimals` decimals: floor(ratio*p + g)/p with
// p = 10^decimals. The guard g = 0.1/p of a step lifts a ratio that falls short of the next
// step by rounding noise only; it is capped at 0.001 of a step, so that with 0 or 1
// decimals (where 0.1/p would be 0.1 or 0.01 of a step) a true 0.943 is cut to 0 and not
// lifted to 1. No lower guard: the straight lines and Bishop keep what this gives.
double cutSafetyFactor(double ratio, int decimals);

// The factor of safety of the circle terms: cutSafetyFactor, and kNoSafetyFactor for a
// ratio below 1e-7 (no factor of safety at or below zero) or a result that is not finite.
// A positive ratio below one step (0.943 with 0 decimals) is cut to 0, never "none".
double truncateSafetyFactor(double ratio, int decimals);

// f from resisting and driving sums: kNoSafetyFactor when |md| <= 0.00001, else the
// truncated ratio.
double safetyFactorFrom(double mr, double md, int decimals);

// The four dump lines of a stored mass (each ending in "\n").
std::string formatDumpRecord(const SlipResult& r);

} // namespace keltora
