// Bezier path editing.

#include "canvas/overlays/BezierPenEditOverlay.h"

#include "canvas/CanvasHitTest.h"
#include "canvas/overlays/BezierGeometry.h"
#include "canvas/overlays/EditHandles.h"
#include "model/StrokeHitIndex.h"
#include "platform/Dispatch.h"

#include <QPointer>

using namespace bezier_geometry;

namespace {

constexpr double kClickTravel = 5;
constexpr double kDoubleClickSeconds = 0.35;
constexpr double kDoubleClickDistance = 20;

// A path's anchors with their arms.
ArmedVertices pathOf(const DrawingStroke& s) { return ArmedVertices::of(s, anchors(s)); }

DrawingStroke withPath(const DrawingStroke& s, ArmedVertices p) {
    DrawingStroke result = s;
    setAnchors(result, std::move(p.vertices), std::move(p.in), std::move(p.out));
    return result;
}

} // namespace

BezierPenEditOverlay::BezierPenEditOverlay(const DrawingStroke& stroke, StrokeHandler onUpdate, Action onOutsideTap,
                                           QWidget* parent, std::shared_ptr<CanvasClock> clock)
    : HandleDragOverlay(stroke, std::move(onUpdate), parent),
      onOutsideTap_(std::move(onOutsideTap)),
      clock_(clock ? std::move(clock) : CanvasClock::system()) {}

double BezierPenEditOverlay::clickTravel() const { return kClickTravel; }

std::vector<QPointF> BezierPenEditOverlay::handles(const DrawingStroke& stroke) const {
    return pathOf(stroke).handles();
}

std::vector<std::pair<QPointF, QPointF>> BezierPenEditOverlay::arms(const DrawingStroke& stroke) const {
    return pathOf(stroke).armLines();
}

DrawingStroke BezierPenEditOverlay::dragged(const DrawingStroke& start, std::size_t handle, QPointF to) const {
    ArmedVertices p = pathOf(start);
    const bool closed = isClosed(p.vertices);
    const auto ref = p.drag(handle, to);
    if (!ref) return start;
    // The two ends of a closed path are one vertex.
    const std::size_t last = p.vertices.size() - 1;
    if (closed && ref->kind == HandleRef::vertex && (ref->index == 0 || ref->index == last))
        p.vertices[0] = p.vertices[last] = to;
    return withPath(start, std::move(p));
}

BezierPenEditOverlay::Grab BezierPenEditOverlay::grabOffHandles(QPointF point) const {
    const QPointF offset(stroke().offset.width(), stroke().offset.height());
    return canvasHitTest(stroke(), point + offset) ? Grab::body : Grab::elsewhere;
}

DrawingStroke BezierPenEditOverlay::moved(const DrawingStroke& start, QPointF by) const {
    ArmedVertices p = pathOf(start);
    for (QPointF& a : p.vertices) a += by;
    return withPath(start, std::move(p));
}

std::optional<DrawingStroke> BezierPenEditOverlay::doubleClicked(QPointF point) const {
    ArmedVertices p = pathOf(stroke());
    if (const auto i = edit_handles::handleAt(p.vertices, point)) {
        const bool closed = isClosed(p.vertices);
        const std::size_t last = p.vertices.size() - 1;
        // On a closed path the ends are one vertex, with the neighbours of both.
        std::vector<QPointF> ring = p.vertices;
        if (closed) ring.pop_back();
        const std::size_t at = (closed && *i == last) ? 0 : *i;
        if (isZero(p.in[*i]) && isZero(p.out[*i])) {
            const auto [in, out] = smoothArms(ring, at, closed);
            p.in[*i] = in;
            p.out[*i] = out;
            if (closed && (*i == 0 || *i == last)) p.in[last] = in, p.out[0] = out;
        } else {
            p.in[*i] = p.out[*i] = QPointF();
            if (closed && (*i == 0 || *i == last)) p.in[last] = p.out[0] = QPointF();
        }
        return withPath(stroke(), std::move(p));
    }
    const auto near = nearestOnPath(stroke(), point);
    if (!near || near->distance >= hitTolerance(stroke().lineWidth)) return std::nullopt;
    return withVertexInserted(stroke(), *near);
}

void BezierPenEditOverlay::clicked(QPointF point, Grab grab) {
    platform::assertMainThread("BezierPenEditOverlay::clicked");
    if (grab == Grab::elsewhere) {
        lastClickTime_.reset();
        // A copy: the tap ends the edit and with it this overlay.
        if (const Action tap = onOutsideTap_) tap();
        return;
    }
    const auto now = clock_->now();
    const bool isDouble = lastClickTime_ &&
                          std::chrono::duration<double>(now - *lastClickTime_).count() < kDoubleClickSeconds &&
                          edit_handles::distance(point, lastClickLocation_) < kDoubleClickDistance;
    if (!isDouble) {
        lastClickTime_ = now;
        lastClickLocation_ = point;
        return;
    }
    lastClickTime_.reset();
    if (const auto changed = doubleClicked(point)) {
        setStroke(*changed);
        report(*changed);
    }
}
