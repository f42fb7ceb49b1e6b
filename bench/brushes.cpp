// Brush engine: the generated-brush renderer (re-run on every slider tick of
// the brush editor, so it must stay well inside a frame) and the throughput
// of the bitmap-brush readers.

#include "brushes/GIMPBrushParser.h"
#include "support/BrushFileWriter.h"

#include <benchmark/benchmark.h>

using namespace testing_support;

namespace {

void renderBenchmark(benchmark::State& state, VBRParams params) {
    qint64 pixels = 0;
    for (auto _ : state) {
        auto image = GIMPBrushParser::renderVBR(params);
        benchmark::DoNotOptimize(image);
        pixels = image ? qint64(image->width()) * image->height() : 0;
    }
    state.counters["pixels"] = double(pixels);
}

// The largest image there is (709 x 709): a star needs the square of both
// half-axes. An odd spike count gets no point-mirror shortcut.
void BM_RenderVBR_Largest_19Spikes(benchmark::State& state) {
    renderBenchmark(state, {VBRShape::diamond, 250, 19, 0.5, 1, 33.3});
}
void BM_RenderVBR_Largest_20Spikes(benchmark::State& state) {
    renderBenchmark(state, {VBRShape::diamond, 250, 20, 0.5, 1, 33.3});
}
void BM_RenderVBR_Largest_3Spikes(benchmark::State& state) {
    renderBenchmark(state, {VBRShape::square, 250, 3, 0.5, 1, 12});
}
void BM_RenderVBR_Circle250(benchmark::State& state) { renderBenchmark(state, {VBRShape::circle, 250, 2, 0.5, 1, 0}); }
void BM_RenderVBR_Typical(benchmark::State& state) { renderBenchmark(state, {VBRShape::circle, 25, 2, 0.8, 1.5, 30}); }

void parseBenchmark(benchmark::State& state, const QByteArray& file, const char* ext) {
    for (auto _ : state) {
        auto brush = GIMPBrushParser::parse(file, QString::fromLatin1(ext));
        if (!brush) state.SkipWithError("parse failed");
        benchmark::DoNotOptimize(brush);
    }
    state.SetBytesProcessed(state.iterations() * file.size());
}

// A large single brush: 2048 x 2048 pixels.
void BM_ParseGBR_Large(benchmark::State& state) {
    GbrFields f;
    f.width = f.height = 2048;
    f.bytesPerPixel = std::uint32_t(state.range(0));
    f.name = "Large";
    parseBenchmark(state, gbrFile(f), "gbr");
}

// A 24-cell pipe of 256 x 256 RGBA cells, as GIMP's own pipes are laid out.
void BM_ParseGIH_24Cells(benchmark::State& state) {
    QList<QByteArray> cells;
    for (int i = 0; i < 24; ++i) {
        GbrFields f;
        f.width = f.height = 256;
        f.bytesPerPixel = std::uint32_t(state.range(0));
        f.pixels = brushPixels(256, 256, f.bytesPerPixel, i);
        cells.append(gbrFile(f));
    }
    parseBenchmark(state, gihFile("Pipe", gihParameters(24), cells), "gih");
}

} // namespace

BENCHMARK(BM_RenderVBR_Largest_19Spikes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderVBR_Largest_20Spikes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderVBR_Largest_3Spikes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderVBR_Circle250)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderVBR_Typical)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ParseGBR_Large)->Arg(1)->Arg(3)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseGIH_24Cells)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
