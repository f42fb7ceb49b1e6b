#include "brushes/BrushFiles.h"
#include "brushes/GIMPBrushParser.h"
#include "platform/Bundle.h"
#include "support/BrushFileWriter.h"
#include "support/BrushStoreFiles.h"
#include "support/LogCapture.h"
#include "support/TestDrawingState.h"
#include "support/TestUtil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

QByteArray threeCellPipe(const QByteArray& name = "Pipe") {
    QList<QByteArray> cells;
    for (int i = 0; i < 3; ++i) {
        GbrFields f;
        f.width = f.height = 8;
        f.name = "cell";
        cells.append(gbrFile(f));
    }
    return gihFile(name, gihParameters(3, "0.25", "incremental"), cells);
}

QByteArray smallVbr(const QByteArray& name, const QByteArray& radius = "6") {
    VbrFields f;
    f.name = name;
    f.radius = radius;
    return vbrFile(f);
}

struct BrushImport : ::testing::Test {
    TestDrawingState t;
    QString sources = t.dir->path() + "/sources";
    QString path(const QString& name) const { return t.brushStore + '/' + name; }

    bool importDone(std::size_t records) {
        return waitUntil([&] { return t->importedGIMPBrushes->size() >= records; }) &&
               waitUntil([&] { return platform::runningBackgroundWork() == 0; });
    }
};

} // namespace

TEST_F(BrushImport, ACellThatFailsToWriteIsLeftOutWithoutRenumberingTheOthers) {
    const QString file = writeFile(sources + "/pipe.gih", threeCellPipe());
    QDir().mkpath(t.brushStore);
    const auto failSecond = [](const QImage& image, const QString& to) {
        if (to.endsWith("_1.png")) return false;
        return GIMPBrushParser::writePNG(image, to);
    };
    const auto record = brushFiles::importBrushFile(file, t.brushStore, false, failSecond);
    ASSERT_TRUE(record);
    const QString id = uuidText(record->id);
    EXPECT_EQ(record->cellFilenames, (QStringList{id + "_0.png", id + "_2.png"}));
    EXPECT_TRUE(QFile::exists(path(id + "_0.png")));
    EXPECT_FALSE(QFile::exists(path(id + "_1.png")));
    EXPECT_TRUE(QFile::exists(path(id + "_2.png")));
    EXPECT_EQ(record->thumbnailFilename, id + "_thumb.png");

    // Not one cell written: no record and no preview.
    const auto failAll = [](const QImage&, const QString&) { return false; };
    EXPECT_FALSE(brushFiles::importBrushFile(file, t.brushStore, false, failAll));
    EXPECT_EQ(QDir(t.brushStore).entryList(QDir::Files).size(), 3);
}

// Brush files were read whole up to 1 GiB. The bound is checked before a
// byte is read; it admits one cell of the largest size the store loads.
TEST_F(BrushImport, BrushFilesAreBoundedBeforeTheyAreRead) {
    GbrFields f;
    f.width = f.height = std::uint32_t(brushFiles::kMaxCellSide);
    f.bytesPerPixel = 4;
    f.pixels = QByteArray(qsizetype(f.width) * f.height * 4, '\0');
    const QString file = writeFile(sources + "/largest.gbr", gbrFile(f));
    QDir().mkpath(t.brushStore);
    const auto largest = brushFiles::importBrushFile(file, t.brushStore, false);
    ASSERT_TRUE(largest);
    EXPECT_EQ(QImageReader(path(largest->cellFilenames[0])).size(), QSize(4096, 4096));

    {
        QFile grown(file);
        ASSERT_TRUE(grown.resize(brushFiles::kMaxBrushFileBytes + 1));
    }
    LogCapture log;
    EXPECT_FALSE(brushFiles::importBrushFile(file, t.brushStore, false));
    EXPECT_EQ(log.countLines({"1 brush file not imported (more than 68157440 bytes)", file, "68157441 bytes"}), 1);
}

TEST_F(BrushImport, RecordTakesTheParsedBrushAndItsNameOrElseTheFileName) {
    GbrFields blankName;
    blankName.name = "  \t ";
    blankName.width = 10;
    blankName.height = 6;
    const QString blank = writeFile(sources + "/my.soft.brush.gbr", gbrFile(blankName));
    const QString named = writeFile(sources + "/whatever.vbr", smallVbr("Stated Name"));
    QDir().mkpath(t.brushStore);

    const auto a = brushFiles::importBrushFile(blank, t.brushStore, true);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->name, "my.soft.brush");
    EXPECT_EQ(a->bundledSourceID, "my.soft.brush.gbr");
    EXPECT_EQ(a->diameter, 10);
    EXPECT_FALSE(a->vbr);

    const auto b = brushFiles::importBrushFile(named, t.brushStore, false);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->name, "Stated Name");
    EXPECT_FALSE(b->bundledSourceID);
    EXPECT_EQ(b->diameter, 12);
    EXPECT_EQ(b->spacing, 20);
    EXPECT_EQ(b->opacity, 1);
    ASSERT_TRUE(b->vbr);
    EXPECT_EQ(b->vbr->radius, 6);
    EXPECT_EQ(b->selection, GIMPCellSelection::sequential);
    QImageReader thumb(path(*b->thumbnailFilename));
    EXPECT_EQ(thumb.size(), QSize(416, 76));
}

