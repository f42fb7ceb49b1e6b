#pragma once

// Sample-stroke thumbnails of stored brushes, as the brush library shows
// them: rendered off the main thread, written atomically, never written for
// a brush that has left the store, and never by a render that a later
// render of the same brush has overtaken.

#include "model/BrushRecords.h"

#include <QImage>
#include <QSize>
#include <QString>
#include <QUuid>

#include <cstdint>
#include <optional>

namespace brushThumbnails {

// A thumbnail of a brush made from brush files reads this many cells at most.
inline constexpr int kMaxCells = 4;

// The sample stroke at `pixels`: a parametric brush's cell rendered from its
// parameters (a large brush at a smaller radius: the sample shrinks it to
// 40 % of its height anyway); otherwise the first kMaxCells cell files of `folder` (a file
// that cannot be read or decoded is skipped). Cells are chosen by the
// brush's selection, sequential when it has none. None when nothing can be
// drawn. Any thread; reads only files.
std::optional<QImage> renderThumbnail(const ImportedGIMPBrush& brush, const QString& folder, QSize pixels);

// One render of a brush's thumbnail, numbered in the order renders begin.
struct Ticket {
    QUuid brushID;
    std::uint64_t serial = 0;
    friend bool operator==(const Ticket&, const Ticket&) = default;
};

// Numbers a new render of the brush's thumbnail. Any thread; never waits
// on files.
Ticket beginRender(const QUuid& brushID);
// Writes the rendered image to `path`, unless the brush has been retired
// or a later render of it has begun. Whether it wrote. Any thread.
bool writeIfCurrent(const Ticket& ticket, const QImage& image, const QString& path);
// The brush has left the store: from now on no thumbnail of it is written,
// and a file that a write finishing at this moment leaves behind is
// removed. Any thread; never waits on files being written.
void retire(const QUuid& brushID, const QString& thumbnailPath);

struct Stats {
    std::uint64_t renders = 0;       // renderThumbnail calls that drew a sample
    std::uint64_t cellFilesRead = 0; // cell files opened by renderThumbnail
    std::uint64_t writes = 0;        // thumbnails written by writeIfCurrent
};
// Counters since the program started.
Stats stats();

} // namespace brushThumbnails
