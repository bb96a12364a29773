// A tool for comparing two builds of the calculation whose arithmetic differs in the last
// bits (an algebraically equal formula, a reordered sum). Not a benchmark itself; it lives
// here because it serves the same purpose: judging a change to the search's inner loop.
//
//   precision_dump calc SECTION.SDW WORKDIR
//       runs the calculation on one thread with a fixed time stamp, writes its dumps, the
//       report data files and the plot file into WORKDIR, and every stored mass with all
//       its values to 17 significant digits into WORKDIR/records.txt
//   precision_dump circle SECTION.SDW CX CY R
//       every mass of one circle to 17 digits (the comparison asks the old build whether a
//       mass's result already changes when its centre moves by one unit in the last place)
//   precision_dump vary SEED BASE.SDW OUT.SDW
//       writes a variant of BASE.SDW: points moved a little, other soil values, loads,
//       seismic coefficient, horizontal forces, cohesion reference, slice width, decimals
//       and method, the search made small
//
// bench/compare_builds.py runs both builds' `calc` over many sections and judges the
// differences (every printed value that differs must lie next to a rounding or truncation
// step of its format).
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "analysis/bishop.h"
#include "analysis/calculation.h"
#include "analysis/circle_search.h"
#include "analysis/circle_slices.h"
#include "geometry/block_polygons.h"
#include "model/sdw_file.h"
#include "output/figure.h"
#include "output/figure_results.h"
#include "output/plot_file.h"
#include "output/report_files.h"

namespace fs = std::filesystem;
using namespace keltora;

namespace {

void printRecord(std::FILE* out, const char* tag, int grid, std::size_t index, const SlipResult& r,
                 int decimals)
{
    const double ratio = std::fabs(r.md) > 0.0 ? r.mr / r.md : 0.0;
    std::fprintf(out,
                 "%s %d %zu cx=%.17g cy=%.17g rr=%.17g sx=%.17g sy=%.17g ex=%.17g ey=%.17g "
                 "csx=%.17g csy=%.17g cex=%.17g cey=%.17g mrf=%.17g mrc=%.17g mry=%.17g "
                 "mr=%.17g mdw=%.17g mdh=%.17g mdk=%.17g md=%.17g f=%.17g ratio=%.17g "
                 "decimals=%d valid=%d\n",
                 tag, grid, index, r.cx, r.cy, r.rr, r.sx, r.sy, r.ex, r.ey, r.csx, r.csy, r.cex,
                 r.cey, r.mrf, r.mrc, r.mry, r.mr, r.mdw, r.mdh, r.mdk, r.md, r.f, ratio, decimals,
                 r.valid);
}

int runCalc(const fs::path& section, const fs::path& work)
{
    SlopeModel model;
    const ReadResult read = readDataFile(model, section);
    if (read.status != 0) {
        std::fprintf(stderr, "%s: cannot read\n", section.string().c_str());
        return 2;
    }
    fs::create_directories(work);
    CalcOptions options;
    options.workDir = work;
    options.threads = 1;
    std::tm stamp{};
    stamp.tm_year = 126;
    stamp.tm_mon = 11;
    stamp.tm_mday = 10;
    options.now = stamp;
    CalculationResults results;
    const CalcOutcome outcome = runCalculation(model, results, options);

    std::FILE* out = std::fopen((work / "records.txt").string().c_str(), "w");
    if (!out) return 2;
    const int decimals = model.draw.decimals[kDecSafetyFactor];
    std::fprintf(out, "method %d\n", model.conditions.method);
    std::fprintf(out, "status %d calcState %d verdict %d\n", outcome.status, outcome.calcState,
                 static_cast<int>(outcome.verdict));
    for (const Message& m : outcome.messages)
        std::fprintf(out, "message %s\n", m.text.c_str());
    for (int g = 0; g < kMaxGrids; ++g) {
        const auto& table = results.tables[static_cast<std::size_t>(g)];
        for (std::size_t i = 0; i < table.size(); ++i)
            printRecord(out, "mass", g + 1, i, table[i], decimals);
        const GridMinimum& m = results.minima[static_cast<std::size_t>(g)];
        std::fprintf(out, "minimum %d f=%.17g cx=%.17g cy=%.17g rr=%.17g\n", g + 1, m.f, m.cx, m.cy,
                     m.rr);
    }
    if (outcome.calcState == kResultsValid)
        printRecord(out, "critical", 0, 0, results.critical, decimals);
    std::fclose(out);

    if (outcome.calcState == kResultsValid) {
        const ReportInput input =
            reportInputFrom(model, results, fs::path(section).replace_extension().string());
        writeReportData(input, work);
        PolygonTable polygons = buildPolygonTable(model);
        const Figure figure = composeFigure(model, figureResultsFrom(model, results), &polygons);
        writePlotFile(figure, work);
    }
    return 0;
}

// Every mass of one circle, as the search's evaluator finds it (stored or not).
int runCircle(const fs::path& section, double cx, double cy, double rr)
{
    SlopeModel model;
    if (readDataFile(model, section).status != 0) return 2;
    const int method = model.conditions.method;
    const PolygonTable polygons = buildPolygonTable(model);
    std::unique_ptr<CircleEvaluator> evaluator;
    if (method == kMethodBishop || method == kMethodBishopModified)
        evaluator = std::make_unique<BishopEvaluator>(model, polygons);
    else if (method == kMethodFellenius || method == kMethodTschebotarioff)
        evaluator = std::make_unique<FelleniusEvaluator>(model, polygons);
    else
        return 2;
    std::vector<EvaluatedMass> masses;
    evaluator->evaluateCircle(1, cx, cy, rr, evaluator->buildSliceBreaks(cx), masses);
    for (std::size_t i = 0; i < masses.size(); ++i)
        printRecord(stdout, "mass", 1, i, masses[i].record, model.draw.decimals[kDecSafetyFactor]);
    return 0;
}

class Variation {
  public:
    explicit Variation(unsigned seed) : rng_(seed) {}
    double uniform(double a, double b)
    {
        return std::uniform_real_distribution<double>(a, b)(rng_);
    }
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    bool chance(double p) { return uniform(0.0, 1.0) < p; }

