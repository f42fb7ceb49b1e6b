// The cost of the overlay's two pointer rules for one pointer position: the
// window rule, run on every pointer movement over any application while
// the overlays are shown, and the click rule, run for every click on an
// overlay. In draw mode and in passthrough mode (where the stroke hit test
// decides), over 1,000 placed strokes on a 1920×1080 display.
#include "app/OverlayWindowController.h"
#include "app/PassthroughHostingView.h"
#include "model/DrawingState.h"
#include "support/RandomStrokes.h"
#include "support/TestDrawingState.h"

#include "GuiBenchmarkMain.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <random>

using namespace testing_support;

namespace {

struct Scene {
    explicit Scene(bool passthrough)
        : t({FakeScreenProvider::makeScreen(1, platform::Rect(0, 0, 1920, 1080))}, platform::UserDefaults::inMemory(),
            OverlayWindowController::factory()) {
        std::mt19937 rng(7);
        for (int i = 0; i < 1000; ++i) {
            DrawingStroke s = randomStroke(mixedTool(i), rng, QSizeF(1920, 1080));
            s.displayID = 1;
            t->addStroke(s);
        }
        t->isToolbarVisible = true;
        t->showOverlays();
        if (passthrough) t->selectedTool = std::nullopt;
        QCoreApplication::processEvents();
        controller = static_cast<OverlayWindowController*>(t->overlayControllers.at(1).get());
        path = wanderingPath(rng, QSizeF(1920, 1080), 4096, 2.5);
    }
    ~Scene() { t->hideOverlays(); }

    TestDrawingState t;
    OverlayWindowController* controller = nullptr;
    std::vector<QPointF> path;
};

void BM_WindowRule(benchmark::State& st) {
    Scene scene(st.range(0) == 1);
    std::size_t i = 0;
    int accepted = 0;
    for (auto _ : st) {
        const QPointF p = scene.path[i++ % scene.path.size()];
        scene.t.mouse->setLocation(platform::Point(p.x(), 1080 - p.y()));
        accepted += scene.controller->shouldAcceptMouse();
    }
    benchmark::DoNotOptimize(accepted);
    st.SetLabel(st.range(0) == 1 ? "passthrough" : "draw mode");
}

void BM_ClickRule(benchmark::State& st) {
    Scene scene(st.range(0) == 1);
    std::size_t i = 0;
    int hits = 0;
    for (auto _ : st) hits += scene.controller->hostingView()->hitTest(scene.path[i++ % scene.path.size()]) != nullptr;
    benchmark::DoNotOptimize(hits);
    st.SetLabel(st.range(0) == 1 ? "passthrough" : "draw mode");
}

} // namespace

BENCHMARK(BM_WindowRule)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ClickRule)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) { return runWidgetBenchmarks(argc, argv); }
