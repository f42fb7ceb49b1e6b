#include "brushes/BrushFiles.h"

#include "brushes/BrushEngine.h"
#include "brushes/GIMPBrushParser.h"
#include "platform/Dispatch.h"
#include "platform/GroupedLog.h"
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

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

namespace {

// A file a write left unfinished (the program killed during it): a store
// image name followed by QSaveFile's ".XXXXXX".
bool isUnfinishedImageName(QByteArrayView name) {
    constexpr qsizetype kSuffix = 7;
    if (name.size() <= kSuffix || name[name.size() - kSuffix] != '.') return false;
    for (qsizetype i = name.size() - kSuffix + 1; i < name.size(); ++i) {
        const char c = name[i];
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) return false;
    }
    const QByteArrayView image = name.first(name.size() - kSuffix);
    return storeImageKey(image.data(), image.size()).has_value();
}

// Whether a directory entry is a regular file (not a folder, not a link).
bool isRegularEntry(const QString& folder, const dirent* entry) {
    if (entry->d_type == DT_REG) return true;
    if (entry->d_type != DT_UNKNOWN) return false;
    struct stat st {};
    return ::lstat(QFile::encodeName(folder + QLatin1Char('/') + QFile::decodeName(entry->d_name)).constData(), &st) ==
               0 &&
           S_ISREG(st.st_mode);
}

} // namespace

std::optional<QSet<QString>> identifiersInFile(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return errno == ENOENT ? std::optional<QSet<QString>>(QSet<QString>()) : std::nullopt;
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0) return std::nullopt;
    // A FIFO, a device or a folder holds no index.
    if (!S_ISREG(st.st_mode)) return QSet<QString>();
    // In pieces, whatever the size: an index too large to be read at start
    // is the one whose brushes most need keeping. Each piece starts with the
    // end of the previous one, so that an identifier across the seam is found.
    constexpr qsizetype kPiece = qsizetype(1) << 20, kSeam = 35;
    QSet<QString> ids;
    QByteArray buffer;
    for (;;) {
        const qsizetype kept = buffer.size();
        buffer.resize(kept + kPiece);
        const ssize_t n = ::read(fd, buffer.data() + kept, std::size_t(kPiece));
        if (n < 0) {
            if (errno == EINTR) {
                buffer.truncate(kept);
                continue;
            }
            return std::nullopt;
        }
        buffer.truncate(kept + n);
        if (n == 0) break;
        ids.unite(identifiersIn(buffer));
        buffer = buffer.right(kSeam);
    }
    return ids;
}

QStringList unrecordedImageFiles(const QString& folder, const std::vector<ImportedGIMPBrush>& brushes) {
    // One pass of readdir rather than QDir, which would stat every entry: the
    // store may hold hundreds of thousands of files, and this runs at start.
    QSet<ImageKey> candidates;
    QStringList indexCopies, unfinished;
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
        // Only files: a folder that happens to match the naming is not ours,
        // and a link is the user's.
        if (isUnfinishedImageName(name)) {
            if (isRegularEntry(folder, entry)) unfinished.append(QFile::decodeName(entry->d_name));
            continue;
        }
        const auto key = storeImageKey(entry->d_name, length);
        if (key && isRegularEntry(folder, entry)) candidates.insert(*key);
    }
    ::closedir(dir);

    // The naming has one spelling per key, so equal keys are equal names.
    const auto forget = [&candidates](const QString& name) {
        if (const auto key = storeImageKey(name)) candidates.remove(*key);
    };
    for (const auto& b : brushes) {
        if (candidates.isEmpty()) break;
        for (const QString& cell : b.cellFilenames) forget(cell);
        if (b.thumbnailFilename) forget(*b.thumbnailFilename);
    }
    QStringList result = unfinished;
    if (!candidates.isEmpty()) {
        // Images that a quarantined copy of the index still names stay: that
        // copy may yet be repaired by hand. A copy that cannot be read might
        // name any of them, so then none is removed.
        QSet<QUuid> kept;
        bool complete = true;
        for (const QString& copy : indexCopies) {
            const auto ids = identifiersInFile(copy);
            if (!ids) {
                complete = false;
                break;
            }
            for (const QString& id : *ids) kept.insert(QUuid::fromString(id));
        }
        for (const ImageKey& key : candidates) {
            if (complete && !kept.contains(key.first)) result.append(storeImageName(key));
        }
    }
    result.sort();
    return result;
}

