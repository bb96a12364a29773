// `keltora circle`: evaluates one trial circle of a section with its method settings and
// prints every mass as its dump lines.
#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>

#include "analysis/bishop.h"
#include "analysis/circle_slices.h"
#include "cli/commands.h"
#include "geometry/block_polygons.h"
#include "model/c_format.h"
#include "model/sdw_file.h"

namespace keltora::cli {
namespace {

int runCircle(const Args& argsIn)
{
    Options o(argsIn, "circle");
    double cx = 0, cy = 0;
    const bool haveCentre = o.pair("--centre", cx, cy);
    const std::optional<double> radius = o.real("--radius");
    const bool accept = o.flag("--accept-warnings");
    if (!o.failed() && !haveCentre) o.fail("--centre X,Y is needed");
    if (!o.failed() && !radius) o.fail("--radius R is needed");
    if (radius && !(*radius > 0.0)) o.fail("--radius must be greater than 0");
    if (!o.finish(1, 1)) return 2;
    const double rr = *radius;
    LoadedSection loaded = loadSection(o.files()[0], "circle", Damaged::Refuse, accept);
    if (!loaded.model) return 2;
    SlopeModel* model = loaded.model.get();
    warnAboutValues(*model);
    const int method = model->conditions.method;
    if (method == kMethodLineByAngle || method == kMethodLineBySegments) {
        printMessage({cformat("method %d is a straight slip: evaluate one line with "
                              "`keltora line FILE.SDW --start X,Y --angle A` or `--end X,Y`",
                              method),
                      "break"});
        return 2;
    }
    if (method != kMethodFellenius && method != kMethodTschebotarioff && method != kMethodBishop &&
        method != kMethodBishopModified) {
        printMessage({"cm.kt != 0,1,2,4", "break"}, method);
        return 2;
    }
    const bool bishop = method == kMethodBishop || method == kMethodBishopModified;

    const PolygonTable polygons = buildPolygonTable(*model);
    std::unique_ptr<CircleEvaluator> evaluator;
    if (bishop)
        evaluator = std::make_unique<BishopEvaluator>(*model, polygons);
    else
        evaluator = std::make_unique<FelleniusEvaluator>(*model, polygons);
    const DumpRecordFormatter format = bishop ? formatBishopRecord : formatDumpRecord;
    std::vector<EvaluatedMass> masses;
    evaluator->evaluateCircle(0, cx, cy, rr, evaluator->buildSliceBreaks(cx), masses);

    const double maxFs = model->conditions.maxSafetyFactor;
    std::printf("%s", cformat("circle centre (%.3f, %.3f) radius %.3f: %zu mass(es)\n", cx, cy, rr,
                              masses.size())
                          .c_str());
    int n = 0;
    for (const EvaluatedMass& m : masses) {
        ++n;
        std::printf("mass %d (direction %+d)\n", n, m.directionSign);
        std::printf("%s", format(m.record).c_str());
        const bool hasSlices = m.record.sx > -999999.0;
        const bool stored = hasSlices && m.record.f <= maxFs;
        std::printf("%s",
                    cformat("  %s\n", !hasSlices ? "not stored: no slices"
                                      : stored   ? "stored by the search"
                                               : "not stored: f above the maximum factor of safety")
                        .c_str());
    }
    return 0;
}

const CommandRegistrar circle{
    {"circle", "circle FILE.SDW --centre X,Y --radius R",
     "evaluate one slip circle with the section's method settings and print its masses", runCircle,
     "  --centre X,Y       centre of the circle (m)\n"
     "  --radius R         radius (m), > 0\n" +
         std::string(kAcceptWarningsHelp) +
         "\nExit codes: 0 evaluated, 2 a refused file or setting.\n"}};

} // namespace
} // namespace keltora::cli
