// The cost of one keystroke in an open text box: the edit, the box's resize
// to its text and the repaint of the box over the canvas, with 0 and 1,000
// placed strokes under it and 0 or 400 characters already typed, on a
// 1920×1080 screen, unturned and turned by 30 degrees. Each keystroke is
// timed on its own; the reported time is the mean, with the 99th percentile
// and the worst keystroke as counters (in milliseconds).
#include "canvas/TextBox.h"
#include "canvas/overlays/TextBoxOverlay.h"

#include "CanvasScene.h"
#include "GuiBenchmarkMain.h"

#include <QKeyEvent>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

namespace {

void BM_Keystroke(benchmark::State& state) {
    CanvasScene scene(static_cast<int>(state.range(0)), QSize(1920, 1080));
    DrawingState& s = *scene.t.state;
    s.selectedTool = DrawingTool::text;
    CanvasScene::settle();
    QString text;
    for (int i = 0; i < state.range(1); ++i) text += (i % 40 == 39) ? QChar('\n') : QChar('a' + i % 26);
    scene.canvas->textBox().open(QRectF(300, 200, 900, 600), text, static_cast<double>(state.range(2)));
    s.isTextEditing = true;
    CanvasScene::settle();
    auto* box = scene.canvas->findChild<TextBoxOverlay*>();
    if (!box) {
        state.SkipWithError("no text box");
        return;
    }
    std::vector<double> times;
    int n = 0;
    for (auto _ : state) {
        // Type a word, then take it back, so the text stays about as long.
        const bool typing = (n++ / 8) % 2 == 0;
        QKeyEvent key(QEvent::KeyPress, typing ? Qt::Key_X : Qt::Key_Backspace, Qt::NoModifier,
                      typing ? QStringLiteral("x") : QString());
        QElapsedTimer timer;
        timer.start();
        QCoreApplication::sendEvent(box, &key);
        CanvasScene::settle();
        const double seconds = timer.nsecsElapsed() / 1e9;
        state.SetIterationTime(seconds);
        times.push_back(seconds * 1000);
    }
    std::sort(times.begin(), times.end());
    if (!times.empty()) {
        state.counters["p99_ms"] = times[std::min(times.size() - 1, times.size() * 99 / 100)];
        state.counters["max_ms"] = times.back();
    }
}

} // namespace

BENCHMARK(BM_Keystroke)
    ->ArgsProduct({{0, 1000}, {0, 400}, {0, 30}})
    ->ArgNames({"placed", "chars", "degrees"})
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(400);

int main(int argc, char** argv) { return runWidgetBenchmarks(argc, argv); }
