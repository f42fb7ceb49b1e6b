#include "platform/StoredFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::storedFile {

namespace {

QString errnoText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

ReadResult refused(QString reason) { return {ReadResult::Status::refused, {}, std::move(reason)}; }

// A quarantined copy renamed with its time: the time, then a number when
// two copies share a second.
struct StampedCopy {
    QString name;
    QString stamp;
    int number = 0;
};

QString stampedName(const QString& base, const QString& stamp, int number) {
    return base + QLatin1Char('.') + stamp + (number > 0 ? QStringLiteral("-%1").arg(number) : QString()) +
           QStringLiteral(".bad");
}

// "NAME.<time>[-n].bad" in the file's folder, first an unused one.
QString freeStampedPath(const QFileInfo& file, const QDateTime& time) {
    const QString stamp = time.toUTC().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int n = 0;; ++n) {
        const QString path = file.dir().filePath(stampedName(file.fileName(), stamp, n));
        if (!QFileInfo(path).exists() && !QFileInfo(path).isSymLink()) return path;
    }
}

bool occupied(const QString& path) {
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

bool sameContents(const QString& a, const QString& b) {
    const QFileInfo infoA(a), infoB(b);
    if (!infoA.isFile() || !infoB.isFile() || infoA.size() != infoB.size()) return false;
    QFile fileA(a), fileB(b);
    if (!fileA.open(QIODevice::ReadOnly) || !fileB.open(QIODevice::ReadOnly)) return false;
    while (!fileA.atEnd()) {
        if (fileA.read(1 << 16) != fileB.read(1 << 16)) return false;
    }
    return fileB.atEnd();
}

// Removes the oldest renamed copies so that, with "NAME.bad", kKeptCopies remain.
void pruneCopies(const QFileInfo& file) {
    static const QRegularExpression tail(QStringLiteral("^\\.(\\d{8}-\\d{6})(?:-(\\d+))?\\.bad$"));
    std::vector<StampedCopy> copies;
    const QString prefix = file.fileName();
    const QStringList names =
        file.dir().entryList({prefix + QStringLiteral(".*.bad")}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        if (!name.startsWith(prefix)) continue;
        const auto m = tail.match(QStringView(name).mid(prefix.size()));
        if (m.hasMatch()) copies.push_back({name, m.captured(1), m.captured(2).toInt()});
    }
    std::sort(copies.begin(), copies.end(), [](const StampedCopy& a, const StampedCopy& b) {
        return a.stamp != b.stamp ? a.stamp > b.stamp : a.number > b.number;
    });
    for (std::size_t i = kKeptCopies - 1; i < copies.size(); ++i) QFile::remove(file.dir().filePath(copies[i].name));
}

} // namespace

ReadResult read(const QString& path, qint64 maxBytes) {
    const QByteArray name = QFile::encodeName(path);
    // Non-blocking, so that a FIFO does not wait for a writer.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT) return {ReadResult::Status::missing, {}, errnoText(error)};
        return refused(errnoText(error));
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};

    struct stat st {};
    if (::fstat(fd, &st) != 0) return refused(errnoText(errno));
    if (!S_ISREG(st.st_mode)) return refused(QStringLiteral("not a regular file"));
    if (st.st_size > maxBytes)
        return refused(QStringLiteral("%1 bytes, more than the %2 allowed").arg(st.st_size).arg(maxBytes));

    // The size may change while reading; never take more than the bound.
    QByteArray bytes;
    bytes.resize(static_cast<qsizetype>(std::min<qint64>(st.st_size, maxBytes) + 1));
    qint64 total = 0;
    for (;;) {
        if (total == bytes.size()) {
            if (total > maxBytes) return refused(QStringLiteral("it grew past the %1 bytes allowed").arg(maxBytes));
            bytes.resize(static_cast<qsizetype>(std::min<qint64>(maxBytes + 1, total * 2 + 4096)));
        }
        const ssize_t n = ::read(fd, bytes.data() + total, static_cast<std::size_t>(bytes.size() - total));
        if (n < 0) {
            if (errno == EINTR) continue;
            return refused(errnoText(errno));
        }
        if (n == 0) break;
        total += n;
    }
    if (total > maxBytes) return refused(QStringLiteral("it grew past the %1 bytes allowed").arg(maxBytes));
    bytes.truncate(static_cast<qsizetype>(total));
    return {ReadResult::Status::read, std::move(bytes), {}};
}

bool writeAtomically(const QString& path, const QByteArray& bytes, QString* reason) {
    auto fail = [reason](QString why) {
        if (reason) *reason = std::move(why);
        return false;
    };
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) return fail(QStringLiteral("cannot create the folder %1").arg(folder));
    QSaveFile file(path);
    // Unbuffered: QSaveFile commits a buffered file whose last write stopped
    // part way (a full disk, a file size limit), torn.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return fail(file.errorString());
    errno = 0;
    const qint64 written = file.write(bytes);
    if (written != bytes.size() || !file.flush()) {
        const int error = errno;
        QString why = QStringLiteral("only %1 of %2 bytes written").arg(std::max<qint64>(written, 0)).arg(bytes.size());
        if (error != 0) why += QStringLiteral(" (%1)").arg(errnoText(error));
        else if (file.error() != QFileDevice::NoError) why += QStringLiteral(" (%1)").arg(file.errorString());
        file.cancelWriting();
        return fail(why);
    }
    if (!file.commit()) return fail(file.errorString());
    return true;
}

QString quarantine(const QString& path, SetAside how, QString* reason) {
    const QFileInfo file(path);
    QString target = path + QStringLiteral(".bad");
    // The same bytes quarantined again (an index nothing has rewritten since)
    // would only push older copies out.
    if (how == SetAside::copy && sameContents(path, target)) return target;
    if (occupied(target)) {
        // The earlier copy keeps its place in the history under its time.
        const QFileInfo earlier(target);
        const QDateTime when = earlier.exists() ? earlier.lastModified() : QDateTime::currentDateTimeUtc();
        if (!QFile::rename(target, freeStampedPath(file, when)))
            target = freeStampedPath(file, QDateTime::currentDateTimeUtc());
    }
    QFile source(path);
    const bool done = how == SetAside::move ? source.rename(target) : source.copy(target);
    if (!done) {
        const QString verb = how == SetAside::move ? QStringLiteral("move") : QStringLiteral("copy");
        if (reason) *reason = QStringLiteral("cannot %1 it to %2: %3").arg(verb, target, source.errorString());
        pruneCopies(file);
        return {};
    }
    pruneCopies(file);
    return target;
}

} // namespace platform::storedFile
