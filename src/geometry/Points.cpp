#include "geometry/Points.h"

#include <algorithm>
#include <cmath>

QRectF pointsBounds(const std::vector<QPointF>& pts) {
    if (pts.empty()) return QRectF();
    double x0 = pts[0].x(), x1 = x0, y0 = pts[0].y(), y1 = y0;
    for (const QPointF& p : pts) {
        x0 = std::min(x0, p.x());
        x1 = std::max(x1, p.x());
        y0 = std::min(y0, p.y());
        y1 = std::max(y1, p.y());
    }
    return QRectF(QPointF(x0, y0), QPointF(x1, y1));
}

QRectF grownBounds(const std::vector<QPointF>& pts, double reach) {
    if (pts.empty()) return QRectF();
    reach = std::abs(reach);
    return pointsBounds(pts).adjusted(-reach, -reach, reach, reach);
}

QRectF frameRect(QPointF a, QPointF b) {
    return QRectF(std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::abs(b.x() - a.x()), std::abs(b.y() - a.y()));
}
