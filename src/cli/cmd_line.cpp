// `keltora line`: evaluates one straight slip line of a section, from a start point at a
// signed angle or between a start and an end point, and prints every mass as dump lines.
#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>

#include "analysis/line_slip.h"
#include "cli/commands.h"
#include "geometry/block_polygons.h"
#include "model/c_format.h"
#include "model/sdw_file.h"

namespace keltora::cli {
namespace {

int runLine(const Args& argsIn)
{
    Options o(argsIn, "line");
    Point2 s, e;
    const bool haveStart = o.pair("--start", s.x, s.y);
    const std::optional<double> angleOption = o.real("--angle");
    const bool haveEnd = o.pair("--end", e.x, e.y);
    const bool haveAngle = angleOption.has_value();
    const bool accept = o.flag("--accept-warnings");
    if (!o.failed() && !haveStart) o.fail("--start X,Y is needed");
    if (!o.failed() && haveAngle == haveEnd) o.fail("give either --angle A or --end X,Y");
    if (haveAngle && !(std::fabs(*angleOption) <= 90.0)) o.fail("--angle must be -90..90");
    if (!o.finish(1, 1)) return 2;
    const double angle = angleOption.value_or(0.0);

    LoadedSection loaded = loadSection(o.files()[0], "line", Damaged::Refuse, accept);
    if (!loaded.model) return 2;
    SlopeModel* model = loaded.model.get();
    warnAboutValues(*model);

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
     "evaluate one straight slip line with the section's settings and print its masses", runLine,
     "  --start X,Y        start point of the line (m)\n"
     "  --angle A          signed angle of the dump files, -90..90 degrees (positive: the part\n"
     "                     above the start point rises to the right)\n"
     "  --end X,Y          or: the end point of the line\n" +
         std::string(kAcceptWarningsHelp) +
         "\nExit codes: 0 evaluated, 2 a refused file or setting.\n"}};

} // namespace
} // namespace keltora::cli
