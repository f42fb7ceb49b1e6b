#include "canvas/StrokeHitSpans.h"

#include "model/Algorithms.h"
#include "model/StrokeHitIndex.h"
#include "model/StrokeText.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// The intervals below are worked out with other formulas than the hit
// test's and may differ from it in the last bits. Each shape is cut twice,
// shrunk and grown by this much: pixels inside the shrunk one are hit
// surely, pixels outside the grown one surely not, and the few between are
// asked of the hit test itself.
constexpr double kEdge = 1e-6;

// An open interval of pixel columns (fractional) on pixel row y; `sure`: of
// the shrunk cut.
struct RowInterval {
    int y;
    double lo;
    double hi;
    bool sure;
};

struct Range {
    double lo = std::numeric_limits<double>::infinity();
    double hi = -std::numeric_limits<double>::infinity();
    bool empty() const { return !(lo <= hi); }
    void unite(const Range& r) {
        if (r.empty()) return;
        lo = std::min(lo, r.lo);
        hi = std::max(hi, r.hi);
    }
};

// The x for which m·x + c lies in [lo, hi]; everything or nothing when m is 0.
Range linearRange(double m, double c, double lo, double hi) {
    if (std::abs(m) < 1e-12) {
        if (c >= lo && c <= hi) return {-1e300, 1e300};
        return {};
    }
    const double a = (lo - c) / m, b = (hi - c) / m;
    return {std::min(a, b), std::max(a, b)};
}

Range intersect(Range a, Range b) { return {std::max(a.lo, b.lo), std::min(a.hi, b.hi)}; }

// The shapes a hit band is made of, cut into row intervals. Coordinates in
// canvas points; rows and columns in pixels of `scale` points.
class RowCutter {
public:
    explicit RowCutter(double scale) : scale_(scale) {}
    // Cuts what follows shrunk (sure) or grown by kEdge.
    void setSure(bool sure) { sure_ = sure; }
    double grow() const { return sure_ ? -kEdge : kEdge; }

    // Points nearer than r to c.
    void disc(QPointF c, double r) {
        r += grow();
        forRows(c.y() - r, c.y() + r, [&](double y) {
            const double dy = y - c.y();
            if (std::abs(dy) >= r) return Range{};
            const double w = std::sqrt(std::max(0.0, r * r - dy * dy));
            return Range{c.x() - w, c.x() + w};
        });
    }

    // Points nearer than r to the segment a–b.
    void capsule(QPointF a, QPointF b, double r) {
        const QPointF v = b - a;
        const double len = std::hypot(v.x(), v.y());
        if (len == 0 || !std::isfinite(len)) return disc(a, r);
        r += grow();
        const QPointF d = v / len;
        const QPointF n(-d.y(), d.x());
        forRows(std::min(a.y(), b.y()) - r, std::max(a.y(), b.y()) + r, [&](double y) {
            Range row;
            for (const QPointF& e : {a, b}) {
                const double dy = y - e.y();
                if (std::abs(dy) < r) {
                    const double w = std::sqrt(std::max(0.0, r * r - dy * dy));
                    row.unite({e.x() - w, e.x() + w});
                }
            }
            // Between the ends: along the segment, less than r across it.
            const Range along = linearRange(d.x(), (y - a.y()) * d.y() - a.x() * d.x(), 0, len);
            const Range across = linearRange(n.x(), (y - a.y()) * n.y() - a.x() * n.x(), -r, r);
            row.unite(intersect(along, across));
            return row;
        });
    }

    // The ellipse test's band: |hypot((x - cx) / rx, (y - cy) / ry) - 1| < k.
    void ellipseBand(QPointF c, double rx, double ry, double k) {
        k += grow() / std::min(rx, ry);
        forRowPairs(c.y() - ry * (1 + k), c.y() + ry * (1 + k), [&](double y, Range& left, Range& right) {
            const double ny = (y - c.y()) / ry;
            const double outer = (1 + k) * (1 + k) - ny * ny;
            if (outer <= 0) return;
            const double wo = std::sqrt(std::max(0.0, outer));
            double wi = -1;
            if (k < 1) {
                const double inner = (1 - k) * (1 - k) - ny * ny;
                if (inner > 0) wi = std::sqrt(inner);
            }
            if (wi <= 0) {
                left = {c.x() - rx * wo, c.x() + rx * wo};
            } else {
                left = {c.x() - rx * wo, c.x() - rx * wi};
                right = {c.x() + rx * wi, c.x() + rx * wo};
            }
        });
    }

