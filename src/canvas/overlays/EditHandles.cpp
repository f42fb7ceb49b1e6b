// Handle drawing and picking shared by the edit overlays.

#include "canvas/overlays/EditHandles.h"

#include "canvas/SolidPixels.h"

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

Look lookOf(const QWidget& widget) { return {widget.palette().color(QPalette::Highlight), isShownSolid(widget)}; }

void paintHandle(QPainter& painter, QPointF centre, const Look& look) {
    const double reach = kDiameter / 2 + 1;
    const QRectF area(centre.x() - reach, centre.y() - reach, 2 * reach, 2 * reach);
    paintShown(painter, look.solid, area, [&](QPainter& p) {
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(look.accent, 1.5));
        p.setBrush(Qt::white);
        p.drawEllipse(centre, kDiameter / 2, kDiameter / 2);
    });
}

void paintArm(QPainter& painter, QPointF vertex, QPointF tip, const Look& look) {
    paintShown(painter, look.solid, QRectF(vertex, tip).normalized().adjusted(-1, -1, 1, 1), [&](QPainter& p) {
        p.setRenderHint(QPainter::Antialiasing);
        QPen pen(look.accent, 1);
        pen.setCapStyle(Qt::FlatCap);
        p.setPen(pen);
        p.drawLine(vertex, tip);
    });
}

} // namespace edit_handles
