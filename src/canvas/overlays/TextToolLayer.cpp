// Right-button drags that open a text box, and the open box's editor.

#include "canvas/overlays/TextToolLayer.h"

#include "canvas/SolidPixels.h"
#include "canvas/TextBox.h"
#include "canvas/overlays/TextBoxGeometry.h"
#include "canvas/overlays/TextBoxOverlay.h"
#include "model/DrawingState.h"
#include "platform/Dispatch.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <cmath>

namespace {

// A shorter right-button gesture is a click, which opens nothing.
constexpr double kClickDistance = 8;

class TextToolLayerOverlay : public CanvasOverlay {
public:
    explicit TextToolLayerOverlay(TextToolLayer* layer) : layer_(layer) {}
    ~TextToolLayerOverlay() override { delete layer_.data(); }
    QWidget* widget() override { return layer_.data(); }

private:
    QPointer<TextToolLayer> layer_;
};

} // namespace

TextToolLayer::TextToolLayer(DrawingState& state, TextBox& textBox, CanvasOverlayFactory::Action onCommit,
                             QWidget* parent)
    : QWidget(parent), state_(state), textBox_(textBox), onCommit_(std::move(onCommit)) {
    platform::assertMainThread("TextToolLayer");
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    // Hover moves pass through to the canvas (its cursor, the eraser ring).
    setMouseTracking(true);
    subscriptions_.push_back(textBox_.changed.connect([this] { syncBox(); }));
    syncBox();
}

TextToolLayer::~TextToolLayer() {
    subscriptions_.clear();
    delete box_.data();
}

void TextToolLayer::syncBox() {
    if (textBox_.isActive() && !box_) {
        const bool placedByClick = !nextBoxDragged_ && textBox_.pendingText().isEmpty();
        // A text re-opened in the box that followed it follows it again, so
        // that typing on never carries it off its display.
        const bool reopenedFollowing =
            !nextBoxDragged_ && boxFollowedItsText(textBox_.frame(), textBox_.pendingText(), state_.textFontName.get(),
                                                   state_.textFontSize.get());
        nextBoxDragged_ = false;
        box_ = new TextBoxOverlay(
            state_, textBox_,
            [self = QPointer<TextToolLayer>(this)] {
                if (self && self->onCommit_) self->onCommit_();
            },
            this);
        box_->setGeometry(rect());
        box_->show();
        box_->setFollowsText(placedByClick || reopenedFollowing);
        box_->setFocus(Qt::OtherFocusReason);
    } else if (!textBox_.isActive() && box_) {
        // May be closing from within one of the box's own handlers.
        TextBoxOverlay* closing = box_.data();
        box_ = nullptr;
        closing->hide();
        closing->deleteLater();
    }
}

void TextToolLayer::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (box_) box_->setGeometry(rect());
}

void TextToolLayer::setPreview(std::optional<QRectF> preview) {
    const auto bounds = [](const std::optional<QRectF>& r) {
        return r ? r->toAlignedRect().adjusted(-3, -3, 3, 3) : QRect();
    };
    update(bounds(rightDragPreview_).united(bounds(preview)));
    rightDragPreview_ = preview;
}

void TextToolLayer::paintEvent(QPaintEvent*) {
    if (!rightDragPreview_) return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    paintShown(p, isShownSolid(*this), rightDragPreview_->adjusted(-2, -2, 2, 2), [this](QPainter& q) {
        QPen pen(palette().color(QPalette::Highlight), 1, Qt::DashLine);
        pen.setCosmetic(true);
        q.setPen(pen);
        q.setBrush(Qt::NoBrush);
        q.drawRect(*rightDragPreview_);
    });
}

void TextToolLayer::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::RightButton) {
        event->ignore();
        return;
    }
    rightDragStart_ = event->position();
    setPreview(std::nullopt);
    event->accept();
}

void TextToolLayer::mouseMoveEvent(QMouseEvent* event) {
    if (!rightDragStart_ || !(event->buttons() & Qt::RightButton)) {
        event->ignore();
        return;
    }
    const QPointF d = event->position() - *rightDragStart_;
    if (rightDragPreview_ || std::hypot(d.x(), d.y()) >= kClickDistance)
        setPreview(QRectF(*rightDragStart_, event->position()).normalized());
    event->accept();
}

void TextToolLayer::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::RightButton || !rightDragStart_) {
        event->ignore();
        return;
    }
    const QPointF start = *rightDragStart_;
    rightDragStart_.reset();
    setPreview(std::nullopt);
    event->accept();
    const QPointF d = event->position() - start;
    if (std::hypot(d.x(), d.y()) < kClickDistance) return;

    QPointer<TextToolLayer> self(this);
    // The open box is committed before the new one takes its place.
    if (textBox_.isActive() && onCommit_) onCommit_();
    if (!self) return;
    nextBoxDragged_ = true;
    textBox_.open(QRectF(start, event->position()).normalized(), QString(), 0);
    state_.isTextEditing = true;
}

std::unique_ptr<CanvasOverlay> makeTextToolLayer(DrawingState& state, TextBox& textBox,
                                                 CanvasOverlayFactory::Action onCommit, QWidget* parent) {
    return std::make_unique<TextToolLayerOverlay>(new TextToolLayer(state, textBox, std::move(onCommit), parent));
}
