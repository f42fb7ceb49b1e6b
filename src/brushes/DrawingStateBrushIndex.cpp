// The brush index file of the drawing state: reading it at start (keeping
// an index it cannot use aside before anything writes over it), removing the
// store's images no record names, and writing it.

#include "brushes/BrushFiles.h"
#include "model/DrawingState.h"
#include "platform/Dispatch.h"
#include "platform/GroupedLog.h"
#include "platform/StoredFile.h"
#include "platform/SystemLog.h"
#include "platform/ThrottledFileWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <cmath>

namespace {

namespace storedFile = platform::storedFile;
using platform::SystemLog;

bool allFinite(std::initializer_list<double> values) {
    return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

// JSON has no form for infinities and NaN.
bool encodable(const ImportedGIMPBrush& b) {
    if (!allFinite({b.diameter, b.spacing, b.opacity})) return false;
    return !b.vbr || allFinite({b.vbr->radius, b.vbr->hardness, b.vbr->aspectRatio, b.vbr->angle});
}

bool isRegularFile(const QString& path) {
    const QFileInfo info(path);
    return info.exists() && info.isFile();
}

} // namespace

QString DrawingState::brushIndexPath() const {
    return gimpBrushesDirectory() + QLatin1Char('/') + QString::fromLatin1(brushFiles::kIndexFileName);
}

QString DrawingState::keepUnusedIndexAside(const QString& path) {
    // A FIFO, a device or a folder holds no brushes; a link to one is moved
    // aside by the write itself.
    if (!isRegularFile(path)) return QStringLiteral("there is nothing to keep aside");
    QString why;
    const QString copy = storedFile::quarantine(path, storedFile::SetAside::copy, &why);
    if (!copy.isEmpty()) return QStringLiteral("it is kept as %1").arg(copy);
    // The only record of the user's brushes: never written over uncopied.
    brushIndexKeptFromWrites_ = true;
    return QStringLiteral("it cannot be kept aside (%1), so it is not written over until the next start").arg(why);
}

void DrawingState::loadBrushIndex() {
    const QString path = brushIndexPath();
    const auto file = storedFile::read(path, brushFiles::kMaxIndexFileBytes);
    if (file.status == storedFile::ReadResult::Status::missing) return;
    if (!file.ok()) {
        brushIndexUnreadable_ = file.reason;
        const QString kept = keepUnusedIndexAside(path);
        SystemLog::error(QStringLiteral("Brush index %1 cannot be read (%2); the brush list starts empty and %3")
                             .arg(path, file.reason, kept));
        return;
    }

    auto decoded = brushFiles::decodeBrushIndexConcurrently(file.bytes);
    if (!decoded) {
        const QString kept = keepUnusedIndexAside(path);
        SystemLog::error(QStringLiteral("Brush index %1 is not a JSON array of brushes; the brush list starts empty "
                                        "and %2")
                             .arg(path, kept));
        return;
    }
    if (decoded->skippedRecords > 0) {
        // The next index write would lose the records that could not be read.
        const QString kept = keepUnusedIndexAside(path);
        SystemLog::warning(QStringLiteral("Brush index %1: %2 of %3 records cannot be decoded and are left out; %4")
                               .arg(path, QString::number(decoded->skippedRecords),
                                    QString::number(decoded->skippedRecords + qsizetype(decoded->brushes.size())),
                                    kept));
    }
    // Only an index read whole names every image the store should keep.
    brushIndexReadWhole_ = decoded->skippedRecords == 0;
    importedGIMPBrushes.setSilently(std::move(decoded->brushes));
    readActiveBrushPreference();

    // The active brush first: the others may be many.
    const auto& list = importedGIMPBrushes.get();
    if (const auto active = activeGIMPBrushID.get()) loadGIMPBrushStamps(active);
    std::vector<ImportedGIMPBrush> rest;
    rest.reserve(list.size());
    QSet<QUuid> seen;
    seen.reserve(qsizetype(list.size()));
    for (const auto& brush : list) {
        // A second record with the same identifier loads like the first.
        if (stampLoads_.contains(brush.id) || seen.contains(brush.id)) continue;
        seen.insert(brush.id);
        rest.push_back(brush);
    }
    startStampLoads(std::move(rest));
}

void DrawingState::removeUnrecordedBrushFiles() {
    platform::assertMainThread("DrawingState::removeUnrecordedBrushFiles");
    // Once, after an index read in which every record decoded, and before any
    // import of this run has written files that have no record yet.
    if (!brushIndexReadWhole_ || brushImportsStarted_) return;
    brushIndexReadWhole_ = false;
    const QString folder = gimpBrushesDirectory();
    const QStringList unrecorded = brushFiles::unrecordedImageFiles(folder, importedGIMPBrushes.get());
    if (unrecorded.isEmpty()) return;
    platform::GroupedLog failed;
    for (const QString& name : unrecorded) {
        QFile file(folder + QLatin1Char('/') + name);
        if (!file.remove()) failed.add(file.errorString(), name);
    }
    SystemLog::info(QStringLiteral("Brush store %1: removed %2 that no brush of the index names")
                        .arg(folder, platform::GroupedLog::counted(unrecorded.size() - failed.count(), "image file")));
    failed.warn([&folder](qsizetype count, const QString& cause) {
        return QStringLiteral("Brush store %1: cannot remove %2 that no brush names (%3)")
            .arg(folder, platform::GroupedLog::counted(count, "image file"), cause);
    });
}

void DrawingState::saveGIMPBrushManifest() {
    platform::assertMainThread("DrawingState::saveGIMPBrushManifest");
    if (brushIndexKeptFromWrites_) return;
    QDir().mkpath(gimpBrushesDirectory());
    const auto& list = importedGIMPBrushes.get();
    if (!std::all_of(list.begin(), list.end(), encodable)) return;
    if (!brushIndexWriter_) brushIndexWriter_ = std::make_unique<platform::ThrottledFileWriter>(brushIndexPath());
    brushIndexWriter_->write(encodeBrushIndex(list));
}

void DrawingState::writeBrushIndexBeforeImport() {
    brushImportsStarted_ = true;
    // An import stopped before its first record (a quit, a kill) leaves cells
    // that only a readable index lets the next start recognise as orphans.
    const QFileInfo index(brushIndexPath());
    if (index.exists() || index.isSymLink() || !brushIndexUnreadable_.isEmpty()) return;
    saveGIMPBrushManifest();
    if (brushIndexWriter_) brushIndexWriter_->flush();
}