    // A convex quadrilateral (a text line, rotated).
    void quad(const QPointF (&p)[4]) {
        double top = p[0].y(), bottom = p[0].y();
        for (const QPointF& q : p) {
            top = std::min(top, q.y());
            bottom = std::max(bottom, q.y());
        }
        forRows(top, bottom, [&](double y) {
            Range row;
            for (int i = 0; i < 4; ++i) {
                const QPointF a = p[i], b = p[(i + 1) % 4];
                if (y < std::min(a.y(), b.y()) || y > std::max(a.y(), b.y())) continue;
                if (a.y() == b.y()) {
                    row.unite({std::min(a.x(), b.x()), std::max(a.x(), b.x())});
                } else {
                    const double t = std::clamp((y - a.y()) / (b.y() - a.y()), 0.0, 1.0);
                    const double x = a.x() + t * (b.x() - a.x());
                    row.unite({x, x});
                }
            }
            return row;
        });
    }

    std::vector<RowInterval>& intervals() { return out_; }

private:
    // Calls `cut(y)` for every pixel row whose points may lie in [top, bottom],
    // y in points; a non-empty result becomes a row interval in pixels.
    template <typename Cut>
    void forRows(double top, double bottom, Cut cut) {
        forRowPairs(top, bottom, [&](double y, Range& left, Range&) { left = cut(y); });
    }

    template <typename Cut>
    void forRowPairs(double top, double bottom, Cut cut) {
        if (!std::isfinite(top) || !std::isfinite(bottom)) return;
        const int first = static_cast<int>(std::floor(top / scale_)) - 1;
        const int last = static_cast<int>(std::ceil(bottom / scale_)) + 1;
        for (int row = first; row <= last; ++row) {
            Range left, right;
            cut(row * scale_, left, right);
            for (const Range& r : {left, right})
                if (!r.empty()) out_.push_back({row, r.lo / scale_, r.hi / scale_, sure_});
        }
    }

    double scale_;
    bool sure_ = false;
    std::vector<RowInterval> out_;
};

QPointF quadraticAt(QPointF s, QPointF c, QPointF e, double t) {
    const double u = 1 - t;
    return s * (u * u) + c * (2 * u * t) + e * (t * t);
}

// Cuts the stroke's hit band, moved by its pending offset, into rows.
void cutStroke(const DrawingStroke& s, RowCutter& cut) {
    const QPointF off(s.offset.width(), s.offset.height());
    const double tol = hitTolerance(s.lineWidth);
    if (isPolygonShape(s.tool)) {
        const auto v = polygonVertices(s);
        if (v.size() < 2) return;
        for (std::size_t i = 0; i < v.size(); ++i) cut.capsule(v[i] + off, v[(i + 1) % v.size()] + off, tol);
        return;
    }
    if (isFreehandTool(s.tool)) {
        const auto& p = s.points.get();
        if (p.size() == 1) cut.disc(p[0] + off, tol);
        for (std::size_t i = 0; i + 1 < p.size(); ++i) cut.capsule(p[i] + off, p[i + 1] + off, tol);
        return;
    }
    switch (s.tool) {
    case DrawingTool::line:
    case DrawingTool::arrow:
        if (!s.controlPoint) {
            cut.capsule(s.startPoint + off, s.endPoint + off, tol);
        } else {
            for (int k = 0; k <= 20; ++k)
                cut.disc(quadraticAt(s.startPoint, *s.controlPoint, s.endPoint, k / 20.0) + off, tol);
        }
        return;
    case DrawingTool::rectangle: {
        const QRectF r = frameRect(s.startPoint, s.endPoint).translated(off);
        const QPointF c[4] = {r.topLeft(), r.topRight(), r.bottomRight(), r.bottomLeft()};
        for (int i = 0; i < 4; ++i) cut.capsule(c[i], c[(i + 1) % 4], tol);
        return;
    }
    case DrawingTool::ellipse: {
        const QRectF r = frameRect(s.startPoint, s.endPoint);
        const double rx = r.width() / 2, ry = r.height() / 2;
        if (rx <= 0 || ry <= 0) return;
        cut.ellipseBand(r.center() + off, rx, ry, tol / std::min(rx, ry));
        return;
    }
    case DrawingTool::text: {
        if (s.text.isEmpty()) return;
        const TextLayout layout = layoutText(s);
        const QTransform t = layout.transform();
        for (const TextLayout::Line& line : layout.lines) {
            const double g = cut.grow();
            const QRectF r = line.rect.adjusted(-g, -g, g, g);
            const QPointF c[4] = {t.map(r.topLeft()) + off, t.map(r.topRight()) + off, t.map(r.bottomRight()) + off,
                                  t.map(r.bottomLeft()) + off};
            cut.quad(c);
        }
        return;
    }
    default: return; // never hit
    }
}

} // namespace

