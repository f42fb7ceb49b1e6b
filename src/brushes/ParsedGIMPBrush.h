#pragma once

// A decoded GIMP brush file.

#include "model/BrushRecords.h"

#include <QImage>
#include <QString>

#include <optional>
#include <vector>

// One brush file, decoded: what the brush store keeps of it.
struct ParsedGIMPBrush {
    std::optional<QString> name; // absent when the file has none or it is not valid text
    std::vector<QImage> cells;   // cell masks in file order; never empty in a parsed brush
    double diameter = 0;         // pixels
    double spacing = 25;         // percent of the brush size, at least 1
    double opacity = 1;
    GIMPCellSelection selection = GIMPCellSelection::sequential;
    std::optional<VBRParams> vbr; // only for parametric brushes
};
