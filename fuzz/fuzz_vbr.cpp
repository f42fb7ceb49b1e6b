// Parametric brushes (.vbr) from arbitrary text; inputs that start with "RAW"
// go to the renderer as raw parameters instead (non-finite and huge values
// included), as the brush editor may pass them.
#include "BrushFuzzChecks.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    constexpr qint64 kLargest = qint64(709) * 709 * 4;
    if (bytes.startsWith("RAW")) {
        VBRParams p;
        double numbers[5] = {};
        std::int32_t spikes = 0;
        std::uint8_t shape = 0;
        const size_t need = 3 + sizeof numbers + sizeof spikes + 1;
        if (size < need) return 0;
        std::memcpy(numbers, data + 3, sizeof numbers);
        std::memcpy(&spikes, data + 3 + sizeof numbers, sizeof spikes);
        shape = data[3 + sizeof numbers + sizeof spikes];
        p.shape = kAllVBRShapes[shape % 3];
        p.radius = numbers[0];
        p.hardness = numbers[1];
        p.aspectRatio = numbers[2];
        p.angle = numbers[3];
        p.spikes = spikes;
        if (const auto image = GIMPBrushParser::renderVBR(p)) {
            checkCellMask(*image);
            fuzzCheck(qint64(image->width()) * image->height() * 4 <= kLargest, "rendered size");
        }
        const auto table = GIMPBrushParser::vbrCoverage(numbers[0], numbers[4]);
        for (float v : table) fuzzCheck(v >= 0 && v <= 1, "coverage range");
        return 0;
    }
    const auto brush = GIMPBrushParser::parseVBR(bytes);
    checkBrush(brush, kLargest);
    if (brush) {
        fuzzCheck(brush->vbr.has_value() && brush->cells.size() == 1, "parametric brush shape");
        fuzzCheck(*brush->vbr == brush->vbr->clamped(), "parameters clamped");
    }
    return 0;
}
