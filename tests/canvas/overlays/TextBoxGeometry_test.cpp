// Where the text box's lines, caret and handles lie, and the frames that
// moving, resizing and rotating give it.

#include "canvas/overlays/TextBoxGeometry.h"
#include "canvas/overlays/TextEditing.h"
#include "geometry/TextLayout.h"

#include <gtest/gtest.h>

namespace {

constexpr double kEps = 1e-6;

void expectNear(QPointF a, QPointF b, double eps = kEps) {
    EXPECT_NEAR(a.x(), b.x(), eps);
    EXPECT_NEAR(a.y(), b.y(), eps);
}

TextBoxGeometry box(QRectF frame, QString text, double rotation = 0, double fontSize = 0) {
    TextBoxGeometry g;
    g.frame = frame;
    g.text = std::move(text);
    g.rotation = rotation;
    g.explicitFontSize = fontSize;
    return g;
}

} // namespace

TEST(TextBoxGeometry, TheCaretSitsOnTheLinesTheTextStrokeIsLaidOutIn) {
    const TextBoxGeometry g = box(QRectF(20, 30, 300, 150), QStringLiteral("Hello\n\nworld"));
    const TextLayout layout = layoutText(g.frame.topLeft(), g.frame.bottomRight(), g.text, QString(), 0, 0);
    ASSERT_EQ(layout.lines.size(), 2u);
    EXPECT_DOUBLE_EQ(g.fontSize(), layout.fontSize);
    TextEditing e;
    e.setText(g.text);
    // The end of each line is the end of its measured rectangle.
    const QRectF end0 = g.caretRect(e, 5);
    EXPECT_NEAR(end0.left(), layout.lines[0].rect.right(), 1e-6);
    EXPECT_NEAR(end0.top(), layout.lines[0].rect.top(), 1e-6);
    EXPECT_NEAR(end0.height(), layout.lines[0].rect.height(), 1e-6);
    const QRectF start2 = g.caretRect(e, 7);
    EXPECT_NEAR(start2.top(), layout.lines[1].rect.top(), 1e-6);
    EXPECT_NEAR(start2.left(), layout.lines[1].rect.left(), 1e-6);
    // The empty middle line keeps its place.
    EXPECT_NEAR(g.caretRect(e, 6).top(), g.lineTop(1), 1e-6);

    // A point maps back to the nearest position on its line.
    EXPECT_EQ(g.positionAt(e, QPointF(end0.left() + 3, end0.center().y())), 5);
    EXPECT_EQ(g.positionAt(e, QPointF(g.lineLeft() - 10, start2.center().y())), 7);
    EXPECT_EQ(g.positionAt(e, QPointF(end0.left(), g.frame.bottom() + 100)), 12); // below: the last line
    EXPECT_EQ(g.positionAt(e, QPointF(g.lineLeft(), g.frame.top() - 100)), 0);    // above: the first
}

TEST(TextBoxGeometry, APressAnywhereInALinesBandLandsOnThatLine) {
    // Each line owns the band from its top to the next line's top, so a
    // press on its lower part (below the glyphs' middle) stays on it.
    const TextBoxGeometry g = box(QRectF(20, 30, 300, 200), QStringLiteral("ab\ncd\nef"), 0, 20);
    TextEditing e;
    e.setText(g.text);
    const double step = g.lineTop(1) - g.lineTop(0);
    ASSERT_GT(step, 0);
    const double x = g.lineLeft(); // the start of whichever line is hit
    EXPECT_EQ(g.positionAt(e, QPointF(x, g.lineTop(0) + 0.1 * step)), 0);
    EXPECT_EQ(g.positionAt(e, QPointF(x, g.lineTop(0) + 0.6 * step)), 0);
    EXPECT_EQ(g.positionAt(e, QPointF(x, g.lineTop(0) + 0.95 * step)), 0);
    EXPECT_EQ(g.positionAt(e, QPointF(x, g.lineTop(1) - 0.01)), 0);
    EXPECT_EQ(g.positionAt(e, QPointF(x, g.lineTop(1))), 3);
    EXPECT_EQ(g.positionAt(e, QPointF(x, g.lineTop(1) + 0.95 * step)), 3);
    EXPECT_EQ(g.positionAt(e, QPointF(x, g.lineTop(2) + 0.7 * step)), 6);
    // Between the first line's top and the box's top: still the first line.
    EXPECT_EQ(g.positionAt(e, QPointF(x, g.lineTop(0) - 1)), 0);
}

