// The toolbar's two costly moments: a rebuild for a new dock position (the
// old window closed and deleted, a new one built, laid out and, when the
// toolbar was shown, placed, shown and painted), and the first show of a
// freshly built toolbar (placed, shown, painted). Targets: under 30 ms each.
// Offscreen by default; under scripts/x11-session with QT_QPA_PLATFORM=xcb
// on a real X server.
#include "app/AppDelegate.h"
#include "model/DrawingState.h"
#include "support/TestDrawingState.h"
#include "toolbar/ToolbarWindowController.h"

#include "GuiBenchmarkMain.h"

#include <QCoreApplication>
#include <QImage>
#include <QWidget>

#include <benchmark/benchmark.h>

using namespace testing_support;

namespace {

const ToolbarDockPosition kPositions[] = {ToolbarDockPosition::topCenterH, ToolbarDockPosition::middleLeftV,
                                          ToolbarDockPosition::bottomRightH, ToolbarDockPosition::topRightV};

struct Shell {
    Shell() {
        AppServices s;
        s.environment = t.environment();
        s.claimSingleInstance = [] { return true; };
        delegate = std::make_unique<AppDelegate>(std::move(s));
        delegate->applicationDidFinishLaunching();
        settle();
    }
    ~Shell() {
        delegate.reset();
        settle();
    }
    static void settle() {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // Painted now, as the first frame on screen would be (the window system
    // would ask for it on a later turn, once the window is exposed).
    void paint() const {
        auto* c = delegate->toolbarController();
        if (!c || !c->window()->isVisible()) return;
        QWidget* host = c->window()->widget();
        QImage frame(host->size(), QImage::Format_ARGB32_Premultiplied);
        frame.fill(Qt::transparent);
        host->render(&frame, QPoint(), QRegion(), QWidget::DrawChildren);
        benchmark::DoNotOptimize(frame.constBits());
    }

    TestDrawingState t;
    std::unique_ptr<AppDelegate> delegate;
};

// The program's very first show: nothing rendered yet (symbols included).
// Registered first so that it runs before anything warms the caches.
void BM_FirstShowCold(benchmark::State& bench) {
    Shell shell;
    for (auto _ : bench) {
        shell.delegate->showToolbar(std::nullopt);
        shell.paint();
    }
}
BENCHMARK(BM_FirstShowCold)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_RebuildForDockPosition(benchmark::State& bench) {
    Shell shell;
    const bool shown = bench.range(0) != 0;
    if (shown) shell.delegate->toggleToolbar();
    Shell::settle();
    std::size_t i = 0;
    for (auto _ : bench) {
        // What the dock-position subscription does, with the old window's
        // deletion on the following turn counted in.
        shell.t->toolbarDockPosition.setSilently(kPositions[++i % std::size(kPositions)]);
        shell.delegate->rebuildToolbar();
        shell.paint();
        Shell::settle();
    }
    bench.SetLabel(shown ? "toolbar shown" : "toolbar hidden");
}
BENCHMARK(BM_RebuildForDockPosition)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_FirstShow(benchmark::State& bench) {
    Shell shell;
    for (auto _ : bench) {
        bench.PauseTiming();
        shell.delegate->rebuildToolbar(); // a fresh, hidden toolbar
        Shell::settle();
        bench.ResumeTiming();
        shell.delegate->showToolbar(std::nullopt);
        shell.paint();
        bench.PauseTiming();
        shell.delegate->toolbarController()->window()->close();
        Shell::settle();
        bench.ResumeTiming();
    }
}
BENCHMARK(BM_FirstShow)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) { return runWidgetBenchmarks(argc, argv); }