QSet<QString> identifiersIn(const QByteArray& text) {
    static const QRegularExpression kUuid(
        QStringLiteral("[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}"));
    QSet<QString> ids;
    const QString string = QString::fromUtf8(text);
    for (auto it = kUuid.globalMatch(string); it.hasNext();) ids.insert(it.next().captured().toUpper());
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

void ImportProblems::merge(const ImportProblems& other) {
    skippedFiles.merge(other.skippedFiles);
    leftOutCells.merge(other.leftOutCells);
}

void ImportProblems::log() const {
    skippedFiles.warn([](qsizetype count, const QString& cause) {
        return QStringLiteral("%1 not imported (%2)").arg(platform::GroupedLog::counted(count, "brush file"), cause);
    });
    leftOutCells.warn([](qsizetype count, const QString& cause) {
        return QStringLiteral("%1 of imported brushes left out (%2)")
            .arg(platform::GroupedLog::counted(count, "cell"), cause);
    });
}

std::optional<ImportedGIMPBrush> importBrushFile(const QString& path, const QString& folder, bool bundled,
                                                 const PngWriter& writePNG, ImportProblems* problems) {
    ImportProblems own;
    ImportProblems& found = problems ? *problems : own;
    struct LogAtEnd {
        const ImportProblems* own;
        ~LogAtEnd() {
            if (own) own->log();
        }
    } logAtEnd{problems ? nullptr : &own};

    auto skip = [&](const QString& cause, const QString& detail = {}) {
        found.skippedFiles.add(cause, detail.isEmpty() ? path : QStringLiteral("%1 (%2)").arg(path, detail));
        return std::nullopt;
    };
    const auto ext = acceptedExtension(path);
    if (!ext) return skip(QStringLiteral("not a .gbr, .gih or .vbr file"));
    if (platform::backgroundWorkCancelled()) return std::nullopt;
    // Regular files only, never waiting on a FIFO or reading a device, and
    // never more than the bound.
    const auto file = platform::storedFile::read(path, kMaxBrushFileBytes);
    if (file.tooLarge)
        return skip(QStringLiteral("more than %1 bytes").arg(kMaxBrushFileBytes),
                    QStringLiteral("%1 bytes").arg(file.size));
    if (!file.ok()) return skip(file.reason);

    const auto parsed = GIMPBrushParser::parse(file.bytes, *ext);
    if (!parsed || parsed->cells.empty()) return skip(QStringLiteral("not a brush this program can read"));

    ImportedGIMPBrush record;
    record.id = QUuid::createUuid();
    // Quitting abandons the file: what it wrote goes, so no image is left
    // behind for a record that will never exist.
    const auto abandon = [&] {
        for (const QString& name : record.cellFilenames) QFile::remove(folder + QLatin1Char('/') + name);
        if (record.thumbnailFilename) QFile::remove(folder + QLatin1Char('/') + *record.thumbnailFilename);
        return std::nullopt;
    };
    for (std::size_t i = 0; i < parsed->cells.size(); ++i) {
        if (platform::backgroundWorkCancelled()) return abandon();
        const QString name = cellFileName(record.id, static_cast<int>(i));
        if (writePNG(parsed->cells[i], folder + QLatin1Char('/') + name)) {
            record.cellFilenames.append(name);
        } else {
            // The brush keeps its other cells; positions are not renumbered.
            found.leftOutCells.add(QStringLiteral("cannot write their images"),
                                   QStringLiteral("cell %1 of %2 as %3").arg(QString::number(i), path, name));
        }
    }
    if (record.cellFilenames.isEmpty()) return skip(QStringLiteral("none of its cells could be written"));

    if (platform::backgroundWorkCancelled()) return abandon();
    if (const auto preview =
            brushEngine::renderBrushPreview(parsed->cells, parsed->selection, QSize(kPreviewWidth, kPreviewHeight))) {
        const QString name = thumbnailFileName(record.id);
        if (writePNG(*preview, folder + QLatin1Char('/') + name)) record.thumbnailFilename = name;
    }
    // A quit that began during the preview would find the record's hand-over
    // no longer taken.
    if (platform::backgroundWorkCancelled()) return abandon();

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

std::optional<QImage> readStoreImage(const QString& path, ImageProblem* problem) {
    auto refuse = [problem](QString cause, QString detail = {}) -> std::optional<QImage> {
        if (problem) *problem = {std::move(cause), std::move(detail)};
        return std::nullopt;
    };
    const auto file = platform::storedFile::read(path, kMaxCellFileBytes);
    if (file.tooLarge)
        return refuse(QStringLiteral("more than %1 bytes").arg(kMaxCellFileBytes),
                      QStringLiteral("%1 bytes").arg(file.size));
    if (!file.ok()) return refuse(file.reason);
    QBuffer buffer;
    buffer.setData(file.bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    // The size from the header, before anything is decoded.
    const QSize size = reader.size();
    if (!size.isValid()) return refuse(QStringLiteral("not an image"));
    if (size.width() > kMaxCellSide || size.height() > kMaxCellSide)
        return refuse(QStringLiteral("more than %1 pixels on a side").arg(kMaxCellSide),
                      QStringLiteral("%1 x %2 pixels").arg(size.width()).arg(size.height()));
    QImage decoded = reader.read();
    if (decoded.isNull()) return refuse(reader.errorString());
    return decoded;
}

std::optional<QImage> readCellMask(const QString& path, ImageProblem* problem) {
    const auto image = readStoreImage(path, problem);
    if (!image) return std::nullopt;
    auto mask = GIMPBrushParser::maskImage(*image);
    if (!mask && problem) *problem = {QStringLiteral("cannot be converted to a cell mask"), {}};
    return mask;
}

std::vector<QImage> loadBrushCells(const ImportedGIMPBrush& brush, const QString& folder,
                                   platform::GroupedLog* skipped) {
    if (brush.vbr) {
        if (auto image = GIMPBrushParser::renderVBR(*brush.vbr)) return {std::move(*image)};
    }
    std::vector<QImage> cells;
    platform::GroupedLog problems;
    // With many brushes to load, each names its brush.
    const QString owner = skipped ? QStringLiteral("brush \"%1\"").arg(brush.name) : QString();
    const auto describe = [&owner](const QString& file, const QString& detail) {
        QStringList notes;
        if (!detail.isEmpty()) notes.append(detail);
        if (!owner.isEmpty()) notes.append(owner);
        return notes.isEmpty() ? file : QStringLiteral("%1 (%2)").arg(file, notes.join(QStringLiteral("; ")));
    };
    for (const QString& name : brush.cellFilenames) {
        if (platform::backgroundWorkCancelled()) break;
        if (!isPlainFileName(name)) {
            problems.add(QStringLiteral("not a plain file name in the store"),
                         describe(QLatin1Char('"') + name + QLatin1Char('"'), {}));
            continue;
        }
        const QString path = folder + QLatin1Char('/') + name;
        ImageProblem problem;
        if (auto mask = readCellMask(path, &problem)) cells.push_back(std::move(*mask));
        else problems.add(problem.cause, describe(path, problem.detail));
    }
    if (skipped) {
        skipped->merge(problems);
    } else {
        const QString brushText = QStringLiteral("Brush \"%1\" (%2)").arg(brush.name, uuidText(brush.id));
        const qsizetype total = brush.cellFilenames.size();
        problems.warn([&](qsizetype count, const QString& cause) {
            return QStringLiteral("%1: %2 of %3 cell images skipped (%4)")
                .arg(brushText, QString::number(count), QString::number(total), cause);
        });
    }
    return cells;
}

} // namespace brushFiles
