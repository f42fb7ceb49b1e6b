// A brush row: where its thumbnail comes from (stored file or render), what
// is written back and when, which render is shown, and its looks and taps.
#include "brushes/BrushFiles.h"
#include "brushes/BrushThumbnails.h"
#include "model/DrawingState.h"
#include "support/BrushStoreFiles.h"
#include "support/FifoUnblocker.h"
#include "support/TestDrawingState.h"
#include "support/TestUtil.h"
#include "toolbar/GIMPBrushRow.h"
#include "toolbar/ToolbarTestSupport.h"
#include "ui/Theme.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace testing_support;
namespace thumbs = brushThumbnails;

namespace {

const QSizeF kTile(208, 38);

std::uint64_t renders() { return thumbs::stats().renders; }

QString thumbPath(const QString& folder, const ImportedGIMPBrush& b) {
    return folder + '/' + brushFiles::thumbnailFileName(b.id);
}

void writeImage(const QString& path, QSize size, QColor color) {
    QImage image(size, QImage::Format_ARGB32);
    image.fill(color);
    ASSERT_TRUE(image.save(path, "png"));
}

// Shows the row's model at the tile size and waits for what it loads.
void show(GIMPBrushRowModel& model, QSizeF size = kTile) {
    model.setThumbSize(size);
    model.setShown(true);
    waitUntil([&] { return !model.isRendering(); });
    drainEvents();
}

struct Rows : ::testing::Test {
    QTemporaryDir dir;
    QString store = dir.path();
};

} // namespace

TEST_F(Rows, AStoredThumbnailOfABrushOfFilesIsShownWithoutRendering) {
    const ImportedGIMPBrush brush = storeBitmapBrush(store, 2);
    writeImage(thumbPath(store, brush), QSize(416, 76), Qt::green);
    const auto model = GIMPBrushRowModel::create(brush, store);
    const auto before = renders();
    show(*model);
    EXPECT_EQ(renders(), before);
    ASSERT_FALSE(model->image().isNull());
    EXPECT_EQ(model->image().pixelColor(10, 10), QColor(Qt::green));
    EXPECT_EQ(model->imageSize(), kTile);
}

