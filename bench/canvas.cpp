// Full repaint cost of the stroke renderer: 500 strokes of 300 samples drawn
// into a screen-sized image from scratch, mixed and per tool.
#include "canvas/StrokeView.h"
#include "model/DrawingStroke.h"

#include "GuiBenchmarkMain.h"

#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

constexpr int kStrokes = 500;
constexpr int kSamples = 300;

// A wandering pointer path of `kSamples` samples about 3 px apart.
std::vector<QPointF> pointerPath(std::mt19937& rng, QSize screen) {
    std::uniform_real_distribution<double> u(0, 1);
    QPointF p(u(rng) * screen.width(), u(rng) * screen.height());
    double heading = u(rng) * 6.28;
    std::vector<QPointF> pts;
    pts.reserve(kSamples);
    for (int i = 0; i < kSamples; ++i) {
        heading += (u(rng) - 0.5) * 0.5;
        p += QPointF(std::cos(heading), std::sin(heading)) * 3.0;
        pts.push_back(p);
    }
    return pts;
}

DrawingStroke makeStroke(DrawingTool tool, std::mt19937& rng, QSize screen) {
    std::uniform_real_distribution<double> u(0, 1);
    DrawingStroke s;
    s.tool = tool;
    s.lineWidth = 4 + 16 * u(rng);
    s.color = Color::rgba(u(rng), u(rng), u(rng), 0.6 + 0.4 * u(rng));
    s.points = pointerPath(rng, screen);
    s.startPoint = s.points.front();
    s.endPoint = s.points.back();
    if (tool == DrawingTool::bezierPen) {
        std::vector<QPointF> anchors;
        for (std::size_t i = 0; i < s.points.size(); i += 50) anchors.push_back(s.points[i]);
        s.customVertices = anchors;
        s.bezierHandleIn = std::vector<QPointF>(anchors.size(), QPointF(-30, 10));
        s.bezierHandleOut = std::vector<QPointF>(anchors.size(), QPointF(30, -10));
    }
    if (tool == DrawingTool::arrow) s.controlPoint = s.points[kSamples / 2];
    if (tool == DrawingTool::text) {
        s.text = QStringLiteral("Annotation\nsecond line");
        s.endPoint = s.startPoint + QPointF(240, 90);
        s.rotationDegrees = 20 * u(rng);
    }
    return s;
}

std::vector<DrawingStroke> makeStrokes(int toolIndex, QSize screen) {
    std::mt19937 rng(4242);
    std::vector<DrawingStroke> strokes;
    for (int i = 0; i < kStrokes; ++i) {
        // Mixed: every drawing tool in turn; the move and eraser tools draw
        // no placed strokes and are left out.
        const DrawingTool tool = toolIndex >= 0 ? static_cast<DrawingTool>(toolIndex)
                                                : static_cast<DrawingTool>(1 + i % (kAllDrawingTools.size() - 2));
        strokes.push_back(makeStroke(tool, rng, screen));
    }
    return strokes;
}

void repaint(benchmark::State& state, int toolIndex, QSize screen, bool erased) {
    std::vector<DrawingStroke> strokes = makeStrokes(toolIndex, screen);
    if (erased) {
        // One stroke in four carries a pass of eraser dabs.
        for (std::size_t i = 0; i < strokes.size(); i += 4) {
            const DrawingStroke& s = strokes[i];
            strokes[i].erasures.push_back(ErasureStamp{s.points[kSamples / 2], s.lineWidth * 4, QUuid()});
            strokes[i].erasures.push_back(ErasureStamp{s.points[kSamples / 3], s.lineWidth * 4, QUuid()});
        }
    }
    QImage target(screen, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        target.fill(Qt::transparent);
        QPainter p(&target);
        for (const DrawingStroke& s : strokes) StrokeView{s, {}}.render(p);
        p.end();
        benchmark::DoNotOptimize(target.constBits());
    }
    state.SetItemsProcessed(state.iterations() * kStrokes);
}

const QSize kFullHD(1920, 1080);
const QSize k4K(3840, 2160);

void BM_RepaintMixed(benchmark::State& state) { repaint(state, -1, state.range(0) ? k4K : kFullHD, false); }
BENCHMARK(BM_RepaintMixed)->ArgName("4K")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_RepaintMixedWithErasures(benchmark::State& state) { repaint(state, -1, state.range(0) ? k4K : kFullHD, true); }
BENCHMARK(BM_RepaintMixedWithErasures)->ArgName("4K")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Per tool, at 1920×1080 (argument: the tool's index) and 3840×2160.
void BM_RepaintTool(benchmark::State& state) {
    const DrawingTool tool = static_cast<DrawingTool>(state.range(0));
    state.SetLabel(displayName(tool).toStdString());
    repaint(state, static_cast<int>(state.range(0)), state.range(1) ? k4K : kFullHD, false);
}
BENCHMARK(BM_RepaintTool)
    ->ArgNames({"tool", "4K"})
    ->ArgsProduct({benchmark::CreateDenseRange(1, 21, 1), {0, 1}})
    ->Unit(benchmark::kMillisecond);

// One pen stroke carrying an eraser pass of `n` dabs of radius 40 along it,
// repainted through its own layer: what re-compositing an erased stroke
// costs.
void BM_StrokeWithErasures(benchmark::State& state) {
    std::mt19937 rng(7);
    DrawingStroke s = makeStroke(DrawingTool::pen, rng, kFullHD);
    const int n = static_cast<int>(state.range(0));
    for (int i = 0; i < n; ++i) s.erasures.push_back(ErasureStamp{s.points[i * kSamples / n], 40, QUuid()});
    QImage target(kFullHD, QImage::Format_ARGB32_Premultiplied);
    target.fill(Qt::transparent);
    QPainter p(&target);
    for (auto _ : state) StrokeView{s, {}}.render(p);
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_StrokeWithErasures)->Arg(0)->Arg(10)->Arg(100)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) { return runGuiBenchmarks(argc, argv); }