TEST_F(BrushImport, ImportSkipsWhatItCannotUseAndAppendsTheRestInOrder) {
    GbrFields f;
    f.name = "Capital";
    const QString capital = writeFile(sources + "/CAPS.GBR", gbrFile(f));
    QDir().mkpath(sources);
    const QString png = sources + "/picture.png";
    ASSERT_TRUE(GIMPBrushParser::writePNG(solidCell(4, 4), png));
    const QString noExtension = writeFile(sources + "/brush", gbrFile(f));
    const QString garbage = writeFile(sources + "/garbage.gbr", "definitely not a brush");
    const QString vbr = writeFile(sources + "/round.vbr", smallVbr("Round"));
    const QString missing = sources + "/missing.gih";

    t->importGIMPBrushes({capital, png, noExtension, garbage, missing, vbr, vbr}, false);
    EXPECT_TRUE(t->importedGIMPBrushes->empty()); // nothing arrives before the event loop runs
    ASSERT_TRUE(importDone(3));
    drainEvents();

    const auto list = t->importedGIMPBrushes.get();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].name, "Capital");
    EXPECT_EQ(list[1].name, "Round");
    EXPECT_EQ(list[2].name, "Round");
    EXPECT_NE(list[1].id, list[2].id);
    EXPECT_NE(list[1].cellFilenames, list[2].cellFilenames);
    for (const auto& b : list) {
        EXPECT_FALSE(b.bundledSourceID);
        EXPECT_TRUE(t->gimpStampCache.contains(b.id)); // loading started for each
    }
    EXPECT_FALSE(t->activeGIMPBrushID.get());
    platform::ThrottledFileWriter::flushAll();
    EXPECT_EQ(decodeBrushIndex(readFile(path("brushes.json")))->brushes, list);
}

TEST_F(BrushImport, FilesAreStillWrittenWhenTheStateGoesAwayButNothingIsRecorded) {
    const QString a = writeFile(sources + "/a.vbr", smallVbr("A"));
    const QString b = writeFile(sources + "/b.vbr", smallVbr("B"));
    t->importGIMPBrushes({a, b}, false);
    t.state.reset();
    // Each brush leaves a cell and a preview.
    ASSERT_TRUE(waitUntil([&] { return QDir(t.brushStore).entryList({"*.png"}, QDir::Files).size() == 4; }));
    drainEvents();
    // The index was written before the first cell, and holds no record.
    const auto index = decodeBrushIndex(readFile(path("brushes.json")));
    ASSERT_TRUE(index);
    EXPECT_TRUE(index->brushes.empty());
}

TEST_F(BrushImport, InstallDeletesBrushesNoLongerShippedAndImportsTheMissingOnesInNameOrder) {
    const QString shipped = t.dir->path() + "/shipped";
    const QStringList files{writeFile(shipped + "/b-second.vbr", smallVbr("Second")),
                            writeFile(shipped + "/a-first.vbr", smallVbr("First")),
                            writeFile(shipped + "/Z-upper.vbr", smallVbr("Upper"))};
    t.bundledBrushFiles = [files] { return files; };

    auto gone = storeBitmapBrush(t.brushStore, 2, "Gone");
    gone.bundledSourceID = "c-removed.vbr";
    const auto own = storeBitmapBrush(t.brushStore, 1, "Own");
    auto kept = parametricBrush(2, 1, "a-first.vbr"); // already installed
    kept.name = "Kept";
    writeIndexFile(t.brushStore, {gone, own, kept});
    t.defaults->setString("overink.activeGIMPBrushID", uuidText(gone.id));
    t.defaults->setString("overink.selectedTool", rawValueText(DrawingTool::gimpBrush));
    t.state = t.makeAnother();
    ASSERT_TRUE(waitUntil([&] { return t->gimpStampCache.size() == 3; }));

    t->installBundledGIMPBrushes();
    // The removal is immediate.
    for (const auto& name : gone.cellFilenames) EXPECT_FALSE(QFile::exists(path(name)));
    EXPECT_FALSE(t->gimpStampCache.contains(gone.id));
    EXPECT_FALSE(t->activeGIMPBrushID.get());
    EXPECT_EQ(t->selectedTool.get(), DrawingTool::pen);
    ASSERT_TRUE(importDone(4));

    const auto list = t->importedGIMPBrushes.get();
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0].name, "Own");
    EXPECT_EQ(list[1].name, "Kept");
    EXPECT_EQ(list[2].bundledSourceID, "Z-upper.vbr"); // plain comparison: capitals first
    EXPECT_EQ(list[3].bundledSourceID, "b-second.vbr");

    // Everything shipped is stored now: a second install changes nothing.
    t->installBundledGIMPBrushes();
    drainEvents();
    EXPECT_EQ(t->importedGIMPBrushes->size(), 4u);

    // With no shipped files at all, the stored shipped brushes stay.
    platform::ThrottledFileWriter::flushAll();
    t.bundledBrushFiles = [] { return QStringList(); };
    const auto again = t.makeAnother();
    again->installBundledGIMPBrushes();
    drainEvents();
    EXPECT_EQ(again->importedGIMPBrushes->size(), 4u);
}

