// The canvas's composition and wiring: what it shows and in which order,
// its reactions to the drawing state, the text box's commit, and the
// opening and writing back of edits.

#include "canvas/DrawingCanvasView.h"

#include "canvas/CanvasPassGroup.h"
#include "canvas/LoadingBrushBadge.h"
#include "canvas/SolidPixels.h"
#include "canvas/overlays/TextBoxGeometry.h"
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
constexpr double kMinimumEditWidth = 1;
constexpr double kMaximumEditWidth = 100;

} // namespace

DrawingCanvasView::DrawingCanvasView(const std::shared_ptr<DrawingState>& state, DisplayID displayID, QWidget* parent,
                                     std::shared_ptr<CanvasPassGroup> passGroup)
    : QWidget(parent),
      weakState_(state),
      state_(state.get()),
      displayID_(displayID),
      factory_(defaultCanvasOverlayFactory()),
      clock_(CanvasClock::system()),
      strokes_(displayID),
      lineEdit_(EditSlot::line, toMember(&DrawingCanvasView::lineEditUpdated),
                [self = QPointer<DrawingCanvasView>(this)] {
                    if (self) self->bezierEditOutsideTap();
                }),
      shapeEdit_(EditSlot::shape, toMember(&DrawingCanvasView::shapeEditUpdated)),
      freehandEdit_(EditSlot::freehand, toMember(&DrawingCanvasView::freehandEditUpdated)),
      dragPacing_(*this, gesture_, [this] {
          if (liveState()) strokes_.syncLiveStroke(*state_, *this);
      }) {
    platform::assertMainThread("DrawingCanvasView");
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
    setMouseTracking(true);

    overlayHost_ = new QWidget(this);
    overlayHost_->setAttribute(Qt::WA_NoSystemBackground);
    // Hover moves an overlay leaves alone go on to the canvas.
    overlayHost_->setMouseTracking(true);
    overlayHost_->setGeometry(rect());
    badge_ = new LoadingBrushBadge(overlayHost_);
    badge_->hide();

    if (!state) return;
    group_ = passGroup ? std::move(passGroup) : CanvasPassGroup::make(state);
    group_->join(this);
    subscriptions_.push_back(textBox_.changed.connect([this] { scheduleUpdate(); }));
    subscriptions_.push_back(state->strokes.sink([this](const auto&) { strokes_.strokesChanged(); },
                                                 platform::Delivery::Immediate, platform::Initial::Skip));
    subscriptions_.push_back(state->currentStroke.sink([this](const auto&) { strokes_.liveStrokeChanged(); },
                                                       platform::Delivery::Immediate, platform::Initial::Skip));
    subscriptions_.push_back(state->currentDrawingDisplayID.sink(
        [this](const auto&) { strokes_.liveStrokeChanged(); }, platform::Delivery::Immediate, platform::Initial::Skip));
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
    lineEdit_.dropOverlay();
    shapeEdit_.dropOverlay();
    freehandEdit_.dropOverlay();
    factory_ = std::move(factory);
    scheduleUpdate();
}

void DrawingCanvasView::setDisplayLinkFactory(const platform::DisplayLinkFactory& factory,
                                              std::unique_ptr<FramePacer::Clock> clock) {
    dragPacing_.useDisplayLink(factory, displayID_, std::move(clock));
}

void DrawingCanvasView::setClock(std::shared_ptr<CanvasClock> clock) {
    clock_ = clock ? std::move(clock) : CanvasClock::system();
}

EditSession::StrokeHandler DrawingCanvasView::toMember(void (DrawingCanvasView::*member)(const DrawingStroke&)) {
    return [self = QPointer<DrawingCanvasView>(this), member](const DrawingStroke& stroke) {
        if (self) (self.data()->*member)(stroke);
    };
}

DrawingState* DrawingCanvasView::liveState() const { return weakState_.expired() ? nullptr : state_; }

CanvasClock::TimePoint DrawingCanvasView::now() const { return clock_->now(); }

void DrawingCanvasView::after(double seconds, std::function<void()> work) {
    clock_->after(seconds, this, std::move(work));
}

void DrawingCanvasView::dragMovedTo(QPointF location) { eraserCursorLocation_ = location; }

void DrawingCanvasView::showMoveCursor(bool grabbing) { setCursor(grabbing ? Qt::ClosedHandCursor : Qt::ArrowCursor); }

void DrawingCanvasView::scheduleUpdate() {
    if (group_) group_->schedule();
}

// ---- What the view shows ----

