// The slim scroll thumb of the panels' scrolling views.
#include "ui/ScrollIndicator.h"

#include "ui/ControlPainting.h"
#include "ui/Theme.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace ui {

ScrollIndicator::ScrollIndicator(QScrollBar* bar, QWidget* parent) : QWidget(parent), bar_(bar) {
    setCursor(Qt::ArrowCursor);
    QObject::connect(bar_, &QScrollBar::rangeChanged, this, [this] { follow(); });
    QObject::connect(bar_, &QScrollBar::valueChanged, this, [this] { update(); });
}

void ScrollIndicator::follow() {
    setVisible(bar_->maximum() > bar_->minimum());
    update();
}

QRectF ScrollIndicator::thumbRect() const {
    const double range = bar_->maximum() - bar_->minimum();
    const double total = range + bar_->pageStep();
    if (!(range > 0) || !(total > 0)) return QRectF();
    const double length = std::max(kMinimumThumb, height() * bar_->pageStep() / total);
    const double y = (height() - length) * (bar_->value() - bar_->minimum()) / range;
    return QRectF(1, y, width() - 2, length);
}

void ScrollIndicator::paintEvent(QPaintEvent*) {
    const QRectF thumb = thumbRect();
    if (thumb.isEmpty()) return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(ControlPainting::qcolor(Theme::current(this).secondary, kOpacity));
    p.drawRoundedRect(thumb, thumb.width() / 2, thumb.width() / 2);
}

void ScrollIndicator::mousePressEvent(QMouseEvent* event) {
    const QRectF thumb = thumbRect();
    if (thumb.isEmpty()) return;
    const double y = event->position().y();
    grab_ = thumb.contains(QPointF(thumb.center().x(), y)) ? y - thumb.top() : thumb.height() / 2;
    dragTo(y);
}

void ScrollIndicator::mouseMoveEvent(QMouseEvent* event) {
    if (grab_) dragTo(event->position().y());
}

void ScrollIndicator::mouseReleaseEvent(QMouseEvent*) { grab_.reset(); }

void ScrollIndicator::wheelEvent(QWheelEvent* event) {
    // The bar scrolls its view whether or not it is shown.
    QCoreApplication::sendEvent(bar_, event);
}

void ScrollIndicator::dragTo(double y) {
    const QRectF thumb = thumbRect();
    const double travel = height() - thumb.height();
    if (!(travel > 0)) return;
    const double fraction = std::clamp((y - *grab_) / travel, 0.0, 1.0);
    bar_->setValue(bar_->minimum() + int(std::lround(fraction * (bar_->maximum() - bar_->minimum()))));
}

} // namespace ui
