#include "platform/SymbolIcon.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace {
// Every symbol name the program's views use: the tools' stored values, the
// two tool icons that differ from them, and the buttons' symbols.
const char* const kNames[] = {
    "hand.raised",
    "pencil",
    "scribble",
    "paintbrush",
    "paintbrush.pointed",
    "drop.halffull",
    "pencil.tip",
    "wand.and.sparkles",
    "paintbrush.pointed.fill",
    "line.diagonal",
    "arrow.up.right",
    "rectangle",
    "circle",
    "triangle",
    "diamond",
    "pentagon",
    "hexagon",
    "octagon",
    "seal",
    "star",
    "textformat",
    "eraser",
    "beziercurve",
    "eye",
    "eye.fill",
    "eye.slash",
    "eye.slash.fill",
    "lock.fill",
    "lock.open.fill",
    "pin.circle",
    "scope",
    "camera.viewfinder",
    "arrow.uturn.backward",
    "arrow.uturn.forward",
    "trash",
    "xmark",
    "xmark.circle.fill",
    "chevron.down",
    "chevron.right",
    "checkmark",
    "plus",
    "questionmark.circle",
    "info.circle",
    "power",
    "square.and.arrow.down",
    "pencil.tip.crop.circle",
    "lineweight",
};

// Share of the square the symbol covers at 13 px.
double coverage(const QImage& img) {
    int painted = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) painted += qAlpha(img.pixel(x, y)) > 64;
    return double(painted) / (img.width() * img.height());
}
} // namespace

TEST(SymbolIcon, EveryNameResolvesAndIsLegibleAt13Pixels) {
    for (const char* name : kNames) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(platform::hasSymbol(name));
        const QImage img = platform::symbolPixmap(name, QSize(13, 13), Qt::black).toImage();
        ASSERT_EQ(img.size(), QSize(13, 13));
        const double c = coverage(img);
        EXPECT_GT(c, 0.08);
        EXPECT_LT(c, 0.85);
    }
}

TEST(SymbolIcon, TintedAtDrawTimeAndUnknownNamesDrawNothing) {
    const QImage img = platform::symbolPixmap("trash", QSize(26, 26), QColor(255, 59, 48), 2.0).toImage();
    EXPECT_EQ(img.size(), QSize(52, 52));
    int opaque = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qAlpha(img.pixel(x, y)) == 255) {
                ++opaque;
                EXPECT_EQ(QColor(img.pixel(x, y)), QColor(255, 59, 48));
            }
    EXPECT_GT(opaque, 0);

    EXPECT_FALSE(platform::hasSymbol("no.such.symbol"));
    EXPECT_FALSE(platform::hasSymbol("../symbols/trash"));
    EXPECT_TRUE(platform::symbolPixmap("no.such.symbol", QSize(13, 13), Qt::black).isNull());
    EXPECT_TRUE(platform::symbolIcon("no.such.symbol").isNull());
    EXPECT_FALSE(platform::symbolIcon("star").isNull());
}
