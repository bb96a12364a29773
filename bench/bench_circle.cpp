// Speed of the per-circle evaluation: the search grid of the quay backfill example
// (11 x 8 centres, 23 radii = 2024 circles per pass), reported as circles/s and slices/s.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "analysis/circle_slices.h"
#include "model/sdw_file.h"

namespace {

using namespace keltora;

std::unique_ptr<SlopeModel> loadExample(const char* name)
{
    auto m = std::make_unique<SlopeModel>();
    resetModel(*m);
    const ReadResult r = readDataFile(*m, std::string(KELTORA_SOURCE_DIR) + "/examples/" + name);
    if (r.status != 0) {
        std::fprintf(stderr, "cannot read %s\n", name);
        std::exit(1);
    }
    return m;
}

void evaluateGrid(benchmark::State& state, const char* file)
{
    auto model = loadExample(file);
    const PolygonTable polygons = buildPolygonTable(*model);
    const FelleniusEvaluator ev(*model, polygons);
    const CircleSearchSettings& s = model->activeCircle();
    std::vector<EvaluatedMass> out;
    long circles = 0, slices = 0;
    for (auto _ : state) {
        for (double cx = s.centreX.min; cx <= s.centreX.max + 0.001; cx += s.centreX.step) {
            const SliceBreaks breaks = ev.buildSliceBreaks(cx);
            for (double cy = s.centreY.min; cy <= s.centreY.max + 0.001; cy += s.centreY.step) {
                for (double rr = s.radius.min; rr <= s.radius.max + 0.001; rr += s.radius.step) {
                    out.clear();
                    slices += ev.evaluateCircleCounting(0, cx, cy, rr, breaks, out);
                    ++circles;
                    benchmark::DoNotOptimize(out.data());
                }
            }
        }
    }
    state.counters["circles/s"] =
        benchmark::Counter(static_cast<double>(circles), benchmark::Counter::kIsRate);
    state.counters["slices/s"] =
        benchmark::Counter(static_cast<double>(slices), benchmark::Counter::kIsRate);
    state.counters["slices/circle"] = benchmark::Counter(
        circles ? static_cast<double>(slices) / static_cast<double>(circles) : 0);
}

void BM_QuayBackfillGrid(benchmark::State& state)
{
    evaluateGrid(state, "quay_backfill.SDW");
}
void BM_EmbankmentGrid(benchmark::State& state)
{
    evaluateGrid(state, "embankment.SDW");
}

BENCHMARK(BM_QuayBackfillGrid)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EmbankmentGrid)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
