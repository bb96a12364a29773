// `keltora line`: evaluates one straight slip line of a section, from a start point at a
// signed angle or between a start and an end point, and prints every mass as dump lines.
#include <cmath>
#include <cstdio>
#include <memory>

#include "analysis/line_slip.h"
#include "cli/commands.h"
#include "geometry/block_polygons.h"
#include "model/c_format.h"
#include "model/sdw_file.h"

namespace keltora::cli {
namespace {

int usage()
{
    std::fprintf(stderr, "usage: keltora line FILE.SDW --start X,Y (--angle A | --end X,Y)\n"
                         "  A is the signed angle of the dump files (positive: the part above "
                         "the start point rises to the right)\n");
    return 2;
}

int runLine(const Args& argsIn)
{
    Args args = argsIn;
    std::string startText, angleText, endText;
    const bool haveStart = takeOption(args, "--start", startText);
    const bool haveAngle = takeOption(args, "--angle", angleText);
    const bool haveEnd = takeOption(args, "--end", endText);
    Point2 s, e;
    double angle = 0;
    char tail = 0;
    if (args.size() != 1 || !haveStart || haveAngle == haveEnd || !parsePair(startText, s.x, s.y) ||
        !std::isfinite(s.x) || !std::isfinite(s.y))
        return usage();
    if (haveAngle && (cscan(angleText.c_str(), "%lf%c", &angle, &tail) != 1 ||
                      !std::isfinite(angle) || !(std::fabs(angle) <= 90.0)))
        return usage();
    if (haveEnd && (!parsePair(endText, e.x, e.y) || !std::isfinite(e.x) || !std::isfinite(e.y)))
        return usage();

    auto model = loadSection(args[0]);
    if (!model) return 2;

    const auto polygons = std::make_unique<PolygonTable>(buildPolygonTable(*model));
    const auto section = std::make_unique<LineSection>(*model, *polygons);
    StraightLine line;
    SliceBreaks breaks;
    if (haveAngle) {
        const int sign = angle > 0.0 ? 1 : -1;
        line = lineByAngle(s.x, s.y, std::fabs(angle), sign);
        breaks = section->breaks({s.x});
    } else {
        line = lineBetween(s, e);
        breaks = section->breaks({s.x, e.x});
    }
    std::vector<EvaluatedMass> masses;
    walkLine(*section, line, 0, breaks, masses);

    const double maxFs = model->conditions.maxSafetyFactor;
    std::printf("%s", cformat("line from (%.3f, %.3f) at %.3f degrees: %zu mass(es)\n", line.x0,
                              line.y0, line.angle, masses.size())
                          .c_str());
    int n = 0;
    for (const EvaluatedMass& m : masses) {
        ++n;
        std::printf("mass %d (direction %+d)\n", n, m.directionSign);
        std::printf(
            "%s",
            (haveEnd ? formatSegmentLineRecord(m.record) : formatLineRecord(m.record)).c_str());
        const bool hasSlices = m.record.sx > -999999.0;
        const bool stored = hasSlices && m.record.f <= maxFs;
        std::printf("  %s\n", !hasSlices ? "not stored: no slices"
                              : stored   ? "stored by the search"
                                         : "not stored: f above the maximum factor of safety");
    }
    return 0;
}

const CommandRegistrar line{
    {"line", "line FILE.SDW --start X,Y (--angle A | --end X,Y)",
     "evaluate one straight slip line with the section's settings and print its masses", runLine}};

} // namespace
} // namespace keltora::cli
