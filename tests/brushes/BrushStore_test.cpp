#include "brushes/GIMPBrushParser.h"
#include "support/BrushStoreFiles.h"
#include "support/TestDrawingState.h"
#include "support/TestUtil.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <cmath>

using namespace testing_support;

namespace {

std::vector<QString> names(const std::vector<ImportedGIMPBrush>& list) {
    std::vector<QString> out;
    for (const auto& b : list) out.push_back(b.name);
    return out;
}

struct BrushStore : ::testing::Test {
    TestDrawingState t;

    QString path(const QString& name) const { return t.brushStore + '/' + name; }
    // A restart over the index `brushes`, with `active` as the stored active brush.
    std::shared_ptr<DrawingState> startWith(const std::vector<ImportedGIMPBrush>& brushes,
                                            std::optional<QUuid> active = std::nullopt) {
        writeIndexFile(t.brushStore, brushes);
        if (active) t.defaults->setString("overink.activeGIMPBrushID", uuidText(*active));
        return t.makeAnother();
    }
    static std::vector<ImportedGIMPBrush> indexOnDisk(const QString& folder) {
        const auto decoded = decodeBrushIndex(readFile(folder + "/brushes.json"));
        return decoded ? decoded->brushes : std::vector<ImportedGIMPBrush>{};
    }
};

} // namespace

TEST_F(BrushStore, LibraryListsShippedBrushesByShapeThenHardnessThenTheUsersInIndexOrder) {
    auto a1 = parametricBrush(1, 0.5, "a1.vbr");
    auto a20 = parametricBrush(20, 0.5, "a20.vbr");
    auto a3 = parametricBrush(3, 0.5, "a3.vbr");
    auto a3hard = parametricBrush(3, 0.9, "a3hard.vbr");
    auto plain = storeBitmapBrush(t.brushStore, 1, "plain shipped");
    plain.bundledSourceID = "plain.vbr";
    auto u1 = storeBitmapBrush(t.brushStore, 1, "user 1");
    auto u2 = parametricBrush(50, 1, std::nullopt); // the user's brushes are never sorted
    u2.name = "user 2";
    a1.name = "a1", a20.name = "a20", a3.name = "a3", a3hard.name = "a3hard";
    t->importedGIMPBrushes = {u1, a1, a20, plain, a3, u2, a3hard};

    EXPECT_EQ(names(t->sortedGIMPBrushes()),
              (std::vector<QString>{"a20", "a3hard", "a3", "a1", "plain shipped", "user 1", "user 2"}));
    // Equal keys keep index order.
    auto b1 = parametricBrush(2, 0.5, "b1.vbr"), b2 = parametricBrush(2, 0.5, "b2.vbr");
    b1.name = "b1", b2.name = "b2";
    t->importedGIMPBrushes = {b2, b1};
    EXPECT_EQ(names(t->sortedGIMPBrushes()), (std::vector<QString>{"b2", "b1"}));
}

TEST_F(BrushStore, ActiveBrushIsReadyOnlyOnceAtLeastOneMaskIsCached) {
    EXPECT_FALSE(t->isActiveGIMPBrushLoaded()); // no active brush

    const auto good = storeBitmapBrush(t.brushStore, 2, "good");
    const auto s = startWith({good}, good.id);
    ASSERT_EQ(s->activeGIMPBrushID.get(), good.id);
    EXPECT_FALSE(s->isActiveGIMPBrushLoaded()); // its load is still running
    ASSERT_TRUE(waitUntil([&] { return s->gimpStampCache.contains(good.id); }));
    EXPECT_TRUE(s->isActiveGIMPBrushLoaded());
    EXPECT_EQ(s->gimpStampCache.value(good.id).size(), 2u);

    // A load that finds nothing leaves an empty entry: not ready.
    s->gimpStampCache.insert(good.id, {});
    EXPECT_FALSE(s->isActiveGIMPBrushLoaded());
}

TEST_F(BrushStore, ActiveBrushWhoseFilesAreGoneFallsBackToThePen) {
    const auto brush = storeBitmapBrush(t.brushStore, 3, "vanished");
    for (const auto& name : brush.cellFilenames) QFile::remove(path(name));
    t.defaults->setString("overink.selectedTool", rawValueText(DrawingTool::gimpBrush));
    const auto s = startWith({brush}, brush.id);
    ASSERT_EQ(s->selectedTool.get(), DrawingTool::gimpBrush);
    s->isMoveMode = true;

    ASSERT_TRUE(waitUntil([&] { return s->gimpStampCache.contains(brush.id); }));
    EXPECT_TRUE(s->gimpStampCache.value(brush.id).empty());
    EXPECT_FALSE(s->activeGIMPBrushID.get());
    EXPECT_EQ(s->selectedTool.get(), DrawingTool::pen);
    EXPECT_FALSE(t.defaults->contains("overink.activeGIMPBrushID"));
    EXPECT_FALSE(s->isMoveMode.get());
    // The empty entry stays: asking again loads nothing.
    s->loadGIMPBrushStamps(brush.id);
    drainEvents();
    EXPECT_TRUE(s->gimpStampCache.value(brush.id).empty());
}

