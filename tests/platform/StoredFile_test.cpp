#include "platform/JsonText.h"
#include "platform/StoredFile.h"
#include "platform/UserDefaults.h"
#include "support/LogCapture.h"
#include "support/WithoutPermissionOverride.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cstring>

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace storedFile = platform::storedFile;

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList copiesIn(const QString& folder) {
    QStringList names = QDir(folder).entryList({"*.bad"}, QDir::Files, QDir::Name);
    return names;
}

bool makeFifo(const QString& path) { return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0; }

// A listening Unix socket's file; closed with the test's process.
bool makeSocket(const QString& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    if (fd < 0 || name.size() >= qsizetype(sizeof address.sun_path)) return false;
    std::memcpy(address.sun_path, name.constData(), std::size_t(name.size()));
    return ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
}

bool isFifo(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISFIFO(st.st_mode);
}
bool isSocket(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISSOCK(st.st_mode);
}

} // namespace

TEST(StoredFile, OnlyRegularFilesWithinTheBoundAreRead) {
    QTemporaryDir dir;
    const QString file = dir.filePath("file"), fifo = dir.filePath("fifo"), zero = dir.filePath("zero");
    writeFile(file, "0123456789");
    EXPECT_EQ(storedFile::read(file, 10).bytes, "0123456789");
    const auto big = storedFile::read(file, 9);
    EXPECT_EQ(big.status, storedFile::ReadResult::Status::refused);
    EXPECT_TRUE(big.bytes.isEmpty());

    EXPECT_EQ(storedFile::read(dir.filePath("none"), 10).status, storedFile::ReadResult::Status::missing);
    ASSERT_TRUE(QFile::link(dir.filePath("none"), dir.filePath("dangling")));
    EXPECT_EQ(storedFile::read(dir.filePath("dangling"), 10).status, storedFile::ReadResult::Status::missing);

    // A FIFO without a writer would block a plain open for ever.
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link("/dev/zero", zero));
    for (const QString& path : {fifo, zero, dir.path()}) {
        const auto r = storedFile::read(path, 1 << 20);
        EXPECT_EQ(r.status, storedFile::ReadResult::Status::refused) << path.toStdString();
        EXPECT_EQ(r.reason, "not a regular file") << path.toStdString();
    }
    // A link to a regular file is followed.
    ASSERT_TRUE(QFile::link(file, dir.filePath("link")));
    EXPECT_EQ(storedFile::read(dir.filePath("link"), 10).bytes, "0123456789");
}

// A second corruption must not destroy the first quarantined copy.
TEST(StoredFile, QuarantineKeepsTheNewestFiveCopiesWithTheNewestAsBad) {
    QTemporaryDir dir;
    const QString path = dir.filePath("defaults.json");
    writeFile(dir.filePath("defaults.json.notes.bad"), "not ours"); // another file, never touched
    writeFile(dir.filePath("other.json.bad"), "not ours");
    const QDateTime start = QDateTime::fromString("2024-03-01T10:00:00Z", Qt::ISODate);
    for (int i = 1; i <= 7; ++i) {
        writeFile(path, "corrupt " + QByteArray::number(i));
        EXPECT_EQ(storedFile::quarantine(path, storedFile::SetAside::move), path + ".bad");
        EXPECT_FALSE(QFile::exists(path));
        // Copies made within one second keep apart; give each its own minute.
        QFile bad(path + ".bad");
        ASSERT_TRUE(bad.open(QIODevice::ReadWrite));
        bad.setFileTime(start.addSecs(60 * i), QFileDevice::FileModificationTime);
    }
    EXPECT_EQ(contents(path + ".bad"), "corrupt 7");
    EXPECT_EQ(copiesIn(dir.path()),
              (QStringList{"defaults.json.20240301-100300.bad", "defaults.json.20240301-100400.bad",
                           "defaults.json.20240301-100500.bad", "defaults.json.20240301-100600.bad",
                           "defaults.json.bad", "defaults.json.notes.bad", "other.json.bad"}));
    EXPECT_EQ(contents(dir.filePath("defaults.json.20240301-100300.bad")), "corrupt 3");
    EXPECT_EQ(contents(dir.filePath("defaults.json.20240301-100600.bad")), "corrupt 6");

    // Two copies of the same second both stay.
    {
        QFile bad(path + ".bad");
        ASSERT_TRUE(bad.open(QIODevice::ReadWrite));
        bad.setFileTime(start.addSecs(60 * 6), QFileDevice::FileModificationTime);
    }
    writeFile(path, "corrupt 8");
    storedFile::quarantine(path, storedFile::SetAside::move);
    EXPECT_EQ(
        copiesIn(dir.path()).filter(QRegularExpression("^defaults\\.json\\.(\\d|bad$)")),
        (QStringList{"defaults.json.20240301-100400.bad", "defaults.json.20240301-100500.bad",
                     "defaults.json.20240301-100600-1.bad", "defaults.json.20240301-100600.bad", "defaults.json.bad"}));
    EXPECT_EQ(contents(dir.filePath("defaults.json.20240301-100600-1.bad")), "corrupt 7");
    EXPECT_EQ(contents(path + ".bad"), "corrupt 8");
}

