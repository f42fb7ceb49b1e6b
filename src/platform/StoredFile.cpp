// Reading stored files without hanging, writing them in one step without
// following a link onto anything but a regular file, and quarantined copies.
#include "platform/StoredFile.h"

#include "platform/SystemLog.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::storedFile {

namespace {

QString errnoText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

ReadResult refused(QString reason) { return {ReadResult::Status::refused, {}, std::move(reason)}; }

QByteArray nativeName(const QString& path) { return QFile::encodeName(path); }

bool isSymLink(const QString& path) {
    struct stat st {};
    return ::lstat(nativeName(path).constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool isRegularFile(const QString& path) {
    struct stat st {};
    return ::stat(nativeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

QString kindOfFile(mode_t mode) {
    if (S_ISDIR(mode)) return QStringLiteral("a folder");
    if (S_ISFIFO(mode)) return QStringLiteral("a FIFO");
    if (S_ISSOCK(mode)) return QStringLiteral("a socket");
    if (S_ISCHR(mode) || S_ISBLK(mode)) return QStringLiteral("a device");
    return QStringLiteral("not a regular file");
}

std::optional<QString> canonicalPath(const QString& path) {
    char resolved[PATH_MAX];
    if (!::realpath(nativeName(path).constData(), resolved)) return std::nullopt;
    return QFile::decodeName(resolved);
}

// Where a symbolic link at a stored file's path leads.
struct LinkTarget {
    enum class Kind { regular, special, dangling, unusable };
    Kind kind = Kind::unusable;
    QString target;  // canonical, or the missing file in its canonical folder
    QString what;    // for special targets: what they are
    QString problem; // for unusable links: why
};

// Follows a link whose end is missing, one step at a time (the system
// resolves the rest): the path of the missing file.
std::optional<QString> missingEnd(const QString& link, QString& problem) {
    QString current = link;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(nativeName(current).constData(), &st) != 0) {
            if (errno == ENOENT) return current;
            problem = errnoText(errno);
            return std::nullopt;
        }
        if (!S_ISLNK(st.st_mode)) {
            problem = QStringLiteral("the link's end %1 appeared meanwhile").arg(current);
            return std::nullopt;
        }
        char text[PATH_MAX];
        const ssize_t n = ::readlink(nativeName(current).constData(), text, sizeof text);
        if (n < 0 || n == ssize_t(sizeof text)) {
            problem = n < 0 ? errnoText(errno) : QStringLiteral("the link is too long");
            return std::nullopt;
        }
        const QString next = QFile::decodeName(QByteArray(text, qsizetype(n)));
        // Not cleaned: ".." after a linked folder is the system's to resolve.
        current =
            next.startsWith(QLatin1Char('/')) ? next : current.left(current.lastIndexOf(QLatin1Char('/')) + 1) + next;
    }
    problem = QStringLiteral("too many levels of links");
    return std::nullopt;
}

LinkTarget followLink(const QString& path) {
    LinkTarget result;
    struct stat st {};
    if (::stat(nativeName(path).constData(), &st) == 0) {
        const auto target = canonicalPath(path);
        if (!target) {
            result.problem = errnoText(errno);
            return result;
        }
        result.target = *target;
        result.kind = S_ISREG(st.st_mode) ? LinkTarget::Kind::regular : LinkTarget::Kind::special;
        result.what = kindOfFile(st.st_mode);
        return result;
    }
    if (errno != ENOENT) {
        result.problem = errnoText(errno);
        return result;
    }
    const auto end = missingEnd(QFileInfo(path).absoluteFilePath(), result.problem);
    if (!end) return result;
    const qsizetype slash = end->lastIndexOf(QLatin1Char('/'));
    const QString name = end->mid(slash + 1);
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..")) {
        result.problem = QStringLiteral("it leads to %1, which names no file").arg(*end);
        return result;
    }
    const QString folderPath = slash > 0 ? end->left(slash) : QStringLiteral("/");
    const auto folder = canonicalPath(folderPath);
    struct stat folderStat {};
    if (!folder || ::stat(nativeName(*folder).constData(), &folderStat) != 0 || !S_ISDIR(folderStat.st_mode)) {
        result.problem = QStringLiteral("it leads to %1, whose folder does not exist").arg(*end);
        return result;
    }
    // Only into a folder of this user's: another user's link must not make
    // us create files where that user chooses.
    if (folderStat.st_uid != ::geteuid()) {
        result.problem = QStringLiteral("it leads to %1, in a folder that belongs to another user").arg(*end);
        return result;
    }
    result.kind = LinkTarget::Kind::dangling;
    result.target = (*folder == QLatin1String("/") ? QString() : *folder) + QLatin1Char('/') + name;
    return result;
}

// The QSaveFile write itself: a temporary file in the path's folder renamed
// over the path.
bool replaceFile(const QString& path, const QByteArray& bytes, QString* reason) {
    auto fail = [reason](QString why) {
        if (reason) *reason = std::move(why);
        return false;
    };
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
    static const QRegularExpression kTail(QStringLiteral("^\\.(\\d{8}-\\d{6})(?:-(\\d+))?\\.bad$"));
    std::vector<StampedCopy> copies;
    const QString prefix = file.fileName();
    // Links to folders included: a link moved aside is a copy like any other.
    const QStringList names = file.dir().entryList(
        {prefix + QStringLiteral(".*.bad")}, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        if (!name.startsWith(prefix)) continue;
        const auto m = kTail.match(QStringView(name).mid(prefix.size()));
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
    if (st.st_size > maxBytes) {
        ReadResult result = refused(QStringLiteral("%1 bytes, more than the %2 allowed").arg(st.st_size).arg(maxBytes));
        result.tooLarge = true;
        result.size = st.st_size;
        return result;
    }

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
    ReadResult result{ReadResult::Status::read, std::move(bytes), {}};
    result.size = total;
    return result;
}

bool writeAtomically(const QString& path, const QByteArray& bytes, QString* reason) {
    auto fail = [reason](QString why) {
        if (reason) *reason = std::move(why);
        return false;
    };
    if (isSymLink(path)) {
        const LinkTarget link = followLink(path);
        switch (link.kind) {
        case LinkTarget::Kind::regular:
        case LinkTarget::Kind::dangling: {
            QString why;
            if (replaceFile(link.target, bytes, &why)) return true;
            return fail(
                QStringLiteral("%1 (writing through the link to %2; the link is left as it is)").arg(why, link.target));
        }
        case LinkTarget::Kind::special: {
            QString why;
            const QString moved = quarantine(path, SetAside::move, &why);
            if (moved.isEmpty())
                return fail(QStringLiteral("it is a link to %1 (%2), which is never written through, and the link "
                                           "cannot be moved aside: %3")
                                .arg(link.target, link.what, why));
            SystemLog::warning(QStringLiteral("%1 is a link to %2 (%3), which is never written through: the link is "
                                              "moved to %4 and a regular file written in its place")
                                   .arg(path, link.target, link.what, moved));
            break;
        }
        case LinkTarget::Kind::unusable:
            return fail(
                QStringLiteral("it is a link that is not followed (%1); the link is left as it is").arg(link.problem));
        }
    }
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) return fail(QStringLiteral("cannot create the folder %1").arg(folder));
    return replaceFile(path, bytes, reason);
}

QString quarantine(const QString& path, SetAside how, QString* reason) {
    const QFileInfo file(path);
    const bool regular = isRegularFile(path);
    // The link stays where the user put it; what it leads to is kept.
    if (how == SetAside::move && regular && isSymLink(path)) how = SetAside::copy;
    const QString verb = how == SetAside::move ? QStringLiteral("move") : QStringLiteral("copy");
    if (how == SetAside::copy && !regular) {
        // Copying would read a FIFO or a device without end.
        if (reason) *reason = QStringLiteral("cannot copy it: not a regular file");
        return {};
    }
    QString target = path + QStringLiteral(".bad");
    // The same bytes quarantined again (an index nothing has rewritten since)
    // would only push older copies out.
    if (how == SetAside::copy && sameContents(path, target)) return target;
    if (occupied(target)) {
        // The earlier copy keeps its place in the history under its time.
        const QFileInfo earlier(target);
        const QDateTime when = earlier.exists() ? earlier.lastModified() : QDateTime::currentDateTimeUtc();
        // rename(2), not QFile: a link is renamed as it is, never followed.
        if (::rename(nativeName(target).constData(), nativeName(freeStampedPath(file, when)).constData()) != 0)
            target = freeStampedPath(file, QDateTime::currentDateTimeUtc());
    }
    QString why;
    bool done;
    if (how == SetAside::move) {
        done = ::rename(nativeName(path).constData(), nativeName(target).constData()) == 0;
        if (!done) why = errnoText(errno);
    } else {
        QFile source(path);
        done = source.copy(target);
        if (!done) why = source.errorString();
    }
    pruneCopies(file);
    if (!done) {
        if (reason) *reason = QStringLiteral("cannot %1 it to %2: %3").arg(verb, target, why);
        return {};
    }
    return target;
}

} // namespace platform::storedFile
