#pragma once

// Which files of a folder something opened, for tests that must show a file
// was never read. A FIFO in the folder is answered at once with an empty
// stream, so that code that opens it for reading (and would wait for a
// writer for good) goes on and is caught.

#include <QDir>
#include <QFile>
#include <QStringList>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/inotify.h>
#include <thread>
#include <unistd.h>

namespace testing_support {

class FileOpenWatch {
public:
    explicit FileOpenWatch(const QString& folder, const QString& fifoName = {})
        : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        if (fd_ >= 0) inotify_add_watch(fd_, QFile::encodeName(folder).constData(), IN_OPEN | IN_ACCESS);
        if (!fifoName.isEmpty()) {
            fifo_ = QFile::encodeName(QDir(folder).filePath(fifoName));
            answerer_ = std::thread([this] {
                // Opening the write end succeeds only while a reader waits;
                // closing it at once gives that reader the end of the stream.
                while (!stop_) {
                    const int w = ::open(fifo_.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                    if (w >= 0) ::close(w);
                    ::usleep(2000);
                }
            });
        }
    }
    ~FileOpenWatch() {
        stop_ = true;
        if (answerer_.joinable()) answerer_.join();
        if (fd_ >= 0) ::close(fd_);
    }
    FileOpenWatch(const FileOpenWatch&) = delete;
    FileOpenWatch& operator=(const FileOpenWatch&) = delete;

    bool ok() const { return fd_ >= 0; }

    // The names opened so far (the folder's own listing is not counted).
    QStringList opened() {
        alignas(inotify_event) char buffer[8192];
        for (ssize_t n; (n = ::read(fd_, buffer, sizeof buffer)) > 0;) {
            for (char* p = buffer; p < buffer + n;) {
                const auto* e = reinterpret_cast<const inotify_event*>(p);
                if (e->len > 0 && !(e->mask & IN_ISDIR) && !names_.contains(QString::fromLocal8Bit(e->name)))
                    names_ << QString::fromLocal8Bit(e->name);
                p += sizeof(inotify_event) + e->len;
            }
        }
        return names_;
    }

private:
    int fd_;
    QStringList names_;
    QByteArray fifo_;
    std::atomic<bool> stop_{false};
    std::thread answerer_;
};

} // namespace testing_support