TEST_F(BrushImport, TheProgramsOwnBrushesInstallIntoAnEmptyStore) {
    const QStringList shipped = platform::Bundle::main().resourcePaths("vbr", "brushes");
    ASSERT_GE(shipped.size(), 8);
    t->installBundledGIMPBrushes();
    ASSERT_TRUE(importDone(std::size_t(shipped.size())));
    drainEvents();

    const auto list = t->importedGIMPBrushes.get();
    ASSERT_EQ(list.size(), std::size_t(shipped.size()));
    std::set<QString> shapes;
    int oldFormat = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const auto& b = list[i];
        EXPECT_EQ(b.bundledSourceID, QFileInfo(shipped[qsizetype(i)]).fileName());
        ASSERT_TRUE(b.vbr);
        shapes.insert(QString::fromLatin1(rawValue(b.vbr->shape).data()));
        if (readFile(shipped[qsizetype(i)]).contains("\n1.0\n")) ++oldFormat;
        ASSERT_EQ(b.cellFilenames.size(), 1);
        EXPECT_TRUE(QFile::exists(path(b.cellFilenames[0])));
        ASSERT_TRUE(b.thumbnailFilename);
        EXPECT_EQ(QImageReader(path(*b.thumbnailFilename)).size(), QSize(416, 76));
        EXPECT_FALSE(t->gimpStampCache.value(b.id).empty());
    }
    EXPECT_EQ(shapes, (std::set<QString>{"circle", "square", "diamond"}));
    EXPECT_EQ(oldFormat, 1);
}

TEST_F(BrushImport, RerenderStoresClampedParametersAndReplacesTheCachedCell) {
    const auto generated = parametricBrush(1, 1, std::nullopt);
    const auto bitmap = storeBitmapBrush(t.brushStore, 1, "bitmap");
    QDir().mkpath(t.brushStore);
    ASSERT_TRUE(
        GIMPBrushParser::writePNG(*GIMPBrushParser::renderVBR(*generated.vbr), path(generated.cellFilenames[0])));
    const QByteArray oldCell = readFile(path(generated.cellFilenames[0]));
    t->importedGIMPBrushes = {generated, bitmap};
    t->tintedStampCache.insert(uuidText(generated.id) + "_10_0_0_0", {});
    t->tintedStampCache.insert(uuidText(bitmap.id) + "_10_0_0_0", {});
    int changes = 0;
    auto counting = t->willChange.connect([&] { ++changes; });

    t->rerenderVBRBrush(generated.id, {VBRShape::square, 300, 2, 0.5, 1, 90}, false);
    const auto stored = t->importedGIMPBrushes.get()[0];
    EXPECT_EQ(stored.vbr, (VBRParams{VBRShape::square, 250, 2, 0.5, 1, 90}));
    EXPECT_EQ(stored.diameter, 500);
    EXPECT_EQ(stored.name, generated.name);
    EXPECT_EQ(stored.cellFilenames, generated.cellFilenames);
    EXPECT_EQ(t->gimpStampCache.value(generated.id), std::vector<QImage>{*GIMPBrushParser::renderVBR(*stored.vbr)});
    EXPECT_EQ(t->tintedStampCache.keys(), QStringList{uuidText(bitmap.id) + "_10_0_0_0"});
    EXPECT_GE(changes, 3); // two index assignments and the cache announcement
    drainEvents();
    EXPECT_EQ(readFile(path(generated.cellFilenames[0])), oldCell); // only the index changed

    t->rerenderVBRBrush(generated.id, *stored.vbr, true);
    drainEvents();
    const auto written = QImage(path(generated.cellFilenames[0]));
    EXPECT_EQ(*GIMPBrushParser::maskImage(written), *GIMPBrushParser::renderVBR(*stored.vbr));

    // An unknown brush or a bitmap brush: nothing changes.
    const auto before = t->importedGIMPBrushes.get();
    changes = 0;
    t->rerenderVBRBrush(QUuid::createUuid(), *stored.vbr, true);
    t->rerenderVBRBrush(bitmap.id, *stored.vbr, true);
    drainEvents();
    EXPECT_EQ(t->importedGIMPBrushes.get(), before);
    EXPECT_EQ(changes, 0);
    EXPECT_FALSE(t->gimpStampCache.contains(bitmap.id));
    EXPECT_EQ(t->tintedStampCache.size(), 1u);
}
