// Image pipes (.gih) from arbitrary bytes, through the extension dispatch.
#include "BrushFuzzChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto brush = GIMPBrushParser::parse(bytes, u"GIH");
    checkBrush(brush, 4 * qint64(size));
    if (brush) fuzzCheck(brush->cells.size() <= size / 21, "more cells than the input can hold");
    return 0;
}
