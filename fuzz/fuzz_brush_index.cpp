// The brush index as read at start: read in slices on several threads it
// gives what the plain reader gives; what decodes must encode and decode
// again to the same records, with nothing skipped the second time.

#include "brushes/BrushFiles.h"
#include "model/BrushRecords.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const QByteArray data(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(size));
    const auto decoded = decodeBrushIndex(data);
    // Slices of one and of two records, so that small inputs take the
    // concurrent path too.
    for (qsizetype slice : {1, 2}) {
        const auto concurrent = brushFiles::decodeBrushIndexConcurrently(data, slice);
        if (concurrent.has_value() != decoded.has_value()) __builtin_trap();
        if (concurrent &&
            (concurrent->brushes != decoded->brushes || concurrent->skippedRecords != decoded->skippedRecords))
            __builtin_trap();
    }
    if (!decoded) return 0;
    const auto again = decodeBrushIndex(encodeBrushIndex(decoded->brushes));
    if (!again || again->skippedRecords != 0 || again->brushes != decoded->brushes) __builtin_trap();
    // Names from the index either are plain names in the store or are ignored.
    for (const auto& b : decoded->brushes) {
        for (const QString& name : b.cellFilenames) {
            if (brushFiles::isStoreImageName(name) && !brushFiles::isPlainFileName(name)) __builtin_trap();
        }
    }
    brushFiles::identifiersIn(data);
    return 0;
}
