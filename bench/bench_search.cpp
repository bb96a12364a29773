// Speed of the whole calculation of examples/benchmark.SDW (four grids of 21 x 21 centres
// x 100 radii at 0.1 m slices): wall time on all cores and per thread count, circles,
// slices and nanoseconds per slice per core. Run: build/bench_search
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>

#include "analysis/calculation.h"
#include "analysis/circle_slices.h"
#include "model/sdw_file.h"

using namespace keltora;

namespace {

// The program's evaluation, counting the slices it sums.
class CountingEvaluator final : public CircleEvaluator {
  public:
    CountingEvaluator(const SlopeModel& model, const PolygonTable& polygons,
                      std::atomic<long long>& slices)
        : inner_(model, polygons), slices_(slices)
    {
    }
    SliceBreaks buildSliceBreaks(double cx) const override { return inner_.buildSliceBreaks(cx); }
    void evaluateCircle(int grid, double cx, double cy, double rr, const SliceBreaks& breaks,
                        std::vector<EvaluatedMass>& out) const override
    {
        slices_.fetch_add(inner_.evaluateCircleCounting(grid, cx, cy, rr, breaks, out),
                          std::memory_order_relaxed);
    }
    long evaluateRadii(int grid, double cx, double cy, const std::vector<double>& radii,
                       const SliceBreaks& breaks, std::vector<EvaluatedMass>& out) const override
    {
        const long n = inner_.evaluateRadii(grid, cx, cy, radii, breaks, out);
        slices_.fetch_add(n, std::memory_order_relaxed);
        return n;
    }

  private:
    FelleniusEvaluator inner_;
    std::atomic<long long>& slices_;
};

// CPU time of the whole process (all threads), in seconds.
double processCpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
}

std::unique_ptr<SlopeModel> loadBenchmark()
{
    auto m = std::make_unique<SlopeModel>();
    resetModel(*m);
    const auto path = std::filesystem::path(KELTORA_SOURCE_DIR) / "examples" / "benchmark.SDW";
    if (readDataFile(*m, path).status != 0) std::abort();
    return m;
}

std::filesystem::path workDir()
{
    auto dir = std::filesystem::temp_directory_path() / "keltora-bench";
    std::filesystem::create_directories(dir);
    return dir;
}

// The calculation as the command line runs it (program evaluation, dumps written).
// Argument: threads (0 = all cores).
void BM_Calculation(benchmark::State& state)
{
    auto model = loadBenchmark();
    auto results = std::make_unique<CalculationResults>();
    CalcOptions options;
    options.workDir = workDir();
    options.threads = static_cast<int>(state.range(0));
    options.now = std::tm{};
    for (auto _ : state) {
        CalcOutcome out = runCalculation(*model, *results, options);
        if (out.verdict == Verdict::None) state.SkipWithError("no result");
        benchmark::DoNotOptimize(results->critical.f);
    }
    state.counters["circles"] = static_cast<double>(results->circlesEvaluated);
    state.counters["F"] = results->critical.f;
}

// The same calculation with the slices counted: reports slices per run and the time per
// slice per core (wall time x threads / slices).
void BM_CalculationPerSlice(benchmark::State& state)
{
    auto model = loadBenchmark();
    auto results = std::make_unique<CalculationResults>();
    std::atomic<long long> slices{0};
    int threads = static_cast<int>(state.range(0));
    if (threads == 0) threads = static_cast<int>(std::thread::hardware_concurrency());
    CalcOptions options;
    options.workDir = workDir();
    options.threads = threads;
    options.now = std::tm{};
    options.circleEvaluator = [&slices](const SlopeModel& m, const PolygonTable& p) {
        return std::make_unique<CountingEvaluator>(m, p, slices);
    };
    long long runs = 0;
    double seconds = 0.0, cpuSeconds = 0.0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = processCpuSeconds();
        runCalculation(*model, *results, options);
        cpuSeconds += processCpuSeconds() - cpuStart;
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        ++runs;
    }
    const double perRun = static_cast<double>(slices.load()) / static_cast<double>(runs);
    state.counters["slices"] = perRun;
    state.counters["threads"] = threads;
    // Wall time x threads per slice: what a core spends on a slice when the machine is ours.
    state.counters["ns_per_slice_core"] =
        seconds / static_cast<double>(runs) * 1e9 * threads / perRun;
    // CPU time of all threads per slice: the same figure, unaffected by other processes.
    state.counters["cpu_ns_per_slice"] = cpuSeconds / static_cast<double>(runs) * 1e9 / perRun;
}

} // namespace

BENCHMARK(BM_Calculation)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CalculationPerSlice)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
