// `keltora plot`: calculates a section, writes its calculation figure as the plot file
// "SBPLOT01.VOV" (and "DirPath2.inf") into the working folder and renders it to PDF, SVG
// or PNG.
#include <cstdio>
#include <filesystem>
#include <memory>

#include "analysis/calculation.h"
#include "cli/commands.h"
#include "geometry/block_polygons.h"
#include "model/c_format.h"
#include "model/safe_file.h"
#include "model/sdw_file.h"
#include "output/figure.h"
#include "output/figure_results.h"
#include "output/plot_file.h"
#ifdef KELTORA_HAVE_RENDER
#include "render/plot_painter.h"
#include "render/plot_reader.h"
#endif

namespace keltora::cli {
namespace {

const char* kUsage = "usage: keltora plot FILE.SDW [-o FIGURE.pdf|.svg|.png] [--workdir DIR]\n";

int runPlot(const Args& argsIn)
{
    Args args = argsIn;
    std::string workDir = ".", out;
    takeOption(args, "--workdir", workDir);
    takeOption(args, "-o", out);
    if (args.size() != 1) {
        std::fputs(kUsage, stderr);
        return 2;
    }
#ifndef KELTORA_HAVE_RENDER
    if (!out.empty()) {
        std::fprintf(stderr, "keltora plot: this build has no figure rendering (Qt 6); "
                             "leave out -o to write the plot file only\n");
        return 2;
    }
#endif
    auto model = loadSection(args[0]);
    if (!model) return 2;
    if (!prepareWorkDir(workDir, "plot")) return 2;

    CalcOptions options;
    options.workDir = workDir;
    auto results = std::make_unique<CalculationResults>();
    CalcOutcome outcome = runCalculation(*model, *results, options);
    for (const Message& m : outcome.messages)
        printMessage(m);
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
    std::printf("wrote %s\n", plotPath.string().c_str());
    if (out.empty()) return 0;

#ifdef KELTORA_HAVE_RENDER
    // The figure is rendered from the plot file as written, so both always agree.
    std::string error;
    auto doc = readPlotFile(plotPath, &error);
    if (!doc || !exportPlotByExtension(*doc, out, &error)) {
        std::fprintf(stderr, "keltora plot: %s\n", error.c_str());
        return 2;
    }
    std::printf("wrote %s\n", out.c_str());
#endif
    return 0;
}

const CommandRegistrar plot{{"plot", "plot FILE.SDW [-o FIGURE.pdf|.svg|.png] [--workdir DIR]",
                             "calculate and write the calculation figure: the plot file "
                             "SBPLOT01.VOV into DIR, and the rendered figure with -o",
                             runPlot}};

} // namespace
} // namespace keltora::cli
