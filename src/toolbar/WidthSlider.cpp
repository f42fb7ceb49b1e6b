#include "toolbar/WidthSlider.h"

#include "platform/Dispatch.h"
#include "ui/ControlPainting.h"
#include "ui/Theme.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {
constexpr double kInset = WidthSlider::kKnobDiameter / 2;
constexpr double kTravel = WidthSlider::kLength - 2 * kInset;
} // namespace

WidthSlider::WidthSlider(QWidget* parent) : QWidget(parent) {
    platform::assertMainThread("WidthSlider");
    setFixedSize(sizeHint());
}

QSize WidthSlider::sizeHint() const {
    return vertical_ ? QSize(int(kVerticalThickness), int(kLength)) : QSize(int(kLength), int(kHorizontalThickness));
}

void WidthSlider::setVertical(bool vertical) {
    if (vertical == vertical_) return;
    vertical_ = vertical;
    setFixedSize(sizeHint());
    update();
}

void WidthSlider::setValue(double value) {
    const double v = std::isnan(value) ? kMinimum : std::clamp(value, kMinimum, kMaximum);
    if (v == value_) return;
    value_ = v;
    update();
}

QPointF WidthSlider::knobCentre(double value) const {
    const double t = (std::clamp(value, kMinimum, kMaximum) - kMinimum) / (kMaximum - kMinimum);
    if (vertical_) return QPointF(width() / 2.0, kLength - kInset - t * kTravel);
    return QPointF(kInset + t * kTravel, height() / 2.0);
}

double WidthSlider::valueAt(QPointF position) const {
    const double along = vertical_ ? (kLength - kInset - position.y()) : (position.x() - kInset);
    const double t = std::clamp(along / kTravel, 0.0, 1.0);
    return kMinimum + t * (kMaximum - kMinimum);
}

void WidthSlider::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const ui::Theme theme = ui::Theme::current(this);
    const QPointF knob = knobCentre(value_);
    const double half = kTrackThickness / 2;

    // The track, filled with the accent colour up to the knob.
    QRectF track, filled;
    if (vertical_) {
        const double x = width() / 2.0 - half;
        track = QRectF(x, kInset - half, kTrackThickness, kTravel + kTrackThickness);
        filled = QRectF(x, knob.y(), kTrackThickness, track.bottom() - knob.y());
    } else {
        const double y = height() / 2.0 - half;
        track = QRectF(kInset - half, y, kTravel + kTrackThickness, kTrackThickness);
        filled = QRectF(track.left(), y, knob.x() - track.left(), kTrackThickness);
    }
    ControlPainting::paintSlider(p, theme, track, filled, knob, kKnobDiameter);
}

void WidthSlider::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    dragging_ = true;
    userMovedTo(event->position());
}

void WidthSlider::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_) userMovedTo(event->position());
}

void WidthSlider::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !dragging_) return QWidget::mouseReleaseEvent(event);
    userMovedTo(event->position());
    dragging_ = false;
}

void WidthSlider::userMovedTo(QPointF position) {
    platform::assertMainThread("WidthSlider");
    const double v = valueAt(position);
    if (v == value_) return;
    value_ = v;
    update();
    valueChanged.emit(v);
}
