// The application icon: its drawing renders sharp at the sizes the desktop
// asks for, and a missing or broken drawing gives an empty icon.
#include "panels/ApplicationIcon.h"

#include "platform/Bundle.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// How many pixels are more than half opaque.
int opaquePixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 128) ++count;
    return count;
}

} // namespace

TEST(ApplicationIcon, RendersTheDrawingAtSmallMiddleAndLargeSizes) {
    const QString file = ApplicationIcon::path(platform::Bundle::main());
    ASSERT_FALSE(file.isEmpty()) << "icons/overink.svg is missing from the resources";
    for (const int side : {16, 32, 256}) {
        SCOPED_TRACE(side);
        const QImage image = ApplicationIcon::render(file, side);
        ASSERT_EQ(image.size(), QSize(side, side));
        // A rounded tile: the corners stay clear, the centre is covered.
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
        EXPECT_EQ(qAlpha(image.pixel(side - 1, side - 1)), 0);
        EXPECT_EQ(qAlpha(image.pixel(side / 2, side / 2)), 255);
        EXPECT_GT(opaquePixels(image), side * side * 3 / 4);
        // Drawn, not a flat square: the pen and stroke show in other colours.
        const QRgb tile = image.pixel(side / 4, side / 4);
        bool other = false;
        for (int y = 0; y < side && !other; ++y)
            for (int x = 0; x < side && !other; ++x) {
                const QRgb p = image.pixel(x, y);
                if (qAlpha(p) == 255 && std::abs(qRed(p) - qRed(tile)) + std::abs(qGreen(p) - qGreen(tile)) > 120)
                    other = true;
            }
        EXPECT_TRUE(other);
    }
}

TEST(ApplicationIcon, TheWindowIconHoldsEveryRendition) {
    const QIcon icon = ApplicationIcon::icon(platform::Bundle::main());
    ASSERT_FALSE(icon.isNull());
    const QList<QSize> sizes = icon.availableSizes();
    for (const int side : ApplicationIcon::kRenditionSizes) EXPECT_TRUE(sizes.contains(QSize(side, side))) << side;
}

TEST(ApplicationIcon, MissingOrBrokenDrawingGivesNothing) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const platform::Bundle empty(dir.path(), std::nullopt, std::nullopt);
    EXPECT_TRUE(ApplicationIcon::path(empty).isEmpty());
    EXPECT_TRUE(ApplicationIcon::icon(empty).isNull());

    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("icons")));
    QFile broken(dir.filePath(QStringLiteral("icons/overink.svg")));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("<svg not really");
    broken.close();
    EXPECT_TRUE(ApplicationIcon::render(broken.fileName(), 32).isNull());
    EXPECT_TRUE(ApplicationIcon::icon(empty).isNull());
    EXPECT_TRUE(ApplicationIcon::render(ApplicationIcon::path(platform::Bundle::main()), 0).isNull());
}
