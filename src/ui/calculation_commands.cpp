// The calculation commands of the main window and their hand-over to the document.
#include "ui/calculation_commands.h"

#include <QAction>
#include <algorithm>
#include <cstring>

#include "geometry/block_polygons.h"
#include "output/dxf_writer.h"
#include "output/figure_results.h"
#include "ui/main_window.h"
#include "ui/message_window.h"
#include "ui/result_table_dialog.h"

namespace keltora::ui {
namespace {

// Commands that only look at the section stay usable while the calculation runs.
bool staysUsable(const QString& name)
{
    static const char* const names[] = {"AllShow",    "ZoomIn",   "ZoomOut", "AreaEnlarge",
                                        "AreaShrink", "HelpDisp", "About"};
    return std::any_of(std::begin(names), std::end(names),
                       [&name](const char* n) { return name == QLatin1String(n); });
}

} // namespace

CalculationCommands::CalculationCommands(MainWindow& window) : QObject(&window), window_(window)
{
    worker_ = new CalculationWorker(this);
    messageWindow_ = new MessageWindow(&window);
    // The model must not change while it is calculated: the main window takes no input
    // until the run has ended (it keeps repainting).
    messageWindow_->setWindowModality(Qt::WindowModal);
    resultTable_ = new ResultTableDialog(&window);
    launcher_ = new ExternalLauncher(this);

    connect(worker_, &CalculationWorker::progressChanged, this, &CalculationCommands::onProgress);
    connect(worker_, &CalculationWorker::finished, this, &CalculationCommands::onFinished);
    connect(messageWindow_, &MessageWindow::abortClicked, worker_,
            &CalculationWorker::requestAbort);
    connect(resultTable_, &ResultTableDialog::sizeChanged, this, [this](QSize size) {
        window_.settings().rememberWindowSize(ResultTableDialog::kWindowSizeEntry, size);
    });
    connect(launcher_, &ExternalLauncher::busyChanged, this,
            &CalculationCommands::updateLaunchCommands);
    connect(launcher_, &ExternalLauncher::finished, this, &CalculationCommands::onLaunchFinished);
}

CalculationCommands::~CalculationCommands() = default;

void CalculationCommands::runCalculation()
{
    if (worker_->isRunning()) return;
    SectionDocument& doc = window_.sectionDocument();
    CalcOptions options;
    options.workDir = window_.startDirectory();
    // The run starts from "no results", as the view shows while it runs.
    doc.setResults(nullptr);
    setBusy(true);
    messageWindow_->begin();
    if (!worker_->start(doc.model(), options)) {
        messageWindow_->hide();
        setBusy(false);
    }
}

void CalculationCommands::onProgress(const CalculationProgress& p)
{
    for (int i = 0; i < MessageWindow::kLines; ++i)
        messageWindow_->setLine(i + 1, p.lines[static_cast<std::size_t>(i)]);
    messageWindow_->setProgress(p.done, p.total);
}

void CalculationCommands::onFinished(const CalculationRun& run)
{
    messageWindow_->hide();
    SectionDocument& doc = window_.sectionDocument();
    // Flag, date and time, then the results, which tell the views once.
    doc.adjust([&run](SlopeModel& m) {
        applyCalculation(run.outcome, m);
        return true;
    });
    doc.setResults(run.results); // the view redraws with the results
    setBusy(false);
    for (const Message& m : run.outcome.messages)
        window_.showMessage(m);
    emit calculationFinished();
}

void CalculationCommands::setBusy(bool busy)
{
    if (busy) {
        disabled_.clear();
        for (QAction* a : window_.findChildren<QAction*>()) {
            if (a->objectName().isEmpty() || staysUsable(a->objectName()) || !a->isEnabled())
                continue;
            a->setEnabled(false);
            disabled_.emplace_back(a);
        }
    } else {
        for (const QPointer<QAction>& a : disabled_)
            if (a) a->setEnabled(true);
        disabled_.clear();
        updateLaunchCommands();
    }
}

void CalculationCommands::updateLaunchCommands()
{
    if (worker_->isRunning()) return;
    const bool free = !launcher_->isBusy();
    for (const char* name : {"PlotDraw", "ReportPrint"})
        if (QAction* a = window_.action(QString::fromLatin1(name))) a->setEnabled(free);
}

void CalculationCommands::showResultTable()
{
    const SectionDocument& doc = window_.sectionDocument();
    resultTable_->resize(window_.settings().windowSize(ResultTableDialog::kWindowSizeEntry));
    const int method = doc.model().conditions.method;
    resultTable_->setMapContext(doc.model().conditions.allowableSafetyFactor,
                                method != kMethodLineByAngle && method != kMethodLineBySegments);
    resultTable_->setResults(doc.hasValidResults() ? doc.document().results() : nullptr);
    resultTable_->exec();
}

void CalculationCommands::drawFigure()
{
    const SectionDocument& doc = window_.sectionDocument();
    launcher_->startPlot(doc.model(), doc.hasValidResults() ? doc.results() : nullptr,
                         window_.startDirectory());
}

bool CalculationCommands::saveFigureDxf()
{
    const SectionDocument& doc = window_.sectionDocument();
    // The same composition as the plotter's, from the document as it is now.
    const SlopeModel& model = doc.model();
    const PolygonTable polygons = buildPolygonTable(model);
    const CalculationResults* results = doc.hasValidResults() ? doc.results() : nullptr;
    const Figure figure = composeFigure(
        model, results ? figureResultsFrom(model, *results) : FigureResults{}, &polygons);
    const QString chosen = window_.asker().saveFileName(
        tr("計算対象図をDXFで保存する"), window_.settings().dataDirectory(),
        tr("DXFファイル(*.dxf *.DXF)"), QStringLiteral("dxf"));
    if (chosen.isEmpty()) return false;
    if (auto m = writeDxfFile(figure, std::filesystem::path(chosen.toStdString()))) {
        window_.showMessage(*m);
        return false;
    }
    return true;
}

void CalculationCommands::printReport()
{
    const SectionDocument& doc = window_.sectionDocument();
    launcher_->startReport(doc.model(), doc.hasValidResults() ? doc.document().results() : nullptr,
                           doc.document().dataPath(), window_.startDirectory());
}

void CalculationCommands::onLaunchFinished(ExternalLauncher::Job job, const LaunchOutcome& outcome)
{
    for (const Message& m : outcome.messages)
        window_.showMessage(m);
    if (!outcome.note.isEmpty()) {
        const char* what = job == ExternalLauncher::Job::Plot ? "作図プログラム" : "計算書ビューア";
        window_.showMessage(
            {std::string(what) + "を起動できませんでした。\n" + outcome.note.toStdString(),
             "メッセージ"});
    }
}

} // namespace keltora::ui
