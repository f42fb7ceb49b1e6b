// The canvas's composition: what it shows and in which order, its wiring
// to the drawing state, and the text box.

#include "canvas/DrawingCanvasView.h"

#include "canvas/CanvasPassGroup.h"
#include "canvas/LoadingBrushBadge.h"
#include "model/DrawingState.h"
#include "platform/CanvasRect.h"
#include "platform/Dispatch.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kEraserCursorRadiusFactor = 4;

} // namespace

DrawingCanvasView::DrawingCanvasView(const std::shared_ptr<DrawingState>& state, DisplayID displayID,
                                     QWidget* parent)
    : QWidget(parent),
      weakState_(state),
      state_(state.get()),
      displayID_(displayID),
      factory_(defaultCanvasOverlayFactory()),
      clock_(CanvasClock::system()),
      strokes_(displayID) {
    platform::assertMainThread("DrawingCanvasView");
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
    setMouseTracking(true);

    overlayHost_ = new QWidget(this);
    overlayHost_->setAttribute(Qt::WA_NoSystemBackground);
    overlayHost_->setGeometry(rect());
    badge_ = new LoadingBrushBadge(overlayHost_);
    badge_->hide();

    if (!state) return;
    group_ = CanvasPassGroup::join(state, this);
    subscriptions_.push_back(textBox_.changed.connect([this] { scheduleUpdate(); }));
    subscriptions_.push_back(state->strokes.sink([this](const auto&) { strokes_.strokesChanged(); },
                                                 platform::Delivery::Immediate, platform::Initial::Skip));
    subscriptions_.push_back(state->currentStroke.sink([this](const auto&) { strokes_.liveStrokeChanged(); },
                                                       platform::Delivery::Immediate, platform::Initial::Skip));
    subscriptions_.push_back(state->currentDrawingDisplayID.sink([this](const auto&) { strokes_.liveStrokeChanged(); },
                                                                 platform::Delivery::Immediate,
                                                                 platform::Initial::Skip));
    subscriptions_.push_back(state->endOpenEditsRequested.connect([this](std::optional<DisplayID> display) {
        if (!display || *display == displayID_) endOpenEdits();
    }));
    scheduleUpdate();
}

DrawingCanvasView::~DrawingCanvasView() {
    if (group_) group_->leave(this);
    subscriptions_.clear();
    // Whatever is still open would be lost with the canvas.
    if (liveState()) endOpenEdits();
}

void DrawingCanvasView::setOverlayFactory(std::shared_ptr<CanvasOverlayFactory> factory) {
    textLayer_.reset();
    bezierDrawingOverlay_.reset();
    lineOverlay_.reset();
    shapeOverlay_.reset();
    freehandOverlay_.reset();
    lineOverlayKind_ = shapeOverlayKind_ = EditKind::none;
    lineOverlayStroke_.reset();
    shapeOverlayStroke_.reset();
    freehandOverlayStroke_.reset();
    factory_ = std::move(factory);
    scheduleUpdate();
}

void DrawingCanvasView::setClock(std::shared_ptr<CanvasClock> clock) {
    clock_ = clock ? std::move(clock) : CanvasClock::system();
}

DrawingState* DrawingCanvasView::liveState() const { return weakState_.expired() ? nullptr : state_; }

void DrawingCanvasView::scheduleUpdate() {
    if (group_) group_->schedule();
}

// ---- What the view shows ----

void DrawingCanvasView::refreshView() {
    if (!liveState()) return;
    strokes_.syncGeometry(*this);
    syncClip();
    strokes_.sync(*state_, *this);
    syncEraserCursor();
    syncOverlays();
    syncBadge();
}

void DrawingCanvasView::syncClip() {
    const std::optional<QRectF> frame = state_->canvasConstraintFrame.get();
    const bool changed = frame.has_value() != clip_.has_value() || (frame && *frame != *clip_);
    if (!changed) return;
    clip_ = frame;
    if (clip_) overlayHost_->setMask(QRegion(clip_->toAlignedRect()));
    else overlayHost_->clearMask();
    update();
}

