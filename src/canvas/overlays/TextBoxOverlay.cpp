// The open text box's editor: painting, pointer handles, keys and input
// method.

#include "canvas/overlays/TextBoxOverlay.h"

#include "canvas/SolidPixels.h"
#include "canvas/StrokePainters.h"
#include "canvas/StrokeView.h"
#include "canvas/TextBox.h"
#include "geometry/TextLayout.h"
#include "model/DrawingState.h"
#include "model/DrawingStroke.h"
#include "platform/Dispatch.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyleHints>

#include <cmath>

namespace {

QString plainLines(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

} // namespace

TextBoxOverlay::TextBoxOverlay(DrawingState& state, TextBox& textBox, std::function<void()> onCommit, QWidget* parent)
    : QWidget(parent), state_(state), textBox_(textBox), onCommit_(std::move(onCommit)) {
    platform::assertMainThread("TextBoxOverlay");
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_InputMethodEnabled);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    editing_.setText(textBox_.pendingText());
    editing_.moveToTextEnd(false);

    blink_.setInterval(std::max(QGuiApplication::styleHints()->cursorFlashTime() / 2, 0));
    connect(&blink_, &QTimer::timeout, this, [this] {
        caretOn_ = !caretOn_;
        // Only the caret changes.
        const TextBoxGeometry g = boxGeometry();
        TextEditing shown;
        shown.setText(g.text);
        const QRectF caret = g.caretRect(shown, editing_.cursor() + preedit_.size());
        update(g.transform().mapRect(caret).toAlignedRect().adjusted(-8, -8, 8, 8));
    });

    subscriptions_.push_back(textBox_.changed.connect([this] { boxChanged(); }));
    // Handlers run before the value is stored: look once it is.
    const auto later = [this](const auto&) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (followsText_) fitToText();
                repaintBox();
            },
            Qt::QueuedConnection);
    };
    subscriptions_.push_back(state_.textFontName.sink(later, platform::Delivery::Immediate, platform::Initial::Skip));
    subscriptions_.push_back(state_.textFontSize.sink(later, platform::Delivery::Immediate, platform::Initial::Skip));
    subscriptions_.push_back(state_.selectedColor.sink(later, platform::Delivery::Immediate, platform::Initial::Skip));
    subscriptions_.push_back(state_.strokeOpacity.sink(later, platform::Delivery::Immediate, platform::Initial::Skip));
    restartBlink();
}

TextBoxOverlay::~TextBoxOverlay() = default;

void TextBoxOverlay::setFollowsText(bool follows) {
    followsText_ = follows;
    if (follows) fitToText();
}

TextBoxGeometry TextBoxOverlay::boxGeometry() const {
    TextBoxGeometry g;
    g.frame = textBox_.frame().normalized();
    g.rotation = textBox_.pendingRotation();
    g.text = editing_.text();
    if (!preedit_.isEmpty()) g.text.insert(editing_.cursor(), preedit_);
    g.fontName = state_.textFontName.get();
    g.explicitFontSize =
        boxExplicitFontSize(state_.textFontSize.get(), textBox_.isTextFitted(), g.text, g.frame, g.fontName);
    return g;
}

Color TextBoxOverlay::textColor() const { return state_.selectedColor.get().opacity(state_.strokeOpacity.get()); }

// ---- Keeping the box and the editor together ----

void TextBoxOverlay::boxChanged() {
    if (textBox_.pendingText() != editing_.text()) {
        // Someone else put text in: the caret goes to its end.
        editing_.setText(textBox_.pendingText());
        editing_.moveToTextEnd(false);
        preedit_.clear();
    }
    repaintBox();
}

void TextBoxOverlay::storeText() {
    goalX_.reset();
    textBox_.setPendingText(editing_.text());
    if (followsText_) fitToText();
    restartBlink();
    repaintBox();
}

void TextBoxOverlay::fitToText() {
    const QRectF frame = textBox_.frame().normalized();
    const double rotation = textBox_.pendingRotation();
    const QSizeF size = autoBoxSize(boxGeometry().text, state_.textFontName.get(), state_.textFontSize.get());
    // The box grows from its (turned) top-left corner, and never off its
    // display: at the edge it widens to the left, and once it spans the
    // display its text is fitted into it.
    const FollowedTextFrame followed = followedTextFrame(frame, rotation, size, textBox_.bounds());
    textBox_.setTextFitted(followed.textFitted);
    if (followed.frame != frame) textBox_.setFrame(followed.frame);
}

