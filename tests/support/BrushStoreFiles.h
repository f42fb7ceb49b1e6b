#pragma once

// Brush store contents for tests and benchmarks: cell masks, stored brushes
// with their cell files, and index files.

#include "model/BrushRecords.h"

#include <QImage>
#include <QString>

#include <vector>

namespace testing_support {

// A cell mask of the given size, every pixel of coverage `alpha`.
QImage solidCell(int width, int height, int alpha = 255);
// A cell mask whose coverage falls from full at the centre to none at the rim.
QImage roundCell(int side);

// A bitmap brush of `cells` cells of `side` pixels whose cell files are
// written into `folder` (cell i has coverage 40 + i).
ImportedGIMPBrush storeBitmapBrush(const QString& folder, int cells, const QString& name = "Bitmap", int side = 12);

// A parametric brush record (no files): a circle of radius 8.
ImportedGIMPBrush parametricBrush(double aspectRatio, double hardness, std::optional<QString> bundledSourceID);

void writeIndexFile(const QString& folder, const std::vector<ImportedGIMPBrush>& brushes);
QByteArray readFile(const QString& path);

} // namespace testing_support
