#include "platform/ThrottledFileWriter.h"

#include "platform/Dispatch.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

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
        writeNow(content);
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
    const QByteArray content = std::move(*pending_);
    pending_.reset();
    return writeNow(content);
}

void ThrottledFileWriter::flushAll() {
    for (auto* writer : liveWriters()) writer->flush();
}

bool ThrottledFileWriter::writeNow(const QByteArray& content) {
    sinceLastWrite_.start();
    QDir().mkpath(QFileInfo(path_).absolutePath());
    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (file.write(content) != content.size()) {
        file.cancelWriting();
        file.commit();
        return false;
    }
    if (!file.commit()) return false;
    ++writes_;
    return true;
}

} // namespace platform
