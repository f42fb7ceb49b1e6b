#include "geometry/ShapeGeometry.h"

#include "geometry/ExtentBuilder.h"

namespace {

bool isZero(QPointF v) { return v.x() == 0 && v.y() == 0; }

// The edge from v[i] to v[j]: cubic when either end has an arm.
void addEdge(QPainterPath& path, const std::vector<QPointF>& v, std::size_t i, std::size_t j,
             const std::vector<QPointF>* armsIn, const std::vector<QPointF>* armsOut) {
    const QPointF out = armAt(armsOut, i), in = armAt(armsIn, j);
    if (isZero(out) && isZero(in)) path.lineTo(v[j]);
    else path.cubicTo(v[i] + out, v[j] + in, v[j]);
}

} // namespace

QPainterPath rectanglePath(const QRectF& rect) {
    QPainterPath path;
    path.addRect(rect);
    return path;
}

QPainterPath ellipsePath(const QRectF& rect) {
    QPainterPath path;
    path.addEllipse(rect);
    return path;
}

QRectF frameShapeExtent(const QRectF& frame, double width) {
    return frame.adjusted(-width / 2, -width / 2, width / 2, width / 2);
}

void addPolygonPath(QPainterPath& path, const std::vector<QPointF>& vertices, const std::vector<QPointF>* armsIn,
                    const std::vector<QPointF>* armsOut) {
    if (vertices.empty()) return;
    path.moveTo(vertices[0]);
    const std::size_t n = vertices.size();
    for (std::size_t i = 0; i < n; ++i) addEdge(path, vertices, i, (i + 1) % n, armsIn, armsOut);
    path.closeSubpath();
}

QRectF polygonExtent(const std::vector<QPointF>& vertices, double width, const std::vector<QPointF>* armsIn,
                     const std::vector<QPointF>* armsOut) {
    ExtentBuilder b;
    b.addStrokedPath(vertices, width, true, armsIn, armsOut);
    return b.rect();
}

void addBezierPath(QPainterPath& path, const std::vector<QPointF>& anchors, const std::vector<QPointF>* armsIn,
                   const std::vector<QPointF>* armsOut) {
    if (anchors.size() < 2) return;
    path.moveTo(anchors[0]);
    for (std::size_t i = 0; i + 1 < anchors.size(); ++i) addEdge(path, anchors, i, i + 1, armsIn, armsOut);
}

QRectF bezierPathExtent(const std::vector<QPointF>& anchors, double width, const std::vector<QPointF>* armsIn,
                        const std::vector<QPointF>* armsOut) {
    ExtentBuilder b;
    // Whether the path is closed is not recorded on the stroke: take in the
    // joins of both readings.
    b.addStrokedPath(anchors, width, false, armsIn, armsOut);
    if (anchors.size() >= 3) b.addStrokedPath(anchors, width, true, armsIn, armsOut);
    return b.rect();
}