TEST(TextBoxGeometry, HandlesAndTheBorderAreFoundUnderTheBoxRotation) {
    const QRectF frame(100, 100, 200, 80);
    const TextBoxGeometry flat = box(frame, QStringLiteral("a"));
    EXPECT_EQ(flat.partAt(QPointF(200, 140)), TextBoxPart::inside);
    EXPECT_EQ(flat.partAt(QPointF(102, 140)), TextBoxPart::border);
    EXPECT_EQ(flat.partAt(QPointF(96, 140)), TextBoxPart::border);
    EXPECT_EQ(flat.partAt(QPointF(90, 140)), TextBoxPart::none);
    EXPECT_EQ(flat.partAt(QPointF(300, 180)), TextBoxPart::bottomRight);
    EXPECT_EQ(flat.partAt(QPointF(100, 100)), TextBoxPart::topLeft);
    EXPECT_EQ(flat.partAt(QPointF(200, 100 - kTextBoxRotateHandleLift)), TextBoxPart::rotate);
    // A handle reaches 8 points around its centre, beyond the border band.
    EXPECT_EQ(flat.partAt(QPointF(92.1, 100)), TextBoxPart::topLeft);
    EXPECT_EQ(flat.partAt(QPointF(91.9, 100)), TextBoxPart::none);
    EXPECT_EQ(flat.partAt(QPointF(300, 187.9)), TextBoxPart::bottomRight);
    EXPECT_EQ(flat.partAt(QPointF(207.9, 100 - kTextBoxRotateHandleLift)), TextBoxPart::rotate);
    EXPECT_EQ(flat.partAt(QPointF(208.1, 100 - kTextBoxRotateHandleLift)), TextBoxPart::none);

    // Turned a quarter clockwise about (200, 140): the top edge faces right.
    const TextBoxGeometry turned = box(frame, QStringLiteral("a"), 90);
    EXPECT_EQ(turned.partAt(QPointF(240 + kTextBoxRotateHandleLift, 140)), TextBoxPart::rotate);
    EXPECT_EQ(turned.partAt(QPointF(120, 140)), TextBoxPart::none);
    EXPECT_EQ(turned.partAt(QPointF(160, 240)), TextBoxPart::bottomRight);
    EXPECT_EQ(turned.partAt(QPointF(200, 200)), TextBoxPart::inside); // outside the unturned frame
    EXPECT_EQ(turned.partAt(QPointF(280, 140)), TextBoxPart::none);   // inside it, outside the turned one
}

TEST(TextBoxGeometry, ResizingKeepsTheOppositeCornerAndAtLeast30ASide) {
    const QRectF frame(100, 100, 200, 80);
    EXPECT_EQ(resizedFrame(frame, 0, TextBoxPart::bottomRight, QPointF(350, 300)), QRectF(100, 100, 250, 200));
    EXPECT_EQ(resizedFrame(frame, 0, TextBoxPart::topLeft, QPointF(150, 20)), QRectF(150, 20, 150, 160));
    // Dragged past the opposite corner: the smallest box, on its side.
    EXPECT_EQ(resizedFrame(frame, 0, TextBoxPart::bottomRight, QPointF(0, 0)), QRectF(100, 100, 30, 30));
    EXPECT_EQ(resizedFrame(frame, 0, TextBoxPart::topRight, QPointF(50, 500)), QRectF(100, 150, 30, 30));

    for (double rotation : {30.0, -120.0}) {
        const QPointF pinned = anchorPoint(frame, rotation, QPointF(0, 0));
        const QRectF wanted = frameAnchoredAt(QSizeF(260, 150), rotation, QPointF(0, 0), pinned);
        const QPointF target = anchorPoint(wanted, rotation, QPointF(1, 1));
        const QRectF r = resizedFrame(frame, rotation, TextBoxPart::bottomRight, target);
        EXPECT_NEAR(r.width(), 260, 1e-6);
        EXPECT_NEAR(r.height(), 150, 1e-6);
        expectNear(anchorPoint(r, rotation, QPointF(0, 0)), pinned);
        expectNear(anchorPoint(r, rotation, QPointF(1, 1)), target);
    }
}

TEST(TextBoxGeometry, TheRotateHandleFollowsThePointerAroundTheCentre) {
    const QRectF frame(100, 100, 200, 80); // centre (200, 140)
    EXPECT_DOUBLE_EQ(rotationTowards(frame, QPointF(200, 0)), 0);
    EXPECT_DOUBLE_EQ(rotationTowards(frame, QPointF(300, 140)), 90);
    EXPECT_DOUBLE_EQ(rotationTowards(frame, QPointF(200, 300)), 180);
    EXPECT_DOUBLE_EQ(rotationTowards(frame, QPointF(100, 140)), -90);
    EXPECT_DOUBLE_EQ(rotationTowards(frame, QPointF(200, 140)), 0);
    // The handle then lies on the line from the centre to the pointer.
    const TextBoxGeometry g = box(frame, QString(), rotationTowards(frame, QPointF(260, 80)));
    const QPointF handle = g.transform().map(g.handleLocal(TextBoxPart::rotate));
    EXPECT_NEAR((handle.x() - 200) / (handle.y() - 140), (260.0 - 200) / (80 - 140), 1e-9);
}

