#include "platform/ThrottledFileWriter.h"

#include "platform/Dispatch.h"
#include "platform/StoredFile.h"
#include "platform/SystemLog.h"

#include <QCoreApplication>

#include <algorithm>
#include <vector>

namespace platform {

namespace {

std::vector<ThrottledFileWriter*>& liveWriters() {
    static std::vector<ThrottledFileWriter*> writers;
    return writers;
}

void flushAtQuit() {
    static bool connected = false;
    auto* app = QCoreApplication::instance();
    if (connected || !app) return;
    connected = true;
    QObject::connect(app, &QCoreApplication::aboutToQuit, [] { ThrottledFileWriter::flushAll(); });
}

} // namespace

ThrottledFileWriter::ThrottledFileWriter(QString path, int intervalMs)
    : path_(std::move(path)), intervalMs_(std::max(0, intervalMs)) {
    liveWriters().push_back(this);
    flushAtQuit();
}

ThrottledFileWriter::~ThrottledFileWriter() {
    flush();
    auto& writers = liveWriters();
    writers.erase(std::remove(writers.begin(), writers.end(), this), writers.end());
}

void ThrottledFileWriter::write(QByteArray content) {
    assertMainThread("ThrottledFileWriter::write");
    if (timer_ && timer_->isActive()) {
        pending_ = std::move(content);
        return;
    }
    const qint64 elapsed = sinceLastWrite_.isValid() ? sinceLastWrite_.elapsed() : intervalMs_;
    if (elapsed >= intervalMs_ || !QCoreApplication::instance()) {
        pending_.reset();
        writeNow(std::move(content));
        return;
    }
    pending_ = std::move(content);
    if (!timer_) {
        timer_ = std::make_unique<QTimer>();
        timer_->setSingleShot(true);
        QObject::connect(timer_.get(), &QTimer::timeout, [this] { flush(); });
    }
    timer_->start(static_cast<int>(intervalMs_ - elapsed));
}

bool ThrottledFileWriter::flush() {
    if (timer_) timer_->stop();
    if (!pending_) return true;
    QByteArray content = std::move(*pending_);
    pending_.reset();
    return writeNow(std::move(content));
}

void ThrottledFileWriter::flushAll() {
    for (auto* writer : liveWriters()) writer->flush();
}

bool ThrottledFileWriter::writeNow(QByteArray content) {
    sinceLastWrite_.start();
    QString reason;
    if (!storedFile::writeAtomically(path_, content, &reason)) {
        // Kept for the next attempt: a newer content replaces it, the flush
        // at quit writes it.
        if (!pending_) pending_ = std::move(content);
        if (reason != failure_) {
            SystemLog::error(QStringLiteral("Cannot write %1: %2; the previous file is kept and writing is tried "
                                            "again at the next change and at quit")
                                 .arg(path_, reason));
        }
        failure_ = reason;
        return false;
    }
    if (!failure_.isEmpty()) SystemLog::info(QStringLiteral("%1 written again").arg(path_));
    failure_.clear();
    ++writes_;
    return true;
}

} // namespace platform