void DrawingCanvasView::refreshView() {
    if (!liveState()) return;
    strokes_.syncGeometry(*this);
    syncClip();
    strokes_.syncStrokes(*state_, *this);
    if (strokes_.isLiveStrokeBehind(*state_)) dragPacing_.liveStrokeBehind(strokes_.isLiveStrokeGrowing(*state_));
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

void DrawingCanvasView::syncOverlays() {
    if (!factory_) return;
    DrawingState& s = *state_;
    QPointer<DrawingCanvasView> self(this);

    // Text tool layer: with the text tool, or while a box is open.
    const bool wantsText = s.selectedTool.get() == DrawingTool::text || textBox_.isActive();
    if (wantsText && !textLayer_) {
        textLayer_ = factory_->makeTextToolLayer(
            s, textBox_,
            [self] {
                if (self) self->commitPendingText();
            },
            overlayHost_);
        if (textLayer_) presentOverlay(*textLayer_);
    } else if (!wantsText) {
        textLayer_.reset();
    }

    // The bezier pen draws a new path while no edit is open.
    const bool wantsBezierDrawing = s.selectedTool.get() == DrawingTool::bezierPen && !s.isLineEditing.get();
    if (wantsBezierDrawing && !bezierDrawingOverlay_) {
        bezierDrawingOverlay_ =
            factory_->makeBezierPenDrawingOverlay(s, toMember(&DrawingCanvasView::bezierPathFinished), overlayHost_);
        if (bezierDrawingOverlay_) presentOverlay(*bezierDrawingOverlay_);
    } else if (!wantsBezierDrawing) {
        bezierDrawingOverlay_.reset();
    }

    for (EditSession* edit : {&lineEdit_, &shapeEdit_, &freehandEdit_}) edit->syncOverlay(*factory_, s, overlayHost_);

    // Bottom to top: text tool layer, badge, bezier drawing, line, shape,
    // freehand.
    for (QWidget* w : {textLayer_ ? textLayer_->widget() : nullptr, static_cast<QWidget*>(badge_),
                       bezierDrawingOverlay_ ? bezierDrawingOverlay_->widget() : nullptr, lineEdit_.overlayWidget(),
                       shapeEdit_.overlayWidget(), freehandEdit_.overlayWidget()})
        if (w) w->raise();
}

// ---- Painting and pointer ----

void DrawingCanvasView::paintEvent(QPaintEvent* event) {
    // Without a compositing manager the window shows each pixel solid or not
    // at all: the strokes are painted as it will show them.
    strokes_.setShownSolid(isShownSolid(*this));
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
    if (dragPacing_.move(*event)) {
        event->accept();
        return;
    }
    if (event->buttons() == Qt::NoButton) hoverChanged(event->position());
    QWidget::mouseMoveEvent(event);
}

void DrawingCanvasView::mousePressEvent(QMouseEvent* event) {
    if (dragPacing_.press(*event)) event->accept();
    else event->ignore();
}

void DrawingCanvasView::mouseReleaseEvent(QMouseEvent* event) {
    if (dragPacing_.release(*event)) event->accept();
    else event->ignore();
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
    // Shown solid, its translucent grey would turn dark: drawn in the grey it
    // shows, with hard edges.
    const bool solid = strokes_.isShownSolid();
    painter.setRenderHint(QPainter::Antialiasing, !solid);
    QPen pen(solid ? QColor(128, 128, 128) : QColor::fromRgbF(0.5f, 0.5f, 0.5f, 0.5f), 1.0, Qt::CustomDashLine,
             Qt::FlatCap, Qt::MiterJoin);
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
    if (gesture_.isDragging()) return;
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
        // A box that stopped at the display's width holds its text fitted.
        stroke.explicitFontSize = boxExplicitFontSize(s->textFontSize.get(), textBox_.isTextFitted(), trimmed,
                                                      textBox_.frame(), stroke.fontName);
        stroke.rotationDegrees = textBox_.pendingRotation();
        stroke.gimpSpacing = 25;
        stroke.gimpCellSelection = GIMPCellSelection::sequential;
        s->addStroke(stroke);
    }
    resetTextBox();
    return !trimmed.isEmpty();
}

QRectF DrawingCanvasView::visibleCanvasArea() const {
    const QRectF canvas(rect());
    const DrawingState* s = liveState();
    if (!s) return canvas;
    for (const platform::Screen& screen : s->screenProvider().screens()) {
        if (screen.displayID != displayID_) continue;
        const QRectF global = platform::toGlobal(screen.visibleFrame, s->screenProvider().primaryRootRect());
        return QRectF(mapFromGlobal(global.topLeft()), global.size()).intersected(canvas);
    }
    return canvas;
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
    for (EditSession* edit : {&lineEdit_, &shapeEdit_, &freehandEdit_}) edit->close();
    gesture_.abandonDrawing();
    s->isBezierEditing = false;
    if (s->isLineEditing.get()) s->isLineEditing = false;
    scheduleUpdate();
}

