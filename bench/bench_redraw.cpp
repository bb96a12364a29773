// Speed of the main view's full redraw: examples/benchmark.SDW with the results of its
// calculation, fitted to a 1920 x 1080 image, drawn with the result display set (frame,
// result block, soil conditions, loads, circles, factor-of-safety labels) and with the
// input set; the figure composition on its own (done once per document change).
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "analysis/calculation.h"
#include "edit/placement_modes.h"
#include "model/sdw_file.h"
#include "ui/screen_renderer.h"

using namespace keltora;

namespace {

struct Scene {
    std::unique_ptr<SlopeModel> model = std::make_unique<SlopeModel>();
    std::unique_ptr<CalculationResults> results = std::make_unique<CalculationResults>();
    Figure figure;
    ViewTransform view;
};

Scene& scene()
{
    static Scene* s = [] {
        auto* sc = new Scene;
        resetModel(*sc->model);
        const auto path = std::filesystem::path(KELTORA_SOURCE_DIR) / "examples" / "benchmark.SDW";
        if (readDataFile(*sc->model, path).status != 0) std::abort();
        auto dir = std::filesystem::temp_directory_path() / "keltora-bench-redraw";
        std::filesystem::create_directories(dir);
        CalcOptions options;
        options.workDir = dir;
        options.now = std::tm{};
        runCalculation(*sc->model, *sc->results, options);
        if (sc->model->calcState != 1) std::abort();
        sc->view.setImageSize(1920, 1080);
        fitAll(sc->view, *sc->model);
        return sc;
    }();
    return *s;
}

void ensureApp()
{
    static int argc = 1;
    static char name[] = "bench_redraw";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        new QGuiApplication(argc, argv);
    }
}

void redraw(benchmark::State& state, bool results)
{
    ensureApp();
    Scene& s = scene();
    refreshMenus(*s.model, results);
    const CalculationResults* r = results ? s.results.get() : nullptr;
    s.figure = ui::composeScreenFigure(*s.model, r);
    QImage image(1920, 1080, QImage::Format_RGB32);
    ui::ScreenScene sc;
    sc.model = s.model.get();
    sc.results = r;
    sc.figure = &s.figure;
    for (auto _ : state) {
        ui::renderScene(image, sc, s.view);
        benchmark::DoNotOptimize(image.constBits());
    }
}

void BM_RedrawWithResults(benchmark::State& state)
{
    redraw(state, true);
}
void BM_RedrawInput(benchmark::State& state)
{
    redraw(state, false);
}

void BM_ComposeScreenFigure(benchmark::State& state)
{
    ensureApp();
    Scene& s = scene();
    refreshMenus(*s.model, true);
    for (auto _ : state) {
        Figure f = ui::composeScreenFigure(*s.model, s.results.get());
        benchmark::DoNotOptimize(f.items.data());
    }
}

} // namespace

BENCHMARK(BM_RedrawWithResults)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RedrawInput)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComposeScreenFigure)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
