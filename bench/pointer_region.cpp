// The overlay's input region: the pointer rule evaluated for every pixel
// of a 1920×1080 overlay at once, over 200 to 20,000 placed strokes. Built
// whole when the rule's inputs change, and kept up stroke by stroke when
// only the strokes do; each stroke's spans are computed once, when it is
// placed or changed, and counted into the overlay's coverage once.
#include "app/OverlayWindowController.h"
#include "app/PointerRegion.h"
#include "app/StrokeCoverage.h"
#include "canvas/StrokeHitSpans.h"
#include "model/DrawingState.h"
#include "support/TestDrawingState.h"

#include "CanvasScene.h"
#include "GuiBenchmarkMain.h"

#include <QCoreApplication>

#include <chrono>

#include <benchmark/benchmark.h>

using namespace testing_support;

namespace {

struct Scene {
    explicit Scene(int strokes)
        : t({FakeScreenProvider::makeScreen(1, platform::Rect(0, 0, 1920, 1080))}, platform::UserDefaults::inMemory(),
            OverlayWindowController::factory()) {
        t->strokes = mixedStrokes(strokes, QSize(1920, 1080));
        t->isToolbarVisible = true;
        t->showOverlays();
        t->selectedTool = std::nullopt;
        t->isMoveMode = true;
        QCoreApplication::processEvents();
        controller = static_cast<OverlayWindowController*>(t->overlayControllers.at(1).get());
        controller->pointerRegion(); // every stroke's spans in the cache
    }
    ~Scene() { t->hideOverlays(); }

    TestDrawingState t;
    OverlayWindowController* controller = nullptr;
};

// A flag or a frame changed: every stroke's spans are known.
void BM_RegionRebuild(benchmark::State& st) {
    Scene scene(static_cast<int>(st.range(0)));
    int rects = 0;
    for (auto _ : st) rects = scene.controller->pointerRegion().rectCount();
    st.counters["rects"] = rects;
}

// One stroke placed, moved or restyled: its spans are computed again.
void BM_RegionRebuildAfterAStrokeChanged(benchmark::State& st) {
    Scene scene(static_cast<int>(st.range(0)));
    double dx = 0;
    for (auto _ : st) {
        scene.t->strokes.modify([&](auto& list) { list.back().offset = QSizeF(dx += 0.5, 0); });
        benchmark::DoNotOptimize(scene.controller->pointerRegion().rectCount());
    }
}

// One stroke placed in passthrough (the region follows the strokes), and
// the window's region brought in line: the cost of that stroke alone,
// whatever lies beneath. Undone again untimed, so every placement meets
// the same drawing.
void BM_RegionOneStrokePlaced(benchmark::State& st) {
    Scene scene(static_cast<int>(st.range(0)));
    const auto extra = mixedStrokes(64, QSize(1920, 1080), 99);
    std::size_t i = 0;
    for (auto _ : st) {
        DrawingStroke s = extra[i++ % extra.size()];
        s.id = QUuid::createUuid();
        const auto start = std::chrono::steady_clock::now();
        scene.t->addStroke(s);
        scene.controller->updateMousePassthrough();
        st.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        scene.t->undo();
        scene.controller->updateMousePassthrough();
    }
}

// The same stroke's undo, timed; its placement untimed.
void BM_RegionOneStrokeUndone(benchmark::State& st) {
    Scene scene(static_cast<int>(st.range(0)));
    const auto extra = mixedStrokes(64, QSize(1920, 1080), 99);
    std::size_t i = 0;
    for (auto _ : st) {
        DrawingStroke s = extra[i++ % extra.size()];
        s.id = QUuid::createUuid();
        scene.t->addStroke(s);
        scene.controller->updateMousePassthrough();
        const auto start = std::chrono::steady_clock::now();
        scene.t->undo();
        scene.controller->updateMousePassthrough();
        st.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
}

// The spans of every stroke from nothing, as when an overlay is first shown.
void BM_SpansOfEveryStroke(benchmark::State& st) {
    const auto strokes = mixedStrokes(static_cast<int>(st.range(0)), QSize(1920, 1080));
    std::size_t spans = 0;
    for (auto _ : st) {
        spans = 0;
        for (const auto& s : strokes) spans += strokeHitSpans(s).size();
    }
    st.counters["spans"] = static_cast<double>(spans);
}

// An overlay shown again: the spans are known, the counts start from nothing.
void BM_CoverageOfEveryStroke(benchmark::State& st) {
    const auto strokes = mixedStrokes(static_cast<int>(st.range(0)), QSize(1920, 1080));
    std::vector<StrokeCoverage::Entry> entries;
    for (const auto& s : strokes)
        entries.emplace_back(s.id, std::make_shared<const std::vector<PixelSpan>>(strokeHitSpans(s)));
    for (auto _ : st) {
        StrokeCoverage coverage;
        coverage.update(entries, QSize(1920, 1079));
        benchmark::DoNotOptimize(coverage.region(QPoint()).rectCount());
    }
}

} // namespace

BENCHMARK(BM_RegionRebuild)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RegionRebuildAfterAStrokeChanged)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RegionOneStrokePlaced)->Arg(200)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_RegionOneStrokeUndone)->Arg(200)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_SpansOfEveryStroke)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CoverageOfEveryStroke)->Arg(2000)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) { return runWidgetBenchmarks(argc, argv); }
