#pragma once

// The text tool's layer over a canvas: a right-button drag opens a text box
// of the dragged rectangle, and while the canvas's box is open it shows the
// box's editor (TextBoxOverlay). Left-button presses outside the box are
// left to the canvas.

#include "canvas/CanvasOverlays.h"
#include "canvas/overlays/TextBoxOverlay.h"
#include "platform/Subscription.h"

#include <QPointer>
#include <QWidget>

#include <memory>
#include <optional>
#include <vector>

class DrawingState;
class TextBox;

class TextToolLayer : public QWidget {
    Q_OBJECT
public:
    TextToolLayer(DrawingState& state, TextBox& textBox, CanvasOverlayFactory::Action onCommit, QWidget* parent);
    ~TextToolLayer() override;

    // The rectangle of the right-button drag under way.
    std::optional<QRectF> rightDragPreview() const { return rightDragPreview_; }
    // The open box's editor; none while the box is closed.
    TextBoxOverlay* boxOverlay() const { return box_.data(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void syncBox();
    void setPreview(std::optional<QRectF> preview);

    DrawingState& state_;
    TextBox& textBox_;
    CanvasOverlayFactory::Action onCommit_;
    QPointer<TextBoxOverlay> box_;
    std::optional<QRectF> rightDragPreview_;
    std::optional<QPointF> rightDragStart_;
    // The next box to open came from a right-button drag: it keeps its size.
    bool nextBoxDragged_ = false;
    std::vector<platform::Subscription> subscriptions_;
};

// The text tool layer as the canvas's overlay.
std::unique_ptr<CanvasOverlay> makeTextToolLayer(DrawingState& state, TextBox& textBox,
                                                 CanvasOverlayFactory::Action onCommit, QWidget* parent);
