// `keltora import-dxf` and `keltora import-piles`: bring terrain from a DXF drawing or a
// sheet pile file into a section and write the section.
#include <cstdio>
#include <memory>

#include "cli/commands.h"
#include "model/c_format.h"
#include "model/dxf_import.h"
#include "model/sdw_file.h"
#include "model/sheet_pile_import.h"

namespace keltora::cli {
namespace {

int writeSection(SlopeModel& model, const std::string& out)
{
    WriteResult w = writeDataFile(model, out);
    if (!w.ok) {
        printMessage(*w.error);
        return 2;
    }
    std::printf("saved %s\n", out.c_str());
    return 0;
}

std::string extentsText(const DxfExtents& e)
{
    return cformat("X %.3f .. %.3f, Y %.3f .. %.3f", e.xmin, e.xmax, e.ymin, e.ymax);
}

int runImportDxf(const Args& argsIn)
{
    Args args = argsIn;
    std::string out, shift, scale;
    takeOption(args, "-o", out);
    takeOption(args, "--shift", shift);
    takeOption(args, "--scale", scale);
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: keltora import-dxf FILE.SDW DRAWING.DXF [--shift X,Y] "
                             "[--scale S] [-o OUT.SDW]\n");
        return 2;
    }
    DxfTransform t;
    if (!shift.empty() && !parsePair(shift, t.shiftX, t.shiftY)) {
        std::fprintf(stderr, "keltora: --shift expects X,Y (for example --shift 10,-5)\n");
        return 2;
    }
    char tail = 0;
    if (!scale.empty() && cscan(scale.c_str(), "%lf%c", &t.scale, &tail) != 1) {
        std::fprintf(stderr, "keltora: --scale expects a number\n");
        return 2;
    }
    if (auto bad = checkDxfTransform(t)) {
        printMessage(*bad);
        return 2;
    }

    auto model = loadSection(args[0]);
    if (!model) return 2;
    DxfReadResult rd = readDxfFile(args[1]);
    if (rd.status != 0) {
        printMessage(*rd.error);
        return 2;
    }
    const DxfDrawing& d = rd.drawing;
    const int n = static_cast<int>(d.segments.size());
    std::printf("drawing:   %s\n", args[1].c_str());
    std::printf("read:      %d segments, %d points (LINE %d, POLYLINE %d, LWPOLYLINE %d)\n", n,
                2 * n, d.lineSegments, d.polylineSegments, d.lwpolylineSegments);
    std::printf("extents:   %s\n", extentsText(d.extents).c_str());
    for (const auto& w : d.warnings)
        printMessage(w);
    if (n == 0) {
        // The dialog of the GUI shows 0 lines before the user confirms; here nobody
        // confirms, so a drawing without line work never erases the terrain.
        std::fprintf(stderr, "keltora: the drawing has no LINE or POLYLINE segments; "
                             "the section was not changed\n");
        return 2;
    }
    std::printf("%s",
                cformat("transform: shift (%.3f, %.3f), scale %.3f -> %s\n", t.shiftX, t.shiftY,
                        t.scale, extentsText(transformDxfExtents(d.extents, t)).c_str())
                    .c_str());

    DxfImportResult ir = importDxf(*model, d, t);
    if (!ir.ok) {
        printMessage(*ir.error);
        return 2;
    }
    std::printf("stored:    %d points, %d lines\n", ir.pointsStored, ir.linesStored);
    std::printf("dropped:   points: %d beyond %d; segments: %d duplicate, %d zero-length, "
                "%d on dropped points, %d beyond %d\n",
                ir.pointsDropped, kDxfMaxPoints, ir.duplicateSegments, ir.zeroLengthSegments,
                ir.segmentsOnDroppedPoints, ir.linesDropped, kDxfMaxLines);
    for (const auto& w : ir.warnings)
        printMessage(w);
    int blocks = 0;
    for (int i = 0; i < model->blockCount; ++i)
        blocks += model->blocks[static_cast<size_t>(i)].number >= 0;
    if (blocks > 0)
        std::printf("note:      %d blocks kept as they were; check that their inner points lie "
                    "in the right regions of the new terrain\n",
                    blocks);
    return writeSection(*model, out.empty() ? args[0] : out);
}

int runImportPiles(const Args& argsIn)
{
    Args args = argsIn;
    std::string out;
    takeOption(args, "-o", out);
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: keltora import-piles FILE.SDW PILES.DAT [-o OUT.SDW]\n");
        return 2;
    }
    auto model = loadSection(args[0]);
    if (!model) return 2;
    SheetPileImportResult r = importSheetPile(*model, args[1]);
    if (r.status != 0) {
        printMessage(*r.error);
        return 2;
    }
    const SheetPileSettings& sp = model->sheetPile;
    std::printf("%s", cformat("sheet pile: top %.3f, toe %.3f, section area %.3f, lm1 %.3f\n",
                              sp.topY, sp.toeY, sp.sectionArea, sp.lm1)
                          .c_str());
    std::printf("passive earth pressure: %d rows\n", sp.passiveCount);
    for (int k = 0; k < sp.passiveCount; ++k)
        std::printf("%s", cformat("  %10.3f m  %10.3f kN/m2\n", sp.passiveY[static_cast<size_t>(k)],
                                  sp.passiveIntensity[static_cast<size_t>(k)])
                              .c_str());
    for (const auto& w : r.warnings)
        printMessage(w);
    std::printf("note: pile x and allowable shear were reset to 0.000; method %d kept\n",
                sp.method);
    return writeSection(*model, out.empty() ? args[0] : out);
}

const CommandRegistrar importDxfCommand{
    {"import-dxf", "import-dxf FILE.SDW DRAWING.DXF [--shift X,Y] [--scale S] [-o OUT.SDW]",
     "replace the terrain of a section by the line work of a DXF drawing", runImportDxf}};
const CommandRegistrar importPilesCommand{
    {"import-piles", "import-piles FILE.SDW PILES.DAT [-o OUT.SDW]",
     "fill the sheet pile settings of a section from a sheet pile file", runImportPiles}};

} // namespace
} // namespace keltora::cli
