#pragma once

// Geometry of vertices with Bézier arms, shared by the bezier pen overlays
// and the polygon edit overlay: the cubic pieces of a path, splitting one
// without changing its shape, the nearest point on a path, smooth arms, and
// the list of vertex and arm handles.

#include "model/DrawingStroke.h"

#include <QPointF>

#include <optional>
#include <vector>

namespace bezier_geometry {

struct Cubic {
    QPointF p0, p1, p2, p3;
    QPointF at(double t) const;
};

// The arms of a stroke's vertices, one per vertex (missing ones zero).
std::vector<QPointF> armsOf(const std::optional<std::vector<QPointF>>& arms, std::size_t count);
bool isZero(QPointF p);

// A bezier path's anchors: its vertices, else its points.
std::vector<QPointF> anchors(const DrawingStroke& path);
// Whether the path ends where it began (a closed path repeats its first
// vertex at the end).
bool isClosed(const std::vector<QPointF>& anchors);
// Gives the path its anchors, with arms for each (zero where none), and
// makes its points, start and end follow them.
void setAnchors(DrawingStroke& path, std::vector<QPointF> anchors, std::vector<QPointF> in, std::vector<QPointF> out);

// Piece i of the path, from anchor i to anchor i + 1.
Cubic segment(const DrawingStroke& path, std::size_t i);
// de Casteljau: the two halves at t, together the same curve.
std::pair<Cubic, Cubic> split(const Cubic& c, double t);

struct PathPoint {
    std::size_t segment = 0;
    double t = 0;
    double distance = 0;
};
// The point of the path nearest to `point` (stroke coordinates); none for a
// path of fewer than two anchors.
std::optional<PathPoint> nearestOnPath(const DrawingStroke& path, QPointF point);
// The path with a vertex at `at`, its neighbours' arms shortened so that the
// curve keeps its shape.
DrawingStroke withVertexInserted(const DrawingStroke& path, const PathPoint& at);

// The arms of a vertex made smooth: along the chord of its neighbours, a
// quarter of it on each side. On a closed outline the neighbours wrap round;
// on an open path an end takes the chord to its one neighbour.
std::pair<QPointF, QPointF> smoothArms(const std::vector<QPointF>& vertices, std::size_t i, bool wraps);

// A handle of a vertex or of one of its arms.
struct HandleRef {
    enum Kind { vertex, armIn, armOut } kind = vertex;
    std::size_t index = 0;
};
// Every vertex, then the tips of the arms that are not zero, vertex by
// vertex; `refs` receives what each one is.
std::vector<QPointF> vertexAndArmHandles(const std::vector<QPointF>& vertices, const std::vector<QPointF>& in,
                                         const std::vector<QPointF>& out, std::vector<HandleRef>& refs);
// Moves one handle to `to`: a vertex carries its arms along; an arm moves
// alone, and its partner, unless zero, mirrors it (a smooth vertex stays
// smooth).
void dragHandle(std::vector<QPointF>& vertices, std::vector<QPointF>& in, std::vector<QPointF>& out,
                const HandleRef& ref, QPointF to);

// Vertices with an in and an out arm each: what the bezier path and polygon
// edit overlays show and drag.
struct ArmedVertices {
    std::vector<QPointF> vertices, in, out;

    // `vertices` with the arms `stroke` gives them.
    static ArmedVertices of(const DrawingStroke& stroke, std::vector<QPointF> vertices);
    // The handles, as vertexAndArmHandles lists them.
    std::vector<QPointF> handles() const;
    // A line from each vertex to every arm tip of it that is not zero.
    std::vector<std::pair<QPointF, QPointF>> armLines() const;
    // Drags handle `handle` (of handles()) to `to`; what that handle is, or
    // none when there is no such handle.
    std::optional<HandleRef> drag(std::size_t handle, QPointF to);
};

} // namespace bezier_geometry
