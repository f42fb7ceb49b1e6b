// Quitting while a large brush import runs: the program ends at once and
// cleanly, and the store holds no record without its cells; cells without a
// record are removed by the next start.
#include "brushes/BrushFiles.h"
#include "brushes/GIMPBrushParser.h"
#include "platform/Dispatch.h"
#include "support/BrushFileWriter.h"
#include "support/BrushStoreFiles.h"
#include "support/TestDrawingState.h"
#include "support/TestUtil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>

#include <sys/inotify.h>
#include <unistd.h>

using namespace testing_support;

namespace {

// A pipe of many large cells of noise: each cell takes a while to write.
QByteArray slowPipe(int cells, int side) {
    QRandomGenerator random(7);
    QList<QByteArray> list;
    for (int i = 0; i < cells; ++i) {
        GbrFields f;
        f.width = f.height = std::uint32_t(side);
        f.name = "cell";
        f.pixels.resize(qsizetype(side) * side);
        random.fillRange(reinterpret_cast<quint32*>(f.pixels.data()), f.pixels.size() / 4);
        list.append(gbrFile(f));
    }
    QByteArray parameters = gihParameters(cells, "0.25", "incremental");
    parameters.replace("cellwidth:8 cellheight:8",
                       "cellwidth:" + QByteArray::number(side) + " cellheight:" + QByteArray::number(side));
    return gihFile("Slow pipe", parameters, list);
}

// The number of records the probe said the store holds last ("records N").
int lastRecordCount(const QByteArray& out) {
    int count = 0;
    for (const QByteArray& line : out.split('\n'))
        if (line.startsWith("records ")) count = line.mid(8).toInt();
    return count;
}

QStringList storeImages(const QString& store) {
    return QDir(store).entryList(QDir::Files | QDir::System | QDir::Hidden).filter(QRegularExpression("\\.png"));
}

} // namespace

TEST(BrushImportQuit, QuittingAtAnyMomentOfAnImportEndsCleanlyAndLosesNothing) {
    QTemporaryDir dir;
    // Quick brushes recorded at once, and slow ones that are being written
    // when the quit comes.
    const QString slow = writeFile(dir.filePath("slow.gih"), slowPipe(16, 1024));
    VbrFields quickFields;
    const QString quick = writeFile(dir.filePath("quick.vbr"), vbrFile(quickFields));
    QRandomGenerator random(11);
    for (int run = 0; run < 10; ++run) {
        const QString store = dir.filePath(QStringLiteral("store%1").arg(run));
        QProcess probe;
        probe.setProcessChannelMode(QProcess::SeparateChannels);
        probe.start(OVERINK_IMPORT_QUIT_PROBE, {store, quick, quick, slow, quick, slow});
        ASSERT_TRUE(probe.waitForStarted());
        QByteArray before;
        while (!before.contains("importing")) {
            ASSERT_TRUE(probe.waitForReadyRead(20000));
            before += probe.readAllStandardOutput();
        }
        // A moment of the import, not a wait for it.
        QThread::msleep(random.bounded(0, 3000));
        // All it said so far.
        while (probe.waitForReadyRead(0)) before += probe.readAllStandardOutput();
        ::kill(pid_t(probe.processId()), SIGTERM);
        ASSERT_TRUE(probe.waitForFinished(60000)) << "run " << run;
        const QByteArray out = before + probe.readAllStandardOutput(), err = probe.readAllStandardError();
        const QString context =
            QStringLiteral("run %1\n%2%3").arg(run).arg(QString::fromLocal8Bit(out), QString::fromLocal8Bit(err));
        EXPECT_EQ(probe.exitStatus(), QProcess::NormalExit) << context.toStdString();
        EXPECT_EQ(probe.exitCode(), 0) << context.toStdString();
        // The import stopped: no brush was recorded after the quit but one
        // whose record may have been on its way as it came.
        EXPECT_LE(lastRecordCount(out), lastRecordCount(before) + 1) << context.toStdString();
        // Either all work had ended before the teardown, or the program ended
        // at once without one.
        EXPECT_TRUE(out.contains("ended with 0 tasks running") || err.contains("ending at once"))
            << context.toStdString();

        // Every record's cells are there.
        auto t = std::make_unique<TestDrawingState>();
        t->brushStore = store;
        const auto index = decodeBrushIndex(readFile(store + "/brushes.json"));
        if (QFile::exists(store + "/brushes.json")) {
            ASSERT_TRUE(index) << context.toStdString();
            for (const auto& brush : index->brushes) {
                EXPECT_EQ(brush.cellFilenames.size(), brush.vbr ? 1 : 16) << context.toStdString();
                for (const QString& cell : brush.cellFilenames)
                    EXPECT_TRUE(QFileInfo(store + '/' + cell).isFile()) << context.toStdString();
            }
        }
        // The next start removes whatever no record names.
        t->state = t->makeAnother();
        t->state->removeUnrecordedBrushFiles();
        QStringList named;
        for (const auto& brush : t->state->importedGIMPBrushes.get()) {
            named += brush.cellFilenames;
            if (brush.thumbnailFilename) named.append(*brush.thumbnailFilename);
        }
        named.sort();
        EXPECT_EQ(storeImages(store), named) << context.toStdString();
        t.reset();
        QDir(store).removeRecursively();
    }
}

