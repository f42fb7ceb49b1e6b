// Thumbnails of stored brushes: rendering, atomic writes, and the ledger of
// renders and retired brushes that decides which writes may land.
#include "brushes/BrushThumbnails.h"

#include "brushes/BrushEngine.h"
#include "brushes/BrushFiles.h"
#include "brushes/GIMPBrushParser.h"

#include <QFile>
#include <QHash>
#include <QMutex>
#include <QSet>

#include <algorithm>
#include <atomic>
#include <vector>

namespace brushThumbnails {

namespace {

// The largest share of the sample's height a stamp takes (the preview's rule).
constexpr double kPreviewCellShare = 0.4;

std::atomic<std::uint64_t> renderCount{0};
std::atomic<std::uint64_t> cellReadCount{0};
std::atomic<std::uint64_t> writeCount{0};

// Which render of each brush is the latest, and which brushes are gone.
// `state` is held only for lookups, never during file work, so the main
// thread never waits on a disk; `writing` lets one write run at a time, so
// a write checked as current is never followed by an older one.
struct Ledger {
    QMutex state;
    QHash<QUuid, std::uint64_t> latest;
    QSet<QUuid> retired;
    std::uint64_t nextSerial = 0;
    QMutex writing;
};

Ledger& ledger() {
    static Ledger l;
    return l;
}

std::optional<QImage> cellFromFile(const QString& path) {
    cellReadCount.fetch_add(1, std::memory_order_relaxed);
    // Bounded, and never blocking on a FIFO nor reading a device without end.
    return brushFiles::readCellMask(path);
}

} // namespace

std::optional<QImage> renderThumbnail(const ImportedGIMPBrush& brush, const QString& folder, QSize pixels) {
    std::vector<QImage> cells;
    if (brush.vbr) {
        // The sample draws no cell larger than 40 % of its height. A larger
        // brush is rendered at twice that size (a radius of 40 %) rather than
        // in full: the sample comes out the same, without rendering up to
        // 700 × 700 pixels for a 30-pixel stamp on every slider step.
        VBRParams params = brush.vbr->clamped();
        params.radius = std::min(params.radius, kPreviewCellShare * pixels.height());
        if (auto cell = GIMPBrushParser::renderVBR(params)) cells.push_back(std::move(*cell));
        else return std::nullopt;
    } else {
        const int count = std::min<int>(kMaxCells, static_cast<int>(brush.cellFilenames.size()));
        for (int i = 0; i < count; ++i) {
            const QString& name = brush.cellFilenames[i];
            // Names come from the index, which anyone can edit.
            if (!brushFiles::isPlainFileName(name)) continue;
            if (auto cell = cellFromFile(folder + QLatin1Char('/') + name)) cells.push_back(std::move(*cell));
        }
    }
    auto image =
        brushEngine::renderBrushPreview(cells, brush.selection.value_or(GIMPCellSelection::sequential), pixels);
    if (image) renderCount.fetch_add(1, std::memory_order_relaxed);
    return image;
}

Ticket beginRender(const QUuid& brushID) {
    Ledger& l = ledger();
    const QMutexLocker lock(&l.state);
    const std::uint64_t serial = ++l.nextSerial;
    l.latest.insert(brushID, serial);
    return Ticket{brushID, serial};
}

bool writeIfCurrent(const Ticket& ticket, const QImage& image, const QString& path) {
    Ledger& l = ledger();
    const QMutexLocker writing(&l.writing);
    {
        const QMutexLocker lock(&l.state);
        if (l.retired.contains(ticket.brushID) || l.latest.value(ticket.brushID) != ticket.serial) return false;
    }
    if (!GIMPBrushParser::writePNG(image, path)) return false;
    {
        // Retired while the file was being written: retire() may already
        // have looked for the file before it existed.
        const QMutexLocker lock(&l.state);
        if (l.retired.contains(ticket.brushID)) {
            QFile::remove(path);
            return false;
        }
    }
    writeCount.fetch_add(1, std::memory_order_relaxed);
    return true;
}

void retire(const QUuid& brushID, const QString& thumbnailPath) {
    Ledger& l = ledger();
    {
        const QMutexLocker lock(&l.state);
        l.retired.insert(brushID);
        l.latest.remove(brushID);
    }
    QFile::remove(thumbnailPath);
}

Stats stats() { return Stats{renderCount.load(), cellReadCount.load(), writeCount.load()}; }

} // namespace brushThumbnails
