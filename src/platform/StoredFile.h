#pragma once

// The program's stored files (preferences, the brush index, cell images):
// reading them without hanging or exhausting memory on whatever the path
// names, writing them atomically with every failure reported, and keeping
// copies of those that cannot be used.

#include <QByteArray>
#include <QString>

namespace platform::storedFile {

struct ReadResult {
    enum class Status { read, missing, refused };
    Status status = Status::missing;
    QByteArray bytes;
    // Why the file was refused (or why it is missing), for the log.
    QString reason;
    // Refused only for being larger than the bound.
    bool tooLarge = false;
    // The file's size, once it was found to be a regular file.
    qint64 size = -1;

    bool ok() const { return status == Status::read; }
};

// Reads the whole file when it is a regular file of at most `maxBytes`.
// Anything else (a FIFO, a device, a folder, a larger file, an unreadable
// one) is refused without blocking: the file is opened non-blocking and
// checked before a byte is read, and never more than `maxBytes` is read.
// Symbolic links are followed.
ReadResult read(const QString& path, qint64 maxBytes);

// Replaces the file with `bytes` in one step (QSaveFile), creating its folder
// when needed. On failure the previous file is left as it was and `reason`
// says why (a short write, a full disk and a size limit included).
//
// A symbolic link at the path is never written through onto something that
// is not a regular file:
// - a link to a regular file: the target is replaced in one step in its own
//   folder and the link stays (a target folder that cannot be written fails
//   the write, link untouched);
// - a link to a device, FIFO, socket or folder: the link itself is moved
//   aside as "NAME.bad" (as quarantine() does), logged with its target, and
//   a regular file is written at the path;
// - a dangling link: written through (creating the target) when the target's
//   folder exists and belongs to this user; otherwise the write fails and the
//   link is left alone.
// Anything else at the path (a FIFO, a device) is replaced by the new file.
bool writeAtomically(const QString& path, const QByteArray& bytes, QString* reason = nullptr);

enum class SetAside { copy, move };

// How many quarantined copies of one file are kept, "NAME.bad" included.
inline constexpr int kKeptCopies = 5;

// Keeps an unusable file as "NAME.bad" (copied, or moved away). An earlier
// "NAME.bad" is first renamed with its time ("NAME.yyyyMMdd-HHmmss.bad", UTC),
// and only the newest kKeptCopies copies are kept. Returns the copy's path,
// or an empty string with `reason` set when the copy could not be made.
// Only regular files are copied (never a FIFO or a device behind a link). A
// link to a regular file is kept in place, its target copied, even when asked
// to move: the next write replaces the target through the link. Any other
// link is moved as it is, never followed.
QString quarantine(const QString& path, SetAside how, QString* reason = nullptr);

} // namespace platform::storedFile
