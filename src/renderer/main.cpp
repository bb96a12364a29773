// keltora-render: the Qt rendering of the command line in a process of its own, so that
// `keltora` loads no Qt for what needs none. Run by keltora, not by users:
//   keltora-render figure PLOTFILE OUT.pdf|.svg|.png
//   keltora-render composed FIGUREFILE NAME OUT.pdf|.svg|.png   (a figure without plot file)
//   keltora-render report WORKDIR OUT.pdf PROGRAMDIR FILE...
// Exit 0 when the output is written; 2 (with a message on stderr) otherwise.
#include <QGuiApplication>
#include <QString>

#include <clocale>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "cli/figure_transfer.h"
#include "output/report_layout.h"
#include "render/plot_painter.h"
#include "render/plot_reader.h"
#include "render/qt_environment.h"
#include "render/report_painter.h"

namespace fs = std::filesystem;
using namespace keltora;

namespace {

int figure(const std::string& plotFile, const std::string& out)
{
    std::string error;
    auto doc = readPlotFile(plotFile, &error);
    if (!doc || !exportPlotByExtension(*doc, out, &error)) {
        std::fprintf(stderr, "keltora plot: %s\n", error.c_str());
        return 2;
    }
    return 0;
}

int composed(const std::string& file, const std::string& name, const std::string& out)
{
    std::string bytes;
    if (std::FILE* f = std::fopen(file.c_str(), "rb")) {
        char buffer[1 << 16];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
            bytes.append(buffer, n);
        std::fclose(f);
    }
    const std::optional<Figure> figure = cli::figureFromBytes(bytes);
    if (!figure) {
        std::fprintf(stderr, "keltora plot: the figure handed to keltora-render is unreadable\n");
        return 2;
    }
    std::string error;
    if (!exportPlotByExtension(plotDocumentOf(*figure, name), out, &error)) {
        std::fprintf(stderr, "keltora plot: %s\n", error.c_str());
        return 2;
    }
    return 0;
}

int report(const fs::path& workDir, const fs::path& pdf, const fs::path& programDir,
           const std::vector<std::string>& files)
{
    prepareQtEnvironment(true);
    routeQtMessages();
    static int argc = 1;
    static char name[] = "keltora";
    static char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);
    FormLibrary forms(reportFormFolders(workDir, {}, programDir));
    ReportLayout layout = layoutReport(workDir, files, forms);
    for (const auto& w : layout.warnings)
        std::fprintf(stderr, "%s\n", w.c_str());
    QString error;
    if (!exportReportPdf(layout, QString::fromStdString(pdf.string()), &error)) {
        std::fprintf(stderr, "keltora report: %s\n", error.toStdString().c_str());
        return 2;
    }
    std::printf("%s (%zu pages)\n", pdf.string().c_str(), layout.pages.size());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, ""); // as keltora, whose rendering this is
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 3 && args[0] == "figure") return figure(args[1], args[2]);
    if (args.size() == 4 && args[0] == "composed") return composed(args[1], args[2], args[3]);
    if (args.size() >= 4 && args[0] == "report")
        return report(args[1], args[2], args[3], {args.begin() + 4, args.end()});
    std::fprintf(
        stderr,
        "usage: keltora-render figure PLOTFILE OUT | composed FIGUREFILE NAME OUT "
        "| report WORKDIR PDF PROGRAMDIR FILE...\n(run by keltora plot -o and keltora report)\n");
    return 2;
}