void TextBoxOverlay::restartBlink() {
    caretOn_ = true;
    if (blink_.interval() > 0 && hasFocus()) blink_.start();
    else blink_.stop();
}

void TextBoxOverlay::repaintBox() {
    const QRect now = boxGeometry().paintedBounds().toAlignedRect().adjusted(-2, -2, 2, 2);
    update(painted_.united(now));
    painted_ = now;
}

// ---- Painting ----

void TextBoxOverlay::paintEvent(QPaintEvent* event) {
    const TextBoxGeometry g = boxGeometry();
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    const QColor accent = palette().color(QPalette::Highlight);
    const Color ink = textColor();
    // Without a compositing manager the chrome shows as the text does: each
    // pixel solid or not at all.
    const bool solid = isShownSolid(*this);
    const QRectF area = solid ? g.paintedBounds() & QRectF(event->rect()) : QRectF(event->rect());

    paintShown(p, solid, area, [&](QPainter& q) {
        q.setTransform(g.transform(), true);
        // Selection under the text.
        if (editing_.hasSelection()) {
            QColor fill = accent;
            fill.setAlphaF(0.3f);
            fill = shownColour(fill, solid);
            const qsizetype from = editing_.selectionStart(), to = editing_.selectionEnd();
            for (int line = editing_.lineOf(from); line <= editing_.lineOf(to); ++line) {
                const qsizetype a = std::max(from, editing_.lineStart(line));
                const qsizetype b = std::min(to, editing_.lineEnd(line));
                const QRectF ca = g.caretRect(editing_, a), cb = g.caretRect(editing_, b);
                // A selected line break shows as a little space.
                const double extra = b < to ? g.fontSize() * 0.25 : 0;
                q.fillRect(QRectF(ca.left(), ca.top(), cb.left() - ca.left() + extra, ca.height()), fill);
            }
        }
        // The frame, dashed over a faint solid line so it shows on any
        // background, and its handles. Unturned, lines sit on pixel centres
        // to stay crisp.
        const auto centred = [](double v) { return std::floor(v) + 0.5; };
        const QRectF frame = g.rotation != 0 ? g.frame
                                             : QRectF(QPointF(centred(g.frame.left()), centred(g.frame.top())),
                                                      QPointF(centred(g.frame.right()), centred(g.frame.bottom())));
        QColor under = palette().color(QPalette::Base);
        under.setAlphaF(0.6f);
        QPen underPen(shownColour(under, solid), 1);
        underPen.setCosmetic(true);
        q.setPen(underPen);
        q.setBrush(Qt::NoBrush);
        q.drawRect(frame);
        QPen border(accent, 1, Qt::DashLine);
        border.setCosmetic(true);
        q.setPen(border);
        q.drawRect(frame);
        QPen handlePen(accent, 1.5);
        handlePen.setCosmetic(true);
        q.setPen(handlePen);
        q.drawLine(QPointF(g.frame.center().x(), g.frame.top()), g.handleLocal(TextBoxPart::rotate));
        q.setBrush(palette().color(QPalette::Base));
        for (TextBoxPart corner :
             {TextBoxPart::topLeft, TextBoxPart::topRight, TextBoxPart::bottomRight, TextBoxPart::bottomLeft}) {
            const QPointF c = g.handleLocal(corner);
            q.drawRect(QRectF(c.x() - 3.5, c.y() - 3.5, 7, 7));
        }
        q.drawEllipse(g.handleLocal(TextBoxPart::rotate), 5, 5);
    });

    // The text, exactly as its stroke will be drawn.
    DrawingStroke stroke;
    stroke.tool = DrawingTool::text;
    stroke.color = ink;
    stroke.startPoint = g.frame.topLeft();
    stroke.endPoint = g.frame.bottomRight();
    stroke.text = g.text;
    stroke.fontName = g.fontName;
    stroke.explicitFontSize = g.explicitFontSize;
    stroke.rotationDegrees = g.rotation;
    if (solid) StrokeView{stroke, {}}.renderSolid(p);
    else drawTextStroke(stroke, p);

    if (preedit_.isEmpty() && !isCaretVisible()) return;
    TextEditing shown;
    shown.setText(g.text);
    // The composition is underlined where it is being typed.
    const QRectF composed = g.caretRect(shown, editing_.cursor());
    const QRectF caret = g.caretRect(shown, editing_.cursor() + preedit_.size());
    const double caretWidth = std::max(1.5, g.fontSize() / 24);
    const QRectF marks = g.transform().mapRect(composed.united(caret)).adjusted(-4 - caretWidth, -4, 4 + caretWidth, 4);
    paintShown(p, solid, marks, [&](QPainter& q) {
        q.setTransform(g.transform(), true);
        if (!preedit_.isEmpty()) {
            QPen under(ink.withAlpha(1).toQColor(), 1);
            under.setCosmetic(true);
            q.setPen(under);
            q.drawLine(composed.bottomLeft(), QPointF(caret.left(), composed.bottom()));
        }
        if (isCaretVisible()) {
            q.setPen(QPen(ink.withAlpha(1).toQColor(), caretWidth));
            q.drawLine(caret.topLeft(), caret.bottomLeft());
        }
    });
}

