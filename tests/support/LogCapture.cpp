#include "support/LogCapture.h"

#include <QStringList>

#include <unistd.h>

namespace testing_support {

LogCapture::LogCapture() {
    std::fflush(stderr);
    file_ = std::tmpfile();
    if (!file_) return;
    saved_ = ::dup(STDERR_FILENO);
    ::dup2(::fileno(file_), STDERR_FILENO);
}

LogCapture::~LogCapture() {
    std::fflush(stderr);
    if (saved_ >= 0) {
        ::dup2(saved_, STDERR_FILENO);
        ::close(saved_);
    }
    // Shown again, so that a failing test still has its log.
    const QString captured = text();
    if (!captured.isEmpty()) std::fputs(captured.toLocal8Bit().constData(), stderr);
    if (file_) std::fclose(file_);
}

QString LogCapture::text() const {
    std::fflush(stderr);
    if (!file_) return {};
    QByteArray bytes;
    char buffer[4096];
    for (off_t at = 0;;) {
        const ssize_t n = ::pread(::fileno(file_), buffer, sizeof buffer, at);
        if (n <= 0) break;
        bytes.append(buffer, n);
        at += n;
    }
    return QString::fromLocal8Bit(bytes);
}

int LogCapture::countLines(std::initializer_list<QString> parts) const {
    int count = 0;
    for (const QString& line : text().split(QLatin1Char('\n'))) {
        bool all = !line.isEmpty();
        for (const QString& p : parts) all = all && line.contains(p);
        count += all;
    }
    return count;
}

} // namespace testing_support
