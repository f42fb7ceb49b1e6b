#pragma once

// Keeping a file up to date with at most one write per interval.

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>
#include <QTimer>

#include <memory>
#include <optional>

namespace platform {

// Keeps one file up to date with the latest content handed to it while
// writing it at most once per interval: a change after a quiet spell is
// written at once, later ones within the interval fold into one write at its
// end (a slider drag changes the content many times a second, and every
// atomic write syncs the disk). Each write goes through QSaveFile, so a crash
// or a kill in the middle leaves the previous file whole. What is still
// pending is written by flush(), by the destructor and when the application
// quits. Main thread only.
class ThrottledFileWriter {
public:
    static constexpr int kDefaultIntervalMs = 500;

    explicit ThrottledFileWriter(QString path, int intervalMs = kDefaultIntervalMs);
    ~ThrottledFileWriter();
    ThrottledFileWriter(const ThrottledFileWriter&) = delete;
    ThrottledFileWriter& operator=(const ThrottledFileWriter&) = delete;

    // Creates the file's folder when needed. A failed write leaves the
    // previous file, is logged, and stays pending: the next content or the
    // next flush (at quit at the latest) tries again.
    void write(QByteArray content);
    // Writes pending content now; false when that write failed.
    bool flush();
    bool hasPending() const { return pending_.has_value(); }
    int writeCount() const { return writes_; }
    QString path() const { return path_; }

    // Flushes every live writer (quit, SIGTERM).
    static void flushAll();

private:
    bool writeNow(QByteArray content);

    QString path_;
    int intervalMs_;
    std::optional<QByteArray> pending_;
    QElapsedTimer sinceLastWrite_;
    std::unique_ptr<QTimer> timer_;
    int writes_ = 0;
    // The reason of the last failed write: a run of failures is logged once.
    QString failure_;
};

} // namespace platform
