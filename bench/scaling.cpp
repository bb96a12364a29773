// Two-thread scaling of one circle search, measured search by search: the one-thread and
// the two-thread search take turns, every search is timed on its own, and the report gives
// the smallest, the tenth percentile and the median of each with their ratios. Taking turns
// puts a slow spell of a shared machine on both alike; the percentiles leave out the
// searches it hit. Usage: scaling [SECTION [METHOD [SEARCHES]]] with SECTION 0
// (examples/benchmark.SDW) or 1 (examples/verification/yamagami_ueta.SDW, the default),
// METHOD 0 (modified Fellenius, as saved; the default) or 2 (simplified Bishop with the
// same circle settings), SEARCHES of each kind (default 200).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

#include "analysis/bishop.h"
#include "analysis/circle_search.h"
#include "analysis/circle_slices.h"
#include "geometry/block_polygons.h"
#include "search_sections.h"

using namespace keltora;

namespace {

double quantile(std::vector<double> v, double q)
{
    std::sort(v.begin(), v.end());
    return v[static_cast<std::size_t>(q * static_cast<double>(v.size() - 1))];
}

} // namespace

int main(int argc, char** argv)
{
    const int section = argc > 1 ? std::atoi(argv[1]) : 1;
    const bool bishop = argc > 2 && std::atoi(argv[2]) == 2;
    const int searches = std::max(argc > 3 ? std::atoi(argv[3]) : 200, 1);

    const auto path = bench::searchSectionPath(section);
    const auto loaded = bench::loadSearchSection(section, bishop);
    if (!loaded) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        return 1;
    }
    const SlopeModel& model = *loaded;
    const PolygonTable polygons = buildPolygonTable(model);
    std::unique_ptr<CircleEvaluator> evaluator;
    if (bishop)
        evaluator = std::make_unique<BishopEvaluator>(model, polygons);
    else
        evaluator = std::make_unique<FelleniusEvaluator>(model, polygons);
    CircleSearchOptions options = bench::searchOptions(
        std::filesystem::temp_directory_path() / "keltora-bench-scaling", bishop);
    const CircleSearchSettings& settings = bishop ? model.bishopCircle : model.felleniusCircle;
    auto results = std::make_unique<CalculationResults>();

    auto once = [&](int threads) {
        options.threads = threads;
        MessageList messages;
        const auto t0 = std::chrono::steady_clock::now();
        runCircleSearch(model, settings, *evaluator, options, *results, nullptr, messages);
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
            .count();
    };
    for (int w = 0; w < 3; ++w) { // warm-up: caches, page cache, the helper threads
        once(1);
        once(2);
    }
    std::vector<double> one, two;
    for (int i = 0; i < searches; ++i) {
        one.push_back(once(1));
        two.push_back(once(2));
    }
    std::printf("%s, %s, %d searches each\n", path.filename().c_str(),
                bishop ? "simplified Bishop" : "modified Fellenius", searches);
    std::printf("%-10s %10s %10s %10s\n", "", "smallest", "10 %", "median");
    std::printf("%-10s %10.3f %10.3f %10.3f ms\n", "1 thread", quantile(one, 0), quantile(one, 0.1),
                quantile(one, 0.5));
    std::printf("%-10s %10.3f %10.3f %10.3f ms\n", "2 threads", quantile(two, 0),
                quantile(two, 0.1), quantile(two, 0.5));
    std::printf("%-10s %9.3fx %9.3fx %9.3fx\n", "speed-up", quantile(one, 0) / quantile(two, 0),
                quantile(one, 0.1) / quantile(two, 0.1), quantile(one, 0.5) / quantile(two, 0.5));
    return 0;
}