// The stored thumbnail was loaded whatever the path named: a FIFO there
// blocked the main thread for good. Behind such a link it counts as
// missing, and the render writes a regular file in the link's place.
TEST_F(Rows, AThumbnailBehindALinkToAFifoIsRenderedAndWrittenAsARegularFile) {
    const ImportedGIMPBrush brush = storeBitmapBrush(store, 1);
    const QString fifo = store + "/elsewhere";
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(fifo, thumbPath(store, brush)));
    const auto model = GIMPBrushRowModel::create(brush, store);
    {
        FifoUnblocker guard(fifo);
        show(*model);
        EXPECT_FALSE(guard.fired()) << "the main thread waited on the FIFO";
    }
    EXPECT_EQ(model->image().size(), QSize(416, 76));
    EXPECT_FALSE(QFileInfo(thumbPath(store, brush)).isSymLink());
    EXPECT_EQ(QImageReader(thumbPath(store, brush)).size(), QSize(416, 76));
    struct stat st {};
    ASSERT_EQ(::lstat(QFile::encodeName(fifo).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST_F(Rows, AMissingThumbnailIsRenderedAtTwiceTheTileAndWrittenBack) {
    const ImportedGIMPBrush brush = storeBitmapBrush(store, 6);
    const auto model = GIMPBrushRowModel::create(brush, store);
    const auto before = thumbs::stats();
    show(*model);
    const auto after = thumbs::stats();
    EXPECT_EQ(after.renders - before.renders, 1u);
    EXPECT_EQ(after.cellFilesRead - before.cellFilesRead, 4u) << "six cells, the first four read";
    EXPECT_EQ(model->image().size(), QSize(416, 76));
    EXPECT_EQ(QImageReader(thumbPath(store, brush)).size(), QSize(416, 76));

    // Shown again (a new row for the brush): the file written is used.
    const auto again = GIMPBrushRowModel::create(brush, store);
    show(*again);
    EXPECT_EQ(renders(), after.renders);
    EXPECT_FALSE(again->image().isNull());
}

TEST_F(Rows, NothingDrawableKeepsThePlaceholderAndWritesNothing) {
    ImportedGIMPBrush brush = storeBitmapBrush(store, 2);
    for (const QString& name : brush.cellFilenames) QFile::remove(store + '/' + name);
    const auto model = GIMPBrushRowModel::create(brush, store);
    show(*model);
    EXPECT_TRUE(model->image().isNull());
    EXPECT_FALSE(QFile::exists(thumbPath(store, brush)));
}

TEST_F(Rows, NothingLoadsBeforeTheTileHasASizeOrWhileHidden) {
    const ImportedGIMPBrush brush = parametricBrush(1, 1, std::nullopt);
    const auto model = GIMPBrushRowModel::create(brush, store);
    const auto before = renders();
    model->setThumbSize(kTile);
    drainEvents();
    EXPECT_EQ(renders(), before) << "not shown yet";
    show(*model, QSizeF(0, 38));
    EXPECT_EQ(renders(), before) << "no width yet";
    EXPECT_TRUE(model->image().isNull());
    model->setThumbSize(kTile);
    waitUntil([&] { return !model->image().isNull(); });
    EXPECT_EQ(renders(), before + 1);
}

TEST_F(Rows, AParametricBrushIsRenderedEvenWhenItsFileExistsAndTheFileIsRewritten) {
    const ImportedGIMPBrush brush = parametricBrush(1, 1, std::nullopt);
    const QString path = thumbPath(store, brush);
    writeImage(path, QSize(416, 76), Qt::green);
    const auto model = GIMPBrushRowModel::create(brush, store);
    const auto before = renders();
    show(*model);
    EXPECT_EQ(renders(), before + 1);
    ASSERT_FALSE(model->image().isNull());
    EXPECT_NE(model->image().pixelColor(0, 0), QColor(Qt::green));
    QImage written(path);
    EXPECT_EQ(written.pixelColor(0, 0), QColor(Qt::white)) << "the planted file was replaced";

    // A new size or new parameters load again; anything else does not.
    model->setBrush(brush);
    drainEvents();
    EXPECT_EQ(renders(), before + 1);
    ImportedGIMPBrush edited = brush;
    edited.vbr->radius = 20;
    model->setBrush(edited);
    waitUntil([&] { return !model->isRendering(); });
    model->setThumbSize(QSizeF(150, 38));
    waitUntil([&] { return !model->isRendering(); });
    drainEvents();
    EXPECT_EQ(renders(), before + 3);
    EXPECT_EQ(model->image().size(), QSize(300, 76));
}

TEST_F(Rows, PixelSizesRoundHalvesAwayFromZeroAndAreAtLeastOne) {
    EXPECT_EQ(GIMPBrushRowModel::pixelSize(QSizeF(208, 38)), QSize(416, 76));
    EXPECT_EQ(GIMPBrushRowModel::pixelSize(QSizeF(10.25, 10.75)), QSize(21, 22));
    EXPECT_EQ(GIMPBrushRowModel::pixelSize(QSizeF(0.1, 0.2)), QSize(1, 1));
}

TEST_F(Rows, AfterQuickEditsTheLatestParametersAreShown) {
    TestDrawingState t;
    ImportedGIMPBrush brush = parametricBrush(1, 1, std::nullopt);
    brush.selection = GIMPCellSelection::sequential;
    const auto model = GIMPBrushRowModel::create(brush, t.brushStore);
    QDir().mkpath(t.brushStore);
    model->setThumbSize(kTile);
    model->setShown(true);
    for (int radius = 10; radius <= 120; radius += 10) {
        brush.vbr->radius = radius;
        brush.vbr->hardness = radius / 200.0;
        model->setBrush(brush);
    }
    waitUntil([&] { return !model->isRendering(); });
    drainEvents();
    const auto expected = thumbs::renderThumbnail(brush, t.brushStore, QSize(416, 76));
    ASSERT_TRUE(expected);
    EXPECT_EQ(model->image(), *expected);
    EXPECT_EQ(QImage(thumbPath(t.brushStore, brush)).convertToFormat(expected->format()), *expected);
}

TEST_F(Rows, ABrushDeletedWhileItsThumbnailRendersGetsNoThumbnailFile) {
    TestDrawingState t;
    QDir().mkpath(t.brushStore);
    for (int round = 0; round < 20; ++round) {
        ImportedGIMPBrush brush = parametricBrush(1, 1, std::nullopt);
        brush.vbr->radius = 250;
        t->importedGIMPBrushes = {brush};
        const auto model = GIMPBrushRowModel::create(brush, t.brushStore);
        model->setThumbSize(kTile);
        model->setShown(true);
        t->deleteGIMPBrush(brush);
        waitUntil([&] { return !model->isRendering(); });
        drainEvents();
        ASSERT_FALSE(QFile::exists(thumbPath(t.brushStore, brush))) << "round " << round;
    }
}

TEST_F(Rows, TheDeleteControlIsOfferedOnlyForImportedBrushesUnderThePointer) {
    int selected = 0, deleted = 0;
    GIMPBrushRow user(
        parametricBrush(1, 1, std::nullopt), false, [&] { ++selected; }, [&] { ++deleted; }, store);
    GIMPBrushRow shipped(
        parametricBrush(1, 1, QString("Round.vbr")), false, [] {}, [] {}, store);
    for (GIMPBrushRow* row : {&user, &shipped}) {
        row->resize(212, 46);
        row->show();
    }
    EXPECT_FALSE(user.deleteButton()->isVisible());
    user.setHovered(true);
    shipped.setHovered(true);
    EXPECT_TRUE(user.deleteButton()->isVisible());
    EXPECT_FALSE(shipped.deleteButton()->isVisible());
    // Trailing, 5 points in from the tile's edge, centred on it.
    EXPECT_EQ(user.deleteButton()->geometry().right() + 1, 212 - 2 - 5);
    EXPECT_NEAR(user.deleteButton()->geometry().center().y(), 23, 1);

    click(user.deleteButton());
    EXPECT_EQ(deleted, 1);
    EXPECT_EQ(selected, 0) << "the delete control takes its own click";
    click(&user, QPointF(40, 23));
    EXPECT_EQ(selected, 1);
    user.setHovered(false);
    EXPECT_FALSE(user.deleteButton()->isVisible());
}

TEST_F(Rows, TheActiveRowShowsTheAccentOverTheHoverTint) {
    const ImportedGIMPBrush brush = storeBitmapBrush(store, 1);
    GIMPBrushRow row(
        brush, false, [] {}, [] {}, store);
    row.resize(212, 46);
    EXPECT_EQ(row.tileRect(), QRectF(2, 4, 208, 38));
    const auto shot = [&] { return row.grab().toImage(); };
    const QColor plain = shot().pixelColor(20, 10);
    EXPECT_EQ(plain, QColor(Qt::white));
    row.setHovered(true);
    const QColor hover = shot().pixelColor(20, 10);
    row.setActive(true);
    const QImage active = shot();
    const QColor accent = ui::Theme::current(&row).accent.toQColor();
    EXPECT_NE(hover, plain);
    EXPECT_NE(active.pixelColor(20, 10), hover);
    // A faint wash of the accent: nearer to it than white is.
    const auto distance = [](QColor a, QColor b) {
        return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue());
    };
    EXPECT_LT(distance(active.pixelColor(20, 10), accent), distance(QColor(Qt::white), accent));
    // Its 1.5-point border is the accent itself.
    EXPECT_LT(distance(active.pixelColor(100, 4), accent), distance(QColor(Qt::white), accent) / 2);
}
