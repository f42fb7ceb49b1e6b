// The brush store against faults in its files: cell images that are FIFOs,
// devices, huge files or huge images; an index that cannot be read or
// written; image files that no record names.
#include "brushes/BrushFiles.h"
#include "brushes/BrushThumbnails.h"
#include "brushes/GIMPBrushParser.h"
#include "support/BrushFileWriter.h"
#include "support/BrushStoreFiles.h"
#include "support/FifoUnblocker.h"
#include "support/LogCapture.h"
#include "support/TestDrawingState.h"
#include "support/TestUtil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace testing_support;

namespace {

struct BrushStoreFaults : ::testing::Test {
    TestDrawingState t;

    QString path(const QString& name) const { return t.brushStore + '/' + name; }
    QStringList images() const {
        return QDir(t.brushStore).entryList({"*.png"}, QDir::Files | QDir::System, QDir::Name);
    }
    std::shared_ptr<DrawingState> startWith(const std::vector<ImportedGIMPBrush>& brushes) {
        writeIndexFile(t.brushStore, brushes);
        return t.makeAnother();
    }
    void write(const QString& name, const QByteArray& bytes) {
        QDir().mkpath(t.brushStore);
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    // The shipped brushes the install step sees: two small parametric brushes.
    void shipTwoBrushes() {
        const QString shipped = t.dir->path() + "/shipped";
        QDir().mkpath(shipped);
        QStringList files;
        for (const char* name : {"a.vbr", "b.vbr"}) {
            VbrFields f;
            f.name = name;
            f.radius = "5";
            QFile file(shipped + '/' + name);
            file.open(QIODevice::WriteOnly);
            file.write(vbrFile(f));
            files.append(file.fileName());
        }
        t.bundledBrushFiles = [files] { return files; };
    }
    // One launch: start, tidy the store and install the shipped brushes as
    // the program does, let the imports finish.
    std::shared_ptr<DrawingState> launch() {
        auto s = t.makeAnother();
        s->removeUnrecordedBrushFiles();
        s->installBundledGIMPBrushes();
        waitUntil([&] { return s->importedGIMPBrushes->size() >= 2; });
        drainEvents();
        platform::ThrottledFileWriter::flushAll();
        return s;
    }
};

} // namespace

// A FIFO named as a cell blocked the load (and quitting) for ever; a link to
// /dev/zero ended the program with bad_alloc; a 2 GB file was read whole.
TEST_F(BrushStoreFaults, CellsThatAreNotSmallRegularImagesAreSkippedWithoutBlocking) {
    auto brush = storeBitmapBrush(t.brushStore, 6, "hostile");
    const QStringList& cells = brush.cellFilenames;
    QFile::remove(path(cells[0]));
    ASSERT_EQ(::mkfifo(QFile::encodeName(path(cells[0])).constData(), 0600), 0);
    QFile::remove(path(cells[1]));
    ASSERT_TRUE(QFile::link("/dev/zero", path(cells[1])));
    QFile::remove(path(cells[2]));
    {
        QFile huge(path(cells[2]));
        ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
        ASSERT_TRUE(huge.resize(brushFiles::kMaxCellFileBytes + 1)); // sparse: costs no disk
    }
    // A small file that decodes to an image too large for any cell.
    ASSERT_TRUE(GIMPBrushParser::writePNG(solidCell(brushFiles::kMaxCellSide + 1, 2), path(cells[3])));
    QFile::remove(path(cells[4]));
    ASSERT_TRUE(QDir().mkpath(path(cells[4])));

    LogCapture log;
    FifoUnblocker guard(path(cells[0]));
    const auto s = startWith({brush});
    ASSERT_TRUE(waitUntil([&] { return s->gimpStampCache.contains(brush.id); }, 30000));
    EXPECT_FALSE(guard.fired()) << "the load waited on the FIFO";
    const auto loaded = s->gimpStampCache.value(brush.id);
    ASSERT_EQ(loaded.size(), 1u); // only the last cell is a real one
    EXPECT_EQ(qAlpha(loaded[0].pixel(0, 0)), 45);

    // One line for each cause, naming its files and their brush.
    EXPECT_EQ(log.countLines({"3 cell images skipped (not a regular file)", path(cells[0]) + " (brush \"hostile\")",
                              path(cells[1]), path(cells[4])}),
              1);
    EXPECT_EQ(log.countLines({"1 cell image skipped (more than 16777216 bytes)", path(cells[2]) + " (16777217 bytes"}),
              1);
    EXPECT_EQ(log.countLines({"1 cell image skipped (more than 4096 pixels on a side)", path(cells[3]) + " (4097 x 2"}),
              1);
    EXPECT_EQ(log.countLines({"hostile"}), 3);

    // The same files as a brush to import are refused too, without blocking.
    for (const QString& name : {cells[0], cells[1]}) {
        QFile::rename(path(name), path(name + ".gbr"));
        EXPECT_FALSE(brushFiles::importBrushFile(path(name + ".gbr"), t.brushStore, false));
    }
}

// Images behind links to what is not a regular file are skipped as any
// unreadable cell; a re-render writes a regular file in the link's place,
// never through it. The thumbnail's reader waited on a FIFO for good, and
// read a link to /dev/zero until memory ran out.
TEST_F(BrushStoreFaults, ImagesBehindLinksAreSkippedAndWrittenAgainOnlyAsRegularFiles) {
    const QString fifo = t.dir->path() + "/fifo";
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    auto bitmap = storeBitmapBrush(t.brushStore, 3, "linked");
    QFile::remove(path(bitmap.cellFilenames[0]));
    ASSERT_TRUE(QFile::link(fifo, path(bitmap.cellFilenames[0])));
    QFile::remove(path(bitmap.cellFilenames[1]));
    ASSERT_TRUE(QFile::link("/dev/zero", path(bitmap.cellFilenames[1]))); // only ever read
    {
        FifoUnblocker guard(fifo);
        const auto thumbnail = brushThumbnails::renderThumbnail(bitmap, t.brushStore, QSize(416, 76));
        EXPECT_FALSE(guard.fired()) << "the thumbnail waited on the FIFO";
        EXPECT_TRUE(thumbnail) << "the third cell still draws";
    }

    // A parametric brush whose cell file leads to the FIFO.
    auto parametric = parametricBrush(2, 0.5, std::nullopt);
    ASSERT_TRUE(QFile::link(fifo, path(parametric.cellFilenames[0])));
    const auto s = startWith({bitmap, parametric});
    ASSERT_TRUE(waitUntil([&] { return s->gimpStampCache.size() == 2; }));
    EXPECT_EQ(s->gimpStampCache.value(bitmap.id).size(), 1u);
    VBRParams params = *parametric.vbr;
    params.radius = 12;
    s->rerenderVBRBrush(parametric.id, params, true);
    ASSERT_TRUE(waitUntil([&] { return !QFileInfo(path(parametric.cellFilenames[0])).isSymLink(); }));
    drainEvents();
    EXPECT_EQ(QImageReader(path(parametric.cellFilenames[0])).size(), GIMPBrushParser::renderVBR(params)->size());
    EXPECT_EQ(QFileInfo(path(parametric.cellFilenames[0]) + ".bad").symLinkTarget(), fifo);
    struct stat st {};
    ASSERT_EQ(::lstat(QFile::encodeName(fifo).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode)) << "the link's target was replaced";
}

// A first launch killed while installing leaves cells and previews that no
// record names; the next start removes them, and only them.
TEST_F(BrushStoreFaults, ImagesNoRecordNamesAreRemovedAfterAWholeIndexRead) {
    const auto kept = storeBitmapBrush(t.brushStore, 2, "kept");
    auto keptWithThumb = storeBitmapBrush(t.brushStore, 1, "thumb");
    keptWithThumb.thumbnailFilename = uuidText(keptWithThumb.id) + "_thumb.png";
    write(*keptWithThumb.thumbnailFilename, "png");
    const auto orphan = storeBitmapBrush(t.brushStore, 3, "never recorded");
    write(uuidText(orphan.id) + "_thumb.png", "png");
    // Names another program (or the user) may have put here stay.
    const QStringList foreign{"notes.txt",
                              "brushes.json.tmp",
                              uuidText(orphan.id).toLower() + "_0.png",
                              uuidText(orphan.id) + "_0.png.bak",
                              uuidText(orphan.id) + "_x.png",
                              uuidText(orphan.id) + "_01.png",
                              "ABC_0.png"};
    for (const QString& name : foreign) write(name, "x");
    // Writes a kill cut short, of recorded images too; a link is the user's.
    const QStringList unfinished{kept.cellFilenames[0] + ".Ab12Cd", uuidText(orphan.id) + "_thumb.png.x9Y8z7"};
    for (const QString& name : unfinished) write(name, "half");
    const QStringList notOurs{"brushes.json.Ab12Cd", kept.cellFilenames[0] + ".toolong1", "notes.png.Ab12Cd"};
    for (const QString& name : notOurs) write(name, "x");
    ASSERT_TRUE(QFile::link(path(kept.cellFilenames[0]), path(uuidText(orphan.id) + "_9.png")));
    QDir().mkpath(path(uuidText(QUuid::createUuid()) + "_7.png")); // a folder, not an image
    // Files a quarantined copy of the index still names stay too.
    const auto rescued = storeBitmapBrush(t.brushStore, 1, "in an old index");
    write("brushes.json.20240101-120000.bad", "[{\"id\": \"" + uuidText(rescued.id).toLatin1() + "\", truncat");

    LogCapture log;
    const QStringList before = images();
    const auto s = startWith({kept, keptWithThumb});
    EXPECT_EQ(images(), before) << "nothing is removed before the program says so";
    s->removeUnrecordedBrushFiles();
    for (const QString& name : orphan.cellFilenames) EXPECT_FALSE(QFile::exists(path(name))) << name.toStdString();
    EXPECT_FALSE(QFile::exists(path(uuidText(orphan.id) + "_thumb.png")));
    for (const QString& name : kept.cellFilenames + keptWithThumb.cellFilenames + rescued.cellFilenames +
                                   QStringList{*keptWithThumb.thumbnailFilename} + foreign + notOurs)
        EXPECT_TRUE(QFile::exists(path(name))) << name.toStdString();
    for (const QString& name : unfinished) EXPECT_FALSE(QFile::exists(path(name))) << name.toStdString();
    EXPECT_TRUE(QFileInfo(path(uuidText(orphan.id) + "_9.png")).isSymLink());
    EXPECT_EQ(QDir(t.brushStore).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 1);
    EXPECT_EQ(log.countLines({t.brushStore, "removed 6 image files"}), 1);
    EXPECT_EQ(s->importedGIMPBrushes->size(), 2u);
}

TEST_F(BrushStoreFaults, NothingIsRemovedWhenTheIndexWasNotReadWhole) {
    const auto brush = storeBitmapBrush(t.brushStore, 1, "recorded");
    const auto orphan = storeBitmapBrush(t.brushStore, 2, "unrecorded");
    const QStringList before = images();

    // A record that does not decode: its files may be named by it.
    QJsonArray array = QJsonDocument::fromJson(encodeBrushIndex({brush})).array();
    QJsonObject bad = orphan.toJson();
    bad.remove("opacity");
    array.append(bad);
    write("brushes.json", QJsonDocument(array).toJson());
    auto s = t.makeAnother();
    s->removeUnrecordedBrushFiles();
    EXPECT_EQ(s->importedGIMPBrushes->size(), 1u);
    EXPECT_EQ(images(), before);

    for (const QByteArray& index : {QByteArray("[{\"id\": trunc"), QByteArray("{}")}) {
        write("brushes.json", index);
        t.makeAnother()->removeUnrecordedBrushFiles();
        EXPECT_EQ(images(), before);
    }
    QFile::remove(path("brushes.json"));
    t.makeAnother()->removeUnrecordedBrushFiles();
    EXPECT_EQ(images(), before);
}

// An index that cannot be written stays as it was; each launch used to add
// another set of the shipped brushes' images.
TEST_F(BrushStoreFaults, LaunchesOverAnIndexThatIsNeverWrittenDoNotPileUpImages) {
    shipTwoBrushes();
    writeIndexFile(t.brushStore, {});
    const QByteArray stale = readFile(path("brushes.json"));
    std::vector<int> counts;
    for (int i = 0; i < 3; ++i) {
        launch();
        counts.push_back(int(images().size()));
        write("brushes.json", stale); // as if the write had never happened
    }
    EXPECT_EQ(counts, (std::vector<int>{4, 4, 4})); // two cells and two previews
}

// An index that cannot be read at all: nothing is known of what the store
// holds, so nothing is removed and the shipped brushes are not added again.
TEST_F(BrushStoreFaults, AnUnreadableIndexLeavesTheStoreAlone) {
    shipTwoBrushes();
    const auto earlier = storeBitmapBrush(t.brushStore, 2, "earlier");
    ASSERT_TRUE(QDir().mkpath(path("brushes.json"))); // cannot be read nor replaced
    LogCapture log;
    for (int i = 0; i < 3; ++i) {
        auto s = t.makeAnother();
        s->installBundledGIMPBrushes();
        drainEvents();
        EXPECT_TRUE(s->importedGIMPBrushes->empty());
    }
    EXPECT_EQ(images().size(), 2);
    EXPECT_EQ(log.countLines({path("brushes.json"), "cannot be read"}), 3);
    EXPECT_EQ(log.countLines({"Shipped brushes not installed"}), 3);

    QDir(path("brushes.json")).removeRecursively();
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("brushes.json")).constData(), 0600), 0);
    EXPECT_TRUE(t.makeAnother()->importedGIMPBrushes->empty()); // returns: the FIFO is not opened for reading
    EXPECT_EQ(images().size(), 2);
}

// Each unreadable index is kept, the newest as brushes.json.bad, and logged.
TEST_F(BrushStoreFaults, EachUndecodableIndexIsKeptAndLogged) {
    LogCapture log;
    write("brushes.json", "[{\"first\": ");
    t.makeAnother();
    write("brushes.json", "[{\"second\": ");
    t.makeAnother();
    t.makeAnother(); // the same file again adds no copy
    EXPECT_EQ(readFile(path("brushes.json.bad")), "[{\"second\": ");
    const QStringList older = QDir(t.brushStore).entryList({"brushes.json.2*.bad"});
    ASSERT_EQ(older.size(), 1);
    EXPECT_EQ(readFile(path(older[0])), "[{\"first\": ");
    EXPECT_EQ(log.countLines({path("brushes.json"), "not a JSON array", "kept as " + path("brushes.json.bad")}), 3);
}
