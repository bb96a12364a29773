// Runs the calculation on a worker thread: the worker reads its own copy of the model,
// its observer hands the message-window lines and the progress to the GUI thread (pulled
// by a timer, so a fast search cannot flood the event queue), abort is an atomic flag,
// and the finished run comes back to the GUI thread to be applied in one step.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <array>
#include <atomic>
#include <memory>
#include <thread>

#include "analysis/calculation.h"

namespace keltora::ui {

// What the message window shows, as last reported by the running calculation.
struct CalculationProgress {
    std::array<QString, 8> lines;
    int grid = 0;  // 0-based grid (level) now computing
    int grids = 0; // grids of the run
    long long done = 0, total = 0;
};

class CalculationWorker : public QObject {
    Q_OBJECT
  public:
    explicit CalculationWorker(QObject* parent = nullptr);
    // A running calculation is asked to stop and waited for.
    ~CalculationWorker() override;

    bool isRunning() const { return thread_.joinable(); }

    // Starts the calculation of `model` (copied; the caller's model is never read by the
    // worker). False when a calculation is running already.
    bool start(const SlopeModel& model, const CalcOptions& options);

    // Asks the running calculation to stop at its next search step.
    void requestAbort();
    bool abortRequested() const { return abort_->load(); }

    // How often the progress is passed on while the calculation runs.
    static constexpr int kProgressIntervalMs = 50;

    struct Shared; // what the calculation's thread leaves for the GUI thread

  signals:
    // The lines or the progress changed (at most every kProgressIntervalMs).
    void progressChanged(const keltora::ui::CalculationProgress& progress);
    // The run ended (completed, aborted, refused or failed); `run` is to be applied.
    void finished(const keltora::CalculationRun& run);

  private:
    void pollProgress();
    void onThreadDone();

    std::shared_ptr<Shared> shared_;
    std::shared_ptr<std::atomic<bool>> abort_;
    std::thread thread_;
    QTimer poll_;
};

} // namespace keltora::ui

Q_DECLARE_METATYPE(keltora::ui::CalculationProgress)
Q_DECLARE_METATYPE(keltora::CalculationRun)
