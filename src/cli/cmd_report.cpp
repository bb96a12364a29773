// `keltora report`: calculates a section, writes the report data files and the check list
// into the working folder and renders the report to PDF (when built with Qt).
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>

#include "analysis/calculation.h"
#include "cli/commands.h"
#include "model/c_format.h"
#include "model/sdw_file.h"
#include "output/report_handoff.h"
#include "output/report_layout.h"
#include "output/report_summary.h"

#include "cli/render_process.h"

namespace keltora::cli {
namespace {

namespace fs = std::filesystem;

const char* const kUsage =
    "report FILE.SDW [-o REPORT.pdf] [--summary] [--workdir DIR] [--threads N] "
    "[--accept-warnings]";

int runReport(const Args& argsIn)
{
    Options o(argsIn, "report");
    std::string workDir = ".", pdf;
    o.value("--workdir", workDir);
    o.value("-o", pdf);
    const std::optional<int> threads = o.integer("--threads", 1, 256);
    const bool accept = o.flag("--accept-warnings");
    const bool summaryOnly = o.flag("--summary");
    if (!o.finish(1, 1)) return 2;
    const std::string file = o.files()[0];
    LoadedSection loaded = loadSection(file, "report", Damaged::Refuse, accept);
    if (!loaded.model) return 2;
    SlopeModel* model = loaded.model.get();
    warnAboutValues(*model);
    if (!prepareWorkDir(workDir, "report")) return 2;
    if (pdf.empty()) pdf = (fs::path(workDir) / "report.pdf").string();
    if (!outputPathUsable("report", pdf)) return 2;
    if (!outputsSpareInputs("report", {pdf}, {file}, fs::path(workDir))) return 2;

    CalcOptions options;
    options.workDir = workDir;
    options.threads = threads.value_or(0);
    auto results = std::make_unique<CalculationResults>();
    std::fprintf(stderr, "calculating %s ...\n", fullPath(file).c_str());
    CalcOutcome outcome = runCalculation(*model, *results, options);
    for (const Message& m : outcome.messages)
        printMessage(m, model->conditions.method);

    std::error_code ec;
    fs::path dataPath = fs::absolute(file, ec).lexically_normal();
    dataPath.replace_extension();
    const ReportInput input = reportInputFrom(*model, *results, dataPath.string());
    ReportCommandOutcome report = runReportCommand(input, workDir, false);
    for (const Message& m : report.log.messages)
        printMessage(m);
    std::printf("report data in %s: %zu files\n", fullPath(workDir).c_str(),
                report.log.written.size());
    // A report rendered from the files that could be written would be incomplete (or
    // empty) and look like a finished one.
    if (!report.log.failed.empty()) {
        std::fprintf(stderr, "keltora report: report data incomplete, no report rendered\n");
        return 2;
    }

    const std::vector<std::string> files =
        report.reportStatus == 0
            ? reportFilesForSelection(workDir, summaryOnly ? ReportSelection::Summary
                                                           : ReportSelection::Full)
            : std::vector<std::string>{"SB_CHECK.PDT"};
#ifdef KELTORA_HAVE_RENDER
    const int code = exitCodeOf(outcome);
    // In keltora-render, so that this program loads no Qt.
    if (!renderReport(workDir, files, pdf)) return 2;
    if (code == 2)
        std::fprintf(stderr, "keltora report: no calculation result: the report holds the "
                             "input check list only (exit 2)\n");
    return code;
#else
    std::fprintf(stderr, "keltora report: this build has no Qt; open the report data with "
                         "keltora-report-viewer to print or export it\n");
    return 2;
#endif
}

const CommandRegistrar report{
    {"report", kUsage,
     "calculate, write the report data files and the check list into DIR (default: current "
     "folder) and render the report to PDF, a summary with the verdict and the figure first",
     runReport,
     "  -o REPORT.pdf      the PDF to write (default: DIR/report.pdf)\n"
     "  --summary          the summary, the input check list and the minimum factor of\n"
     "                     safety of each grid level only (default: the summary followed by\n"
     "                     every page of the report)\n"
     "  --workdir DIR      folder for the dumps, the report data files (SB_*.PDT), generated\n"
     "                     forms and DirPath.inf (default: the current folder)\n"
     "  --threads N        as for calc, 1..256\n" +
         std::string(kAcceptWarningsHelp) +
         "\nExit codes (those of calc): 0 OK, 1 OUT (the report is written in both cases),\n"
         "2 no result (only the input check list is rendered) or an error.\n"}};

} // namespace
} // namespace keltora::cli
