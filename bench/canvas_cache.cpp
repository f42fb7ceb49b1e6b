// The canvas's image of its placed strokes: building it from nothing,
// repainting the canvas from it, and keeping it up to date through an
// addition, an undo, a restyle of a stroke in the middle and an eraser pass
// over 50 strokes, with 10 to 2,000 mixed strokes on 1920×1080 and
// 3840×2160 screens. The edits are timed from the model's operation to the
// end of the canvas's repaint, offscreen: the flush to the X server, the
// input region and the compositor are left out, so these figures are far
// below what a user waits for. bench/shell_vs_gromit.sh times the undo a
// user does, from the key to the pixels changing.
#include "canvas/DrawingCanvasView.h"
#include "canvas/StrokeCache.h"
#include "canvas/StrokeRenderer.h"
#include "model/DrawingState.h"
#include "model/StrokeExtent.h"
#include "support/RandomStrokes.h"
#include "support/TestDrawingState.h"

#include "CanvasScene.h"
#include "GuiBenchmarkMain.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QWidget>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <vector>

using namespace testing_support;

namespace {

const QSize kFullHD(1920, 1080);
const QSize k4K(3840, 2160);

QSize screenOf(const benchmark::State& state) { return state.range(1) ? k4K : kFullHD; }

using Scene = CanvasScene;

void BM_ColdBuild(benchmark::State& state) {
    const QSize screen = screenOf(state);
    const auto strokes = mixedStrokes(static_cast<int>(state.range(0)), screen);
    std::vector<const DrawingStroke*> ptrs;
    for (const auto& s : strokes) ptrs.push_back(&s);
    StrokeCache cache;
    for (auto _ : state) {
        cache.clear();
        cache.setGeometry(screen, 1);
        benchmark::DoNotOptimize(cache.sync(ptrs, {}));
    }
}

void BM_WarmRepaint(benchmark::State& state) {
    Scene scene(static_cast<int>(state.range(0)), screenOf(state));
    for (auto _ : state) scene.canvas->repaint();
}

// The cost of one edit, timed by hand so that undoing it again is left out.
template <typename Edit, typename Undo>
void timeEdit(benchmark::State& state, Edit edit, Undo undo) {
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        edit();
        Scene::settle();
        state.SetIterationTime(static_cast<double>(timer.nsecsElapsed()) * 1e-9);
        undo();
        Scene::settle();
    }
}

void BM_Append(benchmark::State& state) {
    Scene scene(static_cast<int>(state.range(0)), screenOf(state));
    DrawingState& s = *scene.t.state;
    std::mt19937 rng(99);
    const DrawingStroke pen = randomStroke(DrawingTool::pen, rng, QSizeF(screenOf(state)), 80);
    timeEdit(
        state, [&] { s.addStroke(pen); }, [&] { s.undo(); });
}

void BM_CacheAppendOnly(benchmark::State& state) {
    // The cache's share of an addition, without the model's copy of the list.
    const QSize screen = screenOf(state);
    auto strokes = mixedStrokes(static_cast<int>(state.range(0)), screen);
    std::mt19937 rng(99);
    strokes.push_back(randomStroke(DrawingTool::pen, rng, QSizeF(screen), 80));
    std::vector<const DrawingStroke*> all, without;
    for (const auto& s : strokes) all.push_back(&s);
    without.assign(all.begin(), all.end() - 1);
    StrokeCache cache;
    cache.setGeometry(screen, 1);
    cache.sync(without, {});
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        benchmark::DoNotOptimize(cache.sync(all, {}));
        state.SetIterationTime(static_cast<double>(timer.nsecsElapsed()) * 1e-9);
        cache.sync(without, {});
    }
}

void BM_Undo(benchmark::State& state) {
    Scene scene(static_cast<int>(state.range(0)), screenOf(state));
    DrawingState& s = *scene.t.state;
    std::mt19937 rng(99);
    const DrawingStroke pen = randomStroke(DrawingTool::pen, rng, QSizeF(screenOf(state)), 80);
    s.addStroke(pen);
    Scene::settle();
    timeEdit(
        state, [&] { s.undo(); }, [&] { s.redo(); });
}

void BM_RestyleMiddle(benchmark::State& state) {
    Scene scene(static_cast<int>(state.range(0)), screenOf(state));
    DrawingState& s = *scene.t.state;
    const std::size_t middle = s.strokes->size() / 2;
    const Color before = s.strokes.get()[middle].color;
    const auto recolour = [&](Color c) { s.strokes.modify([&](auto& list) { list[middle].color = c; }); };
    timeEdit(
        state, [&] { recolour(Color::rgba(0.1, 0.2, 0.9, 0.8)); }, [&] { recolour(before); });
}

void BM_EraserPass50(benchmark::State& state) {
    Scene scene(static_cast<int>(state.range(0)), screenOf(state));
    DrawingState& s = *scene.t.state;
    // The dabs of an eraser (width 10) along a path across the screen, as
    // many as it takes to reach 50 strokes (all of them when there are fewer).
    DrawingStroke eraser;
    eraser.tool = DrawingTool::eraser;
    eraser.lineWidth = 10;
    // Sweeps the screen row by row, 60 px apart, from the middle down.
    const QSize screen = screenOf(state);
    for (int row = 0; row < screen.height() / 60; ++row) {
        const double y = (screen.height() / 2 + row * 60) % screen.height();
        for (int x = 0; x < screen.width(); x += 4) eraser.points.emplace_back(row % 2 ? screen.width() - x : x, y);
    }
    const std::vector<ErasureStamp> all = erasureStamps(eraser);
    std::vector<ErasureStamp> dabs;
    std::vector<bool> hit(s.strokes->size(), false);
    std::size_t hits = 0;
    for (const ErasureStamp& d : all) {
        if (hits >= 50) break;
        dabs.push_back(d);
        const QRectF square(d.center.x() - d.radius, d.center.y() - d.radius, 2 * d.radius, 2 * d.radius);
        for (std::size_t i = 0; i < s.strokes->size(); ++i) {
            if (!hit[i] && eraserTestExtent(s.strokes.get()[i]).intersects(square)) {
                hit[i] = true;
                ++hits;
            }
        }
    }
    double modelSeconds = 0;
    timeEdit(
        state,
        [&] {
            QElapsedTimer model;
            model.start();
            s.applyEraserStamps(dabs, 1);
            modelSeconds += static_cast<double>(model.nsecsElapsed()) * 1e-9;
        },
        [&] { s.undo(); });
    state.counters["model_ms"] = modelSeconds * 1e3 / static_cast<double>(state.iterations());
    state.counters["cut"] = static_cast<double>(hits);
    state.counters["dabs"] = static_cast<double>(dabs.size());
}

void sizes(benchmark::internal::Benchmark* b) {
    b->ArgNames({"strokes", "4K"});
    for (int n : {10, 100, 500, 1000, 2000})
        for (int big : {0, 1}) b->Args({n, big});
    b->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_ColdBuild)->Apply(sizes)->Iterations(3);
BENCHMARK(BM_WarmRepaint)->Apply(sizes);
BENCHMARK(BM_Append)->Apply(sizes)->UseManualTime();
BENCHMARK(BM_CacheAppendOnly)->Apply(sizes)->UseManualTime();
BENCHMARK(BM_Undo)->Apply(sizes)->UseManualTime();
BENCHMARK(BM_RestyleMiddle)->Apply(sizes)->UseManualTime();
BENCHMARK(BM_EraserPass50)->Apply(sizes)->UseManualTime();

} // namespace

int main(int argc, char** argv) { return runWidgetBenchmarks(argc, argv); }
