#include "brushes/BrushFiles.h"

#include "brushes/BrushEngine.h"
#include "brushes/GIMPBrushParser.h"
#include "platform/Dispatch.h"
#include "platform/JsonText.h"
#include "platform/StoredFile.h"
#include "platform/SystemLog.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <utility>

#include <dirent.h>

namespace brushFiles {

QString cellFileName(const QUuid& id, int position) {
    return uuidText(id) + QLatin1Char('_') + QString::number(position) + QStringLiteral(".png");
}

QString thumbnailFileName(const QUuid& id) { return uuidText(id) + QStringLiteral("_thumb.png"); }

bool isPlainFileName(const QString& name) {
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && !name.contains(QChar(0)) &&
           name != QLatin1String(".") && name != QLatin1String("..");
}

namespace {

// A store image name as a key: the brush's identifier and the cell's
// position, -1 for the preview. By hand rather than by a regular expression,
// and without building strings: this runs for every file of the store at start.
using ImageKey = std::pair<QUuid, qint64>;

template <typename Char>
std::optional<ImageKey> storeImageKey(const Char* name, qsizetype size) {
    constexpr qsizetype kID = 36;
    const auto at = [name](qsizetype i) { return char16_t(name[i]); };
    if (size < kID + 6 || at(kID) != u'_') return std::nullopt;
    if (at(size - 4) != u'.' || at(size - 3) != u'p' || at(size - 2) != u'n' || at(size - 1) != u'g')
        return std::nullopt;
    char id[kID];
    for (qsizetype i = 0; i < kID; ++i) {
        const char16_t c = at(i);
        const bool hyphenSlot = i == 8 || i == 13 || i == 18 || i == 23;
        const bool hex = (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F');
        if (hyphenSlot ? c != u'-' : !hex) return std::nullopt;
        id[i] = char(c);
    }
    const qsizetype tailSize = size - kID - 5;
    const Char* tail = name + kID + 1;
    qint64 position = -1;
    const bool thumb = tailSize == 5 && at(kID + 1) == u't' && at(kID + 2) == u'h' && at(kID + 3) == u'u' &&
                       at(kID + 4) == u'm' && at(kID + 5) == u'b';
    if (!thumb) {
        if (tailSize < 1 || tailSize > 10 || (tailSize > 1 && char16_t(tail[0]) == u'0')) return std::nullopt;
        position = 0;
        for (qsizetype i = 0; i < tailSize; ++i) {
            const char16_t c = char16_t(tail[i]);
            if (c < u'0' || c > u'9') return std::nullopt;
            position = position * 10 + (c - u'0');
        }
    }
    return ImageKey{QUuid::fromString(QLatin1String(id, kID)), position};
}

std::optional<ImageKey> storeImageKey(const QString& name) { return storeImageKey(name.utf16(), name.size()); }

QString storeImageName(const ImageKey& key) {
    if (key.second < 0) return thumbnailFileName(key.first);
    return uuidText(key.first) + QLatin1Char('_') + QString::number(key.second) + QStringLiteral(".png");
}

} // namespace

bool isStoreImageName(const QString& name) { return storeImageKey(name).has_value(); }

QStringList unrecordedImageFiles(const QString& folder, const std::vector<ImportedGIMPBrush>& brushes) {
    // One pass of readdir rather than QDir, which would stat every entry: the
    // store may hold hundreds of thousands of files, and this runs at start.
    QSet<ImageKey> candidates;
    QStringList indexCopies;
    const QByteArray index = QByteArray(kIndexFileName) + '.';
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir) return {};
    while (const dirent* entry = ::readdir(dir)) {
        const qsizetype length = qsizetype(std::strlen(entry->d_name));
        const QByteArrayView name(entry->d_name, length);
        if (name.startsWith(index) && name.endsWith(".bad")) {
            indexCopies.append(folder + QLatin1Char('/') + QFile::decodeName(entry->d_name));
            continue;
        }
        const auto key = storeImageKey(entry->d_name, length);
        if (!key) continue;
        // Only files: a folder that happens to match the naming is not ours.
        if (entry->d_type != DT_REG && entry->d_type != DT_UNKNOWN) continue;
        if (entry->d_type == DT_UNKNOWN && !QFileInfo(folder + QLatin1Char('/') + entry->d_name).isFile()) continue;
        candidates.insert(*key);
    }
    ::closedir(dir);

