// `keltora report`: calculates a section, writes the report data files and the check list
// into the working folder and renders the report to PDF (when built with Qt).
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "analysis/calculation.h"
#include "cli/commands.h"
#include "model/c_format.h"
#include "model/sdw_file.h"
#include "output/report_handoff.h"
#include "output/report_layout.h"

#ifdef KELTORA_HAVE_RENDER
#include <QGuiApplication>

#include "render/report_painter.h"
#endif

namespace keltora::cli {
namespace {

namespace fs = std::filesystem;

const char* const kUsage = "report FILE.SDW [-o REPORT.pdf] [--workdir DIR] [--threads N]";

#ifdef KELTORA_HAVE_RENDER
bool renderPdf(const fs::path& workDir, const std::vector<std::string>& files, const fs::path& pdf)
{
    // Without a display the offscreen platform paints just as well.
    if (std::getenv("QT_QPA_PLATFORM") == nullptr && std::getenv("DISPLAY") == nullptr &&
        std::getenv("WAYLAND_DISPLAY") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "keltora";
    static char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);
    std::error_code ec;
    const fs::path program = fs::read_symlink("/proc/self/exe", ec).parent_path();
    FormLibrary forms(reportFormFolders(workDir, {}, program));
    ReportLayout layout = layoutReport(workDir, files, forms);
    for (const auto& w : layout.warnings)
        std::fprintf(stderr, "%s\n", w.c_str());
    QString error;
    if (!exportReportPdf(layout, QString::fromStdString(pdf.string()), &error)) {
        std::fprintf(stderr, "%s\n", error.toStdString().c_str());
        return false;
    }
    std::printf("%s (%zu pages)\n", pdf.string().c_str(), layout.pages.size());
    return true;
}
#endif

int runReport(const Args& argsIn)
{
    Args args = argsIn;
    std::string workDir = ".", pdf, threadsText;
    takeOption(args, "--workdir", workDir);
    takeOption(args, "-o", pdf);
    const bool haveThreads = takeOption(args, "--threads", threadsText);
    int threads = 0;
    char tail = 0;
    if (args.size() != 1 ||
        (haveThreads && (cscan(threadsText.c_str(), "%d%c", &threads, &tail) != 1 || threads < 1 ||
                         threads > 256))) {
        std::fprintf(stderr, "usage: keltora %s\n", kUsage);
        return 2;
    }
    auto model = loadSection(args[0]);
    if (!model) return 2;
    if (!prepareWorkDir(workDir, "report")) return 2;

    CalcOptions options;
    options.workDir = workDir;
    options.threads = threads;
    auto results = std::make_unique<CalculationResults>();
    std::fprintf(stderr, "calculating %s ...\n", args[0].c_str());
    CalcOutcome outcome = runCalculation(*model, *results, options);
    for (const Message& m : outcome.messages)
        printMessage(m);

    std::error_code ec;
    fs::path dataPath = fs::absolute(args[0], ec).lexically_normal();
    dataPath.replace_extension();
    const ReportInput input = reportInputFrom(*model, *results, dataPath.string());
    ReportCommandOutcome report = runReportCommand(input, workDir, false);
    for (const Message& m : report.log.messages)
        printMessage(m);
    std::printf("report data in %s: %zu files\n", workDir.c_str(), report.log.written.size());
    // A report rendered from the files that could be written would be incomplete (or
    // empty) and look like a finished one.
    if (!report.log.failed.empty()) {
        std::fprintf(stderr, "keltora report: report data incomplete, no report rendered\n");
        return 2;
    }

    const std::vector<std::string> files = report.reportStatus == 0
                                               ? reportFilesInFolder(workDir)
                                               : std::vector<std::string>{"SB_CHECK.PDT"};
    if (pdf.empty()) pdf = (fs::path(workDir) / "report.pdf").string();
#ifdef KELTORA_HAVE_RENDER
    return renderPdf(workDir, files, pdf) ? 0 : 2;
#else
    std::fprintf(stderr, "keltora report: this build has no Qt; open the report data with "
                         "keltora-report-viewer to print or export it\n");
    return 2;
#endif
}

const CommandRegistrar report{{"report", kUsage,
                               "calculate, write the report data files and the check list into "
                               "DIR (default: current folder) and render the report to PDF",
                               runReport}};

} // namespace
} // namespace keltora::cli
