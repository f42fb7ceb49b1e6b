#include "geometry/TextLayout.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>

namespace {

const QString kLine = QStringLiteral("Hello annotation");

// Paints a layout the way the text painter does: the reference font under
// the layout's rotation and a scale to the font size, baselines at ascent.
QRect paintedPixels(const TextLayout& layout, QSize canvas) {
    QImage img(canvas, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.setTransform(layout.transform());
        p.setFont(layout.font);
        p.setPen(Qt::black);
        for (const auto& line : layout.lines) {
            p.save();
            p.translate(line.rect.left(), line.rect.top() + layout.ascent);
            p.scale(layout.scale, layout.scale);
            p.drawText(QPointF(0, 0), line.text);
            p.restore();
        }
    }
    QRect bounds;
    for (int y = 0; y < img.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            if (qAlpha(row[x]) > 0) bounds |= QRect(x, y, 1, 1);
        }
    }
    return bounds;
}

} // namespace

TEST(TextSize, FitsTheWidestLineOrTheLineCount) {
    const double w12 = measureTextLine(kLine, QString(), 12).width();
    ASSERT_GT(w12, 20);
    // Box 216 × 96: inner 200 × 80; the height alone would allow 80 / 1.3.
    const double wFit = 200 * 12 / w12;
    EXPECT_NEAR(textSize(kLine, 200, 80, QString()), std::min(wFit, 80 / 1.3), 1e-9);
    EXPECT_NEAR(textSize(QStringLiteral("i"), 200, 80, QString()), 80 / 1.3, 1e-9);
    // Two lines in an inner height of 13 fit at 5, raised to 6.
    EXPECT_EQ(textSize(QStringLiteral("a\nb"), 200, 13, QString()), 6);
    // An empty text has one line and no width: the height decides.
    EXPECT_NEAR(textSize(QString(), 200, 26, QString()), 20, 1e-9);
    EXPECT_EQ(textSize(kLine, 1, 1, QString()), 6);
}

TEST(TextSize, MeasuresLinearlyWithTheSize) {
    const QSizeF at12 = measureTextLine(kLine, QString(), 12);
    const QSizeF at30 = measureTextLine(kLine, QString(), 30);
    EXPECT_NEAR(at30.width(), at12.width() * 2.5, 1e-9);
    EXPECT_NEAR(at30.height(), at12.height() * 2.5, 1e-9);
    EXPECT_GT(at12.height(), 10);
}

TEST(TextSize, AFontThatIsNotInstalledFallsBackToTheSystemFont) {
    const QString missing = QStringLiteral("No Such Font Family 7f3a");
    EXPECT_EQ(measureTextLine(kLine, missing, 12), measureTextLine(kLine, QString(), 12));
    EXPECT_EQ(textSize(kLine, 200, 80, missing), textSize(kLine, 200, 80, QString()));
    EXPECT_EQ(resolvedTextFont(missing).family(), resolvedTextFont(QString()).family());
}

TEST(TextBoxSize, AddsEighteenToTheWidestLine) {
    const double wide = measureTextLine("abcdef", "", 20).width();
    EXPECT_GT(wide, 20);
    EXPECT_DOUBLE_EQ(textBoxSize("ab\nabcdef\n", "", 20), wide + 18);
    EXPECT_DOUBLE_EQ(textBoxSize("", "", 20), 18);
    EXPECT_DOUBLE_EQ(textBoxSize("abc", "No Such Font Family 7", 20), textBoxSize("abc", "", 20));
    EXPECT_NEAR(textBoxSize("M", "", 40) - 18, 2 * (textBoxSize("M", "", 20) - 18), 1e-9);
}

TEST(RotatePoint, UndoesTheDrawnRotation) {
    EXPECT_EQ(rotatePoint({3, 4}, {0, 0}, 0), QPointF(3, 4));
    const QPointF r = rotatePoint({10, 0}, {0, 0}, 90);
    EXPECT_NEAR(r.x(), 0, 1e-12);
    EXPECT_NEAR(r.y(), -10, 1e-12);
    // The layout's transform draws the rotation that rotatePoint undoes.
    TextLayout layout;
    layout.center = {50, 20};
    layout.rotationDegrees = 37;
    const QPointF drawn = layout.transform().map(QPointF(80, 25));
    const QPointF back = rotatePoint(drawn, layout.center, 37);
    EXPECT_NEAR(back.x(), 80, 1e-9);
    EXPECT_NEAR(back.y(), 25, 1e-9);
}

