// Bitmap brushes (.gbr) from arbitrary bytes.
#include "BrushFuzzChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    // One cell of at most one grey byte per pixel: four mask bytes per input byte.
    checkBrush(GIMPBrushParser::parseGBR(bytes), 4 * qint64(size));
    return 0;
}