// ---- Pointer ----

void TextBoxOverlay::setPartCursor(TextBoxPart part) {
    switch (part) {
    case TextBoxPart::inside: setCursor(Qt::IBeamCursor); break;
    case TextBoxPart::border: setCursor(Qt::SizeAllCursor); break;
    case TextBoxPart::topLeft:
    case TextBoxPart::bottomRight: setCursor(Qt::SizeFDiagCursor); break;
    case TextBoxPart::topRight:
    case TextBoxPart::bottomLeft: setCursor(Qt::SizeBDiagCursor); break;
    case TextBoxPart::rotate: setCursor(Qt::PointingHandCursor); break;
    case TextBoxPart::none: unsetCursor(); break;
    }
}

void TextBoxOverlay::mousePressEvent(QMouseEvent* event) {
    const TextBoxGeometry g = boxGeometry();
    const TextBoxPart part = event->button() == Qt::LeftButton ? g.partAt(event->position()) : TextBoxPart::none;
    if (part == TextBoxPart::none) {
        // Not ours: the canvas (a click outside commits) or the layer.
        event->ignore();
        return;
    }
    setFocus(Qt::MouseFocusReason);
    dragPart_ = part;
    dragStart_ = event->position();
    frameAtStart_ = g.frame;
    switch (part) {
    case TextBoxPart::inside:
        drag_ = Drag::select;
        editing_.setCursor(g.positionAt(editing_, g.toLocal(event->position())),
                           (event->modifiers() & Qt::ShiftModifier) != 0);
        goalX_.reset();
        restartBlink();
        repaintBox();
        break;
    case TextBoxPart::border: drag_ = Drag::move; break;
    case TextBoxPart::rotate: drag_ = Drag::rotate; break;
    default: drag_ = Drag::resize; break;
    }
    event->accept();
}

void TextBoxOverlay::mouseDoubleClickEvent(QMouseEvent* event) { mousePressEvent(event); }

void TextBoxOverlay::mouseMoveEvent(QMouseEvent* event) {
    if (drag_ == Drag::none) {
        setPartCursor(boxGeometry().partAt(event->position()));
        // The canvas follows hover moves too (the eraser ring).
        event->ignore();
        return;
    }
    const QPointF p = event->position();
    const double rotation = textBox_.pendingRotation();
    switch (drag_) {
    case Drag::select: {
        const TextBoxGeometry g = boxGeometry();
        editing_.setCursor(g.positionAt(editing_, g.toLocal(p)), true);
        restartBlink();
        repaintBox();
        break;
    }
    case Drag::move: textBox_.setFrame(frameAtStart_.translated(p - dragStart_)); break;
    case Drag::resize:
        followsText_ = false;
        textBox_.setTextFitted(false);
        textBox_.setFrame(resizedFrame(frameAtStart_, rotation, dragPart_, p));
        break;
    case Drag::rotate: textBox_.setPendingRotation(rotationTowards(textBox_.frame(), p)); break;
    case Drag::none: break;
    }
    event->accept();
}

