// The theme's colours from light and dark palettes, the symbol size mapping,
// sharp symbols at fractional pixel ratios, and the opening-direction table.
#include "ui/PanelOpenDirection.h"
#include "ui/Theme.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

QPalette palette(QColor window, QColor text, QColor highlight) {
    QPalette p;
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Highlight, highlight);
    return p;
}

// The symbol drawn into a transparent image of the given pixel ratio, its
// frame starting at a logical offset.
QImage drawn(double dpr, QPointF offset) {
    QImage image(QSize(64, 64) * dpr, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::transparent);
    QPainter p(&image);
    ui::drawSymbol(p, QRectF(offset, QSizeF(24, 24)), "scribble", Color::black(), 13);
    return image;
}

// The smallest image holding every painted pixel.
QImage painted(const QImage& image) {
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y))) box |= QRect(x, y, 1, 1);
    return image.copy(box);
}

} // namespace

TEST(Theme, LightAndDarkPalettesGiveTheirOwnColours) {
    const auto light = ui::Theme::fromPalette(palette(QColor(239, 239, 239), Qt::black, QColor(48, 140, 198)), true);
    const auto dark = ui::Theme::fromPalette(palette(QColor(40, 40, 40), Qt::white, QColor(42, 130, 218)), true);
    EXPECT_FALSE(light.dark);
    EXPECT_TRUE(dark.dark);
    EXPECT_EQ(light.primary, Color::black());
    EXPECT_EQ(dark.primary, Color::white());
    // Softer shades of the text colour, the accent from the highlight.
    EXPECT_LT(light.secondary.a, 1);
    EXPECT_LT(light.tertiary.a, light.secondary.a);
    EXPECT_EQ(light.secondary.withAlpha(1), light.primary);
    EXPECT_NEAR(light.accent.b, 198 / 255.0, 1e-3);
    // The named tints brighten a little in the dark.
    EXPECT_NE(light.orange, dark.orange);
    EXPECT_EQ(light.red, Color::red());
    EXPECT_EQ(light.color(ui::ThemeColor::purple), light.purple);
}

TEST(Theme, TheMaterialIsOpaqueWithoutACompositingManager) {
    const QPalette p = palette(QColor(239, 239, 239), Qt::black, Qt::blue);
    const auto composited = ui::Theme::fromPalette(p, true);
    const auto bare = ui::Theme::fromPalette(p, false);
    EXPECT_GT(composited.material.a, 0.85);
    EXPECT_LT(composited.material.a, 1);
    EXPECT_EQ(bare.material.a, 1);
    EXPECT_EQ(bare.material.withAlpha(0), composited.material.withAlpha(0));
}

TEST(Theme, SymbolsGrowWithTheirPointSizeAndWeight) {
    EXPECT_EQ(ui::symbolBoxSide(13), 16);
    EXPECT_LT(ui::symbolBoxSide(12), ui::symbolBoxSide(13));
    EXPECT_LE(ui::symbolBoxSide(7), ui::symbolBoxSide(7, ui::SymbolWeight::semibold));
    EXPECT_LT(ui::symbolBoxSide(7, ui::SymbolWeight::semibold), 10) << "the chevron fits its 10-point column";
    const QRectF box = ui::symbolRect(QRectF(0, 0, 24, 24), 13);
    EXPECT_EQ(box.center(), QPointF(12, 12));
    EXPECT_EQ(ui::font(ui::TextStyle::caption2).pixelSize(), 10);
}

TEST(Theme, SymbolsLandOnWholeDevicePixelsAtEveryRatio) {
    for (double dpr : {1.0, 1.5, 2.0}) {
        // Frames at fractional positions draw the very same pixels as one at
        // a whole position: nothing is smeared between device pixels.
        const QImage reference = painted(drawn(dpr, QPointF(10, 10)));
        ASSERT_FALSE(reference.isNull());
        for (QPointF offset : {QPointF(10.3, 10.7), QPointF(11.5, 9.25)})
            EXPECT_EQ(painted(drawn(dpr, offset)), reference) << "ratio " << dpr << " at " << offset.x();

        QImage image(QSize(10, 10), QImage::Format_ARGB32);
        image.setDevicePixelRatio(dpr);
        QPainter p(&image);
        p.translate(0.3, 0);
        const QRectF snapped = ui::snapToDevicePixels(p, QRectF(1.1, 2.2, 3.3, 1));
        for (double v : {(snapped.left() + 0.3) * dpr, snapped.top() * dpr, snapped.width() * dpr})
            EXPECT_DOUBLE_EQ(v, std::round(v));
    }
}

TEST(PanelOpenDirection, PanelsOpenTowardsTheScreensInterior) {
    using D = PanelOpenDirection;
    using P = ToolbarDockPosition;
    const std::pair<P, D> table[] = {
        {P::topCenterH, D::below},    {P::topLeftH, D::below},      {P::topRightH, D::below},
        {P::topLeftV, D::toRight},    {P::topRightV, D::toLeft},    {P::middleLeftV, D::toRight},
        {P::middleRightV, D::toLeft}, {P::bottomLeftV, D::toRight}, {P::bottomRightV, D::toLeft},
        {P::bottomCenterH, D::above}, {P::bottomLeftH, D::above},   {P::bottomRightH, D::above},
    };
    for (const auto& [position, direction] : table)
        EXPECT_EQ(panelOpenDirection(position), direction) << rawValueText(position).toStdString();
}
