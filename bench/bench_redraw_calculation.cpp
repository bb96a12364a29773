// How often the message window is brought up to date while a calculation of
// examples/benchmark.SDW runs on the worker thread: the number of updates per second and
// the longest gap between two (the goal is at least 10 updates per second, a gap of at
// most 100 ms), with the window repainted at each update as the main window does.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEventLoop>
#include <algorithm>
#include <chrono>
#include <vector>

#include "model/sdw_file.h"
#include "ui/calculation_worker.h"
#include "ui/message_window.h"

using namespace keltora;
using namespace keltora::ui;

namespace {

QApplication& app()
{
    static QApplication* a = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "bench_redraw_calculation";
        static char* argv[] = {name, nullptr};
        return new QApplication(argc, argv);
    }();
    return *a;
}

void BM_MessageWindowDuringCalculation(benchmark::State& state)
{
    app();
    SlopeModel model;
    resetModel(model);
    if (readDataFile(model, std::string(KELTORA_SOURCE_DIR) + "/examples/benchmark.SDW").status) {
        state.SkipWithError("cannot read examples/benchmark.SDW");
        return;
    }
    using Clock = std::chrono::steady_clock;
    double updates = 0, seconds = 0, longestGapMs = 0;
    for (auto _ : state) {
        MessageWindow window;
        CalculationWorker worker;
        std::vector<Clock::time_point> times;
        QObject::connect(&worker, &CalculationWorker::progressChanged,
                         [&](const CalculationProgress& p) {
                             for (int i = 0; i < MessageWindow::kLines; ++i)
                                 window.setLine(i + 1, p.lines[static_cast<std::size_t>(i)]);
                             window.setProgress(p.done, p.total);
                             window.repaint();
                             times.push_back(Clock::now());
                         });
        QEventLoop loop;
        QObject::connect(&worker, &CalculationWorker::finished, &loop, &QEventLoop::quit);
        window.begin();
        CalcOptions options;
        options.workDir = std::filesystem::temp_directory_path();
        const auto start = Clock::now();
        worker.start(model, options);
        loop.exec();
        const auto end = Clock::now();
        Clock::time_point last = start;
        for (const auto& t : times) {
            longestGapMs =
                std::max(longestGapMs, std::chrono::duration<double, std::milli>(t - last).count());
            last = t;
        }
        updates += static_cast<double>(times.size());
        seconds += std::chrono::duration<double>(end - start).count();
    }
    state.counters["updates_per_s"] = seconds > 0 ? updates / seconds : 0;
    state.counters["longest_gap_ms"] = longestGapMs;
}

} // namespace

BENCHMARK(BM_MessageWindowDuringCalculation)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