void DrawingCanvasView::beginTextEdit(const DrawingStroke& stroke) {
    platform::assertMainThread("DrawingCanvasView::beginTextEdit");
    DrawingState* s = liveState();
    if (!s) return;
    s->textFontName = stroke.fontName;
    s->textFontSize = stroke.explicitFontSize;
    s->selectedColor = colorCopiedFrom(stroke.color);
    // Re-opened, a box that follows its text keeps within its display too.
    textBox_.setBounds(visibleCanvasArea());
    textBox_.open(QRectF(stroke.startPoint, QSizeF(std::abs(stroke.endPoint.x() - stroke.startPoint.x()),
                                                   std::abs(stroke.endPoint.y() - stroke.startPoint.y()))),
                  stroke.text, stroke.rotationDegrees);
    s->isTextEditing = true;
}

bool DrawingCanvasView::isGIMPBrushReady() const {
    DrawingState* s = liveState();
    if (!s) return false;
    const auto tool = s->selectedTool.get();
    if (!tool) return false;
    if (*tool != DrawingTool::gimpBrush) return true;
    if (!s->activeGIMPBrushID.get()) return true;
    return s->isActiveGIMPBrushLoaded();
}

// ---- Edits ----

Color DrawingCanvasView::colorCopiedFrom(const Color& strokeColor) const {
    // A stroke's colour carries the opacity it was drawn with; copied back
    // as it is, the next stroke would get that opacity applied twice.
    const double opacity = state_->strokeOpacity.get();
    if (!(opacity > 0)) return strokeColor;
    return strokeColor.withAlpha(std::min(strokeColor.a / opacity, 1.0));
}

void DrawingCanvasView::openEdit(std::size_t index) {
    platform::assertMainThread("DrawingCanvasView::openEdit");
    DrawingState* s = liveState();
    if (!s || index >= s->strokes.get().size()) return;
    const DrawingStroke stroke = s->strokes.get()[index];
    switch (EditSession::slotFor(stroke.tool)) {
    case EditSlot::line: lineEdit_.setStroke(stroke); break;
    case EditSlot::shape: shapeEdit_.setStroke(stroke); break;
    case EditSlot::freehand: freehandEdit_.setStroke(stroke); break;
    }
    s->selectedColor = colorCopiedFrom(stroke.color);
    s->strokes.modify([index](auto& list) {
        if (index < list.size()) list.erase(list.begin() + static_cast<std::ptrdiff_t>(index));
    });
    s->isLineEditing = true;
    s->currentStroke = std::nullopt;
    gesture_.clearPath();
    scheduleUpdate();
}

EditSession* DrawingCanvasView::openEditSession() {
    for (EditSession* edit : {&lineEdit_, &shapeEdit_, &freehandEdit_})
        if (edit->isOpen()) return edit;
    return nullptr;
}

void DrawingCanvasView::writeBack(EditSession& edit) {
    DrawingState* s = liveState();
    if (!s || !edit.isOpen()) return;
    DrawingStroke copy = *edit.close();
    copy.color = s->selectedColor.get().opacity(s->strokeOpacity.get());
    // Written back on the display it was edited on.
    if (copy.displayID == 0) copy.displayID = displayID_;
    s->addStroke(copy);
    s->isLineEditing = false;
    scheduleUpdate();
}

void DrawingCanvasView::endLineEdit() { writeBack(lineEdit_); }
void DrawingCanvasView::endShapeEdit() { writeBack(shapeEdit_); }
void DrawingCanvasView::endFreehandEdit() { writeBack(freehandEdit_); }

// In the order Esc and a change of tool end them.
void DrawingCanvasView::closeEdits() {
    endLineEdit();
    endShapeEdit();
    endFreehandEdit();
}

void DrawingCanvasView::endOpenEdits() {
    platform::assertMainThread("DrawingCanvasView::endOpenEdits");
    DrawingState* s = liveState();
    if (!s) return;
    // As Esc ends them: the text first, then the stroke under edit.
    if (textBox_.isActive() && commitPendingText()) {
        s->selectedTool = std::nullopt;
        s->isMoveMode = true;
    }
    closeEdits();
}

void DrawingCanvasView::lineEditingChanged() {
    DrawingState* s = liveState();
    if (!s || s->isLineEditing.get()) return;
    closeEdits();
    gesture_.startEditCooldown();
}

