// The figure and report commands on a waiting thread of their own.
#include "ui/external_launch.h"

#include <exception>
#include <thread>
#include <utility>

#include "geometry/block_polygons.h"
#include "output/figure.h"
#include "output/figure_results.h"
#include "output/plot_file.h"
#include "output/report_handoff.h"

namespace keltora::ui {

struct ExternalLauncher::Link {
    std::mutex mutex;
    ExternalLauncher* owner = nullptr;
};

ExternalLauncher::ExternalLauncher(QObject* parent)
    : QObject(parent), link_(std::make_shared<Link>())
{
    qRegisterMetaType<keltora::ui::LaunchOutcome>();
    link_->owner = this;
}

ExternalLauncher::~ExternalLauncher()
{
    const std::lock_guard lock(link_->mutex);
    link_->owner = nullptr;
}

void ExternalLauncher::launch(Job job, std::function<LaunchOutcome()> work)
{
    job_ = job;
    emit busyChanged(true);
    std::thread([link = link_, job, work = std::move(work)] {
        LaunchOutcome outcome;
        try {
            outcome = work();
        } catch (const std::exception& e) {
            outcome.messages.push_back(
                {std::string("出力を中断しました（") + e.what() + "）。", "ERROR"});
        }
        const std::lock_guard lock(link->mutex);
        // Posted while the owner cannot go away (its destructor takes the mutex).
        if (link->owner)
            QMetaObject::invokeMethod(
                link->owner, [owner = link->owner, job, outcome] { owner->done(job, outcome); },
                Qt::QueuedConnection);
    }).detach();
}

void ExternalLauncher::done(Job job, const LaunchOutcome& outcome)
{
    job_ = Job::None;
    emit busyChanged(false);
    emit finished(job, outcome);
}

bool ExternalLauncher::startPlot(const SlopeModel& model, const CalculationResults* results,
                                 const std::filesystem::path& startDirectory)
{
    if (isBusy()) return false;
    // Composed here from the document as it is now; the thread only writes and waits.
    const PolygonTable polygons = buildPolygonTable(model);
    const FigureResults figureResults =
        results ? figureResultsFrom(model, *results) : FigureResults{};
    auto figure = std::make_shared<const Figure>(composeFigure(model, figureResults, &polygons));
    launch(Job::Plot, [figure, startDirectory] {
        LaunchOutcome out;
        std::string note;
        if (auto m = runPlotCommand(*figure, startDirectory, {}, &note))
            out.messages.push_back(*m);
        else if (!note.empty())
            out.note = QString::fromStdString(note);
        return out;
    });
    return true;
}

bool ExternalLauncher::startReport(const SlopeModel& model,
                                   std::shared_ptr<const CalculationResults> results,
                                   const std::filesystem::path& dataPath,
                                   const std::filesystem::path& startDirectory)
{
    if (isBusy()) return false;
    // The thread works on its own copy of the model; the results are shared read-only.
    auto copy = std::make_shared<const SlopeModel>(model);
    std::filesystem::path withoutExtension = dataPath;
    if (!withoutExtension.empty()) withoutExtension.replace_extension();
    launch(Job::Report, [copy, results, path = withoutExtension.string(), startDirectory] {
        const CalculationResults none;
        const ReportInput input = reportInputFrom(*copy, results ? *results : none, path);
        ReportCommandOutcome report = runReportCommand(input, startDirectory, true);
        LaunchOutcome out;
        out.messages = std::move(report.log.messages);
        if (report.viewerStatus == 2) out.note = QString::fromStdString(reportViewerCommand());
        return out;
    });
    return true;
}

} // namespace keltora::ui
