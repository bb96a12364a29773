// The calculation on a worker thread, its observer and the hand-back to the GUI thread.
#include "ui/calculation_worker.h"

#include <exception>
#include <mutex>
#include <string>
#include <utility>

namespace keltora::ui {

// What the calculation's thread leaves for the GUI thread, under the mutex.
struct CalculationWorker::Shared {
    std::mutex mutex;
    std::array<std::string, 8> lines;
    int grid = 0, grids = 0;
    long long done = 0, total = 0;
    bool dirty = false;
    CalculationRun run;
};

namespace {

// Runs on the calculation's thread: stores what it is told, reads the abort flag.
class ForwardingObserver : public CalculationObserver {
  public:
    ForwardingObserver(CalculationWorker::Shared& shared, const std::atomic<bool>& abort)
        : shared_(shared), abort_(abort)
    {
    }

    void setLine(int line, const std::string& text) override
    {
        if (line < 1 || line > 8) return;
        const std::lock_guard lock(shared_.mutex);
        shared_.lines[static_cast<std::size_t>(line - 1)] = text;
        shared_.dirty = true;
    }

    void gridStarted(int grid, int grids, long long centres) override
    {
        const std::lock_guard lock(shared_.mutex);
        shared_.grid = grid;
        shared_.grids = grids;
        shared_.done = 0;
        shared_.total = centres;
        shared_.dirty = true;
    }

    void centreDone(long long done, long long total) override
    {
        const std::lock_guard lock(shared_.mutex);
        shared_.done = done;
        shared_.total = total;
        shared_.dirty = true;
    }

    bool abortRequested() override { return abort_.load(); }

  private:
    CalculationWorker::Shared& shared_;
    const std::atomic<bool>& abort_;
};

} // namespace

CalculationWorker::CalculationWorker(QObject* parent)
    : QObject(parent), abort_(std::make_shared<std::atomic<bool>>(false))
{
    qRegisterMetaType<keltora::ui::CalculationProgress>();
    qRegisterMetaType<keltora::CalculationRun>();
    poll_.setInterval(kProgressIntervalMs);
    connect(&poll_, &QTimer::timeout, this, &CalculationWorker::pollProgress);
}

CalculationWorker::~CalculationWorker()
{
    if (thread_.joinable()) {
        abort_->store(true);
        thread_.join();
    }
}

bool CalculationWorker::start(const SlopeModel& model, const CalcOptions& options)
{
    if (thread_.joinable()) return false;
    shared_ = std::make_shared<Shared>();
    abort_->store(false);
    // The copy is made here, on the caller's thread, before anything runs.
    auto copy = std::make_shared<const SlopeModel>(model);
    std::shared_ptr<Shared> shared = shared_;
    std::shared_ptr<std::atomic<bool>> abort = abort_;
    thread_ = std::thread([this, copy, options, shared, abort] {
        CalculationRun run;
        try {
            ForwardingObserver observer(*shared, *abort);
            run = calculate(*copy, options, &observer);
        } catch (...) {
            // calculate() reports its own failures; this is only the last line of defence.
            run = CalculationRun{};
            run.results = std::make_shared<CalculationResults>();
            run.outcome.status = -1;
            run.outcome.messages.push_back({"計算を中断しました（内部エラー）。", "ERROR"});
            run.outcome.messages.push_back(
                {"計算：計算結果が得られませんでした。\n", "メッセージ"});
        }
        {
            const std::lock_guard lock(shared->mutex);
            shared->run = std::move(run);
        }
        // The destructor joins this thread before the object goes, and a queued call to a
        // destroyed object is dropped, so `this` is safe here.
        QMetaObject::invokeMethod(this, &CalculationWorker::onThreadDone, Qt::QueuedConnection);
    });
    poll_.start();
    return true;
}

void CalculationWorker::requestAbort()
{
    abort_->store(true);
}

void CalculationWorker::pollProgress()
{
    if (!shared_) return;
    CalculationProgress p;
    {
        const std::lock_guard lock(shared_->mutex);
        if (!shared_->dirty) return;
        shared_->dirty = false;
        for (std::size_t i = 0; i < p.lines.size(); ++i)
            p.lines[i] = QString::fromStdString(shared_->lines[i]);
        p.grid = shared_->grid;
        p.grids = shared_->grids;
        p.done = shared_->done;
        p.total = shared_->total;
    }
    emit progressChanged(p);
}

void CalculationWorker::onThreadDone()
{
    if (thread_.joinable()) thread_.join();
    poll_.stop();
    pollProgress();
    CalculationRun run;
    {
        const std::lock_guard lock(shared_->mutex);
        run = std::move(shared_->run);
    }
    if (!run.results) run.results = std::make_shared<CalculationResults>();
    emit finished(run);
}

} // namespace keltora::ui
