// `keltora plot`: calculates a section, writes its calculation figure as the plot file
// "SBPLOT01.VOV" (and "DirPath2.inf") into the working folder and renders it to PDF, SVG
// or PNG.
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
#include "output/figure.h"
#include "output/figure_results.h"
#include "output/plot_file.h"

namespace keltora::cli {
namespace {

bool knownFigureFormat(const std::string& path)
{
    std::string ext = std::filesystem::path(path).extension().string();
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".pdf" || ext == ".svg" || ext == ".png";
}

int runPlot(const Args& argsIn)
{
    Options o(argsIn, "plot");
    std::string workDir = ".", out;
    o.value("--workdir", workDir);
    o.value("-o", out);
    const std::optional<int> threads = o.integer("--threads", 1, 256);
    const bool accept = o.flag("--accept-warnings");
    if (!out.empty() && !knownFigureFormat(out))
        o.fail("-o " + out +
               ": unknown figure format; the file name must end in .pdf, .svg or "
               ".png");
    if (!o.finish(1, 1)) return 2;
    const std::string file = o.files()[0];
    if (!outputPathUsable("plot", out)) return 2;
#ifndef KELTORA_HAVE_RENDER
    if (!out.empty()) {
        std::fprintf(stderr, "keltora plot: this build has no figure rendering (Qt 6); "
                             "leave out -o to write the plot file only\n");
        return 2;
    }
#endif
    LoadedSection loaded = loadSection(file, "plot", Damaged::Refuse, accept);
    if (!loaded.model) return 2;
    SlopeModel* model = loaded.model.get();
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

#ifdef KELTORA_HAVE_RENDER
    // The figure is rendered from the plot file as written, so both always agree; in
    // keltora-render, so that this program loads no Qt.
    if (!renderFigure(plotPath, out)) return 2;
    std::printf("wrote %s\n", fullPath(out).c_str());
#endif
    return exitCodeOf(outcome);
}

const CommandRegistrar plot{
    {"plot",
     "plot FILE.SDW [-o FIGURE.pdf|.svg|.png] [--workdir DIR] [--threads N] [--accept-warnings]",
     "calculate and write the calculation figure: the plot file SBPLOT01.VOV into DIR, and the "
     "rendered figure with -o",
     runPlot,
     "  -o FIGURE          render the figure to FIGURE; its name must end in .pdf, .svg or\n"
     "                     .png (checked before the calculation)\n"
     "  --workdir DIR      folder for the dumps, SBPLOT01.VOV and DirPath2.inf (default: the\n"
     "                     current folder)\n"
     "  --threads N        as for calc, 1..256\n" +
         std::string(kAcceptWarningsHelp) +
         "\nExit codes (those of calc): 0 OK, 1 OUT (the figure is written in both cases),\n"
         "2 no result or an error.\n"}};

} // namespace
} // namespace keltora::cli