TEST(StoredFile, ACopyLeavesTheOriginalAndTheSameBytesAreNotCopiedTwice) {
    QTemporaryDir dir;
    const QString path = dir.filePath("brushes.json");
    writeFile(path, "[broken");
    EXPECT_EQ(storedFile::quarantine(path, storedFile::SetAside::copy), path + ".bad");
    EXPECT_EQ(contents(path), "[broken");
    EXPECT_EQ(storedFile::quarantine(path, storedFile::SetAside::copy), path + ".bad");
    EXPECT_EQ(copiesIn(dir.path()), QStringList{"brushes.json.bad"});
    writeFile(path, "[broken again");
    storedFile::quarantine(path, storedFile::SetAside::copy);
    EXPECT_EQ(copiesIn(dir.path()).size(), 2);
    EXPECT_EQ(contents(path + ".bad"), "[broken again");
}

// The unreadable preferences file of each start is kept, not only the last.
TEST(StoredFile, EachUnreadablePreferencesFileIsKept) {
    QTemporaryDir dir;
    const QString path = dir.filePath("defaults.json");
    writeFile(path, "{ torn");
    platform::UserDefaults::fileBacked(path);
    writeFile(path, "{ torn again");
    auto d = platform::UserDefaults::fileBacked(path);
    EXPECT_EQ(d->movedAsidePath(), path + ".bad");
    EXPECT_EQ(contents(path + ".bad"), "{ torn again");
    const QStringList copies = copiesIn(dir.path());
    ASSERT_EQ(copies.size(), 2);
    EXPECT_EQ(contents(dir.filePath(copies[0])), "{ torn");
}