TEST_F(BrushStore, LoadingReadsCellsInOrderSkipsBadOnesAndRendersParametricBrushes) {
    auto bitmap = storeBitmapBrush(t.brushStore, 3, "three");
    QFile broken(path(bitmap.cellFilenames[1]));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly | QIODevice::Truncate));
    broken.write("not a png");
    broken.close();
    // No cell file at all: rendered from its parameters.
    const auto generated = parametricBrush(1, 1, std::nullopt);
    const auto s = startWith({bitmap, generated});
    ASSERT_TRUE(waitUntil([&] { return s->gimpStampCache.size() == 2; }));

    const auto cells = s->gimpStampCache.value(bitmap.id);
    ASSERT_EQ(cells.size(), 2u);
    EXPECT_EQ(cells[0].format(), kCellMaskFormat);
    EXPECT_EQ(qAlpha(cells[0].pixel(0, 0)), 40);
    EXPECT_EQ(qAlpha(cells[1].pixel(0, 0)), 42);
    const auto rendered = s->gimpStampCache.value(generated.id);
    ASSERT_EQ(rendered.size(), 1u);
    EXPECT_EQ(rendered[0], *GIMPBrushParser::renderVBR(*generated.vbr));
}

TEST_F(BrushStore, LoadingSkipsUnknownBrushesAndBrushesAlreadyCached) {
    const auto brush = storeBitmapBrush(t.brushStore, 1);
    const auto s = startWith({brush});
    ASSERT_TRUE(waitUntil([&] { return s->gimpStampCache.contains(brush.id); }));

    s->loadGIMPBrushStamps(std::nullopt);
    s->loadGIMPBrushStamps(QUuid::createUuid());
    s->gimpStampCache.insert(brush.id, {}); // an empty entry counts as loaded
    s->loadGIMPBrushStamps(brush.id);
    drainEvents();
    EXPECT_EQ(s->gimpStampCache.size(), 1);
    EXPECT_TRUE(s->gimpStampCache.value(brush.id).empty());
}

TEST_F(BrushStore, NamesFromTheIndexThatLeaveTheFolderAreNeitherReadNorDeleted) {
    QDir().mkpath(t.brushStore);
    const QString outside = t.dir->path() + "/outside.png";
    ASSERT_TRUE(GIMPBrushParser::writePNG(solidCell(4, 4), outside));
    const QString nested = t.brushStore + "/sub";
    QDir().mkpath(nested);
    ASSERT_TRUE(GIMPBrushParser::writePNG(solidCell(4, 4), nested + "/x.png"));

    auto brush = storeBitmapBrush(t.brushStore, 1, "hostile");
    brush.cellFilenames = QStringList{"../outside.png", outside, ".", "..", "sub/x.png", ""} + brush.cellFilenames;
    brush.thumbnailFilename = "../outside.png";
    const auto s = startWith({brush});
    ASSERT_TRUE(waitUntil([&] { return s->gimpStampCache.contains(brush.id); }));
    EXPECT_EQ(s->gimpStampCache.value(brush.id).size(), 1u); // only the plain name was read

    s->deleteGIMPBrush(brush);
    EXPECT_TRUE(QFile::exists(outside));
    EXPECT_TRUE(QFile::exists(nested + "/x.png"));
    EXPECT_TRUE(QDir(t.brushStore).exists());
    EXPECT_FALSE(QFile::exists(path(brush.cellFilenames.last())));
    EXPECT_TRUE(s->importedGIMPBrushes->empty());
}

TEST_F(BrushStore, DeletionRemovesFilesCachesAndRecordAndDropsTheActiveBrush) {
    auto a = storeBitmapBrush(t.brushStore, 2, "a");
    a.thumbnailFilename = uuidText(a.id) + "_thumb.png";
    ASSERT_TRUE(GIMPBrushParser::writePNG(solidCell(8, 8), path(*a.thumbnailFilename)));
    const auto b = storeBitmapBrush(t.brushStore, 1, "b");
    t.defaults->setString("overink.selectedTool", rawValueText(DrawingTool::gimpBrush));
    const auto s = startWith({a, b}, a.id);
    ASSERT_TRUE(waitUntil([&] { return s->gimpStampCache.size() == 2; }));
    s->tintedStampCache.insert(uuidText(a.id) + "_10_255_0_0", {solidCell(2, 2)});
    s->tintedStampCache.insert(uuidText(a.id) + "_12_0_0_0", {});
    s->tintedStampCache.insert(uuidText(b.id) + "_10_255_0_0", {});

    // Deleting another brush leaves the active one and the tool alone.
    auto other = storeBitmapBrush(t.brushStore, 1, "other");
    s->importedGIMPBrushes.modify([&](auto& list) { list.push_back(other); });
    s->deleteGIMPBrush(other);
    EXPECT_EQ(s->activeGIMPBrushID.get(), a.id);
    EXPECT_EQ(s->selectedTool.get(), DrawingTool::gimpBrush);

    // Handed an element of the list itself, which the removal frees.
    ASSERT_EQ(s->importedGIMPBrushes->front().id, a.id);
    s->deleteGIMPBrush(s->importedGIMPBrushes->front());
    for (const auto& name : a.cellFilenames) EXPECT_FALSE(QFile::exists(path(name)));
    EXPECT_FALSE(QFile::exists(path(*a.thumbnailFilename)));
    EXPECT_FALSE(s->gimpStampCache.contains(a.id));
    EXPECT_EQ(s->tintedStampCache.keys(), QStringList{uuidText(b.id) + "_10_255_0_0"});
    EXPECT_EQ(names(s->importedGIMPBrushes.get()), std::vector<QString>{"b"});
    EXPECT_FALSE(s->activeGIMPBrushID.get());
    EXPECT_EQ(s->selectedTool.get(), DrawingTool::pen);
    platform::ThrottledFileWriter::flushAll();
    EXPECT_EQ(names(indexOnDisk(t.brushStore)), std::vector<QString>{"b"});

    // Files already gone: the record still leaves the index.
    for (const auto& name : b.cellFilenames) QFile::remove(path(name));
    s->deleteGIMPBrush(b);
    EXPECT_TRUE(s->importedGIMPBrushes->empty());
}

