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
bool writeAtomically(const QString& path, const QByteArray& bytes, QString* reason = nullptr);

enum class SetAside { copy, move };

// How many quarantined copies of one file are kept, "NAME.bad" included.
inline constexpr int kKeptCopies = 5;

// Keeps an unusable file as "NAME.bad" (copied, or moved away). An earlier
// "NAME.bad" is first renamed with its time ("NAME.yyyyMMdd-HHmmss.bad", UTC),
// and only the newest kKeptCopies copies are kept. Returns the copy's path,
// or an empty string with `reason` set when the copy could not be made.
QString quarantine(const QString& path, SetAside how, QString* reason = nullptr);

} // namespace platform::storedFile
