// The brush panel: one pointer event of a parametric-brush slider drag at the
// largest radius (the brush re-rendered on the main thread, and its row's
// sample stroke rendered again), and the same event sent through the shown
// panel.

#include "GuiBenchmarkMain.h"
#include "brushes/BrushThumbnails.h"
#include "model/DrawingState.h"
#include "support/BrushStoreFiles.h"
#include "support/TestDrawingState.h"
#include "support/TestUtil.h"
#include "toolbar/GIMPBrushLibraryPanel.h"
#include "toolbar/GIMPBrushPanelRoot.h"
#include "toolbar/GIMPBrushRow.h"
#include "toolbar/VBRParamsEditor.h"
#include "ui/DismissBox.h"
#include "ui/PanelSlider.h"

#include <QCoreApplication>
#include <QDir>
#include <QMouseEvent>

#include <benchmark/benchmark.h>

using namespace testing_support;
using Parameter = VBRParamsEditorModel::Parameter;

namespace {

struct Store {
    TestDrawingState t;
    ImportedGIMPBrush brush = parametricBrush(1, 1, std::nullopt);

    Store(double hardness, int spikes, double aspect) {
        QDir().mkpath(t.brushStore);
        brush.vbr = VBRParams{VBRShape::circle, 250, spikes, hardness, aspect, 30};
        brush.diameter = 500;
        t->importedGIMPBrushes = {brush};
        t->activeGIMPBrushID = brush.id;
        drainEvents();
    }
    VBRParams stored() const { return *t->importedGIMPBrushes.get().front().vbr; }
};

const char* label(double hardness, int spikes, double aspect) {
    if (aspect > 1) return "elongated star";
    if (spikes > 2) return "star";
    return hardness < 1 ? "soft circle" : "hard circle";
}

// What one pointer event costs in all: the brush re-rendered by the editor
// (main thread) and the row's thumbnail rendered from the new parameters
// (background), one after the other.
void BM_EditorDragEvent(benchmark::State& bench) {
    const double hardness = double(bench.range(0)) / 100;
    const int spikes = int(bench.range(1));
    const double aspect = double(bench.range(2));
    Store s(hardness, spikes, aspect);
    VBRParamsEditorModel model(s.t.state);
    ImportedGIMPBrush shown = s.brush;
    int step = 0;
    for (auto _ : bench) {
        // Between the two largest radii, so each event changes the brush.
        model.write(Parameter::radius, 249 + (++step % 2));
        shown.vbr = s.stored();
        auto thumbnail = brushThumbnails::renderThumbnail(shown, s.t.brushStore, QSize(416, 76));
        benchmark::DoNotOptimize(thumbnail);
    }
    bench.SetLabel(label(hardness, spikes, aspect));
}
BENCHMARK(BM_EditorDragEvent)
    ->Args({100, 2, 1})
    ->Args({50, 2, 1})
    ->Args({0, 2, 1})
    ->Args({50, 20, 1})
    ->Args({50, 20, 20})
    ->Unit(benchmark::kMillisecond);

// The main thread's share of an event alone.
void BM_EditorReRender(benchmark::State& bench) {
    Store s(0.5, int(bench.range(0)), double(bench.range(1)));
    VBRParamsEditorModel model(s.t.state);
    int step = 0;
    for (auto _ : bench) model.write(Parameter::radius, 249 + (++step % 2));
    bench.SetLabel(label(0.5, int(bench.range(0)), double(bench.range(1))));
}
BENCHMARK(BM_EditorReRender)->Args({2, 1})->Args({20, 1})->Args({20, 20})->Unit(benchmark::kMillisecond);

// The row's share alone: the sample stroke at 416 × 76.
void BM_RowThumbnail(benchmark::State& bench) {
    Store s(0.5, int(bench.range(0)), double(bench.range(1)));
    for (auto _ : bench) {
        auto thumbnail = brushThumbnails::renderThumbnail(s.brush, s.t.brushStore, QSize(416, 76));
        benchmark::DoNotOptimize(thumbnail);
    }
    bench.SetLabel(label(0.5, int(bench.range(0)), double(bench.range(1))));
}
BENCHMARK(BM_RowThumbnail)->Args({2, 1})->Args({20, 1})->Args({20, 20})->Unit(benchmark::kMillisecond);

// The event as the user makes it: a move of the held radius slider sent to
// the shown panel, and the main thread's work that follows it (the brush
// re-rendered, the editor and the library brought up to date, the row's
// render handed to the background, the panel repainted). The row's render
// runs beside it on a pool thread, at most one per row at a time.
void BM_EditorDragEventThroughPanel(benchmark::State& bench) {
    Store s(0.5, 2, 1);
    GIMPBrushPanelRoot root(s.t.state, std::make_shared<DismissBox>());
    root.show();
    drainEvents();
    GIMPBrushRow* row = root.library()->rows().front();
    waitUntil([&] { return !row->model().image().isNull() && !row->model().isRendering(); });
    PanelSlider* slider = root.editor()->slider(Parameter::radius);
    const auto send = [&](QEvent::Type type, double radius) {
        const QPointF at = slider->knobCentre(radius);
        QMouseEvent e(type, at, slider->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(slider, &e);
    };
    send(QEvent::MouseButtonPress, 250);
    int step = 0;
    for (auto _ : bench) {
        send(QEvent::MouseMove, 249 + (++step % 2));
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
    send(QEvent::MouseButtonRelease, 250);
    waitUntil([&] { return !row->model().isRendering(); });
    drainEvents();
}
BENCHMARK(BM_EditorDragEventThroughPanel)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) { return runWidgetBenchmarks(argc, argv); }
