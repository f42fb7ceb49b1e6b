#pragma once

// The files of the brush store: names of a brush's cell and preview PNGs,
// the check every name read from the index must pass, and the file work of
// importing a brush and of loading its cells. The file functions run in
// background tasks: they touch nothing but their arguments and the files.

#include "model/BrushRecords.h"

#include <QImage>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <functional>
#include <optional>
#include <vector>

namespace brushFiles {

inline constexpr const char* kIndexFileName = "brushes.json";
inline constexpr int kPreviewWidth = 416;
inline constexpr int kPreviewHeight = 76;
// Cell images are read only when they are regular files of at most this many
// bytes and decode to at most kMaxCellSide pixels a side: a cell of the
// largest size holds 16 MiB of coverage, which a PNG only exceeds for noise.
inline constexpr qint64 kMaxCellFileBytes = qint64(16) << 20;
inline constexpr int kMaxCellSide = 4096;
// Brush files to import: the reader refuses masks beyond 1 GiB anyway.
inline constexpr qint64 kMaxBrushFileBytes = qint64(1) << 30;
// An index beyond this (about a million records) is not read.
inline constexpr qint64 kMaxIndexFileBytes = qint64(256) << 20;

// "<ID>_<position>.png" and "<ID>_thumb.png".
QString cellFileName(const QUuid& id, int position);
QString thumbnailFileName(const QUuid& id);

// Whether a name taken from the index may be used inside the store folder:
// not empty, no path separator, not "." or "..". The index can be edited by
// hand or by other programs; any other name is ignored, never read or deleted.
bool isPlainFileName(const QString& name);

// The index as decodeBrushIndex reads it, its records parsed and decoded on
// several threads, `slice` records at a time: a store of a hundred thousand
// brushes is read at start.
inline constexpr qsizetype kIndexSlice = 2048;
std::optional<DecodedBrushIndex> decodeBrushIndexConcurrently(const QByteArray& data, qsizetype slice = kIndexSlice);

// Whether a name follows the store's own naming: "<ID>_<position>.png" or
// "<ID>_thumb.png", with the identifier in its canonical upper-case text.
bool isStoreImageName(const QString& name);

// The image files of `folder` that follow the store's naming, that no record
// of `brushes` names, and whose brush no quarantined copy of the index
// ("brushes.json.bad" and its earlier, renamed copies) mentions.
QStringList unrecordedImageFiles(const QString& folder, const std::vector<ImportedGIMPBrush>& brushes);

// The brush identifiers (canonical text) that appear anywhere in `text`.
QSet<QString> identifiersIn(const QByteArray& text);

// "gbr", "gih" or "vbr" after lowercasing; none for any other extension.
std::optional<QString> acceptedExtension(const QString& path);

// Writes an image as a PNG file; whether it was written whole.
using PngWriter = std::function<bool(const QImage&, const QString&)>;

// Reads and parses one brush file and writes its cells and its preview into
// `folder`. The record to append to the index, or none when the file is
// skipped: unsupported extension, unreadable, unparsable, or not one cell
// written. Cells that fail to write are left out, so positions may skip.
std::optional<ImportedGIMPBrush> importBrushFile(const QString& path, const QString& folder, bool bundled,
                                                 const PngWriter& writePNG);
std::optional<ImportedGIMPBrush> importBrushFile(const QString& path, const QString& folder, bool bundled);

// The cell masks of a stored brush: a parametric brush rendered from its
// parameters, otherwise (or when that fails) its cell files decoded in order,
// skipping (and logging) any that cannot be read, decoded or converted, and
// any beyond kMaxCellFileBytes or kMaxCellSide. Never blocks on a file that
// is not a regular file.
std::vector<QImage> loadBrushCells(const ImportedGIMPBrush& brush, const QString& folder);

} // namespace brushFiles
