#pragma once

// Pure geometry shared by the hit test, the live-stroke builder, the painters
// and the edit overlays. Everything is in canvas coordinates: Qt's logical
// pixels with y growing downward, so an angle of −π/2 points up. The point
// helpers that stroke geometry needs as well (pointsBounds, frameRect) come
// from geometry/Points.h.

#include "geometry/Points.h"

#include <QPainterPath>
#include <QPointF>
#include <QRectF>

#include <cstdint>
#include <optional>
#include <vector>

enum class DrawingTool;
struct DrawingStroke;

// Distance from p to the segment a–b (to a when the segment has no length).
double distanceToSegment(QPointF p, QPointF a, QPointF b);

// The vertices of a regular polygon inscribed in the ellipse of `rect`, the
// first at `startAngle`. A negative side count yields no vertices.
std::vector<QPointF> regularPolygonVertices(int sides, const QRectF& rect, double startAngle);

// 2n vertices alternating outer point and inner notch (at innerRatio of the
// radii), starting with an outer point at `startAngle`. Negative n: none.
std::vector<QPointF> starVertices(int points, const QRectF& rect, double innerRatio, double startAngle);

// The regular vertices of a polygon shape tool in `rect`; none for a tool
// that is no polygon shape.
std::optional<std::vector<QPointF>> shapeVertices(DrawingTool tool, const QRectF& rect);

// The outline vertices of a polygon-shape stroke: its edited vertices, else
// the regular shape of its frame; empty for a stroke without either.
std::vector<QPointF> polygonVertices(const DrawingStroke& stroke);

// True when p lies strictly closer than `tolerance` to an edge of the closed
// polygon; the inside is no hit.
bool isNearPolygonEdge(QPointF p, const std::vector<QPointF>& vertices, double tolerance);

// Corner cutting: each iteration turns n points into 2n, ends kept.
// A negative iteration count leaves the points unchanged.
std::vector<QPointF> chaikinSmooth(const std::vector<QPointF>& points, int iterations);

// Two Chaikin iterations over a path that grows at its end, as a drag's
// samples do: a new sample moves only the last few output points, so the
// rest is kept and only the end is cut again. The same points as
// chaikinSmooth(points, 2).
class GrowingChaikinSmooth {
public:
    const std::vector<QPointF>& update(const std::vector<QPointF>& points);

private:
    std::vector<QPointF> out_;
    std::size_t inputs_ = 0;
    QPointF first_, last_;
};

// Uniform cubic B-spline and Catmull-Rom with clamped ends; (n−1)·s + 1
// points out. Fewer than two points, or fewer than one sample per segment,
// leave the points unchanged.
std::vector<QPointF> bSplineSmooth(const std::vector<QPointF>& points, int samplesPerSegment);
std::vector<QPointF> catmullRomSmooth(const std::vector<QPointF>& points, int samplesPerSegment);

// Moves one end of a freehand stroke to `target` while the other end stays
// exactly in place and the rest follows like a chain of rigid links.
std::vector<QPointF> dragStrokeEnd(const std::vector<QPointF>& points, bool draggingStart, QPointF target);

// A closed, irregular eight-lobed blob; equal seeds give equal blobs. Lobes
// reach up to 3 × radius from the centre.
QPainterPath blobPath(std::int64_t seed, QPointF center, double radius);
