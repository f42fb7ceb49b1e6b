// Start-up over a large brush index: reading and decoding it, starting the
// load of every brush and clearing images no record names, all before the
// tray icon can show. 100,000 records must take well under a second.
#include "brushes/GIMPBrushParser.h"
#include "platform/Dispatch.h"
#include "support/BrushStoreFiles.h"
#include "support/TestDrawingState.h"

#include "GuiBenchmarkMain.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <benchmark/benchmark.h>

using testing_support::TestDrawingState;

namespace {

// A store of `count` brushes: parametric ones (rendered, no files read) or
// bitmap ones with one cell file each.
struct LargeStore {
    TestDrawingState t;

    LargeStore(int count, bool bitmaps) {
        std::vector<ImportedGIMPBrush> brushes;
        brushes.reserve(std::size_t(count));
        QByteArray cell;
        if (bitmaps) {
            QDir().mkpath(t.brushStore);
            const QString sample = t.dir->path() + "/sample.png";
            if (!GIMPBrushParser::writePNG(testing_support::roundCell(24), sample))
                qFatal("cannot write %s", qPrintable(sample));
            QFile f(sample);
            f.open(QIODevice::ReadOnly);
            cell = f.readAll();
        }
        for (int i = 0; i < count; ++i) {
            auto b = testing_support::parametricBrush(1 + i % 7, 0.5, QStringLiteral("brush-%1.vbr").arg(i % 20));
            b.name = QStringLiteral("Brush %1").arg(i);
            if (bitmaps) {
                b.vbr.reset();
                QFile f(t.brushStore + '/' + b.cellFilenames[0]);
                f.open(QIODevice::WriteOnly);
                f.write(cell);
            }
            brushes.push_back(std::move(b));
        }
        testing_support::writeIndexFile(t.brushStore, brushes);
    }

    // Lets every load of the last start finish and its results go.
    static void settle() {
        platform::waitForBackgroundWork();
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
};

void startWithIndex(benchmark::State& state, bool bitmaps) {
    LargeStore store(int(state.range(0)), bitmaps);
    for (auto _ : state) {
        auto s = store.t.makeAnother();
        state.PauseTiming();
        if (s->importedGIMPBrushes->size() != std::size_t(state.range(0))) state.SkipWithError("index not read");
        s.reset();
        LargeStore::settle();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_StartWithParametricBrushIndex(benchmark::State& state) { startWithIndex(state, false); }
void BM_StartWithBitmapBrushIndex(benchmark::State& state) { startWithIndex(state, true); }

// Until every brush's cells are in memory (in the background, after the
// tray icon): the whole cost of a large store, for reference.
void BM_StartUntilEveryBrushIsLoaded(benchmark::State& state) {
    LargeStore store(int(state.range(0)), true);
    for (auto _ : state) {
        auto s = store.t.makeAnother();
        while (s->gimpStampCache.size() < state.range(0)) {
            platform::waitForBackgroundWork(10);
            QCoreApplication::sendPostedEvents();
        }
        state.PauseTiming();
        s.reset();
        LargeStore::settle();
        state.ResumeTiming();
    }
}

} // namespace

BENCHMARK(BM_StartWithParametricBrushIndex)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_StartWithBitmapBrushIndex)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_StartUntilEveryBrushIsLoaded)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv) { return runGuiBenchmarks(argc, argv); }
