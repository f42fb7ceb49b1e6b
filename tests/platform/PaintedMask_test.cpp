#include "platform/PaintedMask.h"

#include <QPainter>
#include <QRegion>

#include <gtest/gtest.h>

#include <random>

using platform::PaintedMask;

namespace {

QRegion regionOf(const std::vector<QRect>& rects) {
    QRegion r;
    for (const QRect& rect : rects) r += rect;
    return r;
}

// Every pixel of the image that is not fully transparent.
QRegion paintedPixels(const QImage& image) {
    QRegion r;
    for (int y = 0; y < image.height(); ++y) {
        int start = -1;
        for (int x = 0; x <= image.width(); ++x) {
            const bool on = x < image.width() && qAlpha(image.pixel(x, y)) != 0;
            if (on && start < 0) start = x;
            if (!on && start >= 0) {
                r += QRect(start, y, x - start, 1);
                start = -1;
            }
        }
    }
    return r;
}

} // namespace

TEST(PaintedMask, TheTurnedPixelsKeepAShapeEqualToWhatIsPainted) {
    QImage image(300, 200, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    PaintedMask mask;
    QRegion shape; // as the server would hold it
    std::mt19937 rng(17);
    const auto any = [&](int n) { return std::uniform_int_distribution<int>(0, n)(rng); };
    for (int step = 0; step < 200; ++step) {
        // A stroke drawn, or an area cleared (an undo), sometimes left
        // unchanged; the repaint covers it and a little more.
        QRect changed(any(280), any(180), 1 + any(80), 1 + any(60));
        {
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing);
            if (any(3) == 0) {
                p.setCompositionMode(QPainter::CompositionMode_Clear);
                p.fillRect(changed, Qt::transparent);
            } else if (any(4) != 0) {
                p.setPen(QPen(QColor(200, 0, 0, 40 + any(200)), 1 + any(12)));
                p.drawLine(changed.topLeft(), changed.bottomRight());
                p.drawEllipse(changed);
            }
        }
        std::vector<QRect> painted, cleared;
        const QRect dirty = changed.adjusted(-15, -15, 15, 15);
        // Either in one piece or in two overlapping ones.
        if (step % 3 == 0) {
            mask.update(image, dirty, painted, cleared);
        } else {
            mask.update(image, dirty.adjusted(0, 0, -dirty.width() / 2 + 3, 0), painted, cleared);
            mask.update(image, dirty.adjusted(dirty.width() / 2, 0, 0, 0), painted, cleared);
        }
        const QRegion added = regionOf(painted), removed = regionOf(cleared);
        // Only pixels that really turned, and none twice.
        EXPECT_TRUE((added & shape).isEmpty()) << "step " << step;
        EXPECT_TRUE((removed - shape).isEmpty()) << "step " << step;
        EXPECT_TRUE((added & removed).isEmpty()) << "step " << step;
        shape = (shape | added) - removed;
        ASSERT_TRUE((shape ^ paintedPixels(image)).isEmpty()) << "step " << step;
    }
}

TEST(PaintedMask, ARepaintThatChangedNothingVisibleTurnsNothingAndRowsMerge) {
    QImage image(200, 100, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter(&image).fillRect(QRect(10, 10, 50, 30), QColor(0, 0, 255, 128));
    PaintedMask mask;
    std::vector<QRect> painted, cleared;
    mask.update(image, image.rect(), painted, cleared);
    EXPECT_EQ(painted, (std::vector<QRect>{QRect(10, 10, 50, 30)})) << "one rectangle for equal rows";
    EXPECT_TRUE(cleared.empty());

    // Repainted in another colour: the same pixels stay painted.
    QPainter(&image).fillRect(QRect(10, 10, 50, 30), QColor(255, 0, 0));
    painted.clear();
    mask.update(image, QRect(0, 0, 100, 100), painted, cleared);
    EXPECT_TRUE(painted.empty());
    EXPECT_TRUE(cleared.empty());

    // An image of another size starts from nothing painted.
    QImage other(50, 50, QImage::Format_RGB32);
    mask.update(other, other.rect(), painted, cleared);
    EXPECT_EQ(painted, (std::vector<QRect>{QRect(0, 0, 50, 50)})) << "no alpha: every pixel painted";
}
