#pragma once

// Drawn extents: how far the pixels of an outline can reach once it is
// stroked or filled. Each stroke family's geometry file builds its outlines
// and answers their extents beside them, through the builder here.
//
// Contract of every extent: a rectangle, in the outline's own coordinates,
// outside which drawing that outline as its painter does changes no pixel,
// antialiasing aside (allow one pixel around it); null when nothing is
// drawn. Line work is assumed to be stroked with butt, round or square caps
// and miter joins (Qt's SvgMiterJoin) under kMiterLimit.

#include <QPointF>
#include <QRectF>

#include <cstddef>
#include <initializer_list>
#include <vector>

// Miter joins (sharp corners and star tips) turn into bevels beyond this
// ratio of miter length to line width. Painters set it on every pen.
inline constexpr double kMiterLimit = 10;

// Grows a rectangle to take in the pixels of a stroked path.
class ExtentBuilder {
public:
    // A point with everything within `reach` of it.
    void add(QPointF p, double reach = 0);
    void add(const QRectF& r);
    // A path through `vertices` stroked `width` wide, closed or open: its
    // edges (cubic where the optional per-vertex arms, offsets from their
    // vertex, are not zero), the caps of its open ends and the miter tips of
    // its joins.
    void addStrokedPath(const std::vector<QPointF>& vertices, double width, bool closed,
                        const std::vector<QPointF>* armsIn = nullptr, const std::vector<QPointF>* armsOut = nullptr);
    // A miter join at `vertex` between the incoming direction `in` and the
    // outgoing direction `out`; nothing beyond half the width when the join
    // is bevelled or a direction is zero.
    void addJoin(QPointF vertex, QPointF in, QPointF out, double width);
    // An open end whose cap may be square, leaving in `direction` (zero:
    // any direction, half the width times √2 around it).
    void addCap(QPointF end, QPointF direction, double width);
    // A straight piece with butt ends: its four corners.
    void addSegment(QPointF a, QPointF b, double width);

    QRectF rect() const { return empty_ ? QRectF() : QRectF(QPointF(minX_, minY_), QPointF(maxX_, maxY_)); }

private:
    bool empty_ = true;
    double minX_ = 0, minY_ = 0, maxX_ = 0, maxY_ = 0;
};

// The tight bounds of the quadratic Bézier from s through control c to e.
QRectF quadraticBounds(QPointF s, QPointF c, QPointF e);
// The tight bounds of the cubic Bézier p0, c1, c2, p3.
QRectF cubicBounds(QPointF p0, QPointF c1, QPointF c2, QPointF p3);

// The first of the given directions that is not zero, else zero.
QPointF firstDirection(std::initializer_list<QPointF> candidates);

// The arm of vertex `i`: an offset from the vertex; a missing list or entry
// counts as no arm.
inline QPointF armAt(const std::vector<QPointF>* arms, std::size_t i) {
    return (arms && i < arms->size()) ? (*arms)[i] : QPointF();
}
