// The bezier pen: drawing a new path.

#include "canvas/overlays/BezierPenDrawingOverlay.h"

#include "canvas/SolidPixels.h"
#include "canvas/StrokeRenderer.h"
#include "canvas/StrokeView.h"
#include "canvas/overlays/EditHandles.h"
#include "model/DrawingState.h"
#include "platform/Dispatch.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>

namespace {

constexpr double kArmDragDistance = 3;
constexpr double kCloseDistance = 10;
constexpr double kDoubleClickSeconds = 0.35;
constexpr double kDoubleClickDistance = 20;

} // namespace

BezierPenDrawingOverlay::BezierPenDrawingOverlay(DrawingState& state, StrokeHandler onFinished, QWidget* parent,
                                                 std::shared_ptr<CanvasClock> clock)
    : QWidget(parent),
      state_(state),
      onFinished_(std::move(onFinished)),
      clock_(clock ? std::move(clock) : CanvasClock::system()) {
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    QPointer<BezierPenDrawingOverlay> self(this);
    // Esc turns isBezierEditing off: the unfinished path goes.
    subscriptions_.push_back(state.isBezierEditing.sink(
        [self](bool editing) {
            if (self && !editing && !self->vertices_.empty()) self->abandon();
        },
        platform::Delivery::Immediate, platform::Initial::Skip));
    // Another tool: the unfinished path goes, and so does its editing mode.
    subscriptions_.push_back(state.selectedTool.sink(
        [self](const std::optional<DrawingTool>& tool) {
            if (!self || tool == DrawingTool::bezierPen || self->vertices_.empty()) return;
            self->abandon();
            if (self->state_.isBezierEditing.get()) self->state_.isBezierEditing = false;
        },
        platform::Delivery::Immediate, platform::Initial::Skip));
}

BezierPenDrawingOverlay::~BezierPenDrawingOverlay() = default;

DrawingStroke BezierPenDrawingOverlay::pathStroke() const {
    DrawingStroke s;
    s.tool = DrawingTool::bezierPen;
    s.color = state_.selectedColor.get().opacity(state_.strokeOpacity.get());
    s.lineWidth = state_.lineWidth.get();
    s.points = vertices_;
    if (!vertices_.empty()) {
        s.startPoint = vertices_.front();
        s.endPoint = vertices_.back();
    }
    s.customVertices = vertices_;
    s.bezierHandleIn = in_;
    s.bezierHandleOut = out_;
    return s;
}

void BezierPenDrawingOverlay::addVertex(QPointF at, QPointF out) {
    const bool first = vertices_.empty();
    vertices_.push_back(at);
    in_.push_back(-out);
    out_.push_back(out);
    if (first && !state_.isBezierEditing.get()) state_.isBezierEditing = true;
}

void BezierPenDrawingOverlay::abandon() {
    vertices_.clear();
    in_.clear();
    out_.clear();
    press_.reset();
    pulledArm_.reset();
    lastClickTime_.reset();
    update();
}

void BezierPenDrawingOverlay::finish() {
    const DrawingStroke path = pathStroke();
    // Cleared first, so that turning the mode off abandons nothing.
    vertices_.clear();
    in_.clear();
    out_.clear();
    lastClickTime_.reset();
    update();
    QPointer<BezierPenDrawingOverlay> self(this);
    const StrokeHandler done = onFinished_;
    if (state_.isBezierEditing.get()) state_.isBezierEditing = false;
    if (self && done) done(path);
}

void BezierPenDrawingOverlay::mousePressEvent(QMouseEvent* event) {
    platform::assertMainThread("BezierPenDrawingOverlay::mousePressEvent");
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    press_ = event->position();
    pulledArm_.reset();
    event->accept();
}

void BezierPenDrawingOverlay::mouseMoveEvent(QMouseEvent* event) {
    if (press_ && (event->buttons() & Qt::LeftButton)) {
        const QPointF arm = event->position() - *press_;
        if (pulledArm_ || edit_handles::distance(event->position(), *press_) >= kArmDragDistance) pulledArm_ = arm;
        update();
        event->accept();
        return;
    }
    hover_ = event->position();
    update();
    // Hover moves also reach the canvas beneath.
    event->ignore();
}

void BezierPenDrawingOverlay::mouseReleaseEvent(QMouseEvent* event) {
    platform::assertMainThread("BezierPenDrawingOverlay::mouseReleaseEvent");
    if (event->button() != Qt::LeftButton || !press_) {
        event->ignore();
        return;
    }
    event->accept();
    const QPointF at = *std::exchange(press_, std::nullopt);
    hover_ = event->position();
    if (const auto arm = std::exchange(pulledArm_, std::nullopt)) {
        addVertex(at, *arm);
        lastClickTime_.reset();
        update();
        return;
    }
    if (vertices_.size() >= 2 && edit_handles::distance(at, vertices_.front()) < kCloseDistance) {
        // Closed: the path returns into its first vertex along that vertex's
        // incoming arm.
        vertices_.push_back(vertices_.front());
        in_.push_back(in_.front());
        out_.push_back(QPointF());
        finish();
        return;
    }
    const auto now = clock_->now();
    const bool isDouble = lastClickTime_ &&
                          std::chrono::duration<double>(now - *lastClickTime_).count() < kDoubleClickSeconds &&
                          edit_handles::distance(at, lastClickLocation_) < kDoubleClickDistance;
    if (isDouble) {
        lastClickTime_.reset();
        // The first click of the pair placed the last vertex.
        if (vertices_.size() >= 2) finish();
        return;
    }
    addVertex(at, QPointF());
    lastClickTime_ = now;
    lastClickLocation_ = at;
    update();
}

void BezierPenDrawingOverlay::leaveEvent(QEvent* event) {
    hover_.reset();
    update();
    QWidget::leaveEvent(event);
}

void BezierPenDrawingOverlay::paintEvent(QPaintEvent*) {
    if (vertices_.empty() && !press_) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const DrawingStroke path = pathStroke();
    const edit_handles::Look look = edit_handles::lookOf(*this);

    painter.save();
    if (look.solid) StrokeView{path, {}}.renderSolid(painter);
    else drawStroke(path, painter);
    painter.restore();

    // The piece the next vertex would add: to the pointer, or to the press
    // whose arms are being pulled.
    const std::optional<QPointF> next = press_ ? press_ : hover_;
    if (!vertices_.empty() && next) {
        QPainterPath band;
        band.moveTo(vertices_.back());
        const QPointF nextIn = pulledArm_ ? -*pulledArm_ : QPointF();
        band.cubicTo(vertices_.back() + out_.back(), *next + nextIn, *next);
        QPen pen(shownColour(path.color.toQColor(), look.solid), std::max(1.0, path.lineWidth / 3));
        pen.setStyle(Qt::DashLine);
        pen.setCapStyle(Qt::RoundCap);
        const double reach = pen.widthF() / 2 + 1;
        paintShown(painter, look.solid, band.controlPointRect().adjusted(-reach, -reach, reach, reach),
                   [&](QPainter& p) {
                       p.setPen(pen);
                       p.setBrush(Qt::NoBrush);
                       p.drawPath(band);
                   });
    }
    if (press_ && pulledArm_) {
        edit_handles::paintArm(painter, *press_ - *pulledArm_, *press_ + *pulledArm_, look);
        edit_handles::paintHandle(painter, *press_ - *pulledArm_, look);
        edit_handles::paintHandle(painter, *press_ + *pulledArm_, look);
    }
    for (QPointF v : vertices_) edit_handles::paintHandle(painter, v, look);
    if (press_) edit_handles::paintHandle(painter, *press_, look);
}
