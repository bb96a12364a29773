// The figure and report commands of the main window: the plot file or the report data
// files are written into the start directory and the plotter or the report viewer is
// started there and waited for on a thread of its own, so the window stays usable. One
// helper program at a time.
#pragma once

#include <QObject>
#include <QString>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>

#include "analysis/results.h"
#include "model/message.h"
#include "model/model.h"

namespace keltora::ui {

// What a finished command leaves for the user.
struct LaunchOutcome {
    MessageList messages; // files that could not be written and other notices, in order
    QString note;         // the helper program could not be started (empty: it ran)
};

class ExternalLauncher : public QObject {
    Q_OBJECT
  public:
    enum class Job { None, Plot, Report };
    Q_ENUM(Job)

    explicit ExternalLauncher(QObject* parent = nullptr);
    // A helper program still open stays open; the thread waiting for it is left to end
    // with it and no longer reports.
    ~ExternalLauncher() override;

    bool isBusy() const { return job_ != Job::None; }
    Job job() const { return job_; }

    // The figure command: composes the calculation figure of `model` and `results` (null
    // or not valid: the figure without results), then writes "SBPLOT01.VOV" and
    // "DirPath2.inf" into startDirectory and starts the plotter there. False when busy.
    bool startPlot(const SlopeModel& model, const CalculationResults* results,
                   const std::filesystem::path& startDirectory);

    // The report command: the report data files, the check list and "DirPath.inf" into
    // startDirectory, then the report viewer ("/PDTOPEN"). dataPath is the document's
    // file (empty when untitled). False when busy.
    bool startReport(const SlopeModel& model, std::shared_ptr<const CalculationResults> results,
                     const std::filesystem::path& dataPath,
                     const std::filesystem::path& startDirectory);

  signals:
    void busyChanged(bool busy);
    // The helper program ended (or could not be started, or the files could not be
    // written): what to tell the user.
    void finished(keltora::ui::ExternalLauncher::Job job,
                  const keltora::ui::LaunchOutcome& outcome);

  private:
    struct Link; // the waiting thread's way back to this object, cut by the destructor
    // Runs `work` on a detached thread; its outcome comes back through done().
    void launch(Job job, std::function<LaunchOutcome()> work);
    void done(Job job, const LaunchOutcome& outcome);

    Job job_ = Job::None;
    std::shared_ptr<Link> link_;
};

} // namespace keltora::ui

Q_DECLARE_METATYPE(keltora::ui::LaunchOutcome)
