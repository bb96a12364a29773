// keltora-plotter: shows a plot command file (named by "DirPath2.inf" in the current folder,
// or given on the command line), prints it, and exports PDF, SVG or PNG.
#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeySequence>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QStatusBar>
#include <QToolBar>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "output/plot_file.h"
#include "render/plot_painter.h"
#include "render/plot_reader.h"
#include "render/plot_view.h"
#include "render/qt_environment.h"

namespace {

using namespace keltora;

struct Options {
    std::string file;
    std::string pdf, svg, png, screenshot;
    double dotsPerMm = 8.0;
    bool help = false;
    std::string error;
};

Options parseArgs(int argc, char** argv)
{
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc)
                o.error = "missing value after " + a;
            else
                out = argv[++i];
        };
        if (a == "--pdf")
            value(o.pdf);
        else if (a == "--svg")
            value(o.svg);
        else if (a == "--png")
            value(o.png);
        else if (a == "--screenshot")
            value(o.screenshot);
        else if (a == "--dpi") {
            std::string v;
            value(v);
            o.dotsPerMm = std::atof(v.c_str()) / 25.4;
            if (!(o.dotsPerMm > 0.0)) o.error = "bad --dpi value";
        } else if (a == "-h" || a == "--help")
            o.help = true;
        else if (!a.empty() && a[0] == '-')
            o.error = "unknown option " + a;
        else if (o.file.empty())
            o.file = a;
        else
            o.error = "more than one plot file given";
    }
    return o;
}

const char* kUsage =
    "usage: keltora-plotter [FILE.VOV] [--pdf OUT.pdf] [--svg OUT.svg] [--png OUT.png] [--dpi N]\n"
    "                       [--screenshot OUT.png]\n"
    "Without FILE the plot file named by DirPath2.inf in the current folder is shown.\n"
    "With an export option the file is written and no window opens; --screenshot shows the\n"
    "window, saves it as an image and quits (checks without a screen).\n";

// The plot file to show: the one given, else the one the hand-off file names.
bool locatePlotFile(const Options& o, std::filesystem::path& path, std::string& error)
{
    if (!o.file.empty()) {
        path = o.file;
        return true;
    }
    auto p = readPlotHandOff(kPlotHandOffName, &error);
    if (!p) {
        std::error_code ec;
        error = std::filesystem::absolute(kPlotHandOffName, ec).string() + ": " + error;
        return false;
    }
    path = *p;
    return true;
}

void reportSkipped(const PlotDocument& doc)
{
    if (doc.malformed == 0) return;
    std::fprintf(stderr, "keltora-plotter: %d unreadable record(s) skipped\n", doc.malformed);
    for (const auto& line : doc.problems)
        std::fprintf(stderr, "  %s\n", line.c_str());
}

int exportAll(const Options& o, const PlotDocument& doc)
{
    QString error;
    bool ok = true;
    if (!o.pdf.empty()) ok = exportPlotPdf(doc, QString::fromStdString(o.pdf), &error) && ok;
    if (!o.svg.empty()) ok = exportPlotSvg(doc, QString::fromStdString(o.svg), &error) && ok;
    if (!o.png.empty())
        ok = exportPlotPng(doc, QString::fromStdString(o.png), o.dotsPerMm, &error) && ok;
    if (!ok) std::fprintf(stderr, "keltora-plotter: %s\n", error.toLocal8Bit().constData());
    return ok ? 0 : 1;
}

