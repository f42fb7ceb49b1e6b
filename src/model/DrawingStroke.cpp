#include "model/DrawingStroke.h"

#include <algorithm>

namespace {

bool samePoints(const std::vector<QPointF>& a, const std::vector<QPointF>& b) {
    if (&a == &b) return true;
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), samePoint);
}

bool samePoints(const std::optional<std::vector<QPointF>>& a, const std::optional<std::vector<QPointF>>& b) {
    if (a.has_value() != b.has_value()) return false;
    return !a || samePoints(*a, *b);
}

} // namespace

void DrawingStroke::bakeOffset() {
    const double dx = offset.width();
    const double dy = offset.height();
    if (dx == 0 && dy == 0) return;
    const QPointF d(dx, dy);
    if (!points.empty())
        for (auto& p : points.mutableVector()) p += d;
    startPoint += d;
    endPoint += d;
    if (controlPoint) *controlPoint += d;
    if (customVertices)
        for (auto& v : *customVertices) v += d;
    if (!erasures.empty())
        for (auto& e : erasures.mutableVector()) e.center += d;
    offset = QSizeF(0, 0);
}

QRectF DrawingStroke::boundingRect() const {
    double minX = std::min(startPoint.x(), endPoint.x());
    double maxX = std::max(startPoint.x(), endPoint.x());
    double minY = std::min(startPoint.y(), endPoint.y());
    double maxY = std::max(startPoint.y(), endPoint.y());
    auto include = [&](const QPointF& p) {
        minX = std::min(minX, p.x());
        maxX = std::max(maxX, p.x());
        minY = std::min(minY, p.y());
        maxY = std::max(maxY, p.y());
    };
    for (const auto& p : points) include(p);
    if (customVertices)
        for (const auto& v : *customVertices) include(v);
    return QRectF(QPointF(minX, minY), QPointF(maxX, maxY)).adjusted(-lineWidth, -lineWidth, lineWidth, lineWidth);
}

bool operator==(const DrawingStroke& a, const DrawingStroke& b) {
    return a.id == b.id && a.displayID == b.displayID && samePoints(a.points.get(), b.points.get()) &&
           a.tool == b.tool && a.color == b.color && a.lineWidth == b.lineWidth &&
           samePoint(a.startPoint, b.startPoint) && samePoint(a.endPoint, b.endPoint) && a.text == b.text &&
           a.fontName == b.fontName && a.explicitFontSize == b.explicitFontSize &&
           a.rotationDegrees == b.rotationDegrees && a.controlPoint.has_value() == b.controlPoint.has_value() &&
           (!a.controlPoint || samePoint(*a.controlPoint, *b.controlPoint)) && a.offset.width() == b.offset.width() &&
           a.offset.height() == b.offset.height() && samePoints(a.customVertices, b.customVertices) &&
           samePoints(a.bezierHandleIn, b.bezierHandleIn) && samePoints(a.bezierHandleOut, b.bezierHandleOut) &&
           a.gimpBrushID == b.gimpBrushID && a.gimpSpacing == b.gimpSpacing &&
           a.gimpCellSelection == b.gimpCellSelection && a.erasures == b.erasures;
}
