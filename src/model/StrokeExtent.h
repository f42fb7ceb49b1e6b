#pragma once

// How far a stroke's pixels can reach: the drawn extent every stroke kind
// answers. The eraser tests it (so what the live eraser visibly cut is kept
// on the stroke), and the canvas's cached renderer repaints within it.
//
// Contract: drawnExtent(s) is a rectangle in the stroke's own coordinates
// (its pending offset not applied) outside which its painter changes no
// pixel, antialiasing aside (allow one pixel around it). It is the null
// QRectF when the stroke paints nothing. Erasures only take pixels away and
// never enlarge it. It must not depend on anything but the stroke, and every
// painter is tested to stay inside it.
//
// Line work is assumed to be stroked with butt, round or square caps and
// miter joins under CoreGraphics' miter limit (kStrokeMiterLimit, the miter
// length over the line width; beyond it a join is bevelled).

#include <QPointF>
#include <QRectF>

#include <vector>

struct DrawingStroke;

inline constexpr double kStrokeMiterLimit = 10;

QRectF drawnExtent(const DrawingStroke& stroke);

// Where the stroke is shown: its drawn extent moved by its offset.
QRectF shownDrawnExtent(const DrawingStroke& stroke);

// What an eraser dab's square must meet for the dab to be kept on the
// stroke: the bounding rectangle united with the drawn extent.
QRectF eraserTestExtent(const DrawingStroke& stroke);

// Grows a rectangle to take in the pixels of a stroked path. Painters whose
// reach follows from their own geometry add it through these.
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