void DrawingCanvasView::pendingDeleteEditChanged(bool newValue) {
    DrawingState* s = liveState();
    if (!s || !newValue) return;
    s->pendingDeleteEdit = false;
    if (const EditSession* edited = openEditSession()) s->purgeHistory(*edited->stroke());
    for (EditSession* edit : {&lineEdit_, &shapeEdit_, &freehandEdit_}) edit->close();
    s->isLineEditing = false;
    scheduleUpdate();
}

void DrawingCanvasView::lineWidthStepChanged(std::int64_t oldValue, std::int64_t newValue) {
    DrawingState* s = liveState();
    if (!s) return;
    const double delta = newValue > oldValue ? 1 : -1;
    EditSession* edit = openEditSession();
    if (!edit) return;
    const double w = std::max(std::min(edit->stroke()->lineWidth + delta, kMaximumEditWidth), kMinimumEditWidth);
    edit->setLineWidth(w);
    s->lineWidth = w;
    scheduleUpdate();
}

void DrawingCanvasView::lineWidthChanged() {
    DrawingState* s = liveState();
    if (!s || s->selectedTool.get() == DrawingTool::eraser) return;
    const double width = s->lineWidth.get();
    if (s->isLineEditing.get()) {
        for (EditSession* edit : {&lineEdit_, &shapeEdit_, &freehandEdit_}) edit->setLineWidth(width);
        scheduleUpdate();
        return;
    }
    const auto id = s->lastPlacedStrokeID.get();
    if (!id) return;
    const auto& list = s->strokes.get();
    const auto it = std::find_if(list.begin(), list.end(), [&](const DrawingStroke& st) { return st.id == *id; });
    if (it == list.end() || it->tool == DrawingTool::text || !it->erasures.empty()) return;
    // Every canvas runs this reaction; the first one restyles.
    if (it->lineWidth == width) return;
    const auto index = it - list.begin();
    s->strokes.modify([index, width](auto& l) { l[static_cast<std::size_t>(index)].lineWidth = width; });
}

void DrawingCanvasView::colorChanged() {
    DrawingState* s = liveState();
    if (!s) return;
    if (!s->isSelectionExplicit.get() && !s->selectedTool.get()) return;
    if (s->isLineEditing.get()) return;
    const auto id = s->lastPlacedStrokeID.get();
    if (!id) return;
    const Color color = s->selectedColor.get().opacity(s->strokeOpacity.get());
    const auto& list = s->strokes.get();
    const auto it = std::find_if(list.begin(), list.end(), [&](const DrawingStroke& st) { return st.id == *id; });
    if (it == list.end() || it->color == color) return;
    const auto index = it - list.begin();
    s->strokes.modify([index, color](auto& l) { l[static_cast<std::size_t>(index)].color = color; });
}

void DrawingCanvasView::toolChanged(std::optional<DrawingTool> oldValue) {
    DrawingState* s = liveState();
    if (!s) return;
    if (textBox_.isActive()) commitPendingText();
    closeEdits();
    if (oldValue == DrawingTool::gimpBrush) s->gimpBrushOpacity = 1.0;
}

// ---- Overlay callbacks ----

void DrawingCanvasView::bezierPathFinished(const DrawingStroke& stroke) {
    platform::assertMainThread("DrawingCanvasView::bezierPathFinished");
    DrawingState* s = liveState();
    if (!s) return;
    DrawingStroke path = stroke;
    // Placed later by the write-back, on the display it was drawn on.
    if (path.displayID == 0) path.displayID = displayID_;
    lineEdit_.setStroke(std::move(path));
    s->isLineEditing = true;
    scheduleUpdate();
}

void DrawingCanvasView::bezierEditOutsideTap() {
    platform::assertMainThread("DrawingCanvasView::bezierEditOutsideTap");
    endLineEdit();
    gesture_.startEditCooldown();
    scheduleUpdate();
}

void DrawingCanvasView::lineEditUpdated(const DrawingStroke& stroke) {
    platform::assertMainThread("DrawingCanvasView::lineEditUpdated");
    lineEdit_.setStroke(stroke);
    scheduleUpdate();
}

void DrawingCanvasView::shapeEditUpdated(const DrawingStroke& stroke) {
    platform::assertMainThread("DrawingCanvasView::shapeEditUpdated");
    shapeEdit_.setStroke(stroke);
    scheduleUpdate();
}

void DrawingCanvasView::freehandEditUpdated(const DrawingStroke& stroke) {
    platform::assertMainThread("DrawingCanvasView::freehandEditUpdated");
    freehandEdit_.setStroke(stroke);
    scheduleUpdate();
}
