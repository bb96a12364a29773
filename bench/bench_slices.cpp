// Time per slice per core of the circle search by method, and its thread scaling: the
// four-grid searches of examples/benchmark.SDW and examples/verification/yamagami_ueta.SDW,
// by modified Fellenius (as saved) and by simplified Bishop (the same circle settings),
// on 1 and 2 threads, dumps written. bench/run.sh runs it and prints the report.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "analysis/bishop.h"
#include "analysis/circle_search.h"
#include "analysis/circle_slices.h"
#include "geometry/block_polygons.h"
#include "search_sections.h"

using namespace keltora;

namespace {

// Counts the slices of the program's own evaluation (Fellenius or Bishop).
template <typename Evaluator> class Counting final : public CircleEvaluator {
  public:
    Counting(const SlopeModel& model, const PolygonTable& polygons) : inner_(model, polygons) {}
    SliceBreaks buildSliceBreaks(double cx) const override { return inner_.buildSliceBreaks(cx); }
    void evaluateCircle(int grid, double cx, double cy, double rr, const SliceBreaks& breaks,
                        std::vector<EvaluatedMass>& out) const override
    {
        slices.fetch_add(inner_.evaluateCircleCounting(grid, cx, cy, rr, breaks, out),
                         std::memory_order_relaxed);
    }
    // The search asks for a centre's circles at once (Bishop iterates two masses together).
    long evaluateRadii(int grid, double cx, double cy, const std::vector<double>& radii,
                       const SliceBreaks& breaks, std::vector<EvaluatedMass>& out) const override
    {
        const long n = inner_.evaluateRadii(grid, cx, cy, radii, breaks, out);
        slices.fetch_add(n, std::memory_order_relaxed);
        return n;
    }
    mutable std::atomic<long long> slices{0};

  private:
    Evaluator inner_;
};

double processCpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
}

// Arguments: section (0 benchmark.SDW, 1 yamagami_ueta.SDW), method (0 Fellenius,
// 2 Bishop), threads.
void BM_Search(benchmark::State& state)
{
    const bool bishop = state.range(1) == 2;
    const auto model = bench::loadSearchSection(static_cast<int>(state.range(0)), bishop);
    if (!model) std::abort();
    const int threads = static_cast<int>(state.range(2));
    const PolygonTable polygons = buildPolygonTable(*model);
    std::unique_ptr<CircleEvaluator> evaluator;
    std::atomic<long long>* slices = nullptr;
    if (bishop) {
        auto e = std::make_unique<Counting<BishopEvaluator>>(*model, polygons);
        slices = &e->slices;
        evaluator = std::move(e);
    } else {
        auto e = std::make_unique<Counting<FelleniusEvaluator>>(*model, polygons);
        slices = &e->slices;
        evaluator = std::move(e);
    }
    CircleSearchOptions options = bench::searchOptions(
        std::filesystem::temp_directory_path() / "keltora-bench-slices", bishop);
    options.threads = threads;
    const CircleSearchSettings& settings = bishop ? model->bishopCircle : model->felleniusCircle;
    auto results = std::make_unique<CalculationResults>();
    long long runs = 0;
    double cpu = 0;
    for (auto _ : state) {
        const double c0 = processCpuSeconds();
        MessageList messages;
        runCircleSearch(*model, settings, *evaluator, options, *results, nullptr, messages);
        cpu += processCpuSeconds() - c0;
        ++runs;
    }
    const double perRun = static_cast<double>(slices->load()) / static_cast<double>(runs);
    state.counters["slices"] = perRun;
    // Wall time x threads per slice: the counter is v * iterations / seconds, inverted.
    state.counters["ns_per_slice_core"] =
        benchmark::Counter(perRun / (1e9 * threads), benchmark::Counter::kIsIterationInvariantRate |
                                                         benchmark::Counter::kInvert);
    state.counters["cpu_ns_per_slice"] = cpu / static_cast<double>(runs) * 1e9 / perRun;
    state.counters["F"] = results->minima[0].f;
}

double smallest(const std::vector<double>& v)
{
    return v.empty() ? 0.0 : *std::min_element(v.begin(), v.end());
}

} // namespace

BENCHMARK(BM_Search)
    ->ArgNames({"section", "method", "threads"})
    ->ArgsProduct({{0, 1}, {0, 2}, {1, 2}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->ComputeStatistics("min", smallest);

BENCHMARK_MAIN();
