// Drawing model costs: smoothing a live stroke, dragging a freehand end.
#include "model/Algorithms.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <cmath>
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

} // namespace

BENCHMARK(BM_ChaikinSmooth)->Arg(100)->Arg(1000)->Arg(2000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BSplineSmooth)->Arg(100)->Arg(1000)->Arg(2000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CatmullRomSmooth)->Arg(100)->Arg(1000)->Arg(2000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DragStrokeEnd)->Arg(5000)->Unit(benchmark::kMicrosecond);

// Text measurement needs a GUI application; it renders offscreen.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
