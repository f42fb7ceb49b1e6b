// Screenshot sizes, the crop to a pinned window, and the file's name and
// writing.
#include "capture/ScreenshotFile.h"
#include "capture/ScreenshotGeometry.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using platform::Rect;
using platform::Size;

TEST(CaptureSize, IsTheFrameTimesTheScaleTruncated) {
    EXPECT_EQ(captureSize(Size(1512, 982), 2), QSize(3024, 1964));
    EXPECT_EQ(captureSize(Size(1920, 1080), 1), QSize(1920, 1080));
    EXPECT_EQ(captureSize(Size(1366.5, 767.75), 1.5), QSize(2049, 1151));
    EXPECT_EQ(captureSize(Size(0, 900), 2), QSize(0, 1800));
    EXPECT_EQ(captureSize(Size(-10, 1e300), 2).width(), 0);
    EXPECT_GT(captureSize(Size(-10, 1e300), 2).height(), 0) << "clamped, not overflowed";
}

TEST(PinnedWindowCrop, EnclosesTheWindowInWholePixelsOnThePrimary) {
    // Primary 1440×900 at scale 2; a window at (100.25, 200.5) sized
    // 300.5 × 400.25 in y-up points: its top is at 900 − 600.75 = 299.25.
    const Rect display(0, 0, 1440, 900);
    const auto crop = pinnedWindowCrop(Rect(100.25, 200.5, 300.5, 400.25), 2, 900, display, QSize(2880, 1800));
    ASSERT_TRUE(crop);
    // x 200.5 → 200, right 200.5 + 601 = 801.5 → 802; y 598.5 → 598,
    // bottom 598.5 + 800.5 = 1399 → 1399.
    EXPECT_EQ(*crop, QRect(200, 598, 602, 801));
    // Whole points at scale 1 crop exactly.
    EXPECT_EQ(pinnedWindowCrop(Rect(100, 200, 300, 400), 1, 900, display, QSize(1440, 900)), QRect(100, 300, 300, 400));
}

TEST(PinnedWindowCrop, UsesTheCapturedDisplaysOwnOrigin) {
    // A second display right of the primary and higher: its window-list
    // frame starts at (1440, −300).
    const Rect second(1440, -300, 1920, 1200);
    // The window's top at y-up 1100 is window-list y 900 − 1100 = −200,
    // 100 points below the second display's top.
    const auto crop = pinnedWindowCrop(Rect(1500, 700, 400, 400), 1, 900, second, QSize(1920, 1200));
    EXPECT_EQ(crop, QRect(60, 100, 400, 400));
}

TEST(PinnedWindowCrop, IsClippedToTheImageAndAbsentWhenNothingIsLeft) {
    const Rect display(0, 0, 1440, 900);
    const QSize image(1440, 900);
    // Spanning past the right and top edges.
    EXPECT_EQ(pinnedWindowCrop(Rect(1300, 800, 400, 300), 1, 900, display, image), QRect(1300, 0, 140, 100));
    // Entirely on another display.
    EXPECT_FALSE(pinnedWindowCrop(Rect(1500, 100, 200, 200), 1, 900, display, image));
    // Touching the edge only.
    EXPECT_FALSE(pinnedWindowCrop(Rect(1440, 100, 200, 200), 1, 900, display, image));
    // No area.
    EXPECT_FALSE(pinnedWindowCrop(Rect(100, 100, 0, 200), 1, 900, display, image));
    // Unreasonable numbers give none rather than a wrapped rectangle.
    EXPECT_FALSE(pinnedWindowCrop(Rect(std::nan(""), 100, 200, 200), 1, 900, display, image));
    EXPECT_EQ(pinnedWindowCrop(Rect(-1e300, -1e300, 2e300, 2e300), 2, 900, display, image), QRect(QPoint(0, 0), image));
}

TEST(ScreenshotName, IsOverinkThenTheDateAndTimeThenJpg) {
    const QDateTime at(QDate(2025, 2, 3), QTime(9, 5, 7));
    EXPECT_EQ(proposedScreenshotName(at, QLocale::c()), "overink_20250203090507.jpg");
    EXPECT_EQ(proposedScreenshotName(at, QLocale(QLocale::German, QLocale::Germany)), "overink_20250203090507.jpg");
    EXPECT_EQ(proposedScreenshotName(QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59)), QLocale::c()),
              "overink_19991231235959.jpg");
}

TEST(ScreenshotFile, WritesAJpegAndReportsWhyItCouldNot) {
    QTemporaryDir dir;
    QImage image(64, 32, QImage::Format_RGB32);
    image.fill(QColor(40, 160, 60));
    const QString path = dir.filePath("shot.jpg");
    EXPECT_EQ(writeJPEG(image, path), std::nullopt);
    QImageReader reader(path);
    EXPECT_EQ(reader.format(), "jpeg");
    const QImage back = reader.read();
    EXPECT_EQ(back.size(), QSize(64, 32));
    EXPECT_NEAR(qGreen(back.pixel(10, 10)), 160, 6);

    const auto missingFolder = writeJPEG(image, dir.filePath("no/such/folder/shot.jpg"));
    ASSERT_TRUE(missingFolder);
    EXPECT_FALSE(missingFolder->isEmpty());
    // An existing file is kept whole when the new one cannot be written.
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    const auto readOnly = writeJPEG(image, path);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (readOnly) {
        EXPECT_EQ(QImageReader(path).read().size(), QSize(64, 32));
    }
    EXPECT_TRUE(writeJPEG(QImage(), dir.filePath("empty.jpg")));
    EXPECT_FALSE(QFile::exists(dir.filePath("empty.jpg")));
}
