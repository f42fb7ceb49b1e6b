// The panels' continuous slider.
#include "ui/PanelSlider.h"

#include "platform/Dispatch.h"
#include "ui/ControlPainting.h"
#include "ui/Theme.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {
constexpr double kInset = PanelSlider::kKnobDiameter / 2;
} // namespace

PanelSlider::PanelSlider(double minimum, double maximum, QWidget* parent)
    : QWidget(parent), minimum_(minimum), maximum_(std::max(maximum, minimum)), value_(minimum) {
    platform::assertMainThread("PanelSlider");
    setFixedHeight(int(kHeight));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFocusPolicy(Qt::NoFocus);
}

QSize PanelSlider::sizeHint() const { return QSize(120, int(kHeight)); }
QSize PanelSlider::minimumSizeHint() const { return QSize(int(4 * kKnobDiameter), int(kHeight)); }

void PanelSlider::setValue(double value) {
    const double v = std::isnan(value) ? minimum_ : std::clamp(value, minimum_, maximum_);
    if (v == value_) return;
    value_ = v;
    update();
}

QPointF PanelSlider::knobCentre(double value) const {
    const double span = maximum_ - minimum_;
    const double t = span > 0 ? (std::clamp(value, minimum_, maximum_) - minimum_) / span : 0;
    return QPointF(kInset + t * std::max(0.0, width() - 2 * kInset), height() / 2.0);
}

double PanelSlider::valueAt(QPointF position) const {
    const double travel = width() - 2 * kInset;
    const double t = travel > 0 ? std::clamp((position.x() - kInset) / travel, 0.0, 1.0) : 0;
    return minimum_ + t * (maximum_ - minimum_);
}

void PanelSlider::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const ui::Theme theme = ui::Theme::current(this);
    const QPointF knob = knobCentre(value_);
    const double half = kTrackThickness / 2;
    const double y = height() / 2.0 - half;
    const QRectF track(kInset - half, y, std::max(0.0, width() - 2 * kInset) + kTrackThickness, kTrackThickness);
    const QRectF filled(track.left(), y, knob.x() - track.left(), kTrackThickness);
    ControlPainting::paintSlider(p, theme, track, filled, knob, kKnobDiameter);
}

void PanelSlider::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    platform::assertMainThread("PanelSlider press");
    if (!editing_) {
        editing_ = true;
        editingChanged.emit(true);
    }
    userMovedTo(event->position());
}

void PanelSlider::mouseMoveEvent(QMouseEvent* event) {
    if (editing_ && (event->buttons() & Qt::LeftButton)) userMovedTo(event->position());
}

void PanelSlider::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !editing_) return QWidget::mouseReleaseEvent(event);
    userMovedTo(event->position());
    endEditing();
}

void PanelSlider::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // A slider taken away mid-drag gets no release: the edit ends here.
    endEditing();
}

void PanelSlider::endEditing() {
    if (!editing_) return;
    editing_ = false;
    editingChanged.emit(false);
}

void PanelSlider::userMovedTo(QPointF position) {
    platform::assertMainThread("PanelSlider");
    const double v = valueAt(position);
    if (v == value_) return;
    value_ = v;
    update();
    valueChanged.emit(v);
}