void TextBoxOverlay::mouseReleaseEvent(QMouseEvent* event) {
    if (drag_ == Drag::none || event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    drag_ = Drag::none;
    dragPart_ = TextBoxPart::none;
    event->accept();
}

// ---- Keyboard ----

void TextBoxOverlay::moveVertically(int lines, bool select) {
    const TextBoxGeometry g = boxGeometry();
    const double x = goalX_ ? *goalX_ : g.caretRect(editing_, editing_.cursor()).left();
    const int line = editing_.lineOf(editing_.cursor()) + lines;
    if (line < 0) editing_.moveToTextStart(select);
    else if (line >= editing_.lineCount()) editing_.moveToTextEnd(select);
    else editing_.setCursor(g.positionOnLine(editing_, line, x), select);
    goalX_ = x;
    restartBlink();
    repaintBox();
}

void TextBoxOverlay::keyPressEvent(QKeyEvent* event) {
    const bool shift = (event->modifiers() & Qt::ShiftModifier) != 0;
    const bool control = (event->modifiers() & Qt::ControlModifier) != 0;
    const auto caretMoved = [this] {
        goalX_.reset();
        restartBlink();
        repaintBox();
    };
    if (event->matches(QKeySequence::Copy)) return copy();
    if (event->matches(QKeySequence::Paste)) return paste();
    if (event->matches(QKeySequence::Cut)) return cut();
    if (event->matches(QKeySequence::SelectAll)) return selectAll();
    switch (event->key()) {
    case Qt::Key_Escape:
        // Reaches the box only when nothing above took it.
        if (onCommit_) onCommit_();
        return;
    case Qt::Key_Backspace: editing_.backspace(); return storeText();
    case Qt::Key_Delete: editing_.deleteForward(); return storeText();
    case Qt::Key_Return:
    case Qt::Key_Enter: editing_.insert(QStringLiteral("\n")); return storeText();
    case Qt::Key_Left: editing_.moveLeft(shift); return caretMoved();
    case Qt::Key_Right: editing_.moveRight(shift); return caretMoved();
    case Qt::Key_Up: return moveVertically(-1, shift);
    case Qt::Key_Down: return moveVertically(1, shift);
    case Qt::Key_Home:
        if (control) editing_.moveToTextStart(shift);
        else editing_.moveToLineStart(shift);
        return caretMoved();
    case Qt::Key_End:
        if (control) editing_.moveToTextEnd(shift);
        else editing_.moveToLineEnd(shift);
        return caretMoved();
    case Qt::Key_Tab:
    case Qt::Key_Backtab: event->ignore(); return;
    default: break;
    }
    const QString text = event->text();
    if (!control && !text.isEmpty() && text.at(0).isPrint()) {
        editing_.insert(text);
        return storeText();
    }
    event->ignore();
}

bool TextBoxOverlay::focusNextPrevChild(bool) { return false; }

void TextBoxOverlay::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    restartBlink();
    repaintBox();
}

void TextBoxOverlay::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    blink_.stop();
    repaintBox();
}

void TextBoxOverlay::copy() {
    if (editing_.hasSelection()) QGuiApplication::clipboard()->setText(editing_.selectedText());
}

void TextBoxOverlay::cut() {
    if (!editing_.hasSelection()) return;
    copy();
    editing_.removeSelection();
    storeText();
}

void TextBoxOverlay::paste() {
    const QString text = plainLines(QGuiApplication::clipboard()->text());
    if (text.isEmpty()) return;
    editing_.insert(text);
    storeText();
}

void TextBoxOverlay::selectAll() {
    editing_.selectAll();
    restartBlink();
    repaintBox();
}

// ---- Input method (dead keys, compose, input methods) ----

void TextBoxOverlay::inputMethodEvent(QInputMethodEvent* event) {
    if (event->replacementLength() > 0) {
        const qsizetype from =
            std::clamp<qsizetype>(editing_.cursor() + event->replacementStart(), 0, editing_.text().size());
        editing_.setCursor(from);
        editing_.setCursor(from + event->replacementLength(), true);
        editing_.removeSelection();
    }
    preedit_ = plainLines(event->preeditString());
    if (!event->commitString().isEmpty()) editing_.insert(plainLines(event->commitString()));
    storeText();
    event->accept();
}

QVariant TextBoxOverlay::inputMethodQuery(Qt::InputMethodQuery query) const {
    const TextBoxGeometry g = boxGeometry();
    switch (query) {
    case Qt::ImEnabled: return true;
    case Qt::ImCursorRectangle: return g.transform().mapRect(g.caretRect(editing_, editing_.cursor())).toAlignedRect();
    case Qt::ImFont: return resolvedTextFont(g.fontName);
    case Qt::ImCursorPosition: return static_cast<int>(editing_.cursor());
    case Qt::ImAnchorPosition: return static_cast<int>(editing_.anchor());
    case Qt::ImSurroundingText: return editing_.text();
    case Qt::ImCurrentSelection: return editing_.selectedText();
    case Qt::ImHints: return static_cast<int>(Qt::ImhMultiLine | Qt::ImhNoPredictiveText);
    default: return QWidget::inputMethodQuery(query);
    }
}
