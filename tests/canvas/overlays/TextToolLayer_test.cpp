// The text tool layer on a canvas: opening, typing into, moving, resizing,
// turning and committing the text box, and what the committed text looks
// like next to the box it was typed in.

#include "canvas/StrokePainters.h"
#include "canvas/overlays/TextBoxOverlay.h"
#include "canvas/overlays/TextToolLayer.h"
#include "model/StrokeText.h"
#include "platform/Application.h"
#include "support/CanvasFixture.h"
#include "support/RenderTestUtil.h"
#include "support/TestStrokes.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>

#include <cmath>

using namespace testing_support;

namespace {

constexpr double kNewBoxFontSize = 54 / 1.3;

struct TextTool : CanvasFixture {
    TextTool() : CanvasFixture(QSize(600, 400)) {
        canvas.setOverlayFactory(std::make_shared<TextOnlyFactory>());
        canvas.show();
        s.selectedTool = DrawingTool::text;
        drainEvents();
    }

    // Makes the real text tool layer, and no other overlay.
    struct TextOnlyFactory : RecordingOverlayFactory {
        std::unique_ptr<CanvasOverlay> makeTextToolLayer(DrawingState& state, TextBox& box, Action onCommit,
                                                         QWidget* parent) override {
            return ::makeTextToolLayer(state, box, std::move(onCommit), parent);
        }
    };

    TextToolLayer* layer() const { return canvas.findChild<TextToolLayer*>(); }
    TextBoxOverlay* box() const {
        TextToolLayer* l = layer();
        return l ? l->boxOverlay() : nullptr;
    }

    // Pointer events as the window delivers them: to the widget on top,
    // from where an ignored one goes on to the canvas.
    void mouse(QEvent::Type type, QPointF at, Qt::MouseButton button, Qt::MouseButtons buttons,
               Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QWidget* target = box() ? static_cast<QWidget*>(box()) : static_cast<QWidget*>(layer());
        QMouseEvent e(type, at, canvas.mapToGlobal(at), button, buttons, mods);
        QCoreApplication::sendEvent(target, &e);
        drainEvents();
    }
    void pointerDrag(QPointF from, QPointF to, Qt::MouseButton button = Qt::LeftButton) {
        mouse(QEvent::MouseButtonPress, from, button, button);
        for (int i = 1; i <= 5; ++i) mouse(QEvent::MouseMove, from + (to - from) * (i / 5.0), Qt::NoButton, button);
        mouse(QEvent::MouseButtonRelease, to, button, Qt::NoButton);
    }
    void tap(QPointF at) {
        mouse(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
        mouse(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
    }
    void type(const QString& text) {
        for (QChar c : text) {
            QKeyEvent e(QEvent::KeyPress, c == QLatin1Char('\n') ? Qt::Key_Return : 0, Qt::NoModifier,
                        c == QLatin1Char('\n') ? QString() : QString(c));
            QCoreApplication::sendEvent(box(), &e);
        }
        drainEvents();
    }
    void key(int k, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QKeyEvent e(QEvent::KeyPress, k, mods);
        QCoreApplication::sendEvent(box(), &e);
        drainEvents();
    }
    // A box placed by a click at `at`, with `text` typed into it.
    void openWith(QPointF at, const QString& text) {
        click(at);
        ASSERT_TRUE(box());
        type(text);
    }
    const TextBox& textBox() { return canvas.textBox(); }
};

// Pixels of `a` and `b` inside `area` (canvas coordinates, turned by the
// box) whose colours differ by more than antialiasing does.
int differingPixels(const QImage& a, const QImage& b, const QRectF& area, double rotation) {
    int n = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QPointF local = rotatePoint(QPointF(x + 0.5, y + 0.5), area.center(), rotation);
            if (!area.contains(local)) continue;
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            const int d = std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                    std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
            n += d > 40;
        }
    }
    return n;
}

} // namespace

