#include "geometry/LineGeometry.h"

#include "geometry/ExtentBuilder.h"
#include "geometry/Points.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

bool isZero(QPointF v) { return v.x() == 0 && v.y() == 0; }

constexpr double kHeadSpread = std::numbers::pi / 6;

// The line with its caps; answers the direction it leaves its end in.
QPointF addLine(ExtentBuilder& b, QPointF a, QPointF e, const std::optional<QPointF>& control, double w) {
    QPointF startDirection;
    if (control) {
        b.add(quadraticBounds(a, *control, e).adjusted(-w / 2, -w / 2, w / 2, w / 2));
        startDirection = firstDirection({*control - a, e - a});
    } else {
        b.addSegment(a, e, w);
        startDirection = e - a;
    }
    const QPointF endDirection = lineEndDirection(a, e, control);
    b.addCap(a, -startDirection, w);
    b.addCap(e, endDirection, w);
    return endDirection;
}

} // namespace

QPointF lineEndDirection(QPointF start, QPointF end, const std::optional<QPointF>& control) {
    if (control && !samePoint(*control, end)) return end - *control;
    return end - start;
}

double arrowHeadLength(double width) { return std::max(width * 5, 14.0); }

std::array<QPointF, 2> arrowHeadTips(QPointF end, QPointF direction, double width) {
    const double length = arrowHeadLength(width);
    const double angle = std::atan2(direction.y(), direction.x());
    const auto tip = [&](double turn) {
        return end - QPointF(std::cos(angle + turn), std::sin(angle + turn)) * length;
    };
    return {tip(kHeadSpread), tip(-kHeadSpread)};
}

void addLinePath(QPainterPath& path, QPointF start, QPointF end, const std::optional<QPointF>& control) {
    path.moveTo(start);
    if (control) path.quadTo(*control, end);
    else path.lineTo(end);
}

void addArrowPath(QPainterPath& path, QPointF start, QPointF end, const std::optional<QPointF>& control, double width) {
    addLinePath(path, start, end, control);
    const QPointF direction = lineEndDirection(start, end, control);
    if (isZero(direction)) return;
    const std::array<QPointF, 2> tips = arrowHeadTips(end, direction, width);
    path.moveTo(tips[0]);
    path.lineTo(end);
    path.lineTo(tips[1]);
}

QRectF lineExtent(QPointF start, QPointF end, const std::optional<QPointF>& control, double width) {
    ExtentBuilder b;
    addLine(b, start, end, control, width);
    return b.rect();
}

QRectF arrowExtent(QPointF start, QPointF end, const std::optional<QPointF>& control, double width) {
    ExtentBuilder b;
    const QPointF direction = addLine(b, start, end, control, width);
    if (isZero(direction)) {
        // No direction: the head may point anywhere.
        b.add(end, arrowHeadLength(width) + width);
        return b.rect();
    }
    const std::array<QPointF, 2> tips = arrowHeadTips(end, direction, width);
    for (const QPointF tip : tips) {
        b.addSegment(end, tip, width);
        b.addCap(tip, tip - end, width);
        // Joined to the line, or to the other head stroke, whichever way the
        // path is built.
        b.addJoin(end, direction, tip - end, width);
    }
    b.addJoin(end, end - tips[0], tips[1] - end, width);
    b.addJoin(end, end - tips[1], tips[0] - end, width);
    return b.rect();
}
