#include "support/BrushStoreFiles.h"

#include "brushes/GIMPBrushParser.h"

#include <QDir>
#include <QFile>

#include <cmath>

namespace testing_support {

QImage solidCell(int width, int height, int alpha) {
    QImage cell(width, height, kCellMaskFormat);
    cell.fill(QColor(0, 0, 0, alpha));
    return cell;
}

QImage roundCell(int side) {
    QImage cell(side, side, kCellMaskFormat);
    const double c = (side - 1) / 2.0;
    for (int y = 0; y < side; ++y) {
        uchar* row = cell.scanLine(y);
        for (int x = 0; x < side; ++x) {
            const double d = std::hypot(x - c, y - c) / (side / 2.0);
            row[4 * x] = row[4 * x + 1] = row[4 * x + 2] = 0;
            row[4 * x + 3] = static_cast<uchar>(d >= 1 ? 0 : 255 * (1 - d * d));
        }
    }
    return cell;
}

ImportedGIMPBrush storeBitmapBrush(const QString& folder, int cells, const QString& name, int side) {
    QDir().mkpath(folder);
    ImportedGIMPBrush b;
    b.id = QUuid::createUuid();
    b.name = name;
    b.diameter = side;
    b.spacing = 25;
    b.opacity = 1;
    b.selection = GIMPCellSelection::sequential;
    for (int i = 0; i < cells; ++i) {
        const QString file = uuidText(b.id) + QStringLiteral("_%1.png").arg(i);
        if (!GIMPBrushParser::writePNG(solidCell(side, side, 40 + i), folder + '/' + file))
            qFatal("cannot write a test cell into %s", qPrintable(folder));
        b.cellFilenames.append(file);
    }
    return b;
}

ImportedGIMPBrush parametricBrush(double aspectRatio, double hardness, std::optional<QString> bundledSourceID) {
    ImportedGIMPBrush b;
    b.id = QUuid::createUuid();
    b.name = QStringLiteral("Aspect %1").arg(aspectRatio);
    b.cellFilenames = {uuidText(b.id) + "_0.png"};
    b.diameter = 16;
    b.spacing = 20;
    b.opacity = 1;
    b.vbr = VBRParams{VBRShape::circle, 8, 2, hardness, aspectRatio, 0};
    b.bundledSourceID = std::move(bundledSourceID);
    return b;
}

void writeIndexFile(const QString& folder, const std::vector<ImportedGIMPBrush>& brushes) {
    QDir().mkpath(folder);
    QFile f(folder + "/brushes.json");
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(encodeBrushIndex(brushes));
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace testing_support