TEST(TextBoxGeometry, AFollowingBoxIsAsWideAsItsTextAndAsHighAsItsLines) {
    const double fs = 54 / 1.3;
    const QSizeF empty = autoBoxSize(QString(), QString(), 0);
    EXPECT_DOUBLE_EQ(empty.width(), textBoxSize(QStringLiteral("M"), QString(), fs));
    EXPECT_DOUBLE_EQ(empty.height(), 70);
    const QSizeF hello = autoBoxSize(QStringLiteral("Hello"), QString(), 0);
    EXPECT_DOUBLE_EQ(hello.width(), textBoxSize(QStringLiteral("Hello"), QString(), fs));
    EXPECT_DOUBLE_EQ(hello.height(), 70);
    const QSizeF three = autoBoxSize(QStringLiteral("a\nbb\n"), QString(), 0);
    EXPECT_NEAR(three.height(), 3 * 54 + 16, 1e-9);
    // An explicit size: the box fits its lines at that size.
    EXPECT_DOUBLE_EQ(autoBoxSize(QStringLiteral("x\ny"), QString(), 100).height(), 2 * 130 + 16);
    EXPECT_DOUBLE_EQ(autoBoxSize(QStringLiteral("x"), QString(), 20).height(), 70);
    // At the fitted size, the text of a following box is drawn at 54 / 1.3.
    const TextBoxGeometry g = box(QRectF(QPointF(0, 0), three), QStringLiteral("a\nbb\n"));
    EXPECT_NEAR(g.fontSize(), fs, 1e-9);

    // Growing keeps the turned top-left corner where it was.
    const QRectF before(50, 60, 100, 70);
    const QPointF corner = anchorPoint(before, 40, QPointF(0, 0));
    const QRectF after = frameAnchoredAt(QSizeF(180, 124), 40, QPointF(0, 0), corner);
    expectNear(anchorPoint(after, 40, QPointF(0, 0)), corner);
    EXPECT_DOUBLE_EQ(after.width(), 180);
}

TEST(TextBoxGeometry, AFollowingBoxStaysWithinItsBoundsTurnedOrNot) {
    const QRectF bounds(0, 0, 1024, 576);
    // Unturned: grown from the top-left while there is room, then pushed
    // left from the right edge, and at most as wide as the bounds.
    EXPECT_EQ(followedTextFrame(QRectF(100, 50, 40, 70), 0, QSizeF(300, 70), bounds).frame, QRectF(100, 50, 300, 70));
    const FollowedTextFrame pushed = followedTextFrame(QRectF(900, 50, 40, 70), 0, QSizeF(300, 70), bounds);
    EXPECT_EQ(pushed.frame, QRectF(724, 50, 300, 70));
    EXPECT_FALSE(pushed.textFitted);
    const FollowedTextFrame capped = followedTextFrame(pushed.frame, 0, QSizeF(1500, 70), bounds);
    EXPECT_EQ(capped.frame, QRectF(0, 50, 1024, 70));
    EXPECT_TRUE(capped.textFitted);
    // Lines that reach past the bottom lift the box.
    EXPECT_EQ(followedTextFrame(QRectF(100, 500, 40, 70), 0, QSizeF(200, 124), bounds).frame,
              QRectF(100, 452, 200, 124));
    // Without bounds it grows freely.
    EXPECT_EQ(followedTextFrame(QRectF(900, 50, 40, 70), 0, QSizeF(300, 70), std::nullopt).frame,
              QRectF(900, 50, 300, 70));

    // Turned a quarter, its width runs down the screen: capped by the
    // height, its turned outline inside the bounds.
    const FollowedTextFrame upright = followedTextFrame(QRectF(400, 200, 40, 70), 90, QSizeF(2000, 70), bounds);
    EXPECT_TRUE(upright.textFitted);
    EXPECT_NEAR(upright.frame.width(), 576, kEps);
    TextLayout turn;
    turn.center = upright.frame.center();
    turn.rotationDegrees = 90;
    const QRectF outline = turn.transform().mapRect(upright.frame);
    EXPECT_TRUE(bounds.adjusted(-kEps, -kEps, kEps, kEps).contains(outline));
    // A chosen font size gives way only while the text is fitted.
    EXPECT_EQ(boxExplicitFontSize(60, false, QStringLiteral("wide wide wide"), QRectF(0, 0, 100, 70), QString()), 60);
    EXPECT_LT(boxExplicitFontSize(60, true, QStringLiteral("wide wide wide"), QRectF(0, 0, 100, 70), QString()), 60);
    EXPECT_EQ(boxExplicitFontSize(0, true, QStringLiteral("wide"), QRectF(0, 0, 100, 70), QString()), 0);
}
