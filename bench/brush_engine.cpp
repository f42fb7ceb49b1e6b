// Brush engine at drawing time: loading the store at start-up, tinted cells,
// stamping imported brushes, and the chalk and watercolour strokes with their
// generated masks.

#include "GuiBenchmarkMain.h"
#include "brushes/BrushEngine.h"
#include "brushes/GIMPBrushParser.h"
#include "model/DrawingStroke.h"
#include "support/BrushStoreFiles.h"
#include "support/TestDrawingState.h"
#include "support/TestUtil.h"

#include <QDir>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cmath>

using namespace testing_support;

namespace {

// A wavy stroke of `count` points, about 2 px apart, across a 1920 x 1080 canvas.
DrawingStroke wavyStroke(int count, double width, DrawingTool tool) {
    DrawingStroke s;
    s.tool = tool;
    s.lineWidth = width;
    s.color = Color::rgba(0.2, 0.4, 0.9, 0.8);
    for (int i = 0; i < count; ++i) {
        const double x = 60 + i * 1.8;
        s.points.emplace_back(x, 540 + 300 * std::sin(x / 150.0));
    }
    return s;
}

// Start-up: the index of 50 brushes of 24 cells each is read and every
// brush's cells decoded in the background.
void BM_StartupLoad_50Brushes_24Cells(benchmark::State& state) {
    TestDrawingState t;
    std::vector<ImportedGIMPBrush> brushes;
    QDir().mkpath(t.brushStore);
    for (int b = 0; b < 50; ++b) {
        ImportedGIMPBrush record;
        record.id = QUuid::createUuid();
        record.name = QStringLiteral("Brush %1").arg(b);
        record.diameter = 64;
        record.spacing = 20;
        for (int c = 0; c < 24; ++c) {
            const QString name = uuidText(record.id) + QStringLiteral("_%1.png").arg(c);
            if (!GIMPBrushParser::writePNG(roundCell(48 + (b + c) % 32), t.brushStore + '/' + name))
                qFatal("cannot write a cell into %s", qPrintable(t.brushStore));
            record.cellFilenames.append(name);
        }
        brushes.push_back(record);
    }
    QFile index(t.brushStore + "/brushes.json");
    index.open(QIODevice::WriteOnly);
    index.write(encodeBrushIndex(brushes));
    index.close();

    for (auto _ : state) {
        auto s = t.makeAnother();
        const bool done = waitUntil([&] { return s->gimpStampCache.size() == 50; }, 60000);
        if (!done) state.SkipWithError("brushes did not load");
        benchmark::DoNotOptimize(s);
    }
    state.counters["cells"] = 50 * 24;
}

struct LoadedBrush {
    TestDrawingState t;
    QUuid id = QUuid::createUuid();
    explicit LoadedBrush(int cells = 8) {
        std::vector<QImage> list;
        for (int i = 0; i < cells; ++i) list.push_back(roundCell(120));
        t->gimpStampCache.insert(id, list);
    }
};

void BM_TintedStamps_Miss(benchmark::State& state) {
    LoadedBrush b;
    double size = 20;
    for (auto _ : state) {
        // A new size each time: always a miss, always the same amount of work.
        size = size == 20 ? 21 : 20;
        state.PauseTiming();
        b.t->tintedStampCache.clear();
        state.ResumeTiming();
        benchmark::DoNotOptimize(b.t->tintedStamps(b.id, Color::red(), size));
    }
}

void BM_TintedStamps_Hit(benchmark::State& state) {
    LoadedBrush b;
    b.t->tintedStamps(b.id, Color::red(), 20);
    for (auto _ : state) benchmark::DoNotOptimize(b.t->tintedStamps(b.id, Color::red(), 20));
}

// Stamps per second at step 1 (the finest there is) into a full-HD canvas.
void BM_DrawGIMPBrushStroke_Step1(benchmark::State& state) {
    LoadedBrush b(4);
    DrawingStroke stroke = wavyStroke(1000, 20, DrawingTool::gimpBrush);
    stroke.gimpSpacing = 1; // 20 px × 1 % is below one point: raised to 1
    const auto cells = b.t->tintedStamps(b.id, stroke.color, stroke.lineWidth);
    const auto stamps = brushEngine::gimpBrushStamps(stroke, cells).size();
    QImage canvas(1920, 1080, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        canvas.fill(Qt::transparent);
        QPainter p(&canvas);
        brushEngine::drawGIMPBrushStroke(stroke, cells, p);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(stamps));
    state.counters["stamps"] = double(stamps);
}

// Repaint of a 1,000-point stroke with its stamps cached.
void texturedRepaint(benchmark::State& state, int kind) {
    const double width = static_cast<double>(state.range(0));
    const DrawingStroke stroke =
        wavyStroke(1000, width, kind == brushEngine::kChalkKind ? DrawingTool::chalk : DrawingTool::watercolorBrush);
    QImage canvas(1920, 1080, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    {
        QPainter warm(&canvas);
        brushEngine::drawTexturedStroke(stroke, kind, warm);
    }
    const auto images = brushEngine::stampImage(kind, width, stroke.color);
    const auto stamps = brushEngine::texturedStamps(stroke, kind, int(images.size())).size();
    for (auto _ : state) {
        QPainter p(&canvas);
        brushEngine::drawTexturedStroke(stroke, kind, p);
    }
    state.counters["stamps"] = double(stamps);
}
void BM_ChalkRepaint_1000Points(benchmark::State& state) { texturedRepaint(state, brushEngine::kChalkKind); }
void BM_WatercolourRepaint_1000Points(benchmark::State& state) { texturedRepaint(state, brushEngine::kWatercolorKind); }

// The first stroke of a kind at the largest stamp size: four masks generated
// and tinted.
void firstMasks(benchmark::State& state, int kind) {
    for (auto _ : state) {
        state.PauseTiming();
        brushEngine::clearTexturedStampCache();
        state.ResumeTiming();
        benchmark::DoNotOptimize(brushEngine::stampImage(kind, 192, Color::red()));
    }
}
void BM_FirstChalkMasks_384px(benchmark::State& state) { firstMasks(state, brushEngine::kChalkKind); }
void BM_FirstWatercolourMasks_384px(benchmark::State& state) { firstMasks(state, brushEngine::kWatercolorKind); }

// A new colour at the largest stamp size, masks cached: one tint of four masks.
void BM_ColourChange_384px(benchmark::State& state) {
    const int kind = static_cast<int>(state.range(0));
    brushEngine::clearTexturedStampCache();
    brushEngine::stampImage(kind, 192, Color::red());
    int i = 0;
    for (auto _ : state) {
        ++i;
        const Color c = Color::rgba((i % 251) / 250.0, ((i / 251) % 251) / 250.0, 0.5);
        benchmark::DoNotOptimize(brushEngine::stampImage(kind, 192, c));
    }
    state.counters["maskBuilds"] = double(brushEngine::texturedStampCacheStats().maskBuilds);
}

} // namespace

BENCHMARK(BM_StartupLoad_50Brushes_24Cells)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_TintedStamps_Miss)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TintedStamps_Hit)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DrawGIMPBrushStroke_Step1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChalkRepaint_1000Points)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WatercolourRepaint_1000Points)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstChalkMasks_384px)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstWatercolourMasks_384px)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ColourChange_384px)
    ->Arg(brushEngine::kChalkKind)
    ->Arg(brushEngine::kWatercolorKind)
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) { return runGuiBenchmarks(argc, argv); }