TEST_F(TextTool, AClickOpensABoxForOneMThatGrowsWithItsText) {
    click({200, 200});
    ASSERT_TRUE(textBox().isActive());
    EXPECT_TRUE(s.isTextEditing.get());
    const double w = textBoxSize(QStringLiteral("M"), QString(), kNewBoxFontSize);
    EXPECT_EQ(textBox().frame(), QRectF(200 - w / 2, 165, w, 70));
    ASSERT_TRUE(box());
    EXPECT_TRUE(box()->followsText());

    type(QStringLiteral("Hello"));
    EXPECT_EQ(textBox().pendingText(), QStringLiteral("Hello"));
    EXPECT_DOUBLE_EQ(textBox().frame().left(), 200 - w / 2);
    EXPECT_DOUBLE_EQ(textBox().frame().top(), 165);
    EXPECT_DOUBLE_EQ(textBox().frame().width(), textBoxSize(QStringLiteral("Hello"), QString(), kNewBoxFontSize));
    EXPECT_DOUBLE_EQ(textBox().frame().height(), 70);
    type(QStringLiteral("\nWorld"));
    EXPECT_EQ(textBox().pendingText(), QStringLiteral("Hello\nWorld"));
    EXPECT_NEAR(textBox().frame().height(), 2 * 54 + 16, 1e-9);
    // Shown at the size the stroke will get.
    EXPECT_NEAR(box()->boxGeometry().fontSize(), kNewBoxFontSize, 1e-9);
}

TEST_F(TextTool, ARightDragOpensABoxOfTheDraggedRectangleAndCommitsTheOpenOne) {
    pointerDrag({400, 180}, {300, 100}, Qt::RightButton);
    ASSERT_TRUE(textBox().isActive());
    EXPECT_EQ(textBox().frame(), QRectF(300, 100, 100, 80));
    EXPECT_TRUE(textBox().pendingText().isEmpty());
    EXPECT_EQ(textBox().pendingRotation(), 0);
    EXPECT_TRUE(s.isTextEditing.get());
    EXPECT_FALSE(layer()->rightDragPreview());
    ASSERT_TRUE(box());
    EXPECT_FALSE(box()->followsText()) << "a dragged box keeps its size";
    type(QStringLiteral("Old"));
    EXPECT_EQ(textBox().frame(), QRectF(300, 100, 100, 80));

    // A right click opens nothing and leaves the box alone.
    pointerDrag({50, 50}, {53, 52}, Qt::RightButton);
    EXPECT_EQ(textBox().frame(), QRectF(300, 100, 100, 80));
    EXPECT_EQ(count(), 0u);

    // The preview follows the drag; the release commits "Old" first.
    mouse(QEvent::MouseButtonPress, {20, 20}, Qt::RightButton, Qt::RightButton);
    mouse(QEvent::MouseMove, {120, 90}, Qt::NoButton, Qt::RightButton);
    ASSERT_TRUE(layer()->rightDragPreview());
    EXPECT_EQ(*layer()->rightDragPreview(), QRectF(20, 20, 100, 70));
    mouse(QEvent::MouseButtonRelease, {120, 90}, Qt::RightButton, Qt::NoButton);
    ASSERT_EQ(count(), 1u);
    EXPECT_EQ(s.strokes->front().text, QStringLiteral("Old"));
    EXPECT_EQ(s.strokes->front().startPoint, QPointF(300, 100));
    EXPECT_EQ(s.strokes->front().displayID, 1u);
    EXPECT_TRUE(textBox().isActive());
    EXPECT_EQ(textBox().frame(), QRectF(20, 20, 100, 70));
    EXPECT_TRUE(textBox().pendingText().isEmpty());
}

