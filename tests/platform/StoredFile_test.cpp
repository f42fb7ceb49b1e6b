#include "platform/JsonText.h"
#include "platform/StoredFile.h"
#include "platform/UserDefaults.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

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
    EXPECT_EQ(copiesIn(dir.path()).filter(QRegularExpression("^defaults\\.json\\.(\\d|bad$)")),
              (QStringList{"defaults.json.20240301-100400.bad", "defaults.json.20240301-100500.bad",
                           "defaults.json.20240301-100600-1.bad", "defaults.json.20240301-100600.bad",
                           "defaults.json.bad"}));
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
