// Helper program for the end-to-end tests: checks a brush store as the
// program left it, before any start tidies it. Prints a line for each fault
// (an index that does not decode, a recorded image that is missing, an
// image or an unfinished write that no record names) and exits with 1 when
// there is one.
//   brush_store_check STORE
#include "brushes/BrushFiles.h"
#include "model/BrushRecords.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    const QString store = QFile::decodeName(argv[1]);
    int faults = 0;
    const auto fault = [&faults](const QString& what) {
        std::printf("%s\n", qPrintable(what));
        ++faults;
    };
    std::vector<ImportedGIMPBrush> brushes;
    QFile index(store + QLatin1Char('/') + QLatin1String(brushFiles::kIndexFileName));
    if (index.exists()) {
        if (!index.open(QIODevice::ReadOnly)) return 2;
        const auto decoded = decodeBrushIndex(index.readAll());
        if (!decoded) fault(QStringLiteral("the index does not decode"));
        else if (decoded->skippedRecords > 0)
            fault(QStringLiteral("%1 records do not decode").arg(decoded->skippedRecords));
        if (decoded) brushes = decoded->brushes;
    }
    for (const auto& brush : brushes) {
        QStringList images = brush.cellFilenames;
        if (brush.thumbnailFilename) images.append(*brush.thumbnailFilename);
        for (const QString& image : images) {
            if (!QFileInfo(store + QLatin1Char('/') + image).isFile())
                fault(QStringLiteral("recorded but missing: %1").arg(image));
        }
    }
    for (const QString& image : brushFiles::unrecordedImageFiles(store, brushes))
        fault(QStringLiteral("not recorded: %1").arg(image));
    std::printf("%zu records\n", brushes.size());
    return faults > 0 ? 1 : 0;
}