    // Images that a quarantined copy of the index still names stay: that
    // copy may yet be repaired by hand.
    QSet<QUuid> kept;
    for (const QString& copy : indexCopies) {
        const auto file = platform::storedFile::read(copy, kMaxIndexFileBytes);
        if (!file.ok()) continue;
        for (const QString& id : identifiersIn(file.bytes)) kept.insert(QUuid::fromString(id));
    }
    // The naming has one spelling per key, so equal keys are equal names.
    const auto forget = [&candidates](const QString& name) {
        if (const auto key = storeImageKey(name)) candidates.remove(*key);
    };
    for (const auto& b : brushes) {
        if (candidates.isEmpty()) break;
        for (const QString& cell : b.cellFilenames) forget(cell);
        if (b.thumbnailFilename) forget(*b.thumbnailFilename);
    }
    QStringList result;
    for (const ImageKey& key : candidates) {
        if (!kept.contains(key.first)) result.append(storeImageName(key));
    }
    result.sort();
    return result;
}

QSet<QString> identifiersIn(const QByteArray& text) {
    static const QRegularExpression uuid(
        QStringLiteral("[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}"));
    QSet<QString> ids;
    const QString string = QString::fromUtf8(text);
    for (auto it = uuid.globalMatch(string); it.hasNext();) ids.insert(it.next().captured().toUpper());
    return ids;
}

std::optional<DecodedBrushIndex> decodeBrushIndexConcurrently(const QByteArray& data, qsizetype slice) {
    const auto elements = platform::jsonText::arrayElements(data);
    // Not an array at the top: whatever it is, the plain reader says so.
    if (!elements || slice < 1 || qsizetype(elements->size()) < 2 * slice) return decodeBrushIndex(data);

    const qsizetype count = qsizetype(elements->size());
    std::vector<std::optional<ImportedGIMPBrush>> records(elements->size());
    std::atomic<bool> invalid{false};
    platform::concurrentFor((count + slice - 1) / slice, [&](qsizetype part) {
        const qsizetype first = part * slice, last = std::min(count, first + slice);
        QByteArray text = "[";
        for (qsizetype i = first; i < last; ++i) {
            if (i > first) text += ',';
            text += QByteArrayView(data).sliced((*elements)[i].begin, (*elements)[i].end - (*elements)[i].begin);
        }
        text += ']';
        QJsonParseError error{};
        const QJsonDocument doc = QJsonDocument::fromJson(text, &error);
        // One bad element makes the whole text no JSON, as for the plain reader.
        if (error.error != QJsonParseError::NoError || !doc.isArray() || doc.array().size() != last - first) {
            invalid = true;
            return;
        }
        const QJsonArray array = doc.array();
        for (qsizetype i = first; i < last; ++i) {
            const QJsonValue v = array[i - first];
            if (v.isObject()) records[std::size_t(i)] = ImportedGIMPBrush::fromJson(v.toObject());
        }
    });
    if (invalid) return std::nullopt;
    DecodedBrushIndex result;
    result.brushes.reserve(records.size());
    for (auto& r : records) {
        if (r) result.brushes.push_back(std::move(*r));
        else ++result.skippedRecords;
    }
    return result;
}

std::optional<QString> acceptedExtension(const QString& path) {
    const QString ext = QFileInfo(path).suffix().toLower();
    if (ext == QLatin1String("gbr") || ext == QLatin1String("gih") || ext == QLatin1String("vbr")) return ext;
    return std::nullopt;
}

std::optional<ImportedGIMPBrush> importBrushFile(const QString& path, const QString& folder, bool bundled,
                                                 const PngWriter& writePNG) {
    auto skip = [&path](const QString& reason) {
        platform::SystemLog::warning(QStringLiteral("Brush file %1 not imported: %2").arg(path, reason));
        return std::nullopt;
    };
    const auto ext = acceptedExtension(path);
    if (!ext) return skip(QStringLiteral("not a .gbr, .gih or .vbr file"));
    // Regular files only, never waiting on a FIFO or reading a device.
    const auto file = platform::storedFile::read(path, kMaxBrushFileBytes);
    if (!file.ok()) return skip(file.reason);

    const auto parsed = GIMPBrushParser::parse(file.bytes, *ext);
    if (!parsed || parsed->cells.empty()) return skip(QStringLiteral("not a brush this program can read"));

    ImportedGIMPBrush record;
    record.id = QUuid::createUuid();
    for (std::size_t i = 0; i < parsed->cells.size(); ++i) {
        const QString name = cellFileName(record.id, static_cast<int>(i));
        if (writePNG(parsed->cells[i], folder + QLatin1Char('/') + name)) {
            record.cellFilenames.append(name);
        } else {
            // The brush keeps its other cells; positions are not renumbered.
            platform::SystemLog::warning(
                QStringLiteral("Cell %1 of brush file %2 left out: cannot write %3").arg(i).arg(path, name));
        }
    }
    if (record.cellFilenames.isEmpty()) return skip(QStringLiteral("none of its cells could be written"));

    if (const auto preview = brushEngine::renderBrushPreview(parsed->cells, parsed->selection,
                                                                     QSize(kPreviewWidth, kPreviewHeight))) {
        const QString name = thumbnailFileName(record.id);
        if (writePNG(*preview, folder + QLatin1Char('/') + name)) record.thumbnailFilename = name;
    }

    const QFileInfo info(path);
    record.name = parsed->name && !parsed->name->trimmed().isEmpty() ? *parsed->name : info.completeBaseName();
    record.diameter = parsed->diameter;
    record.spacing = parsed->spacing;
    record.opacity = parsed->opacity;
    record.selection = parsed->selection;
    record.vbr = parsed->vbr;
    if (bundled) record.bundledSourceID = info.fileName();
    return record;
}

std::optional<ImportedGIMPBrush> importBrushFile(const QString& path, const QString& folder, bool bundled) {
    return importBrushFile(path, folder, bundled, &GIMPBrushParser::writePNG);
}

namespace {

// One cell image, or why it cannot be used.
std::optional<QImage> readCell(const QString& path, QString& reason) {
    const auto file = platform::storedFile::read(path, kMaxCellFileBytes);
    if (!file.ok()) {
        reason = file.reason;
        return std::nullopt;
    }
    QBuffer buffer;
    buffer.setData(file.bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    // The size from the header, before anything is decoded.
    const QSize size = reader.size();
    if (!size.isValid()) {
        reason = QStringLiteral("not an image");
        return std::nullopt;
    }
    if (size.width() > kMaxCellSide || size.height() > kMaxCellSide) {
        reason = QStringLiteral("%1 x %2 pixels, more than %3 on a side")
                     .arg(size.width())
                     .arg(size.height())
                     .arg(kMaxCellSide);
        return std::nullopt;
    }
    const QImage decoded = reader.read();
    if (decoded.isNull()) {
        reason = reader.errorString();
        return std::nullopt;
    }
    auto mask = GIMPBrushParser::maskImage(decoded);
    if (!mask) reason = QStringLiteral("cannot be converted to a cell mask");
    return mask;
}

} // namespace

std::vector<QImage> loadBrushCells(const ImportedGIMPBrush& brush, const QString& folder) {
    if (brush.vbr) {
        if (auto image = GIMPBrushParser::renderVBR(*brush.vbr)) return {std::move(*image)};
    }
    std::vector<QImage> cells;
    QStringList skipped;
    for (const QString& name : brush.cellFilenames) {
        if (!isPlainFileName(name)) {
            skipped.append(QStringLiteral("\"%1\" (not a plain file name in the store)").arg(name));
            continue;
        }
        const QString path = folder + QLatin1Char('/') + name;
        QString reason;
        if (auto mask = readCell(path, reason)) cells.push_back(std::move(*mask));
        else skipped.append(QStringLiteral("%1 (%2)").arg(path, reason));
    }
    if (!skipped.isEmpty()) {
        // One line per brush, however many of its cells were skipped.
        platform::SystemLog::warning(QStringLiteral("Brush \"%1\" (%2): skipped %3 of %4 cell images: %5")
                                         .arg(brush.name, uuidText(brush.id))
                                         .arg(skipped.size())
                                         .arg(brush.cellFilenames.size())
                                         .arg(skipped.join(QStringLiteral("; "))));
    }
    return cells;
}

} // namespace brushFiles
