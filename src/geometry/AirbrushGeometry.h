#pragma once

// The airbrush's spray: where its soft dabs and its speckles go along a
// path, the speckles' blob outlines, and how far all of it reaches. Dabs and
// speckles are both placed by walking the path from its first point at a
// fixed spacing, so what was placed stays where it is as the stroke grows.

#include <QPainterPath>
#include <QPoint>
#include <QPointF>
#include <QRectF>

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

// ---- The walk ----

// Calls visit(position, index of the segment's first point) at the first
// point and then every `spacing` of path length; zero-length steps add
// nothing.
template <typename Visit>
void walkPath(const std::vector<QPointF>& points, double spacing, Visit&& visit) {
    if (points.empty()) return;
    visit(points[0], std::size_t{0});
    double nextAt = spacing, travelled = 0;
    for (std::size_t i = 1; i < points.size(); ++i) {
        const QPointF a = points[i - 1], d = points[i] - a;
        const double len = std::hypot(d.x(), d.y());
        if (!(len > 0)) continue;
        while (nextAt <= travelled + len) {
            visit(a + d * ((nextAt - travelled) / len), i - 1);
            nextAt += spacing;
        }
        travelled += len;
    }
}

// ---- Soft dabs ----

// The soft body's opacity along the path, built up by its overlapping dabs.
inline constexpr double kSprayCentreAlpha = 0.6;

// Dabs of the line width's radius, this far apart along the path.
double sprayDabSpacing(double width);
// The bell of a soft dab at `t` radii from its centre: 1 at the centre,
// falling smoothly to 0 at the radius.
double dabProfile(double t);
// The peak opacity of one dab such that dabs `spacing` apart along a path
// build up to about kSprayCentreAlpha on it.
double dabPeakAlpha(double spacing, double radius);
// The top-left pixel of a dab image `side` pixels wide centred on `at`:
// whole pixels, as a soft dab needs no subpixel placement and the plain copy
// is the fastest image drawing there is.
QPoint dabCorner(QPointF at, int side);

// ---- Speckles ----

// Places along the path, this far apart, each with two chances of a blob.
double speckleSpacing(double width);

struct Speckle {
    QPointF centre;
    double radius = 0;
    int blob = 0;        // which of the blob outlines
    bool strong = false; // drawn at the stronger of the two opacities
};
// The speckles of place `place` of the walk, found at `at` on the segment
// that starts `segmentStart` away from the path's first point: seeded by
// both, so a speckle stays where it is while the stroke grows and when the
// stroke is moved. Answers how many of `out` it filled (0 to 2).
int specklesAt(QPointF at, QPointF segmentStart, std::uint64_t place, double width, std::array<Speckle, 2>& out);
// Adds the speckle's blob, a polygon turning like the other blobs.
void addSpeckleOutline(QPainterPath& path, const Speckle& speckle);
// How far a speckle's pixels reach from its centre, antialiasing included.
double speckleReach(const Speckle& speckle);

// ---- Extent ----

// The widest soft dab, or the farthest speckle with its blob's spikes.
double airbrushReach(double width);
QRectF airbrushExtent(const std::vector<QPointF>& points, double width);

// ---- Blobs ----

// A closed, irregular eight-lobed blob; equal seeds give equal blobs. Lobes
// reach up to kBlobMaxReach × radius from the centre.
QPainterPath blobOutline(std::int64_t seed, QPointF center, double radius);
inline constexpr double kBlobMaxReach = 3.0;