TEST_F(BrushStore, ALoadOvertakenByADeleteOrARerenderIsDropped) {
    const auto bitmap = storeBitmapBrush(t.brushStore, 1);
    const auto generated = parametricBrush(1, 1, std::nullopt);
    const auto s = startWith({bitmap, generated});
    // Both loads are under way; their results are not delivered yet.
    s->deleteGIMPBrush(bitmap);
    VBRParams bigger = *generated.vbr;
    bigger.radius = 30;
    s->rerenderVBRBrush(generated.id, bigger, false);
    drainEvents();

    EXPECT_FALSE(s->gimpStampCache.contains(bitmap.id));
    ASSERT_EQ(s->gimpStampCache.value(generated.id).size(), 1u);
    EXPECT_EQ(s->gimpStampCache.value(generated.id)[0], *GIMPBrushParser::renderVBR(bigger));
}

TEST_F(BrushStore, ALoadOvertakenByANewerLoadIsDropped) {
    const auto brush = storeBitmapBrush(t.brushStore, 2);
    const QString hidden = t.dir->path() + "/hidden";
    QDir().mkpath(hidden);
    for (const auto& name : brush.cellFilenames) QFile::rename(path(name), hidden + '/' + name);

    // The first load finds no files; its (empty) result waits in the queue.
    const auto s = startWith({brush}, brush.id);
    platform::waitForBackgroundWork();
    for (const auto& name : brush.cellFilenames) QFile::rename(hidden + '/' + name, path(name));
    ASSERT_FALSE(s->gimpStampCache.contains(brush.id));
    s->loadGIMPBrushStamps(brush.id);
    drainEvents();

    // Had the stale empty result been stored, the brush would have been dropped.
    EXPECT_EQ(s->activeGIMPBrushID.get(), brush.id);
    EXPECT_TRUE(s->isActiveGIMPBrushLoaded());
    EXPECT_EQ(s->gimpStampCache.value(brush.id).size(), 2u);
}

TEST_F(BrushStore, IndexWritesAreImmediateThenThrottledAndFlushedBeforeTheStateGoes) {
    const auto a = parametricBrush(1, 1, std::nullopt);
    t->importedGIMPBrushes = {a};
    EXPECT_EQ(indexOnDisk(t.brushStore), std::vector<ImportedGIMPBrush>{a}); // a change after a quiet spell

    // A slider drag: many changes at once reach the file together, later.
    const auto b = parametricBrush(2, 1, std::nullopt);
    t->importedGIMPBrushes = {a, b};
    for (int i = 0; i < 50; ++i) t->rerenderVBRBrush(b.id, {VBRShape::circle, 5.0 + i, 2, 1, 2, 0}, false);
    EXPECT_EQ(indexOnDisk(t.brushStore), std::vector<ImportedGIMPBrush>{a});
    ASSERT_TRUE(waitUntil([&] { return indexOnDisk(t.brushStore) == t->importedGIMPBrushes.get(); }, 3000));
    EXPECT_EQ(indexOnDisk(t.brushStore)[1].vbr->radius, 54);

    // Pending content is written before the state goes away.
    for (int i = 0; i < 5; ++i) t->rerenderVBRBrush(b.id, {VBRShape::circle, 100.0 + i, 2, 1, 2, 0}, false);
    const auto expected = t->importedGIMPBrushes.get();
    t.state.reset();
    EXPECT_EQ(indexOnDisk(t.brushStore), expected);
}

TEST_F(BrushStore, AnIndexWithANumberJsonCannotHoldIsNotWritten) {
    const auto a = parametricBrush(1, 1, std::nullopt);
    t->importedGIMPBrushes = {a};
    const QByteArray before = readFile(path("brushes.json"));
    auto bad = a;
    bad.diameter = std::nan("");
    t->importedGIMPBrushes = {a, bad};
    platform::ThrottledFileWriter::flushAll();
    EXPECT_EQ(readFile(path("brushes.json")), before);
}
