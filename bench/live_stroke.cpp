// One display frame of a live pen stroke: four new pointer samples (a
// 250 Hz pointer on a 60 Hz display), the live layer brought up to date and
// the area it reports painted over the placed strokes, as the canvas does
// once a frame. The path is the side-by-side benchmark's zigzag; widths of
// 3 and 11 px, smoothed with Chaikin or not. Also: placing the stroke at
// its end, drawn afresh and handed over from the live layer. The Solid
// variants do the same as shown without a compositing manager.
#include "canvas/LiveStrokeLayer.h"
#include "canvas/StrokeCache.h"
#include "model/Algorithms.h"
#include "model/DrawingStroke.h"

#include "GuiBenchmarkMain.h"

#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

const QSize kScreen(1920, 1080);

// Samples 8 px apart alternately at the top and the bottom of a 50 px row,
// rows of 1,416 px run left to right and back, 80 px apart.
std::vector<QPointF> zigzag(int n) {
    constexpr int kStep = 8, kAmplitude = 50, kPitch = 80, kPerRow = 1416 / kStep;
    std::vector<QPointF> p;
    for (int i = 0; i < n; ++i) {
        const int row = i / kPerRow, k = i % kPerRow;
        const int col = row % 2 == 0 ? k : kPerRow - 1 - k;
        const int base = 70 + row * kPitch + kAmplitude;
        p.emplace_back(40 + col * kStep, i % 2 ? base - kAmplitude : base);
    }
    return p;
}

DrawingStroke penStroke(double width) {
    DrawingStroke s;
    s.tool = DrawingTool::pen;
    s.color = Color::red();
    s.lineWidth = width;
    return s;
}

void liveFrame(benchmark::State& state, bool solid) {
    const double width = static_cast<double>(state.range(0));
    const bool smooth = state.range(1) != 0;
    const std::vector<QPointF> path = zigzag(2000);
    QImage target(kScreen, QImage::Format_ARGB32_Premultiplied);
    const QImage strokes, cover; // nothing placed
    LiveStrokeLayer live;
    live.setGeometry(kScreen, 1);
    DrawingStroke stroke = penStroke(width);
    GrowingChaikinSmooth chaikin;
    std::vector<QPointF> samples;
    std::size_t i = 0;
    for (auto _ : state) {
        if (i + 4 > path.size()) {
            live.show(nullptr, {});
            samples.clear();
            chaikin = GrowingChaikinSmooth();
            i = 0;
        }
        for (int k = 0; k < 4; ++k) {
            samples.push_back(path[i++]);
            stroke.points = smooth ? chaikin.update(samples) : samples;
        }
        const QRegion dirty = live.show(&stroke, {});
        QPainter p(&target);
        for (const QRect& r : dirty) {
            if (solid) live.paintSolid(p, r, strokes, cover);
            else live.paint(p, r, strokes);
        }
    }
}
void BM_LiveFrame(benchmark::State& state) { liveFrame(state, false); }
void BM_LiveFrameSolid(benchmark::State& state) { liveFrame(state, true); }
BENCHMARK(BM_LiveFrame)
    ->ArgNames({"width", "chaikin"})
    ->Args({3, 1})
    ->Args({11, 1})
    ->Args({11, 0})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LiveFrameSolid)
    ->ArgNames({"width", "chaikin"})
    ->Args({3, 1})
    ->Args({11, 1})
    ->Args({11, 0})
    ->Unit(benchmark::kMicrosecond);

// The release of a 2,000-sample stroke: the cache takes it on top.
void placeLongStroke(benchmark::State& state, bool solid) {
    const bool handOver = state.range(0) != 0;
    const std::vector<QPointF> path = zigzag(2000);
    DrawingStroke stroke = penStroke(5);
    GrowingChaikinSmooth chaikin;
    std::vector<QPointF> samples;
    for (const QPointF& p : path) {
        samples.push_back(p);
        chaikin.update(samples);
    }
    stroke.points = chaikin.update(samples);
    for (auto _ : state) {
        state.PauseTiming();
        LiveStrokeLayer live;
        live.setGeometry(kScreen, 1);
        StrokeCache cache;
        cache.setKeepsCover(solid);
        cache.setGeometry(kScreen, 1);
        cache.sync({}, {});
        QRegion shown;
        if (handOver) {
            live.show(&stroke, {});
            cache.setPrepainted([&](const DrawingStroke& s, QPainter& p, const QRect& clip, QImage* cover) {
                return live.layOn(s, p, clip, shown, cover);
            });
        }
        state.ResumeTiming();
        benchmark::DoNotOptimize(cache.sync({&stroke}, {}));
    }
}
void BM_PlaceLongStroke(benchmark::State& state) { placeLongStroke(state, false); }
void BM_PlaceLongStrokeSolid(benchmark::State& state) { placeLongStroke(state, true); }
BENCHMARK(BM_PlaceLongStroke)->ArgNames({"handOver"})->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlaceLongStrokeSolid)->ArgNames({"handOver"})->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) { return runGuiBenchmarks(argc, argv); }