void DrawingCanvasView::syncEraserCursor() {
    QRect ring;
    if (state_->selectedTool.get() == DrawingTool::eraser && eraserCursorLocation_) {
        const double r = state_->lineWidth.get() * kEraserCursorRadiusFactor;
        const QPointF c = *eraserCursorLocation_;
        if (std::isfinite(r) && std::isfinite(c.x()) && std::isfinite(c.y())) {
            const QRectF bounds = QRectF(rect()).adjusted(-4, -4, 4, 4);
            ring = (QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r).adjusted(-2, -2, 2, 2) & bounds).toAlignedRect();
        }
    }
    if (ring == cursorRing_) return;
    update(cursorRing_);
    update(ring);
    cursorRing_ = ring;
}

bool DrawingCanvasView::isLoadingBadgeVisible() const { return badge_ && !badge_->isHidden(); }

void DrawingCanvasView::syncBadge() {
    const bool loading = state_->selectedTool.get() == DrawingTool::gimpBrush && state_->activeGIMPBrushID.get() &&
                         !state_->isActiveGIMPBrushLoaded();
    if (loading) {
        badge_->centreInParent();
        badge_->raise();
        badge_->show();
    } else {
        badge_->hide();
    }
}

DrawingStroke DrawingCanvasView::recoloured(const DrawingStroke& stroke) const {
    DrawingStroke copy = stroke;
    copy.color = state_->selectedColor.get().opacity(state_->strokeOpacity.get());
    return copy;
}

