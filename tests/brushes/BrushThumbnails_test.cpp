// Library thumbnails: which cell files are read, atomic writes, and which
// renders may write (never a retired brush, never an overtaken render).
#include "brushes/BrushEngine.h"
#include "brushes/BrushFiles.h"
#include "brushes/BrushThumbnails.h"
#include "brushes/GIMPBrushParser.h"
#include "support/BrushStoreFiles.h"
#include "support/TestDrawingState.h"
#include "support/TestUtil.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <thread>

using namespace testing_support;
namespace thumbs = brushThumbnails;

namespace {

const QSize kPixels(416, 76);

std::uint64_t cellReads() { return thumbs::stats().cellFilesRead; }

QImage whiteImage(QSize size = kPixels) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    return image;
}

int inkPixels(const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) n += qRed(image.pixel(x, y)) < 200;
    return n;
}

} // namespace

TEST(BrushThumbnails, ABrushOfFilesReadsAtMostItsFirstFourCells) {
    QTemporaryDir dir;
    ImportedGIMPBrush six = storeBitmapBrush(dir.path(), 6);
    // The fifth and sixth cells must not be needed: gone from the store.
    QFile::remove(dir.path() + '/' + six.cellFilenames[4]);
    QFile::remove(dir.path() + '/' + six.cellFilenames[5]);
    const auto before = cellReads();
    const auto image = thumbs::renderThumbnail(six, dir.path(), kPixels);
    EXPECT_EQ(cellReads() - before, 4u);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), kPixels);
    EXPECT_GT(inkPixels(*image), 100);
}

TEST(BrushThumbnails, UnreadableCellsAreSkippedAndNoCellsDrawNothing) {
    QTemporaryDir dir;
    ImportedGIMPBrush brush = storeBitmapBrush(dir.path(), 3);
    QFile::remove(dir.path() + '/' + brush.cellFilenames[0]);
    QFile broken(dir.path() + '/' + brush.cellFilenames[1]);
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly | QIODevice::Truncate));
    broken.write("not a png");
    broken.close();
    EXPECT_TRUE(thumbs::renderThumbnail(brush, dir.path(), kPixels)) << "the third cell still draws";

    QFile::remove(dir.path() + '/' + brush.cellFilenames[2]);
    EXPECT_FALSE(thumbs::renderThumbnail(brush, dir.path(), kPixels));

    // Names from the index that leave the store are never opened.
    ImportedGIMPBrush outside = storeBitmapBrush(dir.path() + "/inner", 1);
    outside.cellFilenames = {"../" + QFileInfo(dir.path()).fileName() + "/inner/" + outside.cellFilenames[0]};
    const auto before = cellReads();
    EXPECT_FALSE(thumbs::renderThumbnail(outside, dir.path() + "/inner", kPixels));
    EXPECT_EQ(cellReads(), before);
}

TEST(BrushThumbnails, AParametricBrushIsRenderedFromItsParametersWithoutReadingFiles) {
    QTemporaryDir dir;
    const ImportedGIMPBrush brush = parametricBrush(1, 0.5, std::nullopt);
    const auto before = cellReads();
    const auto image = thumbs::renderThumbnail(brush, dir.path(), QSize(100, 30));
    EXPECT_EQ(cellReads(), before);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), QSize(100, 30));
    EXPECT_GT(inkPixels(*image), 50);
}

TEST(BrushThumbnails, ALargeParametricBrushLooksAsIfRenderedInFull) {
    QTemporaryDir dir;
    for (int spikes : {2, 20}) {
        ImportedGIMPBrush brush = parametricBrush(spikes == 2 ? 1 : 3, 0.5, std::nullopt);
        brush.vbr->radius = 250;
        brush.vbr->spikes = spikes;
        brush.selection = GIMPCellSelection::sequential;
        const auto sample = thumbs::renderThumbnail(brush, dir.path(), kPixels);
        const auto full = brushEngine::renderBrushPreview({*GIMPBrushParser::renderVBR(*brush.vbr)},
                                                          GIMPCellSelection::sequential, kPixels);
        ASSERT_TRUE(sample && full);
        double total = 0;
        for (int y = 0; y < kPixels.height(); ++y)
            for (int x = 0; x < kPixels.width(); ++x)
                total += std::abs(qRed(sample->pixel(x, y)) - qRed(full->pixel(x, y)));
        EXPECT_LT(total / (kPixels.width() * kPixels.height()), 1.5) << spikes << " spikes";
    }
}

TEST(BrushThumbnails, OnlyTheLatestRenderOfABrushWritesAndNoneAfterItIsRetired) {
    QTemporaryDir dir;
    const QUuid id = QUuid::createUuid();
    const QString path = dir.path() + '/' + brushFiles::thumbnailFileName(id);
    const auto first = thumbs::beginRender(id);
    const auto second = thumbs::beginRender(id);
    EXPECT_FALSE(thumbs::writeIfCurrent(first, whiteImage(), path)) << "overtaken by the second";
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(thumbs::writeIfCurrent(second, whiteImage(), path));
    EXPECT_TRUE(QFile::exists(path));

    const auto third = thumbs::beginRender(id);
    thumbs::retire(id, path);
    EXPECT_FALSE(QFile::exists(path)) << "retiring removes the thumbnail";
    EXPECT_FALSE(thumbs::writeIfCurrent(third, whiteImage(), path));
    EXPECT_FALSE(thumbs::writeIfCurrent(thumbs::beginRender(id), whiteImage(), path));
    EXPECT_FALSE(QFile::exists(path));

    // Other brushes are not affected.
    const QUuid other = QUuid::createUuid();
    EXPECT_TRUE(thumbs::writeIfCurrent(thumbs::beginRender(other), whiteImage(),
                                       dir.path() + '/' + brushFiles::thumbnailFileName(other)));
}

TEST(BrushThumbnails, AWriteRacingTheRetirementOfItsBrushLeavesNoFile) {
    QTemporaryDir dir;
    const QImage image = whiteImage(QSize(64, 64));
    for (int round = 0; round < 200; ++round) {
        const QUuid id = QUuid::createUuid();
        const QString path = dir.path() + '/' + brushFiles::thumbnailFileName(id);
        const auto ticket = thumbs::beginRender(id);
        std::thread writer([&] { thumbs::writeIfCurrent(ticket, image, path); });
        if (round % 2) std::this_thread::yield();
        thumbs::retire(id, path);
        writer.join();
        ASSERT_FALSE(QFile::exists(path)) << "round " << round;
    }
}

TEST(BrushThumbnails, DeletingABrushRetiresItsThumbnail) {
    TestDrawingState t;
    ImportedGIMPBrush brush = storeBitmapBrush(t.brushStore, 2);
    t->importedGIMPBrushes = {brush};
    const QString path = t.brushStore + '/' + brushFiles::thumbnailFileName(brush.id);
    const auto ticket = thumbs::beginRender(brush.id);
    t->deleteGIMPBrush(brush);
    EXPECT_FALSE(thumbs::writeIfCurrent(ticket, whiteImage(), path));
    EXPECT_FALSE(QFile::exists(path));
    drainEvents();
}
