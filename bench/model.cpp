// Drawing model costs: smoothing a live stroke, dragging a freehand end,
// the overlay's hit test on every pointer move, an eraser pass.
#include "model/Algorithms.h"
#include "support/TestDrawingState.h"

#include "GuiBenchmarkMain.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

// A wandering pointer path, about 3 px between samples.
std::vector<QPointF> pointerPath(int n, double x0 = 0, double y0 = 0) {
    std::vector<QPointF> p;
    p.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const double t = i * 0.05;
        p.emplace_back(x0 + i * 2.5 + 40 * std::sin(t * 0.7), y0 + 200 * std::sin(t) + 15 * std::cos(t * 3.1));
    }
    return p;
}

void BM_ChaikinSmooth(benchmark::State& state) {
    const auto pts = pointerPath(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(chaikinSmooth(pts, 2));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_BSplineSmooth(benchmark::State& state) {
    const auto pts = pointerPath(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(bSplineSmooth(pts, 6));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_CatmullRomSmooth(benchmark::State& state) {
    const auto pts = pointerPath(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(catmullRomSmooth(pts, 6));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_DragStrokeEnd(benchmark::State& state) {
    const auto pts = pointerPath(static_cast<int>(state.range(0)));
    // Within reach, so the full reaching and relaxation passes run.
    const QPointF target = pts.back() + QPointF(-300, 120);
    for (auto _ : state) benchmark::DoNotOptimize(dragStrokeEnd(pts, false, target));
}

// 1,000 strokes on a 1920 × 1080 display: 750 freehand squiggles of 300
// points and 250 text boxes of one to three lines, some rotated.
std::vector<DrawingStroke> busyDrawing() {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> x(0, 1920), y(0, 1080), step(-3, 3), unit(0, 1);
    std::vector<DrawingStroke> strokes;
    for (int i = 0; i < 1000; ++i) {
        DrawingStroke s;
        s.displayID = 1;
        if (i % 4 == 3) {
            s.tool = DrawingTool::text;
            const QPointF corner(x(rng), y(rng));
            s.startPoint = corner;
            s.endPoint = corner + QPointF(120 + 200 * unit(rng), 40 + 80 * unit(rng));
            const QString lines[] = {QStringLiteral("Check this"), QStringLiteral("Release notes\nsecond line"),
                                     QStringLiteral("TODO\nfix the\nborder")};
            s.text = lines[i % 3];
            s.rotationDegrees = (i % 8 == 7) ? 30 : 0;
        } else {
            s.tool = DrawingTool::pen;
            s.lineWidth = 4;
            QPointF p(x(rng), y(rng));
            QPointF v(step(rng), step(rng));
            for (int k = 0; k < 300; ++k) {
                v = (v + QPointF(step(rng), step(rng)) * 0.3) * 0.97;
                p += v;
                s.points.push_back(p);
            }
        }
        strokes.push_back(std::move(s));
    }
    return strokes;
}

// A point over no stroke, though inside the reach of several.
QPointF missingPoint(const DrawingState& state) {
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> x(200, 1700), y(200, 900);
    for (;;) {
        const QPointF p(x(rng), y(rng));
        if (!state.hasStroke(p, 1)) return p;
    }
}

void BM_HasStrokeMiss(benchmark::State& state) {
    testing_support::TestDrawingState t;
    t->strokes = busyDrawing();
    const QPointF p = missingPoint(*t.state);
    for (auto _ : state) benchmark::DoNotOptimize(t->hasStroke(p, 1));
}

// The first pointer move after the strokes changed measures them all again.
void BM_HasStrokeMissAfterChange(benchmark::State& state) {
    testing_support::TestDrawingState t;
    t->strokes = busyDrawing();
    const QPointF p = missingPoint(*t.state);
    for (auto _ : state) {
        state.PauseTiming();
        t->strokes.modify([](auto& l) { l.front().lineWidth += 0.001; });
        state.ResumeTiming();
        benchmark::DoNotOptimize(t->hasStroke(p, 1));
    }
}

void BM_ApplyEraserStamps(benchmark::State& state) {
    testing_support::TestDrawingState t;
    const auto drawing = busyDrawing();
    // An eraser drag zigzagging across the display: 500 dabs of radius 44
    // (width 11), 11 px apart.
    std::vector<ErasureStamp> dabs;
    for (int i = 0; i < 500; ++i) {
        const double along = i * 11.0;
        const double row = std::floor(along / 1800);
        const double col = std::fmod(along, 1800);
        dabs.push_back(
            ErasureStamp{QPointF(60 + (static_cast<int>(row) % 2 ? 1800 - col : col), 150 + row * 250), 44, QUuid()});
    }
    for (auto _ : state) {
        state.PauseTiming();
        t->strokes = drawing;
        t->undoStack.set({});
        state.ResumeTiming();
        t->applyEraserStamps(dabs, 1);
    }
    std::size_t cut = 0;
    for (const auto& s : t->strokes.get()) cut += !s.erasures.empty();
    state.counters["strokes_cut"] = static_cast<double>(cut);
}

} // namespace

BENCHMARK(BM_ChaikinSmooth)->Arg(100)->Arg(1000)->Arg(2000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BSplineSmooth)->Arg(100)->Arg(1000)->Arg(2000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CatmullRomSmooth)->Arg(100)->Arg(1000)->Arg(2000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DragStrokeEnd)->Arg(5000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HasStrokeMiss)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HasStrokeMissAfterChange)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ApplyEraserStamps)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) { return runGuiBenchmarks(argc, argv); }