class PlotterWindow : public QMainWindow {
  public:
    PlotterWindow(PlotDocument doc, const QString& path)
    {
        view_ = new PlotView(this);
        setCentralWidget(view_);
        view_->setDocument(std::move(doc));
        setWindowTitle(
            QStringLiteral("%1 - %2 - keltora-plotter")
                .arg(QString::fromStdString(view_->document().name), QFileInfo(path).fileName()));
        resize(1100, 800);

        QToolBar* bar = addToolBar(QStringLiteral("作図"));
        auto add = [&](const QString& text, QKeySequence key, auto fn) {
            QAction* a = bar->addAction(text);
            a->setShortcut(key);
            connect(a, &QAction::triggered, this, fn);
        };
        add(QStringLiteral("全体表示"), QKeySequence(Qt::Key_0), [this] { view_->fitToWindow(); });
        add(QStringLiteral("拡大"), QKeySequence::ZoomIn, [this] { view_->zoomIn(); });
        add(QStringLiteral("縮小"), QKeySequence::ZoomOut, [this] { view_->zoomOut(); });
        bar->addSeparator();
        add(QStringLiteral("印刷..."), QKeySequence::Print, [this] { print(); });
        add(QStringLiteral("PDF..."), QKeySequence(), [this] { exportAs("pdf"); });
        add(QStringLiteral("SVG..."), QKeySequence(), [this] { exportAs("svg"); });
        add(QStringLiteral("PNG..."), QKeySequence(), [this] { exportAs("png"); });
        bar->addSeparator();
        add(QStringLiteral("閉じる"), QKeySequence::Quit, [this] { close(); });

        const PlotDocument& d = view_->document();
        QString status = QStringLiteral("%1  用紙 %2 × %3 mm  %4 件")
                             .arg(path)
                             .arg(d.sheetWidth, 0, 'f', 0)
                             .arg(d.sheetHeight, 0, 'f', 0)
                             .arg(d.items.size());
        if (d.malformed > 0)
            status += QStringLiteral("  読めないレコード %1 件をとばしました").arg(d.malformed);
        statusBar()->addWidget(new QLabel(status));
        base_ = QFileInfo(path).completeBaseName();
    }

  private:
    void print()
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setPageOrientation(QPageLayout::Landscape);
        QPrintDialog dialog(&printer, this);
        if (dialog.exec() == QDialog::Accepted) printPlot(view_->document(), printer);
    }

    void exportAs(const char* kind)
    {
        const QString ext = QString::fromLatin1(kind);
        const QString path =
            QFileDialog::getSaveFileName(this, QStringLiteral("書き出し"), base_ + "." + ext,
                                         QStringLiteral("%1 (*.%2)").arg(ext.toUpper(), ext));
        if (path.isEmpty()) return;
        QString error;
        bool ok = ext == "pdf"   ? exportPlotPdf(view_->document(), path, &error)
                  : ext == "svg" ? exportPlotSvg(view_->document(), path, &error)
                                 : exportPlotPng(view_->document(), path, 8.0, &error);
        if (!ok) QMessageBox::warning(this, QStringLiteral("error"), error);
    }

    PlotView* view_;
    QString base_;
};

} // namespace

int main(int argc, char** argv)
{
    const Options o = parseArgs(argc, argv);
    if (o.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (!o.error.empty()) {
        std::fprintf(stderr, "keltora-plotter: %s\n%s", o.error.c_str(), kUsage);
        return 2;
    }
    const bool exporting = !o.pdf.empty() || !o.svg.empty() || !o.png.empty();
    const bool headless = exporting || !o.screenshot.empty();
    // Exports need no display.
    prepareQtEnvironment(headless);
    routeQtMessages();
    QApplication app(argc, argv);

    std::filesystem::path path;
    std::string error;
    std::optional<PlotDocument> doc;
    if (locatePlotFile(o, path, error)) {
        std::error_code ec;
        const std::filesystem::path full = std::filesystem::absolute(path, ec);
        if (!ec) path = full.lexically_normal();
        doc = readPlotFile(path, &error);
        if (!doc) error = path.string() + ": " + error;
    }
    if (!doc) {
        std::fprintf(stderr, "keltora-plotter: %s\n", error.c_str());
        if (!headless)
            QMessageBox::critical(nullptr, QStringLiteral("error"),
                                  QStringLiteral("作図ファイルを読めません。\n%1")
                                      .arg(QString::fromStdString(error)));
        return 1;
    }
    reportSkipped(*doc);
    if (doc->items.empty()) {
        // An empty or foreign file would give a blank sheet that looks like a figure.
        error = path.string() + ": 図がありません (作図レコードがひとつもありません)";
        std::fprintf(stderr, "keltora-plotter: %s\n", error.c_str());
        if (!headless)
            QMessageBox::critical(nullptr, QStringLiteral("error"), QString::fromStdString(error));
        return 1;
    }
    if (exporting) return exportAll(o, *doc);

    PlotterWindow window(std::move(*doc), QString::fromStdString(path.string()));
    window.show();
    if (!o.screenshot.empty()) {
        QApplication::processEvents();
        return window.grab().save(QString::fromStdString(o.screenshot)) ? 0 : 1;
    }
    return app.exec();
}
