// The section as the circle walk needs it, prepared once per calculation run: sound
// boundary and uncut lines, block polygons with boxes and derived unit weights, and the
// cutting of a circle, the slice breaks, block extents, cohesion reference height and
// surcharge load that every circular method shares.
#pragma once

#include <cmath>
#include <cstddef>
#include <utility>
#include <vector>

#include "analysis/circle_evaluator.h"
#include "geometry/block_polygons.h"
#include "model/message.h"
#include "model/model.h"

namespace keltora {

inline constexpr double kFarAbove = -999999.9; // start of "highest" searches
inline constexpr double kFarBelow = 999999.9;  // start of "lowest" searches
inline constexpr double kBreakSentinel = -99999999.9;

// Degrees to radians with the 1/180 constant in extended precision.
double radians(double degrees);

// One message per block that takes no part because its inner point lies outside every
// closed region (BlockPolygon::outside), naming the block; the calculation still runs.
void appendOutsideBlockWarnings(const SlopeModel& model, const PolygonTable& polygons,
                                MessageList& messages);

// The comb sort that orders crossing points and breaks: the gap starts at the count and
// is multiplied by 1/1.3 and truncated each pass (9 and 10 become 11, at least 1); passes
// repeat until a pass with gap 1 swaps nothing. swapNeeded(a, b) is asked about the
// element a before b. Not stable: its exact sequence of comparisons decides ties, which
// is why it is used instead of a library sort.
template <typename T, typename SwapNeeded> void combSort(std::vector<T>& v, SwapNeeded swapNeeded)
{
    const size_t n = v.size();
    size_t gap = n;
    bool swapped = true;
    while (gap > 1 || swapped) {
        gap = static_cast<size_t>(static_cast<double>(gap) * (1.0 / 1.3));
        if (gap == 9 || gap == 10) gap = 11;
        if (gap < 1) gap = 1;
        swapped = false;
        for (size_t i = 0; i + gap < n; ++i) {
            if (swapNeeded(v[i], v[i + gap])) {
                std::swap(v[i], v[i + gap]);
                swapped = true;
            }
        }
    }
}

// The lowest point of the circle below x: cy - sqrt(rr^2 - (x - cx)^2), or cy where x is
// within 0.00001 of the circle's side (also where rounding puts x just outside it).
// Inline: the walk asks twice per slice.
inline double arcHeight(double cx, double cy, double rr, double x)
{
    if (std::fabs(rr - std::fabs(x - cx)) < kTolCoincident) return cy;
    const double v = rr * rr - (x - cx) * (x - cx);
    if (!(v > 0.0)) return cy;
    return cy - std::sqrt(v);
}

// Highest and lowest crossing of a polygon with a vertical line.
struct VerticalExtent {
    double top = kFarAbove;
    double bottom = kFarBelow;
    bool has() const { return bottom < top + 0.0000001; }
};

// One polygon edge from p to q (in outline order), with its x range.
struct PolygonEdge {
    Point2 p, q;
    double lo = 0, hi = 0; // min and max of p.x and q.x
};

// A block as the walk sees it: its soil values, derived unit weights, polygon and box.
struct PreparedBlock {
    int slot = -1; // block number
    int kind = kSoilBlock;
    bool sandPiles = false;
    double unitWeight = 0, effectiveUnitWeight = 0;
    double cohesionGradient = 0, baseCohesion = 0, frictionAngle = 0;
    double pileRatio = 0, shareRatio = 0, pileUnitWeight = 0, pileFrictionAngle = 0;
    double gamma = 0;      // unit weight, composite with sand piles
    double gammaEff = 0;   // effective unit weight, composite with sand piles
    double sideWeight = 0; // weight per area when this block lies above another's base
    double tanPhi = 0, tanPhiS = 0;
    bool noStrength = false;        // a soil block with C0, K and phi all below 0.0001
    std::vector<Point2> vertices;   // edges + 1 entries
    std::vector<PolygonEdge> edges; // sorted by lo, for the extent searches
    double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
};

// A segment lengthened by 0.0001 at both ends, for the uncut-line test.
struct Lengthened {
    Point2 a, b;
    double xmin = 0, xmax = 0, slack = 0;
};

struct CutPoint {
    double x = 0, y = 0;
    int startPoint = -1, endPoint = -1; // the boundary line that produced it
};

// The crossing points of one circle, from the right, and per interval between points i
// and i + 1 the index (into PreparedSection::blocks) of the block the arc passes there,
// -1 for none or for a vertical interval.
struct CircleCut {
    std::vector<CutPoint> points;
    std::vector<int> blocks;
};

// The x and y range of a boundary edge.
struct EdgeBox {
    double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
};

class PreparedSection {
  public:
    PreparedSection(const SlopeModel& model, const PolygonTable& polygons);

