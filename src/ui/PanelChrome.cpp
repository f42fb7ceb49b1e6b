// The anchored panels' background with its square corners on the toolbar's side.
#include "ui/PanelChrome.h"

#include "platform/Compositing.h"
#include "platform/Dispatch.h"
#include "ui/Theme.h"

#include <QPainter>

#include <algorithm>

namespace ui {

PanelChrome::Corners PanelChrome::corners(PanelOpenDirection direction, double radius) {
    switch (direction) {
    case PanelOpenDirection::below: return {0, 0, radius, radius};
    case PanelOpenDirection::above: return {radius, radius, 0, 0};
    case PanelOpenDirection::toRight: return {0, radius, radius, 0};
    case PanelOpenDirection::toLeft: return {radius, 0, 0, radius};
    }
    return {radius, radius, radius, radius};
}

QPainterPath PanelChrome::shape(const QRectF& rect, const Corners& c) {
    // No corner may take more than half of either side.
    const double limit = std::min(rect.width(), rect.height()) / 2;
    const double tl = std::clamp(c.topLeft, 0.0, limit);
    const double tr = std::clamp(c.topRight, 0.0, limit);
    const double br = std::clamp(c.bottomRight, 0.0, limit);
    const double bl = std::clamp(c.bottomLeft, 0.0, limit);
    QPainterPath path;
    path.moveTo(rect.left() + tl, rect.top());
    path.lineTo(rect.right() - tr, rect.top());
    if (tr > 0) path.arcTo(QRectF(rect.right() - 2 * tr, rect.top(), 2 * tr, 2 * tr), 90, -90);
    path.lineTo(rect.right(), rect.bottom() - br);
    if (br > 0) path.arcTo(QRectF(rect.right() - 2 * br, rect.bottom() - 2 * br, 2 * br, 2 * br), 0, -90);
    path.lineTo(rect.left() + bl, rect.bottom());
    if (bl > 0) path.arcTo(QRectF(rect.left(), rect.bottom() - 2 * bl, 2 * bl, 2 * bl), 270, -90);
    path.lineTo(rect.left(), rect.top() + tl);
    if (tl > 0) path.arcTo(QRectF(rect.left(), rect.top(), 2 * tl, 2 * tl), 180, -90);
    path.closeSubpath();
    return path;
}

PanelChrome::PanelChrome(double cornerRadius, PanelOpenDirection direction, QWidget* parent)
    : QWidget(parent), radius_(cornerRadius), direction_(direction) {
    platform::assertMainThread("PanelChrome");
    setAttribute(Qt::WA_TranslucentBackground);
    // The material is opaque without a compositing manager.
    subscription_ = platform::compositingChanged().connect([this](bool) { update(); });
}

void PanelChrome::setDirection(PanelOpenDirection direction) {
    if (direction == direction_) return;
    direction_ = direction;
    update();
}

void PanelChrome::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const Theme theme = Theme::current(this);
    p.fillPath(shape(QRectF(rect()), corners()), theme.material.toQColor());
}

} // namespace ui
