// `keltora check`: the connection check and the block check of a section, in words.
#include <cstdio>
#include <memory>

#include "cli/commands.h"
#include "geometry/section_checks.h"
#include "model/c_format.h"
#include "model/sdw_file.h"
#include "model/value_checks.h"

namespace keltora::cli {
namespace {

void printGroup(const char* heading, const std::vector<std::string>& items)
{
    if (items.empty()) return;
    std::printf("%s (%zu):\n", heading, items.size());
    for (const std::string& s : items)
        std::printf("  %s\n", s.c_str());
}

int runCheck(const Args& argsIn)
{
    Options o(argsIn, "check");
    if (!o.finish(1, 1)) return 2;
    LoadedSection loaded = loadSection(o.files()[0], "check", Damaged::Allow);
    if (!loaded.model) return 2;
    const SlopeModel& model = *loaded.model;

    std::vector<std::string> readWarnings;
    for (const FileWarning& w : loaded.read.fileWarnings)
        if (w.dataLoss)
            readWarnings.push_back(w.line > 0 ? cformat("line %d: %s", w.line, w.text.c_str())
                                              : w.text);
    printGroup("The file did not read cleanly (missing or unreadable data)", readWarnings);

    // Lines pointing at missing points are reported by the section check below.
    std::vector<std::string> values;
    for (const ValueFinding& v : checkPhysicalValues(model))
        if (v.kind != ValueFinding::Kind::Line) values.push_back(v.text);
    printGroup("Physically meaningless values", values);

    const SectionFindings f = checkSection(model);
    printGroup("Lines with missing points", f.lineReferences);
    printGroup("Boundary lines that do not meet their points", f.unmetEnds);
    printGroup("Points without boundary lines", f.pointsWithoutLines);
    printGroup("Boundary lines not part of any closed region", f.openLines);
    printGroup("Blocks whose inner point lies in no closed region", f.blocksOutside);
    printGroup("Blocks of unknown kind", f.blockKinds);
    if (f.clean() && readWarnings.empty() && values.empty()) {
        std::printf("no findings: the file read cleanly, every value is physically possible, "
                    "every boundary line meets its points and encloses regions, every block "
                    "lies in a closed region\n");
        return 0;
    }
    return 1;
}

const CommandRegistrar check{
    {"check", "check FILE.SDW",
     "report warnings of the reader, physically meaningless values, open boundaries, "
     "unconnected lines and points, and blocks outside closed regions",
     runCheck,
     "Findings, grouped: lines of the file that could not be read or values missing from it\n"
     "(with their line numbers), physically meaningless values (negative unit weights or\n"
     "cohesion, friction angles outside 0..90 degrees, an unknown method code), lines\n"
     "pointing at missing points, open boundaries, unconnected points, blocks outside closed\n"
     "regions.\n\n"
     "Exit codes: 0 no findings, 1 findings, 2 the file cannot be read.\n"}};

} // namespace
} // namespace keltora::cli
