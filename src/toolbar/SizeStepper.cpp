// The font picker's size stepper.
#include "toolbar/SizeStepper.h"

#include "ui/Theme.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <utility>

namespace {
constexpr int kFirstRepeatMs = 400;
constexpr int kRepeatMs = 80;
constexpr double kCornerRadius = 4;
constexpr double kArrowHalfWidth = 3;
constexpr double kArrowHeight = 3;
} // namespace

SizeStepper::SizeStepper(std::function<void()> stepUp, std::function<void()> stepDown, QWidget* parent)
    : QWidget(parent), stepUp_(std::move(stepUp)), stepDown_(std::move(stepDown)) {
    setFixedSize(kWidth, kHeight);
    setFocusPolicy(Qt::NoFocus);
    setAccessibleName(QStringLiteral("Size"));
    repeat_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&repeat_, &QTimer::timeout, this, [this] {
        repeat_.setInterval(kRepeatMs);
        step();
    });
}

void SizeStepper::setCanStep(bool up, bool down) {
    if (up == canUp_ && down == canDown_) return;
    canUp_ = up;
    canDown_ = down;
    update();
}

void SizeStepper::step() {
    const Half half = held_;
    if (half == Half::up && canUp_ && stepUp_) stepUp_();
    if (half == Half::down && canDown_ && stepDown_) stepDown_();
    // The end of the range ends the repeat.
    if ((half == Half::up && !canUp_) || (half == Half::down && !canDown_)) repeat_.stop();
}

void SizeStepper::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    held_ = event->position().y() < height() / 2.0 ? Half::up : Half::down;
    update();
    step();
    repeat_.start(kFirstRepeatMs);
    event->accept();
}

void SizeStepper::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
    held_ = Half::none;
    repeat_.stop();
    update();
    event->accept();
}

void SizeStepper::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    held_ = Half::none;
    repeat_.stop();
}

void SizeStepper::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const ui::Theme theme = ui::Theme::current(this);
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const double mid = height() / 2.0;

    if (held_ != Half::none) {
        QPainterPath clip;
        clip.addRoundedRect(box, kCornerRadius, kCornerRadius);
        p.save();
        p.setClipPath(clip);
        const QRectF half = held_ == Half::up ? QRectF(box.left(), box.top(), box.width(), mid - box.top())
                                              : QRectF(box.left(), mid, box.width(), box.bottom() - mid);
        p.fillRect(half, theme.primary.opacity(0.12).toQColor());
        p.restore();
    }
    p.setPen(QPen(theme.tertiary.toQColor(), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(box, kCornerRadius, kCornerRadius);
    p.drawLine(QPointF(box.left() + 2, mid), QPointF(box.right() - 2, mid));

    const double cx = width() / 2.0;
    auto arrow = [&](bool up, bool enabled) {
        const double tipY = up ? mid / 2 - kArrowHeight / 2 : mid + mid / 2 + kArrowHeight / 2;
        const double baseY = up ? tipY + kArrowHeight : tipY - kArrowHeight;
        QPainterPath path;
        path.moveTo(cx - kArrowHalfWidth, baseY);
        path.lineTo(cx, tipY);
        path.lineTo(cx + kArrowHalfWidth, baseY);
        path.closeSubpath();
        p.fillPath(path, (enabled ? theme.primary : theme.tertiary).toQColor());
    };
    arrow(true, canUp_);
    arrow(false, canDown_);
}
