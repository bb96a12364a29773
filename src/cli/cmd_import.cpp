// `keltora import-dxf` and `keltora import-piles`: bring terrain from a DXF drawing or a
// sheet pile file into a section and write the section.
#include <cstdio>
#include <map>
#include <memory>

#include "cli/commands.h"
#include "model/c_format.h"
#include "model/dxf_import.h"
#include "model/sdw_file.h"
#include "model/sheet_pile_import.h"

namespace keltora::cli {
namespace {

std::string extentsText(const DxfExtents& e)
{
    return cformat("X %.3f .. %.3f, Y %.3f .. %.3f", e.xmin, e.xmax, e.ymin, e.ymax);
}

// The section to import into: a file that did not read cleanly is written back over
// itself only with --accept-warnings.
LoadedSection loadTarget(const std::string& file, const std::string& out, const char* command,
                         bool accept)
{
    std::error_code ec;
    const bool overItself = std::filesystem::equivalent(file, out, ec);
    return loadSection(file, command, overItself ? Damaged::Refuse : Damaged::Allow, accept);
}

int runImportDxf(const Args& argsIn)
{
    Options o(argsIn, "import-dxf");
    std::string out;
    o.value("-o", out);
    DxfTransform t;
    o.pair("--shift", t.shiftX, t.shiftY);
    if (auto s = o.real("--scale")) {
        t.scale = *s;
        if (!(t.scale > 0.0)) o.fail("--scale must be a number greater than 0");
    }
    const bool accept = o.flag("--accept-warnings");
    if (!o.finish(2, 2)) return 2;
    const std::string file = o.files()[0];
    const std::string drawing = o.files()[1];
    if (out.empty()) out = file;
    if (auto bad = checkDxfTransform(t)) {
        printMessage(*bad);
        return 2;
    }
    if (!outputsSpareInputs("import-dxf", {out}, {drawing})) return 2;

    LoadedSection loaded = loadTarget(file, out, "import-dxf", accept);
    if (!loaded.model) return 2;
    SlopeModel* model = loaded.model.get();
    DxfReadResult rd = readDxfFile(drawing);
    if (rd.status != 0) {
        printMessage(*rd.error);
        return 2;
    }
    const DxfDrawing& d = rd.drawing;
    const int n = static_cast<int>(d.segments.size());
    std::printf("drawing:   %s\n", fullPath(drawing).c_str());
    std::printf("read:      %d segments, %d points (LINE %d, POLYLINE %d, LWPOLYLINE %d; "
                "%d closing sides of closed polylines added)\n",
                n, 2 * n, d.lineSegments, d.polylineSegments, d.lwpolylineSegments,
                d.closingSegments);
    auto listCounts = [](const std::map<std::string, int>& counts) {
        std::string s;
        for (const auto& [type, count] : counts)
            s += (s.empty() ? "" : ", ") + type + " " + std::to_string(count);
        return s;
    };
    if (!d.straightenedArcs.empty())
        std::printf("straightened: arcs read as straight chords: %s\n",
                    listCounts(d.straightenedArcs).c_str());
    if (!d.skippedEntities.empty())
        std::printf("skipped:   entities not read: %s\n", listCounts(d.skippedEntities).c_str());
    std::printf("extents:   %s\n", extentsText(d.extents).c_str());
    for (const auto& w : d.warnings)
        printMessage(w);
    if (n == 0) {
        // The dialog of the GUI shows 0 lines before the user confirms; here nobody
        // confirms, so a drawing without line work never erases the terrain.
        std::fprintf(stderr, "keltora import-dxf: the drawing has no LINE or POLYLINE segments; "
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
    return writeSectionFile(*model, out);
}

int runImportPiles(const Args& argsIn)
{
    Options o(argsIn, "import-piles");
    std::string out;
    o.value("-o", out);
    const bool accept = o.flag("--accept-warnings");
    if (!o.finish(2, 2)) return 2;
    const std::string file = o.files()[0];
    const std::string piles = o.files()[1];
    if (out.empty()) out = file;
    if (!outputsSpareInputs("import-piles", {out}, {piles})) return 2;
    LoadedSection loaded = loadTarget(file, out, "import-piles", accept);
    if (!loaded.model) return 2;
    SlopeModel* model = loaded.model.get();
    SheetPileImportResult r = importSheetPile(*model, piles);
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
    return writeSectionFile(*model, out);
}

const CommandRegistrar importDxfCommand{
    {"import-dxf",
     "import-dxf FILE.SDW DRAWING.DXF [--shift X,Y] [--scale S] [-o OUT.SDW] [--accept-warnings]",
     "replace the terrain of a section by the line work of a DXF drawing", runImportDxf,
     "  --shift X,Y        origin shift added after scaling (default 0,0)\n"
     "  --scale S          scale factor, a number > 0 (default 1)\n"
     "  -o OUT.SDW         write to OUT.SDW instead of over FILE.SDW (never over the drawing)\n" +
         std::string(kAcceptWarningsHelp) +
         "                     (needed to write such a file back over itself)\n\n"
         "LINE entities and polyline segments (POLYLINE vertices, LWPOLYLINE) become boundary\n"
         "lines; a closed polyline gets its closing side. The summary lists the closing sides\n"
         "added, polyline arcs read as straight chords and entities not read (ARC, CIRCLE,\n"
         "SPLINE, INSERT, ...), by type and count.\n\n"
         "Exit codes: 0 written, 2 nothing written (the existing file is unchanged).\n"}};
const CommandRegistrar importPilesCommand{
    {"import-piles", "import-piles FILE.SDW PILES.DAT [-o OUT.SDW] [--accept-warnings]",
     "fill the sheet pile settings of a section from a sheet pile file", runImportPiles,
     "  -o OUT.SDW         write to OUT.SDW instead of over FILE.SDW (never over PILES.DAT)\n" +
         std::string(kAcceptWarningsHelp) +
         "                     (needed to write such a file back over itself)\n\n"
         "Exit codes: 0 written, 2 nothing written (the existing file is unchanged).\n"}};

} // namespace
} // namespace keltora::cli