void DrawingCanvasView::syncOverlays() {
    if (!factory_) return;
    DrawingState& s = *state_;
    QPointer<DrawingCanvasView> self(this);
    auto strokeHandler = [self](void (DrawingCanvasView::*member)(const DrawingStroke&)) {
        return [self, member](const DrawingStroke& stroke) {
            if (self) (self.data()->*member)(stroke);
        };
    };
    auto present = [](auto& overlay) {
        if (overlay) {
            overlay->widget()->setGeometry(overlay->widget()->parentWidget()->rect());
            overlay->widget()->show();
        }
    };

    // Text tool layer: with the text tool, or while a box is open.
    const bool wantsText = s.selectedTool.get() == DrawingTool::text || textBox_.isActive();
    if (wantsText && !textLayer_) {
        textLayer_ = factory_->makeTextToolLayer(s, textBox_, [self] {
            if (self) self->commitPendingText();
        }, overlayHost_);
        present(textLayer_);
    } else if (!wantsText) {
        textLayer_.reset();
    }

    // The bezier pen draws a new path while no edit is open.
    const bool wantsBezierDrawing = s.selectedTool.get() == DrawingTool::bezierPen && !s.isLineEditing.get();
    if (wantsBezierDrawing && !bezierDrawingOverlay_) {
        bezierDrawingOverlay_ =
            factory_->makeBezierPenDrawingOverlay(s, strokeHandler(&DrawingCanvasView::bezierPathFinished), overlayHost_);
        present(bezierDrawingOverlay_);
    } else if (!wantsBezierDrawing) {
        bezierDrawingOverlay_.reset();
    }

    // Each slot's overlay, by the tool of its stroke, in the current colour.
    auto syncSlot = [&](const std::optional<DrawingStroke>& slot, std::unique_ptr<StrokeEditOverlay>& overlay,
                        EditKind& kind, std::optional<DrawingStroke>& shown, auto&& kindOf, auto&& make) {
        if (!slot) {
            overlay.reset();
            kind = EditKind::none;
            shown.reset();
            return;
        }
        const DrawingStroke stroke = recoloured(*slot);
        const EditKind wanted = kindOf(slot->tool);
        if (!overlay || kind != wanted) {
            overlay = make(wanted, stroke);
            kind = wanted;
            shown = stroke;
            present(overlay);
        } else if (!shown || !(*shown == stroke)) {
            overlay->setStroke(stroke);
            shown = stroke;
        }
    };
    syncSlot(
        editingLineStroke_, lineOverlay_, lineOverlayKind_, lineOverlayStroke_,
        [](DrawingTool t) { return t == DrawingTool::bezierPen ? EditKind::bezierPen : EditKind::line; },
        [&](EditKind k, const DrawingStroke& stroke) {
            if (k == EditKind::bezierPen)
                return factory_->makeBezierPenEditOverlay(stroke, strokeHandler(&DrawingCanvasView::lineEditUpdated),
                                                          [self] {
                                                              if (self) self->bezierEditOutsideTap();
                                                          },
                                                          overlayHost_);
            return factory_->makeLineEditOverlay(stroke, strokeHandler(&DrawingCanvasView::lineEditUpdated),
                                                 overlayHost_);
        });
    syncSlot(
        editingShapeStroke_, shapeOverlay_, shapeOverlayKind_, shapeOverlayStroke_,
        [](DrawingTool t) {
            return t == DrawingTool::rectangle ? EditKind::shape
                   : t == DrawingTool::ellipse ? EditKind::ellipse
                                               : EditKind::polygon;
        },
        [&](EditKind k, const DrawingStroke& stroke) {
            auto onUpdate = strokeHandler(&DrawingCanvasView::shapeEditUpdated);
            if (k == EditKind::shape) return factory_->makeShapeEditOverlay(stroke, onUpdate, overlayHost_);
            if (k == EditKind::ellipse) return factory_->makeEllipseEditOverlay(stroke, onUpdate, overlayHost_);
            return factory_->makePolygonEditOverlay(s, stroke, onUpdate, overlayHost_);
        });
    EditKind freehandKind = freehandOverlay_ ? EditKind::freehand : EditKind::none;
    syncSlot(
        editingFreehandStroke_, freehandOverlay_, freehandKind, freehandOverlayStroke_,
        [](DrawingTool) { return EditKind::freehand; },
        [&](EditKind, const DrawingStroke& stroke) {
            return factory_->makeFreehandEditOverlay(s, stroke, strokeHandler(&DrawingCanvasView::freehandEditUpdated),
                                                     overlayHost_);
        });

    // Bottom to top: text tool layer, badge, bezier drawing, line, shape,
    // freehand.
    for (QWidget* w : {textLayer_ ? textLayer_->widget() : nullptr, static_cast<QWidget*>(badge_),
                       bezierDrawingOverlay_ ? bezierDrawingOverlay_->widget() : nullptr,
                       lineOverlay_ ? lineOverlay_->widget() : nullptr, shapeOverlay_ ? shapeOverlay_->widget() : nullptr,
                       freehandOverlay_ ? freehandOverlay_->widget() : nullptr})
        if (w) w->raise();
}

// ---- Painting and pointer ----

void DrawingCanvasView::paintEvent(QPaintEvent* event) {
    if (liveState() && strokes_.needsSync(size(), devicePixelRatioF())) refreshView();
    QPainter p(this);
    for (const QRect& r : event->region()) {
        if (clip_) {
            // Nothing shows outside the pinned window's area.
            p.setClipping(false);
            p.setCompositionMode(QPainter::CompositionMode_Source);
            p.fillRect(r, Qt::transparent);
            p.setClipRect(*clip_);
        }
        strokes_.paint(p, r);
    }
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (liveState() && state_->selectedTool.get() == DrawingTool::eraser) drawEraserCursor(p);
}

void DrawingCanvasView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    overlayHost_->setGeometry(rect());
    for (QWidget* w : overlayHost_->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (w != badge_) w->setGeometry(overlayHost_->rect());
    badge_->centreInParent();
    scheduleUpdate();
}

void DrawingCanvasView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    scheduleUpdate();
}