// The brush being written when the quit comes is abandoned, and its images
// go with it at once: the store holds no image without a record even before
// the next start tidies it.
TEST(BrushImportQuit, AnAbandonedBrushLeavesNoImagesBehind) {
    QTemporaryDir dir;
    // Cells quick enough to end within the quit's grace on a busy machine,
    // and many of them.
    const QString slow = writeFile(dir.filePath("slow.gih"), slowPipe(64, 256));
    QRandomGenerator random(13);
    for (int run = 0; run < 3; ++run) {
        const QString store = dir.filePath(QStringLiteral("store%1").arg(run));
        QProcess probe;
        probe.start(OVERINK_IMPORT_QUIT_PROBE, {store, slow});
        ASSERT_TRUE(probe.waitForStarted());
        // The first cell is written: 63 more are to come.
        ASSERT_TRUE(waitUntil([&] { return !storeImages(store).isEmpty(); }, 60000))
            << "run " << run << ": the import wrote no cell";
        QThread::msleep(random.bounded(0, 200));
        ::kill(pid_t(probe.processId()), SIGTERM);
        ASSERT_TRUE(probe.waitForFinished(20000)) << "run " << run;
        const QByteArray out = probe.readAllStandardOutput();
        const std::string context =
            QStringLiteral("run %1\n%2").arg(run).arg(QString::fromLocal8Bit(out)).toStdString();
        ASSERT_FALSE(out.contains("records 1")) << "the brush was imported before the quit: " << context;
        ASSERT_TRUE(out.contains("ended with 0 tasks running")) << "the import did not stop in time: " << context;
        // Only the index, which lists no brush: no image, no unfinished write.
        const QStringList left = QDir(store).entryList(QDir::Files | QDir::System | QDir::Hidden);
        EXPECT_EQ(left.join(QStringLiteral(", ")).toStdString(), "brushes.json") << context;
        const auto index = decodeBrushIndex(readFile(store + "/brushes.json"));
        ASSERT_TRUE(index) << context;
        EXPECT_TRUE(index->brushes.empty()) << context;
    }
}