TEST_F(TextTool, WithAnotherToolOnlyAnOpenBoxKeepsTheLayer) {
    s.selectedTool = DrawingTool::pen;
    drainEvents();
    EXPECT_FALSE(layer());
    canvas.textBox().open(QRectF(10, 10, 100, 70), QStringLiteral("x"), 0);
    drainEvents();
    ASSERT_TRUE(layer());
    EXPECT_TRUE(box());
    EXPECT_FALSE(box()->followsText()) << "a reopened text keeps its box";
}

TEST_F(TextTool, HoverMovesOverTheLayerAndTheBoxReachTheCanvas) {
    mouse(QEvent::MouseMove, {40, 50}, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(canvas.eraserCursorLocation(), QPointF(40, 50));
    click({200, 200});
    ASSERT_TRUE(box());
    mouse(QEvent::MouseMove, {500, 300}, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(canvas.eraserCursorLocation(), QPointF(500, 300));
    mouse(QEvent::MouseMove, {200, 200}, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(canvas.eraserCursorLocation(), QPointF(200, 200));
    EXPECT_EQ(box()->cursor().shape(), Qt::IBeamCursor);
}

TEST_F(TextTool, KeysEditAtTheCaret) {
    openWith({200, 200}, QStringLiteral("Hello"));
    key(Qt::Key_Left);
    key(Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(box()->editing().selectedText(), QStringLiteral("l"));
    key(Qt::Key_Backspace);
    EXPECT_EQ(textBox().pendingText(), QStringLiteral("Helo"));
    key(Qt::Key_Home);
    key(Qt::Key_Delete);
    EXPECT_EQ(textBox().pendingText(), QStringLiteral("elo"));
    key(Qt::Key_End);
    type(QStringLiteral("\ne"));
    key(Qt::Key_Up);
    EXPECT_EQ(box()->editing().cursor(), 1) << "straight up from after \"e\"";
    key(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(box()->editing().selectedText(), QStringLiteral("lo\ne"));
    key(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(box()->editing().cursor(), 0);
    // Unprintable text and Tab are not typed.
    QKeyEvent control(QEvent::KeyPress, Qt::Key_B, Qt::ControlModifier, QStringLiteral("\x02"));
    QCoreApplication::sendEvent(box(), &control);
    key(Qt::Key_Tab);
    EXPECT_EQ(textBox().pendingText(), QStringLiteral("elo\ne"));
}

TEST_F(TextTool, CopyPasteCutAndSelectAllReachTheFocusedBox) {
    openWith({200, 200}, QStringLiteral("one"));
    canvas.activateWindow();
    ASSERT_TRUE(waitUntil([&] { return canvas.isActiveWindow(); }));
    ASSERT_EQ(QApplication::focusWidget(), box()) << "an opened box takes the keyboard";
    auto& app = platform::Application::shared();
    EXPECT_TRUE(app.sendEditAction(platform::EditAction::selectAll));
    EXPECT_TRUE(app.sendEditAction(platform::EditAction::copy));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("one"));
    QGuiApplication::clipboard()->setText(QStringLiteral("two\r\nthree"));
    EXPECT_TRUE(app.sendEditAction(platform::EditAction::paste));
    EXPECT_EQ(textBox().pendingText(), QStringLiteral("two\nthree"));
    key(Qt::Key_Home, Qt::ControlModifier);
    key(Qt::Key_End, Qt::ShiftModifier);
    EXPECT_TRUE(app.sendEditAction(platform::EditAction::cut));
    EXPECT_EQ(textBox().pendingText(), QStringLiteral("\nthree"));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("two"));
    // Ctrl+V typed into the box itself pastes as well.
    key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(textBox().pendingText(), QStringLiteral("two\nthree"));
}

TEST_F(TextTool, ComposedTextIsShownWhileComposingAndTypedOnCommit) {
    openWith({200, 200}, QStringLiteral("caf"));
    QInputMethodEvent compose(QStringLiteral("\u00b4"), {});
    QCoreApplication::sendEvent(box(), &compose);
    EXPECT_EQ(textBox().pendingText(), QStringLiteral("caf")) << "a composition is not text yet";
    EXPECT_EQ(box()->boxGeometry().text, QStringLiteral("caf\u00b4"));
    QInputMethodEvent done;
    done.setCommitString(QStringLiteral("\u00e9"));
    QCoreApplication::sendEvent(box(), &done);
    EXPECT_EQ(textBox().pendingText(), QStringLiteral("caf\u00e9"));
    EXPECT_EQ(box()->boxGeometry().text, QStringLiteral("caf\u00e9"));
    EXPECT_EQ(box()->inputMethodQuery(Qt::ImSurroundingText).toString(), QStringLiteral("caf\u00e9"));
    EXPECT_TRUE(box()->inputMethodQuery(Qt::ImEnabled).toBool());
}

TEST_F(TextTool, TheBorderMovesTheCornerResizesAndTheHandleTurnsTheBox) {
    pointerDrag({100, 100}, {300, 200}, Qt::RightButton);
    type(QStringLiteral("Hi"));
    // The left border, then the middle of the box: it moves, text stays.
    pointerDrag({100, 150}, {130, 170});
    EXPECT_EQ(textBox().frame(), QRectF(130, 120, 200, 100));
    EXPECT_EQ(count(), 0u);
    // The bottom-right corner.
    pointerDrag({330, 220}, {380, 260});
    EXPECT_EQ(textBox().frame(), QRectF(130, 120, 250, 140));
    pointerDrag({380, 260}, {0, 0});
    EXPECT_EQ(textBox().frame(), QRectF(130, 120, 30, 30)) << "never below 30 × 30";
    pointerDrag({160, 150}, {330, 220});
    EXPECT_EQ(textBox().frame(), QRectF(130, 120, 200, 100));
    // The handle above the middle, dragged to the right of the centre.
    const QPointF centre = textBox().frame().center();
    pointerDrag({centre.x(), 120 - kTextBoxRotateHandleLift}, centre + QPointF(150, 0));
    EXPECT_DOUBLE_EQ(textBox().pendingRotation(), 90);
    EXPECT_EQ(textBox().frame(), QRectF(130, 120, 200, 100));
    // Turned, the corner handle is where the turned corner is.
    const QPointF corner = anchorPoint(textBox().frame(), 90, QPointF(1, 1));
    pointerDrag(corner, corner + QPointF(-20, 30));
    EXPECT_NEAR(textBox().frame().width(), 230, 1e-9);
    EXPECT_NEAR(textBox().frame().height(), 120, 1e-9);
    EXPECT_TRUE(textBox().isActive());
    EXPECT_EQ(textBox().pendingText(), QStringLiteral("Hi"));
}

TEST_F(TextTool, AClickInTheBoxPlacesTheCaretAndADragSelects) {
    pointerDrag({100, 100}, {500, 200}, Qt::RightButton);
    type(QStringLiteral("Hello"));
    const TextBoxGeometry g = box()->boxGeometry();
    TextEditing e;
    e.setText(QStringLiteral("Hello"));
    const QRectF afterHe = g.caretRect(e, 2);
    tap(afterHe.center());
    EXPECT_EQ(box()->editing().cursor(), 2);
    EXPECT_TRUE(textBox().isActive()) << "a click inside the box keeps it open";
    pointerDrag(afterHe.center(), g.caretRect(e, 4).center());
    EXPECT_EQ(box()->editing().selectedText(), QStringLiteral("ll"));
}

TEST_F(TextTool, TheCommittedTextLooksLikeTheBoxItWasTypedIn) {
    s.selectedColor = Color{0.1, 0.3, 0.9, 1};
    for (double rotation : {0.0, 33.0}) {
        pointerDrag({150, 100}, {450, 260}, Qt::RightButton);
        type(QStringLiteral("Ship it\nfast"));
        canvas.textBox().setPendingRotation(rotation);
        box()->clearFocus(); // no caret
        drainEvents();
        const QRectF frame = textBox().frame();
        const QImage typing = canvasImage(canvas);
        click({20, 380}); // elsewhere: commits
        ASSERT_FALSE(textBox().isActive());
        const QImage committed = canvasImage(canvas);
        ASSERT_EQ(count(), 1u);
        EXPECT_EQ(s.strokes->back().rotationDegrees, rotation);
        // Inside the frame, away from its border and corner handles.
        const QRectF inner = frame.adjusted(6, 6, -6, -6);
        EXPECT_GT(paintedCount(committed), 500);
        EXPECT_EQ(differingPixels(typing, committed, inner, rotation), 0) << "rotation " << rotation;
        s.strokes = std::vector<DrawingStroke>{};
        drainEvents();
    }
}

TEST_F(TextTool, AnEmptyOrBlankBoxCommitsNothing) {
    click({200, 200});
    ASSERT_TRUE(box());
    tap({500, 350}); // goes past the layer to the canvas
    EXPECT_FALSE(textBox().isActive());
    EXPECT_EQ(count(), 0u);
    EXPECT_FALSE(box());
    openWith({200, 200}, QStringLiteral("  \n "));
    s.isTextEditing = false; // as Esc does
    drainEvents();
    EXPECT_FALSE(textBox().isActive());
    EXPECT_EQ(count(), 0u);
    EXPECT_EQ(s.selectedTool.get(), DrawingTool::text) << "blank text leaves the tool";
}

TEST_F(TextTool, EscCommitsAndLeavesTheUserInMoveMode) {
    openWith({200, 200}, QStringLiteral("Note"));
    s.isTextEditing = false; // Esc with a box open
    drainEvents();
    ASSERT_EQ(count(), 1u);
    EXPECT_EQ(s.strokes->front().text, QStringLiteral("Note"));
    EXPECT_FALSE(s.selectedTool.get());
    EXPECT_TRUE(s.isMoveMode.get());
    EXPECT_FALSE(layer()) << "no tool and no box: no layer";

    // An Esc that reaches the box itself commits it as well.
    s.selectedTool = DrawingTool::text;
    drainEvents();
    openWith({300, 300}, QStringLiteral("Two"));
    key(Qt::Key_Escape);
    EXPECT_EQ(count(), 2u);
    EXPECT_FALSE(textBox().isActive());
}

TEST_F(TextTool, TheFontAndSizeFieldsApplyToTheBoxAndTheStroke) {
    const QString serif = QStringLiteral("DejaVu Serif");
    s.textFontName = serif;
    s.textFontSize = 30;
    drainEvents();
    click({200, 200});
    const double w = textBoxSize(QStringLiteral("M"), serif, 30);
    EXPECT_EQ(textBox().frame(), QRectF(200 - w / 2, 165, w, 70));
    type(QStringLiteral("Serif"));
    EXPECT_DOUBLE_EQ(box()->boxGeometry().fontSize(), 30);
    EXPECT_DOUBLE_EQ(textBox().frame().width(), textBoxSize(QStringLiteral("Serif"), serif, 30));
    // A size changed while typing resizes a following box.
    s.textFontSize = 80;
    drainEvents();
    EXPECT_DOUBLE_EQ(textBox().frame().width(), textBoxSize(QStringLiteral("Serif"), serif, 80));
    EXPECT_DOUBLE_EQ(textBox().frame().height(), 1.3 * 80 + 16);
    click({590, 390});
    ASSERT_EQ(count(), 1u);
    EXPECT_EQ(s.strokes->front().fontName, serif);
    EXPECT_EQ(s.strokes->front().explicitFontSize, 80);
}

TEST_F(TextTool, TheCommittedTextIsHitWhereItIsDrawnTurned) {
    pointerDrag({100, 100}, {500, 200}, Qt::RightButton);
    type(QStringLiteral("WWWWWWWW"));
    canvas.textBox().setPendingRotation(90);
    drainEvents();
    click({590, 390});
    ASSERT_EQ(count(), 1u);
    const DrawingStroke& text = s.strokes->front();
    const TextLayout layout = layoutText(text);
    ASSERT_EQ(layout.lines.size(), 1u);
    // The middle of the line's left half, unturned and turned.
    const QPointF unturned(layout.lines[0].rect.left() + layout.lines[0].rect.width() / 4,
                           layout.lines[0].rect.center().y());
    const QPointF drawn = layout.transform().map(unturned);
    EXPECT_TRUE(textStroke(text, drawn));
    EXPECT_FALSE(textStroke(text, unturned));
    EXPECT_TRUE(s.hasStroke(drawn, 1));
    // A double-click there opens it again, turned as it was.
    click(drawn);
    clock->advance(0.1);
    click(drawn);
    ASSERT_TRUE(textBox().isActive());
    EXPECT_EQ(textBox().pendingRotation(), 90);
    EXPECT_EQ(textBox().pendingText(), QStringLiteral("WWWWWWWW"));
    EXPECT_EQ(count(), 0u);
}

TEST_F(TextTool, ANewBoxWidensRightToItsDisplaysEdgeThenLeftAndThenFitsItsText) {
    // A panel takes the right of display 1: its visible frame ends at x 550,
    // within the canvas.
    platform::Screen one = FakeScreenProvider::makeScreen(1, platform::Rect(0, 0, 1440, 900));
    one.visibleFrame = platform::Rect(0, 0, 550, 900);
    t.screens->setScreens({one, twoScreens()[1]});
    const double edge = canvas.mapFromGlobal(QPointF(550, 0)).x();
    ASSERT_GT(edge, 300);
    ASSERT_LT(edge, 600);
    EXPECT_EQ(canvas.visibleCanvasArea(),
              QRectF(QPointF(canvas.mapFromGlobal(QPointF(0, 0)).x(), 0), QPointF(edge, 400))
                  .intersected(QRectF(0, 0, 600, 400)));

    click({edge - 80, 200});
    type(QStringLiteral("Hi"));
    const double left = textBox().frame().left();
    EXPECT_LE(textBox().frame().right(), edge) << "room enough: it grows to the right";
    // At the edge the box widens to the left, its right edge on the edge.
    type(QStringLiteral(" there"));
    EXPECT_DOUBLE_EQ(textBox().frame().right(), edge);
    EXPECT_LT(textBox().frame().left(), left);
    EXPECT_FALSE(textBox().isTextFitted());
    EXPECT_NEAR(box()->boxGeometry().fontSize(), kNewBoxFontSize, 1e-9);

    // Spanning the visible width it stops, and the text is fitted into it.
    type(QStringLiteral(", and a line far too long for this display"));
    const QRectF spanning = textBox().frame();
    EXPECT_DOUBLE_EQ(spanning.left(), canvas.visibleCanvasArea().left());
    EXPECT_DOUBLE_EQ(spanning.right(), edge);
    EXPECT_DOUBLE_EQ(spanning.height(), 70);
    EXPECT_TRUE(textBox().isTextFitted());
    EXPECT_LT(box()->boxGeometry().fontSize(), kNewBoxFontSize);
    type(QStringLiteral(" even longer"));
    EXPECT_EQ(textBox().frame(), spanning);

    // Committed, the text lies within the box it was typed in.
    click({50, 380});
    ASSERT_EQ(count(), 1u);
    const DrawingStroke& text = s.strokes->front();
    EXPECT_EQ(QRectF(text.startPoint, text.endPoint), spanning);
    const QRectF ink =
        layoutText(text.startPoint, text.endPoint, text.text, text.fontName, text.explicitFontSize, 0).inkExtent();
    EXPECT_TRUE(spanning.adjusted(-1, -1, 1, 1).contains(ink)) << "the committed text is whole";
}

TEST_F(TextTool, AReopenedTextFollowsItsTextAgainAndStaysOnItsDisplay) {
    s.textFontSize = 32;
    drainEvents();
    click({450, 200});
    type(QStringLiteral("Hello"));
    click({50, 380});
    ASSERT_EQ(count(), 1u);
    const DrawingStroke typed = s.strokes->front();

    // Re-opened by a double-click, the box follows its text as it did:
    // typing on widens it only up to its display, then fits the text into it.
    const auto reopen = [this](const DrawingStroke& text) {
        const QPointF on = text.startPoint + QPointF(12, 12);
        clock->advance(1);
        click(on);
        clock->advance(0.2);
        click(on);
    };
    reopen(typed);
    EXPECT_EQ(count(), 0u);
    ASSERT_TRUE(box());
    EXPECT_TRUE(box()->followsText());
    EXPECT_EQ(textBox().frame(), QRectF(typed.startPoint, typed.endPoint)) << "re-opened where it was";
    key(Qt::Key_End);
    type(QStringLiteral(", and on, and on, and on past the display's right edge"));
    EXPECT_TRUE(canvas.visibleCanvasArea().contains(textBox().frame()));
    EXPECT_TRUE(textBox().isTextFitted());
    EXPECT_LT(box()->boxGeometry().fontSize(), 32);
    click({50, 380});
    ASSERT_EQ(count(), 1u);
    const DrawingStroke& longer = s.strokes->front();
    const QRectF frame(longer.startPoint, longer.endPoint);
    const QRectF ink =
        layoutText(longer.startPoint, longer.endPoint, longer.text, longer.fontName, longer.explicitFontSize, 0)
            .inkExtent();
    EXPECT_TRUE(canvas.visibleCanvasArea().contains(frame));
    EXPECT_TRUE(frame.adjusted(-1, -1, 1, 1).contains(ink)) << "the committed text is whole";

    // Its fitted size has many decimals; re-opened again it still follows.
    reopen(DrawingStroke(longer));
    ASSERT_TRUE(box());
    EXPECT_TRUE(box()->followsText());
    EXPECT_EQ(textBox().frame(), frame);
}

TEST_F(TextTool, AReopenedTextAtTheAutomaticSizeKeepsItsSizeAndNeverLeavesItsDisplay) {
    ASSERT_EQ(s.textFontSize.get(), 0) << "the automatic size";
    const QRectF visible = canvas.visibleCanvasArea();
    // Pixels of the text as the box draws it (or as committed) outside the
    // visible frame, on a plane three canvases wide and high.
    const auto inkBeyondVisible = [&](const DrawingStroke& text) {
        const QSize canvasSize = canvas.size();
        const QImage plane = paintImage(canvasSize * 3, [&](QPainter& p) {
            p.translate(canvasSize.width(), canvasSize.height());
            drawTextStroke(text, p);
            p.setCompositionMode(QPainter::CompositionMode_Clear);
            p.fillRect(visible, Qt::transparent);
        });
        return paintedCount(plane);
    };
    const auto shownText = [&] {
        const TextBoxGeometry g = box()->boxGeometry();
        DrawingStroke text = framedStroke(DrawingTool::text, g.frame.topLeft(), g.frame.bottomRight());
        text.text = g.text;
        text.fontName = g.fontName;
        text.explicitFontSize = g.explicitFontSize;
        return text;
    };
    const QPointF near(visible.right() - 60, 200);
    click(near);
    type(QStringLiteral("Corner"));
    click({50, 380});
    ASSERT_EQ(count(), 1u);
    const DrawingStroke corner = s.strokes->front();
    ASSERT_EQ(corner.explicitFontSize, 0);
    const QRectF cornerBox(corner.startPoint, corner.endPoint);
    ASSERT_DOUBLE_EQ(cornerBox.right(), visible.right()) << "it widened to the left from the edge";

    // Re-opened and typed on at its end, it follows its text as a new box
    // does: at a new box's size while it widens to the left, then spanning
    // the visible width with its text fitted into it.
    clock->advance(1);
    click(corner.startPoint + QPointF(12, 20));
    clock->advance(0.2);
    click(corner.startPoint + QPointF(12, 20));
    ASSERT_TRUE(box());
    EXPECT_EQ(textBox().frame(), cornerBox) << "re-opened where it was";
    EXPECT_NEAR(box()->boxGeometry().fontSize(), kNewBoxFontSize, 0.5);
    key(Qt::Key_End);
    const QString more =
        QStringLiteral(" of the display, where the words run on and on, far past its right edge if nothing "
                       "stopped them there, x");
    ASSERT_GE(more.size(), 100);
    int widened = 0, fitted = 0;
    for (qsizetype i = 0; i < more.size(); ++i) {
        type(more.mid(i, 1));
        const QRectF frame = textBox().frame();
        ASSERT_TRUE(visible.contains(frame)) << i;
        if (textBox().isTextFitted()) {
            ++fitted;
            EXPECT_DOUBLE_EQ(frame.width(), visible.width()) << i;
        } else {
            ++widened;
            EXPECT_NEAR(box()->boxGeometry().fontSize(), kNewBoxFontSize, 0.5) << "squeezed at " << i;
            EXPECT_DOUBLE_EQ(frame.right(), visible.right()) << i;
        }
        if (i % 10 == 0 || i + 1 == more.size()) {
            EXPECT_EQ(inkBeyondVisible(shownText()), 0) << "while typing, " << i;
        }
    }
    EXPECT_GT(widened, 3);
    EXPECT_GT(fitted, 30);

    // A new box with the same words at the same place ends the same.
    const QRectF reopened = textBox().frame();
    click({50, 380});
    ASSERT_EQ(count(), 1u);
    const DrawingStroke committed = s.strokes->front();
    EXPECT_EQ(inkBeyondVisible(committed), 0) << "once committed";
    EXPECT_EQ(QRectF(committed.startPoint, committed.endPoint), reopened);
    s.strokes = std::vector<DrawingStroke>{};
    clock->advance(1);
    drainEvents();
    click(near);
    type(QStringLiteral("Corner") + more);
    EXPECT_EQ(textBox().frame(), reopened);
}

TEST_F(TextTool, AFollowingBoxWithAChosenSizeDrawsItsTextNoLargerThanTheDisplayHolds) {
    s.textFontSize = 60;
    drainEvents();
    click({300, 200});
    type(QStringLiteral("A chosen size holds while the text fits the display"));
    ASSERT_TRUE(textBox().isTextFitted());
    const QRectF frame = textBox().frame();
    EXPECT_TRUE(canvas.visibleCanvasArea().contains(frame));
    EXPECT_LT(box()->boxGeometry().fontSize(), 60);
    EXPECT_EQ(s.textFontSize.get(), 60) << "the chosen size itself stays";
    // Shortened again, the box follows its text at the chosen size.
    for (int i = 0; i < 40; ++i) key(Qt::Key_Backspace);
    EXPECT_FALSE(textBox().isTextFitted());
    EXPECT_EQ(box()->boxGeometry().fontSize(), 60);
    type(QStringLiteral(" and then runs on and on and on past the display's edge"));
    click({50, 380});
    ASSERT_EQ(count(), 1u);
    const DrawingStroke& text = s.strokes->front();
    EXPECT_GT(text.explicitFontSize, 0);
    EXPECT_LT(text.explicitFontSize, 60);
    const QRectF box(text.startPoint, text.endPoint);
    const QRectF ink =
        layoutText(text.startPoint, text.endPoint, text.text, text.fontName, text.explicitFontSize, 0).inkExtent();
    EXPECT_TRUE(box.adjusted(-1, -1, 1, 1).contains(ink));
}
