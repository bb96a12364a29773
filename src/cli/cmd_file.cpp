// `keltora info` and `keltora save`: read a section, summarise it, write it back.
#include <cstdio>
#include <filesystem>
#include <memory>

#include "cli/commands.h"
#include "model/c_format.h"
#include "model/sdw_file.h"
#include "output/batch_summary.h"

namespace keltora::cli {
namespace {

void printRange(const char* label, const Range3& r)
{
    std::printf("  %-10s %s .. %s step %s\n", label, cformat("%g", r.min).c_str(),
                cformat("%g", r.max).c_str(), cformat("%g", r.step).c_str());
}

int runInfo(const Args& argsIn)
{
    Options o(argsIn, "info");
    if (!o.finish(1, 1)) return 2;
    const std::string file = o.files()[0];
    LoadedSection loaded = loadSection(file, "info", Damaged::Allow);
    if (!loaded.model) return 2;
    const SlopeModel* m = loaded.model.get();
    int points = 0, lines = 0, blocks = 0;
    for (int i = 0; i < m->pointCount; ++i)
        points += m->points[static_cast<size_t>(i)].number >= 0;
    for (int i = 0; i < m->lineCount; ++i)
        lines += m->lines[static_cast<size_t>(i)].kind >= 0;
    for (int i = 0; i < m->blockCount; ++i)
        blocks += m->blocks[static_cast<size_t>(i)].number >= 0;
    const CalcConditions& c = m->conditions;
    std::printf("file:        %s\n", fullPath(file).c_str());
    if (loaded.read.dataLoss())
        std::printf("warning:     the file did not read cleanly (see the messages)\n");
    std::printf("title:       %s\n", m->title.c_str());
    std::printf("method:      %d %s\n", c.method, methodName(c.method).c_str());
    std::printf("points:      %d in use (%d slots)\n", points, m->pointCount);
    std::printf("lines:       %d in use (%d slots)\n", lines, m->lineCount);
    std::printf("blocks:      %d in use (%d slots)\n", blocks, m->blockCount);
    std::printf("%s", cformat("kh:          %.4f\nslice width: %.3f m\nmax Fs:      %.3f\n"
                              "allowable:   %.3f\n",
                              c.seismicCoefficient, c.sliceWidth, c.maxSafetyFactor,
                              c.allowableSafetyFactor)
                          .c_str());
    if (c.method == kMethodLineByAngle || c.method == kMethodLineBySegments) {
        const LineSlipSettings& ls = m->lineSlip;
        std::printf("straight slip search:\n");
        for (int k = 0; k < (c.method == kMethodLineBySegments ? 4 : 1); ++k)
            std::printf("  point %d    %s\n", k + 1,
                        cformat("(%g, %g)", ls.startX[static_cast<size_t>(k)],
                                ls.startY[static_cast<size_t>(k)])
                            .c_str());
        printRange("angle", ls.angle);
        std::printf("  direction  %d, passes %d\n", ls.direction, ls.angleRefinement);
    } else {
        const CircleSearchSettings& s = m->activeCircle();
        std::printf("circle search:\n");
        printRange("centre X", s.centreX);
        printRange("centre Y", s.centreY);
        printRange("radius", s.radius);
        std::printf("  extension  %s, finest grid %d, direction %d\n",
                    s.firstGridExtension == 1 ? "yes" : "no", s.finestGrid, s.direction);
    }
    if (m->sheetPile.method != 0)
        std::printf("%s", cformat("sheet pile:  method %d at x = %.3f (%.3f .. %.3f)\n",
                                  m->sheetPile.method, m->sheetPile.x, m->sheetPile.toeY,
                                  m->sheetPile.topY)
                              .c_str());
    return 0;
}

int runSave(const Args& argsIn)
{
    Options o(argsIn, "save");
    std::string out;
    o.value("-o", out);
    const bool accept = o.flag("--accept-warnings");
    if (!o.finish(1, 1)) return 2;
    const std::string file = o.files()[0];
    if (out.empty()) out = file;
    // A damaged file may be copied elsewhere, but written back over itself only when the
    // user accepts that the missing values are replaced by defaults for good.
    std::error_code ec;
    const bool overItself = std::filesystem::equivalent(file, out, ec);
    LoadedSection loaded =
        loadSection(file, "save", overItself ? Damaged::Refuse : Damaged::Allow, accept);
    if (!loaded.model) return 2;
    return writeSectionFile(*loaded.model, out);
}

const CommandRegistrar info{
    {"info", "info FILE.SDW", "print a summary of a section", runInfo,
     "Prints the title, method, table sizes and search settings. Warnings "
     "of the reader are\nprinted with their line numbers.\n\n"
     "Exit codes: 0 read (also with warnings), 2 the file cannot be read.\n"}};
const CommandRegistrar save{
    {"save", "save FILE.SDW [-o OUT.SDW] [--accept-warnings]",
     "read a section and write it back in the current layout", runSave,
     "  -o OUT.SDW         write to OUT.SDW instead of over FILE.SDW\n" +
         std::string(kAcceptWarningsHelp) +
         "                     (needed to write such a file back over itself)\n\n"
         "A symbolic link is kept (the file it points to is written); a folder, device or FIFO\n"
         "is refused. A title with a line break or with characters Shift-JIS cannot hold is\n"
         "refused; a title longer than 63 bytes is cut and reported.\n\n"
         "Exit codes: 0 written, 2 not written (the existing file is unchanged).\n"}};

} // namespace
} // namespace keltora::cli