  private:
    std::mt19937 rng_;
};

// Keeps the search small: about `budget` circles per grid, whatever the base section had.
void shrinkSearch(CircleSearchSettings& c, Variation& v, double budget)
{
    for (Range3* r : {&c.centreX, &c.centreY}) {
        const double span = std::fabs(r->max - r->min);
        const double n = 3 + v.pick(5);
        r->step = span > 0 ? span / n : 1.0;
    }
    const double rspan = std::fabs(c.radius.max - c.radius.min);
    c.radius.step = rspan > 0 ? rspan / (4 + v.pick(12)) : 1.0;
    while (estimateCircles(initialGrid(c), c.radius) > budget) {
        c.centreX.step *= 1.5;
        c.centreY.step *= 1.5;
        c.radius.step *= 1.5;
    }
    c.firstGridExtension = 2; // no extension: a moving minimum could make the search long
    c.finestGrid = 1 + v.pick(3);
}

int runVary(unsigned seed, const fs::path& base, const fs::path& outPath)
{
    SlopeModel m;
    if (readDataFile(m, base).status != 0) return 2;
    Variation v(seed);
    const double move = v.chance(0.3) ? 0.0 : v.uniform(0.01, 0.4);
    for (int i = 0; i < m.pointCount; ++i) {
        TerrainPoint& p = m.points[static_cast<std::size_t>(i)];
        if (p.number < 0) continue;
        p.x += v.uniform(-move, move);
        p.y += v.uniform(-move, move);
    }
    for (int i = 0; i < m.blockCount; ++i) {
        SoilBlock& b = m.blocks[static_cast<std::size_t>(i)];
        if (b.number < 0) continue;
        b.unitWeight *= v.uniform(0.8, 1.2);
        b.effectiveUnitWeight = b.unitWeight - (v.chance(0.5) ? 10.0 : 0.0);
        b.baseCohesion = v.chance(0.3) ? 0.0 : v.uniform(0.0, 60.0);
        b.cohesionGradient = v.chance(0.6) ? 0.0 : v.uniform(0.0, 3.0);
        b.frictionAngle = v.chance(0.3) ? 0.0 : v.uniform(0.0, 42.0);
        if (b.hasSandPiles) {
            b.pileReplacementRatio = v.uniform(0.1, 0.8);
            b.stressShareRatio = v.uniform(1.0, 4.0);
            b.pileFrictionAngle = v.uniform(25.0, 40.0);
        }
    }
    CalcConditions& c = m.conditions;
    const int methods[] = {kMethodFellenius, kMethodTschebotarioff, kMethodBishop,
                           kMethodBishopModified};
    if (c.method != kMethodLineByAngle && c.method != kMethodLineBySegments) {
        const CircleSearchSettings before = m.activeCircle();
        c.method = methods[v.pick(4)];
        m.activeCircle() = before;
        shrinkSearch(m.activeCircle(), v, 6000);
    }
    c.seismicCoefficient = v.chance(0.4) ? 0.0 : v.uniform(0.05, 0.3);
    c.seismicOnSurcharge = v.chance(0.5) ? 1 : 0;
    c.sliceWidth =
        std::array<double, 5>{0.1, 0.2, 0.25, 0.5, 1.0}[static_cast<std::size_t>(v.pick(5))];
    c.sandPileFormula = v.pick(4);
    for (int s = 0; s < kSurchargeStrips; ++s) {
        const auto i = static_cast<std::size_t>(s);
        if (v.chance(0.6)) {
            c.surchargeXmin[i] = c.surchargeXmax[i] = c.surchargeQmin[i] = c.surchargeQmax[i] = 0;
            continue;
        }
        const double x0 = v.uniform(-20.0, 60.0);
        c.surchargeXmin[i] = x0;
        c.surchargeXmax[i] = x0 + v.uniform(1.0, 20.0);
        c.surchargeQmin[i] = v.uniform(0.0, 30.0);
        c.surchargeQmax[i] = v.chance(0.5) ? c.surchargeQmin[i] : v.uniform(0.0, 30.0);
    }
    // Horizontal forces: each at a height where it may or may not meet the masses.
    for (int i = 0; i < kHorizontalForces; ++i) {
        const auto k = static_cast<std::size_t>(i);
        if (v.chance(0.7)) continue;
        c.forceY[k] = v.uniform(-10.0, 25.0);
        c.forceH[k] = v.chance(0.2) ? 0.0 : v.uniform(-20.0, 20.0);
    }
    // The cohesion law's reference: a line of two to four vertices, or another height.
    if (v.chance(0.3)) {
        c.referenceMode = 1;
        CohesionReferenceLine& line = m.referenceLine;
        line.count = 2 + v.pick(3);
        double x = v.uniform(-20.0, 10.0);
        for (int i = 0; i < line.count; ++i) {
            line.x[static_cast<std::size_t>(i)] = x;
            line.y[static_cast<std::size_t>(i)] = v.uniform(-5.0, 15.0);
            x += v.uniform(5.0, 25.0);
        }
    } else if (v.chance(0.3)) {
        c.referenceMode = 0;
        c.referenceHeight = v.uniform(-5.0, 15.0);
    }
    m.draw.decimals[kDecSafetyFactor] = v.pick(6);
    c.maxSafetyFactor = v.chance(0.5) ? 9999.0 : v.uniform(1.5, 5.0);
    m.dataName.clear();
    const WriteResult w = writeDataFile(m, outPath);
    return w.ok ? 0 : 2;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "calc" && argc == 4) return runCalc(argv[2], argv[3]);
    if (mode == "circle" && argc == 6)
        return runCircle(argv[2], std::strtod(argv[3], nullptr), std::strtod(argv[4], nullptr),
                         std::strtod(argv[5], nullptr));
    if (mode == "vary" && argc == 5)
        return runVary(static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10)), argv[3], argv[4]);
    std::fprintf(stderr, "usage: precision_dump calc SECTION.SDW WORKDIR\n"
                         "       precision_dump circle SECTION.SDW CX CY R\n"
                         "       precision_dump vary SEED BASE.SDW OUT.SDW\n");
    return 2;
}
