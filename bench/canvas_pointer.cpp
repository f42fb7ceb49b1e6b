// The cost of one pointer event of a drag on the canvas: the drag handler,
// the live stroke and the repaint of what it changed, for the pen with
// Chaikin smoothing, chalk, an imported brush and the eraser, on drags of
// 100, 1,000 and 5,000 events, with 0 and 1,000 placed strokes, on
// 1920×1080 and 3840×2160 screens. Each event is timed on its own; the
// reported time is the mean, with the 99th percentile and the worst event as
// counters (in milliseconds).
#include "canvas/DrawingCanvasView.h"
#include "model/DrawingState.h"
#include "support/RandomStrokes.h"
#include "support/TestDrawingState.h"

#include "CanvasScene.h"
#include "GuiBenchmarkMain.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QRadialGradient>
#include <QWidget>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

using namespace testing_support;

namespace {

const QSize kFullHD(1920, 1080);
const QSize k4K(3840, 2160);

using Scene = CanvasScene;

// A pointer wandering in loops over the screen, 2.5 px between samples.
std::vector<QPointF> pointerPath(int n, QSize screen) {
    std::vector<QPointF> p;
    const double cx = screen.width() / 2.0, cy = screen.height() / 2.0;
    const double rx = screen.width() * 0.4, ry = screen.height() * 0.4;
    double t = 0;
    for (int i = 0; i < n; ++i) {
        p.emplace_back(cx + rx * std::sin(t * 1.3), cy + ry * std::sin(t * 2.1));
        // Advance by about 2.5 px along the curve.
        const double dx = rx * 1.3 * std::cos(t * 1.3), dy = ry * 2.1 * std::cos(t * 2.1);
        t += 2.5 / std::max(std::hypot(dx, dy), 1.0);
    }
    return p;
}

void setUpTool(DrawingState& s, int tool) {
    s.lineWidth = 11;
    switch (tool) {
    case 0:
        s.selectedTool = DrawingTool::pen;
        s.smoothingEnabledTools = DrawingToolSet{DrawingTool::pen};
        s.smoothingAlgorithm = SmoothingAlgorithm::chaikin;
        break;
    case 1: s.selectedTool = DrawingTool::chalk; break;
    case 2: {
        // An imported brush of one soft round cell.
        const QUuid brush = QUuid::createUuid();
        QImage cell(32, 32, QImage::Format_RGBA8888_Premultiplied);
        cell.fill(Qt::transparent);
        QPainter p(&cell);
        p.setRenderHint(QPainter::Antialiasing);
        QRadialGradient g(QPointF(16, 16), 16);
        g.setColorAt(0, Qt::white);
        g.setColorAt(1, Qt::transparent);
        p.setBrush(g);
        p.setPen(Qt::NoPen);
        p.drawEllipse(QRectF(0, 0, 32, 32));
        p.end();
        s.gimpStampCache.insert(brush, {cell});
        s.activeGIMPBrushID = brush;
        s.selectedTool = DrawingTool::gimpBrush;
        break;
    }
    default: s.selectedTool = DrawingTool::eraser; break;
    }
}

const char* toolName(int tool) {
    static const char* names[] = {"pen (Chaikin)", "chalk", "brush", "eraser"};
    return names[tool];
}

void BM_PointerEvent(benchmark::State& state) {
    const int tool = static_cast<int>(state.range(0));
    const int length = static_cast<int>(state.range(1));
    const int placed = static_cast<int>(state.range(2));
    const QSize screen = state.range(3) ? k4K : kFullHD;
    state.SetLabel(toolName(tool));
    Scene scene(placed, screen);
    DrawingState& s = *scene.t.state;
    setUpTool(s, tool);
    Scene::settle();
    const std::vector<QPointF> path = pointerPath(length, screen);

    std::vector<double> times;
    times.reserve(static_cast<std::size_t>(state.max_iterations));
    std::size_t i = 0;
    for (auto _ : state) {
        if (i == path.size()) {
            // The drag ends untimed; its stroke is taken away again so that
            // every drag starts over the same strokes.
            scene.canvas->handleDragEnded(CanvasDragValue{path.back(), path.front(), false});
            Scene::settle();
            s.undo();
            Scene::settle();
            i = 0;
        }
        QElapsedTimer timer;
        timer.start();
        scene.canvas->handleDragChanged(CanvasDragValue{path[i], path.front(), false});
        Scene::settle();
        const double seconds = static_cast<double>(timer.nsecsElapsed()) * 1e-9;
        state.SetIterationTime(seconds);
        times.push_back(seconds * 1e3);
        ++i;
    }
    std::sort(times.begin(), times.end());
    if (!times.empty()) {
        state.counters["p99_ms"] = times[std::min(times.size() - 1, times.size() * 99 / 100)];
        state.counters["max_ms"] = times.back();
    }
}

void arguments(benchmark::internal::Benchmark* b) {
    b->ArgNames({"tool", "events", "placed", "4K"});
    for (int tool = 0; tool < 4; ++tool)
        for (int length : {100, 1000, 5000})
            for (int placed : {0, 1000})
                for (int big : {0, 1}) b->Args({tool, length, placed, big});
    b->Unit(benchmark::kMillisecond)->UseManualTime();
}

// Each run covers whole drags: the longest drags twice, the others more.
BENCHMARK(BM_PointerEvent)->Apply(arguments)->Iterations(10000);

} // namespace

int main(int argc, char** argv) { return runWidgetBenchmarks(argc, argv); }
