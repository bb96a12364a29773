// `keltora plot`: calculates a section, writes its calculation figure as the plot file
// "SBPLOT01.VOV" (and "DirPath2.inf") into the working folder and renders it (or, with
// --map, the factor-of-safety map) to PDF, SVG or PNG, or writes it as a DXF drawing.
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>

#include "analysis/calculation.h"
#include "cli/commands.h"
#include "cli/render_process.h"
#include "geometry/block_polygons.h"
#include "model/c_format.h"
#include "model/safe_file.h"
#include "model/sdw_file.h"
#include "output/dxf_writer.h"
#include "output/figure.h"
#include "output/figure_results.h"
#include "output/plot_file.h"
#include "output/safety_map.h"

namespace keltora::cli {
namespace {

std::string lowerExtension(const std::string& path)
{
    std::string ext = std::filesystem::path(path).extension().string();
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

bool knownFigureFormat(const std::string& path)
{
    const std::string ext = lowerExtension(path);
    return ext == ".pdf" || ext == ".svg" || ext == ".png" || ext == ".dxf";
}

int runPlot(const Args& argsIn)
{
    Options o(argsIn, "plot");
    std::string workDir = ".", out;
    o.value("--workdir", workDir);
    o.value("-o", out);
    const std::optional<int> threads = o.integer("--threads", 1, 256);
    const bool accept = o.flag("--accept-warnings");
    const bool map = o.flag("--map");
    if (!out.empty() && !knownFigureFormat(out))
        o.fail("-o " + out +
               ": unknown figure format; the file name must end in .pdf, .svg, .png or "
               ".dxf");
    if (map && out.empty()) o.fail("--map needs -o FIGURE (.pdf, .svg, .png or .dxf)");
    if (!o.finish(1, 1)) return 2;
    const std::string file = o.files()[0];
    if (!outputPathUsable("plot", out)) return 2;
    const bool dxf = lowerExtension(out) == ".dxf";
#ifndef KELTORA_HAVE_RENDER
    if (!out.empty() && !dxf) {
        std::fprintf(stderr, "keltora plot: this build has no figure rendering (Qt 6); "
                             "leave out -o to write the plot file only, or write a .dxf\n");
        return 2;
    }
#endif
    LoadedSection loaded = loadSection(file, "plot", Damaged::Refuse, accept);
    if (!loaded.model) return 2;
    SlopeModel* model = loaded.model.get();
    const int method = model->conditions.method;
    if (map && (method == kMethodLineByAngle || method == kMethodLineBySegments)) {
        std::fprintf(stderr,
                     "keltora plot: the factor-of-safety map is drawn over the circle centres; "
                     "method %d searches straight slip lines, which have none\n",
                     method);
        return 2;
    }
    warnAboutValues(*model);
    if (!prepareWorkDir(workDir, "plot")) return 2;
    if (!outputsSpareInputs("plot", {out}, {file}, std::filesystem::path(workDir))) return 2;

    CalcOptions options;
    options.workDir = workDir;
    options.threads = threads.value_or(0);
    auto results = std::make_unique<CalculationResults>();
    CalcOutcome outcome = runCalculation(*model, *results, options);
    for (const Message& m : outcome.messages)
        printMessage(m, model->conditions.method);
    if (outcome.status != 0 || outcome.verdict == Verdict::None || !results->hasCritical) {
        std::fprintf(stderr, "keltora plot: no calculation result, so no figure\n");
        return 2;
    }

    // With automatic display switching (a new document's setting), the main window shows
    // the sheet pile and its passive pressure once results exist; the figure follows the
    // same switches, so the command line applies that preset too.
    if (model->display.autoSwitch == 1) {
        model->display.showSheetPile = 1;
        model->display.showPassivePressure = 1;
    }
    const PolygonTable polygons = buildPolygonTable(*model);
    const Figure figure = composeFigure(*model, figureResultsFrom(*model, *results), &polygons);
    if (auto m = writePlotFile(figure, workDir)) {
        printMessage(*m);
        return 2;
    }
    if (auto m = writePlotHandOff(workDir)) {
        printMessage(*m);
        return 2;
    }
    const auto plotPath = std::filesystem::path(workDir) / kPlotFileName;
    std::printf("wrote %s\n", fullPath(plotPath).c_str());
    if (out.empty()) return exitCodeOf(outcome);

    const Figure mapFigure = map ? composeSafetyMapFigure(*model, *results) : Figure{};
    if (dxf) {
        if (auto m = writeDxfFile(map ? mapFigure : figure, out)) {
            printMessage(*m);
            return 2;
        }
        std::printf("wrote %s\n", fullPath(out).c_str());
        return exitCodeOf(outcome);
    }
#ifdef KELTORA_HAVE_RENDER
    // In keltora-render, so that this program loads no Qt. The figure is rendered from the
    // plot file as written, so both always agree; the map has no plot file and is handed
    // over as composed.
    if (map ? !renderComposedFigure(mapFigure, "安全率分布図", out) : !renderFigure(plotPath, out))
        return 2;
    std::printf("wrote %s\n", fullPath(out).c_str());
#endif
    return exitCodeOf(outcome);
}

const CommandRegistrar plot{
    {"plot",
     "plot FILE.SDW [-o FIGURE.pdf|.svg|.png|.dxf] [--map] [--workdir DIR] [--threads N] "
     "[--accept-warnings]",
     "calculate and write the calculation figure: the plot file SBPLOT01.VOV into DIR, and the "
     "rendered figure (or the factor-of-safety map) with -o",
     runPlot,
     "  -o FIGURE          render the figure to FIGURE; its name must end in .pdf, .svg,\n"
     "                     .png or .dxf (checked before the calculation); a .dxf is a CAD\n"
     "                     drawing (DXF R12) in sheet millimetres, one layer per content\n"
     "  --map              write the factor-of-safety map instead of the figure to -o: the\n"
     "                     smallest factor per centre of each grid as filled contours, a\n"
     "                     labelled line every 0.1 and at the allowable value (circle\n"
     "                     methods only; the plot file is written as usual)\n"
     "  --workdir DIR      folder for the dumps, SBPLOT01.VOV and DirPath2.inf (default: the\n"
     "                     current folder)\n"
     "  --threads N        as for calc, 1..256\n" +
         std::string(kAcceptWarningsHelp) +
         "\nExit codes (those of calc): 0 OK, 1 OUT (the figure is written in both cases),\n"
         "2 no result or an error.\n"}};

} // namespace
} // namespace keltora::cli