std::vector<PixelSpan> strokeHitSpans(const DrawingStroke& stroke, double scale) {
    std::vector<PixelSpan> spans;
    if (!(scale > 0)) return spans;
    RowCutter cutter(scale);
    cutter.setSure(true);
    cutStroke(stroke, cutter);
    cutter.setSure(false);
    cutStroke(stroke, cutter);
    auto& in = cutter.intervals();
    if (in.empty()) return spans;

    // Grouped by row without a full sort: rows of one stroke are few and
    // dense, and each holds a handful of intervals.
    int top = in.front().y, bottom = top;
    for (const auto& r : in) {
        top = std::min(top, r.y);
        bottom = std::max(bottom, r.y);
    }
    std::vector<std::size_t> start(static_cast<std::size_t>(bottom - top) + 2, 0);
    for (const auto& r : in) ++start[static_cast<std::size_t>(r.y - top) + 1];
    for (std::size_t i = 1; i < start.size(); ++i) start[i] += start[i - 1];
    std::vector<RowInterval> rows(in.size());
    {
        std::vector<std::size_t> fill(start.begin(), start.end() - 1);
        for (const auto& r : in) rows[fill[static_cast<std::size_t>(r.y - top)]++] = r;
    }

    const auto hit = [&](int x, int y) { return strokeHitTest(stroke, QPointF(x * scale, y * scale)); };
    const auto emit = [&](int y, int x0, int x1) { // x1 exclusive
        if (x1 <= x0) return;
        if (!spans.empty() && spans.back().y == y && x0 <= spans.back().x1) {
            spans.back().x1 = std::max(spans.back().x1, x1);
            return;
        }
        spans.push_back({y, x0, x1});
    };
    // Whole pixels strictly inside an open interval.
    const auto firstAfter = [](double lo) { return int(std::floor(lo)) + 1; };
    const auto lastBefore = [](double hi) { return int(std::ceil(hi)) - 1; };

    std::vector<Range> sure, maybe;
    for (std::size_t row = 0; row + 1 < start.size(); ++row) {
        auto first = rows.begin() + static_cast<std::ptrdiff_t>(start[row]);
        auto last = rows.begin() + static_cast<std::ptrdiff_t>(start[row + 1]);
        if (first == last) continue;
        std::sort(first, last, [](const RowInterval& a, const RowInterval& b) { return a.lo < b.lo; });
        const int y = first->y;
        sure.clear();
        maybe.clear();
        for (auto it = first; it != last; ++it) {
            auto& list = it->sure ? sure : maybe;
            if (!list.empty() && it->lo <= list.back().hi) list.back().hi = std::max(list.back().hi, it->hi);
            else list.push_back({it->lo, it->hi});
        }
        // Inside a sure interval: hit. Elsewhere inside a grown one: asked.
        auto s = sure.begin();
        for (const Range& m : maybe) {
            int x = firstAfter(m.lo);
            const int end = lastBefore(m.hi);
            while (x <= end) {
                while (s != sure.end() && lastBefore(s->hi) < x) ++s;
                if (s != sure.end() && firstAfter(s->lo) <= x) {
                    const int to = std::min(end, lastBefore(s->hi));
                    emit(y, x, to + 1);
                    x = to + 1;
                    continue;
                }
                const int gapEnd = s != sure.end() ? std::min(end, firstAfter(s->lo) - 1) : end;
                for (; x <= gapEnd; ++x)
                    if (hit(x, y)) emit(y, x, x + 1);
            }
        }
    }
    return spans;
}

SharedSpans StrokeHitSpanCache::spans(const DrawingStroke& stroke, double scale) {
    auto it = entries_.find(stroke.id);
    if (it == entries_.end()) {
        it =
            entries_
                .emplace(stroke.id, Entry{stroke, scale,
                                          std::make_shared<const std::vector<PixelSpan>>(strokeHitSpans(stroke, scale)),
                                          generation_})
                .first;
    } else if (it->second.scale != scale || !(it->second.stroke == stroke)) {
        it->second.stroke = stroke;
        it->second.scale = scale;
        it->second.spans = std::make_shared<const std::vector<PixelSpan>>(strokeHitSpans(stroke, scale));
    }
    return it->second.spans;
}

void StrokeHitSpanCache::keepOnly(const std::vector<DrawingStroke>& strokes) {
    const std::uint64_t now = ++generation_;
    for (const DrawingStroke& s : strokes)
        if (const auto it = entries_.find(s.id); it != entries_.end()) it->second.kept = now;
    for (auto it = entries_.begin(); it != entries_.end();) {
        if (it->second.kept != now) it = entries_.erase(it);
        else ++it;
    }
}
