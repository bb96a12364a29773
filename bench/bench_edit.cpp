// Speed of the mouse editing on examples/benchmark.SDW: one click of a mode (pick, the
// confirmed change, the undo snapshot), the marks of a picked block (its traced outline),
// and one undo step. The goals: a click well under 20 ms with the redraw, an undo under 5 ms.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "edit/edit_modes.h"
#include "edit/undo_stack.h"
#include "model/sdw_file.h"

namespace {

using namespace keltora;

struct YesHost : EditHost {
    bool confirm(const std::string&, const Marks&) override { return true; }
    bool openDialog(DialogRequest&, const Marks&) override { return true; }
};

std::unique_ptr<SlopeModel> loadBenchmark()
{
    auto m = std::make_unique<SlopeModel>();
    resetModel(*m);
    const ReadResult r =
        readDataFile(*m, std::string(KELTORA_SOURCE_DIR) + "/examples/benchmark.SDW");
    if (r.status != 0) {
        std::fprintf(stderr, "cannot read benchmark.SDW\n");
        std::exit(1);
    }
    return m;
}

// Applies an outcome as the window does: snapshot, change, flags, undo step.
void apply(SlopeModel& model, UndoStack& undo, const EditOutcome& out)
{
    if (!out.change) return;
    auto before = std::make_unique<SlopeModel>(model);
    if (applyOutcome(model, out)) undo.push(out.undoText, out.effect, *before, model);
}

Point2 somePoint(const SlopeModel& m)
{
    for (int i = m.pointCount - 1; i >= 0; --i)
        if (m.points[static_cast<size_t>(i)].number >= 0)
            return {m.points[static_cast<size_t>(i)].x, m.points[static_cast<size_t>(i)].y};
    return {};
}

// Point move: pick, new position, confirmation, change and undo snapshot; the next
// iteration moves it back.
void BM_PointMoveClick(benchmark::State& state)
{
    auto model = loadBenchmark();
    YesHost host;
    EditController edit(host);
    UndoStack undo;
    Point2 p = somePoint(*model);
    edit.enterMode(kModePointMove);
    double dx = 0.25;
    for (auto _ : state) {
        edit.leftClick(*model, nullptr, p);
        const Point2 to{p.x + dx, p.y};
        edit.leftClick(*model, nullptr, to);
        apply(*model, undo, edit.rightClick(*model, nullptr, to));
        p = to;
        dx = -dx;
    }
    benchmark::DoNotOptimize(model->points[0]);
}
BENCHMARK(BM_PointMoveClick)->Unit(benchmark::kMillisecond);

// Point delete with its lines (the widest pick), then undone outside the timing.
void BM_PointDeleteClick(benchmark::State& state)
{
    auto model = loadBenchmark();
    YesHost host;
    EditController edit(host);
    UndoStack undo;
    const Point2 p = somePoint(*model);
    edit.enterMode(kModePointDelete);
    for (auto _ : state) {
        apply(*model, undo, edit.leftClick(*model, nullptr, p));
        state.PauseTiming();
        undo.undo(*model);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PointDeleteClick)->Unit(benchmark::kMillisecond);

// The marks of a picked block: its inner point and traced outline (drawn every redraw).
void BM_BlockMarks(benchmark::State& state)
{
    auto model = loadBenchmark();
    YesHost host;
    EditController edit(host);
    edit.enterMode(kModeSoilVertical);
    Point2 seed;
    for (int i = 0; i < model->blockCount; ++i)
        if (model->blocks[static_cast<size_t>(i)].number >= 0) {
            seed = model->blocks[static_cast<size_t>(i)].seed;
            break;
        }
    edit.leftClick(*model, nullptr, seed);
    for (auto _ : state) {
        Marks m = edit.marks(*model, nullptr);
        benchmark::DoNotOptimize(m);
    }
}
BENCHMARK(BM_BlockMarks)->Unit(benchmark::kMicrosecond);

// One undo and one redo of a point addition.
void BM_UndoRedoStep(benchmark::State& state)
{
    auto model = loadBenchmark();
    UndoStack undo;
    {
        auto before = std::make_unique<SlopeModel>(*model);
        addPoint(*model, -999.0, -999.0);
        undo.push("点の追加", ChangeEffect::Results, *before, *model);
    }
    for (auto _ : state) {
        undo.undo(*model);
        undo.redo(*model);
    }
    benchmark::DoNotOptimize(model->pointCount);
}
BENCHMARK(BM_UndoRedoStep)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
