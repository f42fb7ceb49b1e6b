#pragma once

// The open text box: an editor painted on the canvas under the box's
// rotation, with the very layout and painter of a committed text stroke,
// so what is typed looks exactly as it will once committed. It keeps its
// own caret and selection, takes the keyboard and input-method text, and
// moves by its border, resizes from a corner and turns by the handle above
// it. It edits the canvas's TextBox in place.

#include "canvas/overlays/TextBoxGeometry.h"
#include "canvas/overlays/TextEditing.h"
#include "platform/Color.h"
#include "platform/Subscription.h"

#include <QTimer>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

class DrawingState;
class TextBox;

class TextBoxOverlay : public QWidget {
    Q_OBJECT
public:
    // `onCommit`: the user committed the text from the box itself.
    TextBoxOverlay(DrawingState& state, TextBox& textBox, std::function<void()> onCommit, QWidget* parent);
    ~TextBoxOverlay() override;

    // While on, the box keeps the size its text needs (a box placed by a
    // click); resizing by a corner turns it off.
    void setFollowsText(bool follows);
    bool followsText() const { return followsText_; }

    const TextEditing& editing() const { return editing_; }
    // The box as it is shown now (the text includes any composition).
    TextBoxGeometry boxGeometry() const;
    // The colour the text is drawn in: the toolbar's colour and opacity.
    Color textColor() const;
    bool isCaretVisible() const { return caretOn_ && hasFocus(); }
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

public Q_SLOTS:
    void copy();
    void paste();
    void cut();
    void selectAll();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    enum class Drag { none, select, move, resize, rotate };

    // The box changed, by us or by the canvas.
    void boxChanged();
    // Writes the edited text into the box, resizing it when it follows.
    void storeText();
    void fitToText();
    void restartBlink();
    void repaintBox();
    void moveVertically(int lines, bool select);
    void setPartCursor(TextBoxPart part);

    DrawingState& state_;
    TextBox& textBox_;
    std::function<void()> onCommit_;
    TextEditing editing_;
    QString preedit_;
    bool followsText_ = false;
    bool caretOn_ = true;
    QTimer blink_;
    QRect painted_;
    // The caret's x to keep when moving between lines.
    std::optional<double> goalX_;

    Drag drag_ = Drag::none;
    TextBoxPart dragPart_ = TextBoxPart::none;
    QPointF dragStart_;
    QRectF frameAtStart_;

    std::vector<platform::Subscription> subscriptions_;
};
