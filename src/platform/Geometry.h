#pragma once

// Screen-space points, sizes and rectangles, y up.

#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSizeF>

#include <cmath>
#include <limits>

namespace platform {

// Screen-space geometry: y grows upward, origin at the bottom-left of the
// primary monitor. Rectangle tests follow CoreGraphics' rules, which differ
// from QRectF's at the edges.
struct Point {
    double x = 0;
    double y = 0;
    constexpr Point() = default;
    constexpr Point(double px, double py) : x(px), y(py) {}
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    double width = 0;
    double height = 0;
    constexpr Size() = default;
    constexpr Size(double w, double h) : width(w), height(h) {}
    friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
    Point origin;
    Size size;

    constexpr Rect() = default;
    constexpr Rect(double x, double y, double w, double h) : origin{x, y}, size{w, h} {}
    constexpr Rect(Point o, Size s) : origin(o), size(s) {}

    static Rect null() {
        const double inf = std::numeric_limits<double>::infinity();
        return Rect(inf, inf, 0, 0);
    }
    bool isNull() const { return std::isinf(origin.x) || std::isinf(origin.y); }
    bool isEmpty() const { return isNull() || size.width == 0 || size.height == 0; }

    // Min/max read through the standardized rectangle (negative sizes allowed).
    double minX() const { return std::min(origin.x, origin.x + size.width); }
    double maxX() const { return std::max(origin.x, origin.x + size.width); }
    double minY() const { return std::min(origin.y, origin.y + size.height); }
    double maxY() const { return std::max(origin.y, origin.y + size.height); }
    double midX() const { return origin.x + size.width / 2; }
    double midY() const { return origin.y + size.height / 2; }
    double width() const { return std::abs(size.width); }
    double height() const { return std::abs(size.height); }

    Rect standardized() const { return Rect(minX(), minY(), width(), height()); }

    // Half-open: min edges inside, max edges outside.
    bool contains(Point p) const {
        if (isNull()) return false;
        return p.x >= minX() && p.x < maxX() && p.y >= minY() && p.y < maxY();
    }
    // Whether the rectangle holds the pixel the pointer is on. A pointer
    // location is the top-left corner of that pixel (where X reports the
    // pointer), flipped to y up: the pixel lies just below it. So the
    // rectangle's bottom edge is out and its top edge in, as a half-open
    // test in X's own y-down coordinates has them; contains() would take
    // the row below the rectangle instead of its top row.
    bool containsPointer(Point p) const {
        if (isNull()) return false;
        return p.x >= minX() && p.x < maxX() && p.y > minY() && p.y <= maxY();
    }
    bool contains(const Rect& r) const;
    // True when the interiors overlap; an empty rectangle strictly inside
    // another intersects it, as in CoreGraphics.
    bool intersects(const Rect& r) const;
    Rect intersection(const Rect& r) const;
    Rect united(const Rect& r) const;
    Rect insetBy(double dx, double dy) const;
    Rect offsetBy(double dx, double dy) const { return Rect(origin.x + dx, origin.y + dy, size.width, size.height); }

    friend bool operator==(const Rect&, const Rect&) = default;
};

// The edge of a frame larger than the bounds it is kept inside that lies on
// the bounds' edge, along one axis: the one at the smaller coordinate (the
// left edge; the bottom in y-up screen space, the top in Qt's y-down
// coordinates) or the one at the larger.
enum class KeptEdge { minEdge, maxEdge };
struct KeepInsideTie {
    KeptEdge x;
    KeptEdge y;
};

// The one rule by which a window of ours (a panel, a menu, a tooltip chip)
// or a text box stays on its display's visible frame: `frame` moved, along
// each axis apart, as little as it takes to lie inside `bounds`; exactly as
// it is along an axis on which it does already. Along an axis on which it
// is larger than `bounds`, the edge `tie` names lies on the bounds' edge.
// Its size never changes. The tie is the caller's because the edge that must
// stay in sight is where the caller's content begins, and that differs: a
// panel's top (its root scrolls from there), a one-line chip's left, a text
// box's first line; each caller names its tie and says why.
Rect keptInside(const Rect& frame, const Rect& bounds, KeepInsideTie tie);

// Conversions between y-up screen space and Qt's global coordinates (y-down,
// origin at the top-left of the X root), through the primary monitor's
// rectangle in root coordinates.
Point toScreen(const QPointF& global, const QRect& primaryInRoot);
QPointF toGlobal(const Point& p, const QRect& primaryInRoot);
Rect toScreen(const QRectF& global, const QRect& primaryInRoot);
QRectF toGlobal(const Rect& r, const QRect& primaryInRoot);

// The primary monitor's rectangle in root coordinates: the one the screen
// list last read from the X server, so that conversions agree with the
// screens' frames (Qt's stand-in screen keeps a stale frame once the server
// lists no monitor); Qt's primary screen until a list has been read.
QRect primaryRootRect();
// Called by the screen list each time it takes a new reading.
void notePrimaryRootRect(const QRect& primaryInRoot);
Point toScreen(const QPointF& global);
QPointF toGlobal(const Point& p);
Rect toScreen(const QRectF& global);
QRectF toGlobal(const Rect& r);

} // namespace platform
