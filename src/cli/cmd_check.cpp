// `keltora check`: the connection check and the block check of a section, in words.
#include <cstdio>
#include <memory>

#include "cli/commands.h"
#include "geometry/section_checks.h"
#include "model/sdw_file.h"

namespace keltora::cli {
namespace {

void printGroup(const char* heading, const std::vector<std::string>& items)
{
    if (items.empty()) return;
    std::printf("%s (%zu):\n", heading, items.size());
    for (const std::string& s : items)
        std::printf("  %s\n", s.c_str());
}

int runCheck(const Args& args)
{
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: keltora check FILE.SDW\n");
        return 2;
    }
    auto model = loadSection(args[0]);
    if (!model) return 2;

    const SectionFindings f = checkSection(*model);
    printGroup("Lines with missing points", f.lineReferences);
    printGroup("Boundary lines that do not meet their points", f.unmetEnds);
    printGroup("Points without boundary lines", f.pointsWithoutLines);
    printGroup("Boundary lines not part of any closed region", f.openLines);
    printGroup("Blocks whose inner point lies in no closed region", f.blocksOutside);
    printGroup("Blocks of unknown kind", f.blockKinds);
    if (f.clean()) {
        std::printf("no findings: every boundary line meets its points and encloses regions, "
                    "every block lies in a closed region\n");
        return 0;
    }
    return 1;
}

const CommandRegistrar check{
    {"check", "check FILE.SDW",
     "report open boundaries, unconnected lines and points, and blocks outside closed regions "
     "(exit 1 when there are findings)",
     runCheck}};

} // namespace
} // namespace keltora::cli