    // Valid blocks with a polygon, in block order.
    std::vector<PreparedBlock> blocks;
    std::vector<BoundaryEdge> boundary;
    std::vector<EdgeBox> boundaryBoxes; // one per boundary edge
    std::vector<Lengthened> uncut;
    std::vector<int> waterPressureBlocks; // indices into blocks
    std::vector<double> pointXs;          // x of every valid point
    CalcConditions conditions;
    CohesionReferenceLine referenceLine;
    SheetPileSettings sheetPile;
    int direction = 0;       // slip direction setting of the active circle settings
    int decimals = 3;        // of the factor of safety
    double sliceWidth = 0.1; // b0, at least kTolLoop
    // Whether a mass's highest column top and lowest column bottom matter: they decide
    // whether horizontal forces 1 and 2 act on it, and a force of 0 at a finite height
    // adds +-0 to a sum that is +0, which leaves it as it is.
    bool massHeights = true;
    // The surcharge strips that can load a slice, in strip order: a strip with both
    // intensities zero and finite ends adds exactly +0 to every slice and is left out.
    std::vector<int> loadedStrips;

    CircleCut cutCircle(double cx, double cy, double rr) const;
    SliceBreaks sliceBreaks(double cx) const;

    // Extent of block b at x as the slice columns take it (edges closer than 0.0001 to
    // vertical skipped; ends within 0.00001 of x give their own y).
    VerticalExtent columnExtent(const PreparedBlock& b, double x) const;
    // Extent as the cut assigns blocks to intervals (edges within 0.00001 of vertical
    // skipped).
    VerticalExtent cutExtent(const PreparedBlock& b, double x) const;

    // z0 of the cohesion law for the slice base from x2 to x1.
    double cohesionReferenceHeight(double x1, double x2) const
    {
        return conditions.referenceMode != 1 ? conditions.referenceHeight
                                             : referenceLineHeight(x1, x2);
    }
    // Surcharge on the slice [x2, x1]: the trapezoid rule over each strip of `strips`
    // (indexes of loaded strips in strip order; null for all loaded strips).
    double surchargeLoad(double x1, double x2, const std::vector<int>* strips = nullptr) const
    {
        if (!strips) strips = &loadedStrips;
        return strips->empty() ? 0.0 : stripLoads(x1, x2, *strips);
    }
    // Whether segment a-b, lengthened by 0.0001 at both ends, crosses an uncut line.
    bool crossesUncutLine(Point2 a, Point2 b) const
    {
        return !uncut.empty() && crossesAnyUncut(a, b);
    }

  private:
    // The slow paths of the three above (called per slice, so their common cases inline).
    double referenceLineHeight(double x1, double x2) const;
    double stripLoads(double x1, double x2, const std::vector<int>& strips) const;
    bool crossesAnyUncut(Point2 a, Point2 b) const;
};

// The crossings of segment AB with the circle, as segmentCircleIntersection reports them,
// except that a line through the centre (where that routine gives -1) yields its two
// crossings at centre +- radius along AB (first towards B) with the same status codes.
int segmentCircleCrossings(Point2 a, Point2 b, Point2 centre, double radius, Point2& p1,
                           Point2& p2);

// The sheet pile's resisting moment for circle (cx, cy, rr): passive pressure (method 2)
// or shear capacity (method 3); 0 for methods 0 and 1, when the pile does not cross the
// circle, and where the lever geometry degenerates (crossing at the centre or at the
// centre's height for method 3), so that no NaN or infinity can arise.
double sheetPileMoment(const SheetPileSettings& pile, double cx, double cy, double rr);
double sheetPileMoment(const SlopeModel& model, double cx, double cy, double rr);

} // namespace keltora