// A link to a regular file (a preferences file kept with the user's other
// dotfiles) is written through, its target replaced in one step where it is.
TEST(StoredFileLinks, ALinkToARegularFileIsWrittenThroughAndStays) {
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath("dotfiles"));
    const QString target = dir.filePath("dotfiles/overink.json"), path = dir.filePath("config/defaults.json");
    writeFile(target, "old");
    QDir().mkpath(dir.filePath("config"));
    ASSERT_TRUE(QFile::link("../dotfiles/overink.json", path));
    QFile reader(target);
    ASSERT_TRUE(reader.open(QIODevice::ReadOnly));

    QString reason;
    EXPECT_TRUE(storedFile::writeAtomically(path, "new", &reason)) << reason.toStdString();
    EXPECT_EQ(QFileInfo(path).symLinkTarget(), target);
    EXPECT_EQ(contents(target), "new");
    EXPECT_EQ(reader.readAll(), "old"); // replaced, not rewritten in place
    EXPECT_EQ(QDir(dir.filePath("config")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
              QStringList{"defaults.json"});

    // A chain of links ends at the same file.
    ASSERT_TRUE(QFile::link(path, dir.filePath("config/second.json")));
    EXPECT_TRUE(storedFile::writeAtomically(dir.filePath("config/second.json"), "newer"));
    EXPECT_EQ(contents(target), "newer");
    EXPECT_TRUE(QFileInfo(dir.filePath("config/second.json")).isSymLink());

    // The target's folder cannot be written: the write fails and says so,
    // and nothing changes.
    QFile::setPermissions(dir.filePath("dotfiles"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    {
        testing_support::WithoutPermissionOverride readOnly;
        reason.clear();
        EXPECT_FALSE(storedFile::writeAtomically(path, "lost", &reason));
    }
    QFile::setPermissions(dir.filePath("dotfiles"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_TRUE(reason.contains(target)) << reason.toStdString();
    EXPECT_EQ(contents(target), "newer");
    EXPECT_EQ(QFileInfo(path).symLinkTarget(), target);
    EXPECT_TRUE(copiesIn(dir.filePath("config")).isEmpty());
}

// Writing through a link replaced whatever it led to: with a link to a
// device, a program run as root replaced the device. Links to anything but
// a regular file are moved aside instead, and their targets stay untouched.
TEST(StoredFileLinks, ALinkToAnythingButARegularFileIsMovedAsideNotWrittenThrough) {
    QTemporaryDir dir;
    const QString path = dir.filePath("defaults.json");
    const QString fifo = dir.filePath("fifo"), socket = dir.filePath("socket"), folder = dir.filePath("folder");
    ASSERT_TRUE(makeFifo(fifo));
    ASSERT_TRUE(makeSocket(socket));
    ASSERT_TRUE(QDir().mkpath(folder));
    testing_support::LogCapture log;
    int round = 0;
    for (const QString& target : {fifo, socket, folder}) {
        QFile::remove(path);
        ASSERT_TRUE(QFile::link(target, path));
        const QByteArray bytes = "saved " + QByteArray::number(++round);
        QString reason;
        EXPECT_TRUE(storedFile::writeAtomically(path, bytes, &reason)) << reason.toStdString();
        EXPECT_FALSE(QFileInfo(path).isSymLink());
        EXPECT_EQ(contents(path), bytes);
        EXPECT_EQ(QFileInfo(path + ".bad").symLinkTarget(), target);
        EXPECT_EQ(log.countLines({path, target, "moved to " + path + ".bad"}), 1);
    }
    EXPECT_TRUE(isFifo(fifo));
    EXPECT_TRUE(isSocket(socket));
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_TRUE(QDir(folder).isEmpty());
    // Each moved link is kept, the newest as ".bad".
    EXPECT_EQ(QDir(dir.path()).entryList({"defaults.json.*bad"}, QDir::AllEntries | QDir::System).size(), 3);

    // A FIFO that is not a link is simply replaced, as before.
    QFile::remove(path);
    ASSERT_TRUE(makeFifo(path));
    EXPECT_TRUE(storedFile::writeAtomically(path, "plain"));
    EXPECT_EQ(contents(path), "plain");
}

// A dangling link is written through only into a folder of this user's.
TEST(StoredFileLinks, ADanglingLinkIsWrittenThroughOnlyIntoTheUsersOwnFolder) {
    QTemporaryDir dir;
    const QString path = dir.filePath("brushes.json");
    QDir().mkpath(dir.filePath("mine"));
    ASSERT_TRUE(QFile::link(dir.filePath("mine/index.json"), path));
    EXPECT_TRUE(storedFile::writeAtomically(path, "[]"));
    EXPECT_EQ(contents(dir.filePath("mine/index.json")), "[]");
    EXPECT_TRUE(QFileInfo(path).isSymLink());

    // A folder that does not exist is not made.
    QFile::remove(path);
    ASSERT_TRUE(QFile::link(dir.filePath("gone/index.json"), path));
    QString reason;
    EXPECT_FALSE(storedFile::writeAtomically(path, "[]", &reason));
    EXPECT_TRUE(reason.contains("does not exist")) << reason.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("gone")));
    EXPECT_EQ(QFileInfo(path).symLinkTarget(), dir.filePath("gone/index.json"));

    // Another user's folder: that user chose where the link leads.
    QDir().mkpath(dir.filePath("theirs"));
    const QByteArray theirs = QFile::encodeName(dir.filePath("theirs"));
    if (::chown(theirs.constData(), ::geteuid() == 0 ? 65534 : 0, gid_t(-1)) != 0)
        GTEST_SKIP() << "cannot give a folder to another user here";
    QFile::remove(path);
    ASSERT_TRUE(QFile::link(dir.filePath("theirs/index.json"), path));
    reason.clear();
    EXPECT_FALSE(storedFile::writeAtomically(path, "[]", &reason));
    EXPECT_TRUE(reason.contains("another user")) << reason.toStdString();
    EXPECT_TRUE(QDir(dir.filePath("theirs")).isEmpty());
    EXPECT_TRUE(QFileInfo(path).isSymLink());
}

TEST(JsonText, MembersAndElementsAreFoundWithTheirExactText) {
    namespace jsonText = platform::jsonText;
    const QByteArray object = "\xEF\xBB\xBF { \"a\\\"}\" : {\"x\": [1, \"]}\"]} ,\"b\":-1.5e3,\"c\" :\"s\"}\n";
    const auto members = jsonText::objectMembers(object);
    ASSERT_TRUE(members);
    ASSERT_EQ(members->size(), 3u);
    EXPECT_EQ((*members)[0].key.of(object), "\"a\\\"}\"");
    EXPECT_EQ((*members)[0].whole.of(object), "\"a\\\"}\" : {\"x\": [1, \"]}\"]}");
    EXPECT_EQ((*members)[1].whole.of(object), "\"b\":-1.5e3");
    EXPECT_EQ((*members)[2].whole.of(object), "\"c\" :\"s\"");
    for (const QByteArray& notObject : {QByteArray("[]"), QByteArray("{\"a\":1} x"), QByteArray("{\"a\" 1}"),
                                        QByteArray("{\"a\":1,}"), QByteArray("{\"a\":\"1}"), QByteArray("")})
        EXPECT_FALSE(jsonText::objectMembers(notObject)) << notObject.toStdString();

    const QByteArray array = "[ {\"a\": [1]}, \"x,]\" ,3 ,[[]] ]";
    const auto elements = jsonText::arrayElements(array);
    ASSERT_TRUE(elements);
    ASSERT_EQ(elements->size(), 4u);
    EXPECT_EQ((*elements)[1].of(array), "\"x,]\"");
    EXPECT_EQ((*elements)[3].of(array), "[[]]");
    EXPECT_TRUE(jsonText::arrayElements(" [ ] ")->empty());
    EXPECT_FALSE(jsonText::arrayElements("[1,]"));
    EXPECT_FALSE(jsonText::arrayElements("[1"));
}
