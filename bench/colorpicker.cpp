// The cost of one pointer event of a drag on the colour picker's wheel at
// device pixel ratio 2: the hit test, the colour maths, the write to the
// drawing state and the repaint of what changed (markers, ring, swatches,
// opacity preview), for drags on the disc and on the ring. Each event is
// timed on its own; the reported time is the mean, with the 99th percentile
// and the worst event as counters (in milliseconds).
#include "colorpicker/ColorPickerPanel.h"
#include "colorpicker/ColorWheelView.h"
#include "model/DrawingState.h"
#include "support/TestDrawingState.h"

#include "GuiBenchmarkMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

void settle() {
    QApplication::sendPostedEvents();
    QApplication::processEvents();
}

void send(QWidget* w, QEvent::Type type, QPointF p) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton);
    QMouseEvent e(type, p, w->mapToGlobal(p), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// A pointer circling the centre at a changing distance, one point a step:
// every event changes hue and saturation (disc) or the angle (ring).
std::vector<QPointF> path(const ColorWheelGeometry& g, bool ring, int n) {
    std::vector<QPointF> points;
    for (int i = 0; i < n; ++i) {
        const double a = i * 0.031;
        const double r =
            ring ? g.ringCentreRadius() + 3 * std::sin(i * 0.2) : g.discRadius() * (0.5 + 0.45 * std::sin(i * 0.013));
        points.push_back(g.centre + QPointF(r * std::cos(a), r * std::sin(a)));
    }
    return points;
}

void BM_WheelDragEvent(benchmark::State& state) {
    const bool ring = state.range(0) != 0;
    state.SetLabel(ring ? "ring" : "disc");
    testing_support::TestDrawingState t;
    t->selectedColor = Color{0.2, 0.4, 0.6, 1};
    ColorPickerPanel panel(t.state, {});
    panel.show();
    settle();
    ColorWheelView* wheel = panel.wheel();
    const std::vector<QPointF> points = path(wheel->wheelGeometry(), ring, 2000);
    send(wheel, QEvent::MouseButtonPress, points.front());
    settle();

    std::vector<double> times;
    std::size_t i = 1;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        send(wheel, QEvent::MouseMove, points[i]);
        settle();
        const double seconds = static_cast<double>(timer.nsecsElapsed()) * 1e-9;
        state.SetIterationTime(seconds);
        times.push_back(seconds * 1e3);
        i = i + 1 == points.size() ? 1 : i + 1;
    }
    send(wheel, QEvent::MouseButtonRelease, points[i]);
    std::sort(times.begin(), times.end());
    if (!times.empty()) {
        state.counters["p99_ms"] = times[std::min(times.size() - 1, times.size() * 99 / 100)];
        state.counters["max_ms"] = times.back();
    }
    state.counters["dpr"] = wheel->devicePixelRatioF();
    state.counters["gradient_renders"] = wheel->gradientRenderCount();
}

BENCHMARK(BM_WheelDragEvent)->Arg(0)->Arg(1)->Iterations(4000)->Unit(benchmark::kMillisecond)->UseManualTime();

} // namespace

int main(int argc, char** argv) {
    // The picker's target: a display at twice the logical resolution.
    qputenv("QT_SCALE_FACTOR", "2");
    return runWidgetBenchmarks(argc, argv);
}
