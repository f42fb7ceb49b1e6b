#pragma once

// What every brush the readers return must satisfy, whatever the input.
// A violation aborts, so the fuzzer reports it like a crash.

#include "brushes/GIMPBrushParser.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

inline void fuzzCheck(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "brush invariant broken: %s\n", what);
        std::abort();
    }
}

inline void checkCellMask(const QImage& cell) {
    fuzzCheck(!cell.isNull() && cell.format() == kCellMaskFormat, "cell format");
    fuzzCheck(cell.bytesPerLine() == qsizetype(cell.width()) * 4, "cell row length");
    for (int y = 0; y < cell.height(); ++y) {
        const std::uint8_t* p = cell.constScanLine(y);
        for (int x = 0; x < cell.width(); ++x) fuzzCheck((p[4 * x] | p[4 * x + 1] | p[4 * x + 2]) == 0, "colour bytes");
    }
}

// `maxMaskBytes`: what the input may cost in pixels at most.
inline void checkBrush(const std::optional<ParsedGIMPBrush>& brush, qint64 maxMaskBytes) {
    if (!brush) return;
    fuzzCheck(!brush->cells.empty(), "no cells");
    fuzzCheck(std::isfinite(brush->spacing) && brush->spacing >= 1, "spacing");
    fuzzCheck(std::isfinite(brush->diameter) && brush->diameter >= 1, "diameter");
    fuzzCheck(brush->opacity == 1, "opacity");
    qint64 bytes = 0;
    for (const QImage& cell : brush->cells) {
        checkCellMask(cell);
        bytes += qint64(cell.width()) * cell.height() * 4;
    }
    fuzzCheck(bytes <= maxMaskBytes, "mask bytes out of proportion to the input");
}