// A quit that begins while the preview is written abandons the brush too:
// its record would be handed to an event loop that no longer runs.
TEST(BrushImportQuit, AQuitDuringThePreviewAbandonsTheBrush) {
    // Quitting cannot be undone: in a process of its own.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    QTemporaryDir dir;
    const QString file = writeFile(dir.filePath("three.gih"), slowPipe(3, 16));
    const QString store = dir.filePath("store");
    QDir().mkpath(store);
    EXPECT_EXIT(
        {
            const auto quitDuringPreview = [](const QImage& image, const QString& path) {
                const bool written = GIMPBrushParser::writePNG(image, path);
                if (path.endsWith(QLatin1String("_thumb.png"))) platform::stopBackgroundWork();
                return written;
            };
            const auto record = brushFiles::importBrushFile(file, store, false, quitDuringPreview);
            const QStringList left = QDir(store).entryList(QDir::Files);
            std::fprintf(stderr, "%s record; left: %s\n", record ? "a" : "no",
                         qPrintable(left.join(QStringLiteral(", "))));
            std::exit(!record && left.isEmpty() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "no record; left: \n");
}

// A brush whose record was handed to the main thread just as the quit came
// (the event loop takes it no more) leaves no images behind either.
TEST(BrushImportQuit, ARecordNotTakenBeforeTheQuitLeavesNoImages) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    QTemporaryDir dir;
    const QString file = writeFile(dir.filePath("three.gih"), slowPipe(3, 16));
    const QString store = dir.filePath("store");
    EXPECT_EXIT(
        {
            TestDrawingState t;
            t.brushStore = store;
            t.state = t.makeAnother();
            t->importGIMPBrushes({file}, false);
            // Written, and its record handed over.
            platform::waitForBackgroundWork();
            platform::stopBackgroundWork();
            const QStringList left = QDir(store).entryList({"*.png*"}, QDir::Files);
            std::fprintf(stderr, "%zu records; left: %s\n", t->importedGIMPBrushes->size(),
                         qPrintable(left.join(QStringLiteral(", "))));
            std::exit(left.isEmpty() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "0 records; left: \n");
}

// A single step longer than the grace quitting gives (one huge cell being
// encoded): the program does not wait for it, nor tear itself down under it.
TEST(BrushImportQuit, AStepLongerThanTheGraceEndsTheProgramAtOnce) {
    QTemporaryDir dir;
    GbrFields huge;
    huge.width = huge.height = 4096;
    huge.pixels.resize(4096 * 4096);
    QRandomGenerator(5).fillRange(reinterpret_cast<quint32*>(huge.pixels.data()), huge.pixels.size() / 4);
    const QString file = writeFile(dir.filePath("huge.gbr"), gbrFile(huge));
    const QString store = dir.filePath("store");
    // Told when the import has read the file: its parsing and the cell's
    // encoding follow.
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    inotify_add_watch(watch, QFile::encodeName(file).constData(), IN_CLOSE_NOWRITE);
    QProcess probe;
    probe.start(OVERINK_IMPORT_QUIT_PROBE, {store, file});
    ASSERT_TRUE(probe.waitForStarted());
    const bool wasRead = waitUntil(
        [&] {
            inotify_event events[8];
            return ::read(watch, events, sizeof events) > 0;
        },
        60000);
    ::close(watch);
    ASSERT_TRUE(wasRead) << "the import never read the file";
    ::kill(pid_t(probe.processId()), SIGTERM);
    ASSERT_TRUE(probe.waitForFinished(60000));
    const QByteArray out = probe.readAllStandardOutput(), err = probe.readAllStandardError();
    EXPECT_EQ(probe.exitStatus(), QProcess::NormalExit) << err.toStdString();
    EXPECT_EQ(probe.exitCode(), 0);
    // Stopped before the cell, or left to the end of the process.
    EXPECT_TRUE(out.contains("ended with 0 tasks running") || err.contains("ending at once")) << err.toStdString();
    const auto index = decodeBrushIndex(readFile(store + "/brushes.json"));
    ASSERT_TRUE(index) << "the index is written before the first cell";
    EXPECT_TRUE(index->brushes.empty());
    TestDrawingState t;
    t.brushStore = store;
    t.makeAnother()->removeUnrecordedBrushFiles();
    EXPECT_EQ(storeImages(store), QStringList());
}
