// Handle dragging, painting and press routing shared by the edit overlays.

#include "canvas/overlays/HandleDragOverlay.h"

#include "canvas/SolidPixels.h"
#include "canvas/StrokeRenderer.h"
#include "canvas/StrokeView.h"
#include "canvas/overlays/EditHandles.h"
#include "platform/Dispatch.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

HandleDragOverlay::HandleDragOverlay(const DrawingStroke& stroke, StrokeHandler onUpdate, QWidget* parent)
    : QWidget(parent), onUpdate_(std::move(onUpdate)), stroke_(stroke) {
    setAttribute(Qt::WA_NoSystemBackground);
}

void HandleDragOverlay::setStroke(const DrawingStroke& stroke) {
    platform::assertMainThread("HandleDragOverlay::setStroke");
    if (atPress_) {
        // Changed from outside mid-drag (a width step): the drag goes on
        // from the new stroke.
        atPress_ = stroke;
        follow(lastPoint_);
        return;
    }
    stroke_ = stroke;
    update();
}

std::vector<QPointF> HandleDragOverlay::handlePoints() const {
    std::vector<QPointF> points = handles(stroke_);
    const QPointF offset(stroke_.offset.width(), stroke_.offset.height());
    for (QPointF& p : points) p += offset;
    return points;
}

QPointF HandleDragOverlay::toStroke(QPointF canvasPoint) const {
    return canvasPoint - QPointF(stroke_.offset.width(), stroke_.offset.height());
}

void HandleDragOverlay::report(const DrawingStroke& stroke) {
    // Copies: the handler may end the edit and with it this overlay.
    const StrokeHandler handler = onUpdate_;
    const DrawingStroke edited = stroke;
    if (handler) handler(edited);
}

void HandleDragOverlay::paintStroke(QPainter& painter) const {
    // Without a compositing manager the stroke shows as it will once placed.
    if (isShownSolid(*this)) StrokeView{stroke_, {}}.renderSolid(painter);
    else drawStroke(stroke_, painter);
}

void HandleDragOverlay::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.save();
    paintStroke(painter); // moves the painter by the offset itself
    painter.restore();
    const edit_handles::Look look = edit_handles::lookOf(*this);
    const QPointF offset(stroke_.offset.width(), stroke_.offset.height());
    for (const auto& [vertex, tip] : arms(stroke_))
        edit_handles::paintArm(painter, vertex + offset, tip + offset, look);
    for (QPointF p : handlePoints()) edit_handles::paintHandle(painter, p, look);
}

void HandleDragOverlay::mousePressEvent(QMouseEvent* event) {
    platform::assertMainThread("HandleDragOverlay::mousePressEvent");
    if (event->button() != Qt::LeftButton || atPress_) {
        event->ignore();
        return;
    }
    const QPointF p = event->position();
    if (const auto h = edit_handles::handleAt(handlePoints(), p)) {
        grab_ = Grab::handle;
        handle_ = *h;
        handleStart_ = handles(stroke_)[*h];
    } else {
        grab_ = grabOffHandles(toStroke(p));
        if (grab_ == Grab::none) {
            // Left to the canvas.
            event->ignore();
            return;
        }
    }
    atPress_ = stroke_;
    pressPoint_ = lastPoint_ = p;
    event->accept();
}

void HandleDragOverlay::follow(QPointF canvasPoint) {
    lastPoint_ = canvasPoint;
    switch (grab_) {
    case Grab::handle:
        // By the pointer's travel: the handle does not jump to the pointer.
        stroke_ = dragged(*atPress_, handle_, handleStart_ + (canvasPoint - pressPoint_));
        break;
    case Grab::body: stroke_ = moved(*atPress_, canvasPoint - pressPoint_); break;
    case Grab::elsewhere:
    case Grab::none: stroke_ = *atPress_; break;
    }
    update();
}

void HandleDragOverlay::mouseMoveEvent(QMouseEvent* event) {
    if (!atPress_ || !(event->buttons() & Qt::LeftButton)) {
        event->ignore();
        return;
    }
    follow(event->position());
    event->accept();
}

void HandleDragOverlay::mouseReleaseEvent(QMouseEvent* event) {
    platform::assertMainThread("HandleDragOverlay::mouseReleaseEvent");
    if (event->button() != Qt::LeftButton || !atPress_) {
        event->ignore();
        return;
    }
    event->accept();
    follow(event->position());
    const DrawingStroke start = *std::exchange(atPress_, std::nullopt);
    const Grab grab = std::exchange(grab_, Grab::none);
    const QPointF press = pressPoint_;
    const bool isClick = edit_handles::distance(press, event->position()) < clickTravel();
    QPointer<HandleDragOverlay> self(this);
    if (!(stroke_ == start)) report(stroke_);
    if (self && isClick) clicked(toStroke(press), grab);
}
