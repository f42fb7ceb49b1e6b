// Helper program for the brush index tests: rewrites the index of the brush
// store given as its first argument over and over, each time with all of its
// second argument's number of records renamed, until it is killed. Prints
// "ready" once the first index is on disk.
#include "platform/ThrottledFileWriter.h"
#include "support/BrushStoreFiles.h"
#include "support/TestDrawingState.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 3) return 2;
    testing_support::TestDrawingState t;
    t.brushStore = QString::fromLocal8Bit(argv[1]);
    t.state = t.makeAnother();
    const int count = std::atoi(argv[2]);

    std::vector<ImportedGIMPBrush> brushes;
    for (int i = 0; i < count; ++i) brushes.push_back(testing_support::parametricBrush(1 + i % 20, 0.5, std::nullopt));
    for (int round = 0;; ++round) {
        // Long names: most of each round is spent writing, not encoding.
        const QString name = QStringLiteral("Round %1 ").arg(round).repeated(400);
        for (auto& b : brushes) b.name = name;
        t->importedGIMPBrushes = brushes;
        platform::ThrottledFileWriter::flushAll();
        if (round == 0) {
            std::printf("ready\n");
            std::fflush(stdout);
        }
    }
}