TEST(TextLayout, LinesStartAtTheBoxCornerAndStepByOnePointThreeSizes) {
    const auto layout = layoutText({100, 50}, {400, 250}, QStringLiteral("first\n\nthird"), QString(), 20, 0);
    ASSERT_EQ(layout.lines.size(), 2u); // the empty line keeps its place
    EXPECT_EQ(layout.lines[0].index, 0);
    EXPECT_EQ(layout.lines[1].index, 2);
    EXPECT_EQ(layout.lines[0].rect.topLeft(), QPointF(104, 54));
    EXPECT_DOUBLE_EQ(layout.lines[1].rect.top() - layout.lines[0].rect.top(), 2 * 1.3 * 20);
    EXPECT_NEAR(layout.lines[0].rect.width(), measureTextLine(QStringLiteral("first"), QString(), 20).width(), 1e-9);
    // An explicit size is kept even when the text overflows its box.
    EXPECT_EQ(layoutText({0, 0}, {40, 40}, kLine, QString(), 30, 0).fontSize, 30);
}

TEST(TextLayout, HitsOnlyTheMeasuredLines) {
    const auto layout = layoutText({100, 50}, {400, 250}, QStringLiteral("first\n\nthird"), QString(), 20, 0);
    const QRectF first = layout.lines[0].rect;
    EXPECT_TRUE(layout.contains(first.center()));
    EXPECT_TRUE(layout.contains(first.topLeft()));                      // min edges inside
    EXPECT_FALSE(layout.contains({first.right(), first.center().y()})); // max edges outside
    EXPECT_FALSE(layout.contains({first.center().x(), first.bottom()}));
    EXPECT_FALSE(layout.contains({first.right() + 20, first.center().y()})); // right of a short line
    EXPECT_FALSE(layout.contains({102, 52}));                                // the margin
    // The empty middle line is never hit.
    EXPECT_FALSE(layout.contains({first.left() + 2, 54 + 1.3 * 20 + 5}));
    EXPECT_TRUE(layout.contains(layout.lines[1].rect.center()));

    EXPECT_FALSE(layoutText({0, 0}, {300, 100}, QString(), QString(), 20, 0).contains({10, 10}));
}

TEST(TextLayout, ARotatedStrokeIsHitWhereItsTextIsDrawn) {
    const auto layout = layoutText({100, 100}, {400, 160}, kLine, QString(), 24, 90);
    ASSERT_EQ(layout.lines.size(), 1u);
    const QRectF line = layout.lines[0].rect;
    const QPointF drawn = layout.transform().map(line.center());
    EXPECT_TRUE(layout.contains(drawn));
    // Where the unrotated text would be, nothing is drawn any more (the
    // point is off the rotated column).
    const QPointF unrotatedFarEnd(line.right() - 5, line.center().y());
    EXPECT_FALSE(layout.contains(unrotatedFarEnd));
    // 90 degrees turns the line into a column through the box centre.
    EXPECT_NEAR(drawn.x(), 250 - (line.center().y() - 130), 1e-9);
}

TEST(TextLayout, PaintedTextStaysInsideItsInkExtentAndFillsIt) {
    for (double rotation : {0.0, 30.0, -120.0}) {
        const auto layout =
            layoutText({60, 60}, {360, 200}, QStringLiteral("Quick fjord\nglyphs"), QString(), 0, rotation);
        const QRectF extent = layout.inkExtent();
        const QRect painted = paintedPixels(layout, QSize(460, 320));
        ASSERT_FALSE(painted.isEmpty()) << rotation;
        EXPECT_TRUE(extent.adjusted(-1, -1, 1, 1).contains(QRectF(painted))) << rotation;
        // A loose bound would make the cached canvas repaint too much.
        EXPECT_GT(painted.width() * painted.height(), 0.75 * extent.width() * extent.height()) << rotation;
    }
    EXPECT_TRUE(layoutText({0, 0}, {100, 100}, QString(), QString(), 0, 0).inkExtent().isNull());
}
