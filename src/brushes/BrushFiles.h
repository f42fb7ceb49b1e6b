#pragma once

// The files of the brush store: names of a brush's cell and preview PNGs,
// the check every name read from the index must pass, and the file work of
// importing a brush and of loading its cells. The file functions run in
// background tasks: they touch nothing but their arguments and the files.

#include "model/BrushRecords.h"
#include "platform/GroupedLog.h"

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
// Brush files to import are read whole, so their size is checked first, as
// a cell's is: room for one cell of the largest size the store loads (4096 x
// 4096 pixels of four bytes, 64 MiB) and its header. A larger file holds
// cells the store would never load, or many near that size; reading it would
// take its size in memory and up to four times that again for its masks.
inline constexpr qint64 kMaxBrushFileBytes = qint64(kMaxCellSide) * kMaxCellSide * 4 + (qint64(1) << 20);
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

// The image files of `folder` to remove: those that follow the store's
// naming, that no record of `brushes` names, and whose brush no quarantined
// copy of the index ("brushes.json.bad" and its earlier, renamed copies)
// mentions, however large the copy (none when a copy cannot be read); and
// the temporary files that writes of such images left unfinished. Only
// regular files, never links.
QStringList unrecordedImageFiles(const QString& folder, const std::vector<ImportedGIMPBrush>& brushes);

// The brush identifiers (canonical text) that appear anywhere in `text`.
QSet<QString> identifiersIn(const QByteArray& text);
// The same in a file of any size, read in pieces: none when the file cannot
// be read, an empty set for a missing file or one that is not a regular file.
std::optional<QSet<QString>> identifiersInFile(const QString& path);

// "gbr", "gih" or "vbr" after lowercasing; none for any other extension.
std::optional<QString> acceptedExtension(const QString& path);

// Writes an image as a PNG file; whether it was written whole.
using PngWriter = std::function<bool(const QImage&, const QString&)>;

// What an import could not use, by cause, for one log line per cause.
struct ImportProblems {
    platform::GroupedLog skippedFiles;
    platform::GroupedLog leftOutCells;

    void merge(const ImportProblems& other);
    void log() const;
};

// Reads and parses one brush file and writes its cells and its preview into
// `folder`. The record to append to the index, or none when the file is
// skipped: unsupported extension, unreadable, larger than
// kMaxBrushFileBytes, unparsable, or not one cell written. Cells that fail to
// write are left out, so positions may skip. What is skipped is added to
// `problems`, or logged without it. Once the program is quitting the file is
// abandoned, and the cells it wrote are removed.
std::optional<ImportedGIMPBrush> importBrushFile(const QString& path, const QString& folder, bool bundled,
                                                 const PngWriter& writePNG, ImportProblems* problems = nullptr);
std::optional<ImportedGIMPBrush> importBrushFile(const QString& path, const QString& folder, bool bundled);

// Why an image of the store cannot be used: a cause that like failures share
// (they are logged together) and what is particular to this file.
struct ImageProblem {
    QString cause;
    QString detail;
};

// An image of the store (a cell or a preview), read only when it is a
// regular file of at most kMaxCellFileBytes whose header gives at most
// kMaxCellSide pixels a side; a link is followed only to a regular file.
// Never blocks on a FIFO. Any thread.
std::optional<QImage> readStoreImage(const QString& path, ImageProblem* problem = nullptr);
// The same image as a cell mask.
std::optional<QImage> readCellMask(const QString& path, ImageProblem* problem = nullptr);

// The cell masks of a stored brush: a parametric brush rendered from its
// parameters, otherwise (or when that fails) its cell files decoded in order,
// skipping any that readCellMask refuses. The skipped files are added to
// `skipped` by cause; without it they are logged, one line per cause.
std::vector<QImage> loadBrushCells(const ImportedGIMPBrush& brush, const QString& folder,
                                   platform::GroupedLog* skipped = nullptr);

} // namespace brushFiles
