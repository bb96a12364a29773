// `keltora info` and `keltora save`: read a section, summarise it, write it back.
#include <cstdio>
#include <filesystem>
#include <memory>

#include "cli/commands.h"
#include "model/c_format.h"
#include "model/sdw_file.h"

namespace keltora::cli {
namespace {

const char* methodName(int method)
{
    switch (method) {
    case kMethodFellenius: return "円弧(修正フェレニウス法)";
    case kMethodTschebotarioff: return "円弧(チェボタリオフ法)";
    case kMethodBishop: return "円弧(簡易ビショップ法)";
    case kMethodLineByAngle: return "直線すべり－始点とすべり角指定";
    case kMethodBishopModified: return "円弧(簡易ビショップ法)-修正式";
    case kMethodLineBySegments: return "直線すべり－始点と終点を指定";
    default: return "(不明な検討方法)";
    }
}

void printRange(const char* label, const Range3& r)
{
    std::printf("  %-10s %s .. %s step %s\n", label, cformat("%g", r.min).c_str(),
                cformat("%g", r.max).c_str(), cformat("%g", r.step).c_str());
}

int runInfo(const Args& argsIn)
{
    Args args = argsIn;
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: keltora info FILE.SDW\n");
        return 2;
    }
    auto m = loadSection(args[0]);
    if (!m) return 2;
    int points = 0, lines = 0, blocks = 0;
    for (int i = 0; i < m->pointCount; ++i) points += m->points[static_cast<size_t>(i)].number >= 0;
    for (int i = 0; i < m->lineCount; ++i) lines += m->lines[static_cast<size_t>(i)].kind >= 0;
    for (int i = 0; i < m->blockCount; ++i) blocks += m->blocks[static_cast<size_t>(i)].number >= 0;
    const CalcConditions& c = m->conditions;
    std::printf("file:        %s\n", args[0].c_str());
    std::printf("title:       %s\n", m->title.c_str());
    std::printf("method:      %d %s\n", c.method, methodName(c.method));
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
    Args args = argsIn;
    std::string out;
    takeOption(args, "-o", out);
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: keltora save FILE.SDW [-o OUT.SDW]\n");
        return 2;
    }
    auto m = loadSection(args[0]);
    if (!m) return 2;
    if (out.empty()) out = args[0];
    WriteResult w = writeDataFile(*m, out);
    if (!w.ok) {
        printMessage(*w.error);
        return 2;
    }
    std::printf("saved %s\n", out.c_str());
    return 0;
}

const CommandRegistrar info{{"info", "info FILE.SDW", "print a summary of a section", runInfo}};
const CommandRegistrar save{{"save", "save FILE.SDW [-o OUT.SDW]",
                             "read a section and write it back in the current layout", runSave}};

} // namespace
} // namespace keltora::cli
