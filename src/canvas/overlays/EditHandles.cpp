// Handle drawing and picking shared by the edit overlays.

#include "canvas/overlays/EditHandles.h"

#include <QPainter>
#include <QPalette>
#include <QPen>
#include <QWidget>

#include <cmath>

namespace edit_handles {

double distance(QPointF a, QPointF b) { return std::hypot(a.x() - b.x(), a.y() - b.y()); }

std::optional<std::size_t> handleAt(const std::vector<QPointF>& handles, QPointF point) {
    std::optional<std::size_t> best;
    double bestDistance = kHitRadius;
    for (std::size_t i = 0; i < handles.size(); ++i) {
        const double d = distance(handles[i], point);
        if (d < bestDistance || (best && d == bestDistance)) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}

QColor accentOf(const QWidget& widget) { return widget.palette().color(QPalette::Highlight); }

void paintHandle(QPainter& painter, QPointF centre, const QColor& accent) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(accent, 1.5));
    painter.setBrush(Qt::white);
    painter.drawEllipse(centre, kDiameter / 2, kDiameter / 2);
    painter.restore();
}

void paintArm(QPainter& painter, QPointF vertex, QPointF tip, const QColor& accent) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(accent, 1);
    pen.setCapStyle(Qt::FlatCap);
    painter.setPen(pen);
    painter.drawLine(vertex, tip);
    painter.restore();
}

} // namespace edit_handles
