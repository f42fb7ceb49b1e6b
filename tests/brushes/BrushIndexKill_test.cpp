#include "model/BrushRecords.h"
#include "platform/ThrottledFileWriter.h"
#include "support/BrushStoreFiles.h"

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

// The index is replaced in one step: a program killed while writing it
// leaves the previous index whole, never a truncated one.
TEST(BrushIndexFile, AKillDuringAWriteLeavesTheOldIndexReadable) {
    QTemporaryDir dir;
    const QString store = dir.path() + "/gimp-brushes";
    constexpr int records = 2000;
    for (int attempt = 0; attempt < 20; ++attempt) {
        QProcess writer;
        writer.start(OVERINK_BRUSH_INDEX_WRITER, {store, QString::number(records)});
        ASSERT_TRUE(writer.waitForStarted());
        ASSERT_TRUE(writer.waitForReadyRead(20000));
        ASSERT_EQ(writer.readLine().trimmed(), "ready");
        QThread::msleep(QRandomGenerator::global()->bounded(2, 60));
        writer.kill();
        ASSERT_TRUE(writer.waitForFinished());

        const auto index = decodeBrushIndex(testing_support::readFile(store + "/brushes.json"));
        ASSERT_TRUE(index) << "attempt " << attempt;
        EXPECT_EQ(index->skippedRecords, 0);
        EXPECT_EQ(index->brushes.size(), std::size_t(records));
    }
}

// Each write replaces the file in one step: a reader that opened the index
// before a write still reads the whole previous index.
TEST(BrushIndexFile, AReaderOfTheOldIndexIsNotDisturbedByAWrite) {
    QTemporaryDir dir;
    const QString path = dir.path() + "/store/brushes.json";
    platform::ThrottledFileWriter writer(path, 0);
    const QByteArray first = encodeBrushIndex({testing_support::parametricBrush(1, 1, std::nullopt)});
    writer.write(first);
    QFile reader(path);
    ASSERT_TRUE(reader.open(QIODevice::ReadOnly));
    writer.write(encodeBrushIndex({}));
    EXPECT_EQ(reader.readAll(), first);
    EXPECT_EQ(testing_support::readFile(path), "[]");
}
