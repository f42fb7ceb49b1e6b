#include "platform/ThrottledFileWriter.h"
#include "support/LogCapture.h"
#include "support/TestUtil.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using platform::ThrottledFileWriter;

namespace {

QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace

TEST(ThrottledFileWriter, WritesAtOnceAfterAQuietSpellAndFoldsABurstIntoOneLaterWrite) {
    QTemporaryDir dir;
    const QString path = dir.path() + "/deep/er/file.json";
    ThrottledFileWriter writer(path, 300);
    writer.write("first");
    EXPECT_EQ(contents(path), "first"); // the folder is made as needed
    EXPECT_EQ(writer.writeCount(), 1);

    for (int i = 0; i < 100; ++i) writer.write(QByteArray::number(i));
    EXPECT_EQ(contents(path), "first");
    EXPECT_TRUE(writer.hasPending());
    ASSERT_TRUE(testing_support::waitUntil([&] { return contents(path) == "99"; }, 2000));
    EXPECT_EQ(writer.writeCount(), 2);
    EXPECT_FALSE(writer.hasPending());
}

TEST(ThrottledFileWriter, PendingContentIsWrittenByFlushAndBeforeTheWriterGoes) {
    QTemporaryDir dir;
    const QString a = dir.path() + "/a", b = dir.path() + "/b";
    {
        ThrottledFileWriter first(a, 60000), second(b, 60000);
        first.write("a1");
        first.write("a2");
        second.write("b1");
        second.write("b2");
        ThrottledFileWriter::flushAll();
        EXPECT_EQ(contents(a), "a2");
        EXPECT_EQ(contents(b), "b2");
        first.write("a3");
        EXPECT_TRUE(first.flush());
        EXPECT_EQ(contents(a), "a3");
        second.write("b3");
    }
    EXPECT_EQ(contents(b), "b3");
}

TEST(ThrottledFileWriter, AFailedWriteIsLoggedOnceAndTriedAgainAtTheNextContentAndAtTheEnd) {
    QTemporaryDir dir;
    const QString blocker = dir.path() + "/not-a-folder";
    QFile f(blocker);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    testing_support::LogCapture log;
    {
        ThrottledFileWriter writer(blocker + "/file", 0);
        writer.write("first");
        EXPECT_EQ(writer.writeCount(), 0);
        EXPECT_TRUE(writer.hasPending()); // kept for the next attempt
        writer.write("second");
        EXPECT_FALSE(writer.flush());
        EXPECT_EQ(log.countLines({"Cannot write", blocker + "/file", "cannot create the folder"}), 1);

        ASSERT_TRUE(QFile::remove(blocker));
        writer.write("third");
        EXPECT_EQ(contents(blocker + "/file"), "third");
        EXPECT_EQ(writer.writeCount(), 1);

        // Failing again, the writer still holds the content when it goes.
        ASSERT_TRUE(QDir(blocker).removeRecursively());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.close();
        writer.write("fourth");
        EXPECT_EQ(log.countLines({"Cannot write", blocker + "/file"}), 2);
        ASSERT_TRUE(QFile::remove(blocker));
    }
    EXPECT_EQ(contents(blocker + "/file"), "fourth");
}