void DrawingCanvasView::mouseMoveEvent(QMouseEvent* event) {
    if (gestureStart_ && (event->buttons() & Qt::LeftButton)) {
        handleDragChanged(
            CanvasDragValue{event->position(), *gestureStart_, (event->modifiers() & Qt::ShiftModifier) != 0});
        event->accept();
        return;
    }
    if (event->buttons() == Qt::NoButton) hoverChanged(event->position());
    QWidget::mouseMoveEvent(event);
}

void DrawingCanvasView::leaveEvent(QEvent* event) {
    hoverChanged(std::nullopt);
    QWidget::leaveEvent(event);
}

void DrawingCanvasView::drawEraserCursor(QPainter& painter) const {
    if (!eraserCursorLocation_ || !liveState()) return;
    const double r = state_->lineWidth.get() * kEraserCursorRadiusFactor;
    if (!std::isfinite(r)) return;
    const QPointF c = *eraserCursorLocation_;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    QPen pen(QColor::fromRgbF(0.5f, 0.5f, 0.5f, 0.5f), 1.0, Qt::CustomDashLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setMiterLimit(10);
    pen.setDashPattern({4, 4});
    pen.setDashOffset(0);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r));
    painter.restore();
}

void DrawingCanvasView::hoverChanged(std::optional<QPointF> location) {
    platform::assertMainThread("DrawingCanvasView::hoverChanged");
    if (location) eraserCursorLocation_ = location;
    scheduleUpdate();
    if (isDragging_) return;
    Qt::CursorShape shape = Qt::ArrowCursor;
    if (location && textBox_.isActive() && platform::canvasContains(textBox_.frame(), *location))
        shape = Qt::IBeamCursor;
    setCursor(shape);
}

// ---- Text box ----

bool DrawingCanvasView::commitPendingText() {
    platform::assertMainThread("DrawingCanvasView::commitPendingText");
    DrawingState* s = liveState();
    if (!s) return false;
    const QString trimmed = textBox_.pendingText().trimmed();
    if (!trimmed.isEmpty()) {
        DrawingStroke stroke;
        // Made on this canvas, whatever display was drawn on last.
        stroke.displayID = displayID_;
        stroke.points = {textBox_.frame().center()};
        stroke.tool = DrawingTool::text;
        stroke.color = s->selectedColor.get().opacity(s->strokeOpacity.get());
        stroke.lineWidth = s->lineWidth.get();
        stroke.startPoint = textBox_.frame().topLeft();
        stroke.endPoint = QPointF(textBox_.frame().right(), textBox_.frame().bottom());
        stroke.text = trimmed;
        stroke.fontName = s->textFontName.get();
        stroke.explicitFontSize = s->textFontSize.get();
        stroke.rotationDegrees = textBox_.pendingRotation();
        stroke.gimpSpacing = 25;
        stroke.gimpCellSelection = GIMPCellSelection::sequential;
        s->addStroke(stroke);
    }
    resetTextBox();
    return !trimmed.isEmpty();
}

void DrawingCanvasView::resetTextBox() {
    DrawingState* s = liveState();
    if (!s) return;
    textBox_.close();
    s->isTextEditing = false;
}

void DrawingCanvasView::textEditingChanged() {
    DrawingState* s = liveState();
    if (!s) return;
    if (s->isTextEditing.get()) {
        s->lastPlacedStrokeID = std::nullopt;
        return;
    }
    if (!textBox_.isActive()) return;
    if (commitPendingText()) {
        s->selectedTool = std::nullopt;
        s->isMoveMode = true;
    }
}

void DrawingCanvasView::attachedToWindowChanged(bool newValue) {
    DrawingState* s = liveState();
    if (!s || newValue) return;
    // The pinned drawing is gone: strokes under edit are dropped with it.
    editingLineStroke_.reset();
    editingShapeStroke_.reset();
    editingFreehandStroke_.reset();
    isDragging_ = false;
    pathPoints_.clear();
    s->isBezierEditing = false;
    if (s->isLineEditing.get()) s->isLineEditing = false;
    scheduleUpdate();
}
