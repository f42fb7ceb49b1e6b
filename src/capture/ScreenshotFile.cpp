// Names and writes screenshot files.
#include "capture/ScreenshotFile.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString errnoText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

std::optional<QString> encodeJPEG(const QImage& image, QByteArray& bytes) {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    if (!writer.write(image)) return writer.errorString();
    return std::nullopt;
}

// An unused name beside the chosen one, opened for writing. The folder may be
// shared with others: the name is created here (O_EXCL), never followed.
int openNewBeside(const QFileInfo& chosen, QByteArray& name, int& error) {
    for (int attempt = 0; attempt < 64; ++attempt) {
        name = QFile::encodeName(
            chosen.absolutePath() + QStringLiteral("/.") + chosen.fileName() +
            QStringLiteral(".%1.part").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0) return fd;
        if (errno != EEXIST) break;
    }
    error = errno;
    return -1;
}

std::optional<QString> writeAll(int fd, const QByteArray& bytes, const ScreenshotWrite& write) {
    const char* data = bytes.constData();
    std::size_t left = static_cast<std::size_t>(bytes.size());
    while (left > 0) {
        errno = 0;
        const ssize_t n = write ? write(fd, data, left) : ::write(fd, data, left);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errnoText(errno);
        if (n == 0)
            return QStringLiteral("only %1 of %2 bytes could be written")
                .arg(bytes.size() - qsizetype(left))
                .arg(bytes.size());
        data += n;
        left -= static_cast<std::size_t>(n);
    }
    // A full disk may only tell when the data reach it.
    if (::fsync(fd) != 0 && errno != EINVAL) return errnoText(errno);
    return std::nullopt;
}

} // namespace

QString proposedScreenshotName(const QDateTime& when, const QLocale& locale) {
    return QStringLiteral("overink_") + locale.toString(when, QStringLiteral("yyyyMMddHHmmss")) +
           QStringLiteral(".jpg");
}

std::optional<QString> writeJPEG(const QImage& image, const QString& path, const ScreenshotWrite& write) {
    if (image.isNull()) return QStringLiteral("there is no image to write");
    const QFileInfo chosen(path);
    const QByteArray target = QFile::encodeName(chosen.absoluteFilePath());
    // What is at the name now: a regular file is replaced keeping its
    // permissions, a link is replaced by the file, anything else is kept.
    struct stat existing {};
    const bool exists = ::lstat(target.constData(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode) && !S_ISLNK(existing.st_mode))
        return S_ISDIR(existing.st_mode) ? errnoText(EISDIR) : QStringLiteral("it is not a regular file");

    QByteArray bytes;
    if (auto error = encodeJPEG(image, bytes)) return error;

    QByteArray part;
    int error = 0;
    const int fd = openNewBeside(chosen, part, error);
    if (fd < 0) return errnoText(error);
    std::optional<QString> failure;
    if (exists && S_ISREG(existing.st_mode) && ::fchmod(fd, existing.st_mode & 07777) != 0) failure = errnoText(errno);
    if (!failure) failure = writeAll(fd, bytes, write);
    if (::close(fd) != 0 && !failure) failure = errnoText(errno);
    // The rename replaces a link at the name itself, not what it points to.
    if (!failure && ::rename(part.constData(), target.constData()) != 0) failure = errnoText(errno);
    if (failure) ::unlink(part.constData());
    return failure;
}
