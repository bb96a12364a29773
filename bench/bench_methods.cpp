// Speed of the Bishop search (examples/benchmark.SDW with method 2, its four grids) and of
// the straight slip searches (examples/wedge_line.SDW at a 0.01-degree pitch, two levels;
// examples/wedge_segments.SDW at 0.05 m / 0.1 m pitches): wall time on all cores and on one.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "analysis/calculation.h"
#include "model/sdw_file.h"

using namespace keltora;

namespace {

std::unique_ptr<SlopeModel> load(const char* name)
{
    auto m = std::make_unique<SlopeModel>();
    resetModel(*m);
    const auto path = std::filesystem::path(KELTORA_SOURCE_DIR) / "examples" / name;
    if (readDataFile(*m, path).status != 0) std::abort();
    return m;
}

std::filesystem::path workDir()
{
    auto dir = std::filesystem::temp_directory_path() / "keltora-bench-methods";
    std::filesystem::create_directories(dir);
    return dir;
}

void run(benchmark::State& state, SlopeModel& model)
{
    auto results = std::make_unique<CalculationResults>();
    CalcOptions options;
    options.workDir = workDir();
    options.threads = static_cast<int>(state.range(0));
    options.now = std::tm{};
    for (auto _ : state) {
        CalcOutcome out = runCalculation(model, *results, options);
        if (out.verdict == Verdict::None) state.SkipWithError("no result");
        benchmark::DoNotOptimize(results->critical.f);
    }
    // Circles (Bishop) or lines (straight slips) per run, and the critical factor.
    state.counters["surfaces"] = static_cast<double>(results->circlesEvaluated);
    state.counters["F"] = results->critical.f;
}

// Argument: threads (0 = all cores).
void BM_BishopSearch(benchmark::State& state)
{
    auto model = load("benchmark.SDW");
    model->conditions.method = kMethodBishop;
    model->bishopCircle = model->felleniusCircle;
    model->bishopCircle.direction = 1;
    run(state, *model);
}

void BM_LineByAngleSearch(benchmark::State& state)
{
    auto model = load("wedge_line.SDW");
    model->lineSlip.angle = {10, 40, 0.01};
    run(state, *model);
}

void BM_LineBySegmentsSearch(benchmark::State& state)
{
    auto model = load("wedge_segments.SDW");
    model->lineSlip.angle = {0.05, 0.1, 1};
    run(state, *model);
}

} // namespace

BENCHMARK(BM_BishopSearch)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LineByAngleSearch)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LineBySegmentsSearch)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
